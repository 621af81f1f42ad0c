// Game flow: the frame rate and the one-second marks, the ageing of messages and the return after a game
// over, and the keyboard and mouse commands of a pass.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/Platform.h"
#include "shell/Shell.h"
#include "shell/Texts.h"
#include "world/DatenStruktur.h"

namespace {

// A clock and a cursor the test moves by hand.
uint32_t FakeTick;
TPoint FakeCursor;

int32_t NoWindow(const char*, int32_t, int32_t) {
    return 0;
}
void NoHandle(int32_t) {}
void Nothing() {}
uint32_t FakeGetTickCount() {
    return FakeTick;
}
void NoSleep(uint32_t) {}
void FakeGetCursorPos(TPoint* point) {
    *point = FakeCursor;
}
void NoCopy(const TCanvas*, TRect) {}
int32_t Continue() {
    return 1;
}

const TPlatformBackend FakeBackend = {
    "fake",  NoWindow,         NoHandle, Nothing, NoHandle, FakeGetTickCount,
    NoSleep, FakeGetCursorPos, NoCopy,   Nothing, Continue,
};

class GameFlow : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        SelectPlatform(&FakeBackend);
        FakeTick = 1000;
        FakeCursor = TPoint{300, 200};
        Fps = 100;
        TickNow = SecondStartTick = (int32_t)FakeTick;
    }
    void TearDown() override { SelectPlatform(nullptr); }

    // Runs the timing step of one pass after the clock advanced by ms.
    static void Pass(uint32_t ms) {
        FakeTick += ms;
        MeasureFrameRate();
    }
    // Runs passes of 10 ms until the next one-second mark has been counted.
    static void RunToNextMark() {
        const int32_t seconds = ElapsedSeconds;
        for (int i = 0; i < 200 && ElapsedSeconds == seconds; i++)
            Pass(10);
    }
};

TEST_F(GameFlow, FpsStaysAtHundredUntilTheFirstMark) {
    for (int i = 0; i < 100; i++)
        Pass(10);
    // Exactly 1000 ms: no mark yet.
    EXPECT_EQ(TickElapsed, 1000);
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(Seconds, 0);
    EXPECT_EQ(FrameCounter, 100);

    Pass(1);
    EXPECT_EQ(Fps, 101);
    EXPECT_EQ(Seconds, 1);
    EXPECT_EQ(ElapsedSeconds, 1);
    EXPECT_EQ(FrameCounter, 0);
    EXPECT_EQ(SecondStartTick, 2001);
    EXPECT_EQ(TickNow, 2001);
}

TEST_F(GameFlow, SlowPassesCountOneSecondPerInterval) {
    Pass(4000);
    EXPECT_EQ(Fps, 1);
    EXPECT_EQ(Seconds, 1);
    EXPECT_EQ(ElapsedSeconds, 1);

    Pass(600);
    Pass(600);
    EXPECT_EQ(Fps, 2);
    EXPECT_EQ(Seconds, 2);
}

TEST_F(GameFlow, SecondsRestartButElapsedSecondsDoNot) {
    RunToNextMark();
    RunToNextMark();
    Seconds = 0;
    RunToNextMark();
    EXPECT_EQ(Seconds, 1);
    EXPECT_EQ(ElapsedSeconds, 3);
}

TEST_F(GameFlow, ClockWrapsWhileRunning) {
    // Across the end of the unsigned range: 512 ms before the wrap.
    FakeTick = 0xFFFFFE00u;
    SecondStartTick = TickNow = (int32_t)FakeTick;
    Pass(600);
    EXPECT_EQ(FakeTick, 88u);
    EXPECT_EQ(TickElapsed, 600);
    EXPECT_EQ(Seconds, 0);
    Pass(600);
    EXPECT_EQ(TickElapsed, 1200);
    EXPECT_EQ(Seconds, 1);
    EXPECT_EQ(Fps, 2);
    EXPECT_EQ(SecondStartTick, 688);

    // Across the sign change of the stored tick.
    FakeTick = 0x7FFFFF00u;
    SecondStartTick = TickNow = (int32_t)FakeTick;
    Pass(1001);
    EXPECT_LT(TickNow, 0);
    EXPECT_EQ(TickElapsed, 1001);
    EXPECT_EQ(Seconds, 2);
}

TEST_F(GameFlow, MessageExpiresAtTheFifthMark) {
    Message = TextStart;
    for (int i = 0; i < 4; i++)
        RunToNextMark();
    EXPECT_EQ(Message, "Start!");
    EXPECT_EQ(MessageSeconds, 4);
    RunToNextMark();
    EXPECT_TRUE(Message.empty());
    EXPECT_EQ(MessageSeconds, 0);

    // Without a message nothing is aged.
    RunToNextMark();
    EXPECT_EQ(MessageSeconds, 0);
}

TEST_F(GameFlow, ReplacingMessageGetsOnlyTheRemainingSeconds) {
    Message = TextStart;
    for (int i = 0; i < 3; i++)
        RunToNextMark();
    Message = TextWrongDirection;
    RunToNextMark();
    EXPECT_EQ(Message, "Bitte Strecke in Startrichtung befahren!");
    RunToNextMark();
    EXPECT_TRUE(Message.empty());
}

