// replay/: what makes a game replayable: scripts, feeding them to the headless game, recording a game as a
// script, the trace of every pass and the pace of a watched script. The runner and the page share it.
//
// The runner's input script: one event a line, "<pass> <verb> [value]", and the strict number parsing the
// command line shares with it. A script is read as a stream, a line at a time, so its length costs no
// memory: the reader holds the bytes of at most one piece of input and one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

enum TScriptVerb : int32_t {
    ScriptKeyDown,    // "down <vk>": WmKeyDown
    ScriptKeyUp,      // "up <vk>": WmKeyUp
    ScriptSysKeyDown, // "sysdown <vk>": WmSysKeyDown
    ScriptSysKeyUp,   // "sysup <vk>": WmSysKeyUp
    ScriptMouse,      // "mouse <x>": the cursor's screen x from this pass on
    ScriptClose,      // "close": WmClose to the window
    ScriptTick,       // "tick <t>": the tick count a read of the tick in this pass returns, read by read;
                      // "steps <s>": one tick read a pass for as many passes as s has letters (below)
};

// The most passes a run may have, by --passes or by a script's last line.
constexpr int64_t MostPasses = 1000000000;
// The longest line a script may have. It bounds what the reader holds, whatever the script's length.
constexpr size_t MostScriptLineBytes = 4096;

// "<pass> steps <letters>" stands for one tick line a pass from <pass> on, one letter a pass: each tick is
// the tick before it in the script plus the letter's milliseconds, '0' to '9' for 0 to 9, 'a' to 'z' for 10
// to 35 and 'A' to 'Z' for 36 to 61. A recording writes most of its passes so.
constexpr int32_t MostStep = 61;
int32_t StepOfLetter(char letter); // -1 for a character that is no step
char LetterOfStep(int32_t step);   // step from 0 to MostStep

struct TScriptEvent {
    uint64_t Pass; // 1 for the first pass; 0 for the start-up before it (tick and mouse only)
    TScriptVerb Verb;
    int64_t Value; // virtual-key code, cursor x or tick count; 0 for close
    int32_t Line;  // line of the script it came from
};

// Reads a script pushed to it in pieces of any size, event by event, in the order of the file.
struct TScriptReader {
    std::string Pending; // pushed bytes not read yet, from At on
    size_t At;
    bool InputEnded;
    bool Started; // the first bytes were seen (a byte order mark there is skipped)
    int32_t Line;
    std::string Fault; // "line N: what is wrong", once a line is malformed
    // The steps line being handed out: its letters, the next one, and the pass of that one.
    std::string Steps;
    size_t StepAt;
    uint64_t StepPass;
    int32_t StepLine;
    bool TickKnown; // a tick came before: steps count from LastTick
    uint32_t LastTick;
};

enum class TScriptRead {
    Event,      // one event
    NeedsBytes, // the next event lies beyond what was pushed: push more, or end the input
    Ended,      // every event has been read
    Fault,      // a malformed line: Fault says which and why; nothing more is read
};

void ScriptReaderStart(TScriptReader* reader);
void ScriptReaderPush(TScriptReader* reader, const char* bytes, size_t length);
void ScriptReaderEndInput(TScriptReader* reader);
TScriptRead ScriptReaderNext(TScriptReader* reader, TScriptEvent* event);

// What a whole script holds, read once before a run: whether its events stand in pass order (then it
// plays as a stream), its last pass and whether it has tick lines (a recording).
struct TScriptSurvey {
    bool Sorted;
    uint64_t LastPass;
    bool HasTicks;
    uint64_t Events;
};
// Takes every event the reader can give now into survey; returns why it stopped (never Event).
TScriptRead SurveyScript(TScriptReader* reader, TScriptSurvey* survey);

// Parses a whole script held in memory; the events come out sorted stably by pass, as a script whose lines
// are not in pass order must be played. On a malformed line returns false with "line N: what is wrong" in
// error and leaves events empty.
bool ParseScript(const char* text, size_t length, std::vector<TScriptEvent>& events, char* error,
                 size_t errorSize);

// Whole decimal numbers, optionally signed, nothing else around them; false when malformed or outside
// the range.
bool ParseWholeNumber(const char* text, size_t length, int64_t low, int64_t high, int64_t* value);

// Milliseconds a pass as digits with an optional fraction of at most MostPassMsDecimals digits; the whole
// part at most 4294967295, the most the tick counter can advance at once. False when malformed.
constexpr int32_t MostPassMsDecimals = 9;
bool ParsePassMs(const char* text, THeadlessPassMs* passMs);
