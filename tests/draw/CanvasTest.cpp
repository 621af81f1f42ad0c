// The canvas: lines without their end pixel and safely clipped at any coordinate, rectangles, opaque text
// cells in the default font, and the text observer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "alloc/AllocCounter.h"
#include "draw/Canvas.h"
#include "draw/Font.h"
#include "draw/LineReference.h"
#include "platform/Platform.h"
#include "world/DatenStruktur.h"

namespace {

constexpr uint32_t White = 0xFFFFFFFFu;
constexpr uint32_t Black = 0xFF000000u;
constexpr int32_t Red = RGBColor(255, 0, 0);
constexpr int32_t Yellow = RGBColor(255, 255, 0);

class CanvasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        CanvasCreate(&canvas, 40, 30);
    }
    void TearDown() override {
        CanvasFree(&canvas);
        CanvasTextObserver = nullptr;
    }

    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        CanvasMoveTo(&canvas, x0, y0);
        CanvasLineTo(&canvas, x1, y1);
    }

    // The pixels that are not white, as "x,y" in row order.
    std::vector<std::string> Drawn() const {
        std::vector<std::string> drawn;
        for (int32_t y = 0; y < canvas.Height; y++) {
            for (int32_t x = 0; x < canvas.Width; x++) {
                if (CanvasPixel(&canvas, x, y) != White)
                    drawn.push_back(std::to_string(x) + "," + std::to_string(y));
            }
        }
        return drawn;
    }

    int32_t DrawnCount() const { return (int32_t)Drawn().size(); }

    TCanvas canvas{};
};

using Pixels = std::vector<std::string>;

TEST_F(CanvasTest, NewCanvasIsWhiteWithWhiteBrushAndBlackPen) {
    EXPECT_EQ(DrawnCount(), 0);
    EXPECT_EQ(canvas.BrushColor, RGBColor(255, 255, 255));
    EXPECT_EQ(canvas.PenColor, RGBColor(0, 0, 0));
}

// Right, down, up, left and both diagonals: each stops one pixel short of its end point.
TEST_F(CanvasTest, LinesLeaveTheirEndPixelOut) {
    Line(2, 1, 5, 1);
    Line(8, 1, 8, 4);
    Line(12, 4, 12, 1);
    Line(20, 3, 17, 3);
    Line(25, 0, 28, 3);
    Line(35, 0, 32, 3);
    EXPECT_EQ(Drawn(), (Pixels{"25,0", "35,0", "2,1", "3,1", "4,1", "8,1", "26,1", "34,1", "8,2", "12,2",
                               "27,2", "33,2", "8,3", "12,3", "18,3", "19,3", "20,3", "12,4"}));
}

TEST_F(CanvasTest, ShallowLineHasOnePixelPerColumnNearTheIdealLine) {
    Line(0, 0, 30, 7);
    for (int32_t x = 0; x < 30; x++) {
        int32_t count = 0;
        for (int32_t y = 0; y < canvas.Height; y++) {
            if (CanvasPixel(&canvas, x, y) != White) {
                count++;
                EXPECT_LE(std::fabs(y - x * 7.0 / 30.0), 0.5) << "column " << x;
            }
        }
        EXPECT_EQ(count, 1) << "column " << x;
    }
    EXPECT_EQ(DrawnCount(), 30);
}

TEST_F(CanvasTest, LineUsesPenColourAndContinuesFromItsEnd) {
    CanvasSetPenColor(&canvas, Red);
    Line(0, 0, 3, 0);
    CanvasLineTo(&canvas, 3, 2);
    EXPECT_EQ(Drawn(), (Pixels{"0,0", "1,0", "2,0", "3,0", "3,1"}));
    EXPECT_EQ(CanvasPixel(&canvas, 1, 0), PixelFromColor(Red));
}

TEST_F(CanvasTest, LinesOutsideTheBufferOrOfZeroLengthDrawNothing) {
    Line(-100, -1, 100, -1);            // just above
    Line(-1, -50, -1, 50);              // just left
    Line(40, 0, 40, 30);                // just right
    Line(INT32_MIN, 30, INT32_MAX, 30); // just below, over the whole range
    Line(INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MAX);
    Line(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MIN);
    Line(-1000, 5000, 5000, -1000); // passes the corner diagonally outside
    EXPECT_EQ(DrawnCount(), 0);
}

