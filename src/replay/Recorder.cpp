// The recorder. Messages are recorded when the backend posts them, not when the game takes them: replayed
// as events of the same pass they join the queue at the same point, so the queue holds what it held, the
// game takes each one in the pass it took it, and what the game posts itself (the quit message after the
// window is destroyed) falls into the same place among them. Every tick read is recorded in the order of
// the reads; the cursor only when it has moved, since a script's cursor stays where it was put.
//
// Most passes take nothing but one read of a tick a few milliseconds after the last: such a pass is one
// letter of a steps line. A pass's lines are gathered while it runs and written when the next one polls,
// as a letter when they are just that one tick, else in full.
#include "replay/Recorder.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/Say.h"
#include "replay/Script.h"

// Letters a steps line takes before the next one starts, so that the lines stay easy to read.
constexpr size_t StepsPerLine = 100;

static FILE* File;
static std::string Name; // the recording as the command line named it, for the messages
static const TPlatformBackend* Inner;
static TPlatformBackend Recording;
static uint64_t Sleeps;
static uint64_t Pass; // the pass whose poll came last; 0 at start-up
static bool CursorKnown;
static int32_t CursorX;
static uint64_t CursorReadPass;
static bool Failed;
static bool WarnedCursor;
// The pass running: its lines so far, its tick reads and whether anything but a tick read came.
static std::string PassLines;
static int32_t PassTickReads;
static uint32_t PassTick;
static bool PassHasOther;
// The tick read last in the passes written, and the steps line open in the file with its letters.
static bool TickKnown;
static uint32_t LastTick;
static size_t StepsWritten;

static void Write(const char* text, size_t length) {
    if (File == nullptr || Failed) return;
    if (std::fwrite(text, 1, length, File) != length) Failed = true;
}

static void WriteLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A line of the pass running, written with the pass.
static void WriteLine(const char* format, ...) {
    if (File == nullptr || Failed) return;
    char line[160];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length <= 0) return;
    PassLines.append(line, (size_t)length < sizeof line ? (size_t)length : sizeof line - 1);
}

static void EndSteps() {
    if (StepsWritten > 0) Write("\n", 1);
    StepsWritten = 0;
}

// The pass that ran is complete: a letter of the steps line when it only read the tick once, a few
// milliseconds after the tick before, else its lines in full.
static void WritePass() {
    const int32_t step = (int32_t)(PassTick - LastTick);
    if (Pass > 0 && PassTickReads == 1 && !PassHasOther && TickKnown && step >= 0 && step <= MostStep) {
        if (StepsWritten == StepsPerLine) EndSteps();
        if (StepsWritten == 0) {
            char head[40];
            const int length = std::snprintf(head, sizeof head, "%llu steps ", (unsigned long long)Pass);
            Write(head, (size_t)length);
        }
        const char letter = LetterOfStep(step);
        Write(&letter, 1);
        StepsWritten++;
    } else {
        EndSteps();
        Write(PassLines.data(), PassLines.size());
    }
    if (PassTickReads > 0) {
        TickKnown = true;
        LastTick = PassTick;
    }
    PassLines.clear();
    PassTickReads = 0;
    PassHasOther = false;
}

// The line of one posted message; a message no script line describes is noted as a comment.
static void RecordMessage(const TMsg& msg, void*) {
    const unsigned long long pass = (unsigned long long)Pass;
    PassHasOther = true;
    const char* verb = nullptr;
    switch (msg.message) {
    case WmKeyDown:
        verb = "down";
        break;
    case WmKeyUp:
        verb = "up";
        break;
    case WmSysKeyDown:
        verb = "sysdown";
        break;
    case WmSysKeyUp:
        verb = "sysup";
        break;
    case WmClose:
        WriteLine("%llu close\n", pass);
        return;
    default:
        break;
    }
    if (verb != nullptr && msg.wParam < 256) {
        WriteLine("%llu %s %u\n", pass, verb, msg.wParam);
        return;
    }
    WriteLine("# %llu: message %u with wParam %u has no script line; a replay misses it\n", pass, msg.message,
              msg.wParam);
}

static void RecordingPump() {
    const uint64_t pass = Sleeps + 1;
    if (pass != Pass) {
        // The pass before is complete: it reaches the file now, so that a run ended by force leaves whole
        // passes behind.
        WritePass();
        if (File != nullptr && !Failed && std::fflush(File) != 0) Failed = true;
        Pass = pass;
    }
    Inner->PumpEvents();
}

