// A script played into the headless backend, pass by pass: the runner's and the web page's scripted runs
// share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "replay/Script.h"

// Where a run stands in its script (events sorted by pass, as ParseScript gives them).
struct TScriptFeed {
    const std::vector<TScriptEvent>* Events;
    size_t Next;
};

// Before pass p polls: its events join the queue in script order, its cursor moves, and its ticks wait for
// the pass's reads. Called with pass 0 before the start-up, it places the cursor and the ticks the start-up
// reads.
void FeedScriptPass(TScriptFeed* feed, uint64_t pass);
