// Canvas: a software rasteriser over a 0xFFRRGGBB pixel buffer. Lines leave their end pixel out and are
// clipped to the buffer before they are stepped, so any 32-bit coordinate is cheap and safe; rectangles
// exclude their right and bottom edges. Text is composed from the glyph cache of Font.cpp.
#include "draw/Canvas.h"

#include <cstdlib>
#include <cstring>

#include "draw/Font.h"

void (*CanvasTextObserver)(const TCanvas* canvas, int32_t x, int32_t y, const char* text);

// Products of two coordinate differences need more than 64 bits.
__extension__ typedef __int128 TWide;

void CanvasCreate(TCanvas* canvas, int32_t width, int32_t height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    const size_t count = (size_t)width * (size_t)height;
    canvas->Pixels = count > 0 ? (uint32_t*)std::malloc(count * sizeof(uint32_t)) : nullptr;
    if (canvas->Pixels == nullptr) width = height = 0;
    canvas->Width = width;
    canvas->Height = height;
    for (size_t i = 0; i < (size_t)width * (size_t)height; i++)
        canvas->Pixels[i] = 0xFFFFFFFFu;
    canvas->PenColor = RGBColor(0, 0, 0);
    canvas->BrushColor = RGBColor(255, 255, 255);
    canvas->PenX = canvas->PenY = 0;
}

void CanvasFree(TCanvas* canvas) {
    std::free(canvas->Pixels);
    canvas->Pixels = nullptr;
    canvas->Width = canvas->Height = 0;
}

void CanvasSetPenColor(TCanvas* canvas, int32_t color) {
    canvas->PenColor = color;
}
void CanvasSetBrushColor(TCanvas* canvas, int32_t color) {
    canvas->BrushColor = color;
}

void CanvasMoveTo(TCanvas* canvas, int32_t x, int32_t y) {
    canvas->PenX = x;
    canvas->PenY = y;
}

// The steps i from *lo to *hi at which the coordinate start + dir * i lies in 0..size-1.
static void StepsInside(int64_t start, int64_t dir, int64_t size, int64_t* lo, int64_t* hi) {
    if (dir > 0) {
        *lo = -start;
        *hi = size - 1 - start;
    } else {
        *lo = start - (size - 1);
        *hi = start;
    }
}

// a / b and a % b for a >= 0 and b > 0. Most lines keep a within 64 bits, where the division is one
// instruction; the wide one is a library call.
static int64_t Divide(TWide a, int64_t b, int64_t* remainder) {
    if (a <= (TWide)INT64_MAX) {
        *remainder = (int64_t)a % b;
        return (int64_t)a / b;
    }
    *remainder = (int64_t)(a % b);
    return (int64_t)(a / b);
}

// The minor offset of step i is i * minor / major rounded, halves away from the start:
// (2 * i * minor + major) / (2 * major). It never falls as i grows, so the steps whose offset reaches n
// begin at the least i with 2 * i * minor + major >= 2 * n * major, found here directly (n, minor >= 1).
static int64_t FirstStepReaching(int64_t n, int64_t minor, int64_t major) {
    int64_t remainder;
    const int64_t steps = Divide((TWide)major * (2 * n - 1), 2 * minor, &remainder);
    return remainder > 0 ? steps + 1 : steps;
}

