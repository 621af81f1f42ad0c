// The 3D view: what lands on which pixel of the back buffer, which cells are drawn, and which edges a
// point behind the camera takes away.
#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "scene/Scene.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

constexpr int32_t Blue = RGBColor(0, 0, 255);
constexpr int32_t CarGreen = RGBColor(0, 180, 0);
constexpr int32_t DarkGreen = RGBColor(0, 110, 0);
constexpr int32_t White = RGBColor(255, 255, 255);
constexpr int32_t Marker = RGBColor(200, 0, 200);

// A flat square of side 100 around its origin.
const float MarkerVertices[] = {-50, -50, 0, 50, -50, 0, 50, 50, 0, -50, 50, 0};
const int32_t MarkerFaces[] = {0, 1, 2, 3, -1, 99999};

class WorldView : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        CanvasCreate(&BackBuffer, 600, 600);
    }
    void TearDown() override { CanvasFree(&BackBuffer); }

    static int32_t ColorAt(int32_t x, int32_t y) { return ColorFromPixel(CanvasPixel(&BackBuffer, x, y)); }
    // How many pixels of the colour lie in the rectangle, ends included.
    static int32_t CountColor(int32_t color, int32_t left, int32_t top, int32_t right, int32_t bottom) {
        int32_t count = 0;
        for (int32_t y = top; y <= bottom; y++)
            for (int32_t x = left; x <= right; x++)
                count += ColorAt(x, y) == color ? 1 : 0;
        return count;
    }

    // An empty grid, model 0 the marker square, model 1 without faces, one actor in the given cell.
    static void SmallWorld(int32_t actorRow, int32_t actorCol) {
        QuadrantCount = 100;
        Quadrants.resize(100);
        for (int32_t q = 0; q < 100; q++) {
            Quadrants[(size_t)q].OriginX = (q % 10) * 500;
            Quadrants[(size_t)q].OriginY = (q / 10) * 500;
            Quadrants[(size_t)q].Placements.resize(10);
        }
        Objects.resize(2);
        Objects[0].Vertices = MarkerVertices;
        Objects[0].PartCount = 1;
        Objects[0].Parts = {{1, Marker, MarkerFaces}};
        ActorCount = 1;
        Actors.resize(1);
        Actors[0].QuadRow = actorRow;
        Actors[0].QuadCol = actorCol;
        Actors[0].QuadIndex = actorRow * 10 + actorCol;
        Actors[0].ModelIndex = 1;
        CurrentActor = 0;
        EyeDistance = 300.0f;
        ScreenCentreX = 300.0f;
        ScreenCentreY = 300.0f;
    }
    static void PlaceMarker(int32_t q, float x, float y, float z) {
        TQuadrant& cell = Quadrants[(size_t)q];
        TPlacement& placement = cell.Placements[(size_t)cell.PlacementCount++];
        placement.X = x;
        placement.Y = y;
        placement.Z = z;
        placement.ObjectIndex = 0;
    }
    static void Clear() {
        CanvasSetBrushColor(&BackBuffer, White);
        CanvasFillRect(&BackBuffer, TRect{0, 0, 600, 600});
    }
};

TEST_F(WorldView, RoadCornerBesideTheStartGridFromAbove) {
    DemoMode = 1;
    BuildWorld();
    TrackCamera(); // 55 metres above actor 5 at (760, 2800), looking straight down
    DrawWorldView();
    // Road vertex (765, 2800): 5 metres off in x gives 300 - 5 * 300 / 55 = 272.7, truncated to 272.
    EXPECT_EQ(ColorAt(272, 300), Blue);
    EXPECT_EQ(ColorAt(271, 300), White);
    EXPECT_EQ(ColorAt(350, 300), Blue); // the road's cross edge at y = 2800
    EXPECT_EQ(ColorAt(272, 450), Blue); // its right-hand edge
    EXPECT_EQ(ColorAt(436, 330), Blue); // and its left-hand edge at x = 735
}

