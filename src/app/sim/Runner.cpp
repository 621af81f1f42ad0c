// The runner's command line and main loop: it checks every option, the script and the output paths before
// the first pass, then runs the game's own start-up and frame loop on the headless platform, feeding the
// script's events before each poll and writing the trace and the frames after each copy. With --window the
// game runs in the real window instead (or the script plays there, watched), and --record writes down what
// the game took from outside as a script that replays it.
#include "app/sim/Runner.h"

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/sim/Outputs.h"
#include "app/sim/WindowModes.h"
#include "draw/PngFile.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/Say.h"
#include "platform/System.h"
#include "records/Records.h"
#include "replay/Feed.h"
#include "replay/Keeper.h"
#include "replay/Proof.h"
#include "replay/Recorder.h"
#include "replay/Script.h"
#include "replay/Trace.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

constexpr int ExitBadInput = 2;
constexpr uint64_t DefaultPasses = 1000;
constexpr uint32_t DefaultStartTick = 100000;
constexpr uint32_t DefaultPassMs = 10;
// A script is read as a stream and costs no memory for its length, but two kinds are held whole: standard
// input, which cannot be read twice, and a script whose lines are not in pass order, which is sorted in
// memory. These bound what they may take.
constexpr size_t MostHeldScriptBytes = 64u << 20;
// The piece of a script read at once.
constexpr size_t ScriptPieceBytes = 64u << 10;

struct TPngRequest {
    uint64_t Pass;
    std::string Path;
    TOutput* Output;
};

struct TSimOptions {
    uint64_t Passes; // 0: no budget (a live window without --passes)
    THeadlessPassMs PassMs;
    uint32_t StartTick;
    int32_t CursorX;
    const char* Input;   // null: no script
    const char* Trace;   // null: no trace
    const char* Record;  // null: no recording
    const char* Records; // null: no records kept
    const char* Ghost;   // null: the own best is the ghost
    const char* Verify;  // null: a game runs; else only this record is verified
    bool RecordsView;    // --records-view: the records view on from the start
    uint64_t TraceEvery; // trace every K-th pass (1: every pass)
    std::vector<TPngRequest> Pngs;
    // Every file the run writes: the recording, the trace, the frames. Made once the options are read;
    // the pointers into it stay valid from then on.
    std::vector<TOutput> Outputs;
    TOutput* TraceOutput;
    TOutput* RecordOutput;
    std::FILE* RecordsScratch; // --records: the recording read back into each record written
    bool Quiet;
    bool Window;
    // Options given on the command line, for the defaults that depend on them and the ones that do not
    // apply to a live window or to --verify.
    const char* GameOption; // the first option given that only a game takes
    const char* PassesGiven;
    const char* ClockOption; // the first of --pass-ms, --start-tick, --cursor-x given
};

// The script of --input: checked whole before the run, then read again as the passes need it. Standard
// input, a pipe or a device cannot be read twice: they are held in memory.
struct TScriptInput {
    const char* Path;
    bool StandardInput;
    bool Held;    // read once, into Text
    bool Keeping; // the first reading of a held script, which keeps what it reads
    std::string Failure;
    FILE* File;       // the file while it is read
    std::string Text; // standard input, or a script not in pass order, held whole
    size_t TextAt;
    TScriptReader Reader;
    TScriptSurvey Survey;
    std::vector<TScriptEvent> Sorted; // the events of a script not in pass order, sorted by pass
    char Piece[ScriptPieceBytes];
};

// What the hooks work with during a run.
struct TSimRun {
    TScriptFeed Feed;
    TTraceWriter* Trace; // null: no trace
    const char* TracePath;
    uint64_t TraceEvery;
    std::vector<TPngRequest>* Pngs;
    size_t NextPng;
    bool Failed;
    char Failure[600];
    std::vector<std::string> RecordsKept; // --records: a line for each record written, for the report
};

static bool ParseNumberOption(const char* name, const char* text, int64_t low, int64_t high, int64_t* value,
                              char* error, size_t errorSize) {
    if (ParseWholeNumber(text, std::strlen(text), low, high, value)) return true;
    std::snprintf(error, errorSize, "%s: '%s' is not a whole number from %lld to %lld", name, text,
                  (long long)low, (long long)high);
    return false;
}

