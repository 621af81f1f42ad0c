// The recorder: the lines it writes for each pass, what reaches the file while the game still runs, and a
// game recorded over a clock that moves between two reads of one pass, replayed by the runner to the same
// trace.
#include "replay/Recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/sim/Runner.h"
#include "platform/headless/HeadlessPlatform.h"
#include "replay/Script.h"
#include "replay/Trace.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The lines that are not comments.
std::string EventLines(const std::string& text) {
    std::istringstream in(text);
    std::string events;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("#", 0) != 0) events += line + "\n";
    return events;
}

// "" when both traces are equal, else the first line that differs in each.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string lineA, lineB;
    for (int line = 1;; line++) {
        const bool moreA = (bool)std::getline(a, lineA);
        const bool moreB = (bool)std::getline(b, lineB);
        if (!moreA && !moreB) return "";
        if (moreA != moreB || lineA != lineB)
            return "line " + std::to_string(line) + ":\n  " + lineA.substr(0, 300) + "\n  " +
                   lineB.substr(0, 300);
    }
}

// Pass 2 brings a key press, a system key, the close request and a message no script line describes.
void PostInPass2(uint64_t pass, void*) {
    if (pass != 2) return;
    PostWindowMessage(WmKeyDown, 38);
    PostWindowMessage(WmSysKeyUp, 18);
    PostWindowMessage(WmClose, 0);
    PostWindowMessage(0x0400, 7);
}

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        prefix = ::testing::TempDir() + "recorder-test-" + std::to_string(getpid()) + "-";
        recordPath = prefix + "record.txt";
        tracePath = prefix + "trace.jsonl";
        replayPath = prefix + "replay.jsonl";
    }
    void TearDown() override {
        if (recording != nullptr) std::fclose(recording);
        SelectPlatform(nullptr);
        HeadlessSetHooks(nullptr, nullptr, nullptr);
        ResetPlatformState();
        for (const std::string& path : {recordPath, tracePath, replayPath})
            std::remove(path.c_str());
    }
    // One pass as the frame loop begins it: the poll, then the sleep.
    static void BeginPass() {
        TMsg msg{};
        Win::PeekMessageA(&msg);
        Win::Sleep(2);
    }
    // The recorder writes to path from now on.
    void StartRecording(const std::string& path) {
        recording = std::fopen(path.c_str(), "wb");
        ASSERT_NE(recording, nullptr) << path;
        RecorderStart(recording, path.c_str());
    }
    std::string prefix, recordPath, tracePath, replayPath;
    FILE* recording = nullptr;
    char error[300] = "";
};

TEST_F(RecorderTest, EachPassGetsItsPostedMessagesItsTickReadsAndTheCursorWhenItMoved) {
    HeadlessConfigure(1000, THeadlessPassMs{10, 0}, 33, 100);
    HeadlessSetHooks(PostInPass2, nullptr, nullptr);
    StartRecording(recordPath);
    SelectPlatform(RecordingBackend(HeadlessBackend()));
    TPoint point{};
    Win::GetCursorPos(&point); // the start-up
    Win::GetTickCount();
    BeginPass(); // pass 1 reads the tick and an unmoved cursor
    Win::GetTickCount();
    Win::GetCursorPos(&point);
    BeginPass(); // pass 2: its messages, then two reads of the tick and a moved cursor
    HeadlessSetCursorX(-5);
    Win::GetTickCount();
    Win::GetCursorPos(&point);
    Win::GetTickCount();
    ASSERT_TRUE(RecorderFinish(2, 27, error, sizeof error)) << error;

    const std::string text = ReadFile(recordPath);
    EXPECT_EQ(EventLines(text), "0 mouse 33\n"
                                "0 tick 1000\n"
                                "1 steps a\n"
                                "2 down 38\n"
                                "2 sysup 18\n"
                                "2 close\n"
                                "2 tick 1020\n"
                                "2 mouse -5\n"
                                "2 tick 1020\n");
    EXPECT_NE(text.find("# 2: message 1024 with wParam 7 has no script line"), std::string::npos) << text;
    EXPECT_NE(text.find("\n# the game ended after pass 2 with exit code 27\n"), std::string::npos) << text;
    // The runner reads it back as the events it describes.
    std::vector<TScriptEvent> events;
    ASSERT_TRUE(ParseScript(text.data(), text.size(), events, error, sizeof error)) << error;
    ASSERT_EQ(events.size(), 9u);
    EXPECT_EQ(events[5].Verb, ScriptClose);
    EXPECT_EQ(events[7].Value, -5);
}

TEST_F(RecorderTest, APassReachesTheFileWhenTheNextOnePolls) {
    HeadlessConfigure(1000, THeadlessPassMs{10, 0}, 0, 100);
    StartRecording(recordPath);
    SelectPlatform(RecordingBackend(HeadlessBackend()));
    Win::GetTickCount();
    BeginPass();
    Win::GetTickCount();
    BeginPass();
    Win::GetTickCount();
    // A run killed now leaves the start-up and pass 1 whole (pass 1 a step of 10 ms), and nothing of
    // pass 2.
    EXPECT_EQ(EventLines(ReadFile(recordPath)), "0 tick 1000\n1 steps a\n");
    ASSERT_TRUE(RecorderFinish(2, 0, error, sizeof error)) << error;
    EXPECT_EQ(EventLines(ReadFile(recordPath)), "0 tick 1000\n1 steps aa\n");
}

