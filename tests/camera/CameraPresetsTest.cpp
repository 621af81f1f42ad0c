// The camera presets: what every preset does, the view each gives once the camera follows the car, the cycle
// through them, and the automatic change of the demonstration.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/Camera.h"
#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

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

void (*const PresetCalls[5])() = {PresetBirdsEye, PresetSpatialBirdsEye, PresetInverseBirdsEye, PresetBonnet,
                                  PresetChase};

// What every preset does alike: it is named, puts the camera onto the followed car and carries it along,
// gives back the standard eye distance and the centred side offset, and remembers its height.
void ExpectPresetBasics(int32_t number) {
    EXPECT_EQ(CameraPreset, number);
    EXPECT_EQ(CameraPresetName, PresetNames[number]);
    EXPECT_EQ(EyeDistance, 300.0f);
    EXPECT_EQ(CamOffsetX, 0.0f);
    EXPECT_EQ(CamBaseHeight, CamOffsetZ);
    EXPECT_EQ(CamPosX, 760.0f);
    EXPECT_EQ(CamPosY, 2800.0f);
    EXPECT_EQ(CamPosZ, 0.25f);
    EXPECT_EQ(CameraMoving, 1);
}

TEST_F(CameraPresets, EveryPresetPutsTheCameraOnTheCarAndCarriesItAlong) {
    for (int32_t n = 0; n < 5; n++) {
        SCOPED_TRACE(n);
        CameraPreset = 99;
        CamOffsetX = 9.0f;
        CameraMoving = 0;
        PresetCalls[n]();
        ExpectPresetBasics(n);
    }
}

TEST_F(CameraPresets, ApplyCallsThePresetOfTheNumber) {
    for (int32_t n = 4; n >= 0; n--) {
        SCOPED_TRACE(n);
        CameraPreset = n;
        EyeDistance = 1.0f;
        ApplyCameraPreset();
        ExpectPresetBasics(n);
        // The same camera as the preset's own call gives.
        const float offsets[3] = {CamOffsetY, CamOffsetZ, CamAngleX};
        PresetCalls[n]();
        EXPECT_EQ(CamOffsetY, offsets[0]);
        EXPECT_EQ(CamOffsetZ, offsets[1]);
        EXPECT_EQ(CamAngleX, offsets[2]);
    }
}

// Where each preset's camera stands and looks once it has followed the car for a frame: the views the
// player picks with F2, from the presets as the game defines them.
class PresetViews : public CameraPresets {
  protected:
    static TActor& Car() { return Actors[1]; }
    // The car turned to the given heading, the camera carried along one frame.
    static void Follow(void (*preset)(), float heading, float speedKmh = 0.0f) {
        preset();
        Car().AngleZ = heading;
        Car().WheelAngle = heading;
        Car().SpeedKmh = speedKmh;
        Car().StepLength = speedKmh > 0.0f ? 1.0f : 0.0f;
        TrackCamera();
    }
    static double Height() { return (double)CamPosZ - Car().PosZ; }
    static double Across() { return (double)CamPosX - Car().PosX; }
    static double Along() { return (double)CamPosY - Car().PosY; }
};

TEST_F(PresetViews, TheBirdsEyeViewsStandHighAboveTheCarAndRiseWithItsSpeed) {
    for (void (*preset)() : {PresetBirdsEye, PresetInverseBirdsEye}) {
        Follow(preset, 30.0f);
        EXPECT_EQ(Across(), 0.0);
        EXPECT_EQ(Along(), 0.0);
        EXPECT_GT(Height(), 20.0);
        const double standing = Height();
        Follow(preset, 30.0f, 140.0f);
        EXPECT_GT(Height(), standing + 10.0); // faster, higher: more of the track in view
        Follow(preset, 30.0f, 0.0f);
        EXPECT_EQ(Height(), standing);
    }
}

TEST_F(PresetViews, OnlyTheInverseBirdsEyeViewTurnsThePictureWithTheCar) {
    Follow(PresetBirdsEye, 30.0f);
    const float fixed = CamAngleZ;
    Follow(PresetBirdsEye, 75.0f);
    EXPECT_EQ(CamAngleZ, fixed);
    Follow(PresetInverseBirdsEye, 30.0f);
    EXPECT_EQ(CamAngleZ, -30.0f);
    Follow(PresetInverseBirdsEye, 75.0f);
    EXPECT_EQ(CamAngleZ, -75.0f);
}

TEST_F(PresetViews, TheSpatialBirdsEyeViewLooksDownFromBehindWhateverTheHeading) {
    for (float heading : {0.0f, 90.0f, 200.0f}) {
        Follow(PresetSpatialBirdsEye, heading);
        EXPECT_EQ(Across(), 0.0);
        EXPECT_LT(Along(), -10.0); // south of the car, however it is turned
        EXPECT_GT(Height(), 10.0);
        EXPECT_LT(CamAngleX, 0.0f); // tilted toward the car, not straight down
    }
    const double height = Height();
    Follow(PresetSpatialBirdsEye, 0.0f, 140.0f);
    EXPECT_EQ(Height(), height);
}

TEST_F(PresetViews, TheBonnetViewSitsOnTheCarLookingAlongItsHeading) {
    for (float heading : {0.0f, 45.0f, 300.0f}) {
        Follow(PresetBonnet, heading);
        EXPECT_LT(std::hypot(Across(), Along()), 2.0);
        EXPECT_GT(Height(), 0.0);
        EXPECT_LT(Height(), 3.0);
        EXPECT_EQ(CamAngleY, heading);
    }
}

TEST_F(PresetViews, TheChaseViewFollowsBehindTheWheelsHeading) {
    for (float heading : {0.0f, 45.0f, 300.0f}) {
        Follow(PresetChase, heading);
        const double distance = std::hypot(Across(), Along());
        EXPECT_GT(distance, 5.0);
        EXPECT_GT(Height(), 3.0);
        EXPECT_EQ(CamAngleY, heading);
        // Behind the car: against the direction a step of the car takes, +y turned by the heading.
        PointX = 0.0f;
        PointY = 1.0f;
        PointZ = 0.0f;
        RotatePoint(0.0f, 0.0f, DegToRad(heading));
        EXPECT_LT(Across() * PointX + Along() * PointY, -0.99 * distance) << heading;
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
