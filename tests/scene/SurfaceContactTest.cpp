// The surface test: which road quads and checkpoint rectangles each car stands on, decided per frame from the
// polygons of its own cell.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/Scene.h"
#include "scene/SmallWorld.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

using namespace smallworld;

namespace {

constexpr int32_t TestModel = 9;
constexpr int32_t Cell = 52; // origin (1000, 2500)

// A square 400 across with a hit radius of 100: points well inside it can still miss the centre test.
const float WideVertices[] = {-200, -200, 0, 200, -200, 0, 200, 200, 0, -200, 200, 0};
const int32_t WideFaces[] = {2, 3, 0, 1, -1, 99999};

class SurfaceContact : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        MakeSmallWorld(3);
        CurrentActor = 0;
        PlaceActor(0, 1250.0f, 2750.0f);
        PlaceActor(1, 3250.0f, 250.0f);
        PlaceActor(2, 4250.0f, 250.0f);
    }
    void TearDown() override { CanvasFree(&BackBuffer); }
};

TEST_F(SurfaceContact, CarOnAStraightIsOnTheRoadAndBesideItIsNot) {
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    PlaceActor(0, 1262.0f, 2870.0f);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
    EXPECT_EQ(Actors[0].TouchQuad[RoadType], Cell);

    PlaceActor(0, 1265.5f, 2870.0f); // half a metre beyond the road edge at x = 1265
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 0);
    EXPECT_EQ(Actors[0].TouchQuad[RoadType], 0);
}

TEST_F(SurfaceContact, TurnedRoadRunsAlongX) {
    AddPlacement(Cell, ModelStraightRoad, 250, 250, 90);
    PlaceActor(0, 1410.0f, 2752.0f);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
    PlaceActor(0, 1250.0f, 2850.0f);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 0);
}

TEST_F(SurfaceContact, CarOnTheSharedEdgeOfTwoQuadsIsOnTheRoad) {
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    PlaceActor(0, 1250.0f, 2950.0f); // the edge between the first and the second quad
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
    PlaceActor(0, 1265.0f, 2950.0f); // and on the corner where they meet the road edge
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
}

TEST_F(SurfaceContact, DistanceOfExactlyTheRadiusIsNotTested) {
    DefineModel(TestModel, 9, WideVertices, 100, {{1, RGBColor(0, 0, 255), WideFaces}});
    AddPlacement(Cell, TestModel, 250, 250);
    PlaceActor(0, 1350.0f, 2750.0f);
    PlaceActor(1, 1250.0f, 2650.0f);
    PlaceActor(2, 1349.99f, 2650.01f);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 0);
    EXPECT_EQ(Actors[1].OnRoad, 0);
    EXPECT_EQ(Actors[2].OnRoad, 1);
}

TEST_F(SurfaceContact, CheckpointCountsOnlyWhenPlacedBeforeTheRoad) {
    // Two cells alike but for the order of checkpoint and road.
    AddPlacement(Cell, ModelStartCheckpoint, 250, 50);
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    AddPlacement(53, ModelStraightRoad, 250, 250);
    AddPlacement(53, ModelWayCheckpoint, 250, 50);
    PlaceActor(0, 1250.0f, 2555.0f);
    PlaceActor(1, 1750.0f, 2555.0f);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
    EXPECT_EQ(Actors[0].TouchQuad[StartCheckpointType], Cell);
    EXPECT_EQ(Actors[1].OnRoad, 1);
    EXPECT_EQ(Actors[1].TouchQuad[WayCheckpointType], 0);
}

TEST_F(SurfaceContact, CheckpointBesideTheRoadIsRecordedOffRoad) {
    AddPlacement(53, ModelStraightRoad, 250, 250);
    AddPlacement(53, ModelWayCheckpoint, 250, 50);
    PlaceActor(0, 1790.0f, 2540.0f); // on the rectangle, off the road
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 0);
    EXPECT_EQ(Actors[0].TouchQuad[WayCheckpointType], 53);
}

