// Fuzz target for the canvas: random lines, rectangles and texts with coordinates over the whole 32-bit
// range and beyond (through the same saturating truncation the draw passes use). Every operation must
// stay inside the pixel buffer and finish quickly, and every line, drawn again alone on a small canvas,
// must show exactly the pixels its definition puts there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "draw/Canvas.h"
#include "draw/LineReference.h"
#include "exact/Numeric.h"

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
    template <typename T> T Take() {
        T value{};
        if (at + sizeof(T) <= size) {
            std::memcpy(&value, data + at, sizeof(T));
            at += sizeof(T);
        } else {
            at = size;
        }
        return value;
    }
    bool More() const { return at < size; }
};

// A coordinate either as a raw int32 or as a double truncated the way projected points are.
int32_t Coordinate(Reader& in) {
    if (in.Take<uint8_t>() & 1) return in.Take<int32_t>();
    return TruncToInt32(in.Take<double>());
}

TCanvas Frame;
TCanvas Probe;

// The line alone on a small canvas against its definition; a difference stops the fuzzer.
void CheckLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (Probe.Pixels == nullptr) CanvasCreate(&Probe, 64, 48);
    CanvasSetBrushColor(&Probe, RGBColor(255, 255, 255));
    CanvasFillRect(&Probe, TRect{0, 0, Probe.Width, Probe.Height});
    CanvasMoveTo(&Probe, x0, y0);
    CanvasLineTo(&Probe, x1, y1);
    std::vector<TLinePixel> drawn;
    for (int32_t y = 0; y < Probe.Height; y++) {
        for (int32_t x = 0; x < Probe.Width; x++) {
            if (CanvasPixel(&Probe, x, y) != 0xFFFFFFFFu) drawn.push_back({x, y});
        }
    }
    if (!(drawn == ReferenceLine(x0, y0, x1, y1, Probe.Width, Probe.Height))) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (Frame.Pixels == nullptr) CanvasCreate(&Frame, 600, 600);
    Reader in{data, size, 0};
    char text[64];
    for (int op = 0; op < 64 && in.More(); op++) {
        switch (in.Take<uint8_t>() % 6) {
        case 0:
            CanvasMoveTo(&Frame, Coordinate(in), Coordinate(in));
            break;
        case 1: {
            const int32_t x = Coordinate(in);
            const int32_t y = Coordinate(in);
            CheckLine(Frame.PenX, Frame.PenY, x, y);
            CanvasLineTo(&Frame, x, y);
            break;
        }
        case 2:
            CanvasFillRect(&Frame, TRect{Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)});
            break;
        case 3:
            CanvasFrameRect(&Frame, TRect{Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)});
            break;
        case 4: {
            const size_t length = in.Take<uint8_t>() % sizeof text;
            size_t n = 0;
            while (n < length && in.More())
                text[n++] = (char)in.Take<uint8_t>();
            text[n] = 0;
            const int32_t x = Coordinate(in);
            CanvasTextOut(&Frame, x, Coordinate(in), text);
            break;
        }
        default:
            CanvasSetPenColor(&Frame, in.Take<int32_t>());
            CanvasSetBrushColor(&Frame, in.Take<int32_t>());
            break;
        }
    }
    return 0;
}
