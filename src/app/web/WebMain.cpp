// The page's entry: what its script calls to start a game, run it pass by pass and end it. A game is either
// played, with the browser's keys and pointer on the page's clock, and then always recorded in the runner's
// script format; or a script (a recording opened in the page, or one the page's address gives) played on
// the headless backend, watched at the pace of its clock as `tramolo-sim --window --input` does, or run as
// fast as the page can. Either may write the runner's trace.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "platform/web/DomKeys.h"
#include "platform/web/WebPlatform.h"
#include "replay/Feed.h"
#include "replay/Pacer.h"
#include "replay/Recorder.h"
#include "replay/Script.h"
#include "replay/Trace.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

enum class TMode { None, Play, Script };

// The page reads these files from the module's file system.
constexpr char RecordingPath[] = "/recording.txt";
constexpr char TracePath[] = "/trace.jsonl";
// A script without tick lines and without a pass budget runs as long as the runner would run it.
constexpr uint64_t DefaultPasses = 1000;

TMode Mode = TMode::None;
uint64_t Passes;
int32_t ExitCode;
char Error[512];
FILE* RecordFile;
FILE* TraceFile;
TTraceWriter Trace;

std::vector<TScriptEvent> Events;
TScriptFeed Feed;
TPlatformBackend Scripted;
bool Fast;
bool StoppedByViewer;
TPacer Pace;
double DueMs;

void FeedHook(uint64_t pass, void*) {
    FeedScriptPass(&Feed, pass);
}

// The script's game waits before each pass's steps as the pace says; run fast, it does not wait.
void ScriptedSleep(uint32_t ms) {
    HeadlessBackend()->Sleep(ms);
    const double now = WebNowMs();
    if (Fast) PacerRestart(&Pace);
    const int64_t nowNs = (int64_t)(now * (double)PacerNsPerMs);
    const int64_t due = PacerDue(&Pace, HeadlessPeekTick(), nowNs);
    DueMs = now + (double)(due - nowNs) / (double)PacerNsPerMs;
}

void ScriptedCopy(const TCanvas* frame, TRect rect) {
    WebCopyToWindow(frame, rect);
    HeadlessBackend()->CopyToWindow(frame, rect);
}

// The headless game in the page's window.
const TPlatformBackend* ScriptedBackend() {
    Scripted = *HeadlessBackend();
    Scripted.CreateGameWindow = WebCreateGameWindow;
    Scripted.Sleep = ScriptedSleep;
    Scripted.CopyToWindow = ScriptedCopy;
    return &Scripted;
}

void OpenTrace(bool wanted) {
    TraceFile = wanted ? std::fopen(TracePath, "wb") : nullptr;
    if (TraceFile != nullptr) TraceStart(&Trace, TraceFile);
}

void CloseFiles() {
    if (RecordFile != nullptr) {
        char error[256];
        RecorderFinish(Passes, ExitCode, error, sizeof error);
        std::fclose(RecordFile);
        RecordFile = nullptr;
    }
    if (TraceFile != nullptr) {
        TraceFlush(&Trace);
        std::fclose(TraceFile);
        TraceFile = nullptr;
    }
}

// Ends the game if one runs: its last frame kept for the screen, its recording and trace closed.
void EndRunningGame();

void PrepareGame() {
    EndRunningGame();
    ClearGameState();
    ResetPlatformState();
    Passes = 0;
    ExitCode = 0;
    Error[0] = '\0';
    StoppedByViewer = false;
    PacerRestart(&Pace);
}

// Starts the game on the backend selected; false when it ended at once (no window).
bool StartGame(TMode mode, bool trace) {
    OpenTrace(trace);
    Mode = mode;
    if (StartProgram(&ExitCode)) return true;
    Mode = TMode::None;
    CloseFiles();
    std::snprintf(Error, sizeof Error, "the game could not open its window");
    return false;
}

void EndRunningGame() {
    if (Mode == TMode::None) return;
    WebKeepLastFrame(); // before the back buffer is freed
    ExitCode = EndProgram();
    Mode = TMode::None;
    CloseFiles();
    HeadlessSetHooks(nullptr, nullptr, nullptr);
}

} // namespace

