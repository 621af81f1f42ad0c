// Gamepads on SDL: its game controller API with its built-in mapping database and the mappings
// SDL_GAMECONTROLLERCONFIG adds, pads plugged in and out while the game runs, each read once a pass into
// the shared mapping (platform/Gamepad.h).
#pragma once

#include <SDL.h>

#include "platform/Gamepad.h"
#include "platform/Settings.h"

// Starts SDL's game controller subsystem for the window's life, with the player's pad settings; when it
// cannot start, the game has no pads and runs as before.
void SdlPadsStart(const TPadSettings& settings);
// Closes every pad and the subsystem.
void SdlPadsStop();
// A pad plugged in or pulled out (SDL's controller device events); false for any other event.
bool SdlPadsTakeEvent(const SDL_Event& event);
// Once a pass: what the pads change, read from every pad open; with focused false (another window has the
// keyboard) they hold nothing, so what they held is let go.
TPadChanges SdlPadsRead(bool focused);
// The cursor moved by the pads' analogue steering.
void SdlPadsMoveCursor(TPoint* point);
