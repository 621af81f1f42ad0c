// The Windows backend: the system's own window class, window, message loop, cursor, tick count and sleep,
// and each finished frame copied into the window's drawing context through the graphics device interface,
// straight from the frame's pixels as a device-independent bitmap, in one blit. The system's window
// procedure turns key and close messages into the game's messages in the shared queue, so the game takes one
// of them per pass exactly as on the other systems, and a recording sees them all.
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

#include "platform/Backend.h"
#include "platform/Platform.h"

// The system's frame and title have sizes of their own: the window is made so that its client area is the
// game's drawing area, and the picture is copied to where that area really lies.
constexpr DWORD WindowStyle = WS_OVERLAPPEDWINDOW;
// The game's icon in the program's resources (tramolo.rc).
constexpr WORD GameIconResource = 1;
// Sleep(2) sleeps about 2 ms only with the system's timer at 1 ms; the default of 15.6 ms would make a pass
// last 16 ms.
constexpr UINT TimerPeriodMs = 1;

static HINSTANCE Instance;
static const char* ClassName;
static HWND Window;
static HDC WindowDc;
static bool PeriodRaised;
// While the window only shows a watched recording: its keys and close requests end the watching instead of
// reaching the game.
static bool Watching;
static bool WatcherEnded;

static void WinSayWhy(const char* what) {
    char reason[256];
    const DWORD error = GetLastError();
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                       sizeof reason, nullptr) == 0)
        std::snprintf(reason, sizeof reason, "system error %lu", (unsigned long)error);
    std::fprintf(stderr, "tramolo: %s: %s\n", what, reason);
}

// Where the cursor stood when the system's message was sent.
static TPoint WinMessagePoint() {
    const DWORD at = GetMessagePos();
    return TPoint{(int16_t)LOWORD(at), (int16_t)HIWORD(at)};
}

static LRESULT CALLBACK WinSystemWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (Watching) {
            if (message == WM_KEYDOWN && wParam == VK_ESCAPE) WatcherEnded = true;
            return 0;
        }
        PostWindowMessage(message, (uint32_t)wParam, (int32_t)lParam, (uint32_t)GetMessageTime(),
                          WinMessagePoint());
        // The system keys keep the system's own meaning (Alt+F4, the window menu).
        break;
    case WM_CLOSE:
        // The game's default handling destroys the window when the game takes the request.
        if (Watching)
            WatcherEnded = true;
        else
            PostCloseRequest((uint32_t)GetMessageTime(), WinMessagePoint());
        return 0;
    case WM_DESTROY:
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The game's class as the system knows it: its style, icon, cursor and background brush.
static bool WinRegisterSystemClass() {
    const TWindowClass* game = RegisteredWindowClass();
    if (game == nullptr || game->lpszClassName == nullptr) return false;
    Instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = game->style;
    windowClass.lpfnWndProc = WinSystemWindowProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(GameIconResource));
    if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(game->hIcon));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(game->hCursor));
    windowClass.hbrBackground = (HBRUSH)(INT_PTR)game->hbrBackground;
    windowClass.lpszClassName = game->lpszClassName;
    if (RegisterClassA(&windowClass) == 0) {
        WinSayWhy("cannot register the window class");
        return false;
    }
    ClassName = game->lpszClassName;
    return true;
}

static int32_t WinCreateGameWindow(const char* title, int32_t width, int32_t height) {
    if (!WinRegisterSystemClass()) return 0;
    RECT outer{0, 0, ClientSide(width, WindowFrameWidth), ClientSide(height, WindowFrameHeight)};
    AdjustWindowRectEx(&outer, WindowStyle, FALSE, 0);
    Window = CreateWindowExA(0, ClassName, title, WindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, Instance,
                             nullptr);
    if (Window == nullptr) {
        WinSayWhy("cannot open the window");
        UnregisterClassA(ClassName, Instance);
        return 0;
    }
    WindowDc = GetWindowDC(Window);
    PeriodRaised = timeBeginPeriod(TimerPeriodMs) == TIMERR_NOERROR;
    Watching = false;
    WatcherEnded = false;
    return BackendWindowHandle;
}

