// World construction: the grid, the track, the models, the start grid of both variants and what a rebuild
// carries over from the previous game.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

namespace {

// The number of vertices of a table, from its declared size.
template <size_t N> constexpr int32_t VerticesIn(const float (&)[N]) {
    return (int32_t)(N / 3);
}

// Two actors agree in every field (the bytes between the one byte field and the next float are padding).
bool SameActor(const TActor& a, const TActor& b) {
    const size_t gapStart = offsetof(TActor, Skidding) + sizeof a.Skidding;
    const size_t gapEnd = offsetof(TActor, TipSpeed);
    const char* pa = reinterpret_cast<const char*>(&a);
    const char* pb = reinterpret_cast<const char*>(&b);
    return std::memcmp(pa, pb, gapStart) == 0 &&
           std::memcmp(pa + gapEnd, pb + gapEnd, sizeof a - gapEnd) == 0;
}

class WorldBuild : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
    }
    static void Build(uint8_t demo) {
        DemoMode = demo;
        BuildWorld();
    }
};

TEST_F(WorldBuild, ScreenTimingAndFlagsAfterABuild) {
    HudMode = 2;
    CheckLineMode = 1;
    GameOverPending = 1;
    Fps = 37;
    FrameCounter = 12;
    MouseSteering = -1;
    Build(1);
    EXPECT_EQ(ScreenWidth, 600);
    EXPECT_EQ(ScreenHeight, 600);
    EXPECT_EQ(ScreenRect.Left, 2);
    EXPECT_EQ(ScreenRect.Top, 26);
    EXPECT_EQ(ScreenRect.Right, 598);
    EXPECT_EQ(ScreenRect.Bottom, 598);
    EXPECT_EQ(ScreenCentreX, 300.0f);
    EXPECT_EQ(ScreenCentreY, 300.0f);
    EXPECT_EQ(HudMode, 0);
    EXPECT_EQ(CheckLineMode, 0);
    EXPECT_EQ(GameOverPending, 0);
    EXPECT_EQ(Fps, 100);
    EXPECT_EQ(FrameCounter, 0);
    EXPECT_EQ(SecondStartTick, TickNow);
    EXPECT_EQ(MouseX, MouseLastX);
    EXPECT_EQ(MouseSteering, 0);
    EXPECT_EQ(BuildQuadrant, 41);
    EXPECT_EQ(BuildObject, 8);
}

TEST_F(WorldBuild, TheGridHasAHundredCellsAtTheirOrigins) {
    Build(1);
    ASSERT_EQ(QuadrantCount, 100);
    ASSERT_EQ(Quadrants.size(), 100u);
    for (int32_t row = 0; row < 10; row++) {
        for (int32_t col = 0; col < 10; col++) {
            const TQuadrant& cell = Quadrants[(size_t)(row * 10 + col)];
            EXPECT_EQ(cell.OriginX, col * 500);
            EXPECT_EQ(cell.OriginY, row * 500);
            EXPECT_EQ(cell.OriginZ, 0);
            ASSERT_EQ(cell.Placements.size(), 10u);
        }
    }
}

TEST_F(WorldBuild, EveryCellHoldsThreeObstaclesAndABorder) {
    Build(0);
    for (const TQuadrant& cell : Quadrants) {
        const TPlacement& second = cell.Placements[1];
        EXPECT_EQ(second.X, 220.0f);
        EXPECT_EQ(second.Y, 230.0f);
        EXPECT_EQ(second.AngleZ, 60.0f);
        EXPECT_EQ(cell.Placements[0].ObjectIndex, 0);
        EXPECT_EQ(cell.Placements[2].AngleZ, 75.0f);
        EXPECT_EQ(cell.Placements[2].Y, 370.0f);
        EXPECT_EQ(cell.Placements[3].ObjectIndex, 2);
        EXPECT_EQ(cell.Placements[3].X, 0.0f);
    }
}

