// The virtual-key codes of the classic desktop that the game's key table is indexed by: the keys the game
// reads, and those the SDL backend treats specially. The backends translate every physical key to these.
#pragma once

#include <cstdint>

constexpr uint8_t VkEnter = 13;
constexpr uint8_t VkAlt = 18;
constexpr uint8_t VkEscape = 27;
constexpr uint8_t VkLeft = 37;
constexpr uint8_t VkUp = 38;
constexpr uint8_t VkRight = 39;
constexpr uint8_t VkDown = 40;
constexpr uint8_t VkS = 83;
constexpr uint8_t VkW = 87;
constexpr uint8_t VkPad0 = 96; // keypad digits 0 to 9 follow in order
constexpr uint8_t VkPad1 = 97;
constexpr uint8_t VkPad2 = 98;
constexpr uint8_t VkPad4 = 100;
constexpr uint8_t VkPad6 = 102;
constexpr uint8_t VkPad7 = 103;
constexpr uint8_t VkPad8 = 104;
constexpr uint8_t VkPadPlus = 107;
constexpr uint8_t VkPadMinus = 109;
constexpr uint8_t VkF1 = 112; // F1 to F12 follow in order
constexpr uint8_t VkF2 = 113;
constexpr uint8_t VkF3 = 114;
constexpr uint8_t VkF4 = 115;
constexpr uint8_t VkF5 = 116;
constexpr uint8_t VkF6 = 117;
constexpr uint8_t VkF10 = 121;