static bool ParsePngOption(const char* text, TSimOptions* options, char* error, size_t errorSize) {
    const char* colon = std::strchr(text, ':');
    int64_t pass = 0;
    if (colon == nullptr || colon[1] == '\0' ||
        !ParseWholeNumber(text, (size_t)(colon - text), 1, MostPasses, &pass)) {
        std::snprintf(error, errorSize, "--png: '%s' is not PASS:FILE with a pass from 1 to %lld", text,
                      (long long)MostPasses);
        return false;
    }
    options->Pngs.push_back(TPngRequest{(uint64_t)pass, std::string(colon + 1), nullptr});
    return true;
}

// The options that take a value; the clock options set the virtual clock and cursor of a headless run.
struct TValueOption {
    const char* Name;
    bool Clock;
};
constexpr TValueOption ValueOptions[] = {
    {"--passes", false}, {"--pass-ms", true},  {"--start-tick", true},   {"--cursor-x", true},
    {"--input", false},  {"--trace", false},   {"--trace-every", false}, {"--png", false},
    {"--record", false}, {"--records", false}, {"--ghost", false},       {"--verify", false},
};

static const TValueOption* FindValueOption(const char* name) {
    for (const TValueOption& option : ValueOptions) {
        if (std::strcmp(option.Name, name) == 0) return &option;
    }
    return nullptr;
}

// Stores the value of one option that takes one; false with the reason in error when it is malformed.
static bool SetValueOption(const char* option, const char* value, TSimOptions* options, char* error,
                           size_t errorSize) {
    const auto is = [option](const char* name) { return std::strcmp(option, name) == 0; };
    int64_t number = 0;
    if (is("--passes")) {
        if (!ParseNumberOption(option, value, 1, MostPasses, &number, error, errorSize)) return false;
        options->Passes = (uint64_t)number;
        options->PassesGiven = option;
    } else if (is("--pass-ms")) {
        if (!ParsePassMs(value, &options->PassMs)) {
            std::snprintf(
                error, errorSize,
                "--pass-ms: '%s' is not a number of milliseconds from 0 to %u with at most %d decimals",
                value, UINT32_MAX, MostPassMsDecimals);
            return false;
        }
    } else if (is("--start-tick")) {
        if (!ParseNumberOption(option, value, 0, UINT32_MAX, &number, error, errorSize)) return false;
        options->StartTick = (uint32_t)number;
    } else if (is("--cursor-x")) {
        if (!ParseNumberOption(option, value, INT32_MIN, INT32_MAX, &number, error, errorSize)) return false;
        options->CursorX = (int32_t)number;
    } else if (is("--trace-every")) {
        if (!ParseNumberOption(option, value, 1, MostPasses, &number, error, errorSize)) return false;
        options->TraceEvery = (uint64_t)number;
    } else if (is("--input")) {
        options->Input = value;
    } else if (is("--trace")) {
        options->Trace = value;
    } else if (is("--record")) {
        options->Record = value;
    } else if (is("--records")) {
        options->Records = value;
    } else if (is("--ghost")) {
        options->Ghost = value;
    } else if (is("--verify")) {
        options->Verify = value;
    } else {
        return ParsePngOption(value, options, error, errorSize);
    }
    return true;
}

// A device's name (nul.jsonl, COM1 on Windows) opens the device: a script read from it waits for ever, a
// trace written to it is lost.
static bool CheckDeviceNames(const TSimOptions& options, char* error, size_t errorSize) {
    std::vector<std::pair<std::string, std::string>> named; // the option, the file
    if (options.Input != nullptr && std::strcmp(options.Input, "-") != 0)
        named.push_back({"--input", options.Input});
    if (options.Trace != nullptr) named.push_back({"--trace", options.Trace});
    if (options.Record != nullptr) named.push_back({"--record", options.Record});
    for (const TPngRequest& png : options.Pngs)
        named.push_back({"--png " + std::to_string(png.Pass), png.Path});
    for (const auto& [option, path] : named) {
        const std::string device = ReservedDeviceName(path.c_str());
        if (device.empty()) continue;
        std::snprintf(error, errorSize,
                      "%s: '%s' names the device %s, whatever its folder and extension: name another file",
                      option.c_str(), path.c_str(), device.c_str());
        return false;
    }
    return true;
}

