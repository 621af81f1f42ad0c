// The built-in models: every index list stays inside its vertex table and gives the expected segments.
#include <gtest/gtest.h>

#include "world/World.h"

namespace {

struct ListShape {
    int segments;
    int maxIndex;
};

// Counts the segments a list draws: a polygon of n vertices gives n, an open run of n gives n - 1.
ListShape Shape(const int32_t* list) {
    ListShape shape{0, -1};
    int run = 0;
    for (int i = 0; i < MaxListEntries && list[i] != ListEnd; i++) {
        if (list[i] == PolygonEnd) {
            if (run > 0) shape.segments++; // the closing line back to the first vertex
            run = 0;
            continue;
        }
        if (list[i] > shape.maxIndex) shape.maxIndex = list[i];
        if (run > 0) shape.segments++;
        run++;
    }
    return shape;
}

TEST(Models, OpenAndClosedListsGiveTheirSegmentCounts) {
    EXPECT_EQ(Shape(BorderLine).segments, 9);
    EXPECT_EQ(Shape(StraightIdealLine).segments, 1);
    EXPECT_EQ(Shape(CurveIdealLine).segments, 40);
    EXPECT_EQ(Shape(AkteurProbe).segments, 1);
    EXPECT_EQ(Shape(QuaderOutline).segments, 4);
    EXPECT_EQ(Shape(AkteurOutline).segments, 4);
    EXPECT_EQ(Shape(CheckpointRectangle).segments, 4);
    EXPECT_EQ(Shape(StraightRoadFaces).segments, 40);
    EXPECT_EQ(Shape(CurveRoadFaces).segments, 40);
}

TEST(Models, EveryListStaysInsideItsVertexTable) {
    struct Case {
        const int32_t* list;
        int32_t vertexCount;
    } cases[] = {
        {QuaderOutline, QuaderVertexCount},
        {QuaderFaces, QuaderVertexCount},
        {AkteurOutline, AkteurVertexCount},
        {AkteurFaces, AkteurVertexCount},
        {AkteurProbe, AkteurVertexCount},
        {BorderLine, BorderVertexCount},
        {StraightRoadFaces, StraightRoadVertexCount},
        {CurveRoadFaces, CurveRoadVertexCount},
        {CheckpointRectangle, CheckpointVertexCount},
        {StraightIdealLine, StraightIdealLineVertexCount},
        {CurveIdealLine, CurveIdealLineVertexCount},
    };
    for (const Case& c : cases) {
        EXPECT_GE(Shape(c.list).maxIndex, 0);
        EXPECT_LT(Shape(c.list).maxIndex, c.vertexCount);
    }
    // The faces reach the last vertex of their tables: no table holds a vertex nothing uses.
    EXPECT_EQ(Shape(QuaderFaces).maxIndex + 1, QuaderVertexCount);
    EXPECT_EQ(Shape(CurveRoadFaces).maxIndex + 1, CurveRoadVertexCount);
    EXPECT_EQ(Shape(CurveIdealLine).maxIndex + 1, CurveIdealLineVertexCount);
}

TEST(Models, VertexTablesHoldTheListedCorners) {
    EXPECT_EQ(QuaderVertexCount, 6);
    EXPECT_EQ(AkteurVertexCount, 11);
    EXPECT_EQ(CurveIdealLineVertexCount, 41);
    EXPECT_FLOAT_EQ(CurveRoadVertices[3 * 21 + 0], -15.002195f);
    EXPECT_FLOAT_EQ(CurveIdealLineVertices[3 * 40 + 1], -0.038376f);
    EXPECT_FLOAT_EQ(AkteurVertices[3 * 9 + 1], -14.0f);
}

} // namespace
