// The conversions every subsystem stores its results with: in range they round or truncate as the
// language does, out of range they saturate, and NaN becomes 0.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "exact/Numeric.h"

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
const double NotANumber = std::nan("");

TEST(Numeric, F32RoundsInRangeAndSaturatesBeyond) {
    EXPECT_EQ(F32(0.1), 0.1f);
    EXPECT_EQ(F32(-1234.5678), -1234.5678f);
    EXPECT_TRUE(std::signbit(F32(-0.0)));
    EXPECT_EQ(F32((double)FLT_MAX), FLT_MAX);
    EXPECT_EQ(F32(-(double)FLT_MAX), -FLT_MAX);
    // Just beyond float's range, far beyond it and infinite: the largest float of that sign.
    EXPECT_EQ(F32(std::nextafter((double)FLT_MAX, Infinity)), FLT_MAX);
    EXPECT_EQ(F32(-1e300), -FLT_MAX);
    EXPECT_EQ(F32(Infinity), FLT_MAX);
    EXPECT_EQ(F32(-Infinity), -FLT_MAX);
    EXPECT_EQ(F32(NotANumber), 0.0f);
}

TEST(Numeric, TruncToInt32TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(TruncToInt32(-0.5), 0);
    EXPECT_EQ(TruncToInt32(299.99), 299);
    EXPECT_EQ(TruncToInt32(-299.99), -299);
    EXPECT_EQ(TruncToInt32(2147483646.9), 2147483646);
    EXPECT_EQ(TruncToInt32(2147483647.0), INT32_MAX);
    EXPECT_EQ(TruncToInt32(-2147483647.9), -2147483647);
    EXPECT_EQ(TruncToInt32(-2147483648.0), INT32_MIN);
    EXPECT_EQ(TruncToInt32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(TruncToInt32(1e300), INT32_MAX);
    EXPECT_EQ(TruncToInt32(-Infinity), INT32_MIN);
    EXPECT_EQ(TruncToInt32(NotANumber), 0);
}

} // namespace
