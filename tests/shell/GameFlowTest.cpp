// Game flow: the frame rate and the one-second marks, the ageing of messages and the return after a game
// over, and the keyboard and mouse commands of a pass.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/Backend.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

namespace {

// A clock and a cursor the test moves by hand; everything else of the platform does nothing.
uint32_t FakeTick;
TPoint FakeCursor;
const TPlatformBackend FakeBackend = {
    [](const char*, int32_t, int32_t) { return 0; },
    [](int32_t) {},
    [] {},
    [](int32_t) {},
    [] { return FakeTick; },
    [](uint32_t) {},
    [](TPoint* point) { *point = FakeCursor; },
    [](const TCanvas*, TRect) {},
    [] {},
    [] { return 1; },
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

    // The timing step of one pass after the clock advanced by ms.
    static void Pass(uint32_t ms) {
        FakeTick += ms;
        MeasureFrameRate();
    }
    // Passes of 10 ms until the next one-second mark has been counted.
    static void RunToNextMark() {
        const int32_t seconds = ElapsedSeconds;
        for (int i = 0; i < 200 && ElapsedSeconds == seconds; i++)
            Pass(10);
    }
};

TEST_F(GameFlow, FpsStaysAtHundredUntilAMarkAfterMoreThanASecond) {
    for (int i = 0; i < 100; i++)
        Pass(10);
    EXPECT_EQ(TickElapsed, 1000);
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(Seconds, 0);

    Pass(1);
    EXPECT_EQ(Fps, 101);
    EXPECT_EQ(Seconds, 1);
    EXPECT_EQ(ElapsedSeconds, 1);
    EXPECT_EQ(FrameCounter, 0);
    EXPECT_EQ(SecondStartTick, 2001);

    // However long a slow interval was, it counts one second.
    Pass(4000);
    EXPECT_EQ(Fps, 1);
    EXPECT_EQ(Seconds, 2);
}

TEST_F(GameFlow, ClockWrapsWhileRunning) {
    FakeTick = 0xFFFFFE00u; // 512 ms before the unsigned wrap
    SecondStartTick = (int32_t)FakeTick;
    Pass(600);
    EXPECT_EQ(TickElapsed, 600);
    Pass(600);
    EXPECT_EQ(TickElapsed, 1200);
    EXPECT_EQ(Fps, 2);
    EXPECT_EQ(SecondStartTick, 688);

    FakeTick = 0x7FFFFF00u; // across the sign change of the stored tick
    SecondStartTick = (int32_t)FakeTick;
    Pass(1001);
    EXPECT_LT(TickNow, 0);
    EXPECT_EQ(Seconds, 2);
}

TEST_F(GameFlow, MessageExpiresAtTheFifthMarkItWasShowing) {
    Message = TextStart;
    for (int i = 0; i < 4; i++)
        RunToNextMark();
    EXPECT_EQ(Message, "Start!");
    RunToNextMark();
    EXPECT_TRUE(Message.empty());
    EXPECT_EQ(MessageSeconds, 0);
    RunToNextMark();
    EXPECT_EQ(MessageSeconds, 0);

    // A replacement gets only the seconds left.
    Message = TextStart;
    for (int i = 0; i < 3; i++)
        RunToNextMark();
    Message = TextWrongDirection;
    RunToNextMark();
    EXPECT_FALSE(Message.empty());
    RunToNextMark();
    EXPECT_TRUE(Message.empty());
}

TEST_F(GameFlow, GameOverReturnsToTheDemonstrationWhenTheMessageExpires) {
    GameOverPending = 1;
    Message = "G A M E   O V E R  Actor No 0";
    for (int i = 0; i < 4; i++)
        RunToNextMark();
    EXPECT_EQ(DemoMode, 0);
    RunToNextMark();
    EXPECT_EQ(DemoMode, 1);
    EXPECT_EQ(GameOverPending, 0);
    EXPECT_EQ(Message, "Für Start ENTER drücken!");
    // The world was rebuilt for the demonstration: fresh timing, the last car followed.
    EXPECT_EQ(Fps, 100);
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
        MouseX = MouseLastX = FakeCursor.x;
    }
    // One pass with the key held down (auto-repeat included when it already was).
    static void PressAndRun(uint32_t key) {
        WindowProc(1, WmKeyDown, key, 0);
        HandleInput();
    }
    static void Release(uint32_t key) { WindowProc(1, WmKeyUp, key, 0); }
    static TActor& Car() { return Actors[(size_t)CurrentActor]; }
};

TEST_F(GameFlowCommands, OneShotKeysActOncePerKeyDownAndCycle) {
    struct OneShot {
        uint32_t key;
        int32_t* value;
        std::vector<int32_t> sequence;
    };
    const OneShot keys[] = {
        {112, &HudMode, {1, 2, 0}},
        {113, &CameraPreset, {1, 2, 3, 4, 0}},
        {117, &CurrentActor, {1, 2, 3, 4, 5, 0}},
    };
    for (const OneShot& k : keys) {
        for (int32_t expected : k.sequence) {
            PressAndRun(k.key);
            EXPECT_EQ(*k.value, expected) << "key " << k.key;
            EXPECT_EQ(KeyState[k.key], 0);
        }
        HandleInput();
        EXPECT_EQ(*k.value, 0) << "key " << k.key;
    }
    for (uint32_t key : {114u, 115u, 116u}) {
        PressAndRun(key);
        EXPECT_EQ(KeyState[key], 0);
    }
    EXPECT_EQ(AutoPresetChange, 1);
    EXPECT_EQ(CheckLineMode, 1);
}

