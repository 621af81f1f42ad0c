// The headless runner end to end: the game's own loop on scripted input, its exit codes, the trace and
// frames it leaves, and the refusal of bad input before the first pass.
#include "app/sim/Runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/Platform.h"
#include "replay/Script.h"
#include "world/DatenStruktur.h"

#include "app/sim/RunnerHarness.h"

using namespace runnertest;

namespace {

TEST_F(RunnerTest, RunEndsWithZeroAfterThePassBudget) {
    EXPECT_EQ(RunScript("", {"--passes", "5"}), 0);
    ASSERT_EQ(lines.size(), 5u);
    for (size_t i = 0; i < lines.size(); i++)
        EXPECT_EQ(Field(lines[i], "pass"), (long long)i + 1);
    EXPECT_NE(lines[0].find("\"Message\":\"Willkommen bei tramolo - Drücke ENTER für Start!\""),
              std::string::npos);
}

TEST_F(RunnerTest, EscEndsTheRunAfterThePassThatTookItWith27) {
    EXPECT_EQ(RunScript("3 down 27\n"), 27);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[1], "Running"), -1);
    EXPECT_EQ(Field(lines[2], "Running"), 0);
}

TEST_F(RunnerTest, CloseEndsTheRunWithZeroWhenTheQuitMessageIsTaken) {
    // Pass 2 takes WmClose, which destroys the window and posts the quit message; pass 3 takes that.
    EXPECT_EQ(RunScript("2 close\n"), 0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[1], "Running"), -1);
    EXPECT_EQ(Field(lines[2], "Running"), 0);
}

TEST_F(RunnerTest, EachQueuedMessageCostsOnePassInPassOrder) {
    EXPECT_EQ(RunScript("4 down 27\n1 sysdown 18\n1 down 65\n1 up 65\n"), 27);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Field(lines[0], "LastKey"), 0);
    EXPECT_EQ(Field(lines[1], "LastKey"), 65);
    EXPECT_EQ(Field(lines[3], "LastKey"), 27);
}

TEST_F(RunnerTest, VirtualClockRunsFromTheStartTick) {
    RunScript("", {"--passes", "3"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[0], "TickNow"), 100010);
    EXPECT_EQ(Field(lines[2], "TickNow"), 100030);
    RunScript("", {"--passes", "3", "--pass-ms", "16.6667", "--start-tick", "0"});
    EXPECT_EQ(Field(lines[2], "TickNow"), 50);
    RunScript("", {"--passes", "2", "--start-tick", "4294967290"});
    EXPECT_EQ(Field(lines[0], "TickNow"), 4);
}

TEST_F(RunnerTest, CursorStartsAtTheGivenXAndMovesWithTheScript) {
    // ENTER starts a race, in which the mouse is read every pass.
    RunScript("1 down 13\n4 mouse -77\n", {"--passes", "4", "--cursor-x", "40"});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Field(lines[2], "MouseX"), 40);
    EXPECT_EQ(Field(lines[3], "MouseX"), -77);
}

TEST_F(RunnerTest, SameArgumentsGiveTheSameTraceAndAFullSizeFrame) {
    const std::string script = "2 down 13\n5 down 38\n30 mouse 25\n60 up 38\n80 down 116\n";
    RunScript(script, {"--passes", "100"});
    const std::vector<std::string> first = lines;
    RunScript(script, {"--passes", "100", "--png", "90:" + pngPath});
    EXPECT_EQ(lines, first);
    const std::string png = ReadFile(pngPath);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 12), std::string("IHDR\0\0\x02\x58\0\0\x02\x58", 12)); // 600 x 600
}

TEST_F(RunnerTest, ClosingLineTellsPassesAndExitCodeUnlessQuiet) {
    ::testing::internal::CaptureStdout();
    Run({"--passes", "4"});
    Run({"--passes", "4", "--quiet"});
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "tramolo-sim: 4 passes, exit code 0\n");
}

