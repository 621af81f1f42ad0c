// The headless backend: its virtual clock, the pass numbers its hooks see, its pass budget and cursor.
#include "platform/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Platform.h"
#include "world/DatenStruktur.h"

namespace {

struct THookLog {
    std::vector<uint64_t> Polls;
    std::vector<uint64_t> Frames;
    const TCanvas* LastFrame = nullptr;
};

void LogPoll(uint64_t pass, void* context) {
    ((THookLog*)context)->Polls.push_back(pass);
}
void LogFrame(uint64_t pass, const TCanvas* frame, void* context) {
    ((THookLog*)context)->Frames.push_back(pass);
    ((THookLog*)context)->LastFrame = frame;
}

intptr_t IgnoreMessages(int32_t, uint32_t, uint32_t, int32_t) {
    return 0;
}

class HeadlessPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 1000);
        SelectPlatform(HeadlessBackend());
    }
};

TEST_F(HeadlessPlatformTest, ClockAdvancesOnePassLengthPerSleepWhateverTheGameAsks) {
    EXPECT_EQ(GetTickCount(), 100000u);
    Sleep(2);
    EXPECT_EQ(GetTickCount(), 100010u);
    Sleep(0);
    Sleep(500);
    EXPECT_EQ(GetTickCount(), 100030u);
    EXPECT_EQ(HeadlessSleepCount(), 3u);
}

TEST_F(HeadlessPlatformTest, DecimalPassLengthIsFlooredExactly) {
    const THeadlessPassMs sixtyPerSecond{16, 666700000}; // 16.6667 ms
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 1), 16u);
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 3), 50u);
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 60), 1000u);
    // 10000 x 16.6667 is exactly 166667: no binary rounding may pull it below.
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 10000), 166667u);
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{0, 300000000}, 10), 3u);
}

TEST_F(HeadlessPlatformTest, TickWrapsPastTwoToThe32) {
    const THeadlessPassMs tenMs{10, 0};
    EXPECT_EQ(HeadlessTickAt(4294967290u, tenMs, 0), 4294967290u);
    EXPECT_EQ(HeadlessTickAt(4294967290u, tenMs, 1), 4u);
    HeadlessConfigure(4294967290u, tenMs, 0, 10);
    Sleep(2);
    Sleep(2);
    EXPECT_EQ(GetTickCount(), 14u);
}

TEST_F(HeadlessPlatformTest, HugeProductsStayExactModuloTwoToThe32) {
    // 10^9 x 4294967295.999999999 = 2^32 x 10^9 - 1.
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{4294967295u, 999999999u}, 1000000000u), 4294967295u);
    // 3000000001 x 0.5 = 1500000000.5, floored.
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{0, 500000000u}, 3000000001u), 1500000000u);
    EXPECT_EQ(HeadlessTickAt(7, THeadlessPassMs{0, 0}, 1000000000u), 7u);
}

TEST_F(HeadlessPlatformTest, PollHookRunsOncePerPassWithThePassNumber) {
    THookLog log;
    HeadlessSetHooks(LogPoll, LogFrame, &log);
    TMsg msg{};
    PeekMessageA(&msg);
    PeekMessageA(&msg);
    Sleep(2);
    PeekMessageA(&msg);
    EXPECT_EQ(log.Polls, (std::vector<uint64_t>{1, 2}));
}

TEST_F(HeadlessPlatformTest, FrameHookSeesEachCopiedFrameWithItsPass) {
    THookLog log;
    HeadlessSetHooks(LogPoll, LogFrame, &log);
    TCanvas frame{};
    Sleep(2);
    CopyFrameToWindow(&frame, TRect{2, 26, 598, 598});
    Sleep(2);
    CopyFrameToWindow(&frame, TRect{2, 26, 598, 598});
    EXPECT_EQ(log.Frames, (std::vector<uint64_t>{1, 2}));
    EXPECT_EQ(log.LastFrame, &frame);
    EXPECT_EQ(HeadlessPassesRun(), 2u);
}

TEST_F(HeadlessPlatformTest, LoopEndsAtThePassLimitOrWhenStopped) {
    HeadlessConfigure(0, THeadlessPassMs{10, 0}, 0, 2);
    EXPECT_EQ(ContinueLoop(), 1);
    Sleep(2);
    EXPECT_EQ(ContinueLoop(), 1);
    Sleep(2);
    EXPECT_EQ(ContinueLoop(), 0);

    HeadlessConfigure(0, THeadlessPassMs{10, 0}, 0, 5);
    EXPECT_EQ(ContinueLoop(), 1);
    HeadlessStop();
    EXPECT_EQ(ContinueLoop(), 0);
}

TEST_F(HeadlessPlatformTest, CursorStandsWhereTheRunnerPutsItWithYZero) {
    HeadlessConfigure(0, THeadlessPassMs{10, 0}, -40, 5);
    TPoint point{7, 7};
    EXPECT_EQ(GetCursorPos(&point), 1);
    EXPECT_EQ(point.x, -40);
    EXPECT_EQ(point.y, 0);
    HeadlessSetCursorX(INT32_MAX);
    GetCursorPos(&point);
    EXPECT_EQ(point.x, INT32_MAX);
}

TEST_F(HeadlessPlatformTest, WindowAlwaysOpensAndClosingDestroysIt) {
    TWindowClass windowClass{};
    windowClass.lpfnWndProc = IgnoreMessages;
    ASSERT_EQ(RegisterClassA(&windowClass), 1);
    const int32_t window = CreateWindowExA("TramoloRace", "title", 600, 600);
    EXPECT_NE(window, 0);
    EXPECT_EQ(GameWindowHandle(), window);
    DefWindowProcA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(GameWindowHandle(), 0);
}

} // namespace