static bool ParseOptions(int argc, char** argv, TSimOptions* options, char* error, size_t errorSize) {
    for (int i = 1; i < argc; i++) {
        const char* option = argv[i];
        if (std::strcmp(option, "--quiet") == 0) {
            options->Quiet = true;
            continue;
        }
        if (std::strcmp(option, "--records-view") == 0) {
            options->RecordsView = true;
            if (options->GameOption == nullptr) options->GameOption = option;
            continue;
        }
        if (std::strcmp(option, "--window") == 0) {
            if (!WindowModesBuilt()) {
                std::snprintf(error, errorSize, "--window: this runner was built without a window");
                return false;
            }
            options->Window = true;
            if (options->GameOption == nullptr) options->GameOption = option;
            continue;
        }
        const TValueOption* known = FindValueOption(option);
        if (known == nullptr) {
            std::snprintf(error, errorSize, "unknown option '%s'", option);
            return false;
        }
        if (i + 1 >= argc) {
            std::snprintf(error, errorSize, "%s needs a value", option);
            return false;
        }
        if (known->Clock && options->ClockOption == nullptr) options->ClockOption = option;
        if (std::strcmp(option, "--verify") != 0 && options->GameOption == nullptr)
            options->GameOption = option;
        if (!SetValueOption(option, argv[++i], options, error, errorSize)) return false;
    }
    if (options->Verify != nullptr && options->GameOption != nullptr) {
        std::snprintf(error, errorSize, "--verify runs no game of its own: %s does not go with it",
                      options->GameOption);
        return false;
    }
    if (!CheckDeviceNames(*options, error, errorSize)) return false;
    if (options->Window && options->Input == nullptr && options->ClockOption != nullptr) {
        std::snprintf(error, errorSize,
                      "%s: a live window reads the real clock and cursor; it applies to a headless run or a "
                      "watched script (--input)",
                      options->ClockOption);
        return false;
    }
    std::stable_sort(options->Pngs.begin(), options->Pngs.end(),
                     [](const TPngRequest& a, const TPngRequest& b) { return a.Pass < b.Pass; });
    return true;
}

// Pushes the script's next piece into the reader, from the file or from the text held; ends its input at
// the end. A held script's first reading keeps what it reads. False when reading failed or a held script
// grew too long (Failure says which).
static bool RefillScript(TScriptReader* reader, void* context) {
    TScriptInput* input = (TScriptInput*)context;
    if (input->File != nullptr) {
        const size_t got = std::fread(input->Piece, 1, sizeof input->Piece, input->File);
        if (got > 0) ScriptReaderPush(reader, input->Piece, got);
        if (input->Keeping) {
            input->Text.append(input->Piece, got);
            if (input->Text.size() > MostHeldScriptBytes) {
                input->Failure = "it is no file that can be read twice, and longer than the " +
                                 std::to_string(MostHeldScriptBytes) +
                                 " bytes held in memory; save it as a file, which is read as a stream";
                return false;
            }
        }
        if (got < sizeof input->Piece) {
            if (std::ferror(input->File) != 0) {
                input->Failure = "reading it failed";
                return false;
            }
            if (got == 0) ScriptReaderEndInput(reader);
        }
        return true;
    }
    const size_t left = input->Text.size() - input->TextAt;
    const size_t piece = left < ScriptPieceBytes ? left : ScriptPieceBytes;
    if (piece == 0) ScriptReaderEndInput(reader);
    ScriptReaderPush(reader, input->Text.data() + input->TextAt, piece);
    input->TextAt += piece;
    return true;
}

// Opens the script from its start: the file anew, or the text held once it has been read.
static bool OpenScript(TScriptInput* input, char* error, size_t errorSize) {
    ScriptReaderStart(&input->Reader);
    input->TextAt = 0;
    if (input->Held && !input->Keeping) return true;
    input->File = input->StandardInput ? StandardInputBytes() : OpenFileToRead(input->Path);
    if (input->File != nullptr) return true;
    std::snprintf(error, errorSize, "--input: '%s' cannot be read", input->Path);
    return false;
}

static void CloseScript(TScriptInput* input) {
    if (input->File != nullptr && input->File != stdin) std::fclose(input->File);
    input->File = nullptr;
}