TEST_F(GameFlowCommands, PresetsApplyOnF2AndWhenF3SwitchesTheCameraOn) {
    // Every preset application restores the eye distance and carries the camera along.
    EyeDistance = 50.0f;
    PressAndRun(113);
    EXPECT_EQ(EyeDistance, 300.0f);
    EXPECT_EQ(CameraMoving, 1);

    EyeDistance = 50.0f;
    PressAndRun(114);
    EXPECT_EQ(CameraMoving, 0);
    EXPECT_EQ(EyeDistance, 50.0f);
    PressAndRun(114);
    EXPECT_EQ(CameraMoving, 1);
    EXPECT_EQ(EyeDistance, 300.0f);

    Seconds = 7;
    PressAndRun(115);
    EXPECT_EQ(Seconds, 0);
}

TEST_F(GameFlowCommands, HeldKeysActEveryPass) {
    EyeDistance = 300.0f;
    for (int i = 0; i < 3; i++) {
        for (uint32_t key : {97u, 100u, 107u})
            WindowProc(1, WmKeyDown, key, 0);
        HandleInput();
    }
    EXPECT_NEAR(EyeDistance, 300.9f, 1e-4f);
    EXPECT_NEAR(CamOffsetX, -0.6f, 1e-6f);
    EXPECT_NEAR(CamOffsetZ, 0.6f, 1e-6f);
    for (uint32_t key : {97u, 100u, 107u})
        Release(key);

    for (uint32_t key : {102u, 104u, 109u})
        WindowProc(1, WmKeyDown, key, 0);
    HandleInput();
    EXPECT_NEAR(CamOffsetX, -0.4f, 1e-6f);
    EXPECT_NEAR(CamOffsetY, -0.2f, 1e-6f);
    EXPECT_NEAR(CamOffsetZ, 0.4f, 1e-6f);
    PressAndRun(98);
    EXPECT_NEAR(CamOffsetY, -0.2f, 1e-6f); // keypad 8 and 2 cancel

    // Keypad 7 stops once the distance is no longer positive.
    EyeDistance = 0.1f;
    PressAndRun(103);
    PressAndRun(103);
    EXPECT_NEAR(EyeDistance, -0.2f, 1e-6f);

    PressAndRun(27);
    EXPECT_EQ(Running, 0);
    EXPECT_EQ(KeyState[27], -1);
}

TEST_F(GameFlowCommands, EnterSwitchesModeAndRebuilds) {
    Fps = 37;
    FakeTick = 5000;
    GameOverPending = 1;
    PressAndRun(13);
    EXPECT_EQ(DemoMode, 1);
    EXPECT_EQ(KeyState[13], 0);
    EXPECT_EQ(Message, "Start!");
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(SecondStartTick, 5000);
    EXPECT_EQ(CurrentActor, 5);
    // The pending game over is gone with the old world: no return when the message expires.
    EXPECT_EQ(GameOverPending, 0);

    PressAndRun(13);
    EXPECT_EQ(DemoMode, 0);
    EXPECT_EQ(CurrentActor, 0);
}

TEST_F(GameFlowCommands, ThrottleAndBrakeMoveOnlyTheCurrentCar) {
    for (uint32_t key : {38u, 87u}) {
        PressAndRun(key);
        Release(key);
    }
    EXPECT_FLOAT_EQ(Car().StepLength, 0.504f);
    for (uint32_t key : {40u, 83u}) {
        PressAndRun(key);
        Release(key);
    }
    EXPECT_FLOAT_EQ(Car().StepLength, 0.5f);
    PressAndRun(38);
    EXPECT_EQ(Actors[1].StepLength, 0.5f);
}

TEST_F(GameFlowCommands, DemonstrationIgnoresDrivingKeysAndMouse) {
    DemoMode = 1;
    FakeCursor.x += 50;
    WindowProc(1, WmKeyDown, 39, 0);
    PressAndRun(38);
    EXPECT_EQ(Car().StepLength, 0.5f);
    EXPECT_EQ(Car().Steering, 0.0f);
    EXPECT_EQ(MouseX, 300);
    EXPECT_EQ(KeyState[38], -1);
}

TEST_F(GameFlowCommands, ArrowSteeringStartsFromTheMiddleAndCentresOnRelease) {
    Car().Steering = -0.5f;
    PressAndRun(39);
    PressAndRun(39);
    EXPECT_FLOAT_EQ(Car().Steering, 0.02f);
    Release(39);
    PressAndRun(37);
    EXPECT_FLOAT_EQ(Car().Steering, -0.01f);
    Release(37);
    HandleInput();
    EXPECT_EQ(Car().Steering, 0.0f);

    // Not a number starts from the middle too.
    Car().Steering = std::nanf("");
    PressAndRun(39);
    EXPECT_FLOAT_EQ(Car().Steering, 0.01f);

    // With both arrows down the left one wins.
    Car().Steering = 0.5f;
    PressAndRun(37);
    EXPECT_FLOAT_EQ(Car().Steering, -0.01f);
}

TEST_F(GameFlowCommands, MouseSteeringKeepsItsValueUntilAnArrowIsUsed) {
    FakeCursor.x += 25;
    HandleInput();
    EXPECT_EQ(MouseSteering, -1);
    EXPECT_FLOAT_EQ(Car().Steering, 0.1f);
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.1f);

    // Moving against the turn first centres, then steers the other way.
    FakeCursor.x -= 5;
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, -0.02f);
    FakeCursor.x += 10;
    HandleInput();
    EXPECT_FLOAT_EQ(Car().Steering, 0.04f);

    PressAndRun(39);
    EXPECT_EQ(MouseSteering, 0);
    Release(39);
    HandleInput();
    EXPECT_EQ(Car().Steering, 0.0f);
}

} // namespace
