// The outline passes: obstacle outlines of the occupied cells and car outlines in the map frame, probe lines
// in the world frame, and what the line view draws of them.
#include <gtest/gtest.h>

#include "scene/Scene.h"
#include "scene/SmallWorld.h"
#include "world/DatenStruktur.h"

using namespace smallworld;

namespace {

constexpr uint32_t White = 0xFFFFFFFFu;

class OutlinePasses : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        MakeSmallWorld(2);
        CurrentActor = 0;
        PlaceActor(0, 740.0f, 2750.0f);
        PlaceActor(1, 760.0f, 2760.0f);
        CanvasCreate(&BackBuffer, 600, 600);
    }
    void TearDown() override { CanvasFree(&BackBuffer); }
};

void ExpectLine(const TCollisionLine& line, float x1, float y1, float x2, float y2) {
    EXPECT_NEAR(line.X1, x1, 1e-3);
    EXPECT_NEAR(line.Y1, y1, 1e-3);
    EXPECT_NEAR(line.X2, x2, 1e-3);
    EXPECT_NEAR(line.Y2, y2, 1e-3);
}

TEST_F(OutlinePasses, ObstacleGivesFourLinesOwnedByItsPlacement) {
    AddPlacement(51, ModelBorder, 0, 0);
    AddPlacement(51, ModelStraightIdeal, 250, 250);
    AddPlacement(51, ModelQuader, 150, 350);
    QuadrantLines[51].Lines[0] = TCollisionLine{-7, -7, 1, 2, 3, 4};

    BuildQuadrantLines();

    const TKollisionsLinien& cell = QuadrantLines[51];
    ASSERT_EQ(cell.LineCount, 4); // the border and the ideal line give none
    for (int32_t k = 1; k <= 4; k++) {
        EXPECT_EQ(cell.Lines[(size_t)k].OwnerType, 11);
        EXPECT_EQ(cell.Lines[(size_t)k].Owner, 2);
    }
    // Placed at (650, 2850) in the world, seen from the current actor at (740, 2750): map (210, 400).
    ExpectLine(cell.Lines[1], 220, 410, 220, 390);
    ExpectLine(cell.Lines[2], 220, 390, 200, 390);
    ExpectLine(cell.Lines[3], 200, 390, 200, 410);
    ExpectLine(cell.Lines[4], 200, 410, 220, 410); // closed back to the first corner
    EXPECT_EQ(cell.Lines[0].Owner, -7);
    EXPECT_EQ(cell.Lines[0].OwnerType, -7);
    EXPECT_EQ(cell.Lines[0].X1, 1.0f);
}

TEST_F(OutlinePasses, TurnedObstacleKeepsItsSquareShape) {
    AddPlacement(51, ModelQuader, 220, 230, 60);
    BuildQuadrantLines();
    const TKollisionsLinien& cell = QuadrantLines[51];
    ASSERT_EQ(cell.LineCount, 4);
    for (int32_t k = 1; k <= 4; k++) {
        const TCollisionLine& line = cell.Lines[(size_t)k];
        EXPECT_NEAR(std::hypot(line.X2 - line.X1, line.Y2 - line.Y1), 20.0, 1e-3);
    }
    // The first corner (10, 10) turned by 60 degrees lies at about (-3.66, 13.66) from the placement.
    EXPECT_NEAR(cell.Lines[1].X1, 720 + 300 - 740 - 3.661, 0.02);
    EXPECT_NEAR(cell.Lines[1].Y1, 2730 + 300 - 2750 + 13.661, 0.02);
}

TEST_F(OutlinePasses, CellWithTwoActorsIsBuiltOnceAndEmptyCellsAreLeftAlone) {
    AddPlacement(51, ModelQuader, 150, 350);
    AddPlacement(51, ModelQuader, 310, 370, 75);
    QuadrantLines[52].LineCount = 3; // no actor there: an old frame's lines stay

    BuildQuadrantLines();
    EXPECT_EQ(QuadrantLines[51].LineCount, 8);
    EXPECT_EQ(QuadrantLines[51].Lines[5].Owner, 1);
    EXPECT_EQ(QuadrantLines[52].LineCount, 3);

    // The next frame rebuilds rather than appends.
    BuildQuadrantLines();
    EXPECT_EQ(QuadrantLines[51].LineCount, 8);
}

