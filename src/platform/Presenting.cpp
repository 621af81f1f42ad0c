// Where and how large the drawing area is shown in a client area, the size a window opens at, whether a
// remembered place can still be seen, and the sharp scale done on the processor for a backend without a
// graphics card's bilinear copy.
#include "platform/Platform.h"

int32_t OpeningMultiple(int32_t usableWidth, int32_t usableHeight) {
    const int64_t across = (int64_t)usableWidth * 9 / (10 * DrawingAreaWidth);
    const int64_t down = (int64_t)usableHeight * 9 / (10 * DrawingAreaHeight);
    const int64_t whole = across < down ? across : down;
    return whole < 1 ? 1 : (int32_t)whole;
}

TPresentLayout PresentLayout(int32_t clientWidth, int32_t clientHeight, TScaling scaling) {
    if (clientWidth < 1) clientWidth = 1;
    if (clientHeight < 1) clientHeight = 1;
    if (scaling == TScaling::OneToOne) return TPresentLayout{1, 0, 0, DrawingAreaWidth, DrawingAreaHeight};
    int64_t width = clientWidth;
    int64_t height = clientHeight;
    // The side that limits the scale gives the other, rounded to the nearest pixel.
    if ((int64_t)clientWidth * DrawingAreaHeight <= (int64_t)clientHeight * DrawingAreaWidth)
        height = ((int64_t)clientWidth * DrawingAreaHeight * 2 + DrawingAreaWidth) / (2 * DrawingAreaWidth);
    else
        width = ((int64_t)clientHeight * DrawingAreaWidth * 2 + DrawingAreaHeight) / (2 * DrawingAreaHeight);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const int64_t across = width / DrawingAreaWidth;
    const int64_t down = height / DrawingAreaHeight;
    const int64_t whole = across < down ? across : down;
    return TPresentLayout{whole < 1 ? 1 : (int32_t)whole, (int32_t)((clientWidth - width) / 2),
                          (int32_t)((clientHeight - height) / 2), (int32_t)width, (int32_t)height};
}

bool PlaceOnDisplays(const TRect& place, const TRect* displays, int32_t count) {
    constexpr int32_t GrabWidth = 64;
    constexpr int32_t GrabHeight = 32;
    for (int32_t i = 0; i < count; i++) {
        const TRect& display = displays[i];
        const int32_t left = place.Left > display.Left ? place.Left : display.Left;
        const int32_t right = place.Right < display.Right ? place.Right : display.Right;
        const int32_t bottom = place.Top + GrabHeight;
        if (right - left >= GrabWidth && place.Top >= display.Top && bottom <= display.Bottom) return true;
    }
    return false;
}

void SharpScaleTaps(int32_t source, int32_t whole, int32_t target, TScaleTap* taps) {
    const int64_t scaled = (int64_t)source * whole;
    for (int32_t i = 0; i < target; i++) {
        // The centre of target pixel i in the whole-number picture, minus half a pixel, as a fraction over
        // 2 * target: ((2i + 1) * scaled - target) / (2 * target).
        const int64_t over = (2 * (int64_t)i + 1) * scaled - target;
        const int64_t under = 2 * (int64_t)target;
        int64_t first = over < 0 ? 0 : over / under;
        int64_t weight = over < 0 ? 0 : ((over % under) * 256 * 2 + under) / (2 * under);
        if (weight == 256) {
            first++;
            weight = 0;
        }
        if (first > scaled - 1) first = scaled - 1;
        const int64_t second = first + 1 < scaled ? first + 1 : scaled - 1;
        taps[i].First = (int32_t)(first / whole);
        taps[i].Second = (int32_t)(second / whole);
        taps[i].Weight = taps[i].First == taps[i].Second ? 0 : (int32_t)weight;
    }
}

// The two rows' pixels blended with 16 bits of weight, rounded once.
static uint32_t Blend4(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int32_t across, int32_t down) {
    uint32_t result = 0xFF000000u;
    for (int32_t shift = 0; shift < 24; shift += 8) {
        const int32_t top =
            (int32_t)((a >> shift) & 0xFF) * (256 - across) + (int32_t)((b >> shift) & 0xFF) * across;
        const int32_t low =
            (int32_t)((c >> shift) & 0xFF) * (256 - across) + (int32_t)((d >> shift) & 0xFF) * across;
        result |= (uint32_t)((top * (256 - down) + low * down + 32768) >> 16) << shift;
    }
    return result;
}

void SharpScale(const uint32_t* source, int32_t stride, uint32_t* target, int32_t targetWidth,
                int32_t targetHeight, const TScaleTap* columns, const TScaleTap* rows) {
    for (int32_t y = 0; y < targetHeight; y++) {
        const TScaleTap row = rows[y];
        const uint32_t* upper = source + (size_t)row.First * (size_t)stride;
        const uint32_t* lower = source + (size_t)row.Second * (size_t)stride;
        uint32_t* to = target + (size_t)y * (size_t)targetWidth;
        for (int32_t x = 0; x < targetWidth; x++) {
            const TScaleTap column = columns[x];
            if (row.Weight == 0 && column.Weight == 0)
                to[x] = upper[column.First];
            else
                to[x] = Blend4(upper[column.First], upper[column.Second], lower[column.First],
                               lower[column.Second], column.Weight, row.Weight);
        }
    }
}
