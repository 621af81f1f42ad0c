// The frame loop: the sixteen steps in their order, the window procedure's key table, passes that run to
// their end after ESC and after the quit message, the line view skipping only the 3D view, and the exit
// code of a game whose window cannot be shown.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

// Keys the tests post, by pass.
struct TKey {
    uint64_t pass;
    uint32_t message;
    uint32_t vk;
};
const TKey* Keys;
int KeyCount;
uint64_t FramesCopied;
uint64_t BluePixelsInLastFrame;
uint64_t TextPixelsInLastFrame; // dark pixels of the display's first line

void PostKeys(uint64_t pass, void*) {
    for (int i = 0; i < KeyCount; i++) {
        if (Keys[i].pass != pass) continue;
        PostWindowMessage(Keys[i].message, Keys[i].vk);
    }
}

void CountFrame(uint64_t, const TCanvas* frame, void*) {
    FramesCopied++;
    BluePixelsInLastFrame = 0;
    for (int32_t i = 0; i < frame->Width * frame->Height; i++)
        if (frame->Pixels[i] == PixelFromColor(RGBColor(0, 0, 255))) BluePixelsInLastFrame++;
    TextPixelsInLastFrame = 0;
    for (int32_t y = 32; y < 45; y++)
        for (int32_t x = 20; x < 200; x++)
            if ((frame->Pixels[y * frame->Width + x] & 0xFFFFFF) < 0x404040) TextPixelsInLastFrame++;
}

class FrameLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        SelectPlatform(HeadlessBackend());
        FramesCopied = 0;
        KeyCount = 0;
    }
    void TearDown() override { SelectPlatform(nullptr); }
    static int32_t Run(const TKey* keys, int count, uint64_t passes) {
        Keys = keys;
        KeyCount = count;
        HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, passes);
        HeadlessSetHooks(PostKeys, CountFrame, nullptr);
        return ProgramMain();
    }
};

TEST(FrameSteps, SixteenStepsInTheirFixedOrder) {
    const char* order[FrameStepCount] = {
        "MeasureFrameRate", "HandleInput",        "UpdateDrivingForces", "ApplyResistanceAndWheels",
        "MoveActors",       "TrackCamera",        "BuildProbeLines",     "SteerComputerActors",
        "AutoChangePreset", "BuildActorLines",    "BuildQuadrantLines",  "TestSurfaces",
        "CountCheckpoints", "HandleWallContacts", "DrawWorldView",       "DrawHud",
    };
    for (int i = 0; i < FrameStepCount; i++) {
        EXPECT_STREQ(FrameSteps[i].Name, order[i]);
        EXPECT_NE(FrameSteps[i].Run, nullptr);
        EXPECT_EQ(FrameSteps[i].SkippedInLineView, i == 14) << order[i];
    }
}

TEST(WindowProcedure, KeepsTheKeyTableAndIgnoresSystemKeys) {
    ClearGameState();
    ResetPlatformState();
    WindowProc(1, WmKeyDown, 38, 0);
    EXPECT_EQ(KeyState[38], -1);
    EXPECT_EQ(LastKey, 38);
    WindowProc(1, WmKeyDown, 38, 0); // an auto-repeat sets it again
    EXPECT_EQ(KeyState[38], -1);
    WindowProc(1, WmKeyUp, 38, 0);
    EXPECT_EQ(KeyState[38], 0);
    EXPECT_EQ(LastKey, 38);
    WindowProc(1, WmSysKeyDown, 81, 0);
    EXPECT_EQ(KeyState[81], 0);
    EXPECT_EQ(LastKey, 38);
    WindowProc(1, WmKeyDown, 300, 0); // beyond the table: nothing is written
    EXPECT_EQ(LastKey, 38);
    WindowProc(1, WmDestroy, 0, 0);
    TMsg msg{};
    ASSERT_NE(Win::PeekMessageA(&msg), 0);
    EXPECT_EQ(msg.message, WmQuit);
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(FrameLoop, EscapeEndsTheProgramAfterItsPassWithCode27) {
    const TKey keys[] = {{5, WmKeyDown, 27}};
    EXPECT_EQ(Run(keys, 1, 100), 27);
    // The pass that took ESC ran to its end and copied its frame; no pass followed.
    EXPECT_EQ(FramesCopied, 5u);
    EXPECT_EQ(HeadlessPassesRun(), 5u);
    EXPECT_NE(GameWindowHandle(), 0); // the window is still there when the loop ends
}

TEST_F(FrameLoop, AHostCallingOnePassAtATimeEndsAsTheLoopDoes) {
    const TKey keys[] = {{5, WmKeyDown, 27}};
    Keys = keys;
    KeyCount = 1;
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 100);
    HeadlessSetHooks(PostKeys, CountFrame, nullptr);
    int32_t exitCode = -1;
    ASSERT_TRUE(StartProgram(&exitCode));
    uint64_t passes = 0;
    while (ProgramRunning()) {
        RunFramePass();
        passes++;
    }
    EXPECT_EQ(passes, 5u);
    EXPECT_EQ(EndProgram(), 27);
}

TEST_F(FrameLoop, ClosingTheWindowEndsTheProgramWithCode0) {
    const TKey keys[] = {{7, WmClose, 0}};
    EXPECT_EQ(Run(keys, 1, 100), 0);
    // Pass 7 destroyed the window; pass 8 took the quit message, still ran all steps and copied its frame.
    EXPECT_EQ(FramesCopied, 8u);
    EXPECT_EQ(Running, 0);
}

TEST_F(FrameLoop, TheLineViewSkipsOnlyTheWorldView) {
    EXPECT_EQ(Run(nullptr, 0, 30), 0);
    EXPECT_GT(BluePixelsInLastFrame, 100u); // the road of the 3D view
    const uint64_t framesBefore = FramesCopied;
    ClearGameState();
    ResetPlatformState();
    SelectPlatform(HeadlessBackend());
    const TKey keys[] = {{2, WmKeyDown, 116}, {3, WmKeyUp, 116}};
    EXPECT_EQ(Run(keys, 2, 30), 0);
    EXPECT_EQ(FramesCopied - framesBefore, 30u);
    EXPECT_EQ(CheckLineMode, 1);
    // The road faces are gone; the line view shows only the road polygons the surface test checks, which
    // are few blue lines, not the wire frame.
    EXPECT_LT(BluePixelsInLastFrame, 2000u);
    EXPECT_GT(TextPixelsInLastFrame, 50u); // the display is still written
}

const TPlatformBackend* Headless;
TPlatformBackend NoWindow;
int32_t RefuseWindow(const char*, int32_t, int32_t) {
    return 0;
}

TEST_F(FrameLoop, AWindowThatCannotBeShownEndsTheProgramWithCode1) {
    Headless = HeadlessBackend();
    NoWindow = *Headless;
    NoWindow.CreateGameWindow = RefuseWindow;
    SelectPlatform(&NoWindow);
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 100);
    HeadlessSetHooks(nullptr, CountFrame, nullptr);
    EXPECT_EQ(ProgramMain(), 1);
    EXPECT_EQ(FramesCopied, 0u);
}

} // namespace
