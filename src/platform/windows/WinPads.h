// Gamepads on Windows: XInput, loaded when the window opens (xinput1_4.dll, else xinput9_1_0.dll; with
// neither the game has no pads and runs as before), each pad read once a pass into the shared mapping
// (platform/Gamepad.h). XInput is loaded by name, never linked, so the programs still import only what every
// Windows has.
#pragma once

#include "platform/Gamepad.h"
#include "platform/Settings.h"

// Loads XInput (once) and starts the mapping from the player's pad settings.
void WinPadsStart(const TPadSettings& settings);
// Forgets what the pads held; the library stays loaded for the program's life.
void WinPadsStop();
// Once a pass: what the pads change; with focused false (another window is in front) they hold nothing, so
// what they held is let go. now is the system's tick, which spaces out the look for a pad plugged in.
TPadChanges WinPadsRead(bool focused, uint32_t now);
// The cursor moved by the pads' analogue steering.
void WinPadsMoveCursor(TPoint* point);
// The XInput library loaded, or null without one.
const char* WinPadsLibrary();
