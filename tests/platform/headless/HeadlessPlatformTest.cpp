// The headless backend: its virtual clock, the pass numbers its hooks see, its pass budget and cursor.
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Platform.h"
#include "world/DatenStruktur.h"

namespace {

std::vector<uint64_t> Polls, Frames;
void LogPoll(uint64_t pass, void*) {
    Polls.push_back(pass);
}
void LogFrame(uint64_t pass, const TCanvas*, void*) {
    Frames.push_back(pass);
}

class HeadlessPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        HeadlessConfigure(100000, THeadlessPassMs{10, 0}, -40, 2);
        SelectPlatform(HeadlessBackend());
        Polls.clear();
        Frames.clear();
    }
};

TEST_F(HeadlessPlatformTest, ClockAdvancesOnePassLengthPerSleepWhateverTheGameAsks) {
    EXPECT_EQ(Win::GetTickCount(), 100000u);
    Win::Sleep(2);
    Win::Sleep(500);
    EXPECT_EQ(Win::GetTickCount(), 100020u);
}

TEST_F(HeadlessPlatformTest, DecimalPassLengthIsFlooredExactly) {
    const THeadlessPassMs sixtyPerSecond{16, 666700000}; // 16.6667 ms
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 3), 50u);
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 60), 1000u);
    // Exactly 166667: no binary rounding may pull it below.
    EXPECT_EQ(HeadlessTickAt(0, sixtyPerSecond, 10000), 166667u);
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{0, 300000000}, 10), 3u);
}

TEST_F(HeadlessPlatformTest, TickWrapsModuloTwoToThe32WithoutOverflow) {
    EXPECT_EQ(HeadlessTickAt(4294967290u, THeadlessPassMs{10, 0}, 1), 4u);
    // 10^9 x 4294967295.999999999 = 2^32 x 10^9 - 1.
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{4294967295u, 999999999u}, 1000000000u), 4294967295u);
    // 3000000001 x 0.5, floored.
    EXPECT_EQ(HeadlessTickAt(0, THeadlessPassMs{0, 500000000u}, 3000000001u), 1500000000u);
}

TEST_F(HeadlessPlatformTest, HooksSeeEachPassOnceWithItsNumber) {
    HeadlessSetHooks(LogPoll, LogFrame, nullptr);
    TMsg msg{};
    TCanvas frame{};
    Win::PeekMessageA(&msg);
    Win::PeekMessageA(&msg);
    Win::Sleep(2);
    CopyFrameToWindow(&frame, TRect{2, 26, 598, 598});
    Win::PeekMessageA(&msg);
    Win::Sleep(2);
    CopyFrameToWindow(&frame, TRect{2, 26, 598, 598});
    EXPECT_EQ(Polls, (std::vector<uint64_t>{1, 2}));
    EXPECT_EQ(Frames, (std::vector<uint64_t>{1, 2}));
    EXPECT_EQ(HeadlessPassesRun(), 2u);
}

TEST_F(HeadlessPlatformTest, LoopEndsAtThePassLimitOrWhenStopped) {
    EXPECT_EQ(ContinueLoop(), 1);
    Win::Sleep(2);
    EXPECT_EQ(ContinueLoop(), 1);
    Win::Sleep(2);
    EXPECT_EQ(ContinueLoop(), 0);
    HeadlessConfigure(0, THeadlessPassMs{10, 0}, 0, 5);
    HeadlessStop();
    EXPECT_EQ(ContinueLoop(), 0);
}

// The hook of a recording's pass: ticks for the reads of the pass.
std::vector<uint32_t> TicksForPass2;
void RecordTicksOfPass2(uint64_t pass, void*) {
    if (pass != 2) return;
    for (uint32_t tick : TicksForPass2)
        HeadlessRecordTick(tick);
}

TEST_F(HeadlessPlatformTest, RecordedTicksAnswerThePassesReadsInOrderAndTheClockRunsOnFromTheLast) {
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 10);
    TicksForPass2 = {5000, 5003};
    HeadlessSetHooks(RecordTicksOfPass2, nullptr, nullptr);
    // The start-up reads what was recorded for it.
    HeadlessRecordTick(7);
    EXPECT_EQ(HeadlessPeekTick(), 7u);
    EXPECT_EQ(Win::GetTickCount(), 7u);
    TMsg msg{};
    Win::PeekMessageA(&msg); // pass 1: nothing recorded, the clock runs on from 7
    Win::Sleep(2);
    EXPECT_EQ(Win::GetTickCount(), 17u);
    Win::PeekMessageA(&msg); // pass 2: two reads, two recorded ticks; a third read repeats the last
    Win::Sleep(2);
    EXPECT_EQ(HeadlessPeekTick(), 5000u);
    EXPECT_EQ(Win::GetTickCount(), 5000u);
    EXPECT_EQ(Win::GetTickCount(), 5003u);
    EXPECT_EQ(Win::GetTickCount(), 5003u);
    Win::PeekMessageA(&msg);
    Win::Sleep(2);
    EXPECT_EQ(Win::GetTickCount(), 5013u);
}

TEST_F(HeadlessPlatformTest, RecordedTicksAPassDidNotReadAreGoneAtTheNextPoll) {
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 10);
    TicksForPass2 = {5000, 6000, 7000};
    HeadlessSetHooks(RecordTicksOfPass2, nullptr, nullptr);
    TMsg msg{};
    Win::PeekMessageA(&msg);
    Win::Sleep(2);
    Win::PeekMessageA(&msg);
    Win::Sleep(2);
    EXPECT_EQ(Win::GetTickCount(), 5000u);
    Win::PeekMessageA(&msg);
    Win::PeekMessageA(&msg); // a second poll of the same pass drops nothing more and adds nothing
    Win::Sleep(2);
    EXPECT_EQ(Win::GetTickCount(), 5010u);
}

TEST_F(HeadlessPlatformTest, APassKeepsAtMostItsShareOfRecordedTicks) {
    HeadlessConfigure(0, THeadlessPassMs{10, 0}, 0, 10);
    for (int32_t i = 0; i < MostRecordedTicksPerPass + 5; i++)
        HeadlessRecordTick((uint32_t)i + 1);
    for (int32_t i = 0; i < MostRecordedTicksPerPass; i++)
        EXPECT_EQ(Win::GetTickCount(), (uint32_t)i + 1);
    EXPECT_EQ(Win::GetTickCount(), (uint32_t)MostRecordedTicksPerPass);
}

TEST_F(HeadlessPlatformTest, CursorStandsWhereTheRunnerPutsItWithYZero) {
    TPoint point{7, 7};
    Win::GetCursorPos(&point);
    EXPECT_EQ(point.x, -40);
    EXPECT_EQ(point.y, 0);
    HeadlessSetCursorX(INT32_MAX);
    Win::GetCursorPos(&point);
    EXPECT_EQ(point.x, INT32_MAX);
}

} // namespace
