// The headless runner end to end: the game's own loop on scripted input, its exit codes, the trace and
// frames it leaves, and the refusal of bad input before the first pass.
#include "sim/Runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/Platform.h"
#include "world/DatenStruktur.h"

namespace {

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        prefix = ::testing::TempDir() + "runner-test-" + std::to_string(getpid()) + "-";
        tracePath = prefix + "trace.jsonl";
    }
    void TearDown() override {
        for (const std::string& path : created)
            std::remove(path.c_str());
        std::remove(tracePath.c_str());
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "tramolo-sim");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        return RunSimulator((int)args.size(), argv.data());
    }

    // Runs with a script and a trace; returns the exit code and leaves the trace's lines in lines.
    int RunScript(const std::string& script, std::vector<std::string> args = {}) {
        args.insert(args.end(),
                    {"--quiet", "--input", WriteFile("script.txt", script), "--trace", tracePath});
        const int code = Run(args);
        lines = ReadLines(tracePath);
        return code;
    }

    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::string path = prefix + name;
        std::ofstream(path, std::ios::binary) << text;
        created.push_back(path);
        return path;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    static std::vector<std::string> ReadLines(const std::string& path) {
        std::vector<std::string> result;
        std::istringstream text(ReadFile(path));
        for (std::string line; std::getline(text, line);)
            result.push_back(line);
        return result;
    }

    std::string prefix;
    std::string tracePath;
    std::vector<std::string> created;
    std::vector<std::string> lines;
};

// The whole number after "name": in a trace line.
long long Field(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":";
    const size_t at = line.find(key);
    if (at == std::string::npos) return -999999;
    return std::strtoll(line.c_str() + at + key.size(), nullptr, 10);
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

TEST_F(RunnerTest, RunEndsWithZeroAfterThePassBudget) {
    EXPECT_EQ(RunScript("", {"--passes", "5"}), 0);
    ASSERT_EQ(lines.size(), 5u);
    for (size_t i = 0; i < lines.size(); i++)
        EXPECT_EQ(Field(lines[i], "pass"), (long long)i + 1);
    EXPECT_FALSE(Exists(tracePath + ".part"));
}

TEST_F(RunnerTest, EscEndsTheRunAfterThePassThatTookItWith27) {
    EXPECT_EQ(RunScript("3 down 27\n"), 27);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[1], "Running"), -1);
    EXPECT_EQ(Field(lines[2], "Running"), 0);
    EXPECT_EQ(Field(lines[2], "LastKey"), 27);
}

TEST_F(RunnerTest, CloseEndsTheRunWithZeroOnePassAfterTheQuitMessageWasPosted) {
    EXPECT_EQ(RunScript("2 close\n"), 0);
    // Pass 2 takes WM_CLOSE, which destroys the window and posts the quit message; pass 3 takes that.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[1], "Running"), -1);
    EXPECT_EQ(Field(lines[2], "Running"), 0);
}

TEST_F(RunnerTest, EachQueuedMessageCostsOnePass) {
    EXPECT_EQ(RunScript("1 down 114\n1 down 27\n"), 27);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Field(lines[0], "LastKey"), 114);
    EXPECT_EQ(Field(lines[1], "LastKey"), 27);
}

TEST_F(RunnerTest, EventsRunInPassOrderWhateverTheirOrderInTheFile) {
    EXPECT_EQ(RunScript("4 down 27\n2 down 65\n"), 27);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Field(lines[0], "LastKey"), 0);
    EXPECT_EQ(Field(lines[1], "LastKey"), 65);
}

TEST_F(RunnerTest, SystemKeysAndKeyUpsAreNotRecordedButTakeTheirPass) {
    EXPECT_EQ(RunScript("1 sysdown 18\n1 sysup 18\n1 up 65\n1 down 27\n"), 27);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Field(lines[2], "LastKey"), 0);
    EXPECT_EQ(Field(lines[3], "LastKey"), 27);
}

TEST_F(RunnerTest, VirtualClockRunsFromTheStartTick) {
    RunScript("", {"--passes", "3"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[0], "TickNow"), 100010);
    EXPECT_EQ(Field(lines[2], "TickNow"), 100030);

    RunScript("", {"--passes", "3", "--pass-ms", "16.6667", "--start-tick", "0"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[2], "TickNow"), 50);

    RunScript("", {"--passes", "2", "--start-tick", "4294967290"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Field(lines[0], "TickNow"), 4);
    EXPECT_EQ(Field(lines[1], "TickNow"), 14);
}

TEST_F(RunnerTest, CursorStartsAtTheGivenXAndMovesWithTheScript) {
    // ENTER starts a race, where the mouse is read every pass.
    RunScript("1 down 13\n4 mouse -77\n", {"--passes", "5", "--cursor-x", "40"});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Field(lines[0], "MouseX"), 40);
    EXPECT_EQ(Field(lines[2], "MouseX"), 40);
    EXPECT_EQ(Field(lines[3], "MouseX"), -77);
    EXPECT_EQ(Field(lines[4], "MouseX"), -77);
}