TEST_F(CanvasTest, ExtremeEndPointsDrawTheirPartInside) {
    Line(INT32_MIN, 7, INT32_MAX, 7);
    EXPECT_EQ(DrawnCount(), canvas.Width);
    CanvasFillRect(&canvas, TRect{0, 0, canvas.Width, canvas.Height});
    Line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX); // crosses the buffer on its diagonal
    for (int32_t k = 0; k < canvas.Height; k++)
        EXPECT_NE(CanvasPixel(&canvas, k, k), White) << k;
    EXPECT_EQ(DrawnCount(), canvas.Height);
    CanvasFillRect(&canvas, TRect{0, 0, canvas.Width, canvas.Height});
    Line(10, 20, INT32_MAX, 20);
    Line(3, 3, 3, INT32_MIN);
    EXPECT_EQ(DrawnCount(), 30 + 4);
}

// A line is clipped by the buffer, not bent by it: every pixel a small canvas shows is the pixel the same
// line draws on a canvas large enough to hold it whole.
TEST_F(CanvasTest, ClippedLinesKeepThePixelsOfTheWholeLine) {
    TCanvas large{};
    const int32_t shift = 200;
    CanvasCreate(&large, 440, 430);
    const int32_t ends[][4] = {{-150, -37, 180, 61}, {-20, 190, 55, -170}, {39, -120, 2, 150},
                               {-199, 29, 230, 0},   {17, 13, -180, -190}, {-33, 45, 70, -9}};
    for (const auto& end : ends) {
        CanvasFree(&canvas);
        CanvasCreate(&canvas, 40, 30);
        CanvasFillRect(&large, TRect{0, 0, large.Width, large.Height});
        Line(end[0], end[1], end[2], end[3]);
        CanvasMoveTo(&large, end[0] + shift, end[1] + shift);
        CanvasLineTo(&large, end[2] + shift, end[3] + shift);
        for (int32_t y = 0; y < canvas.Height; y++) {
            for (int32_t x = 0; x < canvas.Width; x++) {
                ASSERT_EQ(CanvasPixel(&canvas, x, y), CanvasPixel(&large, x + shift, y + shift))
                    << "line " << end[0] << "," << end[1] << " to " << end[2] << "," << end[3] << " at " << x
                    << "," << y;
            }
        }
    }
    CanvasFree(&large);
}

// Far-off end points of a steep line through the buffer still give one pixel per row next to the ideal line.
TEST_F(CanvasTest, HugeSlopedLineStaysOnItsIdealLine) {
    const double x0 = -1500000000.0;
    const double y0 = -2000000000.0;
    const double y1 = 2100000000.0;
    const double x1 = std::round(x0 + (y1 - y0) * (20.0 - x0) / (15.0 - y0)); // through (20, 15)
    Line((int32_t)x0, (int32_t)y0, (int32_t)x1, (int32_t)y1);
    for (int32_t y = 0; y < canvas.Height; y++) {
        const double ideal = x0 + (y - y0) * (x1 - x0) / (y1 - y0);
        int32_t count = 0;
        for (int32_t x = 0; x < canvas.Width; x++) {
            if (CanvasPixel(&canvas, x, y) == White) continue;
            count++;
            EXPECT_LE(std::fabs(x - ideal), 1.0) << "row " << y;
        }
        EXPECT_EQ(count, 1) << "row " << y;
    }
}

