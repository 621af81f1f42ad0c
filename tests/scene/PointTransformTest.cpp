// The point register: worked examples of rotation, projection, angles between directions and segment
// intersection.
#include <gtest/gtest.h>

#include <cmath>

#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

namespace {

class PointTransform : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        EyeDistance = 300.0f;
        ScreenCentreX = 300.0f;
        ScreenCentreY = 300.0f;
    }
    static void Load(float x, float y, float z) {
        PointX = x;
        PointY = y;
        PointZ = z;
    }
};

TEST_F(PointTransform, NoAnglesLeavesTheRegisterAsItIs) {
    Load(1.25f, -7.5f, 3.0f);
    RotatePoint(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(PointX, 1.25f);
    EXPECT_EQ(PointY, -7.5f);
    EXPECT_EQ(PointZ, 3.0f);
}

// A turn worked out once turns every point exactly as RotatePoint does, and a turn of zeros leaves even a
// negative zero as it is.
TEST_F(PointTransform, TurnWorkedOutOnceTurnsLikeRotatePoint) {
    const float angles[][3] = {
        {0.0f, 0.0f, 1.5714f}, {-0.3f, 0.7f, 2.9f}, {3.1f, -1.2f, 0.0f}, {0.0f, 0.0f, 0.0f}};
    const float points[][3] = {{1.0f, 0.0f, 0.0f}, {-250.5f, 1999.25f, 12.0f}, {-0.0f, 3.0e38f, -3.0e38f}};
    for (const auto& a : angles) {
        const TTurn turn = TurnFor(a[0], a[1], a[2]);
        for (const auto& p : points) {
            Load(p[0], p[1], p[2]);
            RotatePoint(a[0], a[1], a[2]);
            const float x = PointX, y = PointY, z = PointZ;
            Load(p[0], p[1], p[2]);
            RotatePointBy(turn);
            EXPECT_EQ(std::signbit(PointX), std::signbit(x)) << a[0] << "," << a[1] << "," << a[2];
            EXPECT_EQ(PointX, x);
            EXPECT_EQ(PointY, y);
            EXPECT_EQ(PointZ, z);
        }
    }
    EXPECT_TRUE(TurnFor(0.0f, 0.0f, 0.0f).None);
    EXPECT_FALSE(TurnFor(0.0f, 0.0f, 0.001f).None);
}

// A turn by -0 is not a turn by +0: the sine keeps the sign, and so does a zero result. The turn of one
// triple must not be taken for the other's, whichever came first.
TEST_F(PointTransform, ATurnBySignedZeroKeepsItsSign) {
    Load(-0.0f, 0.0f, 0.0f);
    RotatePoint(1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(std::signbit(PointX));
    Load(-0.0f, 0.0f, 0.0f);
    RotatePoint(1.0f, 0.0f, -0.0f);
    EXPECT_FALSE(std::signbit(PointX));
    Load(-0.0f, 0.0f, 0.0f);
    RotatePoint(1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(std::signbit(PointX));
}

TEST_F(PointTransform, QuarterTurnAboutZSendsXTowardY) {
    Load(1.0f, 0.0f, 0.0f);
    RotatePoint(0.0f, 0.0f, DegToRad(90.0f));
    // 90 game degrees are 1.5714 radians, slightly more than a right angle.
    EXPECT_NEAR(PointX, -0.0006f, 0.00005f);
    EXPECT_NEAR(PointY, 1.0f, 1e-6f);
    EXPECT_EQ(PointZ, 0.0f);
}

TEST_F(PointTransform, TurnsAboutXAndYSendYAndXTowardZ) {
    Load(0.0f, 1.0f, 0.0f);
    RotatePoint(DegToRad(90.0f), 0.0f, 0.0f);
    EXPECT_NEAR(PointY, -0.0006f, 0.00005f);
    EXPECT_NEAR(PointZ, 1.0f, 1e-6f);

    Load(1.0f, 0.0f, 0.0f);
    RotatePoint(0.0f, DegToRad(90.0f), 0.0f);
    EXPECT_NEAR(PointX, -0.0006f, 0.00005f);
    EXPECT_NEAR(PointZ, 1.0f, 1e-6f);
}

TEST_F(PointTransform, RotationsRunAboutXThenYThenZ) {
    // (0, 1, 0): about x by 90 lifts it to z; about y by 90 then carries z to -x; z by 90 leaves -x on -y.
    Load(0.0f, 1.0f, 0.0f);
    const float quarter = DegToRad(90.0f);
    RotatePoint(quarter, quarter, quarter);
    EXPECT_NEAR(PointX, 0.0f, 0.002f);
    EXPECT_NEAR(PointY, -1.0f, 0.002f);
    EXPECT_NEAR(PointZ, 0.0f, 0.002f);
}

TEST_F(PointTransform, DegreesConvertWithTheGamesPi) {
    LoadRotation(90.0f, 180.0f, -45.0f);
    EXPECT_EQ(RotAngleY, 180.0f);
    EXPECT_EQ(RotRadX, 1.5714f);
    EXPECT_EQ(RotRadY, 3.1428f);
    EXPECT_EQ(RotRadZ, -0.7857f);
}

TEST_F(PointTransform, ProjectionOfAWorkedExample) {
    Load(10.0f, 5.0f, -100.0f);
    ProjectPoint();
    EXPECT_EQ(PointX, 270.0f);
    EXPECT_EQ(PointY, 285.0f);
    EXPECT_EQ(PointZ, -100.0f);
}

TEST_F(PointTransform, PointsOnTheViewAxisLandOnTheScreenCentre) {
    for (float z : {-1000.0f, -1.0f, 0.5f, 42.0f}) {
        Load(0.0f, 0.0f, z);
        ProjectPoint();
        EXPECT_EQ(PointX, 300.0f);
        EXPECT_EQ(PointY, 300.0f);
        EXPECT_EQ(PointZ, z);
    }
}

TEST_F(PointTransform, ProjectionTruncatesTowardZero) {
    ScreenCentreX = 0.0f;
    ScreenCentreY = 0.0f;
    EyeDistance = 1.0f;
    Load(0.7f, -2.9f, -1.0f); // raw screen values -0.7 and 2.9
    ProjectPoint();
    EXPECT_EQ(PointX, 0.0f);
    EXPECT_FALSE(std::signbit(PointX));
    EXPECT_EQ(PointY, 2.0f);
}

TEST_F(PointTransform, ZeroDepthIsReplacedAndFarPointsSaturate) {
    Load(1.0f, -1.0f, 0.0f);
    ProjectPoint();
    EXPECT_EQ(PointZ, 0.00001f);
    EXPECT_EQ(PointX, 30000300.0f);
    EXPECT_EQ(PointY, -29999700.0f);
    Load(1000.0f, -1000.0f, 0.0f);
    ProjectPoint();
    // 1000 * 300 / 0.00001 lies far outside the 32-bit range: held at its ends, never overflowing.
    EXPECT_EQ(TruncToInt32(PointX), INT32_MAX);
    EXPECT_EQ(TruncToInt32(PointY), INT32_MIN);
    EXPECT_TRUE(std::isfinite(PointX));
}

TEST_F(PointTransform, SegmentsCrossingInTheirMiddles) {
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 0, 1, -1, 1, 1));
    EXPECT_EQ(IntersectT, 0.5f);
    EXPECT_EQ(IntersectU, 0.5f);
    EXPECT_EQ(IntersectX, 1.0f);
    EXPECT_EQ(IntersectY, 0.0f);
}

TEST_F(PointTransform, SegmentsMeetingAtEndPointsIntersect) {
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 0, 2, -1, 2, 1)); // t = 1
    EXPECT_EQ(IntersectT, 1.0f);
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 0, 1, 0, 1, 3)); // u = 0
    EXPECT_EQ(IntersectU, 0.0f);
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 2, 0, 0, -3, 3)); // both start at the origin
    EXPECT_EQ(IntersectT, 0.0f);
    EXPECT_EQ(IntersectU, 0.0f);
}