static uint32_t RecordingTickCount() {
    const uint32_t tick = Inner->GetTickCount();
    WriteLine("%llu tick %u\n", (unsigned long long)Pass, tick);
    PassTickReads++;
    PassTick = tick;
    return tick;
}

static void RecordingCursorPos(TPoint* point) {
    Inner->GetCursorPos(point);
    if (CursorKnown && point->x == CursorX) {
        CursorReadPass = Pass;
        return;
    }
    // A script's cursor moves only before a pass's poll; a move between two reads of one pass replays as
    // if it had come before the first.
    if (CursorKnown && CursorReadPass == Pass && !WarnedCursor) {
        WarnedCursor = true;
        SayLine(TStandardStream::Error,
                "the cursor moved between two reads of pass %llu; the recording '%s' replays that pass with "
                "the later x",
                (unsigned long long)Pass, Name.c_str());
    }
    WriteLine("%llu mouse %d\n", (unsigned long long)Pass, point->x);
    PassHasOther = true;
    CursorKnown = true;
    CursorX = point->x;
    CursorReadPass = Pass;
}

static void RecordingSleep(uint32_t ms) {
    Inner->Sleep(ms);
    Sleeps++;
}

static int32_t RecordingCreateWindow(const char* title, int32_t width, int32_t height) {
    return Inner->CreateGameWindow(title, width, height);
}
static void RecordingShowWindow(int32_t hwnd) {
    Inner->ShowGameWindow(hwnd);
}
static void RecordingDestroyWindow(int32_t hwnd) {
    Inner->DestroyGameWindow(hwnd);
}
static void RecordingCopy(const TCanvas* frame, TRect rect) {
    Inner->CopyToWindow(frame, rect);
}
static void RecordingRelease() {
    Inner->ReleaseGameWindow();
}
static int32_t RecordingContinueLoop() {
    return Failed ? 0 : Inner->ContinueLoop();
}

void RecorderStart(FILE* file, const char* name) {
    File = file;
    Name = name;
    Sleeps = 0;
    Pass = 0;
    CursorKnown = false;
    CursorX = 0;
    CursorReadPass = 0;
    Failed = false;
    WarnedCursor = false;
    PassLines.clear();
    PassLines.reserve(4096);
    PassTickReads = 0;
    PassHasOther = false;
    TickKnown = false;
    LastTick = 0;
    StepsWritten = 0;
    WriteLine("# tramolo-sim recording: what the game took from outside, pass by pass (0: the start-up).\n");
    WriteLine(
        "# Each message as it was posted, each tick count read, the cursor x when it moved; \"P steps\n");
    WriteLine("# LETTERS\": from pass P on one tick read a pass, each the last plus 0-9, a-z (10-35), A-Z "
              "(36-61) ms.\n");
    WriteLine(
        "# Replay: tramolo-sim --input FILE --trace T.jsonl   Watch: tramolo-sim --window --input FILE\n");
}

const TPlatformBackend* RecordingBackend(const TPlatformBackend* inner) {
    Inner = inner;
    Recording = TPlatformBackend{
        RecordingCreateWindow, RecordingShowWindow,   RecordingPump,      RecordingDestroyWindow,
        RecordingTickCount,    RecordingSleep,        RecordingCursorPos, RecordingCopy,
        RecordingRelease,      RecordingContinueLoop,
    };
    SetMessageTap(RecordMessage, nullptr);
    return &Recording;
}

bool RecorderFailed() {
    return Failed;
}

bool RecorderFinish(uint64_t passes, int32_t exitCode, char* error, size_t errorSize) {
    SetMessageTap(nullptr, nullptr);
    if (File == nullptr) return true;
    WritePass();
    EndSteps();
    WriteLine("# the game ended after pass %llu with exit code %d\n", (unsigned long long)passes, exitCode);
    Write(PassLines.data(), PassLines.size());
    PassLines.clear();
    if (!Failed && std::fflush(File) != 0) Failed = true;
    File = nullptr;
    if (Failed) std::snprintf(error, errorSize, "--record: writing '%s' failed", Name.c_str());
    return !Failed;
}
