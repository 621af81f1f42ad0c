// Fuzz target for the runner's input-script parser: any bytes either parse into events that respect the
// script's ranges, or are refused with a message naming a line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "replay/Script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<TScriptEvent> events;
    char error[256];
    error[0] = 0;
    const bool ok = ParseScript((const char*)data, size, events, error, sizeof error);
    if (!ok) {
        // A refusal says which line; the events stay empty.
        if (!events.empty() || std::strncmp(error, "line ", 5) != 0) std::abort();
        return 0;
    }
    uint64_t lastPass = 0;
    for (const TScriptEvent& e : events) {
        if (e.Pass < lastPass) std::abort();
        lastPass = e.Pass;
        // The start-up reads only the tick and the cursor.
        if (e.Pass == 0 && e.Verb != ScriptTick && e.Verb != ScriptMouse) std::abort();
        const bool key = e.Verb == ScriptKeyDown || e.Verb == ScriptKeyUp || e.Verb == ScriptSysKeyDown ||
                         e.Verb == ScriptSysKeyUp;
        if (key && (e.Value < 0 || e.Value > 255)) std::abort();
        if (e.Verb == ScriptTick && (e.Value < 0 || e.Value > UINT32_MAX)) std::abort();
        if (e.Verb == ScriptMouse && (e.Value < INT32_MIN || e.Value > INT32_MAX)) std::abort();
        if (e.Line < 1) std::abort();
    }
    return 0;
}
