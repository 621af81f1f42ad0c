// The SDL2 backend: the real window with the game's icon, its events as window messages, ticks, sleep and
// the cursor. The window opens at the largest whole multiple of the drawing area that suits its display (or
// where the settings say), shows the frames through the presenter (SdlPresenter.cpp), and takes Alt+Enter
// and F11 for itself: they switch desktop fullscreen and never reach the game; F7, the records view, neither.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "draw/PngFile.h"
#include "platform/Backend.h"
#include "platform/Platform.h"
#include "platform/Printable.h"
#include "platform/Settings.h"
#include "platform/VirtualKeys.h"
#include "platform/sdl/GameIcon.h"
#include "platform/sdl/KeyMap.h"
#include "platform/sdl/SdlPads.h"
#include "platform/sdl/SdlPresenter.h"
#include "platform/sdl/X11Pointer.h"

// The window's class (WM_CLASS on X11, the app id on Wayland): the desktop entry's StartupWMClass names it,
// so that the desktop shows the running game under the entry's name and icon.
constexpr char WindowClass[] = "tramolo";
constexpr int32_t LargestIconSide = 256;

static SDL_Window* Window;
static bool VideoStarted;
// The settings of this run (the defaults when the program keeps none), kept up to date while the window
// is open.
static TSettings Defaults;
static TSettings* Settings = &Defaults;
static bool Fullscreen;
// The keys the backend took for itself while they are down: their repeats and releases are taken too.
static bool TakenKeys[SDL_NUM_SCANCODES];

static bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Without any of these no X or Wayland server can be reached; asking SDL would only add its own complaints.
static bool DisplayReachable() {
    return IsSet("SDL_VIDEODRIVER") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") ||
           IsSet("XDG_RUNTIME_DIR");
}

