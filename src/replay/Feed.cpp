// The script's events turned into what the headless game takes from outside.
#include "replay/Feed.h"

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

// The message's time and point come from the headless backend itself: reading them through the game's
// calls would take a recorded tick that belongs to the game, or be recorded as the game's own read.
static void PostScriptedMessage(uint32_t message, uint32_t wParam) {
    TPoint cursor;
    HeadlessBackend()->GetCursorPos(&cursor);
    PostWindowMessage(message, wParam, 0, HeadlessPeekTick(), cursor);
}

static void Deliver(const TScriptEvent& event) {
    switch (event.Verb) {
    case ScriptKeyDown:
        PostScriptedMessage(WmKeyDown, (uint32_t)event.Value);
        break;
    case ScriptKeyUp:
        PostScriptedMessage(WmKeyUp, (uint32_t)event.Value);
        break;
    case ScriptSysKeyDown:
        PostScriptedMessage(WmSysKeyDown, (uint32_t)event.Value);
        break;
    case ScriptSysKeyUp:
        PostScriptedMessage(WmSysKeyUp, (uint32_t)event.Value);
        break;
    case ScriptMouse:
        HeadlessSetCursorX((int32_t)event.Value);
        break;
    case ScriptClose:
        PostScriptedMessage(WmClose, 0);
        break;
    case ScriptTick:
        HeadlessRecordTick((uint32_t)event.Value);
        break;
    }
}

void StartMemoryFeed(TScriptFeed* feed, const std::vector<TScriptEvent>* events) {
    *feed = TScriptFeed{};
    feed->Events = events;
}

void StartStreamFeed(TScriptFeed* feed, TScriptReader* reader, TScriptRefill refill, void* context) {
    *feed = TScriptFeed{};
    feed->Reader = reader;
    feed->Refill = refill;
    feed->RefillContext = context;
}

static void Fail(TScriptFeed* feed, const std::string& why) {
    if (feed->Failure.empty()) feed->Failure = why;
    feed->Ended = true;
    HeadlessStop();
}

// Reads the next event of the stream into Ahead; false when there is none now (refill asked for more
// and got none, the script ended, or it failed).
static bool ReadAhead(TScriptFeed* feed, uint64_t pass) {
    while (!feed->HasAhead && !feed->Ended) {
        switch (ScriptReaderNext(feed->Reader, &feed->Ahead)) {
        case TScriptRead::Event:
            // A script played as a stream was checked to stand in pass order; one that does not now has
            // changed since.
            if (feed->Ahead.Pass < pass) {
                Fail(feed, "line " + std::to_string(feed->Ahead.Line) +
                               " goes back to an earlier pass: the script changed while it was played");
                return false;
            }
            feed->HasAhead = true;
            break;
        case TScriptRead::NeedsBytes:
            if (feed->Refill == nullptr) return false;
            if (!feed->Refill(feed->Reader, feed->RefillContext)) {
                Fail(feed, "the script could no longer be read");
                return false;
            }
            break;
        case TScriptRead::Ended:
            feed->Ended = true;
            break;
        case TScriptRead::Fault:
            Fail(feed, feed->Reader->Fault + " (the script changed while it was played)");
            return false;
        }
    }
    return feed->HasAhead;
}

// Reads every event of the stream up to pass into Staged; true once an event of a later pass or the end
// shows that they are all there.
static bool StagePass(TScriptFeed* feed, uint64_t pass) {
    while (ReadAhead(feed, pass)) {
        if (feed->Ahead.Pass > pass) return true;
        feed->Staged.push_back(feed->Ahead);
        feed->HasAhead = false;
    }
    return feed->Ended;
}

void FeedScriptPass(TScriptFeed* feed, uint64_t pass) {
    if (feed->Events != nullptr) {
        const std::vector<TScriptEvent>& events = *feed->Events;
        for (; feed->Next < events.size() && events[feed->Next].Pass <= pass; feed->Next++) {
            if (events[feed->Next].Pass == pass) Deliver(events[feed->Next]);
        }
        return;
    }
    if (feed->Reader == nullptr) return;
    StagePass(feed, pass);
    for (const TScriptEvent& event : feed->Staged) {
        if (event.Pass == pass) Deliver(event);
    }
    feed->Staged.clear();
}

bool ScriptFeedReady(TScriptFeed* feed, uint64_t pass) {
    if (feed->Events != nullptr || feed->Reader == nullptr) return true;
    return StagePass(feed, pass);
}
