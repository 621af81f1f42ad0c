// The page's entry: what its script calls to start a game, run it pass by pass and end it. A game is either
// played, with the browser's keys and pointer on the page's clock, and then always recorded in the runner's
// script format; or a script (a recording opened in the page, or one the page's address gives) played on
// the headless backend, watched at the pace of its clock as `tramolo-sim --window --input` does, or run as
// fast as the page can. Either may write the runner's trace. A played game keeps its best lap in /records
// (the page keeps that file in the browser's storage), as a script run may when asked; a record opened in
// the page is a script run too, its recording replayed fast to check the record before its ghost is raced.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "platform/web/DomKeys.h"
#include "platform/web/WebPlatform.h"
#include "platform/System.h"
#include "records/Records.h"
#include "replay/Feed.h"
#include "replay/Keeper.h"
#include "replay/Pacer.h"
#include "replay/Proof.h"
#include "replay/Recorder.h"
#include "replay/Script.h"
#include "replay/Trace.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

enum class TMode { None, Play, Script };

// The page reads the recording from the module's file system; the trace goes to the page as it is written.
constexpr char RecordingPath[] = "/recording.txt";
constexpr char RecordsFolder[] = "/records";
constexpr int32_t TracePageFile = 1;
// A script without tick lines and without a pass budget runs as long as the runner would run it.
constexpr uint64_t DefaultPasses = 1000;
// A script whose lines are not in pass order is sorted in memory: this bounds what it may take.
constexpr size_t MostSortedScriptBytes = 64u << 20;
// The trace stays in the page's memory until it is saved: this bounds it, some 150,000 passes.
constexpr uint64_t MostTraceBytes = 1024ull << 20;

TMode Mode = TMode::None;
uint64_t Passes;
int32_t ExitCode;
char Error[512];
FILE* RecordFile;
FILE* TraceFile;
TTraceWriter Trace;

// A script comes in pieces the page pushes: first all of it, to be checked; then, when its lines are not in
// pass order, all of it again, to be held and sorted; or, when it is played as a stream, again piece by
// piece as the passes need it.
enum class TScriptPhase { None, Check, Hold, Play };
TScriptPhase Phase = TScriptPhase::None;
TScriptReader Reader;
TScriptSurvey Survey;
std::string Held;
std::vector<TScriptEvent> Events;
std::vector<char> Piece; // where the page writes the next piece
THeadlessPassMs ScriptPassMs;
uint32_t ScriptStartTick;
int32_t ScriptCursorX;
uint64_t ScriptPasses;
bool ScriptTrace;
TScriptFeed Feed;
TPlatformBackend Scripted;
bool Fast;
bool StoppedByViewer;
TPacer Pace;
double DueMs;
bool TraceCut;
// Records: a script run that keeps them records into a scratch file read back; a proof replays a record.
bool ScriptRecords;
FILE* RecordsScratch;
bool Proving;
TRecordReader Head;
std::string HeadLine; // the line of the record's head being read from the pieces
std::unique_ptr<TProofReplay> Proof;

// The keeper's news go to the page, which keeps a record in the browser's storage once it is written.
void RecordNews(TKeeperNews news, const char* text) {
    WebTellPage("record", (int32_t)news, text);
    if (news != TKeeperNews::Kept) std::snprintf(Error, sizeof Error, "%s", text);
}

// The lines of a record's head, taken from the pieces of the script as they come; false once one is bad.
bool ReadHeadFrom(const char* bytes, size_t length) {
    for (size_t i = 0; i < length && !Head.Done; i++) {
        if (bytes[i] != '\n') {
            HeadLine += bytes[i];
            if (HeadLine.size() > MostScriptLineBytes) {
                Head.Line++;
                Head.Error = "line " + std::to_string(Head.Line) + ": a line longer than 4096 bytes";
                return false;
            }
            continue;
        }
        if (!RecordReaderLine(&Head, HeadLine.data(), HeadLine.size())) return false;
        HeadLine.clear();
    }
    return true;
}

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
    TraceFile = wanted ? WebOpenPageFile(TracePageFile) : nullptr;
    if (TraceFile != nullptr) TraceStart(&Trace, TraceFile);
    TraceCut = false;
}

