// Reads the pointer with XQueryPointer on the root window of the game window's screen, through the X
// connection SDL opened for the window. Kept apart from the SDL backend so that Xlib's names stay here.
#include "platform/sdl/X11Pointer.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)

static Display* QueryDisplay;
static Window QueryRoot;

bool X11PointerAttach(SDL_Window* window) {
    QueryDisplay = nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) == 0) return false;
    QueryDisplay = info.info.x11.display;
    QueryRoot = attributes.root;
    return true;
}

void X11PointerDetach() {
    QueryDisplay = nullptr;
}

bool X11PointerRead(TPoint* point) {
    if (QueryDisplay == nullptr) return false;
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    // The root coordinates are those of the screen the pointer is on, also when that is another screen.
    XQueryPointer(QueryDisplay, QueryRoot, &root, &child, &rootX, &rootY, &windowX, &windowY, &buttons);
    point->x = rootX;
    point->y = rootY;
    return true;
}

#else

bool X11PointerAttach(SDL_Window*) {
    return false;
}

void X11PointerDetach() {}

bool X11PointerRead(TPoint*) {
    return false;
}

#endif