TEST_F(RunnerTest, BadInputStopsBeforeTheFirstPassWithCodeTwoAndLeavesNothing) {
    std::ofstream(scriptPath) << "1 down 13\n\n5 press 38\n";
    const std::vector<std::vector<std::string>> cases = {
        {"--passes", "0"},
        {"--passes", "-3"},
        {"--passes", "ten"},
        {"--passes"},
        {"--pass-ms", "-1"},
        {"--pass-ms", "1.0000000001"},
        {"--pass-ms", "4294967296"}, // one beyond what the tick can advance: refused, not wrapped to 0
        {"--pass-ms", "99999999999999999999"},
        {"--start-tick", "4294967296"},
        {"--cursor-x", "2147483648"},
        {"--fast"},
        {"--input", prefix + "missing.txt"},
        {"--png", pngPath},
        {"--png", "0:" + pngPath},
        {"--passes", "10", "--png", "11:" + pngPath},
        {"--png", "1:/nonexistent-dir/x.png"},
        {"--png", "1:" + ::testing::TempDir()},
        {"--input", scriptPath},
        {"--trace", "/nonexistent-dir/t.jsonl"},
    };
    for (const std::vector<std::string>& c : cases) {
        std::vector<std::string> args = c;
        args.insert(args.begin(), {"--trace", tracePath});
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run(args), 2) << c[0];
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("tramolo-sim: ", 0), 0u) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_FALSE(Exists(tracePath) || Exists(tracePath + ".part") || Exists(pngPath)) << c[0];
        if (c.size() > 1 && c[1] == scriptPath) {
            EXPECT_NE(err.find("line 3: unknown verb 'press'"), std::string::npos) << err;
        }
    }
}

// What a script's bytes may hold: a byte order mark before its first line (as editors on Windows write one)
// is skipped; a NUL byte, or a line longer than a line may be, is refused by its line.
TEST_F(RunnerTest, AScriptsBytesAreReadAsTextLineByLine) {
    const struct {
        std::string Script;
        int Code;
        const char* Said;
    } rows[] = {
        {"\xEF\xBB\xBF"
         "2 down 27\n",
         27, ""},
        {std::string("1 down 13\n2 up 13\n3 do\0wn 27\n", 24), 2, "line 3: it holds a NUL byte"},
        {"1 down 13\n" + std::string(4097, ' ') + "\n", 2, "line 2: it is longer than the 4096 bytes"},
        {"0 tick 9\n1 steps 5?5\n", 2, "line 2: '?' is no step"},
    };
    for (const auto& row : rows) {
        std::ofstream(scriptPath, std::ios::binary) << row.Script;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"--quiet", "--input", scriptPath}), row.Code) << row.Said;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(row.Said), std::string::npos) << err;
        if (row.Code != 2) {
            EXPECT_EQ(err, "");
        }
    }
}

TEST_F(RunnerTest, BinaryReadsTheScriptFromStandardInputAndExitsWithTheGamesCode) {
    const int status = std::system("printf '2 down 27\\n' | " TRAMOLO_SIM_PATH " --quiet --input -");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 27);
    const int bad = std::system(TRAMOLO_SIM_PATH " --passes 0 2>/dev/null");
    ASSERT_TRUE(WIFEXITED(bad));
    EXPECT_EQ(WEXITSTATUS(bad), 2);
}

// ---- Commands through the input script ------------------------------------------------------------------
// lines[p - 1] is the state after pass p.

TEST_F(RunnerTest, OneShotKeysActOncePerKeyDownAutoRepeatsIncluded) {
    ASSERT_EQ(RunScript("1 down 113\n2 down 113\n3 down 113\n4 up 113\n", {"--passes", "10"}), 0);
    EXPECT_EQ(Field(lines[0], "CameraPreset"), 1);
    EXPECT_EQ(Field(lines[1], "CameraPreset"), 2);
    EXPECT_EQ(Field(lines[2], "CameraPreset"), 3);
    EXPECT_EQ(Field(lines[9], "CameraPreset"), 3); // no key-down, no change, though F2 was held to pass 4
}

TEST_F(RunnerTest, HeldKeysActInEveryPass) {
    // Keypad 1 from pass 1 to pass 10: the eye distance grows by 30 per second, 0.3 a pass at 100 a second.
    ASSERT_EQ(RunScript("1 down 97\n11 up 97\n", {"--passes", "15"}), 0);
    EXPECT_NEAR(Number(lines[0], "EyeDistance"), 300.3, 1e-3);
    EXPECT_NEAR(Number(lines[9], "EyeDistance"), 303.0, 1e-3);
    EXPECT_NEAR(Number(lines[14], "EyeDistance"), 303.0, 1e-3);
}

