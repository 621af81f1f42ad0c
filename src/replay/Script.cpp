// Reading the input script, a line at a time. A run reads its script twice: once whole before the first
// pass, so that a broken script never runs half-way, and again as the passes need it.
#include "replay/Script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

constexpr int32_t MaxFields = 3;

bool ParseWholeNumber(const char* text, size_t length, int64_t low, int64_t high, int64_t* value) {
    size_t at = 0;
    bool negative = false;
    if (at < length && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        at++;
    }
    if (at == length) return false;
    // Accumulated as a negative number, whose range is the larger one.
    int64_t result = 0;
    for (; at < length; at++) {
        const char c = text[at];
        if (c < '0' || c > '9') return false;
        const int64_t digit = c - '0';
        if (result < (INT64_MIN + digit) / 10) return false;
        result = result * 10 - digit;
    }
    if (!negative) {
        if (result == INT64_MIN) return false;
        result = -result;
    }
    if (result < low || result > high) return false;
    *value = result;
    return true;
}

bool ParsePassMs(const char* text, THeadlessPassMs* passMs) {
    uint64_t whole = 0;
    uint32_t billionths = 0;
    int32_t digits = 0;
    const char* at = text;
    for (; *at >= '0' && *at <= '9'; at++, digits++) {
        whole = whole * 10u + (uint64_t)(*at - '0');
        if (whole > UINT32_MAX) return false;
    }
    if (*at == '.') {
        at++;
        uint32_t scale = BillionthsPerMs;
        int32_t decimals = 0;
        for (; *at >= '0' && *at <= '9'; at++, digits++, decimals++) {
            if (decimals == MostPassMsDecimals) return false;
            scale /= 10u;
            billionths += (uint32_t)(*at - '0') * scale;
        }
    }
    if (digits == 0 || *at != '\0') return false;
    *passMs = THeadlessPassMs{(uint32_t)whole, billionths};
    return true;
}

struct TField {
    const char* Start;
    size_t Length;
};

static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

static bool FieldIs(const TField& field, const char* word) {
    return field.Length == std::strlen(word) && std::memcmp(field.Start, word, field.Length) == 0;
}

// Splits one line (comment removed) into at most MaxFields fields; returns the count, MaxFields + 1 when
// there are more.
static int32_t SplitFields(const char* line, size_t length, TField* fields) {
    int32_t count = 0;
    size_t at = 0;
    while (at < length) {
        while (at < length && IsBlank(line[at]))
            at++;
        if (at == length) break;
        const size_t start = at;
        while (at < length && !IsBlank(line[at]))
            at++;
        if (count == MaxFields) return MaxFields + 1;
        fields[count++] = TField{line + start, at - start};
    }
    return count;
}

// Each verb with the value it takes: its range, and what the value is, for the message on a fault.
struct TVerbName {
    const char* Word;
    TScriptVerb Verb;
    bool TakesValue;
    int64_t Low, High;
    const char* ValueName;
};
static const TVerbName VerbNames[] = {
    {"down", ScriptKeyDown, true, 0, 255, "virtual-key code"},
    {"up", ScriptKeyUp, true, 0, 255, "virtual-key code"},
    {"sysdown", ScriptSysKeyDown, true, 0, 255, "virtual-key code"},
    {"sysup", ScriptSysKeyUp, true, 0, 255, "virtual-key code"},
    {"mouse", ScriptMouse, true, INT32_MIN, INT32_MAX, "mouse x"},
    {"close", ScriptClose, false, 0, 0, nullptr},
    {"tick", ScriptTick, true, 0, UINT32_MAX, "tick"},
};
constexpr char StepsWord[] = "steps";

int32_t StepOfLetter(char letter) {
    if (letter >= '0' && letter <= '9') return letter - '0';
    if (letter >= 'a' && letter <= 'z') return letter - 'a' + 10;
    if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 36;
    return -1;
}

char LetterOfStep(int32_t step) {
    if (step < 10) return (char)('0' + step);
    if (step < 36) return (char)('a' + step - 10);
    return (char)('A' + step - 36);
}

// The pass number of a line: from 0 (the start-up) to MostPasses, so that a recording, which runs to its
// last line, ends.
static bool ParsePass(const TField& field, int64_t* pass, std::string* fault) {
    char text[200];
    if (!ParseWholeNumber(field.Start, field.Length, INT64_MIN, INT64_MAX, pass)) {
        std::snprintf(text, sizeof text, "pass '%.*s' is not a whole number", (int)field.Length, field.Start);
        *fault = text;
        return false;
    }
    if (*pass < 0 || *pass > MostPasses) {
        std::snprintf(text, sizeof text, "pass %lld is out of range (0 to %lld)", (long long)*pass,
                      (long long)MostPasses);
        *fault = text;
        return false;
    }
    return true;
}

