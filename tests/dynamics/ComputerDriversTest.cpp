// The computer drivers: throttle, the side rule at the crossing of a feeler with the ideal line, the
// precedence of the far feeler, and what the line view shows of the search.
#include <gtest/gtest.h>

#include <string>

#include "dynamics/Dynamics.h"
#include "scene/SmallWorld.h"
#include "world/DatenStruktur.h"

using namespace smallworld;

namespace {

constexpr int32_t TestLine = 9; // a free model entry for hand-made ideal lines
constexpr int32_t Cell = 52;    // origin (1000, 2500)

// A diagonal through the near feeler left of the car and the far feeler right of it.
const float DiagonalVertices[] = {100, 255, 0, 400, 285, 0};
// A short diagonal that reaches the near feeler only.
const float ShortVertices[] = {100, 255, 0, 200, 265, 0};
// A line that starts exactly on the far feeler.
const float TouchingVertices[] = {350, 280, 0, 350, 400, 0};
const int32_t TwoPointLine[] = {0, 1, 99999};

struct TTextSeen {
    int32_t X, Y;
    std::string Text;
    int Count;
};
TTextSeen Seen;

void NoteText(const TCanvas*, int32_t x, int32_t y, const char* text) {
    Seen.X = x;
    Seen.Y = y;
    Seen.Text = text;
    Seen.Count++;
}

class ComputerDrivers : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        MakeSmallWorld(2);
        DemoMode = 1;
        CurrentActor = 1;
        PlaceActor(0, 1250.0f, 2750.0f);
        PlaceActor(1, 3250.0f, 250.0f); // cell 6, nothing there
        Seen = TTextSeen{0, 0, "", 0};
        CanvasTextObserver = NoteText;
    }
    void TearDown() override {
        CanvasTextObserver = nullptr;
        CanvasFree(&BackBuffer);
    }
    static void UseLine(const float* vertices) {
        DefineModel(TestLine, 13, vertices, 30, {{2, RGBColor(0, 200, 200), TwoPointLine}});
        AddPlacement(Cell, TestLine, 0, 0);
    }
};

TEST_F(ComputerDrivers, CrossingAtTheMiddleStraightensTheCar) {
    AddPlacement(Cell, ModelStraightIdeal, 250, 250); // x = 1250, right under the car
    Actors[0].SteerSide = 1;
    Actors[0].Steering = 0.5f;
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, 0);
    EXPECT_EQ(Actors[0].Steering, 0.0f);

    // Staying on the line keeps whatever steering the car has.
    Actors[0].Steering = 0.3f;
    SteerComputerActors();
    EXPECT_EQ(Actors[0].Steering, 0.3f);
}

TEST_F(ComputerDrivers, LineOnTheRightHalfSteersDownAndChangingSidesRestarts) {
    AddPlacement(Cell, ModelStraightIdeal, 350, 250); // 100 to the +x side of the car
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, -1);
    EXPECT_FLOAT_EQ(Actors[0].Steering, -0.01f);
    SteerComputerActors();
    EXPECT_FLOAT_EQ(Actors[0].Steering, -0.02f);

    PlaceActor(0, 1460.0f, 2750.0f); // now the line is on the -x half
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, 1);
    EXPECT_FLOAT_EQ(Actors[0].Steering, 0.01f);
}

TEST_F(ComputerDrivers, FarFeelerTakesPrecedence) {
    UseLine(DiagonalVertices);
    CheckLineMode = 1;
    CurrentActor = 0;
    SteerComputerActors();
    // The far feeler meets the diagonal at 0.75 of its width: the near one, at 0.25, is not asked.
    EXPECT_EQ(Actors[0].SteerSide, -1);
    EXPECT_EQ(Seen.Text, "0");
    EXPECT_EQ(Seen.Count, 1);
    EXPECT_EQ(Seen.X, 1350 + 300 - 1250 - 4);
    EXPECT_EQ(Seen.Y, 2780 + 300 - 2750 - 4);
}

TEST_F(ComputerDrivers, NearFeelerIsAskedWhenTheFarOneFindsNothing) {
    UseLine(ShortVertices);
    CheckLineMode = 1;
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, 1);
    EXPECT_FLOAT_EQ(Actors[0].Steering, 0.01f);
    EXPECT_EQ(Seen.Text, "1");
}

TEST_F(ComputerDrivers, TouchingTheFeelerWithAnEndPointCounts) {
    UseLine(TouchingVertices);
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, -1);
}

TEST_F(ComputerDrivers, FeelersTurnWithTheCar) {
    // The straight turned by 90 runs along x at y = 2800; the car faces -x, so its feelers run along y.
    AddPlacement(Cell, ModelStraightIdeal, 250, 300, 90);
    PlaceActor(0, 1250.0f, 2750.0f, 90.0f);
    SteerComputerActors();
    EXPECT_EQ(Actors[0].SteerSide, -1);
    EXPECT_FLOAT_EQ(Actors[0].Steering, -0.01f);
}

TEST_F(ComputerDrivers, WithoutAnIdealLineTheCarOnlyAccelerates) {
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    AddPlacement(Cell, ModelQuader, 250, 250);
    Actors[0].StepLength = 0.5f;
    Actors[0].Steering = 0.25f;
    Actors[0].SteerSide = 1;
    Actors[0].Accel = 0.2f;
    SteerComputerActors();
    EXPECT_FLOAT_EQ(Actors[0].StepLength, 0.502f);
    EXPECT_EQ(Actors[0].Steering, 0.25f);
    EXPECT_EQ(Actors[0].SteerSide, 1);
}

TEST_F(ComputerDrivers, ThePlayersCarIsLeftAloneInARace) {
    AddPlacement(Cell, ModelStraightIdeal, 350, 250);
    PlaceActor(1, 1250.0f, 2760.0f);
    for (TActor& actor : Actors) {
        actor.StepLength = 1.0f;
        actor.Accel = 0.5f;
    }
    DemoMode = 0;
    CurrentActor = 0;
    SteerComputerActors();
    EXPECT_EQ(Actors[0].StepLength, 1.0f);
    EXPECT_EQ(Actors[0].Steering, 0.0f);
    EXPECT_EQ(Actors[0].SteerSide, 0);
    EXPECT_FLOAT_EQ(Actors[1].StepLength, 1.005f);
    EXPECT_EQ(Actors[1].SteerSide, -1);

    // In the demonstration every car is driven, the current one included.
    DemoMode = 1;
    SteerComputerActors();
    EXPECT_FLOAT_EQ(Actors[0].StepLength, 1.005f);
    EXPECT_EQ(Actors[0].SteerSide, -1);
}

TEST_F(ComputerDrivers, LineViewShowsFeelersAndTestedSegments) {
    CanvasCreate(&BackBuffer, 600, 600);
    AddPlacement(Cell, ModelStraightIdeal, 350, 250);
    CurrentActor = 0;
    CheckLineMode = 1;
    SteerComputerActors();
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 150, 330)), 0x969696); // far feeler
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 150, 310)), 0x969696); // near feeler
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 400, 200)), RGBColor(0, 200, 200));

    CheckLineMode = 0;
    CanvasFree(&BackBuffer);
    CanvasCreate(&BackBuffer, 600, 600);
    Seen.Count = 0;
    SteerComputerActors();
    EXPECT_EQ(CanvasPixel(&BackBuffer, 150, 330), 0xFFFFFFFFu);
    EXPECT_EQ(Seen.Count, 0);
}

} // namespace
