// Actor motion: steering bound, body and direction of travel while skidding, off-road drag, speed bounds,
// the step along the direction of travel, and the crossing of cells in the wrapping grid.
#include <gtest/gtest.h>

#include "dynamics/Dynamics.h"
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
        car.TouchQuad[RoadType] = 51;
    }
    static TActor& Car() { return Actors[0]; }
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
    struct SkidCase {
        uint8_t skidding;
        float angleDiff;
        int32_t roadCell;
        float wheelTurn;
        bool dizzy;
    };
    const SkidCase cases[] = {
        {1, 39.0f, 51, 0.3f, false},                             // on the road: half
        {1, 39.0f, 0, 0.2f, false},                              // off the road: a third
        {1, 40.0f, 51, 0.0f, false},                             // from 40 to 45 not at all
        {1, 45.0f, 51, 0.0f, false}, {1, 45.5f, 51, 0.6f, true}, // beyond 45 fully, and the driver gets dizzy
        {0, 50.0f, 51, 0.6f, false},                             // without a skid body and travel turn alike
    };
    for (const SkidCase& c : cases) {
        SCOPED_TRACE(c.angleDiff);
        Car().Skidding = c.skidding;
        Car().AngleDiff = c.angleDiff;
        Car().TouchQuad[RoadType] = c.roadCell;
        Car().Steering = 0.6f;
        Car().AngleZ = Car().WheelAngle = 0.0f;
        Message.clear();
        MoveActors();
        EXPECT_FLOAT_EQ(Car().AngleZ, 0.6f);
        EXPECT_FLOAT_EQ(Car().WheelAngle, c.wheelTurn);
        EXPECT_EQ(Message, c.dizzy ? "S ch w i n d e l g e f ü h l e !" : "");
    }
}

TEST_F(ActorMotion, OffRoadDragAboveThreeTenths) {
    // On the road, off it, and still undecided (-1), which counts as off. The float nearest 0.3 lies above
    // the decimal 0.3 and gets the drag; the float below it does not.
    const float cases[][3] = {{0, 0.29999998f, 0.29999998f},
                              {0, 0.3f, 0.297f},
                              {0, 0.5f, 0.497f},
                              {-1, 0.5f, 0.497f},
                              {1, 0.5f, 0.5f}};
    for (const auto& c : cases) {
        Car().OnRoad = (int32_t)c[0];
        Car().StepLength = c[1];
        MoveActors();
        EXPECT_FLOAT_EQ(Car().StepLength, c[2]) << "OnRoad " << c[0] << ", step " << c[1];
    }
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

TEST_F(ActorMotion, EveryActorSavesItsPoseUnlessInWallContact) {
    ActorCount = 2;
    ResizeArray(Actors, 2);
    Car().StepLength = 1.0f;
    Car().AngleZ = Car().WheelAngle = 12.0f;
    Actors[1] = Car();
    Actors[1].BounceTurn = 3.0f;
    Actors[1].PrevPosY = 2700.0f;
    MoveActors();
    EXPECT_EQ(Car().PrevPosX, 740.0f);
    EXPECT_EQ(Car().PrevPosY, 2750.0f);
    EXPECT_EQ(Car().PrevAngleZ, 12.0f);
    // The car in contact keeps the pose from before the contact, and still moves.
    EXPECT_EQ(Actors[1].PrevPosY, 2700.0f);
    EXPECT_EQ(Actors[1].PrevAngleZ, 0.0f);
    EXPECT_EQ(Actors[1].PosY, Car().PosY);
}

TEST_F(ActorMotion, CrossingIntoTheNextCell) {
    // The edges themselves are no crossing.
    Car().QuadPosX = 500.0f;
    Car().QuadPosY = 0.0f;
    MoveActors();
    Car().QuadPosX = 0.0f;
    Car().QuadPosY = 500.0f;
    MoveActors();
    EXPECT_EQ(Car().QuadCol, 1);
    EXPECT_EQ(Car().QuadRow, 5);
    EXPECT_EQ(Car().QuadIndex, 51);

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

} // namespace