// Past its bound the trace stops, whole up to its last pass, and the page says so.
void TracePass() {
    if (TraceFile == nullptr || TraceCut) return;
    TraceWritePass(&Trace, Passes);
    if (Trace.Flushed + Trace.Length < MostTraceBytes) return;
    TraceFlush(&Trace);
    TraceCut = true;
    std::snprintf(Error, sizeof Error,
                  "the trace stops after pass %llu: the page keeps at most %llu MiB of it",
                  (unsigned long long)Passes, (unsigned long long)(MostTraceBytes >> 20));
}

void CloseFiles() {
    StopKeepingRecords();
    SetLapHook(nullptr, nullptr);
    if (RecordFile != nullptr || RecordsScratch != nullptr) {
        char error[256];
        RecorderFinish(Passes, ExitCode, error, sizeof error);
    }
    if (RecordsScratch != nullptr) std::fclose(RecordsScratch);
    RecordsScratch = nullptr;
    if (RecordFile != nullptr) {
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
    // The track's name is worked out once, before any game has run.
    TrackDigest();
    ClearGameState();
    ResetPlatformState();
    Passes = 0;
    ExitCode = 0;
    Error[0] = '\0';
    StoppedByViewer = false;
    PacerRestart(&Pace);
    Phase = TScriptPhase::None;
    ScriptRecords = false;
    Proving = false;
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

// A number of the page's address for a script run: a whole number in its range, or the reason why not.
bool CheckOption(const char* name, double value, double low, double high) {
    if (value == value && value >= low && value <= high && value == (double)(int64_t)value) return true;
    std::snprintf(Error, sizeof Error, "%s: %.17g is not a whole number from %.0f to %.0f", name, value, low,
                  high);
    return false;
}

} // namespace

extern "C" {

// The game played in the page, recorded; with trace, its trace too. 1 once it runs.
WEB_EXPORT int32_t tramolo_play(int32_t trace) {
    PrepareGame();
    // Opened for reading too: the records read the recording back from it.
    RecordFile = std::fopen(RecordingPath, "w+b");
    if (RecordFile != nullptr) {
        RecorderStart(RecordFile, "recording.txt");
        RecorderReadBackFrom(RecordFile);
        StartKeepingRecords(RecordsFolder, RecordNews);
    }
    SelectPlatform(RecordFile != nullptr ? RecordingBackend(WebBackend()) : WebBackend());
    return StartGame(TMode::Play, trace != 0) ? 1 : 0;
}

// Begins a script run with the runner's clock options (passes 0: a recording runs to its last pass, any
// other script 1000 passes): the page then pushes the whole script to be checked, and calls
// tramolo_script_start. With records the run keeps records as `tramolo-sim --records` does; with proof the
// script is a record whose recording is replayed to check it (tramolo_proof_verdict at its end). 0 with the
// reason in tramolo_error when an option is malformed.
WEB_EXPORT int32_t tramolo_script_begin(const char* passMs, double startTick, double cursorX, double passes,
                                        int32_t fast, int32_t trace, int32_t records, int32_t proof) {
    PrepareGame();
    if (!ParsePassMs(passMs, &ScriptPassMs)) {
        std::snprintf(Error, sizeof Error,
                      "pass-ms: '%.40s' is not milliseconds with up to 9 decimals from 0 to 4294967295",
                      passMs);
        return 0;
    }
    if (!CheckOption("start-tick", startTick, 0, UINT32_MAX) ||
        !CheckOption("cursor-x", cursorX, INT32_MIN, INT32_MAX) ||
        !CheckOption("passes", passes, 0, (double)MostPasses))
        return 0;
    ScriptStartTick = (uint32_t)startTick;
    ScriptCursorX = (int32_t)cursorX;
    ScriptPasses = (uint64_t)passes;
    Fast = fast != 0;
    ScriptTrace = trace != 0;
    ScriptRecords = records != 0;
    Proving = proof != 0;
    RecordReaderStart(&Head);
    HeadLine.clear();
    Proof = std::make_unique<TProofReplay>();
    ScriptReaderStart(&Reader);
    Survey = TScriptSurvey{true, 0, false, 0};
    Held.clear();
    Events.clear();
    Phase = TScriptPhase::Check;
    return 1;
}

// Where the page writes the next piece of the script, room for size bytes.
WEB_EXPORT char* tramolo_script_piece(int32_t size) {
    if (size > 0 && (size_t)size > Piece.size()) Piece.resize((size_t)size);
    return Piece.data();
}

// Takes length bytes of the piece, or with length -1 the end of the script. While the script is checked:
// 1 to go on, 0 with the reason in tramolo_error when it is malformed. While it plays: 1.
WEB_EXPORT int32_t tramolo_script_push(int32_t length) {
    if (Phase == TScriptPhase::None) return 0;
    const size_t taken = length > 0 && (size_t)length < Piece.size() ? (size_t)length
                         : length > 0                                ? Piece.size()
                                                                     : 0;
    if (Phase == TScriptPhase::Hold) {
        if (Held.size() + taken <= MostSortedScriptBytes) {
            Held.append(Piece.data(), taken);
            return 1;
        }
        std::snprintf(Error, sizeof Error,
                      "the script's lines are not in pass order, and it is longer than the %zu MiB such a "
                      "script may have to be sorted in memory",
                      MostSortedScriptBytes >> 20);
        Phase = TScriptPhase::None;
        return 0;
    }
    if (length < 0)
        ScriptReaderEndInput(&Reader);
    else
        ScriptReaderPush(&Reader, Piece.data(), taken);
    if (Phase == TScriptPhase::Play) return 1;
    if (Proving && length > 0 && !ReadHeadFrom(Piece.data(), taken)) {
        std::snprintf(Error, sizeof Error, "it cannot be read as a record: %s", Head.Error.c_str());
        Phase = TScriptPhase::None;
        return 0;
    }
    if (SurveyScript(&Reader, &Survey) != TScriptRead::Fault) return 1;
    std::snprintf(Error, sizeof Error, "the script is not one the runner reads: %s", Reader.Fault.c_str());
    Phase = TScriptPhase::None;
    return 0;
}

// After the whole script was pushed and checked: makes ready to play it. 2 when it plays as a stream: the
// page pushes it again from its start, piece by piece, whenever tramolo_script_ready says so. 3 when its
// lines are not in pass order: the page pushes all of it again, to be held and sorted, and calls this
// again, which gives 1 (it plays from memory). 0 with the reason in tramolo_error. Then tramolo_script_run
// starts the game.
WEB_EXPORT int32_t tramolo_script_start() {
    if (Phase == TScriptPhase::Check && Proving) {
        if (!Head.Done && !HeadLine.empty()) ReadHeadFrom("\n", 1);
        const char* wrong = !Head.Done         ? "the file ends before the record's head is whole"
                            : !Survey.Sorted   ? "its recording does not stand in pass order"
                            : !Survey.HasTicks ? "its recording holds no tick: it is no recording"
                                               : nullptr;
        if (!Head.Error.empty() || wrong != nullptr) {
            std::snprintf(Error, sizeof Error, "it cannot be read as a record: %s",
                          !Head.Error.empty() ? Head.Error.c_str() : wrong);
            Phase = TScriptPhase::None;
            return 0;
        }
        Proof->Proof.Head = std::move(Head.Head);
    }
    if (Phase == TScriptPhase::Check && !Survey.Sorted) {
        Held.clear();
        Phase = TScriptPhase::Hold;
        return 3;
    }
    if (Phase == TScriptPhase::Hold) {
        char reason[400];
        const bool parsed = ParseScript(Held.data(), Held.size(), Events, reason, sizeof reason);
        Held.clear();
        Held.shrink_to_fit();
        if (!parsed) {
            std::snprintf(Error, sizeof Error,
                          "the script is not one the runner reads: %s (it changed while it "
                          "was read)",
                          reason);
            Phase = TScriptPhase::None;
            return 0;
        }
        StartMemoryFeed(&Feed, &Events);
        Phase = TScriptPhase::Play;
        return 1;
    }
    if (Phase != TScriptPhase::Check) return 0;
    ScriptReaderStart(&Reader);
    StartStreamFeed(&Feed, &Reader, nullptr, nullptr);
    Phase = TScriptPhase::Play;
    return 2;
}

// Whether the next pass's events are at hand (before the game runs: the start-up's); 0: push the next
// piece of the script first, or its end.
WEB_EXPORT int32_t tramolo_script_ready() {
    if (Phase != TScriptPhase::Play) return 1;
    return ScriptFeedReady(&Feed, Mode == TMode::Script ? Passes + 1 : 0) ? 1 : 0;
}

// Starts the script's game once tramolo_script_ready says its start-up is at hand; 1 once it runs.
WEB_EXPORT int32_t tramolo_script_run() {
    if (Phase != TScriptPhase::Play || Mode != TMode::None) return 0;
    uint64_t budget = ScriptPasses;
    if (budget == 0) budget = Survey.HasTicks ? std::max<uint64_t>(1, Survey.LastPass) : DefaultPasses;
    HeadlessConfigure(ScriptStartTick, ScriptPassMs, ScriptCursorX, budget);
    FeedScriptPass(&Feed, 0);
    HeadlessSetHooks(FeedHook, nullptr, nullptr);
    const TPlatformBackend* backend = ScriptedBackend();
    if (Proving) SetLapHook(ProofCollect, Proof.get());
    char reason[256] = "";
    if (ScriptRecords && (RecordsScratch = OpenScratchFile("", reason, sizeof reason)) != nullptr) {
        RecorderStart(nullptr, "the recording of the records");
        RecorderReadBackFrom(RecordsScratch);
        StartKeepingRecords(RecordsFolder, RecordNews);
        backend = RecordingBackend(backend);
    }
    SelectPlatform(backend);
    return StartGame(TMode::Script, ScriptTrace) ? 1 : 0;
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
    TracePass();
    if (!Feed.Failure.empty()) std::snprintf(Error, sizeof Error, "%s", Feed.Failure.c_str());
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
        if (TakeRecordsViewKey(virtualKey, down != 0, repeat != 0)) return 1;
        if (down != 0 && virtualKey == VkEscape) {
            StoppedByViewer = true;
            HeadlessStop();
        }
        return GameReadsKey(virtualKey) ? 1 : 0;
    }
    if (WebQueueKey(virtualKey, down != 0, repeat != 0, alt != 0)) return 1;
    return GameReadsKey(virtualKey) ? 1 : 0;
}

WEB_EXPORT void tramolo_pointer(int32_t x) {
    WebSetPointerX(x);
}

// The page's settings text ("key = value" lines, as the desktop's file): the pad settings of the games
// played from now on.
WEB_EXPORT void tramolo_settings(const char* text) {
    TSettings settings;
    ParseSettings(text, &settings);
    WebUsePadSettings(settings.Pad);
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

// The file the record of this track is kept in (its folder made first); the page keeps it in the
// browser's storage and puts it back here before a game.
WEB_EXPORT const char* tramolo_record_path() {
    static std::string path;
    char reason[256];
    MakeFolder(RecordsFolder, reason, sizeof reason);
    path = RecordPathIn(RecordsFolder);
    return path.c_str();
}

WEB_EXPORT int32_t tramolo_records_view() {
    return RecordsViewOn() ? 1 : 0;
}

WEB_EXPORT void tramolo_set_records_view(int32_t on) {
    SetRecordsView(on != 0);
}

// The records line as the view shows it now.
WEB_EXPORT const char* tramolo_records_line() {
    return RecordsLine();
}

// After a proof's replay: 0 when the record is true, 1 when false, 2 when it could not be read to its end,
// the line saying which in tramolo_error.
WEB_EXPORT int32_t tramolo_proof_verdict(const char* name) {
    if (Proof == nullptr || !Proving) return ProofUnreadable;
    if (StoppedByViewer || !Feed.Failure.empty()) {
        Proof->Proof.Verdict = ProofUnreadable;
        Proof->Proof.Line = std::string(name) + " was not checked to its end";
    } else {
        ProofJudge(Proof.get(), name);
    }
    std::snprintf(Error, sizeof Error, "%s", Proof->Proof.Line.c_str());
    return Proof->Proof.Verdict;
}

// A true record's ghost, raced in place of one's own best from the next game on, the records view on.
WEB_EXPORT int32_t tramolo_race_ghost() {
    if (Proof == nullptr || Proof->Proof.Verdict != ProofTrue) return 0;
    const TRecordHead& head = Proof->Proof.Head;
    SetGhost(TGhostKind::Foreign, head.Ms, head.Ghost.data(), (int32_t)head.Ghost.size(), head.Stride);
    SetRecordsView(true);
    return 1;
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
