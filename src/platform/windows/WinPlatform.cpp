// The Windows backend: the system's own window class, window, message loop, cursor, tick count and sleep,
// and the finished frame copied into the window's drawing context through the graphics device interface,
// at most once per refresh of the display: a whole multiple straight from the frame's pixels as a
// device-independent bitmap (StretchDIBits, nearest pixels), any other size scaled sharp on the processor
// first. The system's window procedure turns key and close messages into the game's messages in the shared
// queue, so the game takes one of them per pass exactly as on the other systems, and a recording sees them
// all; Alt+Enter and F11 it keeps for itself: they switch a borderless window over the whole monitor; F7,
// the records view, never reaches the game either. The program declares per-monitor DPI awareness in its
// manifest, so the window is in real pixels everywhere.
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Backend.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/windows/WinPads.h"

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
// The settings of this run (the defaults when the program keeps none), kept up to date while the window is
// open; whether it covers its monitor, and the windowed placement to go back to.
static TSettings Defaults;
static TSettings* Settings = &Defaults;
static bool Fullscreen;
static WINDOWPLACEMENT Windowed;
// The keys the backend took for itself while they are down: their repeats and releases are taken too.
static bool TakenKeys[256];
// The newest frame not shown yet, and when the display's next refresh is due (performance counter).
static const TCanvas* Kept;
static bool Waiting;
static LONGLONG NextPresent;
static LONGLONG RefreshPeriod;
// The sharp scale's taps and picture, made anew only when the picture's size changes.
static std::vector<TScaleTap> Columns;
static std::vector<TScaleTap> Rows;
static std::vector<uint32_t> Scaled;
static int32_t ScaledWidth;
static int32_t ScaledHeight;
static int32_t ScaledWhole;

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

static void WinToggleFullscreen();
static void WinKeepWindowPlace();
static void WinFollowDisplay();

// Alt+Enter and F11, their repeats and their releases: true when the backend took the key.
static bool WinTakeWindowKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam >= 256) return false;
    if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        const bool taken = TakenKeys[wParam];
        TakenKeys[wParam] = false;
        return taken;
    }
    if (TakenKeys[wParam]) return true;
    const bool altEnter = message == WM_SYSKEYDOWN && wParam == VK_RETURN && (lParam & (1 << 29)) != 0;
    const bool f11 = wParam == VK_F11;
    if (!altEnter && !f11) return false;
    TakenKeys[wParam] = true;
    WinToggleFullscreen();
    return true;
}

static LRESULT CALLBACK WinSystemWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (WinTakeWindowKey(message, wParam, lParam)) return 0;
        if (TakeRecordsViewKey((int32_t)wParam, message == WM_KEYDOWN || message == WM_SYSKEYDOWN,
                               (lParam & (1 << 30)) != 0))
            return 0;
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
    case WM_SYSCHAR:
        // Alt+Enter's character would only make the system beep.
        if (wParam == '\r') return 0;
        break;
    case WM_SIZE:
    case WM_MOVE:
        WinKeepWindowPlace();
        Waiting = Kept != nullptr;
        break;
    case WM_DISPLAYCHANGE:
        WinFollowDisplay();
        break;
    case WM_DPICHANGED: {
        // Another monitor's density: the size the system suggests keeps the window as large to the eye.
        const RECT* suggested = (const RECT*)lParam;
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        WinFollowDisplay();
        return 0;
    }
    case WM_DESTROY:
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The refresh rate of the monitor the window is on; 60 when the system does not say.
static void WinFollowDisplay() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    int32_t rate = 60;
    MONITORINFOEXA monitor{};
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (Window != nullptr &&
        GetMonitorInfoA(MonitorFromWindow(Window, MONITOR_DEFAULTTONEAREST), (MONITORINFO*)&monitor) != 0 &&
        EnumDisplaySettingsA(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) != 0 &&
        mode.dmDisplayFrequency > 1)
        rate = (int32_t)mode.dmDisplayFrequency;
    RefreshPeriod = frequency.QuadPart / rate;
}

