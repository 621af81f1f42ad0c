// The pixels of a line as its definition gives them, one step at a time and independent of how the canvas
// clips: the line from (x0, y0) to (x1, y1), its end point left out, steps along its longer axis (x on a
// tie), and step i lands i * minor / major away on the other axis, rounded with halves away from the start.
// Only the steps inside a width x height buffer are kept, in row order. The canvas tests and the canvas
// fuzz target compare the canvas with it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

struct TLinePixel {
    int32_t X;
    int32_t Y;
    bool operator==(const TLinePixel& other) const { return X == other.X && Y == other.Y; }
};

inline std::vector<TLinePixel> ReferenceLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                                             int32_t height) {
    __extension__ typedef __int128 Wide;
    const int64_t dx = (int64_t)x1 - x0;
    const int64_t dy = (int64_t)y1 - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t major = xMajor ? adx : ady;
    const int64_t minor = xMajor ? ady : adx;
    const int64_t majorDir = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorDir = (xMajor ? dy : dx) < 0 ? -1 : 1;
    std::vector<TLinePixel> pixels;
    // Each position along the major axis is reached by at most one step.
    for (int64_t at = 0; at < (xMajor ? width : height); at++) {
        const int64_t i = (at - (xMajor ? x0 : y0)) * majorDir;
        if (i < 0 || i >= major) continue;
        const int64_t offset = (int64_t)(((Wide)2 * i * minor + major) / ((Wide)2 * major));
        const int64_t other = (xMajor ? y0 : x0) + minorDir * offset;
        const int64_t x = xMajor ? at : other;
        const int64_t y = xMajor ? other : at;
        if (x >= 0 && y >= 0 && x < width && y < height) pixels.push_back({(int32_t)x, (int32_t)y});
    }
    std::sort(pixels.begin(), pixels.end(),
              [](const TLinePixel& a, const TLinePixel& b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
    return pixels;
}