TEST_F(RunnerTest, EnterSwitchesBetweenDemonstrationAndRaceAndRebuilds) {
    ASSERT_EQ(RunScript("1 down 13\n2 up 13\n40 down 13\n41 up 13\n", {"--passes", "45"}), 0);
    EXPECT_EQ(Field(lines[0], "DemoMode"), 0);
    EXPECT_EQ(Field(lines[0], "CurrentActor"), 0);
    EXPECT_EQ(Field(lines[0], "CameraPreset"), 4);
    EXPECT_NE(lines[0].find("\"Message\":\"Start!\""), std::string::npos);
    EXPECT_EQ(Field(lines[39], "DemoMode"), 1);
    EXPECT_EQ(Field(lines[39], "CurrentActor"), 5);
    EXPECT_EQ(Field(lines[39], "CameraPreset"), 0);
    // The rebuild put the cars back on the start grid.
    EXPECT_NEAR(Number(lines[39], "PosY"), 2750.0, 0.1);
}

TEST_F(RunnerTest, TheDemonstrationReadsNeitherDrivingKeysNorTheMouse) {
    ASSERT_EQ(RunScript("", {"--passes", "20"}), 0);
    const std::string untouched = lines[19].substr(lines[19].find("\"Actors\""));
    ASSERT_EQ(RunScript("1 down 38\n2 down 37\n3 mouse 500\n", {"--passes", "20"}), 0);
    EXPECT_EQ(Field(lines[19], "MouseSteering"), 0);
    EXPECT_EQ(Field(lines[19], "MouseX"), 0);
    // The cars drive exactly as they would without the keys and the mouse.
    EXPECT_EQ(lines[19].substr(lines[19].find("\"Actors\"")), untouched);
}

TEST_F(RunnerTest, LeftBeatsRightWhenBothAreHeld) {
    ASSERT_EQ(RunScript("1 down 13\n2 up 13\n3 down 39\n4 down 37\n", {"--passes", "8"}), 0);
    EXPECT_NEAR(Number(lines[2], "Steering"), 0.01, 1e-6); // right alone
    for (int p = 4; p <= 8; p++)
        EXPECT_NEAR(Number(lines[(size_t)p - 1], "Steering"), -0.01, 1e-6) << "pass " << p;
}

TEST_F(RunnerTest, MouseSteeringKeepsItsValueUntilAnArrowKeyIsUsed) {
    ASSERT_EQ(RunScript("1 down 13\n2 up 13\n5 mouse 25\n30 down 39\n31 up 39\n", {"--passes", "35"}), 0);
    EXPECT_EQ(Number(lines[3], "Steering"), 0.0);
    // 25 pixels to the right: 25 / 2.5 per second of turn rate, 0.1 a pass, and it stays.
    EXPECT_NEAR(Number(lines[4], "Steering"), 0.1, 1e-6);
    EXPECT_EQ(Field(lines[4], "MouseSteering"), -1);
    EXPECT_NEAR(Number(lines[28], "Steering"), 0.1, 1e-6);
    // The right arrow adds to it and ends the mouse steering; let go, the steering centres.
    EXPECT_NEAR(Number(lines[29], "Steering"), 0.11, 1e-6);
    EXPECT_EQ(Field(lines[29], "MouseSteering"), 0);
    EXPECT_EQ(Number(lines[31], "Steering"), 0.0);
}

// ---- Input that can't hurt
// ---------------------------------------------------------------------------------

TEST_F(RunnerTest, AFloodOfKeyDownsNeverCostsTheKeyUpBehindIt) {
    // A race, the up arrow held, 5000 key-downs of A in one pass, then the up arrow let go.
    std::string script = "1 down 13\n2 up 13\n20 down 38\n";
    for (int i = 0; i < 5000; i++)
        script += "21 down 65\n";
    script += "21 up 38\n";
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(RunScript(script, {"--passes", "2500"}), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(KeyState[38], 0) << "the up arrow stays down with no key down";
    EXPECT_EQ(KeyState[65], -1);
    // No throttle once the key-up is taken in pass 22: from then on the car only rolls out.
    EXPECT_GT(Number(lines[22], "StepLength"), 0.0);
    EXPECT_LE(Number(lines[2499], "StepLength"), Number(lines[22], "StepLength"));
    EXPECT_NE(err.find("tramolo-sim: the message queue was full: dropped "), std::string::npos) << err;
}

TEST_F(RunnerTest, OutputsThatNameTheScriptOrEachOtherAreRefused) {
    const std::string script = "3 down 27\n";
    std::ofstream(scriptPath, std::ios::binary) << script;
    const std::string dotted = ::testing::TempDir() + "./" + tracePath.substr(::testing::TempDir().size());
    const std::vector<std::vector<std::string>> cases = {
        {"--input", scriptPath, "--trace", scriptPath},
        {"--input", scriptPath, "--png", "2:" + scriptPath},
        {"--trace", tracePath, "--png", "2:" + dotted},
        {"--png", "1:" + pngPath, "--png", "2:" + pngPath},
        {"--trace", pngPath + ".part", "--png", "2:" + pngPath},
    };
    for (const std::vector<std::string>& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run(c), 2) << c[1] << " " << c[3];
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("name the same file"), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_EQ(ReadFile(scriptPath), script);
        EXPECT_FALSE(Exists(tracePath) || Exists(pngPath) || Exists(pngPath + ".part")) << c[3];
    }
}