// Steps a line along its major axis over just the steps that land in the buffer, found before the first
// one is drawn, so the work is bounded by the buffer size; each pixel is the one the whole line would put
// there. The stepping itself is the classic error-term walk over a pixel index.
static void DrawClippedLine(TCanvas* canvas, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    // Both ends beyond the same edge: the line never enters. Most off-screen edges of the 3D view end here.
    const int64_t width = canvas->Width;
    const int64_t height = canvas->Height;
    if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= width && x1 >= width) ||
        (y0 >= height && y1 >= height))
        return;
    const int64_t dx = x1 - x0;
    const int64_t dy = y1 - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t major = xMajor ? adx : ady;
    const int64_t minor = xMajor ? ady : adx;
    if (major == 0) return;
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t minorStart = xMajor ? y0 : x0;
    const int64_t majorDir = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorDir = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorSize = xMajor ? width : height;
    const int64_t minorSize = xMajor ? height : width;

    int64_t first;
    int64_t last;
    StepsInside(majorStart, majorDir, majorSize, &first, &last);
    if (first < 0) first = 0;
    if (last > major - 1) last = major - 1;
    if (first > last) return;

    // The minor coordinate must also be inside: offsets from need to limit. No offset exceeds minor.
    int64_t need;
    int64_t limit;
    StepsInside(minorStart, minorDir, minorSize, &need, &limit);
    if (limit < 0 || need > minor) return;
    if (need > 0) {
        const int64_t reaching = FirstStepReaching(need, minor, major);
        if (reaching > first) first = reaching;
    }
    if (limit < minor) {
        const int64_t beyond = FirstStepReaching(limit + 1, minor, major);
        if (beyond - 1 < last) last = beyond - 1;
    }
    if (first > last) return;

    const int64_t twoMajor = 2 * major;
    const int64_t twoMinor = 2 * minor;
    int64_t remainder;
    const int64_t offset = Divide((TWide)first * twoMinor + major, twoMajor, &remainder);
    const int64_t majorAt = majorStart + majorDir * first;
    const int64_t minorAt = minorStart + minorDir * offset;
    int64_t index = xMajor ? minorAt * width + majorAt : majorAt * width + minorAt;
    const int64_t majorStep = xMajor ? majorDir : majorDir * width;
    const int64_t minorStep = xMajor ? minorDir * width : minorDir;
    const uint32_t pixel = PixelFromColor(canvas->PenColor);
    uint32_t* pixels = canvas->Pixels;
    for (int64_t count = last - first + 1; count > 0; count--) {
        pixels[index] = pixel;
        index += majorStep;
        remainder += twoMinor;
        const bool carry = remainder >= twoMajor;
        remainder -= carry ? twoMajor : 0;
        index += carry ? minorStep : 0;
    }
}

void CanvasLineTo(TCanvas* canvas, int32_t x, int32_t y) {
    if (canvas->Pixels != nullptr) DrawClippedLine(canvas, canvas->PenX, canvas->PenY, x, y);
    canvas->PenX = x;
    canvas->PenY = y;
}

// The part of rect inside the buffer; false when nothing is left.
static bool ClipRect(const TCanvas* canvas, TRect rect, TRect* clipped) {
    clipped->Left = rect.Left < 0 ? 0 : rect.Left;
    clipped->Top = rect.Top < 0 ? 0 : rect.Top;
    clipped->Right = rect.Right > canvas->Width ? canvas->Width : rect.Right;
    clipped->Bottom = rect.Bottom > canvas->Height ? canvas->Height : rect.Bottom;
    return canvas->Pixels != nullptr && clipped->Left < clipped->Right && clipped->Top < clipped->Bottom;
}

static void FillPixels(TCanvas* canvas, TRect rect, uint32_t pixel) {
    TRect area;
    if (!ClipRect(canvas, rect, &area)) return;
    uint32_t* first = canvas->Pixels + (size_t)area.Top * (size_t)canvas->Width + (size_t)area.Left;
    const size_t width = (size_t)(area.Right - area.Left);
    // A pixel of four equal bytes, as white and black are, fills its rows at the library's memset speed.
    const uint8_t byte = (uint8_t)pixel;
    if (pixel == byte * 0x01010101u) {
        for (int32_t y = area.Top; y < area.Bottom; y++)
            std::memset(first + (size_t)(y - area.Top) * (size_t)canvas->Width, byte,
                        width * sizeof(uint32_t));
        return;
    }
    // Any other colour: the first row pixel by pixel, the others as copies of it.
    for (size_t x = 0; x < width; x++)
        first[x] = pixel;
    for (int32_t y = area.Top + 1; y < area.Bottom; y++)
        std::memcpy(canvas->Pixels + (size_t)y * (size_t)canvas->Width + (size_t)area.Left, first,
                    width * sizeof(uint32_t));
}

void CanvasFillRect(TCanvas* canvas, TRect rect) {
    FillPixels(canvas, rect, PixelFromColor(canvas->BrushColor));
}