// Only drivers that show a window to a person count, unless the user named a driver himself.
static bool DriverShowsWindow() {
    if (IsSet("SDL_VIDEODRIVER")) return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

// SDL takes the window class from this variable when the video subsystem starts, else from the executable's
// name, which a copy or a link may change. A class the user set himself stays.
static void NameTheApplication() {
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", WindowClass, 0);
    SDL_SetHint(SDL_HINT_APP_NAME, WindowClass);
}

// Event kinds the game never reads stay out of SDL's queue, so key events never wait behind them.
static void IgnoreUnreadEvents() {
    SDL_StopTextInput();
    const Uint32 unread[] = {SDL_TEXTINPUT,
                             SDL_TEXTEDITING,
                             SDL_MOUSEMOTION,
                             SDL_MOUSEBUTTONDOWN,
                             SDL_MOUSEBUTTONUP,
                             SDL_MOUSEWHEEL,
                             SDL_FINGERDOWN,
                             SDL_FINGERUP,
                             SDL_FINGERMOTION,
                             SDL_KEYMAPCHANGED,
                             SDL_DROPFILE,
                             SDL_DROPTEXT,
                             SDL_DROPBEGIN,
                             SDL_DROPCOMPLETE,
                             SDL_SYSWMEVENT,
                             SDL_JOYAXISMOTION,
                             SDL_CONTROLLERAXISMOTION,
                             SDL_AUDIODEVICEADDED,
                             SDL_AUDIODEVICEREMOVED};
    for (Uint32 type : unread)
        SDL_EventState(type, SDL_IGNORE);
    // The pads are read once a pass: only their coming and going is an event.
    const Uint32 padEvents[] = {SDL_JOYBALLMOTION,
                                SDL_JOYHATMOTION,
                                SDL_JOYBUTTONDOWN,
                                SDL_JOYBUTTONUP,
                                SDL_JOYBATTERYUPDATED,
                                SDL_CONTROLLERBUTTONDOWN,
                                SDL_CONTROLLERBUTTONUP,
                                SDL_CONTROLLERDEVICEREMAPPED,
                                SDL_CONTROLLERTOUCHPADDOWN,
                                SDL_CONTROLLERTOUCHPADMOTION,
                                SDL_CONTROLLERTOUCHPADUP,
                                SDL_CONTROLLERSENSORUPDATE,
                                SDL_SENSORUPDATE};
    for (Uint32 type : padEvents)
        SDL_EventState(type, SDL_IGNORE);
}

static void ShutDownVideo() {
    if (VideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoStarted = false;
}

static void DestroyWindowParts() {
    SdlPadsStop();
    X11PointerDetach();
    SdlPresenterDestroy();
    if (Window != nullptr) SDL_DestroyWindow(Window);
    Window = nullptr;
}

// The built-in icon on the window, for window managers and task bars that show it.
static void SetGameIcon() {
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    if (!ReadPngPixels(GameIconPng, GameIconPngSize, LargestIconSide, &pixels, &width, &height)) return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32, width * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr) return;
    SDL_SetWindowIcon(Window, icon);
    SDL_FreeSurface(icon);
}

// The windowed place into the settings, unless the window is fullscreen (leaving it gives the place back).
static void KeepWindowPlace() {
    if (Window == nullptr || Fullscreen) return;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(Window, &x, &y);
    SDL_GetWindowSize(Window, &width, &height);
    Settings->HasPlace = true;
    Settings->WindowX = x;
    Settings->WindowY = y;
    Settings->WindowWidth = width;
    Settings->WindowHeight = height;
}

static void SetFullscreen(bool on) {
    if (Window == nullptr) return;
    KeepWindowPlace();
    if (SDL_SetWindowFullscreen(Window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
    Fullscreen = on;
    Settings->Fullscreen = on;
    SdlPresenterConfigure(Settings->Scaling, Settings->Presenting, Fullscreen);
    SdlPresenterFollowDisplay();
}

// The saved place when it still lies on a display (else one line and the default place), otherwise the
// largest whole multiple of the drawing area within 90 % of the first display's usable area, in real
// pixels: the window's size is in the system's units, which a high-density screen may make larger.
static void PlaceWindow() {
    const int displays = SDL_GetNumVideoDisplays();
    if (Settings->HasPlace) {
        std::vector<TRect> usable;
        for (int i = 0; i < displays; i++) {
            SDL_Rect bounds;
            if (SDL_GetDisplayUsableBounds(i, &bounds) == 0)
                usable.push_back(TRect{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h});
        }
        const TRect place{Settings->WindowX, Settings->WindowY, Settings->WindowX + Settings->WindowWidth,
                          Settings->WindowY + Settings->WindowHeight};
        if (PlaceOnDisplays(place, usable.data(), (int32_t)usable.size())) {
            SDL_SetWindowSize(Window, Settings->WindowWidth, Settings->WindowHeight);
            SDL_SetWindowPosition(Window, Settings->WindowX, Settings->WindowY);
            return;
        }
        std::fprintf(stderr,
                     "tramolo: the saved window place (%d, %d) lies on no display now; the window opens at "
                     "its default place\n",
                     Settings->WindowX, Settings->WindowY);
        Settings->HasPlace = false;
    }
    SDL_Rect bounds{0, 0, DrawingAreaWidth, DrawingAreaHeight};
    if (displays < 1 || SDL_GetDisplayUsableBounds(0, &bounds) != 0) return;
    int32_t pixelsWide = 0;
    int32_t pixelsHigh = 0;
    SdlPresenterOutputSize(&pixelsWide, &pixelsHigh);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(Window, &width, &height);
    const double density = width > 0 && pixelsWide > width ? (double)pixelsWide / width : 1.0;
    const int32_t whole = OpeningMultiple((int32_t)(bounds.w * density), (int32_t)(bounds.h * density));
    SDL_SetWindowSize(Window, (int)(DrawingAreaWidth * whole / density),
                      (int)(DrawingAreaHeight * whole / density));
    SDL_SetWindowPosition(Window, SDL_WINDOWPOS_CENTERED_DISPLAY(0), SDL_WINDOWPOS_CENTERED_DISPLAY(0));
}

// The display the environment names, for the messages: "X display ":1"" and the like, escaped as the user's
// environment may hold anything.
static std::string NameDisplay() {
    const bool wayland = IsSet("WAYLAND_DISPLAY");
    const bool x11 = IsSet("DISPLAY");
    const std::string waylandName = wayland ? PrintableText(std::getenv("WAYLAND_DISPLAY")) : "";
    const std::string x11Name = x11 ? PrintableText(std::getenv("DISPLAY")) : "";
    if (wayland && x11) return "Wayland display \"" + waylandName + "\" or X display \"" + x11Name + "\"";
    if (wayland) return "Wayland display \"" + waylandName + "\"";
    if (x11) return "X display \"" + x11Name + "\"";
    return "display (neither DISPLAY nor WAYLAND_DISPLAY names one)";
}

// SDL's reason, which may quote the display name.
static std::string SdlReason() {
    return PrintableText(SDL_GetError());
}

static int32_t SdlCreateGameWindow(const char* title, int32_t width, int32_t height) {
    const std::string display = NameDisplay();
    if (!DisplayReachable()) {
        std::fprintf(stderr, "tramolo: no display to open the window on (DISPLAY is not set)\n");
        return 0;
    }
    NameTheApplication();
    // With only an X display named, SDL is not let try Wayland first, which would only add complaints.
    if (!IsSet("SDL_VIDEODRIVER") && !IsSet("WAYLAND_DISPLAY") && IsSet("DISPLAY"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tramolo: cannot open the %s: %s\n", display.c_str(), SdlReason().c_str());
        return 0;
    }
    VideoStarted = true;
    if (!DriverShowsWindow()) {
        std::fprintf(
            stderr, "tramolo: cannot open the %s: only the \"%s\" video driver works\n", display.c_str(),
            PrintableText(SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "no")
                .c_str());
        ShutDownVideo();
        return 0;
    }
    Settings = WindowSettings() != nullptr ? WindowSettings() : &Defaults;
    if (Settings == &Defaults) Defaults = TSettings{};
    Fullscreen = false;
    std::memset(TakenKeys, 0, sizeof TakenKeys);
    Window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              ClientSide(width, WindowFrameWidth), ClientSide(height, WindowFrameHeight),
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (Window == nullptr || !SdlPresenterCreate(Window)) {
        std::fprintf(stderr, "tramolo: cannot open the window (%s)\n", SdlReason().c_str());
        DestroyWindowParts();
        ShutDownVideo();
        return 0;
    }
    SetGameIcon();
    PlaceWindow();
    SdlPresenterConfigure(Settings->Scaling, Settings->Presenting, false);
    SdlPresenterFollowDisplay();
    X11PointerAttach(Window);
    SdlPadsStart(Settings->Pad);
    IgnoreUnreadEvents();
    return BackendWindowHandle;
}

// The window as the system paints it before the first frame: all in the class background; fullscreen
// when the settings say so.
static void SdlShowGameWindow(int32_t) {
    if (Window == nullptr) return;
    SDL_ShowWindow(Window);
    SdlPresenterShowBackground();
    KeepWindowPlace();
    if (Settings->Fullscreen) SetFullscreen(true);
}

static void SdlDestroyGameWindow(int32_t) {
    DestroyWindowParts();
}

static uint32_t SdlGetTickCount() {
    return (uint32_t)SDL_GetTicks64();
}

// A refresh that came since the last frame was kept is shown before the pause.
static void SdlSleep(uint32_t ms) {
    SdlPresenterCatchUp();
    SDL_Delay(ms);
}

// Fresh from the X server where the window is an X11 one; SDL's global query elsewhere.
static void SdlReadCursor(TPoint* point) {
    if (X11PointerRead(point)) return;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    point->x = x;
    point->y = y;
}

// The cursor the game reads: the system's, moved by a pad's analogue steering.
static void SdlReadGameCursor(TPoint* point) {
    SdlReadCursor(point);
    SdlPadsMoveCursor(point);
}

static void SdlGetCursorPos(TPoint* point) {
    SampleCursor(point, SdlReadGameCursor);
}

// A key event as the classic desktop reports it, stamped with the tick and the cursor.
static void SdlPostKey(const SDL_KeyboardEvent& key) {
    const int32_t virtualKey = VirtualKeyFromKey(key.keysym.scancode, key.keysym.sym);
    if (virtualKey == 0) return;
    const bool down = key.type == SDL_KEYDOWN;
    if (TakeRecordsViewKey(virtualKey, down, key.repeat != 0)) return;
    TPoint cursor;
    SdlReadCursor(&cursor);
    PostWindowMessage(KeyMessage(virtualKey, down, (key.keysym.mod & KMOD_ALT) != 0), (uint32_t)virtualKey,
                      KeyMessageFlags(down, key.repeat != 0, (uint32_t)key.keysym.scancode),
                      SdlGetTickCount(), cursor);
}

// Alt+Enter and F11 switch fullscreen; the backend takes them, their repeats and their releases, so that the
// game, its queue and a recording never see them.
static bool SdlTakeWindowKey(const SDL_KeyboardEvent& key) {
    const SDL_Scancode code = key.keysym.scancode;
    if (code < 0 || code >= SDL_NUM_SCANCODES) return false;
    if (key.type == SDL_KEYUP) {
        const bool taken = TakenKeys[code];
        TakenKeys[code] = false;
        return taken;
    }
    if (TakenKeys[code]) return true;
    const int32_t virtualKey = VirtualKeyFromKey(code, key.keysym.sym);
    const bool altEnter = virtualKey == VkEnter && (key.keysym.mod & KMOD_ALT) != 0;
    if (!altEnter && virtualKey != VkF11) return false;
    TakenKeys[code] = true;
    SetFullscreen(!Fullscreen);
    return true;
}

// What the window itself changed: its size and place, kept for the settings, and its display's refresh.
static void SdlFollowWindow(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        SdlPresenterFollowDisplay();
        KeepWindowPlace();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        KeepWindowPlace();
        SdlPresenterRedraw();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        SdlPresenterRedraw();
        break;
    default:
        break;
    }
}

static void SdlPostClose() {
    TPoint cursor;
    SdlReadCursor(&cursor);
    PostCloseRequest(SdlGetTickCount(), cursor);
}

// The pads' keys as the keyboard's are posted, after the pass's events; only while the window has the keys.
static void SdlPostPads() {
    const bool focused = Window != nullptr && (SDL_GetWindowFlags(Window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    const TPadChanges changes = SdlPadsRead(focused);
    if (changes.UpCount == 0 && changes.DownCount == 0) return;
    TPoint cursor;
    SdlReadCursor(&cursor);
    PostPadChanges(changes, SdlGetTickCount(), cursor);
}

static void SdlPumpEvents() {
    ForgetCursorSample(); // a new pass
    if (!VideoStarted) return;
    SdlPresenterCatchUp();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (!SdlTakeWindowKey(event.key)) SdlPostKey(event.key);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) SdlPostClose();
            SdlFollowWindow(event.window);
            break;
        case SDL_QUIT:
            SdlPostClose();
            break;
        default:
            SdlPadsTakeEvent(event);
            break;
        }
    }
    SdlPostPads();
    ReportMessageQueueDrops(false);
}

// The finished frame goes to the presenter, which shows it now or at the next refresh.
static void SdlCopyToWindow(const TCanvas* frame, TRect rect) {
    if (Window == nullptr || frame->Pixels == nullptr) return;
    SdlPresenterTakeFrame(frame, rect);
}

static void SdlReleaseGameWindow() {
    ReportMessageQueueDrops(true);
    SdlPresenterForgetFrame();
    KeepWindowPlace();
    DestroyWindowParts();
    ShutDownVideo();
    ForgetCursorSample();
}

int32_t TakeViewerEvents() {
    if (!VideoStarted) return 0;
    int32_t ended = 0;
    SDL_Event event;
    SdlPresenterCatchUp();
    while (SDL_PollEvent(&event) != 0) {
        if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && SdlTakeWindowKey(event.key)) continue;
        if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
            TakeRecordsViewKey(VirtualKeyFromKey(event.key.keysym.scancode, event.key.keysym.sym),
                               event.type == SDL_KEYDOWN, event.key.repeat != 0))
            continue;
        if (event.type == SDL_WINDOWEVENT) SdlFollowWindow(event.window);
        const bool escape = event.type == SDL_KEYDOWN &&
                            VirtualKeyFromKey(event.key.keysym.scancode, event.key.keysym.sym) == VkEscape;
        const bool close = event.type == SDL_QUIT ||
                           (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
        if (escape || close) ended = 1;
    }
    return ended;
}

static int32_t SdlContinueLoop() {
    return 1;
}

static const TPlatformBackend Sdl = {
    .CreateGameWindow = SdlCreateGameWindow,
    .ShowGameWindow = SdlShowGameWindow,
    .PumpEvents = SdlPumpEvents,
    .DestroyGameWindow = SdlDestroyGameWindow,
    .GetTickCount = SdlGetTickCount,
    .Sleep = SdlSleep,
    .GetCursorPos = SdlGetCursorPos,
    .CopyToWindow = SdlCopyToWindow,
    .ReleaseGameWindow = SdlReleaseGameWindow,
    .ContinueLoop = SdlContinueLoop,
};

const TPlatformBackend* WindowBackend() {
    return &Sdl;
}

// A program of the desktop shares its caller's terminal already.
void UseCallersConsole() {}