TEST_F(RunnerTest, FilesBesideTheOutputsAreLeftAlone) {
    // A part file that is already there is someone's: the run refuses to start rather than overwrite it.
    for (const std::string& taken : {tracePath + ".part", pngPath + ".part"}) {
        std::ofstream(taken) << "keep";
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"--passes", "3", "--trace", tracePath, "--png", "2:" + pngPath}), 2);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("'" + taken + "' exists"), std::string::npos) << err;
        EXPECT_EQ(ReadFile(taken), "keep");
        std::remove(taken.c_str());
    }
    // Nor does checking that a frame can be written touch any other file beside it.
    const std::string probe = pngPath + ".probe";
    std::ofstream(probe) << "keep";
    EXPECT_EQ(Run({"--passes", "3", "--quiet", "--png", "2:" + pngPath}), 0);
    EXPECT_EQ(ReadFile(probe), "keep");
    std::remove(probe.c_str());
}

TEST_F(RunnerTest, APipeIsWrittenStraightAndStaysAPipe) {
    const std::string pipe = prefix + "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // The reader has the pipe open before the run (which refuses a pipe nobody reads), and a writer of the
    // test's own holds it until the run is over, so that the reader does not see its end before.
    const int readEnd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    const int holdEnd = open(pipe.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(holdEnd, 0);
    ASSERT_EQ(fcntl(readEnd, F_SETFL, 0), 0);
    FILE* reader = popen(("wc -l <&" + std::to_string(readEnd)).c_str(), "r");
    close(readEnd);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(Run({"--passes", "7", "--quiet", "--trace", pipe}), 0);
    close(holdEnd);
    char count[32] = "";
    ASSERT_NE(std::fgets(count, sizeof count, reader), nullptr);
    pclose(reader);
    EXPECT_EQ(std::atoi(count), 7);
    struct stat status;
    ASSERT_EQ(stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_FALSE(Exists(pipe + ".part"));
    std::remove(pipe.c_str());
}

TEST_F(RunnerTest, AnEndlessScriptIsRefusedAtItsFirstLine) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--input", "/dev/zero", "--trace", tracePath}), 2);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("--input /dev/zero: line 1: it is longer than the 4096 bytes a line may have"),
              std::string::npos)
        << err;
    EXPECT_FALSE(Exists(tracePath) || Exists(tracePath + ".part"));
}

TEST_F(RunnerTest, BinaryEndedBySignalLeavesNoPartFileBehind) {
    for (const char* signal : {"INT", "TERM"}) {
        // Waits for the part file, then ends the run.
        const std::string command =
            std::string(TRAMOLO_SIM_PATH) + " --quiet --passes 1000000000 --trace '" + tracePath + "'";
        EXPECT_EQ(SignalWhen(command, "[ -e '" + tracePath + ".part' ]", signal),
                  128 + (std::string(signal) == "INT" ? SIGINT : SIGTERM))
            << signal << ": " << SignalNeverSent;
        EXPECT_FALSE(Exists(tracePath + ".part")) << signal;
        EXPECT_FALSE(Exists(tracePath)) << signal;
    }
}

