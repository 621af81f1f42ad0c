// Actor motion: steering bound, body and direction of travel while skidding, off-road drag, speed bounds,
// the step along the direction of travel, and the crossing of cells in the wrapping grid.
#include <gtest/gtest.h>

#include "dynamics/Dynamics.h"
#include "shell/Texts.h"
#include "world/DatenStruktur.h"

namespace {

class ActorMotion : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        Fps = 100;
        ActorCount = 1;
        ResizeArray(Actors, 1);
        TActor& car = Actors[0];
        car.QuadCol = 1;
        car.QuadRow = 5;
        car.QuadIndex = 51;
        car.QuadPosX = 240.0f;
        car.QuadPosY = 250.0f;
        car.PosX = 740.0f;
        car.PosY = 2750.0f;
        car.MaxStepLength = 2.0f;
        car.OnRoad = 1;
        car.TouchQuad[9] = 51;
    }
    static TActor& Car() { return Actors[0]; }
    // A skidding car steering by 0.6 degrees this frame, with the given difference of heading and travel.
    static void Skid(float angleDiff) {
        Car().Skidding = 1;
        Car().AngleDiff = angleDiff;
        Car().Steering = 0.6f;
        Car().AngleZ = 0.0f;
        Car().WheelAngle = 0.0f;
        Message.clear();
    }
};

TEST_F(ActorMotion, SteeringIsBoundToNinetyDegreesPerSecond) {
    Car().Steering = 5.0f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().Steering, 0.9f);
    EXPECT_FLOAT_EQ(Car().AngleZ, 0.9f);
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.9f);

    Car().Steering = -5.0f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().Steering, -0.9f);
    EXPECT_NEAR(Car().AngleZ, 0.0f, 1e-6f);

    Fps = 50;
    Car().Steering = 5.0f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().Steering, 1.8f);

    // Within the bound the steering passes unchanged.
    Car().Steering = 0.5f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().Steering, 0.5f);
}

TEST_F(ActorMotion, SkiddingCarFollowsTheSteeringPartlyOrNotAtAll) {
    Skid(39.0f);
    MoveActors();
    EXPECT_FLOAT_EQ(Car().AngleZ, 0.6f);
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.3f); // on the road: half

    Skid(39.0f);
    Car().TouchQuad[9] = 0;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.2f); // off the road: a third

    for (float limit : {40.0f, 45.0f}) {
        Skid(limit);
        MoveActors();
        EXPECT_FLOAT_EQ(Car().AngleZ, 0.6f);
        EXPECT_EQ(Car().WheelAngle, 0.0f);
        EXPECT_TRUE(Message.empty());
    }

    Skid(45.5f);
    MoveActors();
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.6f);
    EXPECT_EQ(Message, "S ch w i n d e l g e f ü h l e !");

    // Without a skid body and travel turn alike.
    Skid(50.0f);
    Car().Skidding = 0;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().WheelAngle, 0.6f);
    EXPECT_TRUE(Message.empty());
}

TEST_F(ActorMotion, OffRoadDragAboveThreeTenths) {
    Car().OnRoad = 0;
    Car().StepLength = 0.3f;
    MoveActors();
    EXPECT_EQ(Car().StepLength, 0.3f);

    Car().StepLength = 0.5f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.497f);

    // Still undecided counts as off the road.
    Car().OnRoad = -1;
    Car().StepLength = 0.5f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().StepLength, 0.497f);

    Car().OnRoad = 1;
    Car().StepLength = 0.5f;
    MoveActors();
    EXPECT_EQ(Car().StepLength, 0.5f);
}

TEST_F(ActorMotion, StepLengthIsBoundedAndGivesTheSpeed) {
    Car().StepLength = -0.7f;
    MoveActors();
    EXPECT_EQ(Car().StepLength, -0.5f);
    EXPECT_FLOAT_EQ(Car().SpeedKmh, -180.0f);

    Car().StepLength = 2.5f;
    MoveActors();
    EXPECT_EQ(Car().StepLength, 2.0f);
    EXPECT_FLOAT_EQ(Car().SpeedKmh, 720.0f);

    Fps = 50;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().SpeedKmh, 360.0f);
}

