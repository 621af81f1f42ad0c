// The SDL2 backend: a real window on the desktop, its keys and mouse, the copy of each frame to the screen.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

const TPlatformBackend* SdlBackend();

// For an SDL window that only shows frames (the runner playing a script to a person watching): takes the
// window's pending events without passing any to the game; 1 when ESC went down or the window was asked to
// close since the last call.
int32_t SdlTakeViewerEvents();
