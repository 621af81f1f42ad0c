// Reads the pointer with XQueryPointer on the root window of the game window's screen, through the X
// connection SDL opened for the window, and tells the platform when that connection is lost. Kept apart
// from the SDL backend so that Xlib's names stay here.
#include "platform/sdl/X11Pointer.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cerrno>

#if defined(SDL_VIDEO_DRIVER_X11)

static Display* QueryDisplay;
static Window QueryRoot;
static XIOErrorHandler XlibOnLostServer;

// The X server went away (killed, or its connection cut): Xlib ends the process from this handler. The
// platform's hook runs first, then Xlib's own handler, which says so and ends it.
static int OnLostServer(Display* display) {
    // Xlib's handler tells from errno how the connection broke.
    const int reason = errno;
    DisplayLost();
    errno = reason;
    return XlibOnLostServer != nullptr ? XlibOnLostServer(display) : 0;
}

bool X11PointerAttach(SDL_Window* window) {
    QueryDisplay = nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) == 0) return false;
    QueryDisplay = info.info.x11.display;
    QueryRoot = attributes.root;
    const XIOErrorHandler previous = XSetIOErrorHandler(OnLostServer);
    if (previous != OnLostServer) XlibOnLostServer = previous;
    return true;
}

void X11PointerDetach() {
    if (QueryDisplay != nullptr) XSetIOErrorHandler(XlibOnLostServer);
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