TEST_F(WorldView, TheFollowedCarIsDarkGreenAndTheOthersGreen) {
    DemoMode = 1;
    BuildWorld();
    TrackCamera();
    DrawWorldView();
    // Actor 5 stands below the camera, actor 4 twenty metres to the left and ten behind.
    EXPECT_GT(CountColor(DarkGreen, 290, 285, 310, 315), 20);
    EXPECT_EQ(CountColor(CarGreen, 290, 285, 310, 315), 0);
    EXPECT_GT(CountColor(CarGreen, 400, 340, 418, 368), 20);
    EXPECT_EQ(CountColor(DarkGreen, 400, 340, 418, 368), 0);
}

TEST_F(WorldView, TheFollowedCarIsDarkGreenInEveryPreset) {
    DemoMode = 0;
    BuildWorld();
    for (int32_t preset = 0; preset < 5; preset++) {
        SCOPED_TRACE(preset);
        Clear();
        CameraPreset = preset;
        ApplyCameraPreset();
        if (preset == 3) CamOffsetY = 6.0f; // a bonnet camera behind the car, so that the car is in view
        TrackCamera();
        DrawWorldView();
        EXPECT_GT(CountColor(DarkGreen, 0, 0, 599, 599), 0);
    }
}

TEST_F(WorldView, ACornerCellDrawsOnlyFourCells) {
    SmallWorld(0, 0);
    for (int32_t q : {0, 1, 2, 10, 11, 12, 20, 21, 22})
        PlaceMarker(q, 250, 250, 0);
    // Above the centre of cell 11: the marker of cell (r, c) is centred on (350 - 50c, 350 - 50r).
    CamPosX = 750.0f;
    CamPosY = 750.0f;
    CamPosZ = 3000.0f;
    DrawWorldView();
    for (int32_t r = 0; r < 3; r++) {
        for (int32_t c = 0; c < 3; c++) {
            const bool drawn = r < 2 && c < 2;
            EXPECT_EQ(ColorAt(345 - 50 * c, 350 - 50 * r), drawn ? Marker : White) << "cell " << r * 10 + c;
        }
    }
    Clear();
    Actors[0].QuadCol = 1; // an edge cell: six
    DrawWorldView();
    for (int32_t r = 0; r < 3; r++)
        for (int32_t c = 0; c < 3; c++)
            EXPECT_EQ(ColorAt(345 - 50 * c, 350 - 50 * r), r < 2 ? Marker : White) << "cell " << r * 10 + c;
}

// The same model placed twice in one cell, then drawn again after the camera moved: each placement and
// each frame shows its own corners, never points carried over from the other placement or frame.
TEST_F(WorldView, EveryPlacementAndFrameTransformsItsOwnCorners) {
    SmallWorld(0, 0);
    PlaceMarker(0, 100, 250, 0);
    PlaceMarker(0, 400, 250, 0);
    CamPosX = 250.0f;
    CamPosY = 250.0f;
    CamPosZ = 3000.0f;
    // From 3000 metres a metre is a tenth of a pixel: the markers' 10-pixel squares around x 315 and 285.
    DrawWorldView();
    EXPECT_GT(CountColor(Marker, 309, 294, 321, 306), 20);
    EXPECT_GT(CountColor(Marker, 279, 294, 291, 306), 20);
    EXPECT_EQ(CountColor(Marker, 0, 0, 599, 599),
              CountColor(Marker, 309, 294, 321, 306) + CountColor(Marker, 279, 294, 291, 306));
    Clear();
    CamPosX = -250.0f; // 500 metres further along -x: both squares 50 pixels further left
    DrawWorldView();
    EXPECT_GT(CountColor(Marker, 259, 294, 271, 306), 20);
    EXPECT_GT(CountColor(Marker, 229, 294, 241, 306), 20);
    EXPECT_EQ(CountColor(Marker, 279, 294, 321, 306), 0);
}