TEST_F(SurfaceContact, EmptyCellLeavesNothingFromTheLastFrame) {
    AddPlacement(Cell, ModelQuader, 250, 250);
    AddPlacement(Cell, ModelBorder, 0, 0);
    Actors[0].OnRoad = 1;
    for (int32_t& entry : Actors[0].TouchQuad)
        entry = 77;
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 0);
    for (int32_t entry : Actors[0].TouchQuad)
        EXPECT_EQ(entry, 0);
    EXPECT_EQ(Actors[1].OnRoad, 0);
}

TEST_F(SurfaceContact, CarsOnlySeeTheirOwnCell) {
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    // Actor 1 stands where the road of cell 52 lies, but its cell says 6.
    Actors[1].PosX = 1250.0f;
    Actors[1].PosY = 2750.0f;
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
    EXPECT_EQ(Actors[1].OnRoad, 0);
}

TEST_F(SurfaceContact, BendIsDrivableAlongItsCentreLine) {
    AddPlacement(Cell, ModelCurveRoad, 250, 250);
    // The centre line is a quarter circle of radius 250 about the cell corner (500, 0).
    for (int32_t step = 1; step < 20; step++) {
        const double a = 1.5708 * step / 20.0;
        PlaceActor(0, (float)(1500.0 - 250.0 * std::cos(a)), (float)(2500.0 + 250.0 * std::sin(a)));
        TestSurfaces();
        EXPECT_EQ(Actors[0].OnRoad, 1) << "step " << step;
    }
}

TEST_F(SurfaceContact, PolygonOfMoreThanAHundredEdgesIsCutShort) {
    std::vector<float> ring;
    std::vector<int32_t> faces;
    for (int32_t k = 0; k < 150; k++) {
        const double a = 6.2831853 * k / 150.0; // counter-clockwise, as the road quads run
        ring.insert(ring.end(), {(float)(20.0 * std::cos(a)), (float)(20.0 * std::sin(a)), 0.0f});
        faces.push_back(k);
    }
    faces.push_back(-1);
    faces.push_back(99999);
    DefineModel(TestModel, 9, ring.data(), 30, {{1, RGBColor(0, 0, 255), faces.data()}});
    AddPlacement(Cell, TestModel, 250, 250);
    TestSurfaces();
    EXPECT_EQ(Actors[0].OnRoad, 1);
}

TEST_F(SurfaceContact, LineViewDrawsOnlyPolygonsNearACar) {
    CanvasCreate(&BackBuffer, 600, 600);
    AddPlacement(Cell, ModelStraightRoad, 250, 250);
    AddPlacement(Cell, ModelWayCheckpoint, 250, 50);
    CheckLineMode = 1;
    TestSurfaces();
    // The car at the middle of the road: the quad edge at y = 2800 lies 50 below the screen centre.
    EXPECT_EQ(ColorFromPixel(CanvasPixel(&BackBuffer, 295, 350)), RGBColor(0, 0, 255));
    // The far end of the road and the checkpoint are out of reach of the centre test.
    EXPECT_EQ(CanvasPixel(&BackBuffer, 295, 500), 0xFFFFFFFFu);
    EXPECT_EQ(CanvasPixel(&BackBuffer, 300, 125), 0xFFFFFFFFu);
}

TEST(SurfaceContactOnTheBuiltTrack, EveryCarStartsOnTheRoadOfCellFiftyOne) {
    ClearGameState();
    ResetPlatformState();
    for (uint8_t demo : {1, 0}) {
        DemoMode = demo;
        BuildWorld();
        TestSurfaces();
        for (int32_t a = 0; a < ActorCount; a++) {
            EXPECT_EQ(Actors[(size_t)a].OnRoad, 1) << "actor " << a;
            EXPECT_EQ(Actors[(size_t)a].TouchQuad[RoadType], 51) << "actor " << a;
            EXPECT_EQ(Actors[(size_t)a].TouchQuad[StartCheckpointType], 0)
                << "actor " << a; // the start line lies behind them
        }
    }
}

} // namespace
