// The built-in models: every index list stays inside its vertex table and gives the expected segments.
#include <gtest/gtest.h>

#include "world/World.h"

namespace {

// The number of vertices of a table, from its declared size.
template <size_t N> constexpr int32_t VerticesIn(const float (&)[N]) {
    return (int32_t)(N / 3);
}

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
        {QuaderOutline, VerticesIn(QuaderVertices)},
        {QuaderFaces, VerticesIn(QuaderVertices)},
        {AkteurOutline, VerticesIn(AkteurVertices)},
        {AkteurFaces, VerticesIn(AkteurVertices)},
        {AkteurProbe, VerticesIn(AkteurVertices)},
        {BorderLine, VerticesIn(BorderVertices)},
        {StraightRoadFaces, VerticesIn(StraightRoadVertices)},
        {CurveRoadFaces, VerticesIn(CurveRoadVertices)},
        {CheckpointRectangle, VerticesIn(CheckpointVertices)},
        {StraightIdealLine, VerticesIn(StraightIdealLineVertices)},
        {CurveIdealLine, VerticesIn(CurveIdealLineVertices)},
    };
    for (const Case& c : cases) {
        EXPECT_GE(Shape(c.list).maxIndex, 0);
        EXPECT_LT(Shape(c.list).maxIndex, c.vertexCount);
    }
    // The faces reach the last vertex of their tables: no table holds a vertex nothing uses.
    EXPECT_EQ(Shape(QuaderFaces).maxIndex + 1, VerticesIn(QuaderVertices));
    EXPECT_EQ(Shape(CurveRoadFaces).maxIndex + 1, VerticesIn(CurveRoadVertices));
    EXPECT_EQ(Shape(CurveIdealLine).maxIndex + 1, VerticesIn(CurveIdealLineVertices));
}

TEST(Models, VertexTablesHoldTheListedCorners) {
    EXPECT_EQ(VerticesIn(QuaderVertices), 6);
    EXPECT_EQ(VerticesIn(AkteurVertices), 11);
    EXPECT_EQ(VerticesIn(CurveIdealLineVertices), 41);
    EXPECT_FLOAT_EQ(CurveRoadVertices[3 * 21 + 0], -15.002195f);
    EXPECT_FLOAT_EQ(CurveIdealLineVertices[3 * 40 + 1], -0.038376f);
    EXPECT_FLOAT_EQ(AkteurVertices[3 * 9 + 1], -14.0f);
}

} // namespace
