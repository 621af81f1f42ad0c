// Canvas: a software rasteriser over a pixel buffer.
#include "platform/Canvas.h"

#include <cstdlib>

void (*CanvasTextObserver)(const TCanvas* canvas, int32_t x, int32_t y, const char* text);

void CanvasCreate(TCanvas* canvas, int32_t width, int32_t height) {
    canvas->Width = width;
    canvas->Height = height;
    canvas->Pixels = (uint32_t*)std::calloc((size_t)width * (size_t)height, sizeof(uint32_t));
    for (int32_t i = 0; i < width * height; i++) canvas->Pixels[i] = 0xFFFFFFFFu;
    canvas->PenColor = 0;
    canvas->BrushColor = RGBColor(255, 255, 255);
    canvas->PenX = canvas->PenY = 0;
}
void CanvasFree(TCanvas* canvas) {
    std::free(canvas->Pixels);
    canvas->Pixels = nullptr;
}
void CanvasSetPenColor(TCanvas* canvas, int32_t color) { canvas->PenColor = color; }
void CanvasSetBrushColor(TCanvas* canvas, int32_t color) { canvas->BrushColor = color; }
void CanvasMoveTo(TCanvas* canvas, int32_t x, int32_t y) {
    canvas->PenX = x;
    canvas->PenY = y;
}
void CanvasLineTo(TCanvas* canvas, int32_t x, int32_t y) {
    canvas->PenX = x;
    canvas->PenY = y;
}
void CanvasFillRect(TCanvas*, TRect) {}
void CanvasFrameRect(TCanvas*, TRect) {}
void CanvasTextOut(TCanvas* canvas, int32_t x, int32_t y, const char* text) {
    if (CanvasTextObserver != nullptr) CanvasTextObserver(canvas, x, y, text);
}
void CanvasCopyRect(TCanvas*, TRect, const TCanvas*) {}
uint32_t CanvasPixel(const TCanvas* canvas, int32_t x, int32_t y) {
    if (canvas->Pixels == nullptr || x < 0 || y < 0 || x >= canvas->Width || y >= canvas->Height) return 0;
    return canvas->Pixels[(size_t)y * (size_t)canvas->Width + (size_t)x];
}
