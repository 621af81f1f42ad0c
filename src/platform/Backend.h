// The backend contract: every service a platform backend gives the game, one slot each, with who calls it and
// when. A backend fills a TPlatformBackend by slot name and hands it to SelectPlatform; a new backend starts
// from a copy of this table. Four backends fill it today, each in a folder of its own with one prefix for its
// names: sdl (Sdl, a real window on Linux and the other desktops), windows (Win, the system's own window
// calls), web (Web, a page's canvas) and headless (Headless, scripted input and a virtual clock). What they
// share (the window's frame, the once-a-pass cursor, the close request, a key message's bits) lives in
// Platform.h and Platform.cpp, written once.
#pragma once

#include <cstdint>

#include "draw/Canvas.h"
#include "platform/Platform.h"

struct TPlatformBackend {
    // Win::CreateWindowExA, once at start-up: opens the window whose outer size (frame and title band
    // included, WindowFrameWidth and WindowFrameHeight) is width x height and returns its handle, non-zero;
    // 0 when no window can be shown, after one line on standard error saying why.
    int32_t (*CreateGameWindow)(const char* title, int32_t width, int32_t height);
    // Win::ShowWindow, once after CreateGameWindow: shows the window as the system paints it before the first
    // frame.
    void (*ShowGameWindow)(int32_t hwnd);
    // Win::PeekMessageA, at the start of every pass, before the game takes a message: moves what input the
    // system holds into the shared queue (PostWindowMessage) and starts a new pass for the cursor sample
    // (ForgetCursorSample).
    void (*PumpEvents)();
    // Win::DefWindowProcA, when the game takes a close request: the window goes (ReleaseGameWindow frees the
    // rest later).
    void (*DestroyGameWindow)(int32_t hwnd);
    // Win::GetTickCount, up to three times a pass: milliseconds on the game's clock, modulo 2^32.
    uint32_t (*GetTickCount)();
    // Win::Sleep, once a pass after its message: the 2 ms pause. A host that must not block only notes when
    // the pause ends.
    void (*Sleep)(uint32_t ms);
    // Win::GetCursorPos, from the mouse steering and a restart: the cursor's screen position. Every read of
    // one pass gives the same point (SampleCursor), so one x a pass is what a recording keeps.
    void (*GetCursorPos)(TPoint* point);
    // CopyFrameToWindow, at the end of every pass: shows rect of the finished frame (window coordinates:
    // the drawing area starts at WindowFrameLeft, WindowFrameTop).
    void (*CopyToWindow)(const TCanvas* frame, TRect rect);
    // ReleaseWindowCanvas, once when the program ends: frees whatever CreateGameWindow took.
    void (*ReleaseGameWindow)();
    // ContinueLoop, before every pass: 0 ends the frame loop (a runner's pass budget); a window says 1.
    int32_t (*ContinueLoop)();
};

// Makes backend the active one for every call above; null leaves none. A table with an empty slot is
// refused with one line on standard error naming the slot, and false.
bool SelectPlatform(const TPlatformBackend* backend);
// The active backend; null when none is.
const TPlatformBackend* SelectedPlatform();
// The empty slot's name, or null when every slot is filled.
const char* EmptyBackendSlot(const TPlatformBackend& backend);

// ---- The window backend of the system the program was built for -------------------------------------------
// SDL2 on Linux and the other Unix desktops (platform/sdl), the system's own window calls on Windows
// (platform/windows). The game's entry and the runner's window modes take it from here, whichever it is.

const TPlatformBackend* WindowBackend();
// For a window that only shows frames (the runner playing a script to a person watching): takes the
// window's pending events without passing any to the game; 1 when ESC went down or the window was asked to
// close since the last call.
int32_t TakeViewerEvents();
// Before anything is written to the standard output: where the system starts a windowed program detached
// from the console it was called from (Windows), joins that console, so that --help and --version are seen
// there. Elsewhere it does nothing.
void UseCallersConsole();