static const TVerbName* FindVerb(const TField& field, std::string* fault) {
    for (const TVerbName& name : VerbNames) {
        if (FieldIs(field, name.Word)) return &name;
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "unknown verb '%.*s' (down, up, sysdown, sysup, mouse, close, tick, steps)",
                  (int)field.Length, field.Start);
    *fault = text;
    return nullptr;
}

// The value after the verb, if it takes one: exactly one field, a whole number in the verb's range.
static bool ParseValue(const TVerbName& verb, const TField* fields, int32_t count, int64_t* value,
                       std::string* fault) {
    char text[200];
    *value = 0;
    if (!verb.TakesValue) {
        if (count == 2) return true;
        std::snprintf(text, sizeof text, "'%s' takes no value", verb.Word);
        *fault = text;
        return false;
    }
    if (count != 3) {
        std::snprintf(text, sizeof text, "'%s' needs exactly one value after it", verb.Word);
        *fault = text;
        return false;
    }
    if (ParseWholeNumber(fields[2].Start, fields[2].Length, verb.Low, verb.High, value)) return true;
    std::snprintf(text, sizeof text, "%s '%.*s' is not a whole number from %lld to %lld", verb.ValueName,
                  (int)fields[2].Length, fields[2].Start, (long long)verb.Low, (long long)verb.High);
    *fault = text;
    return false;
}

// A steps line: its letters become the run the reader hands out, one tick a pass.
static bool StartSteps(TScriptReader* reader, int64_t pass, const TField* fields, int32_t count,
                       std::string* fault) {
    if (count != 3) {
        *fault = "'steps' needs exactly one run of letters after it";
        return false;
    }
    if (!reader->TickKnown) {
        *fault = "'steps' counts from the tick before it, and no tick line comes before it";
        return false;
    }
    for (size_t i = 0; i < fields[2].Length; i++) {
        if (StepOfLetter(fields[2].Start[i]) < 0) {
            char text[200];
            std::snprintf(text, sizeof text, "'%c' is no step (0 to 9, a to z, A to Z)", fields[2].Start[i]);
            *fault = text;
            return false;
        }
    }
    if ((uint64_t)pass + fields[2].Length - 1 > (uint64_t)MostPasses) {
        *fault = "its steps reach beyond pass " + std::to_string(MostPasses);
        return false;
    }
    reader->Steps.assign(fields[2].Start, fields[2].Length);
    reader->StepAt = 0;
    reader->StepPass = (uint64_t)pass;
    reader->StepLine = reader->Line;
    return true;
}

// Parses one line into event; a blank or comment line and a steps line give none (the steps are handed
// out afterwards). On a fault writes what is wrong.
static bool ParseLine(TScriptReader* reader, const char* line, size_t length, bool* hasEvent,
                      TScriptEvent* event, std::string* fault) {
    *hasEvent = false;
    if (std::memchr(line, '\0', length) != nullptr) {
        *fault = "it holds a NUL byte, which no script line has";
        return false;
    }
    const char* comment = (const char*)std::memchr(line, '#', length);
    if (comment != nullptr) length = (size_t)(comment - line);
    TField fields[MaxFields];
    const int32_t count = SplitFields(line, length, fields);
    if (count == 0) return true;
    if (count == 1) {
        *fault = "a pass number and a verb are needed";
        return false;
    }
    int64_t pass = 0;
    if (!ParsePass(fields[0], &pass, fault)) return false;
    if (FieldIs(fields[1], StepsWord)) return StartSteps(reader, pass, fields, count, fault);
    const TVerbName* verb = FindVerb(fields[1], fault);
    if (verb == nullptr) return false;
    // Before the first pass the game reads only the tick and the cursor; no message is taken there.
    if (pass == 0 && verb->Verb != ScriptTick && verb->Verb != ScriptMouse) {
        *fault = "pass 0 is the start-up, where only 'tick' and 'mouse' may stand";
        return false;
    }
    int64_t value = 0;
    if (!ParseValue(*verb, fields, count, &value, fault)) return false;
    *event = TScriptEvent{(uint64_t)pass, verb->Verb, value, reader->Line};
    *hasEvent = true;
    return true;
}

