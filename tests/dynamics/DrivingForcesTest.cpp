// Driving forces: the curve figures of the worked table, energy and resistance, the skidding state and the
// direction of travel closing in on the body heading.
#include <gtest/gtest.h>

#include <cmath>

#include "dynamics/Dynamics.h"
#include "exact/Numeric.h"
#include "world/DatenStruktur.h"

namespace {

class DrivingForces : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        Fps = 100;
        ActorCount = 1;
        ResizeArray(Actors, 1);
        TActor& car = Actors[0];
        car.Mass = 800.0f;
        car.Friction = 0.6f;
        car.CogHeight = 0.541f;
        car.TrackWidth = 1.7f;
        car.DragArea = 0.639200032f;
        car.RollResistance = 117.719994f;
    }
    static TActor& Car() { return Actors[0]; }
};

struct CurveCase {
    float steering, stepLength, speedKmh;
    float radius, slide, tip, centrifugal, centrifugalTolerance;
};

TEST_F(DrivingForces, CurveFiguresMatchTheWorkedTable) {
    const CurveCase cases[] = {
        {0.5f, 0.5f, 90.0f, 57.27f, 66.10f, 106.96f, 8729.9f, 1.0f},
        {-0.5f, 0.5f, 90.0f, -57.27f, 66.10f, 106.96f, -8729.9f, 1.0f},
        {1.0f, 0.5f, 180.0f, 28.64f, 46.74f, 75.63f, 69836.0f, 5.0f},
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.steering);
        Car().Steering = c.steering;
        Car().StepLength = c.stepLength;
        Car().SpeedKmh = c.speedKmh;
        UpdateDrivingForces();
        EXPECT_NEAR(Car().CurveRadius, c.radius, 0.01f);
        EXPECT_NEAR(Car().SlideSpeed, c.slide, 0.01f);
        EXPECT_NEAR(Car().TipSpeed, c.tip, 0.01f);
        EXPECT_NEAR(Car().CentrifugalForce, c.centrifugal, c.centrifugalTolerance);
    }
}

TEST_F(DrivingForces, NoCurveWhenDrivingStraightOrStanding) {
    // Steering straight, then steering a standing car: no curve figures, and the skid ends.
    const float cases[][2] = {{0.0f, 0.5f}, {0.7f, 0.0f}};
    for (const auto& c : cases) {
        Car().Steering = 0.5f;
        Car().StepLength = 0.5f;
        Car().SpeedKmh = 90.0f;
        UpdateDrivingForces();
        ASSERT_NE(Car().TipSpeed, 0.0f);
        Car().Skidding = 1;
        Car().Steering = c[0];
        Car().StepLength = c[1];
        UpdateDrivingForces();
        EXPECT_EQ(Car().CurveRadius, 0.0f);
        EXPECT_EQ(Car().CentrifugalForce, 0.0f);
        EXPECT_EQ(Car().SlideSpeed, 0.0f);
        EXPECT_EQ(Car().TipSpeed, 0.0f);
        ApplyResistanceAndWheels();
        EXPECT_EQ(Car().Skidding, 0);
    }
}

TEST_F(DrivingForces, EnergyAndResistanceAtHundredKmh) {
    Car().SpeedKmh = 100.0f;
    Car().StepLength = 0.3f;
    UpdateDrivingForces();
    EXPECT_NEAR(Car().KineticEnergy, 4000.0f, 0.01f);
    EXPECT_NEAR(Car().Resistance, 3952.9f, 0.05f);

    // 0.01797 per second, spread over the frames of that second.
    ApplyResistanceAndWheels();
    EXPECT_NEAR(Car().StepLength, 0.3f - 0.01797f / 100.0f, 2e-7f);
    Fps = 50;
    const float before = Car().StepLength;
    ApplyResistanceAndWheels();
    EXPECT_NEAR(before - Car().StepLength, 0.01797f / 50.0f, 2e-7f);
}

