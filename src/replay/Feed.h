// A script played into the headless backend, pass by pass: the runner's and the web page's scripted runs
// share it. The events come either from a stream read as the passes need them (a script whose lines stand
// in pass order, as every recording's do) or from an array sorted in memory (any other script).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/Script.h"

// Pushes the next piece of the script into the reader, or ends its input; false when the script can no
// longer be read (the reason goes into the feed's Failure).
using TScriptRefill = bool (*)(TScriptReader* reader, void* context);

// Where a run stands in its script.
struct TScriptFeed {
    // In memory: every event, sorted by pass (ParseScript).
    const std::vector<TScriptEvent>* Events;
    size_t Next;
    // Streamed: a reader over the script from its start, refilled as the passes need it. Null refill: the
    // host pushes the pieces itself and asks ScriptFeedReady before each pass.
    TScriptReader* Reader;
    TScriptRefill Refill;
    void* RefillContext;
    bool HasAhead; // the next event, read ahead of its pass
    TScriptEvent Ahead;
    std::vector<TScriptEvent> Staged; // events of the pass asked for by ScriptFeedReady, not delivered yet
    bool Ended;
    std::string Failure; // set when the stream is not the script checked before the run
};

void StartMemoryFeed(TScriptFeed* feed, const std::vector<TScriptEvent>* events);
void StartStreamFeed(TScriptFeed* feed, TScriptReader* reader, TScriptRefill refill, void* context);

// Before pass p polls: its events join the queue in script order, its cursor moves, and its ticks wait for
// the pass's reads. Called with pass 0 before the start-up, it places the cursor and the ticks the start-up
// reads. A stream whose events go back in pass order, or that turns malformed, stops the feed with its
// Failure set and ends the headless loop.
void FeedScriptPass(TScriptFeed* feed, uint64_t pass);
// Whether the events of pass p are all at hand: the event after them has been read, or the script has
// ended. A host that pushes the pieces itself pushes until it is.
bool ScriptFeedReady(TScriptFeed* feed, uint64_t pass);