// Shown as the program was asked to start (normal, minimised, maximised), then painted once.
static void WinShowGameWindow(int32_t) {
    if (Window == nullptr) return;
    ShowWindow(Window, SW_SHOWDEFAULT);
    UpdateWindow(Window);
}

static void WinPumpEvents() {
    ForgetCursorSample(); // a new pass
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReportMessageQueueDrops(false);
}

static void WinReleaseDrawingContext() {
    if (WindowDc != nullptr) ReleaseDC(Window, WindowDc);
    WindowDc = nullptr;
}

static void WinDestroyGameWindow(int32_t) {
    WinReleaseDrawingContext();
    if (Window != nullptr) DestroyWindow(Window);
    Window = nullptr;
}

static uint32_t WinGetTickCount() {
    return GetTickCount();
}

static void WinSleep(uint32_t ms) {
    Sleep(ms);
}

static void WinReadCursor(TPoint* point) {
    POINT at{0, 0};
    GetCursorPos(&at);
    *point = TPoint{at.x, at.y};
}

static void WinGetCursorPos(TPoint* point) {
    SampleCursor(point, WinReadCursor);
}

// Copies rect of the frame to the same place of the drawing area, clipped to the client area (the rest of a
// larger window shows the class background) and to the frame. The drawing context is the whole window's, so
// the copy goes to the client area's offset inside the window.
static void WinCopyToWindow(const TCanvas* frame, TRect rect) {
    if (WindowDc == nullptr || frame->Pixels == nullptr) return;
    RECT client;
    RECT outer;
    POINT origin{0, 0};
    if (!GetClientRect(Window, &client) || !GetWindowRect(Window, &outer) || !ClientToScreen(Window, &origin))
        return;
    const LONG left = std::max<LONG>({rect.Left, WindowFrameLeft, 0});
    const LONG top = std::max<LONG>({rect.Top, WindowFrameTop, 0});
    const LONG right = std::min<LONG>({rect.Right, WindowFrameLeft + client.right, frame->Width});
    const LONG bottom = std::min<LONG>({rect.Bottom, WindowFrameTop + client.bottom, frame->Height});
    if (left >= right || top >= bottom) return;
    // The rows from top down, as a top-down bitmap as wide as the frame: its first row is the copy's first.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = frame->Width;
    info.bmiHeader.biHeight = -(bottom - top);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const uint32_t* first = frame->Pixels + (size_t)top * (size_t)frame->Width;
    const LONG x = origin.x - outer.left + left - WindowFrameLeft;
    const LONG y = origin.y - outer.top + top - WindowFrameTop;
    SetDIBitsToDevice(WindowDc, x, y, (DWORD)(right - left), (DWORD)(bottom - top), left, 0, 0,
                      (UINT)(bottom - top), first, &info, DIB_RGB_COLORS);
}

static void WinReleaseGameWindow() {
    ReportMessageQueueDrops(true);
    WinDestroyGameWindow(BackendWindowHandle);
    if (ClassName != nullptr) UnregisterClassA(ClassName, Instance);
    ClassName = nullptr;
    if (PeriodRaised) timeEndPeriod(TimerPeriodMs);
    PeriodRaised = false;
    Watching = false;
    ForgetCursorSample();
}

static int32_t WinContinueLoop() {
    return 1;
}

static const TPlatformBackend Windows = {
    .CreateGameWindow = WinCreateGameWindow,
    .ShowGameWindow = WinShowGameWindow,
    .PumpEvents = WinPumpEvents,
    .DestroyGameWindow = WinDestroyGameWindow,
    .GetTickCount = WinGetTickCount,
    .Sleep = WinSleep,
    .GetCursorPos = WinGetCursorPos,
    .CopyToWindow = WinCopyToWindow,
    .ReleaseGameWindow = WinReleaseGameWindow,
    .ContinueLoop = WinContinueLoop,
};

const TPlatformBackend* WindowBackend() {
    return &Windows;
}

int32_t TakeViewerEvents() {
    Watching = true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const int32_t ended = WatcherEnded ? 1 : 0;
    WatcherEnded = false;
    return ended;
}

// A program of the windows subsystem started from a console has no standard output of its own; one whose
// output goes to a file or a pipe has, and keeps it.
void UseCallersConsole() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS) == 0) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}
