// The live window and the watched script. Both take the window from the system's window backend; the watched
// script takes everything the game reads from the headless backend and only waits, before each pass, until
// the real time since the first pass has caught up with the game's clock.
#include "app/sim/WindowModes.h"

#include <chrono>
#include <thread>

#include "platform/Backend.h"
#include "replay/Pacer.h"

bool WindowModesBuilt() {
    return true;
}

// ---- Live ------------------------------------------------------------------------------------------------

static const TPlatformBackend* LiveWindow;
static TPlatformBackend Live;
static uint64_t LivePassLimit;
static uint64_t LiveSleeps;
static uint64_t LivePasses;
static bool LiveStopped;
static THeadlessFrameHook LiveAfterCopy;
static void* LiveContext;

static void LiveSleep(uint32_t ms) {
    LiveWindow->Sleep(ms);
    LiveSleeps++;
}

static void LiveCopy(const TCanvas* frame, TRect rect) {
    LiveWindow->CopyToWindow(frame, rect);
    LivePasses++;
    if (LiveAfterCopy != nullptr) LiveAfterCopy(LiveSleeps, frame, LiveContext);
}

static int32_t LiveContinueLoop() {
    if (LiveStopped || (LivePassLimit != 0 && LiveSleeps >= LivePassLimit)) return 0;
    return LiveWindow->ContinueLoop();
}

void LiveConfigure(uint64_t passLimit, THeadlessFrameHook afterCopy, void* context) {
    LivePassLimit = passLimit;
    LiveSleeps = 0;
    LivePasses = 0;
    LiveStopped = false;
    LiveAfterCopy = afterCopy;
    LiveContext = context;
}

const TPlatformBackend* LiveBackend() {
    LiveWindow = WindowBackend();
    Live = *LiveWindow;
    Live.Sleep = LiveSleep;
    Live.CopyToWindow = LiveCopy;
    Live.ContinueLoop = LiveContinueLoop;
    return &Live;
}

void LiveStop() {
    LiveStopped = true;
}

uint64_t LivePassesRun() {
    return LivePasses;
}

// ---- Watching --------------------------------------------------------------------------------------------

// How often the window is asked for ESC and the close request while a pass waits.
constexpr int64_t ViewerPollNs = 10000000;

static const TPlatformBackend* WatchWindow;
static const TPlatformBackend* WatchHeadless;
static TPlatformBackend Watch;
static TPacer Pace;
static bool StoppedByViewer;

static int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ESC or the close request ends the run before the next pass.
static bool ViewerEnded() {
    if (!StoppedByViewer && TakeViewerEvents() != 0) {
        StoppedByViewer = true;
        HeadlessStop();
    }
    return StoppedByViewer;
}

static void WaitUntil(int64_t due) {
    for (;;) {
        if (ViewerEnded()) return;
        const int64_t left = due - NowNs();
        if (left <= 0) return;
        const int64_t nap = left < ViewerPollNs ? left : ViewerPollNs;
        std::this_thread::sleep_for(std::chrono::nanoseconds(nap));
    }
}

static void WatchPump() {
    WatchHeadless->PumpEvents();
    ViewerEnded();
}

// The pass's steps start when the pace says, after the tick the pass is about to read.
static void WatchSleep(uint32_t ms) {
    WatchHeadless->Sleep(ms);
    const bool first = !Pace.Started;
    const int64_t due = PacerDue(&Pace, HeadlessPeekTick(), NowNs());
    if (!first) WaitUntil(due);
}

static void WatchCopy(const TCanvas* frame, TRect rect) {
    WatchWindow->CopyToWindow(frame, rect);
    WatchHeadless->CopyToWindow(frame, rect);
}

void WatchConfigure() {
    PacerRestart(&Pace);
    StoppedByViewer = false;
}

const TPlatformBackend* WatchBackend() {
    WatchWindow = WindowBackend();
    WatchHeadless = HeadlessBackend();
    Watch = *WatchHeadless;
    Watch.CreateGameWindow = WatchWindow->CreateGameWindow;
    Watch.ShowGameWindow = WatchWindow->ShowGameWindow;
    Watch.DestroyGameWindow = WatchWindow->DestroyGameWindow;
    Watch.ReleaseGameWindow = WatchWindow->ReleaseGameWindow;
    Watch.PumpEvents = WatchPump;
    Watch.Sleep = WatchSleep;
    Watch.CopyToWindow = WatchCopy;
    return &Watch;
}

bool WatchStoppedByViewer() {
    return StoppedByViewer;
}