TEST_F(OutlinePasses, OccupiedCellWithoutObstaclesEndsEmpty) {
    QuadrantLines[51].LineCount = 9;
    AddPlacement(51, ModelStraightRoad, 250, 250);
    BuildQuadrantLines();
    EXPECT_EQ(QuadrantLines[51].LineCount, 0);
}

TEST_F(OutlinePasses, CurrentActorSitsAtTheScreenCentre) {
    PlaceActor(0, 1234.5f, 3001.25f);
    PlaceActor(1, 1254.5f, 2991.25f);
    BuildActorLines();

    // Outline 2 3 0 1: (-1,-2) (-0.9,2) (0.9,2) (1,-2), closed.
    const TKollisionsLinien& own = ActorLines[0];
    ASSERT_EQ(own.LineCount, 4);
    ExpectLine(own.Lines[1], 299, 298, 299.1f, 302);
    ExpectLine(own.Lines[4], 301, 298, 299, 298);
    EXPECT_EQ(own.Lines[1].Owner, 0);

    // The other car lies 20 further along x and 10 back along y.
    const TKollisionsLinien& other = ActorLines[1];
    ASSERT_EQ(other.LineCount, 4);
    ExpectLine(other.Lines[1], 319, 288, 319.1f, 292);
    EXPECT_EQ(other.Lines[3].Owner, 1);
}

TEST_F(OutlinePasses, ActorOutlineTurnsWithTheHeading) {
    PlaceActor(0, 740.0f, 2750.0f, 90.0f);
    BuildActorLines();
    // A quarter turn sends the rear corner (-1, -2) to about (2, -1).
    EXPECT_NEAR(ActorLines[0].Lines[1].X1, 302.0, 0.01);
    EXPECT_NEAR(ActorLines[0].Lines[1].Y1, 299.0, 0.01);
}

TEST_F(OutlinePasses, ProbeLineStaysInTheWorldFrame) {
    PlaceActor(1, 760.0f, 2760.0f);
    BuildProbeLines();
    ASSERT_EQ(ProbeLines[1].LineCount, 1);
    ExpectLine(ProbeLines[1].Lines[1], 760, 2746, 760, 2767);
    EXPECT_EQ(ProbeLines[1].Lines[1].Owner, 1);
    EXPECT_EQ(ProbeLines[0].LineCount, 1);
}

TEST_F(OutlinePasses, ListsNeverGrowBeyondTheirEntries) {
    for (int32_t p = 0; p < 10; p++)
        AddPlacement(51, ModelQuader, 40.0f * (float)p, 100);
    ResizeArray(QuadrantLines[51].Lines, 6); // room for five lines
    ResizeArray(ActorLines[0].Lines, 1);     // room for none
    BuildQuadrantLines();
    BuildActorLines();
    EXPECT_EQ(QuadrantLines[51].LineCount, 5);
    EXPECT_EQ(QuadrantLines[51].Lines.size(), 6u);
    EXPECT_EQ(ActorLines[0].LineCount, 0);
    EXPECT_EQ(ActorLines[1].LineCount, 4);
}

TEST_F(OutlinePasses, LineViewDrawsOutlinesInTheirColours) {
    AddPlacement(51, ModelQuader, 150, 350);
    CheckLineMode = 1;
    BuildProbeLines();
    BuildActorLines();
    BuildQuadrantLines();
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 220, 400)), RGBColor(255, 10, 10));
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 299, 300)), RGBColor(0, 255, 0));
    // The probe of the current actor runs from 14 behind it to 7 ahead.
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 300, 290)), RGBColor(255, 50, 50));
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 300, 305)), RGBColor(255, 50, 50));
}

TEST_F(OutlinePasses, WithoutLineViewListsAreBuiltButNothingIsDrawn) {
    AddPlacement(51, ModelQuader, 150, 350);
    CheckLineMode = 0;
    BuildProbeLines();
    BuildActorLines();
    BuildQuadrantLines();
    EXPECT_EQ(QuadrantLines[51].LineCount, 4);
    EXPECT_EQ(ActorLines[0].LineCount, 4);
    EXPECT_EQ(ProbeLines[0].LineCount, 1);
    for (int32_t y = 0; y < 600; y += 3) {
        for (int32_t x = 0; x < 600; x += 3)
            ASSERT_EQ(CanvasPixel(&BackBuffer, x, y), White) << x << "," << y;
    }
}

} // namespace
