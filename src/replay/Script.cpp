// Parsing the input script. Every line is checked before the first pass, so a broken script never runs
// half-way; the parsed events live in one array that the run only reads.
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

// The pass number of a line: from 0 (the start-up) to MostPasses, so that a recording, which runs to its
// last line, ends.
static bool ParsePass(const TField& field, int64_t* pass, char* error, size_t errorSize) {
    if (!ParseWholeNumber(field.Start, field.Length, INT64_MIN, INT64_MAX, pass)) {
        std::snprintf(error, errorSize, "pass '%.*s' is not a whole number", (int)field.Length, field.Start);
        return false;
    }
    if (*pass < 0 || *pass > MostPasses) {
        std::snprintf(error, errorSize, "pass %lld is out of range (0 to %lld)", (long long)*pass,
                      (long long)MostPasses);
        return false;
    }
    return true;
}

static const TVerbName* FindVerb(const TField& field, char* error, size_t errorSize) {
    for (const TVerbName& name : VerbNames) {
        if (FieldIs(field, name.Word)) return &name;
    }
    std::snprintf(error, errorSize, "unknown verb '%.*s' (down, up, sysdown, sysup, mouse, close, tick)",
                  (int)field.Length, field.Start);
    return nullptr;
}

// The value after the verb, if it takes one: exactly one field, a whole number in the verb's range.
static bool ParseValue(const TVerbName& verb, const TField* fields, int32_t count, int64_t* value,
                       char* error, size_t errorSize) {
    *value = 0;
    if (!verb.TakesValue) {
        if (count == 2) return true;
        std::snprintf(error, errorSize, "'%s' takes no value", verb.Word);
        return false;
    }
    if (count != 3) {
        std::snprintf(error, errorSize, "'%s' needs exactly one value after it", verb.Word);
        return false;
    }
    if (ParseWholeNumber(fields[2].Start, fields[2].Length, verb.Low, verb.High, value)) return true;
    std::snprintf(error, errorSize, "%s '%.*s' is not a whole number from %lld to %lld", verb.ValueName,
                  (int)fields[2].Length, fields[2].Start, (long long)verb.Low, (long long)verb.High);
    return false;
}

// Parses one line into event; a blank or comment line gives no event. On a fault writes what is wrong.
static bool ParseLine(const char* line, size_t length, bool* hasEvent, TScriptEvent* event, char* error,
                      size_t errorSize) {
    *hasEvent = false;
    const char* comment = (const char*)std::memchr(line, '#', length);
    if (comment != nullptr) length = (size_t)(comment - line);
    TField fields[MaxFields];
    const int32_t count = SplitFields(line, length, fields);
    if (count == 0) return true;
    if (count == 1) {
        std::snprintf(error, errorSize, "a pass number and a verb are needed");
        return false;
    }
    int64_t pass = 0;
    if (!ParsePass(fields[0], &pass, error, errorSize)) return false;
    const TVerbName* verb = FindVerb(fields[1], error, errorSize);
    if (verb == nullptr) return false;
    // Before the first pass the game reads only the tick and the cursor; no message is taken there.
    if (pass == 0 && verb->Verb != ScriptTick && verb->Verb != ScriptMouse) {
        std::snprintf(error, errorSize, "pass 0 is the start-up, where only 'tick' and 'mouse' may stand");
        return false;
    }
    int64_t value = 0;
    if (!ParseValue(*verb, fields, count, &value, error, errorSize)) return false;
    *event = TScriptEvent{(uint64_t)pass, verb->Verb, value, 0};
    *hasEvent = true;
    return true;
}

bool ParseScript(const char* text, size_t length, std::vector<TScriptEvent>& events, char* error,
                 size_t errorSize) {
    events.clear();
    size_t at = 0;
    int32_t lineNumber = 0;
    char reason[200];
    while (at < length) {
        const char* end = (const char*)std::memchr(text + at, '\n', length - at);
        const size_t lineLength = end != nullptr ? (size_t)(end - (text + at)) : length - at;
        if (lineNumber < INT32_MAX) lineNumber++;
        bool hasEvent = false;
        TScriptEvent event{};
        if (!ParseLine(text + at, lineLength, &hasEvent, &event, reason, sizeof reason)) {
            std::snprintf(error, errorSize, "line %d: %s", lineNumber, reason);
            events.clear();
            return false;
        }
        if (hasEvent) {
            event.Line = lineNumber;
            events.push_back(event);
        }
        at += lineLength + 1;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TScriptEvent& a, const TScriptEvent& b) { return a.Pass < b.Pass; });
    return true;
}
