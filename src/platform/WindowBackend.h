// The backend that shows the game in a real window on the system it was built for: SDL2 on Linux and the
// other Unix desktops (platform/sdl), the system's own window calls on Windows (platform/windows). The game's
// entry and the runner's window modes take it from here, whichever it is.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

const TPlatformBackend* WindowBackend();

// For a window that only shows frames (the runner playing a script to a person watching): takes the
// window's pending events without passing any to the game; 1 when ESC went down or the window was asked to
// close since the last call.
int32_t TakeViewerEvents();

// Before anything is written to the standard output: where the system starts a windowed program detached
// from the console it was called from (Windows), joins that console, so that --help and --version are seen
// there. Elsewhere it does nothing.
void UseCallersConsole();
