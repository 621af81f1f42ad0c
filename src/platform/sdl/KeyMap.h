// Translation of physical keys to the virtual-key codes the game's key table is indexed by.
#pragma once

#include <cstdint>

#include "platform/VirtualKeys.h"

// Virtual-key code of a physical key given by its SDL scancode number; 0 for a key without a code.
int32_t VirtualKeyFromScancode(int32_t sdlScancode);
// As above, but letters follow the keyboard layout: a key whose layout character (SDL key code) is a Latin
// letter gives that letter's code wherever it sits.
int32_t VirtualKeyFromKey(int32_t sdlScancode, int32_t sdlKeycode);