TEST_F(GameFlow, GameOverReturnsToTheDemonstrationWhenTheMessageExpires) {
    DemoMode = 0;
    GameOverPending = 1;
    Message = "G A M E   O V E R  Actor No 0";
    for (int i = 0; i < 4; i++)
        RunToNextMark();
    EXPECT_EQ(DemoMode, 0);
    EXPECT_EQ(GameOverPending, 1);

    RunToNextMark();
    EXPECT_EQ(DemoMode, 1);
    EXPECT_EQ(GameOverPending, 0);
    EXPECT_EQ(Message, "Für Start ENTER drücken!");
    EXPECT_EQ(MessageSeconds, 0);
    // The world was rebuilt for the demonstration: fresh timing, the last car followed.
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(ActorCount, 6);
    EXPECT_EQ(CurrentActor, 5);
}

// The commands of one pass; a race with actor 0 at the wheel unless a case says otherwise.

class GameFlowCommands : public GameFlow {
  protected:
    void SetUp() override {
        GameFlow::SetUp();
        ActorCount = 6;
        ResizeArray(Actors, 6);
        for (TActor& car : Actors) {
            car.Accel = 0.2f;
            car.SteerRate = 1.0f;
            car.StepLength = 0.5f;
        }
        CurrentActor = 0;
        DemoMode = 0;
        MouseX = MouseLastX = FakeCursor.x;
    }
    static void Press(uint32_t key) { WindowProc(1, WM_KEYDOWN, key, 0); }
    static void Release(uint32_t key) { WindowProc(1, WM_KEYUP, key, 0); }
    static TActor& Car() { return Actors[(size_t)CurrentActor]; }
};

TEST_F(GameFlowCommands, OneShotKeysActOncePerKeyDown) {
    Press(112);
    HandleInput();
    EXPECT_EQ(HudMode, 1);
    EXPECT_EQ(KeyState[112], 0);
    HandleInput();
    EXPECT_EQ(HudMode, 1);

    // Auto-repeat key-downs act again; the modes cycle 0, 1, 2, 0.
    Press(112);
    HandleInput();
    Press(112);
    HandleInput();
    EXPECT_EQ(HudMode, 0);

    Press(116);
    HandleInput();
    EXPECT_EQ(CheckLineMode, 1);
    EXPECT_EQ(KeyState[116], 0);
    Press(116);
    HandleInput();
    EXPECT_EQ(CheckLineMode, 0);
}

TEST_F(GameFlowCommands, CameraSwitchesToggleAndCycle) {
    // Every preset application restores the eye distance and carries the camera along.
    CameraPreset = 4;
    EyeDistance = 50.0f;
    Press(113);
    HandleInput();
    EXPECT_EQ(CameraPreset, 0);
    EXPECT_EQ(KeyState[113], 0);
    EXPECT_EQ(EyeDistance, 300.0f);
    EXPECT_EQ(CameraMoving, 1);
    Press(113);
    HandleInput();
    EXPECT_EQ(CameraPreset, 1);

    // F3 off leaves the preset alone; F3 on applies it again.
    EyeDistance = 50.0f;
    Press(114);
    HandleInput();
    EXPECT_EQ(CameraMoving, 0);
    EXPECT_EQ(KeyState[114], 0);
    EXPECT_EQ(EyeDistance, 50.0f);
    Press(114);
    HandleInput();
    EXPECT_EQ(CameraMoving, 1);
    EXPECT_EQ(EyeDistance, 300.0f);

    Seconds = 7;
    Press(115);
    HandleInput();
    EXPECT_EQ(AutoPresetChange, 1);
    EXPECT_EQ(Seconds, 0);
    EXPECT_EQ(KeyState[115], 0);
}

TEST_F(GameFlowCommands, F6StepsThroughEveryActorAndBack) {
    for (int32_t expected : {1, 2, 3, 4, 5, 0}) {
        Press(117);
        HandleInput();
        EXPECT_EQ(CurrentActor, expected);
        EXPECT_EQ(KeyState[117], 0);
    }
}

TEST_F(GameFlowCommands, HeldKeysActEveryPass) {
    EyeDistance = 300.0f;
    Press(97);
    Press(100);
    Press(107);
    for (int i = 0; i < 3; i++)
        HandleInput();
    EXPECT_EQ(KeyState[97], -1);
    EXPECT_NEAR(EyeDistance, 300.9f, 1e-4f);
    EXPECT_NEAR(CamOffsetX, -0.6f, 1e-6f);
    EXPECT_NEAR(CamOffsetZ, 0.6f, 1e-6f);
    Release(97);
    Release(100);
    Release(107);

    Press(102);
    Press(104);
    Press(98);
    Press(109);
    HandleInput();
    EXPECT_NEAR(CamOffsetX, -0.4f, 1e-6f);
    EXPECT_NEAR(CamOffsetY, 0.0f, 1e-6f); // keypad 8 and 2 cancel
    EXPECT_NEAR(CamOffsetZ, 0.4f, 1e-6f);
}