void CanvasFrameRect(TCanvas* canvas, TRect rect) {
    if (rect.Left >= rect.Right || rect.Top >= rect.Bottom) return;
    const uint32_t pixel = PixelFromColor(canvas->BrushColor);
    FillPixels(canvas, TRect{rect.Left, rect.Top, rect.Right, rect.Top + 1}, pixel);
    FillPixels(canvas, TRect{rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, pixel);
    FillPixels(canvas, TRect{rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, pixel);
    FillPixels(canvas, TRect{rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, pixel);
}

// Darkens the pixel toward black by the glyph's coverage.
static constexpr uint32_t BlendToBlack(uint32_t pixel, uint32_t coverage) {
    const uint32_t keep = 255 - coverage;
    const uint32_t r = ((pixel >> 16) & 0xFF) * keep / 255;
    const uint32_t g = ((pixel >> 8) & 0xFF) * keep / 255;
    const uint32_t b = (pixel & 0xFF) * keep / 255;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

constexpr uint32_t WhitePixel = 0xFFFFFFFFu;

// What a white pixel becomes under each coverage (no coverage leaves it as it is). Text cells are white in
// every frame of the game, so nearly every glyph pixel is one look-up here, whatever its coverage.
struct TWhiteBlends {
    uint32_t Pixel[256];
};
static constexpr TWhiteBlends MakeWhiteBlends() {
    TWhiteBlends blends{};
    for (uint32_t c = 0; c < 256; c++)
        blends.Pixel[c] = c == 0 ? WhitePixel : BlendToBlack(WhitePixel, c);
    return blends;
}
static constexpr TWhiteBlends WhiteBlends = MakeWhiteBlends();

// Draws one glyph at the pen. On fresh paper, a white cell with nothing drawn yet under the glyph's box,
// every pixel is white before and needs no reading.
static void DrawGlyph(TCanvas* canvas, int64_t penX, int64_t top, const TFontGlyph* glyph, bool freshPaper) {
    const uint8_t* mask = FontGlyphMask(glyph);
    if (mask == nullptr) return;
    const int64_t left = penX + glyph->OffsetX;
    const int64_t first = top + glyph->OffsetY;
    // The part of the mask inside the buffer.
    const int32_t fromX = left < 0 ? (int32_t)(left < -(int64_t)glyph->Width ? glyph->Width : -left) : 0;
    const int32_t fromY = first < 0 ? (int32_t)(first < -(int64_t)glyph->Height ? glyph->Height : -first) : 0;
    const int64_t spaceX = (int64_t)canvas->Width - left;
    const int64_t spaceY = (int64_t)canvas->Height - first;
    const int32_t toX = spaceX < glyph->Width ? (int32_t)(spaceX < 0 ? 0 : spaceX) : glyph->Width;
    const int32_t toY = spaceY < glyph->Height ? (int32_t)(spaceY < 0 ? 0 : spaceY) : glyph->Height;
    if (fromX >= toX) return;
    const size_t count = (size_t)(toX - fromX);
    for (int32_t gy = fromY; gy < toY; gy++) {
        const uint8_t* coverage = mask + (size_t)gy * (size_t)glyph->Width + (size_t)fromX;
        uint32_t* pixel =
            canvas->Pixels + (size_t)(first + gy) * (size_t)canvas->Width + (size_t)(left + fromX);
        if (freshPaper) {
            for (size_t k = 0; k < count; k++)
                pixel[k] = WhiteBlends.Pixel[coverage[k]];
            continue;
        }
        for (size_t k = 0; k < count; k++) {
            const uint32_t c = coverage[k];
            if (pixel[k] == WhitePixel)
                pixel[k] = WhiteBlends.Pixel[c];
            else if (c == 255)
                pixel[k] = 0xFF000000u;
            else if (c != 0)
                pixel[k] = BlendToBlack(pixel[k], c);
        }
    }
}

void CanvasTextOut(TCanvas* canvas, int32_t x, int32_t y, const char* text) {
    if (CanvasTextObserver != nullptr) CanvasTextObserver(canvas, x, y, text);
    if (text == nullptr || canvas->Pixels == nullptr) return;
    const int64_t right = (int64_t)x + FontTextWidth(text);
    const int64_t bottom = (int64_t)y + FontLineHeight();
    TRect cell{x, y, right > INT32_MAX ? INT32_MAX : (int32_t)right,
               bottom > INT32_MAX ? INT32_MAX : (int32_t)bottom};
    CanvasFillRect(canvas, cell);
    const bool whiteCell = PixelFromColor(canvas->BrushColor) == WhitePixel;
    int64_t inkRight = INT64_MIN; // right edge of the glyph boxes drawn so far
    int64_t penX = x;
    while (*text != '\0' && penX < canvas->Width) {
        const TFontGlyph* glyph = FontGlyphFor(FontNextCodePoint(&text));
        const int64_t left = penX + glyph->OffsetX;
        const int64_t top = (int64_t)y + glyph->OffsetY;
        const bool inCell =
            left >= x && left + glyph->Width <= cell.Right && top >= y && top + glyph->Height <= cell.Bottom;
        DrawGlyph(canvas, penX, y, glyph, whiteCell && inCell && left >= inkRight);
        if (glyph->Width > 0 && left + glyph->Width > inkRight) inkRight = left + glyph->Width;
        penX += glyph->Advance;
    }
}

uint32_t CanvasPixel(const TCanvas* canvas, int32_t x, int32_t y) {
    if (canvas->Pixels == nullptr || x < 0 || y < 0 || x >= canvas->Width || y >= canvas->Height) return 0;
    return canvas->Pixels[(size_t)y * (size_t)canvas->Width + (size_t)x];
}