TEST_F(RunnerTest, BinaryThatFailsOrIsCutLeavesTheUsersFilesAsTheyWereAndNoneOfItsOwn) {
    struct TFilesCase {
        const char* Before; // shell, in the case's folder: the user's files
        const char* Args;
        const char* During; // shell, while the runner runs
        int Code;
        const char* After; // the folder's files afterwards, in name order: "name" or "name=its text"
    };
    const TFilesCase cases[] = {
        // A later output fails after a frame had replaced the user's file of that name.
        {"echo mine > k.png", "--passes 300 --png 100:k.png --png 200:/dev/full", "", 2, "k.png=mine"},
        {"echo mine > k.png", "--passes 1000 --png 100:k.png --trace /dev/full --trace-every 20", "", 2,
         "k.png=mine"},
        // No window: no pass ran, nothing is recorded or traced.
        {"echo mine > r.txt; echo mine > t.jsonl; unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR "
         "SDL_VIDEODRIVER",
         "--window --record r.txt --trace t.jsonl", "", 1, "r.txt=mine t.jsonl=mine"},
        // A trace that cannot be written ends the run at once.
        {"", "--passes 1000000000 --trace /dev/full", "", 2, ""},
        // A link put where a frame's part file goes, while the full pipe holds the run: not followed. The
        // reader opens the pipe before the run (through a moment's writer, so that the open does not wait).
        {"echo mine > victim; mkfifo pipe; exec 4<>pipe 3<pipe 4>&-",
         "--passes 300 --trace pipe --png 200:k.png", "ln -s victim k.png.part; cat <&3", 2,
         "k.png.part=mine pipe victim=mine"},
        // The X server goes away during a run in the window. Xlib ends the process in the middle of the game:
        // what is allocated then is no leak.
        {"export ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\"; Xvfb -displayfd 1 -nolisten tcp "
         ">\"$d.display\" & xvfb=$!; trap 'kill $xvfb 2>/dev/null' EXIT; waitfor -s \"$d.display\"; "
         "export DISPLAY=:$(cat \"$d.display\")",
         "--window --trace t.jsonl --passes 100000", "waitfor -s t.jsonl.part; kill $xvfb", 1, ""},
    };
    int number = 0;
    for (const TFilesCase& c : cases) {
        const std::string folder = prefix + "files-" + std::to_string(++number);
        EXPECT_EQ(RunBinary(folder, c.Before, c.Args, c.During), c.Code)
            << "case " << number << ": " << ReadFile(folder + ".err");
        EXPECT_EQ(FolderFiles(folder), c.After) << "case " << number;
        std::filesystem::remove_all(folder);
        for (const char* end : {".out", ".err", ".display"})
            std::remove((folder + end).c_str());
    }
}

TEST_F(RunnerTest, BinaryAnswersHelpAndRefusesOutputsItWouldWaitOnOrReplaceAgainstTheirMode) {
    struct TOutputCase {
        const char* Before; // shell, in the case's folder: the user's files
        const char* Args;
        int Code;
        const char* Out;   // what standard output holds, pieces apart by '|' ("" for nothing)
        const char* Err;   // the one line on standard error ("" for none)
        const char* After; // the folder's files afterwards, as FolderFiles gives them
    };
    const TOutputCase cases[] = {
        // Every option, on standard output.
        {"", "--help", 0,
         "Usage: tramolo-sim [OPTION]...\n|--passes N|--pass-ms M|--start-tick T|--cursor-x X|--input FILE|"
         "--trace FILE|--trace-every K|--png PASS:FILE|--record FILE|--window|--quiet|--help|Exit codes:",
         "", ""},
        // As with the game: --help anywhere but as an option's value answers, whatever else is there.
        {"", "--passes 0 --input missing.txt --help", 0, "Usage: tramolo-sim ", "", ""},
        // A pipe nobody reads would hold the open for ever: refused at once, before the first pass or at the
        // frame's.
        {"mkfifo p", "--passes 3 --trace p", 2, "", "--trace: 'p' cannot be written (the pipe has no reader)",
         "p"},
        {"mkfifo p", "--passes 3 --trace t.jsonl --png 2:p", 2, "",
         "--png 2: 'p' cannot be written (the pipe has no reader)", "p"},
        // A file whose mode keeps the runner's class from writing it, root included: left as it was.
        {"echo mine > t.jsonl; chmod 444 t.jsonl", "--passes 3 --trace t.jsonl", 2, "",
         "--trace: 't.jsonl' is write-protected: make it writable or name another file", "t.jsonl=mine"},
        {"echo mine > k.png; chmod 444 k.png", "--passes 3 --trace t.jsonl --png 2:k.png", 2, "",
         "--png 2: 'k.png' is write-protected", "k.png=mine"},
        {"echo mine > r.txt; chmod 466 r.txt", "--passes 3 --record r.txt", 2, "",
         "--record: 'r.txt' is write-protected", "r.txt=mine"},
    };
    int number = 0;
    for (const TOutputCase& c : cases) {
        const std::string folder = prefix + "outputs-" + std::to_string(++number);
        EXPECT_EQ(RunBinary(folder, c.Before, c.Args, ""), c.Code) << "case " << number << ": " << c.Args;
        const std::string out = ReadFile(folder + ".out");
        const std::string err = ReadFile(folder + ".err");
        std::istringstream pieces(c.Out);
        for (std::string piece; std::getline(pieces, piece, '|');)
            EXPECT_NE(out.find(piece), std::string::npos)
                << "case " << number << ": " << piece << " in " << out;
        if (*c.Out == '\0') {
            EXPECT_EQ(out, "") << "case " << number;
        }
        if (*c.Err == '\0') {
            EXPECT_EQ(err, "") << "case " << number;
        } else {
            EXPECT_EQ(err.rfind(std::string("tramolo-sim: ") + c.Err, 0), 0u)
                << "case " << number << ": " << err;
            EXPECT_EQ(err.find('\n'), err.size() - 1) << "case " << number << ": " << err;
        }
        EXPECT_EQ(FolderFiles(folder), c.After) << "case " << number;
        std::filesystem::remove_all(folder);
        std::remove((folder + ".out").c_str());
        std::remove((folder + ".err").c_str());
    }
}

