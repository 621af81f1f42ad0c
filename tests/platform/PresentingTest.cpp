// Where the drawing area goes in a client area of any size, the size a window opens at, which remembered
// places can still be seen, and the sharp scale against its definition: nearest pixels by the whole
// number, then a bilinear sample at each target pixel's centre.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/Platform.h"

namespace {

TEST(PresentLayout, FillsTheClientAreaKeepingTheShapeCentred) {
    const struct {
        int32_t ClientWidth, ClientHeight;
        TScaling Scaling;
        TPresentLayout Want;
    } rows[] = {
        {596, 572, TScaling::Sharp, {1, 0, 0, 596, 572}},
        {1192, 1144, TScaling::Sharp, {2, 0, 0, 1192, 1144}},
        {1788, 1716, TScaling::Sharp, {3, 0, 0, 1788, 1716}},
        // A wider window: the height limits, the rest left and right.
        {1920, 1144, TScaling::Sharp, {2, 364, 0, 1192, 1144}},
        {800, 700, TScaling::Sharp, {1, 35, 0, 729, 700}},
        // A higher one: the width limits.
        {596, 900, TScaling::Sharp, {1, 0, 164, 596, 572}},
        {1000, 1000, TScaling::Sharp, {1, 0, 20, 1000, 960}},
        // Fullscreen on common displays.
        {1920, 1080, TScaling::Sharp, {1, 397, 0, 1125, 1080}},
        {2560, 1440, TScaling::Sharp, {2, 530, 0, 1500, 1440}},
        {3840, 2160, TScaling::Sharp, {3, 794, 0, 2251, 2160}},
        // Smaller than the drawing area: scaled down, never below a pixel.
        {298, 286, TScaling::Sharp, {1, 0, 0, 298, 286}},
        {1, 1, TScaling::Sharp, {1, 0, 0, 1, 1}},
        {0, -5, TScaling::Sharp, {1, 0, 0, 1, 1}},
        // One to one: the design's picture at the top left, whatever the size.
        {1920, 1080, TScaling::OneToOne, {1, 0, 0, 596, 572}},
        {300, 200, TScaling::OneToOne, {1, 0, 0, 596, 572}},
    };
    for (const auto& row : rows) {
        const TPresentLayout got = PresentLayout(row.ClientWidth, row.ClientHeight, row.Scaling);
        const std::string where = std::to_string(row.ClientWidth) + " x " + std::to_string(row.ClientHeight);
        EXPECT_EQ(got.Whole, row.Want.Whole) << where;
        EXPECT_EQ(got.X, row.Want.X) << where;
        EXPECT_EQ(got.Y, row.Want.Y) << where;
        EXPECT_EQ(got.Width, row.Want.Width) << where;
        EXPECT_EQ(got.Height, row.Want.Height) << where;
    }
}

TEST(OpeningMultiple, IsTheLargestWholeMultipleWithinNinetyPercentOfTheDisplay) {
    const struct {
        int32_t Width, Height, Want;
    } rows[] = {
        {1024, 768, 1},
        {1920, 1080, 1},
        {1920, 1200, 1},
        {2560, 1440, 2},
        {2560, 1600, 2},
        {3840, 2160, 3},
        {5120, 2880, 4},
        {640, 480, 1},
        {0, 0, 1},
        // 90 % of 1271 is 1143.9: just not twice the height.
        {2560, 1271, 1},
        {2560, 1272, 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OpeningMultiple(row.Width, row.Height), row.Want) << row.Width << " x " << row.Height;
}

TEST(PlaceOnDisplays, APlaceCountsOnlyWhereItsTopCanBeTaken) {
    const TRect displays[] = {{0, 0, 1920, 1040}, {1920, -200, 4480, 1240}};
    const struct {
        TRect Place;
        bool Want;
    } rows[] = {
        {{100, 100, 696, 672}, true},
        {{3000, -150, 3596, 422}, true}, // on the second display, above the first's top
        {{-500, 100, 96, 672}, true},    // mostly off the left edge, 96 pixels still on
        {{-560, 100, 36, 672}, false},   // 36 pixels left: too little to take
        {{100, -10, 696, 562}, false},   // its top above the display
        {{100, 1020, 696, 1592}, false}, // its top band below the bottom
        {{5000, 100, 5596, 672}, false}, // right of every display: a display that is gone
        {{-3000, -3000, -2404, -2428}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PlaceOnDisplays(row.Place, displays, 2), row.Want)
            << row.Place.Left << ", " << row.Place.Top;
    EXPECT_FALSE(PlaceOnDisplays(rows[0].Place, displays, 0));
}

// The definition, in floating point: the whole-number picture sampled bilinearly at target pixel centres,
// edges held.
std::vector<uint32_t> DefinedScale(const std::vector<uint32_t>& source, int32_t width, int32_t height,
                                   int32_t whole, int32_t targetWidth, int32_t targetHeight) {
    auto at = [&](int32_t x, int32_t y, int32_t shift) {
        return (double)((source[(size_t)(y / whole) * width + x / whole] >> shift) & 0xFF);
    };
    std::vector<uint32_t> target((size_t)targetWidth * targetHeight);
    for (int32_t j = 0; j < targetHeight; j++) {
        double v = (j + 0.5) * height * whole / targetHeight - 0.5;
        v = v < 0 ? 0 : v;
        const int32_t y0 = std::min((int32_t)v, height * whole - 1);
        const int32_t y1 = std::min(y0 + 1, height * whole - 1);
        const double fy = v - y0;
        for (int32_t i = 0; i < targetWidth; i++) {
            double u = (i + 0.5) * width * whole / targetWidth - 0.5;
            u = u < 0 ? 0 : u;
            const int32_t x0 = std::min((int32_t)u, width * whole - 1);
            const int32_t x1 = std::min(x0 + 1, width * whole - 1);
            const double fx = u - x0;
            uint32_t pixel = 0xFF000000u;
            for (int32_t shift = 0; shift < 24; shift += 8) {
                const double top = at(x0, y0, shift) * (1 - fx) + at(x1, y0, shift) * fx;
                const double low = at(x0, y1, shift) * (1 - fx) + at(x1, y1, shift) * fx;
                pixel |= (uint32_t)std::lround(top * (1 - fy) + low * fy) << shift;
            }
            target[(size_t)j * targetWidth + i] = pixel;
        }
    }
    return target;
}

// A picture with sharp edges of every kind: a checkerboard of one-pixel cells in colours that differ in
// every channel, and a few lines.
std::vector<uint32_t> Pattern(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++)
            pixels[(size_t)y * width + x] = ((x + y) % 2 != 0) ? 0xFFFFFFFFu
                                            : (x % 7 == 0 || y % 5 == 0)
                                                ? 0xFF0000C8u
                                                : 0xFF10A040u + (uint32_t)(x * 3 + y);
    return pixels;
}

TEST(SharpScale, IsTheDefinedSharpBilinearWithinOneGreyLevelAndExactAtWholeMultiples) {
    const struct {
        int32_t Width, Height, TargetWidth, TargetHeight;
        bool Exact;
    } rows[] = {
        {30, 20, 60, 40, true},  {30, 20, 90, 60, true},      {30, 20, 30, 20, true},
        {30, 20, 45, 30, false}, {30, 20, 71, 47, false},     {30, 20, 100, 67, false},
        {30, 20, 20, 13, false}, {596, 572, 729, 700, false},
    };
    for (const auto& row : rows) {
        const TPresentLayout layout =
            TPresentLayout{std::max(1, std::min(row.TargetWidth / row.Width, row.TargetHeight / row.Height)),
                           0, 0, row.TargetWidth, row.TargetHeight};
        const std::vector<uint32_t> source = Pattern(row.Width, row.Height);
        std::vector<TScaleTap> columns((size_t)row.TargetWidth);
        std::vector<TScaleTap> rowsTaps((size_t)row.TargetHeight);
        SharpScaleTaps(row.Width, layout.Whole, row.TargetWidth, columns.data());
        SharpScaleTaps(row.Height, layout.Whole, row.TargetHeight, rowsTaps.data());
        std::vector<uint32_t> got((size_t)row.TargetWidth * row.TargetHeight);
        SharpScale(source.data(), row.Width, got.data(), row.TargetWidth, row.TargetHeight, columns.data(),
                   rowsTaps.data());
        const std::vector<uint32_t> want =
            DefinedScale(source, row.Width, row.Height, layout.Whole, row.TargetWidth, row.TargetHeight);
        int32_t worst = 0;
        int32_t blended = 0;
        for (size_t i = 0; i < got.size(); i++) {
            for (int32_t shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs((int32_t)((got[i] >> shift) & 0xFF) -
                                                 (int32_t)((want[i] >> shift) & 0xFF)));
            blended += got[i] != source[(size_t)rowsTaps[i / row.TargetWidth].First * row.Width +
                                        columns[i % row.TargetWidth].First];
        }
        const std::string size = std::to_string(row.TargetWidth) + " x " + std::to_string(row.TargetHeight);
        EXPECT_LE(worst, row.Exact ? 0 : 1) << size;
        if (row.Exact)
            EXPECT_EQ(blended, 0) << size;
        else
            EXPECT_GT(blended, 0) << size;
    }
}

TEST(SharpScale, BlursAnEdgeOverAtMostOnePixelOfTheWholeNumberPicture) {
    // A vertical edge between black and white scaled 4.5 times: 4 with nearest pixels, then 1.125 linearly.
    // Every target row is black, at most the two target pixels that one pixel of the whole-number picture
    // covers in grey, then white; a plain bilinear scale of 4.5 would blur four or five.
    const int32_t width = 8;
    std::vector<uint32_t> source((size_t)width * 2);
    for (int32_t x = 0; x < width; x++)
        source[x] = source[width + x] = x < 4 ? 0xFF000000u : 0xFFFFFFFFu;
    const int32_t whole = 4;
    const int32_t target = 36;
    std::vector<TScaleTap> columns(target);
    std::vector<TScaleTap> rows(2);
    SharpScaleTaps(width, whole, target, columns.data());
    SharpScaleTaps(2, 1, 2, rows.data());
    std::vector<uint32_t> got((size_t)target * 2);
    SharpScale(source.data(), width, got.data(), target, 2, columns.data(), rows.data());
    int32_t grey = 0;
    for (int32_t x = 0; x < target; x++) {
        grey += got[x] != 0xFF000000u && got[x] != 0xFFFFFFFFu;
        if (x > 0) {
            EXPECT_GE(got[x] & 0xFF, got[x - 1] & 0xFF) << x;
        }
    }
    EXPECT_GE(grey, 1);
    EXPECT_LE(grey, 2);
    EXPECT_EQ(got[0], 0xFF000000u);
    EXPECT_EQ(got[target - 1], 0xFFFFFFFFu);
}

} // namespace