extern "C" {

// The game played in the page, recorded; with trace, its trace too. 1 once it runs.
WEB_EXPORT int32_t tramolo_play(int32_t trace) {
    PrepareGame();
    RecordFile = std::fopen(RecordingPath, "wb");
    if (RecordFile != nullptr) RecorderStart(RecordFile, "recording.txt");
    SelectPlatform(RecordFile != nullptr ? RecordingBackend(WebBackend()) : WebBackend());
    return StartGame(TMode::Play, trace != 0) ? 1 : 0;
}

// A script with the runner's clock options (passes 0: a recording runs to its last pass, any other script
// 1000 passes). 0 with the reason in tramolo_error when the script or an option is malformed.
WEB_EXPORT int32_t tramolo_script(const char* text, const char* passMs, double startTick, double cursorX,
                                  double passes, int32_t fast, int32_t trace) {
    PrepareGame();
    Events.clear();
    char reason[400];
    THeadlessPassMs ms{};
    if (!ParseScript(text, std::strlen(text), Events, reason, sizeof reason)) {
        std::snprintf(Error, sizeof Error, "the script is not one the runner reads: %s", reason);
        return 0;
    }
    if (!ParsePassMs(passMs, &ms) || startTick < 0 || startTick > UINT32_MAX || cursorX < INT32_MIN ||
        cursorX > INT32_MAX || passes < 0 || passes > (double)MostPasses) {
        std::snprintf(Error, sizeof Error, "pass-ms, start-tick, cursor-x or passes is out of range");
        return 0;
    }
    const bool recorded = std::any_of(Events.begin(), Events.end(),
                                      [](const TScriptEvent& event) { return event.Verb == ScriptTick; });
    uint64_t budget = (uint64_t)passes;
    if (budget == 0) budget = recorded ? std::max<uint64_t>(1, Events.back().Pass) : DefaultPasses;
    Fast = fast != 0;
    HeadlessConfigure((uint32_t)startTick, ms, (int32_t)cursorX, budget);
    Feed = TScriptFeed{&Events, 0};
    FeedScriptPass(&Feed, 0);
    HeadlessSetHooks(FeedHook, nullptr, nullptr);
    SelectPlatform(ScriptedBackend());
    return StartGame(TMode::Script, trace != 0) ? 1 : 0;
}

// The pass's message and its sleep; returns when the sleep ends (performance.now()'s milliseconds), after
// which the page calls tramolo_finish_pass.
WEB_EXPORT double tramolo_start_pass() {
    StartFramePass();
    return Mode == TMode::Play ? WebSleepEnd() : DueMs;
}

// The pass's steps and frame, and its trace line; 1 while the game goes on.
WEB_EXPORT int32_t tramolo_finish_pass() {
    FinishFramePass();
    Passes++;
    if (TraceFile != nullptr) TraceWritePass(&Trace, Passes);
    return ProgramRunning() ? 1 : 0;
}

// Ends the game (or finds it ended); its exit code.
WEB_EXPORT int32_t tramolo_end() {
    EndRunningGame();
    return ExitCode;
}

// A key of the page; 1 when the page should keep the browser from acting on it. A watched script takes no
// key: ESC stops it.
WEB_EXPORT int32_t tramolo_key(int32_t down, int32_t repeat, int32_t alt, const char* code, const char* key) {
    const int32_t virtualKey = VirtualKeyFromDomKey(code, key);
    if (virtualKey == 0 || Mode == TMode::None) return 0;
    if (Mode == TMode::Script) {
        if (down != 0 && virtualKey == VkEscape) {
            StoppedByViewer = true;
            HeadlessStop();
        }
        return GameReadsKey(virtualKey) ? 1 : 0;
    }
    WebQueueKey(virtualKey, down != 0, repeat != 0, alt != 0);
    return GameReadsKey(virtualKey) ? 1 : 0;
}

WEB_EXPORT void tramolo_pointer(int32_t x) {
    WebSetPointerX(x);
}

// The frame to show, as RGBA rows of tramolo_frame_width x tramolo_frame_height; 0 when no new one.
WEB_EXPORT const uint8_t* tramolo_frame() {
    return WebTakeFrame();
}
WEB_EXPORT int32_t tramolo_frame_width() {
    return WebFrameWidth();
}
WEB_EXPORT int32_t tramolo_frame_height() {
    return WebFrameHeight();
}

WEB_EXPORT double tramolo_passes() {
    return (double)Passes;
}

WEB_EXPORT int32_t tramolo_stopped_by_viewer() {
    return StoppedByViewer ? 1 : 0;
}

WEB_EXPORT const char* tramolo_error() {
    return Error;
}

// The game's state now as a trace line (the one the pass just run would write), for the page's tests.
WEB_EXPORT const char* tramolo_state() {
    static TTraceWriter state;
    TraceStart(&state, nullptr);
    TraceWritePass(&state, Passes);
    state.Buffer[state.Length < TraceBufferSize ? state.Length : TraceBufferSize - 1] = '\0';
    return state.Buffer;
}

// The trace's lines so far into its file; the recording's complete passes are there already.
WEB_EXPORT void tramolo_flush_trace() {
    if (TraceFile != nullptr) TraceFlush(&Trace);
}

} // extern "C"