TEST_F(RunnerTest, BinarySaysWhatUserInputHoldsWithoutLettingItSteerTheTerminal) {
    struct TMessageCase {
        const char* Script; // the --input file, or null
        const char* Args;
        const char* Before; // shell before the runner
        const char* Redirect;
        int Code;
        const char* Said; // on standard error
    };
    const TMessageCase cases[] = {
        {"0 tick 0\n1000000000000000000 mouse 1\n", "", "", "", 2,
         "line 2: pass 1000000000000000000 is out of range (0 to 1000000000)"},
        {"5 \033]2;X\007\033[2Jdown 13\n", "", "", "", 2,
         "line 1: unknown verb '\\x1b]2;X\\x07\\x1b[2Jdown'"},
        {nullptr, "--window --passes 3",
         "unset WAYLAND_DISPLAY SDL_VIDEODRIVER; export DISPLAY=':\033]2;X\007'", "", 1,
         "X display \":\\x1b]2;X\\x07\""},
        // Well-formed UTF-8 stays as it is.
        {nullptr, "--input m\xc3\xbc\xff\033.txt", "", "", 2,
         "--input: 'm\xc3\xbc\\xff\\x1b.txt' cannot be read"},
        {nullptr, "--passes 1\033[2J", "", "", 2, "--passes: '1\\x1b[2J' is not a whole number"},
        {nullptr, "--passes 5", "", ">/dev/full", 2, "could not be written to standard output"},
    };
    int number = 0;
    for (const TMessageCase& c : cases) {
        const std::string folder = prefix + "messages-" + std::to_string(++number);
        std::ofstream(scriptPath, std::ios::binary) << (c.Script != nullptr ? c.Script : "");
        const std::string args = c.Script != nullptr ? "--input " + scriptPath : c.Args;
        EXPECT_EQ(RunBinary(folder, c.Before, args, "", c.Redirect), c.Code) << "case " << number;
        const std::string err = ReadFile(folder + ".err");
        EXPECT_NE(err.find(c.Said), std::string::npos) << "case " << number << ": " << err;
        EXPECT_EQ(err.find_first_of(std::string("\x1b\x07\xff", 3)), std::string::npos) << err;
        std::filesystem::remove_all(folder);
        std::remove((folder + ".out").c_str());
        std::remove((folder + ".err").c_str());
    }
}

// ---- Recording, replaying and watching -------------------------------------------------------------------

class RecordingTest : public RunnerTest {
  protected:
    void SetUp() override {
        RunnerTest::SetUp();
        recordPath = prefix + "record.txt";
        replayPath = prefix + "replay.jsonl";
    }
    void TearDown() override {
        RunnerTest::TearDown();
        std::remove(recordPath.c_str());
        std::remove(replayPath.c_str());
        unsetenv("SDL_VIDEODRIVER");
    }
    // The replay's trace is the given lines, pass for pass.
    void ExpectReplayIs(const std::vector<std::string>& expected) {
        std::istringstream replay(ReadFile(replayPath));
        size_t pass = 0;
        for (std::string line; std::getline(replay, line); pass++) {
            ASSERT_LT(pass, expected.size());
            ASSERT_EQ(line, expected[pass]) << "pass " << pass + 1;
        }
        EXPECT_EQ(pass, expected.size());
    }
    std::string recordPath, replayPath;
};