TEST_F(WorldView, OneVertexBehindTheCameraTakesItsTwoEdges) {
    SmallWorld(0, 0);
    static const float Square[] = {-10, -10, -100, 10, -10, -100, 10, 10, -100, -10, 10, 5};
    Objects[0].Vertices = Square;
    PlaceMarker(0, 0, 0, 0);
    DrawWorldView();
    // Visible corners on screen: 0 at (330, 330), 1 at (270, 330), 2 at (270, 270); 3 lies behind.
    EXPECT_EQ(ColorAt(300, 330), Marker);
    EXPECT_EQ(ColorAt(270, 300), Marker);
    const int32_t onKeptEdges =
        CountColor(Marker, 270, 330, 330, 330) + CountColor(Marker, 270, 270, 270, 329);
    EXPECT_EQ(CountColor(Marker, 0, 0, 599, 599), onKeptEdges);
}

TEST_F(WorldView, APolygonWhoseFirstVertexIsBehindIsNotClosed) {
    SmallWorld(0, 0);
    static const float Square[] = {-10, -10, 5, 10, -10, -100, 10, 10, -100, -10, 10, -100};
    Objects[0].Vertices = Square;
    PlaceMarker(0, 0, 0, 0);
    DrawWorldView();
    // Kept: 1-2 along x = 270 and 2-3 along y = 270; both edges at vertex 0 are gone.
    EXPECT_EQ(ColorAt(270, 300), Marker);
    EXPECT_EQ(ColorAt(300, 270), Marker);
    const int32_t onKeptEdges =
        CountColor(Marker, 270, 270, 270, 330) + CountColor(Marker, 271, 270, 330, 270);
    EXPECT_EQ(CountColor(Marker, 0, 0, 599, 599), onKeptEdges);
    EXPECT_EQ(ColorAt(330, 300), White);
}

TEST_F(WorldView, ActorsTwoRowsAwayAreNotDrawn) {
    SmallWorld(0, 0);
    ActorCount = 2;
    Actors.resize(2);
    Actors[1].ModelIndex = 0; // a car shaped like the marker
    Actors[1].PosX = 250.0f;
    Actors[1].PosY = 1250.0f;
    Actors[1].QuadRow = 2;
    Actors[1].QuadIndex = 20;
    CamPosX = 250.0f;
    CamPosY = 1250.0f;
    CamPosZ = 500.0f;
    DrawWorldView();
    EXPECT_EQ(CountColor(Marker, 0, 0, 599, 599), 0);
    Actors[0].QuadRow = 1;
    Actors[0].QuadIndex = 10;
    DrawWorldView();
    EXPECT_GT(CountColor(Marker, 0, 0, 599, 599), 0);
}

TEST_F(WorldView, TheFollowedCarTurnsWithTheCamera) {
    SmallWorld(0, 0);
    static const float Needle[] = {0, 0, 0, 0, 40, 0}; // a line 40 long along the car's y axis
    static const int32_t NeedleLine[] = {0, 1, 99999};
    Objects[1].Vertices = Needle;
    Objects[1].PartCount = 1;
    Objects[1].Parts = {{1, CarGreen, NeedleLine}};
    Actors[0].PosX = 250.0f;
    Actors[0].PosY = 250.0f;
    Actors[0].AngleZ = 90.0f;
    CamPosX = 250.0f;
    CamPosY = 250.0f;
    CamPosZ = 300.0f;
    CamAngleZ = 90.0f;

    // Without turning, both the car's and the camera's quarter turns apply: the needle points down.
    CameraTurnsWithActor = 0;
    DrawWorldView();
    EXPECT_GT(CountColor(DarkGreen, 295, 330, 305, 338), 0);

    // Preset 2 turning with the actor: neither turn applies, the needle points up the screen.
    Clear();
    CameraTurnsWithActor = -1;
    CameraPreset = 2;
    DrawWorldView();
    EXPECT_GT(CountColor(DarkGreen, 298, 260, 302, 290), 0);
    EXPECT_EQ(CountColor(DarkGreen, 301, 299, 340, 301), 0);

    // Preset 3 on: the car's heading applies but the camera's turn about z does not.
    Clear();
    CameraPreset = 3;
    DrawWorldView();
    EXPECT_GT(CountColor(DarkGreen, 310, 298, 338, 302), 0);
}

} // namespace