TEST_F(DrivingForces, DistanceGrowsOnlyWhenDrivingForwards) {
    Car().SpeedKmh = 36.0f; // 10 m/s
    UpdateDrivingForces();
    EXPECT_NEAR(Car().Distance, 0.1f, 1e-6f);
    UpdateDrivingForces();
    EXPECT_NEAR(Car().Distance, 0.2f, 1e-6f);

    Car().SpeedKmh = -18.0f;
    Car().StepLength = -0.05f;
    UpdateDrivingForces();
    EXPECT_NEAR(Car().Distance, 0.2f, 1e-6f);
    EXPECT_GT(Car().KineticEnergy, 0.0f);
    EXPECT_GT(Car().Resistance, Car().RollResistance);
    ApplyResistanceAndWheels();
    EXPECT_LT(Car().StepLength, -0.05f);
}

TEST_F(DrivingForces, SkiddingStartsAboveTheTipSpeedAndLastsUntilTheCurveEnds) {
    // Equal speed is not above it.
    Car().TipSpeed = 100.0f;
    Car().SpeedKmh = 100.0f;
    ApplyResistanceAndWheels();
    EXPECT_EQ(Car().Skidding, 0);

    Car().TipSpeed = 100.0f;
    Car().SpeedKmh = 100.5f;
    ApplyResistanceAndWheels();
    EXPECT_EQ(Car().Skidding, 1);

    // Slower again, still in a curve: the skid goes on.
    Car().TipSpeed = 100.0f;
    Car().SpeedKmh = 40.0f;
    ApplyResistanceAndWheels();
    EXPECT_EQ(Car().Skidding, 1);

    Car().TipSpeed = 0.0f;
    ApplyResistanceAndWheels();
    EXPECT_EQ(Car().Skidding, 0);
}

TEST_F(DrivingForces, DirectionOfTravelApproachesTheHeadingThenSnaps) {
    Car().AngleZ = 10.0f;
    int frames = 0;
    float last = Car().WheelAngle;
    while (Car().WheelAngle != Car().AngleZ && frames < 100) {
        ApplyResistanceAndWheels();
        frames++;
        if (Car().WheelAngle != Car().AngleZ) {
            EXPECT_NEAR(Car().WheelAngle - last, 0.32f, 1e-4f);
            last = Car().WheelAngle;
        }
    }
    // 31 steps of 0.32 leave 0.08, and the 32nd snaps.
    EXPECT_EQ(frames, 32);
    EXPECT_NEAR(Car().AngleDiff, 0.08f, 1e-3f);

    Car().AngleZ = -10.0f;
    Car().WheelAngle = 0.0f;
    ApplyResistanceAndWheels();
    EXPECT_FLOAT_EQ(Car().WheelAngle, -0.32f);
    EXPECT_FLOAT_EQ(Car().AngleDiff, 10.0f);
}

TEST_F(DrivingForces, NoSnapAtExactlyTheLimitOrWhileSkidding) {
    Car().AngleZ = 0.2f;
    ApplyResistanceAndWheels();
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.32f);
    EXPECT_FLOAT_EQ(Car().AngleDiff, 0.2f);

    // A skidding car keeps its direction of travel apart from the heading even when they nearly agree.
    Car().AngleZ = 0.1f;
    Car().WheelAngle = 0.0f;
    Car().Skidding = 1;
    Car().TipSpeed = 50.0f;
    Car().SpeedKmh = 20.0f;
    ApplyResistanceAndWheels();
    EXPECT_EQ(Car().Skidding, 1);
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.32f);
}

TEST_F(DrivingForces, EveryActorIsUpdatedAndNothingWithoutARate) {
    ActorCount = 3;
    ResizeArray(Actors, 3);
    Actors[2] = Actors[1] = Actors[0];
    Actors[2].SpeedKmh = 100.0f;
    Actors[2].AngleZ = 5.0f;
    UpdateDrivingForces();
    ApplyResistanceAndWheels();
    EXPECT_NEAR(Actors[2].KineticEnergy, 4000.0f, 0.01f);
    EXPECT_FLOAT_EQ(Actors[2].WheelAngle, 0.32f);
    EXPECT_EQ(Actors[1].WheelAngle, 0.0f);

    // Before the first build there is no frame rate: per-frame amounts are 0.
    Fps = 0;
    EXPECT_EQ(PerFrameScale(90.0f), 0.0f);
}

} // namespace