void ScriptReaderStart(TScriptReader* reader) {
    reader->Pending.clear();
    reader->Pending.reserve(MostScriptLineBytes);
    reader->At = 0;
    reader->InputEnded = false;
    reader->Started = false;
    reader->Line = 0;
    reader->Fault.clear();
    reader->Steps.clear();
    reader->StepAt = 0;
    reader->StepPass = 0;
    reader->StepLine = 0;
    reader->TickKnown = false;
    reader->LastTick = 0;
}

void ScriptReaderPush(TScriptReader* reader, const char* bytes, size_t length) {
    // What was read goes before the new bytes come, so the buffer holds one piece and a line at most.
    if (reader->At > 0) {
        reader->Pending.erase(0, reader->At);
        reader->At = 0;
    }
    reader->Pending.append(bytes, length);
}

void ScriptReaderEndInput(TScriptReader* reader) {
    reader->InputEnded = true;
}

static TScriptRead Faulted(TScriptReader* reader, const std::string& why) {
    reader->Fault = "line " + std::to_string(reader->Line) + ": " + why;
    return TScriptRead::Fault;
}

TScriptRead ScriptReaderNext(TScriptReader* reader, TScriptEvent* event) {
    if (!reader->Fault.empty()) return TScriptRead::Fault;
    for (;;) {
        if (reader->StepAt < reader->Steps.size()) {
            reader->LastTick += (uint32_t)StepOfLetter(reader->Steps[reader->StepAt]);
            *event = TScriptEvent{reader->StepPass + reader->StepAt, ScriptTick, reader->LastTick,
                                  reader->StepLine};
            reader->StepAt++;
            return TScriptRead::Event;
        }
        // A UTF-8 byte order mark, as editors on Windows write one, is no part of the first line.
        const std::string& pending = reader->Pending;
        if (!reader->Started) {
            if (pending.size() - reader->At < 3 && !reader->InputEnded) return TScriptRead::NeedsBytes;
            reader->Started = true;
            if (pending.compare(reader->At, 3, "\xEF\xBB\xBF") == 0) reader->At += 3;
        }
        const size_t left = pending.size() - reader->At;
        if (left == 0 && reader->InputEnded) return TScriptRead::Ended;
        const char* start = pending.data() + reader->At;
        const char* end = (const char*)std::memchr(start, '\n', left);
        size_t length = end != nullptr ? (size_t)(end - start) : left;
        if (end == nullptr && !reader->InputEnded) {
            if (left > MostScriptLineBytes) {
                reader->Line++;
                return Faulted(reader, "it is longer than the " + std::to_string(MostScriptLineBytes) +
                                           " bytes a line may have");
            }
            return TScriptRead::NeedsBytes;
        }
        if (reader->Line < INT32_MAX) reader->Line++;
        if (length > MostScriptLineBytes)
            return Faulted(reader, "it is longer than the " + std::to_string(MostScriptLineBytes) +
                                       " bytes a line may have");
        reader->At += length + (end != nullptr ? 1 : 0);
        bool hasEvent = false;
        std::string why;
        if (!ParseLine(reader, start, length, &hasEvent, event, &why)) return Faulted(reader, why);
        if (hasEvent) {
            if (event->Verb == ScriptTick) {
                reader->TickKnown = true;
                reader->LastTick = (uint32_t)event->Value;
            }
            return TScriptRead::Event;
        }
    }
}

TScriptRead SurveyScript(TScriptReader* reader, TScriptSurvey* survey) {
    TScriptEvent event{};
    for (;;) {
        const TScriptRead read = ScriptReaderNext(reader, &event);
        if (read != TScriptRead::Event) return read;
        if (survey->Events > 0 && event.Pass < survey->LastPass) survey->Sorted = false;
        if (survey->Events == 0 || event.Pass > survey->LastPass) survey->LastPass = event.Pass;
        if (event.Verb == ScriptTick) survey->HasTicks = true;
        survey->Events++;
    }
}

bool ParseScript(const char* text, size_t length, std::vector<TScriptEvent>& events, char* error,
                 size_t errorSize) {
    events.clear();
    TScriptReader reader;
    ScriptReaderStart(&reader);
    ScriptReaderPush(&reader, text, length);
    ScriptReaderEndInput(&reader);
    TScriptEvent event{};
    TScriptRead read;
    while ((read = ScriptReaderNext(&reader, &event)) == TScriptRead::Event)
        events.push_back(event);
    if (read == TScriptRead::Fault) {
        std::snprintf(error, errorSize, "%s", reader.Fault.c_str());
        events.clear();
        return false;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TScriptEvent& a, const TScriptEvent& b) { return a.Pass < b.Pass; });
    return true;
}