TEST_F(RecordingTest, AHeadlessRaceToGameOverReplaysToItsTraceOnAnyOtherClock) {
    // 10 ms a pass while recording, 2.7 ms a pass on the replay's virtual clock: only the recorded ticks
    // make the same game of it, the game over and the return to the demonstration included.
    const std::string script = ReadFile(TRAMOLO_SOURCE_DIR "/tests/golden/race-gameover.txt");
    ASSERT_EQ(RunScript(script, {"--passes", "5000", "--record", recordPath}), 0);
    const std::vector<std::string> recorded = lines;
    ASSERT_EQ(recorded.size(), 5000u);
    EXPECT_EQ(Field(recorded[3000], "GameOverPending"), 1);
    EXPECT_EQ(Field(recorded[3500], "DemoMode"), 1);
    EXPECT_EQ(Run({"--quiet", "--pass-ms", "2.7", "--input", recordPath, "--trace", replayPath}), 0);
    ExpectReplayIs(recorded);
}

// A recording is read as a stream from a file; from a pipe or standard input, which cannot be read twice,
// it is held; a script whose lines are not in pass order is sorted in memory. Each plays the same game.
TEST_F(RecordingTest, AScriptPlaysTheSameGameWhereverItIsReadFromAndInAnyLineOrder) {
    const std::string script = ReadFile(TRAMOLO_SOURCE_DIR "/tests/golden/race-gameover.txt");
    ASSERT_EQ(RunScript(script, {"--passes", "3200", "--record", recordPath}), 0);
    const std::vector<std::string> recorded = lines;
    // The script's passes backwards, the lines of one pass in their order.
    std::vector<std::vector<std::string>> passes;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        const std::string pass = line.substr(0, line.find(' '));
        if (passes.empty() || passes.back()[0].substr(0, passes.back()[0].find(' ')) != pass)
            passes.push_back({});
        passes.back().push_back(line);
    }
    const std::string backwards = prefix + "backwards.txt";
    std::ofstream out(backwards);
    for (size_t i = passes.size(); i-- > 0;)
        for (const std::string& line : passes[i])
            out << line << "\n";
    out.close();

    const std::string sim = std::string(TRAMOLO_SIM_PATH) + " --quiet --trace " + Quoted(replayPath);
    const std::string runs[] = {
        sim + " --input " + Quoted(recordPath),
        "cat " + Quoted(recordPath) + " | " + sim + " --input -",
        "bash -c " + Quoted(sim + " --input <(cat " + Quoted(recordPath) + ")"),
        sim + " --passes 3200 --input " + Quoted(backwards),
    };
    for (const std::string& run : runs) {
        std::remove(replayPath.c_str());
        EXPECT_EQ(std::system(run.c_str()), 0) << run;
        ExpectReplayIs(recorded);
    }
    std::remove(backwards.c_str());
}

TEST_F(RecordingTest, ARecordingRunsToItsLastPassUnlessPassesSaysOtherwise) {
    std::ofstream(scriptPath) << "0 tick 500\n1 tick 510\n2 tick 520\n1500 tick 90000\n";
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Run({"--input", scriptPath}), 0);
    EXPECT_EQ(Run({"--input", scriptPath, "--passes", "3"}), 0);
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "tramolo-sim: 1500 passes, exit code 0\ntramolo-sim: 3 passes, exit code 0\n");
    // Passes without a tick line run on from the last tick read; a script without any keeps its 1000.
    RunScript("0 tick 500\n2 tick 520\n5 tick 700\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Field(lines[2], "TickNow"), 530);
    EXPECT_EQ(Field(lines[4], "TickNow"), 700);
    EXPECT_EQ(RunScript("1 mouse 5\n"), 0);
    EXPECT_EQ(lines.size(), 1000u);
}

TEST_F(RecordingTest, TheRecordingIsAnOutputLikeTheOthers) {
    std::ofstream(scriptPath) << "3 down 27\n";
    const std::vector<std::vector<std::string>> cases = {
        {"--input", scriptPath, "--record", scriptPath},
        {"--trace", tracePath, "--record", tracePath},
        {"--trace", tracePath, "--record", tracePath + ".part"},
        {"--png", "2:" + pngPath, "--record", pngPath},
        {"--trace", tracePath, "--record", ::testing::TempDir()},
        {"--trace", tracePath, "--record", "/nonexistent-dir/r.txt"},
        {"--window", "--trace", tracePath, "--pass-ms", "5"},
        {"--window", "--cursor-x", "5", "--record", recordPath},
    };
    for (const std::vector<std::string>& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run(c), 2) << c[1] << " " << c[3];
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_EQ(ReadFile(scriptPath), "3 down 27\n");
        EXPECT_FALSE(Exists(tracePath) || Exists(tracePath + ".part") || Exists(pngPath) ||
                     Exists(recordPath))
            << c[1] << " " << c[3] << ": " << err;
    }
    // A recording that cannot be written to the end ends the run with 2 and leaves no trace.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--passes", "50", "--record", "/dev/full", "--trace", tracePath}), 2);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("--record: writing '/dev/full' failed"), std::string::npos) << err;
    EXPECT_FALSE(Exists(tracePath) || Exists(tracePath + ".part"));
}

