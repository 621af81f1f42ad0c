// Writing a canvas as a PNG file, and reading a PNG image held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "draw/Canvas.h"

// Writes the whole canvas as an RGB PNG into file and flushes it; the caller opened the file and closes it
// (the runner writes a part file and renames it when the whole run is done). On failure returns false and
// puts a one-line reason into error.
bool WriteCanvasPng(const TCanvas* canvas, FILE* file, char* error, size_t errorSize);

// Decodes a PNG image from memory into pixels, row after row, each 0xAARRGGBB (alpha not premultiplied).
// Returns false for data that is no PNG image, or when it is larger than maxSide in either direction.
bool ReadPngPixels(const uint8_t* data, size_t size, int32_t maxSide, std::vector<uint32_t>* pixels,
                   int32_t* width, int32_t* height);