TEST_F(RecorderTest, AFailedWriteEndsTheLoopAndIsReported) {
    HeadlessConfigure(1000, THeadlessPassMs{10, 0}, 0, 100);
    StartRecording("/dev/full");
    SelectPlatform(RecordingBackend(HeadlessBackend()));
    Win::GetTickCount();
    EXPECT_EQ(ContinueLoop(), 1);
    BeginPass(); // the start-up's line cannot be flushed
    EXPECT_TRUE(RecorderFailed());
    EXPECT_EQ(ContinueLoop(), 0);
    EXPECT_FALSE(RecorderFinish(1, 0, error, sizeof error));
    EXPECT_NE(std::string(error).find("--record: writing '/dev/full' failed"), std::string::npos) << error;
}

// ---- A clock that moves between two reads of a pass ----------------------------------------------------

// The headless clock plus one millisecond for every read before: the two or three reads of a restart's
// pass all differ, as they may on a real clock.
uint32_t TickReads;
uint32_t JitteryTick() {
    return HeadlessBackend()->GetTickCount() + TickReads++;
}

// A race: ENTER with the cursor moved in the same pass (the restart and the mouse steering both read it),
// throttle, steering both ways, the mouse, ENTER back and forth, then ESC.
void PlayRace(uint64_t pass, void*) {
    const auto key = [](uint32_t message, uint32_t vk) { PostWindowMessage(message, vk); };
    if (pass == 3) key(WmKeyDown, 13);
    if (pass == 3) HeadlessSetCursorX(200);
    if (pass == 6) key(WmKeyDown, 38);
    if (pass == 40) HeadlessSetCursorX(260);
    if (pass == 90) key(WmKeyDown, 37);
    if (pass == 120) key(WmKeyUp, 37);
    if (pass == 150) HeadlessSetCursorX(120);
    if (pass == 300) key(WmKeyDown, 13);
    if (pass == 301) key(WmKeyDown, 13);
    if (pass == 301) HeadlessSetCursorX(500);
    if (pass == 400) key(WmKeyDown, 27);
}

TTraceWriter* RecordingTrace;
void TracePass(uint64_t pass, const TCanvas*, void*) {
    TraceWritePass(RecordingTrace, pass);
}

TEST_F(RecorderTest, ARaceOnAClockThatMovesBetweenReadsReplaysToTheSameTrace) {
    auto trace = std::make_unique<TTraceWriter>();
    FILE* traceFile = std::fopen(tracePath.c_str(), "wb");
    ASSERT_NE(traceFile, nullptr);
    TraceStart(trace.get(), traceFile);
    RecordingTrace = trace.get();
    HeadlessConfigure(77, THeadlessPassMs{3, 300000000}, 40, 1000);
    HeadlessSetHooks(PlayRace, TracePass, nullptr);
    TickReads = 0;
    TPlatformBackend jittery = *HeadlessBackend();
    jittery.GetTickCount = JitteryTick;
    StartRecording(recordPath);
    SelectPlatform(RecordingBackend(&jittery));
    const int32_t exitCode = ProgramMain();
    ASSERT_TRUE(RecorderFinish(HeadlessPassesRun(), exitCode, error, sizeof error)) << error;
    EXPECT_TRUE(TraceFlush(trace.get()));
    std::fclose(traceFile);
    SelectPlatform(nullptr);
    ASSERT_EQ(exitCode, 27);

    // The restart in pass 3 read the tick a second time, a millisecond later, and the moved cursor.
    const std::string recording = ReadFile(recordPath);
    EXPECT_NE(recording.find("\n3 down 13\n3 tick 89\n3 mouse 200\n3 tick 90\n"), std::string::npos)
        << recording.substr(0, 400);
    EXPECT_NE(recording.find("301 mouse 500\n"), std::string::npos);
    // Written with a tick line for every read, it would be over four times as long.
    std::vector<TScriptEvent> events;
    ASSERT_TRUE(ParseScript(recording.data(), recording.size(), events, error, sizeof error)) << error;
    size_t tickLineBytes = 0;
    for (const TScriptEvent& event : events)
        tickLineBytes += std::to_string(event.Pass).size() + std::to_string(event.Value).size() + 7;
    EXPECT_LT(EventLines(recording).size() * 4, tickLineBytes);

    std::string args[] = {"tramolo-sim", "--quiet", "--input", recordPath, "--trace", replayPath};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                    args[4].data(), args[5].data(), nullptr};
    EXPECT_EQ(RunSimulator(6, argv), 27);
    const std::string recorded = ReadFile(tracePath);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), '\n'), 400);
    EXPECT_EQ(FirstDifference(recorded, ReadFile(replayPath)), "");
}

} // namespace