TEST_F(RecordingTest, ARecordingCutShortByASignalReplaysToItsLastWholePass) {
    std::ofstream(scriptPath) << "1 down 13\n5 down 38\n300 mouse 70\n";
    const std::string command = std::string(TRAMOLO_SIM_PATH) + " --quiet --passes 1000000000 --input '" +
                                scriptPath + "' --record '" + recordPath + "'";
    // The recording grows in its part file, which the signal puts in place.
    const std::string part = recordPath + ".part";
    // Some 2000 passes: a letter a pass, a line each hundred.
    const std::string longEnough = "[ -s '" + part + "' ] && [ $(wc -c < '" + part + "') -ge 2500 ]";
    EXPECT_EQ(SignalWhen(command, longEnough, "TERM"), 128 + SIGTERM) << SignalNeverSent;

    // Whole passes, and no closing comment: whole lines but for a steps line, which ends with the letter of
    // the last pass written.
    const std::string recording = ReadFile(recordPath);
    ASSERT_FALSE(recording.empty());
    const std::string lastLine = recording.substr(recording.rfind('\n', recording.size() - 2) + 1);
    EXPECT_TRUE(recording.back() == '\n' || lastLine.find(" steps ") != std::string::npos) << lastLine;
    EXPECT_EQ(recording.find("# the game ended"), std::string::npos);
    std::vector<TScriptEvent> events;
    char reason[300] = "";
    ASSERT_TRUE(ParseScript(recording.data(), recording.size(), events, reason, sizeof reason)) << reason;
    const uint64_t last = events.back().Pass;
    ASSERT_GE(last, 1000u);
    // The replay runs to that pass and is the game the script made up to there.
    EXPECT_EQ(Run({"--quiet", "--input", recordPath, "--trace", replayPath}), 0);
    RunScript("1 down 13\n5 down 38\n300 mouse 70\n", {"--passes", std::to_string(last)});
    EXPECT_EQ(lines.size(), last);
    ExpectReplayIs(lines);
}

TEST_F(RecordingTest, ALiveWindowsRecordingReplaysToItsTrace) {
    // SDL's dummy driver: a window nobody sees, the real clock.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(Run({"--window", "--quiet", "--passes", "300", "--record", recordPath, "--trace", tracePath}),
              0);
    const std::string recording = ReadFile(recordPath);
    EXPECT_EQ(recording.substr(0, 2), "# ");
    std::vector<TScriptEvent> events;
    char reason[300] = "";
    ASSERT_TRUE(ParseScript(recording.data(), recording.size(), events, reason, sizeof reason)) << reason;
    EXPECT_EQ(events.back().Pass, 300u);
    EXPECT_EQ(events.back().Verb, ScriptTick);
    EXPECT_NE(recording.find("\n# the game ended after pass 300 with exit code 0\n"), std::string::npos);
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(Run({"--quiet", "--input", recordPath, "--trace", replayPath}), 0);
    EXPECT_EQ(ReadFile(replayPath), ReadFile(tracePath));
}

TEST_F(RecordingTest, AWatchedScriptGivesTheHeadlessTraceAtThePaceOfItsClock) {
    const std::string script = "2 down 13\n3 up 13\n5 down 38\n20 mouse 30\n40 down 112\n";
    ASSERT_EQ(RunScript(script, {"--passes", "60", "--pass-ms", "5"}), 0);
    const std::vector<std::string> headless = lines;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    ASSERT_EQ(RunScript(script, {"--window", "--passes", "60", "--pass-ms", "5"}), 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    EXPECT_EQ(lines, headless);
    // 59 steps of 5 ms from the first pass to the last.
    const double seconds = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) * 1e-9;
    EXPECT_GE(seconds, 0.295);
}

} // namespace
