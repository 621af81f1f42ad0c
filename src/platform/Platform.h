// platform/: the game's one way to the system: this interface, the backend contract (Backend.h), the
// system's file services (System.h) and one folder per backend.
//
// The platform as the game sees it: a window, its message queue, a millisecond tick, a sleep, the cursor
// position and the copy of a finished frame to the screen, in the shape of the classic desktop's calls. The
// active backend (Backend.h) serves them; the game never sees SDL or any other system header. Below the
// game's calls: the message queue every backend posts into, and what the backends share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draw/Canvas.h"
#include "platform/Settings.h"

struct TPoint {
    int32_t x;
    int32_t y;
};

// One window message, as the game's window procedure receives it.
struct TMsg {
    int32_t hwnd;
    uint32_t message;
    uint32_t wParam;
    int32_t lParam;
    uint32_t time;
    TPoint pt;
};

using TWindowProc = intptr_t (*)(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam);

// What the game registers before it creates its window.
struct TWindowClass {
    uint32_t style;
    TWindowProc lpfnWndProc;
    int32_t cbClsExtra;
    int32_t cbWndExtra;
    int32_t hInstance;
    int32_t hIcon;
    int32_t hCursor;
    int32_t hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

// Message numbers and values the game and the backends use.
constexpr uint32_t WmDestroy = 2;
constexpr uint32_t WmClose = 16;
constexpr uint32_t WmQuit = 18;
constexpr uint32_t WmKeyDown = 256;
constexpr uint32_t WmKeyUp = 257;
constexpr uint32_t WmSysKeyDown = 260;
constexpr uint32_t WmSysKeyUp = 261;
constexpr int32_t IdiApplication = 32512;
constexpr int32_t IdcArrow = 32512;
constexpr int32_t ColorMenu = 4;

// The Win32-shaped calls the game makes, all on the game's thread. They live in a namespace of their own so
// that a backend may include <windows.h> beside this header: its functions of the same names are the real
// ones, and its message constants are macros, which is why ours are spelt WmKeyDown and not WM_KEYDOWN.
namespace Win {
int32_t RegisterClassA(const TWindowClass* windowClass);
int32_t CreateWindowExA(const char* className, const char* title, int32_t width, int32_t height);
void ShowWindow(int32_t hwnd);
void UpdateWindow(int32_t hwnd);
// Takes at most one message from the queue; returns 0 when there was none.
int32_t PeekMessageA(TMsg* msg);
void TranslateMessage(const TMsg* msg);
intptr_t DispatchMessageA(const TMsg* msg);
intptr_t DefWindowProcA(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
void PostQuitMessage(int32_t exitCode);
uint32_t GetTickCount();
void Sleep(uint32_t ms);
int32_t GetCursorPos(TPoint* point);
} // namespace Win

void CopyFrameToWindow(const TCanvas* frame, TRect rect);
void ReleaseWindowCanvas();
int32_t ContinueLoop();

// The message queue every backend shares. A full queue makes room by dropping what changes the least:
// first the messages that change nothing (auto-repeat key-downs of a key that is down anyway, key-ups of a
// key that is up, system keys, a second close request), then whole key presses whose key-up waits behind
// their key-down. A key-up that releases a key, a close request and the quit message are never dropped.
constexpr int32_t MessageQueueCapacity = 4096;
// 1 when the message was queued, 0 when it was dropped (and counted). For input from outside the game: the
// message tap sees it first.
int32_t PostMessageToQueue(const TMsg& msg);
// Builds a message to the game window and posts it through PostMessageToQueue: the one way input from
// outside (the SDL window, the runner's script, the bench, the tests) enters the queue. time and pt are
// only reported with the message; the game reads neither.
int32_t PostWindowMessage(uint32_t message, uint32_t wParam, int32_t lParam = 0, uint32_t time = 0,
                          TPoint pt = {});
// Called with every message posted through PostMessageToQueue, before it is queued (or dropped); the quit
// message the game posts itself does not pass it. A recorder sets it; null removes it.
using TMessageTap = void (*)(const TMsg& msg, void* context);
void SetMessageTap(TMessageTap tap, void* context);
int32_t MessageQueueLength();
void ClearMessageQueue();
// What a full queue has dropped since it was last cleared.
struct TMessageQueueDrops {
    uint64_t Unchanging; // messages that would have changed nothing
    uint64_t Presses;    // key presses, each a key-down and its key-up (or a key-down that found no room)
    uint64_t Kept;       // messages that had to be kept but found no room: never expected
};
TMessageQueueDrops MessageQueueDrops();
// One line (no newline) saying what was dropped, for the backends' and the runner's reports.
void DescribeMessageQueueDrops(const TMessageQueueDrops& drops, char* text, size_t size);
// For the window backends, after each pump of the system's input (atEnd false) and when the window goes
// (atEnd true): tells on the standard error once what the queue dropped since the last report, when the
// flood is over (the queue empty) or at the end.
void ReportMessageQueueDrops(bool atEnd);
// Called by a backend whose display went away, just before the process ends there (Xlib ends it from its
// I/O error handler): the runner removes its part files. It may only remove and rename files. Null removes
// it.
using TDisplayLostHook = void (*)();
void SetDisplayLostHook(TDisplayLostHook hook);
void DisplayLost();
// Forgets the registered class, the window, the queue and the message tap (between test cases).
void ResetPlatformState();
// The class the game registered, for a backend that registers it with the system; null before.
const TWindowClass* RegisteredWindowClass();
// The handle of the game window, 0 before it exists and after it was destroyed.
int32_t GameWindowHandle();

// ---- What every window backend shares ---------------------------------------------------------------------

// The game places its picture in the coordinates of a window with a 2-pixel frame left, right and below and
// a 26-pixel title band on top: the drawing area (the window's client area) starts at (WindowFrameLeft,
// WindowFrameTop) and is WindowFrameWidth narrower and WindowFrameHeight lower than the window.
constexpr int32_t WindowFrameLeft = 2;
constexpr int32_t WindowFrameTop = 26;
constexpr int32_t WindowFrameWidth = 4;
constexpr int32_t WindowFrameHeight = 28;
// The client area's side for a window side and its frame part, at least 1.
constexpr int32_t ClientSide(int32_t outer, int32_t frame) {
    return outer - frame > 1 ? outer - frame : 1;
}
// The one window a backend has; any non-zero handle would do.
constexpr int32_t BackendWindowHandle = 1;

// The cursor stands still for a pass: the first read of a pass asks the system (read), every later one in
// the same pass (a restart's and the mouse steering's) gets the same point. So one cursor x a pass describes
// what the game read, and a recording of it replays exactly. A backend forgets the sample when a pass starts
// (its PumpEvents) and when its window goes.
void SampleCursor(TPoint* point, void (*read)(TPoint* point));
void ForgetCursorSample();

// A key message as the classic desktop posts it: a system key (WmSysKeyDown/Up) for any key with Alt held
// and for F10 and Alt themselves, else WmKeyDown/Up; its lParam holds the repeat count 1, the scancode, and
// the previous-state and transition bits.
uint32_t KeyMessage(int32_t virtualKey, bool down, bool altHeld);
int32_t KeyMessageFlags(bool down, bool repeat, uint32_t scancode);

// Posts the window's close request, once: a request that found no room in the queue can be made again, and
// none goes to a window that is gone. The window's creation (Win::CreateWindowExA) allows the next one.
void PostCloseRequest(uint32_t time, TPoint pt);

// ---- Showing the drawing area in a client area of any size (Presenting.cpp)
// --------------------------------

// The drawing area, the client area of the design's window.
constexpr int32_t DrawingAreaWidth = 596;
constexpr int32_t DrawingAreaHeight = 572;
// Where the drawing area goes in a client area: scaled by Whole with nearest pixels, then linearly to
// Width x Height at (X, Y) of the client area (sharp); or one to one at its top-left (Whole 1).
struct TPresentLayout {
    int32_t Whole;
    int32_t X;
    int32_t Y;
    int32_t Width;
    int32_t Height;
};
// Sharp: as large as the client area allows, the shape kept, centred; the whole-number step the largest
// that fits (at least 1). Sides of at least 1 pixel.
TPresentLayout PresentLayout(int32_t clientWidth, int32_t clientHeight, TScaling scaling);
// The whole multiple of the drawing area a new window opens at: the largest that fits within 90 % of the
// display's usable area, at least 1.
int32_t OpeningMultiple(int32_t usableWidth, int32_t usableHeight);
// True when a window whose client area is place can be seen and taken by its title on one of the displays
// (their usable areas): a piece of 64 x 32 pixels at its top lies on one of them.
bool PlaceOnDisplays(const TRect& place, const TRect* displays, int32_t count);
// One target pixel's source pixels along a side of the sharp scale: the linear sample of the whole-number
// step between First and Second, Weight/256 of the way to Second (0 when they are the same pixel).
struct TScaleTap {
    int32_t First;
    int32_t Second;
    int32_t Weight;
};
// The taps of target pixels along a side of source pixels scaled by whole with nearest pixels, then to
// target linearly, sampled at the pixels' centres with the edges held: what a graphics card's bilinear
// copy of the whole-number picture gives, its weights in 256ths.
void SharpScaleTaps(int32_t source, int32_t whole, int32_t target, TScaleTap* taps);
// Scales source (0xAARRGGBB, stride pixels a row) into target (targetWidth pixels a row) through the taps
// of its columns and rows; a tap of weight 0 copies, so a whole multiple is exact nearest pixels.
void SharpScale(const uint32_t* source, int32_t stride, uint32_t* target, int32_t targetWidth,
                int32_t targetHeight, const TScaleTap* columns, const TScaleTap* rows);
