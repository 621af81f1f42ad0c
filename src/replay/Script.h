// replay/: what makes a game replayable: scripts, feeding them to the headless game, recording a game as a
// script, the trace of every pass and the pace of a watched script. The runner and the page share it.
//
// The runner's input script: one event a line, "<pass> <verb> [value]", read before the first pass, and
// the strict number parsing the command line shares with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

enum TScriptVerb : int32_t {
    ScriptKeyDown,    // "down <vk>": WmKeyDown
    ScriptKeyUp,      // "up <vk>": WmKeyUp
    ScriptSysKeyDown, // "sysdown <vk>": WmSysKeyDown
    ScriptSysKeyUp,   // "sysup <vk>": WmSysKeyUp
    ScriptMouse,      // "mouse <x>": the cursor's screen x from this pass on
    ScriptClose,      // "close": WmClose to the window
    ScriptTick,       // "tick <t>": the tick count a read of the tick in this pass returns, read by read
};

// The most passes a run may have, by --passes or by a script's last line.
constexpr int64_t MostPasses = 1000000000;

struct TScriptEvent {
    uint64_t Pass; // 1 for the first pass; 0 for the start-up before it (tick and mouse only)
    TScriptVerb Verb;
    int64_t Value; // virtual-key code, cursor x or tick count; 0 for close
    int32_t Line;  // line of the script it came from
};

// Parses a whole script; the events come out sorted stably by pass. On a malformed line returns false
// with "line N: what is wrong" in error and leaves events empty.
bool ParseScript(const char* text, size_t length, std::vector<TScriptEvent>& events, char* error,
                 size_t errorSize);

// Whole decimal numbers, optionally signed, nothing else around them; false when malformed or outside
// the range.
bool ParseWholeNumber(const char* text, size_t length, int64_t low, int64_t high, int64_t* value);

// Milliseconds a pass as digits with an optional fraction of at most MostPassMsDecimals digits; the whole
// part at most 4294967295, the most the tick counter can advance at once. False when malformed.
constexpr int32_t MostPassMsDecimals = 9;
bool ParsePassMs(const char* text, THeadlessPassMs* passMs);