// Reads the whole script once: every line checked, its pass order, last pass and ticks surveyed. A held
// script keeps what is read; a file whose lines are not in pass order is then read into memory too, and
// sorted.
static bool CheckScript(TScriptInput* input, char* error, size_t errorSize) {
    input->StandardInput = std::strcmp(input->Path, "-") == 0;
    const TFileKind kind = input->StandardInput ? TFileKind::Pipe : FileKindOf(input->Path);
    if (kind == TFileKind::Directory) {
        std::snprintf(error, errorSize, "--input: '%s' is a directory", input->Path);
        return false;
    }
    input->Held = kind == TFileKind::Pipe || kind == TFileKind::Device;
    input->Keeping = input->Held;
    if (!OpenScript(input, error, errorSize)) return false;
    input->Survey = TScriptSurvey{true, 0, false, 0};
    uint64_t bytes = 0;
    TScriptRead read;
    while ((read = SurveyScript(&input->Reader, &input->Survey)) == TScriptRead::NeedsBytes) {
        const size_t before = input->Reader.Pending.size() - input->Reader.At;
        if (!RefillScript(&input->Reader, input)) break;
        bytes += input->Reader.Pending.size() - input->Reader.At - before;
    }
    CloseScript(input);
    input->Keeping = false;
    if (read == TScriptRead::NeedsBytes) {
        std::snprintf(error, errorSize, "--input: '%s': %s", input->Path, input->Failure.c_str());
        return false;
    }
    if (read == TScriptRead::Fault) {
        std::snprintf(error, errorSize, "--input %s: %s", input->Path, input->Reader.Fault.c_str());
        return false;
    }
    if (input->Survey.Sorted) return true;
    if (!input->Held) {
        if (bytes > MostHeldScriptBytes) {
            std::snprintf(error, errorSize,
                          "--input: the lines of '%s' are not in pass order, and it is longer than the %zu "
                          "bytes such a script may have to be sorted in memory",
                          input->Path, MostHeldScriptBytes);
            return false;
        }
        if (!OpenScript(input, error, errorSize)) return false;
        size_t got = 0;
        while ((got = std::fread(input->Piece, 1, sizeof input->Piece, input->File)) > 0)
            input->Text.append(input->Piece, got);
        CloseScript(input);
    }
    char reason[400];
    if (!ParseScript(input->Text.data(), input->Text.size(), input->Sorted, reason, sizeof reason)) {
        std::snprintf(error, errorSize, "--input %s: %s (the script changed while it was read)", input->Path,
                      reason);
        return false;
    }
    return true;
}

// One file the run reads or writes, by the option that names it.
struct TNamedFile {
    std::string Option; // "--input X", "--trace X", "--png P:X"
    std::string Key;
    bool Output;
};

// No output may be the script, another output or another output's part file.
static bool CheckDistinctFiles(const TSimOptions& options, char* error, size_t errorSize) {
    std::vector<TNamedFile> files;
    if (options.Input != nullptr && std::strcmp(options.Input, "-") != 0)
        files.push_back(TNamedFile{std::string("--input ") + options.Input, FileKey(options.Input), false});
    for (const TOutput& output : options.Outputs) {
        files.push_back(TNamedFile{output.Named, FileKey(output.Path.c_str()), true});
        if (!output.Part.empty())
            files.push_back(
                TNamedFile{output.Named + " (its part file)", FileKey(output.Part.c_str()), true});
    }
    for (size_t i = 0; i < files.size(); i++) {
        for (size_t j = i + 1; j < files.size(); j++) {
            if ((files[i].Output || files[j].Output) && files[i].Key == files[j].Key) {
                std::snprintf(error, errorSize, "%s and %s name the same file", files[i].Option.c_str(),
                              files[j].Option.c_str());
                return false;
            }
        }
    }
    return true;
}

// Before pass p polls: the script's events of that pass (pass 0: the start-up's cursor and ticks).
static void FeedScript(uint64_t pass, void* context) {
    FeedScriptPass(&((TSimRun*)context)->Feed, pass);
}

// Ends the frame loop before the next pass, whichever backend runs it.
static void StopRun() {
    HeadlessStop();
    LiveStop();
}