// The lines the 3D view gives the canvas mostly start or end far off screen. Whatever the distance, the
// slope or the side they come from, the pixels drawn are exactly the steps of the whole line that fall
// inside the buffer.
TEST_F(CanvasTest, ClippedLinesMatchTheirDefinitionFromAnyDistance) {
    std::mt19937_64 random(20261208);
    const int64_t reaches[] = {50, 4000, 3000000, 4294967295};
    const auto pick = [&](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    const auto clamp = [](int64_t v) { return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); };
    int32_t crossing = 0;
    for (int32_t n = 0; n < 20000; n++) {
        // Through a point near the buffer, from a start at some distance to an end beyond that point
        // (both clamped to 32 bits, which may move the line off the point).
        const int64_t px = pick(-4, 44), py = pick(-4, 34);
        const int64_t reach = reaches[n % 4];
        int64_t ax = pick(-reach, reach), ay = pick(-reach, reach);
        if (n % 5 == 1) ay = pick(-3, 3); // nearly horizontal
        if (n % 5 == 2) ax = pick(-3, 3); // nearly vertical
        if (n % 5 == 3) ay = ax;          // diagonal
        const int64_t scale = pick(1, 8);
        const int32_t x0 = clamp(px - ax), y0 = clamp(py - ay);
        const int32_t x1 = clamp(px + ax * scale / 4), y1 = clamp(py + ay * scale / 4);
        CanvasFillRect(&canvas, TRect{0, 0, canvas.Width, canvas.Height});
        Line(x0, y0, x1, y1);
        std::vector<TLinePixel> drawn;
        for (int32_t y = 0; y < canvas.Height; y++) {
            for (int32_t x = 0; x < canvas.Width; x++) {
                if (CanvasPixel(&canvas, x, y) != White) drawn.push_back({x, y});
            }
        }
        ASSERT_TRUE(drawn == ReferenceLine(x0, y0, x1, y1, canvas.Width, canvas.Height))
            << "line " << x0 << "," << y0 << " to " << x1 << "," << y1;
        crossing += drawn.empty() ? 0 : 1;
    }
    // Most of them cross the buffer, so the clipping at both ends was tried.
    EXPECT_GT(crossing, 15000);
}

TEST_F(CanvasTest, ManyHugeLinesFinishQuickly) {
    const auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < 20000; i++) {
        Line(INT32_MIN + i, INT32_MAX - 3 * i, INT32_MAX - 7 * i, INT32_MIN + 11 * i);
        Line(INT32_MAX, i, INT32_MIN, 29 - i % 30);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
    EXPECT_GT(DrawnCount(), 0);
}

TEST_F(CanvasTest, FillRectExcludesRightAndBottom) {
    CanvasSetBrushColor(&canvas, Red);
    CanvasFillRect(&canvas, TRect{2, 3, 5, 5});
    EXPECT_EQ(Drawn(), (Pixels{"2,3", "3,3", "4,3", "2,4", "3,4", "4,4"}));
    EXPECT_EQ(CanvasPixel(&canvas, 2, 3), PixelFromColor(Red));
    // Empty and inverted rectangles fill nothing, however far apart their edges.
    CanvasFillRect(&canvas, TRect{5, 5, 5, 9});
    CanvasFillRect(&canvas, TRect{9, 5, 4, 9});
    CanvasFrameRect(&canvas, TRect{9, 9, 4, 4});
    CanvasFillRect(&canvas, TRect{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN});
    EXPECT_EQ(DrawnCount(), 6);
    CanvasFillRect(&canvas, TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    EXPECT_EQ(DrawnCount(), canvas.Width * canvas.Height);
}

TEST_F(CanvasTest, FrameRectDrawsOnePixelBorderInside) {
    CanvasSetBrushColor(&canvas, RGBColor(0, 0, 0));
    CanvasFrameRect(&canvas, TRect{1, 1, 5, 4});
    EXPECT_EQ(Drawn(), (Pixels{"1,1", "2,1", "3,1", "4,1", "1,2", "4,2", "1,3", "2,3", "3,3", "4,3"}));
    EXPECT_EQ(CanvasPixel(&canvas, 1, 1), Black);
}

class CanvasTextTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        CanvasFree(&canvas);
        CanvasCreate(&canvas, 200, 40);
    }
    // The cell of a text at (x, y), from the font's metrics.
    TRect Cell(int32_t x, int32_t y, const char* text) const {
        return TRect{x, y, x + FontTextWidth(text), y + FontLineHeight()};
    }

    int32_t InkPixels(TRect rect) const {
        int32_t ink = 0;
        for (int32_t y = rect.Top; y < rect.Bottom; y++) {
            for (int32_t x = rect.Left; x < rect.Right; x++)
                ink += (CanvasPixel(&canvas, x, y) & 0xFF) < 128;
        }
        return ink;
    }
};

TEST_F(CanvasTextTest, DefaultFaceIsASmallSansFace) {
    EXPECT_GE(FontLineHeight(), 11);
    EXPECT_LE(FontLineHeight(), 15);
    const int32_t width = FontTextWidth("F1=Displaywechsel");
    EXPECT_GT(width, 70);
    EXPECT_LT(width, 120);
}