TEST_F(WorldBuild, TrackCellsHoldTheirPiecesAndTheRestHoldFour) {
    Build(1);
    for (int32_t q = 0; q < 100; q++) {
        int32_t expected = 4;
        if (q == 51 || q == 62 || q == 53 || q == 42) expected = 7;
        if (q == 61 || q == 63 || q == 43 || q == 41) expected = 6;
        EXPECT_EQ(Quadrants[(size_t)q].PlacementCount, expected) << "cell " << q;
    }
    const TPlacement& start = Quadrants[51].Placements[4];
    EXPECT_EQ(start.ObjectIndex, 5);
    EXPECT_EQ(start.X, 250.0f);
    EXPECT_EQ(start.Y, 50.0f);
    EXPECT_EQ(Quadrants[51].Placements[5].ObjectIndex, 3);
    EXPECT_EQ(Quadrants[51].Placements[6].ObjectIndex, 7);
    EXPECT_EQ(Quadrants[51].Placements[6].Y, 250.0f);

    const TPlacement& bend = Quadrants[63].Placements[4];
    EXPECT_EQ(bend.ObjectIndex, 4);
    EXPECT_EQ(bend.AngleZ, 270.0f);
    EXPECT_EQ(Quadrants[63].Placements[5].ObjectIndex, 8);
    EXPECT_EQ(Quadrants[43].Placements[5].AngleZ, 180.0f);
    EXPECT_EQ(Quadrants[41].Placements[4].AngleZ, 90.0f);
    EXPECT_EQ(Quadrants[61].Placements[4].AngleZ, 0.0f);
    EXPECT_EQ(Quadrants[42].Placements[4].ObjectIndex, 6);
    EXPECT_EQ(Quadrants[42].Placements[6].AngleZ, 90.0f);
    EXPECT_EQ(Quadrants[53].Placements[4].ObjectIndex, 6);
    EXPECT_EQ(Quadrants[53].Placements[5].AngleZ, 0.0f);
    EXPECT_EQ(CheckpointSum, 157);
}

// The vertex tables and their sizes, to find how many vertices a bound model has.
int32_t VertexCountOf(const float* vertices) {
    const struct {
        const float* Table;
        int32_t Count;
    } tables[] = {
        {QuaderVertices, VerticesIn(QuaderVertices)},
        {AkteurVertices, VerticesIn(AkteurVertices)},
        {BorderVertices, VerticesIn(BorderVertices)},
        {StraightRoadVertices, VerticesIn(StraightRoadVertices)},
        {CurveRoadVertices, VerticesIn(CurveRoadVertices)},
        {CheckpointVertices, VerticesIn(CheckpointVertices)},
        {StraightIdealLineVertices, VerticesIn(StraightIdealLineVertices)},
        {CurveIdealLineVertices, VerticesIn(CurveIdealLineVertices)},
    };
    for (const auto& t : tables) {
        if (t.Table == vertices) return t.Count;
    }
    return -1;
}

TEST_F(WorldBuild, EveryPlacedModelIsBoundToTablesThatFitTogether) {
    // Whatever the catalogue holds: each model a cell places or a car uses has a vertex table, all its
    // parts, and index lists that stay inside that table.
    Build(0);
    std::vector<int32_t> used;
    for (const TQuadrant& cell : Quadrants)
        for (int32_t p = 0; p < cell.PlacementCount; p++)
            used.push_back(cell.Placements[(size_t)p].ObjectIndex);
    for (const TActor& actor : Actors)
        used.push_back(actor.ModelIndex);
    for (int32_t index : used) {
        ASSERT_GE(index, 0);
        ASSERT_LT((size_t)index, Objects.size());
        const TObjekt& model = Objects[(size_t)index];
        const int32_t vertexCount = VertexCountOf(model.Vertices);
        ASSERT_GT(vertexCount, 0) << "model " << index;
        ASSERT_EQ(model.Parts.size(), (size_t)model.PartCount) << "model " << index;
        ASSERT_GT(model.PartCount, 0) << "model " << index;
        for (const TModelPart& part : model.Parts) {
            ASSERT_NE(part.Indices, nullptr);
            int32_t k = 0;
            for (; k < MaxListEntries && part.Indices[k] != ListEnd; k++) {
                EXPECT_GE(part.Indices[k], PolygonEnd) << "model " << index;
                EXPECT_LT(part.Indices[k], vertexCount) << "model " << index;
            }
            EXPECT_LT(k, MaxListEntries) << "model " << index << ": a list without its end";
        }
    }
}

