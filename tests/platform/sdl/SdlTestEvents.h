// Puts events into SDL's own queue as the system would, for the tests of the SDL backend's translation into
// window messages (they run with SDL_VIDEODRIVER=dummy). No SDL types here: the numbers are SDL's.
#pragma once

#include <cstdint>

// A key event with SDL's scancode and key code numbers; false when SDL dropped it.
bool SdlPushKeyEvent(int32_t scancode, int32_t keycode, bool down, bool repeat, bool altHeld);
// That many mouse movements, button presses and text-input events, as a busy user's mouse and keyboard
// make them; returns how many SDL took into its queue.
int32_t SdlPushUnreadEvents(int32_t count);
// The window manager's close request.
bool SdlPushCloseRequest();
