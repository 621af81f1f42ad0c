// The camera following the current actor: resting cameras turning toward it, moving cameras carried along,
// the speed-dependent height and the heading of presets 3 and 4.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/Camera.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

class CameraTracking : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ActorCount = 1;
        Actors.resize(1);
        CurrentActor = 0;
        Car().PosX = 1000.0f;
        Car().PosY = 2000.0f;
        Car().PosZ = 0.0f;
    }
    static TActor& Car() { return Actors[0]; }
    // Applies a preset and lets the camera come to rest at the given offset from the car.
    static void RestAt(void (*preset)(), float dx, float dy, float dz) {
        preset();
        CameraMoving = 0;
        CamPosX = Car().PosX + dx;
        CamPosY = Car().PosY + dy;
        CamPosZ = Car().PosZ + dz;
    }
};

TEST_F(CameraTracking, RestingExactlyAboveTheCarKeepsTheTurn) {
    RestAt(PresetBirdsEye, 0.0f, 0.0f, 55.0f);
    CamAngleZ = 33.0f;
    TrackCamera();
    EXPECT_NEAR(CamAngleX, 0.0f, 0.0001f);
    EXPECT_GT(CamAngleX, 0.0f); // dy became 0.00001, not 0
    EXPECT_EQ(CamAngleZ, 33.0f);
    EXPECT_EQ(CamPosX, 1000.0f);
    EXPECT_EQ(CamPosZ, 55.0f);
    EXPECT_EQ(CameraMoving, 0);
}

TEST_F(CameraTracking, RestingAtTheCarsHeightTiltsToTheGamesRightAngle) {
    RestAt(PresetSpatialBirdsEye, 0.0f, 30.0f, 0.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleX, 89.965f, 0.001f);
    RestAt(PresetSpatialBirdsEye, 0.0f, -30.0f, 0.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleX, -89.965f, 0.001f);
}

TEST_F(CameraTracking, BirdsEyeTurnsTheViewRoundOutsideItsDeadBand) {
    RestAt(PresetBirdsEye, 0.0f, 30.0f, 30.0f); // tilt about 45
    TrackCamera();
    EXPECT_EQ(CamAngleZ, 180.0f);
    CamPosY = Car().PosY + 5.0f; // tilt about 5: keeps 180
    TrackCamera();
    EXPECT_EQ(CamAngleZ, 180.0f);
    CamPosY = Car().PosY - 30.0f; // tilt about -45
    TrackCamera();
    EXPECT_EQ(CamAngleZ, 0.0f);
}

TEST_F(CameraTracking, RestingCameraSlidesAlongXWithTheCarInTheLowPresets) {
    RestAt(PresetSpatialBirdsEye, 40.0f, -30.0f, 20.0f);
    Car().PosX = 1007.5f;
    TrackCamera();
    EXPECT_EQ(CamPosX, 1007.5f);
    EXPECT_EQ(CamPosY, 1970.0f);
    EXPECT_EQ(CamPosZ, 20.0f);
}

TEST_F(CameraTracking, RestingBonnetCameraTurnsTowardTheCar) {
    RestAt(PresetBonnet, 10.0f, -10.0f, 1.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleY, 44.98f, 0.005f);
    RestAt(PresetBonnet, 10.0f, 10.0f, 1.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleY, 135.02f, 0.005f);
    RestAt(PresetChase, -10.0f, -10.0f, 1.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleY, 360.0f - 44.98f, 0.005f);
    // The camera itself stays where it rests.
    EXPECT_EQ(CamPosX, 990.0f);
    EXPECT_EQ(CamPosY, 1990.0f);
}

TEST_F(CameraTracking, AngleJustBelowZeroWrapsTwice) {
    // dx / dy chosen so the raw angle is -0.5: +360 gives 359.5, which is above 359 and loses 360 again.
    const float dx = (float)(-100.0 * std::tan(0.5 * 3.1428 / 180.0));
    RestAt(PresetChase, dx, -100.0f, 1.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleY, -0.5f, 0.0005f);
    // Slightly above zero stays as it is.
    RestAt(PresetChase, -dx, -100.0f, 1.0f);
    TrackCamera();
    EXPECT_NEAR(CamAngleY, 0.5f, 0.0005f);
}

TEST_F(CameraTracking, MovingBirdsEyeRisesWithSpeed) {
    PresetBirdsEye();
    Car().StepLength = 0.2f;
    Car().SpeedKmh = 70.0f;
    TrackCamera();
    EXPECT_EQ(CamOffsetZ, 65.0f);
    EXPECT_EQ(CamPosZ, 65.0f);
    EXPECT_EQ(CamPosX, 1000.0f);
    EXPECT_EQ(CamPosY, 2000.0f);

    Car().StepLength = -0.2f; // reversing: back to the base height
    TrackCamera();
    EXPECT_EQ(CamOffsetZ, 55.0f);
    Car().StepLength = 0.0f;
    TrackCamera();
    EXPECT_EQ(CamOffsetZ, 55.0f);
}

TEST_F(CameraTracking, RightAfterADemonstrationBuildTheHeightStays) {
    DemoMode = 1;
    BuildWorld();
    Actors[(size_t)CurrentActor].StepLength = 0.2f;
    Actors[(size_t)CurrentActor].SpeedKmh = 70.0f;
    TrackCamera();
    EXPECT_EQ(CamOffsetZ, 55.0f);
    EXPECT_EQ(CamPosZ, 55.0f);
}

TEST_F(CameraTracking, InverseBirdsEyeHasNoRestingCamera) {
    PresetInverseBirdsEye();
    CameraMoving = 0;
    CamOffsetX = 5.0f; // a keypad change survives: the preset is not applied again
    Car().AngleZ = 40.0f;
    TrackCamera();
    EXPECT_EQ(CameraMoving, 1);
    EXPECT_EQ(CamAngleZ, -40.0f);
    EXPECT_EQ(CamPosX, 1005.0f);
    EXPECT_EQ(CamPosZ, 55.0f);
    EXPECT_EQ(CamOffsetX, 5.0f);
}

TEST_F(CameraTracking, ChaseCameraFollowsTheDirectionOfTravel) {
    PresetChase();
    Car().AngleZ = 60.0f;
    Car().WheelAngle = 90.0f; // skidding: travel differs from the heading
    TrackCamera();
    EXPECT_EQ(CamAngleY, 90.0f);
    // Direction 90 points along -x, so 14 behind is toward +x.
    EXPECT_NEAR(CamPosX, 1014.0f, 0.001f);
    EXPECT_NEAR(CamPosY, 2000.0f, 0.05f);
    EXPECT_EQ(CamPosZ, 10.0f);
}

TEST_F(CameraTracking, BonnetCameraFollowsTheBodyHeading) {
    PresetBonnet();
    Car().AngleZ = 0.0f;
    Car().WheelAngle = 90.0f;
    Car().PosZ = 2.0f;
    TrackCamera();
    EXPECT_EQ(CamAngleY, 0.0f);
    // Heading 0 faces +y; the negative offset puts the camera ahead of the car's origin.
    EXPECT_NEAR(CamPosX, 1000.0f, 0.001f);
    EXPECT_NEAR(CamPosY, 2000.5469f, 0.0005f);
    EXPECT_FLOAT_EQ(CamPosZ, 3.5772f);
    // The offset along x has no effect in this preset.
    CamOffsetX = 50.0f;
    TrackCamera();
    EXPECT_NEAR(CamPosX, 1000.0f, 0.001f);
}

} // namespace
