// The script's events turned into what the headless game takes from outside.
#include "replay/Feed.h"

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"

// The message's time and point come from the headless backend itself: reading them through the game's
// calls would take a recorded tick that belongs to the game, or be recorded as the game's own read.
static void PostScriptedMessage(uint32_t message, uint32_t wParam) {
    TPoint cursor;
    HeadlessBackend()->GetCursorPos(&cursor);
    PostWindowMessage(message, wParam, 0, HeadlessPeekTick(), cursor);
}

void FeedScriptPass(TScriptFeed* feed, uint64_t pass) {
    const std::vector<TScriptEvent>& events = *feed->Events;
    for (; feed->Next < events.size() && events[feed->Next].Pass <= pass; feed->Next++) {
        const TScriptEvent& event = events[feed->Next];
        if (event.Pass < pass) continue;
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
}