TEST_F(WorldBuild, TheModelsCarryTheKindsTheStepsReadThemBy) {
    Build(0);
    // The cars' model has what the line passes and the 3D view take from it: an outline, faces, a probe.
    const TObjekt& car = Objects[(size_t)Actors[0].ModelIndex];
    EXPECT_EQ(car.ObjectType, 10);
    bool outline = false, faces = false, probe = false;
    for (const TModelPart& part : car.Parts) {
        outline = outline || part.PartKind == 0;
        faces = faces || part.PartKind == 1;
        probe = probe || part.PartKind == 3;
    }
    EXPECT_TRUE(outline && faces && probe);
    // Every cell's first four places are solid (obstacles and the border); a track cell's further places are
    // ground the contact test reads (road, start or way checkpoint) or the ideal line the drivers follow.
    int32_t starts = 0, wayCheckpoints = 0;
    for (const TQuadrant& cell : Quadrants) {
        for (int32_t p = 0; p < cell.PlacementCount; p++) {
            const uint8_t type = Objects[(size_t)cell.Placements[(size_t)p].ObjectIndex].ObjectType;
            if (p < 4) {
                EXPECT_TRUE(type == 11 || type == 12) << (int)type;
            } else {
                EXPECT_TRUE(type == 1 || type == 2 || type == 9 || type == 13) << (int)type;
            }
            starts += type == 1;
            wayCheckpoints += type == 2;
        }
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(wayCheckpoints, 3);

    // Names are padded with zero bytes to the end of the field.
    for (const TObjekt& model : Objects) {
        for (size_t i = std::strlen(model.Name); i < sizeof model.Name; i++)
            EXPECT_EQ(model.Name[i], 0);
    }
}

TEST_F(WorldBuild, ModelsBeyondTheNinthStayEmpty) {
    Build(1);
    for (size_t i = 9; i < 20; i++) {
        EXPECT_EQ(Objects[i].ObjectType, 0);
        EXPECT_EQ(Objects[i].Vertices, nullptr);
        EXPECT_EQ(Objects[i].PartCount, 0);
        EXPECT_TRUE(Objects[i].Parts.empty());
        EXPECT_EQ(Objects[i].Name[0], 0);
    }
    for (const TQuadrant& cell : Quadrants)
        for (int32_t p = 0; p < cell.PlacementCount; p++)
            EXPECT_LT(cell.Placements[(size_t)p].ObjectIndex, 9);
}

TEST_F(WorldBuild, TheStartGridStandsInTwoFiles) {
    Build(0);
    ASSERT_EQ(ActorCount, 6);
    ASSERT_EQ(Actors.size(), 6u);
    const float expected[6][4] = {
        {740, 2750, 0.2f, 2.0f},  {760, 2760, 0.13f, 1.9f},  {740, 2770, 0.145f, 1.9f},
        {760, 2780, 0.15f, 1.9f}, {740, 2790, 0.165f, 1.9f}, {760, 2800, 0.18f, 1.9f},
    };
    for (size_t i = 0; i < 6; i++) {
        const TActor& actor = Actors[i];
        EXPECT_EQ(actor.PosX, expected[i][0]) << "actor " << i;
        EXPECT_EQ(actor.PosY, expected[i][1]) << "actor " << i;
        EXPECT_EQ(actor.Accel, expected[i][2]) << "actor " << i;
        EXPECT_EQ(actor.MaxStepLength, expected[i][3]) << "actor " << i;
        EXPECT_EQ(actor.QuadPosX, expected[i][0] - 500.0f);
        EXPECT_EQ(actor.QuadPosY, expected[i][1] - 2500.0f);
        EXPECT_EQ(actor.QuadCol, 1);
        EXPECT_EQ(actor.QuadRow, 5);
        EXPECT_EQ(actor.QuadIndex, 51);
        EXPECT_EQ(actor.StepLength, 0.02f);
        EXPECT_EQ(actor.AngleZ, 0.0f);
        EXPECT_EQ(actor.ModelIndex, 1);
        EXPECT_EQ(actor.Laps, 1);
        EXPECT_EQ(actor.Mass, 800.0f);
        EXPECT_EQ(actor.SlideSpeed, 1000.0f);
        EXPECT_EQ(actor.Friction, 0.6f);
        // Products of the stored floats 0.34f x 1.88f and 9.81 x 800 x 0.015f, rounded once: one step off
        // the floats nearest to the decimal products 0.6392 and 117.72.
        EXPECT_EQ(actor.DragArea, 0.639200032f);
        EXPECT_EQ(actor.RollResistance, 117.719994f);
        EXPECT_NE(actor.DragArea, 0.6392f);
        EXPECT_NE(actor.RollResistance, 117.72f);
    }
}

TEST_F(WorldBuild, TheTwoVariantsDifferInActorZeroAndTheCamera) {
    Build(1);
    EXPECT_EQ(CurrentActor, 5);
    EXPECT_EQ(Actors[0].Accel, 0.11f);
    EXPECT_EQ(Actors[0].MaxStepLength, 3.0f);
    EXPECT_EQ(AutoPresetChange, 1);
    EXPECT_EQ(CameraPreset, 0);
    EXPECT_EQ(CameraPresetName, PresetNames[0]);
    EXPECT_EQ(CamSpeedHeight, 0);
    // The bird's eye camera starts on the followed actor, actor 5.
    EXPECT_EQ(CamPosX, 760.0f);
    EXPECT_EQ(CamPosY, 2800.0f);
    const TActor demoSecond = Actors[1];

    Build(0);
    EXPECT_EQ(CurrentActor, 0);
    EXPECT_EQ(Actors[0].Accel, 0.2f);
    EXPECT_EQ(Actors[0].MaxStepLength, 2.0f);
    EXPECT_EQ(AutoPresetChange, 0);
    EXPECT_EQ(CameraPreset, 4);
    EXPECT_EQ(CameraPresetName, PresetNames[4]);
    EXPECT_EQ(CamSpeedHeight, 0);
    EXPECT_EQ(CamPosX, 740.0f);
    EXPECT_TRUE(SameActor(demoSecond, Actors[1]));
}

TEST_F(WorldBuild, ARebuildCarriesActorZerosDrivenStateButNotItsLapProgress) {
    Build(0);
    TActor& player = Actors[0];
    // A whole lap driven against the start direction: the finish line spent and the tally locked at 157.
    player.CheckpointTally = 157;
    player.CheckpointSeen[62] = 62;
    player.CheckpointSeen[42] = 42;
    player.FinishHandled = 1;
    player.Distance = 812.5f;
    player.PosZ = 1.5f;
    player.Damage = 40;
    player.Laps = 3;
    player.StepLength = 1.7f;
    Actors[3].Distance = 5.0f;
    Actors[4].FinishHandled = 1;
    Quadrants[7].PlacementCount = 9;
    Objects[0].HitRadius = 12.0f;
    Objects[12].ObjectType = 99;
    QuadrantLines[4].LineCount = 3;

    Build(1);
    for (const TActor& actor : Actors) {
        EXPECT_EQ(actor.CheckpointTally, 0);
        EXPECT_EQ(actor.FinishHandled, 0);
        for (int32_t cell = 0; cell < 100; cell++)
            EXPECT_EQ(actor.CheckpointSeen[cell], 0) << "cell " << cell;
        EXPECT_EQ(actor.Distance, 812.5f);
        EXPECT_EQ(actor.PosZ, 1.5f);
        EXPECT_EQ(actor.Damage, 0);
        EXPECT_EQ(actor.Laps, 1);
        EXPECT_EQ(actor.StepLength, 0.02f);
    }
    EXPECT_EQ(Quadrants[7].PlacementCount, 4);
    EXPECT_EQ(CheckpointSum, 157);
    // Arrays keep their contents: what the build does not set stays.
    EXPECT_EQ(Objects[0].HitRadius, 12.0f);
    EXPECT_EQ(Objects[12].ObjectType, 99);
    EXPECT_EQ(QuadrantLines[4].LineCount, 3);
}

TEST_F(WorldBuild, OnlyADemonstrationBuildRestartsTheSecondCount) {
    Seconds = 30;
    ElapsedSeconds = 31;
    Build(0);
    EXPECT_EQ(Seconds, 30); // a race keeps counting
    Build(1);
    EXPECT_EQ(Seconds, 0); // the automatic preset change counts its five seconds from here
    EXPECT_EQ(ElapsedSeconds, 31);
}

TEST_F(WorldBuild, LineStoresAreSizedForEveryActorAndCell) {
    Build(1);
    ASSERT_EQ(ActorLines.size(), 6u);
    ASSERT_EQ(ProbeLines.size(), 6u);
    ASSERT_EQ(QuadrantLines.size(), 100u);
    for (const TKollisionsLinien& list : ActorLines)
        EXPECT_EQ(list.Lines.size(), 100u);
    for (const TKollisionsLinien& list : ProbeLines)
        EXPECT_EQ(list.Lines.size(), 20u);
    for (const TKollisionsLinien& list : QuadrantLines)
        EXPECT_EQ(list.Lines.size(), 50u);
}

TEST_F(WorldBuild, CopiedActorsEqualActorZeroBeyondTheirSlots) {
    Build(0);
    Actors[0].TouchQuad[RoadType] = 51;
    Actors[0].SteerSide = -1;
    Actors[0].KineticEnergy = 77.0f;
    Build(0);
    for (size_t i = 1; i < 6; i++) {
        TActor copy = Actors[i];
        // Only the slot and the driving values differ from actor 0.
        copy.QuadPosX = Actors[0].QuadPosX;
        copy.QuadPosY = Actors[0].QuadPosY;
        copy.PosX = Actors[0].PosX;
        copy.PosY = Actors[0].PosY;
        copy.Accel = Actors[0].Accel;
        copy.MaxStepLength = Actors[0].MaxStepLength;
        EXPECT_TRUE(SameActor(copy, Actors[0])) << "actor " << i;
        EXPECT_EQ(Actors[i].TouchQuad[RoadType], 51);
        EXPECT_EQ(Actors[i].SteerSide, -1);
    }
}

} // namespace