// Ends the run at the first failure, before the next pass; a later one is not told.
static void FailRun(TSimRun* run, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The run whose records are being kept, for the keeper's news.
static TSimRun* KeepingRun;
static void KeeperNews(TKeeperNews news, const char* text);

static void FailRun(TSimRun* run, const char* format, ...) {
    if (run->Failed) return;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(run->Failure, sizeof run->Failure, format, arguments);
    va_end(arguments);
    run->Failed = true;
    StopRun();
}

// One frame into its part file, made new now, never one that appeared there since the start.
static void WritePng(TSimRun* run, const TPngRequest& png, const TCanvas* frame) {
    char error[600];
    if (!OpenOutput(png.Output, error, sizeof error)) {
        FailRun(run, "%s", error);
        return;
    }
    char reason[300];
    const bool written = WriteCanvasPng(frame, png.Output->File, reason, sizeof reason);
    const bool closed = CloseOutput(png.Output, error, sizeof error);
    if (!written)
        FailRun(run, "%s: writing '%s' failed (%s)", png.Output->Option.c_str(), png.Path.c_str(), reason);
    if (!closed) FailRun(run, "%s", error);
}

// After pass p's copy: its trace line and the frames asked for it. A write that fails ends the run.
static void RecordPass(uint64_t pass, const TCanvas* frame, void* context) {
    TSimRun* run = (TSimRun*)context;
    if (run->Failed) return;
    if (run->Trace != nullptr && pass % run->TraceEvery == 0) {
        TraceWritePass(run->Trace, pass);
        if (run->Trace->Failed) FailRun(run, "--trace: writing '%s' failed", run->TracePath);
    }
    std::vector<TPngRequest>& pngs = *run->Pngs;
    for (; run->NextPng < pngs.size() && pngs[run->NextPng].Pass <= pass && !run->Failed; run->NextPng++)
        WritePng(run, pngs[run->NextPng], frame);
}

// A record kept goes into the report; one left alone is told at once and the run goes on; a lap that
// could not be kept is a failed write.
static void KeeperNews(TKeeperNews news, const char* text) {
    if (KeepingRun == nullptr) return;
    if (news == TKeeperNews::Kept) KeepingRun->RecordsKept.push_back(text);
    if (news == TKeeperNews::LeftAlone) SayLine(TStandardStream::Error, "--records: %s", text);
    if (news == TKeeperNews::WriteFailed) FailRun(KeepingRun, "--records: %s", text);
}

static int FailBadInput(const char* problem) {
    SayLine(TStandardStream::Error, "%s", problem);
    return ExitBadInput;
}

// The pass budget: --passes when given; else a recording (a script with tick lines) runs to its last pass,
// a live window as long as the game, and anything else 1000 passes.
static uint64_t PassBudget(const TSimOptions& options, const TScriptSurvey& survey) {
    if (options.PassesGiven != nullptr) return options.Passes;
    if (options.Window && options.Input == nullptr) return 0;
    if (survey.HasTicks) return std::max<uint64_t>(1, survey.LastPass);
    return DefaultPasses;
}

static bool CheckPngPasses(const TSimOptions& options, char* error, size_t errorSize) {
    for (const TPngRequest& png : options.Pngs) {
        if (options.Passes != 0 && png.Pass > options.Passes) {
            std::snprintf(error, errorSize, "--png %llu:%s: the run has only %llu passes",
                          (unsigned long long)png.Pass, png.Path.c_str(), (unsigned long long)options.Passes);
            return false;
        }
    }
    return true;
}

// Runs the game's own start-up and loop on the backend the options ask for; returns its exit code and
// leaves the passes run in passes.
static int RunGame(const TSimOptions& options, TSimRun* run, uint64_t* passes) {
    ClearGameState();
    ResetPlatformState();
    WatchConfigure();
    const TPlatformBackend* backend = nullptr;
    if (options.Window && options.Input == nullptr) {
        LiveConfigure(options.Passes, RecordPass, run);
        backend = LiveBackend();
    } else {
        HeadlessConfigure(options.StartTick, options.PassMs, options.CursorX, options.Passes);
        FeedScript(0, run);
        HeadlessSetHooks(FeedScript, RecordPass, run);
        backend = options.Window ? WatchBackend() : HeadlessBackend();
    }
    if (options.RecordOutput != nullptr || options.Records != nullptr) backend = RecordingBackend(backend);
    SelectPlatform(backend);
    // Numbers in the head-up display use the decimal separator of the user's locale, as in the game; the
    // caller's setting comes back afterwards, for runs inside a longer-lived process.
    char previousLocale[256];
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    std::snprintf(previousLocale, sizeof previousLocale, "%s", current != nullptr ? current : "C");
    std::setlocale(LC_NUMERIC, "");
    const int exitCode = ProgramMain();
    std::setlocale(LC_NUMERIC, previousLocale);
    *passes = options.Window && options.Input == nullptr ? LivePassesRun() : HeadlessPassesRun();
    HeadlessSetHooks(nullptr, nullptr, nullptr);
    SelectPlatform(nullptr);
    return exitCode;
}

// Every output as the options name it, the recording first, then the trace and the frames in pass order.
static void MakeOutputs(TSimOptions* options) {
    std::vector<TOutput>& outputs = options->Outputs;
    if (options->Record != nullptr)
        outputs.push_back(
            MakeOutput("--record", std::string("--record ") + options->Record, options->Record, true));
    if (options->Trace != nullptr)
        outputs.push_back(
            MakeOutput("--trace", std::string("--trace ") + options->Trace, options->Trace, false));
    for (const TPngRequest& png : options->Pngs) {
        const std::string option = "--png " + std::to_string(png.Pass);
        outputs.push_back(MakeOutput(option, option + ":" + png.Path, png.Path, false));
    }
    size_t next = 0;
    options->RecordOutput = options->Record != nullptr ? &outputs[next++] : nullptr;
    options->TraceOutput = options->Trace != nullptr ? &outputs[next++] : nullptr;
    for (TPngRequest& png : options->Pngs)
        png.Output = &outputs[next++];
}

// Everything checked before the first pass: the options, the script, the pass budget and the output paths.
static bool PrepareRun(int argc, char** argv, TSimOptions* options, TScriptInput* input, char* error,
                       size_t errorSize) {
    options->Passes = DefaultPasses;
    options->TraceEvery = 1;
    options->PassMs = THeadlessPassMs{DefaultPassMs, 0};
    options->StartTick = DefaultStartTick;
    if (!ParseOptions(argc, argv, options, error, errorSize)) return false;
    input->Survey = TScriptSurvey{true, 0, false, 0};
    if (options->Input != nullptr) {
        input->Path = options->Input;
        if (!CheckScript(input, error, errorSize)) return false;
    }
    if (options->Records != nullptr) {
        char reason[256] = "";
        if (FileKindOf(options->Records) == TFileKind::Missing &&
            !MakeFolder(options->Records, reason, sizeof reason)) {
            std::snprintf(error, errorSize, "--records: '%s' cannot be made: %s", options->Records, reason);
            return false;
        }
        if (FileKindOf(options->Records) != TFileKind::Directory) {
            std::snprintf(error, errorSize, "--records: '%s' is no folder", options->Records);
            return false;
        }
    }
    options->Passes = PassBudget(*options, input->Survey);
    if (!CheckPngPasses(*options, error, errorSize)) return false;
    MakeOutputs(options);
    if (!CheckDistinctFiles(*options, error, errorSize)) return false;
    for (const TOutput& output : options->Outputs) {
        if (!CheckOutput(output, error, errorSize)) return false;
    }
    return true;
}

// Opens the recording and the trace, whose part files the run holds from now on; the frames are opened at
// their passes.
static bool OpenOutputs(TSimOptions* options, TTraceWriter* trace, char* error, size_t errorSize) {
    TOutput* record = options->RecordOutput;
    if (record != nullptr) {
        if (!OpenOutput(record, error, errorSize)) return false;
        RecorderStart(record->File, record->Path.c_str());
    }
    if (options->Records != nullptr) {
        // The game is recorded for the records, into a file of its own that is read back.
        char reason[256] = "";
        options->RecordsScratch = OpenScratchFile("", reason, sizeof reason);
        if (options->RecordsScratch == nullptr) {
            std::snprintf(error, errorSize, "--records: no scratch file for the recording: %s", reason);
            return false;
        }
        if (record == nullptr) RecorderStart(nullptr, "the recording of the records");
        RecorderReadBackFrom(options->RecordsScratch);
    }
    if (options->TraceOutput != nullptr) {
        if (!OpenOutput(options->TraceOutput, error, errorSize)) return false;
        TraceStart(trace, options->TraceOutput->File);
    }
    return true;
}

// The recording's closing comment and the trace's last lines written, every file closed; the first
// failure is the run's.
static void CompleteOutputs(TSimOptions* options, TTraceWriter* trace, uint64_t passes, int exitCode,
                            TSimRun* run) {
    char error[600];
    if ((options->RecordOutput != nullptr || options->Records != nullptr) &&
        !RecorderFinish(passes, exitCode, error, sizeof error))
        FailRun(run, "%s", error);
    if (options->RecordsScratch != nullptr) std::fclose(options->RecordsScratch);
    options->RecordsScratch = nullptr;
    if (options->TraceOutput != nullptr && !TraceFlush(trace))
        FailRun(run, "--trace: writing '%s' failed", options->Trace);
    for (TOutput& output : options->Outputs) {
        if (!CloseOutput(&output, error, sizeof error)) FailRun(run, "%s", error);
    }
}

static void DropOutputs(TSimOptions* options) {
    for (TOutput& output : options->Outputs)
        DropOutput(&output);
    if (options->RecordsScratch != nullptr) std::fclose(options->RecordsScratch);
    options->RecordsScratch = nullptr;
}

// Every part file renamed onto its output; false with the reason in error at the first that is not.
static bool PlaceOutputs(TSimOptions* options, char* error, size_t errorSize) {
    for (TOutput& output : options->Outputs) {
        if (!PlaceOutput(&output, error, errorSize)) return false;
    }
    return true;
}

// What the person running it should know: dropped messages, frames the run ended before, the closing line.
// Null when all of it was written, else the stream that failed.
static const char* ReportRun(const TSimOptions& options, const TSimRun& run, uint64_t passes, int exitCode) {
    bool toError = true;
    const TMessageQueueDrops drops = MessageQueueDrops();
    if (drops.Unchanging + drops.Presses + drops.Kept > 0) {
        char line[256];
        DescribeMessageQueueDrops(drops, line, sizeof line);
        toError = SayLine(TStandardStream::Error, "%s", line) && toError;
    }
    for (size_t i = run.NextPng; i < options.Pngs.size(); i++) {
        toError = SayLine(TStandardStream::Error, "the run ended after pass %llu, before --png %llu:%s",
                          (unsigned long long)passes, (unsigned long long)options.Pngs[i].Pass,
                          options.Pngs[i].Path.c_str()) &&
                  toError;
    }
    if (!options.Quiet) {
        for (const std::string& kept : run.RecordsKept) {
            if (!SayLine(TStandardStream::Output, "%s", kept.c_str())) return "standard output";
        }
        const bool stopped = options.Window && WatchStoppedByViewer();
        if (!SayLine(TStandardStream::Output, "%llu passes, %sexit code %d", (unsigned long long)passes,
                     stopped ? "stopped by the viewer, " : "", exitCode))
            return "standard output";
    }
    return toError ? nullptr : "standard error";
}

// Runs the game with its outputs open; the files are kept only when everything, the report included, was
// written. A run that ends before its first pass (no window) keeps none either.
static int RunWithOutputs(TSimOptions* options, TScriptInput* input) {
    char error[600];
    auto trace = std::make_unique<TTraceWriter>();
    if (!OpenOutputs(options, trace.get(), error, sizeof error)) {
        DropOutputs(options);
        return FailBadInput(error);
    }
    TSimRun run{};
    if (options->Input == nullptr) {
        StartMemoryFeed(&run.Feed, &input->Sorted);
    } else if (input->Survey.Sorted) {
        if (!OpenScript(input, error, sizeof error)) {
            DropOutputs(options);
            return FailBadInput(error);
        }
        StartStreamFeed(&run.Feed, &input->Reader, RefillScript, input);
    } else {
        StartMemoryFeed(&run.Feed, &input->Sorted);
    }
    run.Trace = options->TraceOutput != nullptr ? trace.get() : nullptr;
    run.TracePath = options->Trace;
    run.TraceEvery = options->TraceEvery;
    run.Pngs = &options->Pngs;
    uint64_t passes = 0;
    KeepingRun = &run;
    if (options->Records != nullptr) StartKeepingRecords(options->Records, KeeperNews);
    const int exitCode = RunGame(*options, &run, &passes);
    StopKeepingRecords();
    KeepingRun = nullptr;
    CloseScript(input);
    if (!run.Feed.Failure.empty()) FailRun(&run, "--input %s: %s", options->Input, run.Feed.Failure.c_str());
    CompleteOutputs(options, trace.get(), passes, exitCode, &run);
    if (run.Failed || passes == 0) DropOutputs(options);
    if (run.Failed) return FailBadInput(run.Failure);
    if (const char* failed = ReportRun(*options, run, passes, exitCode)) {
        DropOutputs(options);
        std::snprintf(error, sizeof error,
                      "the run's report could not be written to %s; its files are not kept", failed);
        return FailBadInput(error);
    }
    if (!PlaceOutputs(options, error, sizeof error)) {
        DropOutputs(options);
        return FailBadInput(error);
    }
    return exitCode;
}

// --verify: the record's laps as its replay counts them, and the verdict: 0 true, 1 false, 2 unreadable.
static int RunVerify(const TSimOptions& options) {
    const TProof proof = VerifyRecord(options.Verify);
    bool written = true;
    for (const TProofLap& lap : proof.Laps) {
        char time[24];
        FormatProofTime(lap.Ms, time, sizeof time);
        if (!options.Quiet)
            written = SayLine(TStandardStream::Output, "lap %d  %s", (int)lap.Lap, time) && written;
    }
    if (proof.Verdict == ProofTrue) {
        if (!options.Quiet) written = SayLine(TStandardStream::Output, "%s", proof.Line.c_str()) && written;
    } else {
        written = SayLine(TStandardStream::Error, "%s", proof.Line.c_str()) && written;
    }
    return written ? proof.Verdict : ExitBadInput;
}

// --ghost: the record is verified first, and raced only when it is true.
static int TakeGhost(const char* path) {
    TProof proof = VerifyRecord(path);
    if (proof.Verdict != ProofTrue) {
        SayLine(TStandardStream::Error, "--ghost: %s", proof.Line.c_str());
        return proof.Verdict;
    }
    SetGhost(TGhostKind::Foreign, proof.Head.Ms, proof.Head.Ghost.data(), (int32_t)proof.Head.Ghost.size(),
             proof.Head.Stride);
    return ProofTrue;
}

// What --help prints: every option, what it takes and its default.
constexpr char Usage[] = R"(Usage: tramolo-sim [OPTION]...
Runs the game without a window, on a virtual clock, with scripted input, and writes a trace of
every pass and PNG frames; with --window it runs the game in its real window, live or watching a
script, and --record writes down a game as a script that replays it.

  --passes N        run at most N passes, 1 to 1000000000 (default 1000, but a recording runs
                    to its last pass and a live window as long as the game)
  --pass-ms M       milliseconds a pass, 0 to 4294967295 with up to 9 decimals (default 10)
  --start-tick T    the tick count before the first pass, 0 to 4294967295 (default 100000)
  --cursor-x X      the cursor's screen x until the script moves it (default 0)
  --input FILE      the input script or recording; - reads standard input
  --trace FILE      one JSON object a pass (JSON Lines), after the pass's frame
  --trace-every K   write only every K-th pass to the trace (default 1)
  --png PASS:FILE   the frame after that pass as a 600 x 600 PNG image; may be repeated
  --record FILE     write down what the game takes from outside, pass by pass, as a script
  --records-view    the records view (F7) on from the start: the lap times' line and the ghost
  --records DIR     keep the records of the run's race in DIR, as the game keeps them
  --ghost FILE      race the ghost of the record FILE, once it is found true
  --verify FILE     run no game: replay the record FILE and say whether its lap is true
                    (exit code 0 true, 1 false, 2 unreadable)
  --window          %s
  --quiet           no closing line on standard output
  --help            this text

Exit codes: the game's own (27 after ESC, 0 after closing the window, 1 when --window finds no
display); 0 when the passes run out or the viewer stops the run; 2 for bad input or a failed write,
said in one line on standard error. Outputs are written to FILE.part and put in place only when the
run succeeds; a run that fails leaves every file as it was.
)";