// The windowed client area's place and size into the settings, unless the window covers its monitor or is
// minimised.
static void WinKeepWindowPlace() {
    if (Window == nullptr || Fullscreen || IsIconic(Window)) return;
    RECT client;
    POINT origin{0, 0};
    if (!GetClientRect(Window, &client) || !ClientToScreen(Window, &origin)) return;
    if (client.right <= 0 || client.bottom <= 0) return;
    Settings->HasPlace = true;
    Settings->WindowX = origin.x;
    Settings->WindowY = origin.y;
    Settings->WindowWidth = client.right;
    Settings->WindowHeight = client.bottom;
}

// Fullscreen is a borderless window over the whole monitor the window is on; leaving it gives back the
// windowed placement.
static void WinToggleFullscreen() {
    if (Window == nullptr) return;
    if (!Fullscreen) {
        WinKeepWindowPlace();
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        Windowed.length = sizeof Windowed;
        if (!GetWindowPlacement(Window, &Windowed) ||
            !GetMonitorInfoA(MonitorFromWindow(Window, MONITOR_DEFAULTTONEAREST), &monitor))
            return;
        Fullscreen = true;
        SetWindowLongPtrA(Window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        SetWindowPos(Window, HWND_TOP, monitor.rcMonitor.left, monitor.rcMonitor.top,
                     monitor.rcMonitor.right - monitor.rcMonitor.left,
                     monitor.rcMonitor.bottom - monitor.rcMonitor.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
        Fullscreen = false;
        SetWindowLongPtrA(Window, GWL_STYLE, WindowStyle | WS_VISIBLE);
        SetWindowPlacement(Window, &Windowed);
        SetWindowPos(Window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    }
    Settings->Fullscreen = Fullscreen;
    Waiting = Kept != nullptr;
    WinFollowDisplay();
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

static BOOL CALLBACK WinAddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) != 0)
        ((std::vector<TRect>*)list)
            ->push_back(TRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
    return TRUE;
}

// The client area the window opens with, on the screen: the saved one while it lies on a monitor (else one
// line and the default), otherwise the largest whole multiple of the drawing area within 90 % of the
// primary monitor's work area, at the system's default place (x CW_USEDEFAULT).
static RECT WinOpeningClientArea() {
    if (Settings->HasPlace) {
        std::vector<TRect> monitors;
        EnumDisplayMonitors(nullptr, nullptr, WinAddMonitor, (LPARAM)&monitors);
        const TRect place{Settings->WindowX, Settings->WindowY, Settings->WindowX + Settings->WindowWidth,
                          Settings->WindowY + Settings->WindowHeight};
        if (PlaceOnDisplays(place, monitors.data(), (int32_t)monitors.size()))
            return RECT{place.Left, place.Top, place.Right, place.Bottom};
        std::fprintf(stderr,
                     "tramolo: the saved window place (%d, %d) lies on no display now; the window opens at "
                     "its default place\n",
                     Settings->WindowX, Settings->WindowY);
        Settings->HasPlace = false;
    }
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    int32_t whole = 1;
    if (GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary) != 0)
        whole = OpeningMultiple(primary.rcWork.right - primary.rcWork.left,
                                primary.rcWork.bottom - primary.rcWork.top);
    return RECT{CW_USEDEFAULT, 0, CW_USEDEFAULT + DrawingAreaWidth * whole, DrawingAreaHeight * whole};
}

static int32_t WinCreateGameWindow(const char* title, int32_t, int32_t) {
    if (!WinRegisterSystemClass()) return 0;
    Settings = WindowSettings() != nullptr ? WindowSettings() : &Defaults;
    if (Settings == &Defaults) Defaults = TSettings{};
    Fullscreen = false;
    Kept = nullptr;
    Waiting = false;
    NextPresent = 0;
    std::fill(std::begin(TakenKeys), std::end(TakenKeys), false);
    const RECT client = WinOpeningClientArea();
    RECT outer{0, 0, client.right - client.left, client.bottom - client.top};
    AdjustWindowRectEx(&outer, WindowStyle, FALSE, 0);
    const bool placed = client.left != CW_USEDEFAULT;
    Window =
        CreateWindowExA(0, ClassName, title, WindowStyle, placed ? client.left + outer.left : CW_USEDEFAULT,
                        placed ? client.top + outer.top : CW_USEDEFAULT, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, Instance, nullptr);
    if (Window == nullptr) {
        WinSayWhy("cannot open the window");
        UnregisterClassA(ClassName, Instance);
        return 0;
    }
    WindowDc = GetWindowDC(Window);
    WinFollowDisplay();
    PeriodRaised = timeBeginPeriod(TimerPeriodMs) == TIMERR_NOERROR;
    WinPadsStart(Settings->Pad);
    Watching = false;
    WatcherEnded = false;
    return BackendWindowHandle;
}

// Shown as the program was asked to start (normal, minimised, maximised), then painted once.
static void WinShowGameWindow(int32_t) {
    if (Window == nullptr) return;
    ShowWindow(Window, SW_SHOWDEFAULT);
    UpdateWindow(Window);
    WinKeepWindowPlace();
    if (Settings->Fullscreen) WinToggleFullscreen();
}

static void WinCatchUp();
static void WinReadCursor(TPoint* point);

// The pads' keys as the keyboard's are posted, after the pass's messages; only while the window is in front.
static void WinPostPads() {
    const TPadChanges changes =
        WinPadsRead(Window != nullptr && GetForegroundWindow() == Window, GetTickCount());
    if (changes.UpCount == 0 && changes.DownCount == 0) return;
    TPoint cursor;
    WinReadCursor(&cursor);
    PostPadChanges(changes, GetTickCount(), cursor);
}

static void WinPumpEvents() {
    ForgetCursorSample(); // a new pass
    WinCatchUp();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!Watching) WinPostPads();
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

// A refresh that came since the last frame was kept is shown before the pause.
static void WinSleep(uint32_t ms) {
    WinCatchUp();
    Sleep(ms);
}

static void WinReadCursor(TPoint* point) {
    POINT at{0, 0};
    GetCursorPos(&at);
    *point = TPoint{at.x, at.y};
}

// The cursor the game reads: the system's, moved by a pad's analogue steering.
static void WinReadGameCursor(TPoint* point) {
    WinReadCursor(point);
    WinPadsMoveCursor(point);
}

static void WinGetCursorPos(TPoint* point) {
    SampleCursor(point, WinReadGameCursor);
}

// The client area beside the picture in the class background, black while fullscreen: four bands, so that
// the picture itself is never painted over.
static void WinFillBeside(LONG x, LONG y, const RECT& client, const TPresentLayout& layout) {
    const HBRUSH brush = Fullscreen ? (HBRUSH)GetStockObject(BLACK_BRUSH) : GetSysColorBrush(COLOR_MENU);
    const LONG right = layout.X + layout.Width;
    const LONG bottom = layout.Y + layout.Height;
    const RECT bands[] = {{0, 0, client.right, layout.Y},
                          {0, bottom, client.right, client.bottom},
                          {0, layout.Y, layout.X, bottom},
                          {right, layout.Y, client.right, bottom}};
    for (RECT band : bands) {
        if (band.left >= band.right || band.top >= band.bottom) continue;
        OffsetRect(&band, x, y);
        FillRect(WindowDc, &band, brush);
    }
}

// The drawing area of the kept frame into the client area as the layout says. The drawing context is the
// whole window's, so the copy goes to the client area's offset inside the window.
static void WinPresent() {
    Waiting = false;
    if (WindowDc == nullptr || Kept == nullptr || Kept->Pixels == nullptr) return;
    const TCanvas& frame = *Kept;
    if (frame.Width < WindowFrameLeft + DrawingAreaWidth || frame.Height < WindowFrameTop + DrawingAreaHeight)
        return;
    RECT client;
    RECT outer;
    POINT origin{0, 0};
    if (!GetClientRect(Window, &client) || !GetWindowRect(Window, &outer) || !ClientToScreen(Window, &origin))
        return;
    const LONG x = origin.x - outer.left;
    const LONG y = origin.y - outer.top;
    const TPresentLayout layout = PresentLayout(client.right, client.bottom, Settings->Scaling);
    WinFillBeside(x, y, client, layout);
    // The frame's rows from the drawing area's top down, as a top-down bitmap as wide as the frame.
    const uint32_t* first = frame.Pixels + (size_t)WindowFrameTop * (size_t)frame.Width;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = frame.Width;
    info.bmiHeader.biHeight = -DrawingAreaHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const bool exact =
        layout.Width == DrawingAreaWidth * layout.Whole && layout.Height == DrawingAreaHeight * layout.Whole;
    if (exact) {
        SetStretchBltMode(WindowDc, COLORONCOLOR);
        StretchDIBits(WindowDc, x + layout.X, y + layout.Y, layout.Width, layout.Height, WindowFrameLeft, 0,
                      DrawingAreaWidth, DrawingAreaHeight, first, &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    if (layout.Width != ScaledWidth || layout.Height != ScaledHeight || layout.Whole != ScaledWhole) {
        Columns.resize((size_t)layout.Width);
        Rows.resize((size_t)layout.Height);
        Scaled.resize((size_t)layout.Width * (size_t)layout.Height);
        SharpScaleTaps(DrawingAreaWidth, layout.Whole, layout.Width, Columns.data());
        SharpScaleTaps(DrawingAreaHeight, layout.Whole, layout.Height, Rows.data());
        ScaledWidth = layout.Width;
        ScaledHeight = layout.Height;
        ScaledWhole = layout.Whole;
    }
    SharpScale(first + WindowFrameLeft, frame.Width, Scaled.data(), layout.Width, layout.Height,
               Columns.data(), Rows.data());
    info.bmiHeader.biWidth = layout.Width;
    info.bmiHeader.biHeight = -layout.Height;
    SetDIBitsToDevice(WindowDc, x + layout.X, y + layout.Y, (DWORD)layout.Width, (DWORD)layout.Height, 0, 0,
                      0, (UINT)layout.Height, Scaled.data(), &info, DIB_RGB_COLORS);
}

// Shows the kept frame when the display's refresh is due (or at once when every pass is shown).
static void WinCatchUp() {
    if (!Waiting) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (Settings->Presenting == TPresenting::DisplayRate && now.QuadPart < NextPresent) return;
    // The next refresh one period on; after a long pause (a window dragged) counted from now.
    NextPresent = now.QuadPart - NextPresent < RefreshPeriod ? NextPresent + RefreshPeriod
                                                             : now.QuadPart + RefreshPeriod;
    WinPresent();
}

// The finished frame is kept as the newest and shown now or at the next refresh; the game copies its whole
// drawing area every pass, which is what is shown.
static void WinCopyToWindow(const TCanvas* frame, TRect) {
    if (WindowDc == nullptr || frame->Pixels == nullptr) return;
    Kept = frame;
    Waiting = true;
    WinCatchUp();
}

static void WinReleaseGameWindow() {
    ReportMessageQueueDrops(true);
    Kept = nullptr;
    Waiting = false;
    WinKeepWindowPlace();
    WinDestroyGameWindow(BackendWindowHandle);
    if (ClassName != nullptr) UnregisterClassA(ClassName, Instance);
    ClassName = nullptr;
    if (PeriodRaised) timeEndPeriod(TimerPeriodMs);
    PeriodRaised = false;
    WinPadsStop();
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
    WinCatchUp();
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
