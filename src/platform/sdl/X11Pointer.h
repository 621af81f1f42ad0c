// The cursor's screen position read straight from the X server, for a window that SDL shows through X11.
// SDL's own global query there returns a position that only raw motion events renew, and a pointer warped
// by a remote desktop, an accessibility tool or xdotool sends none; asking the server in every pass sees it.
#pragma once

#include "platform/Platform.h"

struct SDL_Window;

// Binds the queries to the window's X connection, and a lost connection to DisplayLost(); false (and nothing
// bound) when the window is no X11 one.
bool X11PointerAttach(SDL_Window* window);
// Forgets the connection; called before SDL closes it with the window.
void X11PointerDetach();
// The pointer's position on the screen it is on; false when no X11 window is bound.
bool X11PointerRead(TPoint* point);
