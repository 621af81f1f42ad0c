// The table of KeyboardEvent.code names and the desktop's virtual-key codes; the names follow the UI Events
// code values, which name the physical key by its place on a US keyboard.
#include "platform/web/DomKeys.h"

#include <cstring>

#include "platform/VirtualKeys.h"

struct TDomKey {
    const char* Code;
    uint8_t VirtualKey;
};

// Keys not found by the ranges in VirtualKeyFromDomCode.
static const TDomKey DomKeys[] = {
    {"Enter", 13},
    {"NumpadEnter", 13},
    {"Escape", 27},
    {"Backspace", 8},
    {"Tab", 9},
    {"Space", 32},
    {"ShiftLeft", 16},
    {"ShiftRight", 16},
    {"ControlLeft", 17},
    {"ControlRight", 17},
    {"AltLeft", VkAlt},
    {"AltRight", VkAlt},
    {"MetaLeft", 91},
    {"MetaRight", 92},
    {"OSLeft", 91},
    {"OSRight", 92},
    {"ContextMenu", 93},
    {"Pause", 19},
    {"CapsLock", 20},
    {"PageUp", 33},
    {"PageDown", 34},
    {"End", 35},
    {"Home", 36},
    {"ArrowLeft", VkLeft},
    {"ArrowUp", VkUp},
    {"ArrowRight", VkRight},
    {"ArrowDown", VkDown},
    {"PrintScreen", 44},
    {"Insert", 45},
    {"Delete", 46},
    {"NumpadMultiply", 106},
    {"NumpadAdd", VkPadPlus},
    {"NumpadSubtract", VkPadMinus},
    {"NumpadDecimal", 110},
    {"NumpadDivide", 111},
    {"NumLock", 144},
    {"ScrollLock", 145},
    {"Semicolon", 186},
    {"Equal", 187},
    {"Comma", 188},
    {"Minus", 189},
    {"Period", 190},
    {"Slash", 191},
    {"Backquote", 192},
    {"BracketLeft", 219},
    {"Backslash", 220},
    {"BracketRight", 221},
    {"Quote", 222},
    {"IntlBackslash", 226},
};

// The number after prefix in code, when code is prefix and one or two digits; -1 otherwise.
static int32_t NumberAfter(const char* code, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (std::strncmp(code, prefix, length) != 0) return -1;
    const char* digits = code + length;
    const size_t count = std::strlen(digits);
    if (count < 1 || count > 2) return -1;
    int32_t number = 0;
    for (size_t i = 0; i < count; i++) {
        if (digits[i] < '0' || digits[i] > '9') return -1;
        number = number * 10 + (digits[i] - '0');
    }
    return number;
}

static int32_t VirtualKeyFromDomCode(const char* code) {
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return code[3];
    const int32_t digit = NumberAfter(code, "Digit");
    if (digit >= 0 && digit <= 9) return '0' + digit;
    const int32_t pad = NumberAfter(code, "Numpad");
    if (pad >= 0 && pad <= 9) return VkPad0 + pad;
    const int32_t function = NumberAfter(code, "F");
    if (function >= 1 && function <= 12) return VkF1 + function - 1;
    for (const TDomKey& key : DomKeys) {
        if (std::strcmp(key.Code, code) == 0) return key.VirtualKey;
    }
    return 0;
}

int32_t VirtualKeyFromDomKey(const char* code, const char* key) {
    if (key != nullptr && key[0] != '\0' && key[1] == '\0') {
        if (key[0] >= 'a' && key[0] <= 'z') return 'A' + (key[0] - 'a');
        if (key[0] >= 'A' && key[0] <= 'Z') return key[0];
    }
    return code != nullptr ? VirtualKeyFromDomCode(code) : 0;
}

bool GameReadsKey(int32_t virtualKey) {
    switch (virtualKey) {
    case VkEnter:
    case VkEscape:
    case VkLeft:
    case VkUp:
    case VkRight:
    case VkDown:
    case VkS:
    case VkW:
    case VkPad1:
    case VkPad2:
    case VkPad4:
    case VkPad6:
    case VkPad7:
    case VkPad8:
    case VkPadPlus:
    case VkPadMinus:
        return true;
    default:
        return virtualKey >= VkF1 && virtualKey <= VkF6;
    }
}
