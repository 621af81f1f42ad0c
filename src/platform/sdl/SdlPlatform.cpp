// The SDL2 backend: the real window with the game's icon, its events as window messages, ticks, sleep and
// the cursor. The window's client area is exactly the game's screen rectangle; what lies beyond it after a
// resize shows the menu grey.
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
#include "platform/sdl/GameIcon.h"
#include "platform/sdl/KeyMap.h"
#include "platform/sdl/X11Pointer.h"

constexpr Uint8 MenuGrey = 240;
// The window's class (WM_CLASS on X11, the app id on Wayland): the desktop entry's StartupWMClass names it,
// so that the desktop shows the running game under the entry's name and icon.
constexpr char WindowClass[] = "tramolo";
constexpr int32_t LargestIconSide = 256;

static SDL_Window* Window;
static SDL_Renderer* Renderer;
static SDL_Texture* Texture;
static int32_t ClientWidth;
static int32_t ClientHeight;
static bool VideoStarted;

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
}

static void ShutDownVideo() {
    if (VideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoStarted = false;
}

static void DestroyWindowParts() {
    X11PointerDetach();
    if (Texture != nullptr) SDL_DestroyTexture(Texture);
    if (Renderer != nullptr) SDL_DestroyRenderer(Renderer);
    if (Window != nullptr) SDL_DestroyWindow(Window);
    Texture = nullptr;
    Renderer = nullptr;
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

// An accelerated renderer where there is one, else SDL's software renderer onto the window surface.
static bool CreatePresenter() {
    Renderer = SDL_CreateRenderer(Window, -1, 0);
    if (Renderer == nullptr) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
    if (Renderer == nullptr) return false;
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, ClientWidth,
                                ClientHeight);
    return Texture != nullptr;
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
    ClientWidth = ClientSide(width, WindowFrameWidth);
    ClientHeight = ClientSide(height, WindowFrameHeight);
    Window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ClientWidth,
                              ClientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (Window == nullptr || !CreatePresenter()) {
        std::fprintf(stderr, "tramolo: cannot open the window (%s)\n", SdlReason().c_str());
        DestroyWindowParts();
        ShutDownVideo();
        return 0;
    }
    SetGameIcon();
    X11PointerAttach(Window);
    IgnoreUnreadEvents();
    return BackendWindowHandle;
}

// The window as the system paints it before the first frame: all in the class background.
static void SdlShowGameWindow(int32_t) {
    if (Window == nullptr) return;
    SDL_ShowWindow(Window);
    SDL_SetRenderDrawColor(Renderer, MenuGrey, MenuGrey, MenuGrey, 255);
    SDL_RenderClear(Renderer);
    SDL_RenderPresent(Renderer);
}

static void SdlDestroyGameWindow(int32_t) {
    DestroyWindowParts();
}

static uint32_t SdlGetTickCount() {
    return (uint32_t)SDL_GetTicks64();
}

static void SdlSleep(uint32_t ms) {
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

static void SdlGetCursorPos(TPoint* point) {
    SampleCursor(point, SdlReadCursor);
}

// A key event as the classic desktop reports it, stamped with the tick and the cursor.
static void SdlPostKey(const SDL_KeyboardEvent& key) {
    const int32_t virtualKey = VirtualKeyFromKey(key.keysym.scancode, key.keysym.sym);
    if (virtualKey == 0) return;
    const bool down = key.type == SDL_KEYDOWN;
    TPoint cursor;
    SdlReadCursor(&cursor);
    PostWindowMessage(KeyMessage(virtualKey, down, (key.keysym.mod & KMOD_ALT) != 0), (uint32_t)virtualKey,
                      KeyMessageFlags(down, key.repeat != 0, (uint32_t)key.keysym.scancode),
                      SdlGetTickCount(), cursor);
}

static void SdlPostClose() {
    TPoint cursor;
    SdlReadCursor(&cursor);
    PostCloseRequest(SdlGetTickCount(), cursor);
}

static void SdlPumpEvents() {
    ForgetCursorSample(); // a new pass
    if (!VideoStarted) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            SdlPostKey(event.key);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) SdlPostClose();
            break;
        case SDL_QUIT:
            SdlPostClose();
            break;
        default:
            break;
        }
    }
    ReportMessageQueueDrops(false);
}

// Shows rect of the frame at client position (x - 2, y - 26), one to one; the rest of a larger window is
// grey.
static void SdlCopyToWindow(const TCanvas* frame, TRect rect) {
    if (Window == nullptr || frame->Pixels == nullptr) return;
    SDL_Rect area{rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top};
    const SDL_Rect client{WindowFrameLeft, WindowFrameTop, ClientWidth, ClientHeight};
    const SDL_Rect buffer{0, 0, frame->Width, frame->Height};
    SDL_Rect shown;
    SDL_Rect inside;
    if (SDL_IntersectRect(&area, &client, &shown) != SDL_TRUE) return;
    if (SDL_IntersectRect(&shown, &buffer, &inside) != SDL_TRUE) return;
    const SDL_Rect target{inside.x - WindowFrameLeft, inside.y - WindowFrameTop, inside.w, inside.h};
    const uint32_t* first = frame->Pixels + (size_t)inside.y * (size_t)frame->Width + (size_t)inside.x;
    SDL_UpdateTexture(Texture, &target, first, frame->Width * (int)sizeof(uint32_t));
    const SDL_Rect whole{0, 0, ClientWidth, ClientHeight};
    SDL_SetRenderDrawColor(Renderer, MenuGrey, MenuGrey, MenuGrey, 255);
    SDL_RenderClear(Renderer);
    SDL_RenderCopy(Renderer, Texture, &whole, &whole);
    SDL_RenderPresent(Renderer);
}

static void SdlReleaseGameWindow() {
    ReportMessageQueueDrops(true);
    DestroyWindowParts();
    ShutDownVideo();
    ForgetCursorSample();
}

int32_t TakeViewerEvents() {
    if (!VideoStarted) return 0;
    int32_t ended = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
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