TEST_F(PointTransform, ParallelSegmentsLeaveTheResultsAlone) {
    IntersectT = 7.0f;
    IntersectU = 8.0f;
    IntersectX = 9.0f;
    IntersectY = 10.0f;
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 0, 0, 1, 2, 1));
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 0, 3, 0, 5, 0)); // collinear
    EXPECT_FALSE(SegmentsIntersect(1, 1, 1, 1, 0, 0, 2, 2)); // no length
    EXPECT_EQ(IntersectT, 7.0f);
    EXPECT_EQ(IntersectU, 8.0f);
    EXPECT_EQ(IntersectX, 9.0f);
    EXPECT_EQ(IntersectY, 10.0f);
}

TEST_F(PointTransform, LinesCrossingOutsideASegmentStillUpdateTheResults) {
    // The second segment stops at y = -2 short of the first one's line y = 0.
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 0, 1, -3, 1, -2));
    EXPECT_EQ(IntersectT, 0.5f);
    EXPECT_EQ(IntersectU, 3.0f);
    EXPECT_EQ(IntersectX, 1.0f);
    EXPECT_EQ(IntersectY, 0.0f);
    // Beyond the end of the first segment.
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 0, 4, -1, 4, 1));
    EXPECT_EQ(IntersectT, 2.0f);
    EXPECT_EQ(IntersectX, 4.0f);
}