TEST_F(GameFlowCommands, Keypad7StopsOnceTheEyeDistanceIsNoLongerPositive) {
    EyeDistance = 0.1f;
    Press(103);
    HandleInput();
    EXPECT_NEAR(EyeDistance, -0.2f, 1e-6f);
    HandleInput();
    EXPECT_NEAR(EyeDistance, -0.2f, 1e-6f);
}

TEST_F(GameFlowCommands, EscapeEndsTheLoopAndKeepsItsEntry) {
    Press(27);
    HandleInput();
    EXPECT_EQ(Running, 0);
    EXPECT_EQ(KeyState[27], -1);
}

TEST_F(GameFlowCommands, EnterSwitchesModeAndRebuilds) {
    Fps = 37;
    FakeTick = 5000;
    Press(13);
    HandleInput();
    EXPECT_EQ(DemoMode, 1);
    EXPECT_EQ(KeyState[13], 0);
    EXPECT_EQ(Message, "Start!");
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(SecondStartTick, 5000);
    EXPECT_EQ(CurrentActor, 5);

    Press(13);
    HandleInput();
    EXPECT_EQ(DemoMode, 0);
    EXPECT_EQ(CurrentActor, 0);
}

TEST_F(GameFlowCommands, EnterWhileGameOverPendingCancelsTheReturn) {
    GameOverPending = 1;
    Message = "G A M E   O V E R  Actor No 0";
    Press(13);
    HandleInput();
    EXPECT_EQ(GameOverPending, 0);
    EXPECT_EQ(DemoMode, 1);
    for (int i = 0; i < 5; i++)
        RunToNextMark();
    EXPECT_TRUE(Message.empty());
    EXPECT_EQ(DemoMode, 1);
}

TEST_F(GameFlowCommands, ThrottleAndBrake) {
    Press(38);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.502f);
    Release(38);
    Press(87);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.504f);
    Release(87);

    Press(40);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.502f);
    Release(40);
    Press(83);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.5f);

    // Only the current car answers.
    EXPECT_EQ(Actors[1].StepLength, 0.5f);
}

TEST_F(GameFlowCommands, DemonstrationIgnoresDrivingKeysAndMouse) {
    DemoMode = 1;
    Press(38);
    Press(39);
    FakeCursor.x += 50;
    HandleInput();
    EXPECT_EQ(Car().StepLength, 0.5f);
    EXPECT_EQ(Car().Steering, 0.0f);
    EXPECT_EQ(MouseX, 300);
    EXPECT_EQ(MouseSteering, 0);
    // The driving keys stay down for the race.
    EXPECT_EQ(KeyState[38], -1);
}

TEST_F(GameFlowCommands, ArrowSteeringStartsFromTheMiddleAndCentresOnRelease) {
    Car().Steering = -0.5f;
    Press(39);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.01f);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.02f);
    Release(39);

    Press(37);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, -0.01f);
    Release(37);
    HandleInput();
    EXPECT_EQ(Car().Steering, 0.0f);

    // Steering that is not a number starts again from the middle too.
    Car().Steering = std::numeric_limits<float>::quiet_NaN();
    Press(39);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.01f);
}

TEST_F(GameFlowCommands, LeftWinsWhenBothArrowsAreDown) {
    Car().Steering = 0.5f;
    Press(39);
    Press(37);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, -0.01f);
}

TEST_F(GameFlowCommands, MouseSteeringKeepsItsValueUntilAnArrowIsUsed) {
    FakeCursor.x += 25;
    HandleInput();
    EXPECT_EQ(MouseDeltaX, 25);
    EXPECT_EQ(MouseSteering, -1);
    EXPECT_FLOAT_EQ(Car().Steering, 0.1f);

    HandleInput();
    EXPECT_EQ(MouseDeltaX, 0);
    EXPECT_FLOAT_EQ(Car().Steering, 0.1f);

    // Moving back to the left first centres, then steers left.
    FakeCursor.x -= 5;
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, -0.02f);
    EXPECT_EQ(MouseLastX, 320);

    Press(39);
    HandleInput();
    EXPECT_EQ(MouseSteering, 0);
    Release(39);
    HandleInput();
    EXPECT_EQ(Car().Steering, 0.0f);
}

TEST_F(GameFlowCommands, MouseToTheRightCentresALeftTurnFirst) {
    Car().Steering = -0.3f;
    MouseSteering = -1;
    FakeCursor.x += 10;
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.04f);
}

TEST_F(GameFlowCommands, ExtremeCursorJumpsSaturate) {
    MouseLastX = std::numeric_limits<int32_t>::min();
    FakeCursor.x = std::numeric_limits<int32_t>::max();
    HandleInput();
    EXPECT_EQ(MouseDeltaX, std::numeric_limits<int32_t>::max());
    EXPECT_TRUE(std::isfinite(Car().Steering));
    EXPECT_GT(Car().Steering, 0.0f);
}

} // namespace
