// The headless backend: no window, a virtual clock that advances a fixed time per pass (or the ticks a
// recording gives it), a cursor that stands where the runner puts it, and hooks before each poll and after
// each copy. Messages go through the shared queue of Platform.cpp, so the game's window procedure sees them
// exactly as it sees real ones.
#include "platform/headless/HeadlessPlatform.h"

#include "platform/Backend.h"
#include "platform/Platform.h"

static THeadlessPassMs PassMs;
// The clock runs from its anchor: the start tick at no sleep, later the last recorded tick read and the
// sleeps at that read.
static uint32_t AnchorTick;
static uint64_t AnchorSleeps;
static uint32_t RecordedTicks[MostRecordedTicksPerPass];
static int32_t RecordedTickCount;
static int32_t RecordedTicksRead;
static int32_t CursorX;
static uint64_t PassLimit;
static uint64_t SleepCount;
static uint64_t PassesRun;
static uint64_t LastPolledPass;
static int32_t Stopped;
static THeadlessPollHook BeforePoll;
static THeadlessFrameHook AfterCopy;
static void* HookContext;

uint32_t HeadlessTickAt(uint32_t startTick, THeadlessPassMs passMs, uint64_t sleeps) {
    // Unsigned products wrap modulo 2^64, which keeps them right modulo 2^32; the fraction is split so
    // that its product stays below 10^18.
    const uint64_t whole = sleeps * (uint64_t)passMs.Whole;
    const uint64_t fractionHigh = (sleeps / BillionthsPerMs) * (uint64_t)passMs.Billionths;
    const uint64_t fractionLow = ((sleeps % BillionthsPerMs) * (uint64_t)passMs.Billionths) / BillionthsPerMs;
    return (uint32_t)((uint64_t)startTick + whole + fractionHigh + fractionLow);
}

void HeadlessConfigure(uint32_t startTick, THeadlessPassMs passMs, int32_t cursorX, uint64_t passLimit) {
    AnchorTick = startTick;
    AnchorSleeps = 0;
    RecordedTickCount = 0;
    RecordedTicksRead = 0;
    PassMs = passMs;
    if (PassMs.Billionths >= BillionthsPerMs) PassMs.Billionths = BillionthsPerMs - 1;
    CursorX = cursorX;
    PassLimit = passLimit;
    SleepCount = 0;
    PassesRun = 0;
    LastPolledPass = 0;
    Stopped = 0;
    BeforePoll = nullptr;
    AfterCopy = nullptr;
    HookContext = nullptr;
}

void HeadlessSetCursorX(int32_t x) {
    CursorX = x;
}

void HeadlessSetHooks(THeadlessPollHook beforePoll, THeadlessFrameHook afterCopy, void* context) {
    BeforePoll = beforePoll;
    AfterCopy = afterCopy;
    HookContext = context;
}

void HeadlessRecordTick(uint32_t tick) {
    if (RecordedTickCount < MostRecordedTicksPerPass) RecordedTicks[RecordedTickCount++] = tick;
}

uint32_t HeadlessPeekTick() {
    if (RecordedTicksRead < RecordedTickCount) return RecordedTicks[RecordedTicksRead];
    return HeadlessTickAt(AnchorTick, PassMs, SleepCount - AnchorSleeps);
}

void HeadlessStop() {
    Stopped = 1;
}
uint64_t HeadlessPassesRun() {
    return PassesRun;
}

static int32_t HeadlessCreateGameWindow(const char*, int32_t, int32_t) {
    return BackendWindowHandle;
}
static void HeadlessShowGameWindow(int32_t) {}
static void HeadlessDestroyGameWindow(int32_t) {}
static void HeadlessReleaseGameWindow() {}

// The pass about to poll is the one after the last sleep; its hook runs once however often it polls, and
// the ticks recorded for the pass before are gone.
static void HeadlessPumpEvents() {
    const uint64_t pass = SleepCount + 1;
    if (pass == LastPolledPass) return;
    LastPolledPass = pass;
    RecordedTickCount = 0;
    RecordedTicksRead = 0;
    if (BeforePoll != nullptr) BeforePoll(pass, HookContext);
}

static uint32_t HeadlessGetTickCount() {
    if (RecordedTicksRead < RecordedTickCount) {
        AnchorTick = RecordedTicks[RecordedTicksRead++];
        AnchorSleeps = SleepCount;
        return AnchorTick;
    }
    return HeadlessTickAt(AnchorTick, PassMs, SleepCount - AnchorSleeps);
}

// Time moves only here: one pass's worth per call, whatever the game asked for.
static void HeadlessSleep(uint32_t) {
    SleepCount++;
}

static void HeadlessGetCursorPos(TPoint* point) {
    point->x = CursorX;
    point->y = 0;
}

static void HeadlessCopyToWindow(const TCanvas* frame, TRect) {
    PassesRun++;
    if (AfterCopy != nullptr) AfterCopy(SleepCount, frame, HookContext);
}

static int32_t HeadlessContinueLoop() {
    return Stopped == 0 && SleepCount < PassLimit ? 1 : 0;
}

static const TPlatformBackend Headless = {
    .CreateGameWindow = HeadlessCreateGameWindow,
    .ShowGameWindow = HeadlessShowGameWindow,
    .PumpEvents = HeadlessPumpEvents,
    .DestroyGameWindow = HeadlessDestroyGameWindow,
    .GetTickCount = HeadlessGetTickCount,
    .Sleep = HeadlessSleep,
    .GetCursorPos = HeadlessGetCursorPos,
    .CopyToWindow = HeadlessCopyToWindow,
    .ReleaseGameWindow = HeadlessReleaseGameWindow,
    .ContinueLoop = HeadlessContinueLoop,
};

const TPlatformBackend* HeadlessBackend() {
    return &Headless;
}
