// The browser's keys as the game's virtual-key codes. A key event of the page names its physical key by
// KeyboardEvent.code ("KeyW", "Numpad8", "ArrowUp") and the character of the keyboard layout by
// KeyboardEvent.key. The result is the desktop's code for the same key: keypad keys keep their digit codes
// whatever Num Lock says, and letters follow the layout, as in the real window.
#pragma once

#include <cstdint>

// The code of the key named by code, or of the Latin letter key gives (a single letter, either case);
// 0 for a key without one.
int32_t VirtualKeyFromDomKey(const char* code, const char* key);

// The keys the game reads: while the game has the focus the page keeps their browser actions (F5 reloading,
// F1 help, F3 search, the arrows scrolling) from happening.
bool GameReadsKey(int32_t virtualKey);