TEST_F(PointTransform, AnglesBetweenDirectionsInGameDegrees) {
    EXPECT_NEAR(AngleBetween(1, 0, 0, 0, -1, 0, 0, 0), 179.93f, 0.005f);
    EXPECT_NEAR(AngleBetween(1, 0, 0, 0, 0, 1, 0, 0), 89.965f, 0.0005f);
    EXPECT_EQ(AngleBetween(3, 4, 0, 0, 6, 8, 0, 0), 0.0f);
    // The lengths of the directions do not matter, only their difference vectors.
    EXPECT_EQ(AngleBetween(101, 50, 100, 50, 7, 7, 7, 107), AngleBetween(1, 0, 0, 0, 0, 1, 0, 0));
    EXPECT_EQ(AngleBetween(5, 0, 0, 0, -0.25f, 0, 0, 0), AngleBetween(1, 0, 0, 0, -1, 0, 0, 0));
}

TEST_F(PointTransform, DirectionWithoutLengthCountsAsHeadOn) {
    EXPECT_EQ(AngleBetween(4, 4, 4, 4, 1, 0, 0, 0), 90.0f);
    EXPECT_EQ(AngleBetween(1, 0, 0, 0, -2, 3, -2, 3), 90.0f);
    EXPECT_EQ(AngleBetween(0, 0, 0, 0, 0, 0, 0, 0), 90.0f);
}

TEST_F(PointTransform, NearlyParallelDirectionsNeverGiveNaN) {
    // Directions whose cosine rounds to the edge of -1..1.
    const float cases[][8] = {
        {1e7f, 1.0f, 0, 0, 1e7f, 1.0000001f, 0, 0},     {0.1f, 0.3f, 0, 0, 0.2f, 0.6f, 0, 0},
        {3.0e38f, 3.0e38f, 0, 0, 1e-30f, 1e-30f, 0, 0}, {0.1f, 0.3f, 0, 0, -0.2f, -0.6f, 0, 0},
        {1e-40f, 0, 0, 0, 1e-40f, 1e-45f, 0, 0},
    };
    for (const auto& c : cases) {
        const float a = AngleBetween(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        EXPECT_FALSE(std::isnan(a));
        EXPECT_GE(a, 0.0f);
        EXPECT_LE(a, 179.93f + 0.005f);
    }
}

} // namespace