TEST_F(CanvasTextTest, TextCellIsOpaqueInBrushColourWithBlackText) {
    CanvasSetBrushColor(&canvas, Red);
    CanvasFillRect(&canvas, TRect{0, 0, 200, 40});
    CanvasSetBrushColor(&canvas, Yellow);
    const char* text = "Taste=27";
    CanvasTextOut(&canvas, 10, 5, text);
    const TRect cell = Cell(10, 5, text);
    int32_t brush = 0;
    for (int32_t y = cell.Top; y < cell.Bottom; y++) {
        for (int32_t x = cell.Left; x < cell.Right; x++) {
            const uint32_t pixel = CanvasPixel(&canvas, x, y);
            // Between yellow and black: red and green equal, no blue.
            EXPECT_EQ((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF) << x << "," << y;
            EXPECT_EQ(pixel & 0xFF, 0u) << x << "," << y;
            brush += pixel == PixelFromColor(Yellow);
        }
    }
    EXPECT_GT(brush, (cell.Right - cell.Left) * (cell.Bottom - cell.Top) / 2);
    EXPECT_GT(InkPixels(cell), 10);
    EXPECT_EQ(CanvasPixel(&canvas, 10, 4), PixelFromColor(Red));
    EXPECT_EQ(CanvasPixel(&canvas, 9, 6), PixelFromColor(Red));
    EXPECT_EQ(CanvasPixel(&canvas, cell.Right, 6), PixelFromColor(Red));
    EXPECT_EQ(CanvasPixel(&canvas, 12, cell.Bottom), PixelFromColor(Red));
}

// Text on white, the game's only cell colour, takes each glyph pixel from a table; on any other colour it
// is blended. Both darken alike: where a glyph leaves grey level w on white, it leaves 200 * w / 255 on a
// cell of grey level 200.
TEST_F(CanvasTextTest, GlyphsDarkenWhiteAsTheyDarkenAnyCell) {
    const char* glyphs[] = {"W", "\xC3\xA4", "g", "5", "%", "@"};
    int32_t ink = 0;
    for (int32_t k = 0; k < 6; k++) {
        const int32_t x = 4 + 30 * k;
        CanvasSetBrushColor(&canvas, RGBColor(255, 255, 255));
        CanvasTextOut(&canvas, x, 2, glyphs[k]);
        CanvasSetBrushColor(&canvas, RGBColor(200, 200, 200));
        CanvasTextOut(&canvas, x, 20, glyphs[k]);
        const TRect cell = Cell(x, 2, glyphs[k]);
        for (int32_t y = cell.Top; y < cell.Bottom; y++) {
            for (int32_t px = cell.Left; px < cell.Right; px++) {
                const uint32_t onWhite = CanvasPixel(&canvas, px, y);
                const uint32_t level = onWhite & 0xFF;
                ASSERT_EQ(onWhite, PixelFromColor(RGBColor(level, level, level))) << px << "," << y;
                const int32_t darkened = (int32_t)(200 * level / 255);
                ASSERT_EQ(CanvasPixel(&canvas, px, y + 18),
                          PixelFromColor(RGBColor(darkened, darkened, darkened)))
                    << glyphs[k] << " at " << px << "," << y;
                ink += level < 255;
            }
        }
    }
    EXPECT_GT(ink, 60);
}

// The box of a "ї" (U+0457) reaches a pixel past its advance, its right dot into the box of an "A" after it.
// There the second glyph darkens the ink already drawn instead of painting over it: every pixel of the pair
// is what the first glyph alone leaves there darkened by what the second alone leaves there.
TEST_F(CanvasTextTest, AGlyphReachingIntoTheOneBeforeDarkensItsInk) {
    const TFontGlyph* yi = FontGlyphFor(0x457);
    const TFontGlyph* a = FontGlyphFor('A');
    CanvasTextOut(&canvas, 10, 2,
                  "\xD1\x97"
                  "A");
    CanvasTextOut(&canvas, 60, 2, "\xD1\x97");
    CanvasTextOut(&canvas, 110 + yi->Advance, 2, "A");
    const int32_t secondLeft = yi->Advance + a->OffsetX;
    int32_t firstInkUnderSecond = 0;
    for (int32_t y = 0; y < 2 + FontLineHeight() + 2; y++) {
        for (int32_t dx = -3; dx < yi->Advance + a->Advance + 3; dx++) {
            const uint32_t first = CanvasPixel(&canvas, 60 + dx, y) & 0xFF;
            const uint32_t second = CanvasPixel(&canvas, 110 + dx, y) & 0xFF;
            const int32_t both = (int32_t)(first * second / 255);
            ASSERT_EQ(CanvasPixel(&canvas, 10 + dx, y), PixelFromColor(RGBColor(both, both, both)))
                << dx << "," << y;
            firstInkUnderSecond += first < 255 && dx >= secondLeft && dx < secondLeft + a->Width;
        }
    }
    EXPECT_GT(firstInkUnderSecond, 0);
}

TEST_F(CanvasTextTest, UmlautsHaveTheirOwnGlyphs) {
    CanvasTextOut(&canvas, 0, 0, "a");
    CanvasTextOut(&canvas, 0, 20, "\xC3\xA4"); // a with diaeresis
    // The dots sit above the letter: the umlaut has ink in rows where the plain letter has none.
    int32_t plainTop = FontLineHeight();
    int32_t umlautTop = FontLineHeight();
    for (int32_t y = FontLineHeight() - 1; y >= 0; y--) {
        for (int32_t x = 0; x < 20; x++) {
            if ((CanvasPixel(&canvas, x, y) & 0xFF) < 128) plainTop = y;
            if ((CanvasPixel(&canvas, x, y + 20) & 0xFF) < 128) umlautTop = y;
        }
    }
    EXPECT_LT(umlautTop, plainTop);
}

TEST_F(CanvasTextTest, TextClippedAtAnyPositionStaysInTheBuffer) {
    CanvasTextOut(&canvas, INT32_MAX - 3, INT32_MAX - 3, "Drücke ENTER");
    CanvasTextOut(&canvas, INT32_MIN, INT32_MIN, "Drücke ENTER");
    EXPECT_EQ(DrawnCount(), 0);
    CanvasSetBrushColor(&canvas, Red);
    CanvasTextOut(&canvas, -5, -3, "W");
    EXPECT_EQ(CanvasPixel(&canvas, 0, 0) & 0xFFFFu, 0u); // red or darker, never white
    EXPECT_NE(CanvasPixel(&canvas, 0, 0), White);
}

TEST_F(CanvasTextTest, MalformedTextDrawsReplacementGlyphs) {
    CanvasTextOut(&canvas, 0, 0, "\xC3"); // a lead byte cut off by the end of the text
    EXPECT_GT(DrawnCount(), 0);
    EXPECT_GT(FontTextWidth("\xFF\x80x"), FontTextWidth("x"));
}

TEST_F(CanvasTextTest, TextAllocatesNothingOnceItsGlyphsAreKnown) {
    if (!AllocationCountingAvailable()) GTEST_SKIP() << "the sanitizers' allocator cannot be counted";
    const char* text = "F1=Displaywechsel    Sek.=12   Taste=38   Räder Drücke";
    CanvasTextOut(&canvas, 4, 4, text);
    ResetAllocationCount();
    SetAllocationCounting(true);
    for (int32_t i = 0; i < 50; i++)
        CanvasTextOut(&canvas, 4 + i, 4, text);
    SetAllocationCounting(false);
    EXPECT_EQ(AllocationCount(), 0u);
}

struct TObservedText {
    const TCanvas* canvas;
    int32_t x;
    int32_t y;
    std::string text;
    uint32_t pixelAtCall;
};

std::vector<TObservedText> Observed;

void Observe(const TCanvas* canvas, int32_t x, int32_t y, const char* text) {
    Observed.push_back({canvas, x, y, text, CanvasPixel(canvas, x, y)});
}

TEST_F(CanvasTextTest, ObserverSeesEveryTextBeforeItIsDrawn) {
    Observed.clear();
    CanvasTextObserver = Observe;
    CanvasSetBrushColor(&canvas, Red);
    CanvasTextOut(&canvas, 20, 32, "F3=Kameramoving Aus/Ein");
    CanvasTextOut(&canvas, -7, 9000, "");
    ASSERT_EQ(Observed.size(), 2u);
    EXPECT_EQ(Observed[0].canvas, &canvas);
    EXPECT_EQ(Observed[0].text, "F3=Kameramoving Aus/Ein");
    EXPECT_EQ(Observed[0].pixelAtCall, White); // seen before the cell was painted
    EXPECT_EQ(Observed[1].x, -7);
    EXPECT_EQ(Observed[1].y, 9000);
}

} // namespace
