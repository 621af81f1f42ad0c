// The SDL2 backend: a real window on the desktop, its keys and mouse, the copy of each frame to the screen.
// Its entry points are those of every window backend (platform/WindowBackend.h).
#pragma once

#include "platform/WindowBackend.h"