// --help anywhere on the command line, but as an option's value, answers before anything else is read.
static bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--help") == 0) return true;
        if (FindValueOption(argv[i]) != nullptr) i++;
    }
    return false;
}

static int SayUsage() {
    const char* window = WindowModesBuilt() ? "the real window: the game live, or the --input script watched"
                                            : "the real window (this runner was built without one)";
    char usage[sizeof Usage + 128];
    const int length = std::snprintf(usage, sizeof usage, Usage, window);
    if (length > 0 && WriteStandard(TStandardStream::Output, usage, (size_t)length)) return 0;
    SayLine(TStandardStream::Error, "the usage could not be written to standard output");
    return ExitBadInput;
}

int RunSimulator(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) return SayUsage();
    char error[600];
    TSimOptions options{};
    auto input = std::make_unique<TScriptInput>();
    // The track's name is worked out before any game runs; each run starts without a ghost.
    TrackDigest();
    SetGhost(TGhostKind::None, 0, nullptr, 0, 1);
    SetLapHook(nullptr, nullptr);
    if (!PrepareRun(argc, argv, &options, input.get(), error, sizeof error)) return FailBadInput(error);
    if (options.Verify != nullptr) return RunVerify(options);
    if (options.Ghost != nullptr) {
        const int verdict = TakeGhost(options.Ghost);
        if (verdict != ProofTrue) return verdict;
    }
    SetRecordsView(options.RecordsView);
    GuardOutputs(&options.Outputs);
    const int exitCode = RunWithOutputs(&options, input.get());
    UnguardOutputs();
    return exitCode;
}