TEST_F(ActorMotion, StepFollowsTheDirectionOfTravel) {
    Car().StepLength = 1.0f;
    MoveActors();
    EXPECT_NEAR(Car().StepX, 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(Car().StepY, 1.0f);
    EXPECT_FLOAT_EQ(Car().PosY, 2751.0f);
    EXPECT_FLOAT_EQ(Car().QuadPosY, 251.0f);

    // 90 game degrees turn a little past the quarter: the step keeps a trace of -y.
    Car().WheelAngle = 90.0f;
    MoveActors();
    EXPECT_NEAR(Car().StepX, -1.0f, 1e-6f);
    EXPECT_NEAR(Car().StepY, -0.000603f, 2e-6f);
    EXPECT_EQ(Car().StepZ, 0.0f);
    EXPECT_FLOAT_EQ(Car().PosX, 739.0f);
    EXPECT_FLOAT_EQ(Car().QuadPosX, 239.0f);
    EXPECT_EQ(RotAngleZ, 90.0f);

    Car().WheelAngle = 45.0f;
    MoveActors();
    EXPECT_NEAR(Car().StepX, -0.7073f, 1e-4f);
    EXPECT_NEAR(Car().StepY, 0.7069f, 1e-4f);

    // The body heading alone does not steer the step.
    Car().WheelAngle = 0.0f;
    Car().AngleZ = 90.0f;
    MoveActors();
    EXPECT_FLOAT_EQ(Car().StepY, 1.0f);
}

TEST_F(ActorMotion, PoseIsSavedUnlessInWallContact) {
    Car().StepLength = 1.0f;
    Car().AngleZ = 12.0f;
    Car().WheelAngle = 12.0f;
    MoveActors();
    EXPECT_EQ(Car().PrevPosX, 740.0f);
    EXPECT_EQ(Car().PrevPosY, 2750.0f);
    EXPECT_EQ(Car().PrevAngleZ, 12.0f);

    Car().BounceTurn = 3.0f;
    Car().Steering = 0.5f;
    MoveActors();
    EXPECT_EQ(Car().PrevPosX, 740.0f);
    EXPECT_EQ(Car().PrevPosY, 2750.0f);
    EXPECT_EQ(Car().PrevAngleZ, 12.0f);
    EXPECT_NE(Car().PosY, Car().PrevPosY);
}

TEST_F(ActorMotion, CellEdgesThemselvesAreNoCrossing) {
    Car().QuadPosX = 500.0f;
    Car().QuadPosY = 0.0f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 1);
    EXPECT_EQ(Car().QuadRow, 5);
    EXPECT_EQ(Car().QuadPosX, 500.0f);

    Car().QuadPosX = 0.0f;
    Car().QuadPosY = 500.0f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 1);
    EXPECT_EQ(Car().QuadRow, 5);
    EXPECT_EQ(Car().QuadIndex, 51);
}

TEST_F(ActorMotion, CrossingIntoTheNextCell) {
    Car().QuadPosY = 500.0f;
    Car().PosY = 3000.0f;
    Car().StepLength = 0.01f;
    MoveActors();
    EXPECT_EQ(Car().QuadRow, 6);
    EXPECT_EQ(Car().QuadIndex, 61);
    EXPECT_NEAR(Car().QuadPosY, 0.01f, 1e-4f);
    EXPECT_FLOAT_EQ(Car().PosY, 3000.01f);

    Car().StepLength = 0.0f;
    Car().QuadPosX = 500.01f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 2);
    EXPECT_EQ(Car().QuadIndex, 62);
    EXPECT_NEAR(Car().QuadPosX, 0.01f, 1e-4f);

    Car().QuadPosX = -0.25f;
    Car().QuadPosY = -0.5f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 1);
    EXPECT_EQ(Car().QuadRow, 5);
    EXPECT_EQ(Car().QuadIndex, 51);
    EXPECT_FLOAT_EQ(Car().QuadPosX, 499.75f);
    EXPECT_FLOAT_EQ(Car().QuadPosY, 499.5f);
}

TEST_F(ActorMotion, GridWrapsAtItsEdges) {
    Car().QuadCol = 9;
    Car().QuadRow = 9;
    Car().QuadPosX = 500.5f;
    Car().QuadPosY = 500.25f;
    Car().PosX = 5000.5f;
    Car().PosY = 5000.25f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 0);
    EXPECT_EQ(Car().QuadRow, 0);
    EXPECT_EQ(Car().QuadIndex, 0);
    EXPECT_FLOAT_EQ(Car().PosX, 0.5f);
    EXPECT_FLOAT_EQ(Car().PosY, 0.25f);
    EXPECT_FLOAT_EQ(Car().QuadPosX, 0.5f);

    Car().QuadPosX = -0.5f;
    Car().QuadPosY = -0.75f;
    Car().PosX = -0.5f;
    Car().PosY = -0.75f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 9);
    EXPECT_EQ(Car().QuadRow, 9);
    EXPECT_EQ(Car().QuadIndex, 99);
    EXPECT_FLOAT_EQ(Car().PosX, 4999.5f);
    EXPECT_FLOAT_EQ(Car().PosY, 4999.25f);
    EXPECT_FLOAT_EQ(Car().QuadPosY, 499.25f);
}

TEST_F(ActorMotion, EveryActorMoves) {
    ActorCount = 3;
    ResizeArray(Actors, 3);
    for (TActor& car : Actors) {
        car = Actors[0];
        car.StepLength = 1.0f;
    }
    Actors[1].StepLength = 0.5f;
    MoveActors();
    EXPECT_FLOAT_EQ(Actors[0].PosY, 2751.0f);
    EXPECT_FLOAT_EQ(Actors[1].PosY, 2750.5f);
    EXPECT_FLOAT_EQ(Actors[2].PosY, 2751.0f);
}

} // namespace
