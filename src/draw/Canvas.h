// draw/: pictures in memory: this canvas, the head-up display's built-in face (Font.h) and PNG files.
//
// A drawing canvas over a pixel buffer, with the operations of a classic 2D device interface: pen and brush
// colour, MoveTo/LineTo, FillRect, FrameRect and TextOut. Coordinates are window coordinates of
// any 32-bit value; everything outside the buffer is clipped. Colours are COLORREF values r | g<<8 | b<<16.
#pragma once

#include <cstdint>

struct TRect {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

struct TCanvas {
    uint32_t* Pixels; // Width x Height, row after row, each 0xFFRRGGBB
    int32_t Width;
    int32_t Height;
    int32_t PenColor;   // COLORREF
    int32_t BrushColor; // COLORREF
    int32_t PenX;       // current position of MoveTo/LineTo
    int32_t PenY;
};

constexpr int32_t RGBColor(int32_t r, int32_t g, int32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t PixelFromColor(int32_t color) {
    return 0xFF000000u | ((uint32_t)(color & 0xFF) << 16) | ((uint32_t)color & 0xFF00u) |
           (((uint32_t)color >> 16) & 0xFFu);
}
constexpr int32_t ColorFromPixel(uint32_t pixel) {
    return (int32_t)(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

// A new canvas: every pixel white, solid white brush, solid black pen one pixel wide, the default font.
void CanvasCreate(TCanvas* canvas, int32_t width, int32_t height);
void CanvasFree(TCanvas* canvas);

void CanvasSetPenColor(TCanvas* canvas, int32_t color);
void CanvasSetBrushColor(TCanvas* canvas, int32_t color);
void CanvasMoveTo(TCanvas* canvas, int32_t x, int32_t y);
// Draws from the current position to (x, y), leaving the end pixel out; (x, y) becomes the current position.
void CanvasLineTo(TCanvas* canvas, int32_t x, int32_t y);
// Fills the rectangle with the brush colour; right and bottom are excluded.
void CanvasFillRect(TCanvas* canvas, TRect rect);
// A one-pixel border just inside the rectangle, in the brush colour.
void CanvasFrameRect(TCanvas* canvas, TRect rect);
// Writes UTF-8 text with its top-left at (x, y): the text cell opaque in the brush colour, the text black.
void CanvasTextOut(TCanvas* canvas, int32_t x, int32_t y, const char* text);
// The pixel at (x, y); 0 outside the canvas.
uint32_t CanvasPixel(const TCanvas* canvas, int32_t x, int32_t y);

// Sees every TextOut call before it is drawn; tests use it to read what a pass wrote. Null when unused.
extern void (*CanvasTextObserver)(const TCanvas* canvas, int32_t x, int32_t y, const char* text);
