// The virtual-key codes of the classic desktop that the game's key table is indexed by: the keys the game
// reads, and those the SDL backend treats specially. The backends translate every physical key to these.
#pragma once

#include <cstdint>

constexpr uint8_t VkEnter = 13, VkAlt = 18, VkEscape = 27;
constexpr uint8_t VkLeft = 37, VkUp = 38, VkRight = 39, VkDown = 40;
constexpr uint8_t VkS = 83, VkW = 87;
// The keypad's digits run from VkPad0 up to 105, the function keys F1 to F12 from VkF1 up to 123.
constexpr uint8_t VkPad0 = 96, VkPad1 = 97, VkPad2 = 98, VkPad4 = 100;
constexpr uint8_t VkPad6 = 102, VkPad7 = 103, VkPad8 = 104, VkPadPlus = 107, VkPadMinus = 109;
constexpr uint8_t VkF1 = 112, VkF2 = 113, VkF3 = 114, VkF4 = 115, VkF5 = 116, VkF6 = 117;
constexpr uint8_t VkF10 = 121, VkF11 = 122;

// Whether a key arrives as a system key (WmSysKeyDown/Up), which the game does not record: any key with Alt
// held, and F10 and Alt themselves.
constexpr bool IsSystemKey(int32_t virtualKey, bool altHeld) {
    return altHeld || virtualKey == VkF10 || virtualKey == VkAlt;
}
