// The camera presets: every value of the five presets, the cycle through them, and the automatic change
// of the demonstration.
#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "shell/Texts.h"
#include "world/DatenStruktur.h"

namespace {

class CameraPresets : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ActorCount = 2;
        Actors.resize(2);
        CurrentActor = 1;
        TActor& actor = Actors[1];
        actor.PosX = 760.0f;
        actor.PosY = 2800.0f;
        actor.PosZ = 0.25f;
        actor.AngleZ = 30.0f;
        // Values every preset must overwrite.
        EyeDistance = 12.0f;
        CamOffsetX = 9.0f;
        CameraMoving = 0;
    }
};

struct PresetRow {
    const char* name;
    float offsetY, offsetZ, angleX, angleY, angleZ;
    int32_t turns;
    uint8_t noOffset, speedHeight;
};

// The table of the five presets for an actor heading 30 degrees.
const PresetRow Rows[5] = {
    {PresetNames[0], 0.0f, 55.0f, 0.0f, 0.0f, 0.0f, 0, 0, 1},
    {PresetNames[1], -30.0f, 20.0f, -45.0f, 0.0f, 0.0f, 0, 0, 0},
    {PresetNames[2], 0.0f, 55.0f, 0.0f, 0.0f, -30.0f, -1, 0, 1},
    {PresetNames[3], -0.5469f, 1.5772f, -90.0f, 30.0f, 0.0f, -1, 0, 0},
    {PresetNames[4], 14.0f, 10.0f, -90.0f, 30.0f, 0.0f, -1, 1, 0},
};

void (*const PresetCalls[5])() = {PresetBirdsEye, PresetSpatialBirdsEye, PresetInverseBirdsEye, PresetBonnet,
                                  PresetChase};

void ExpectPreset(int32_t number) {
    const PresetRow& row = Rows[number];
    EXPECT_EQ(CameraPreset, number);
    EXPECT_EQ(CameraPresetName, row.name);
    EXPECT_EQ(EyeDistance, 300.0f);
    EXPECT_EQ(CamOffsetX, 0.0f);
    EXPECT_EQ(CamOffsetY, row.offsetY);
    EXPECT_EQ(CamOffsetZ, row.offsetZ);
    EXPECT_EQ(CamBaseHeight, row.offsetZ);
    EXPECT_EQ(CamAngleX, row.angleX);
    EXPECT_EQ(CamAngleY, row.angleY);
    EXPECT_EQ(CamAngleZ, row.angleZ);
    EXPECT_EQ(CamPosX, 760.0f);
    EXPECT_EQ(CamPosY, 2800.0f);
    EXPECT_EQ(CamPosZ, 0.25f);
    EXPECT_EQ(CameraMoving, 1);
    EXPECT_EQ(CameraTurnsWithActor, row.turns);
    EXPECT_EQ(CamNoOffset, row.noOffset);
    EXPECT_EQ(CamSpeedHeight, row.speedHeight);
}

TEST_F(CameraPresets, EachPresetSetsEveryValueOfItsRow) {
    for (int32_t n = 0; n < 5; n++) {
        SCOPED_TRACE(n);
        CameraPreset = 99;
        CamOffsetX = 9.0f;
        CameraMoving = 0;
        PresetCalls[n]();
        ExpectPreset(n);
    }
}

TEST_F(CameraPresets, ApplyCallsThePresetOfTheNumber) {
    for (int32_t n = 4; n >= 0; n--) {
        SCOPED_TRACE(n);
        CameraPreset = n;
        EyeDistance = 1.0f;
        ApplyCameraPreset();
        ExpectPreset(n);
    }
}

TEST_F(CameraPresets, ANumberOutsideTheFiveChangesNothing) {
    for (int32_t n : {-1, 5, 1000}) {
        CameraPreset = n;
        ApplyCameraPreset();
        EXPECT_EQ(CameraPreset, n);
        EXPECT_EQ(EyeDistance, 12.0f);
        EXPECT_EQ(CamOffsetX, 9.0f);
        EXPECT_TRUE(CameraPresetName.empty());
    }
}

TEST_F(CameraPresets, CyclingLikeF2RunsThroughAllFiveAndBackToZero) {
    CameraPreset = 0;
    const int32_t expected[] = {1, 2, 3, 4, 0, 1};
    for (int32_t next : expected) {
        CameraPreset = CameraPreset + 1 == 5 ? 0 : CameraPreset + 1;
        CameraMoving = 0;
        ApplyCameraPreset();
        EXPECT_EQ(CameraPreset, next);
        EXPECT_EQ(CameraPresetName, PresetNames[next]);
        EXPECT_EQ(CameraMoving, 1);
    }
}

TEST_F(CameraPresets, AutomaticChangeWaitsForFiveSecondsAndWraps) {
    PresetChase();
    AutoPresetChange = 1;
    Seconds = 4;
    AutoChangePreset();
    EXPECT_EQ(CameraPreset, 4);
    Seconds = 5;
    AutoChangePreset();
    EXPECT_EQ(CameraPreset, 0);
    EXPECT_EQ(Seconds, 0);
    EXPECT_EQ(CameraPresetName, PresetNames[0]);
}

TEST_F(CameraPresets, NothingChangesWhileTheAutomaticChangeIsOff) {
    PresetBonnet();
    AutoPresetChange = 0;
    Seconds = 5;
    AutoChangePreset();
    EXPECT_EQ(CameraPreset, 3);
    EXPECT_EQ(Seconds, 5);
    Seconds = 2;
    AutoChangePreset();
    EXPECT_EQ(CameraMoving, 1);
}

TEST_F(CameraPresets, InTheThirdSecondTheCameraComesToRest) {
    PresetBonnet();
    AutoPresetChange = 1;
    CamPosZ = 3.0f;
    Seconds = 2;
    AutoChangePreset();
    EXPECT_EQ(CameraMoving, 0);
    EXPECT_EQ(CamPosX, 775.0f);
    EXPECT_EQ(CamPosY, 2815.0f);
    EXPECT_EQ(CamPosZ, 3.0f);
    EXPECT_EQ(Seconds, 2);
    EXPECT_EQ(CameraPreset, 3);

    // The low presets keep their place when they come to rest.
    PresetSpatialBirdsEye();
    CamPosX = 1.0f;
    CamPosY = 2.0f;
    AutoChangePreset();
    EXPECT_EQ(CameraMoving, 0);
    EXPECT_EQ(CamPosX, 1.0f);
    EXPECT_EQ(CamPosY, 2.0f);
}

} // namespace