TEST_F(RunnerTest, WelcomeMessageReachesTheTraceIntact) {
    RunScript("", {"--passes", "1"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"Message\":\"Willkommen bei tramolo - Drücke ENTER für Start!\""),
              std::string::npos);
    EXPECT_NE(lines[0].find("\"Actors\":[{\"PosX\":"), std::string::npos);
}

TEST_F(RunnerTest, SameArgumentsGiveTheSameTrace) {
    const std::string script = "2 down 13\n5 down 38\n30 mouse 25\n40 down 39\n60 up 38\n80 down 116\n";
    RunScript(script, {"--passes", "120"});
    const std::vector<std::string> first = lines;
    ClearGameState();
    RunScript(script, {"--passes", "120"});
    ASSERT_EQ(first.size(), 120u);
    EXPECT_EQ(lines, first);
}

TEST_F(RunnerTest, ClosingLineTellsPassesAndExitCodeUnlessQuiet) {
    ::testing::internal::CaptureStdout();
    Run({"--passes", "4"});
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "tramolo-sim: 4 passes, exit code 0\n");
    ::testing::internal::CaptureStdout();
    Run({"--passes", "4", "--quiet"});
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(RunnerTest, PngIsTheWhole600By600BackBuffer) {
    const std::string png = prefix + "frame.png";
    created.push_back(png);
    ASSERT_EQ(Run({"--quiet", "--passes", "3", "--png", "2:" + png}), 0);
    const std::string bytes = ReadFile(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x02\x58\0\0\x02\x58", 8));
}

TEST_F(RunnerTest, BadInputStopsBeforeTheFirstPassWithCodeTwoAndLeavesNothing) {
    const std::string script = WriteFile("bad.txt", "1 down 13\n\n5 press 38\n");
    const std::string png = prefix + "never.png";
    struct TCase {
        std::vector<std::string> Args;
        const char* Message;
    };
    const TCase cases[] = {
        {{"--passes", "0"}, "--passes: '0' is not a whole number from 1"},
        {{"--passes", "-3"}, "--passes: '-3'"},
        {{"--passes", "ten"}, "--passes: 'ten'"},
        {{"--passes"}, "--passes needs a value"},
        {{"--pass-ms", "-1"}, "--pass-ms: '-1'"},
        {{"--pass-ms", "1.0000000001"}, "--pass-ms: '1.0000000001'"},
        {{"--pass-ms", "."}, "--pass-ms: '.'"},
        {{"--start-tick", "4294967296"}, "--start-tick: '4294967296'"},
        {{"--cursor-x", "2147483648"}, "--cursor-x: '2147483648'"},
        {{"--fast"}, "unknown option '--fast'"},
        {{"--input", prefix + "missing.txt"}, "cannot be read"},
        {{"--input", script}, "line 3: unknown verb 'press'"},
        {{"--png", png}, "is not PASS:FILE"},
        {{"--png", "0:" + png}, "is not PASS:FILE"},
        {{"--png", "1:"}, "is not PASS:FILE"},
        {{"--passes", "10", "--png", "11:" + png}, "the run has only 10 passes"},
        {{"--png", "1:/nonexistent-dir/x.png"}, "cannot be written"},
        {{"--png", "1:" + ::testing::TempDir()}, "is a directory"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = c.Args;
        args.insert(args.begin(), {"--trace", tracePath});
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Run(args), 2) << c.Message;
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.Message), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_EQ(out, "");
        EXPECT_FALSE(Exists(tracePath)) << c.Message;
        EXPECT_FALSE(Exists(tracePath + ".part")) << c.Message;
        EXPECT_FALSE(Exists(png)) << c.Message;
    }

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--quiet", "--trace", "/nonexistent-dir/t.jsonl"}), 2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("--trace"), std::string::npos);
}

TEST_F(RunnerTest, BinaryReadsTheScriptFromStandardInputAndExitsWithTheGamesCode) {
    const std::string command = "printf '2 down 27\\n' | " TRAMOLO_SIM_PATH " --quiet --input -";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 27);
    const int bad = std::system((std::string(TRAMOLO_SIM_PATH) + " --passes 0 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(bad));
    EXPECT_EQ(WEXITSTATUS(bad), 2);
}

} // namespace
