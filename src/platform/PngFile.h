// Writing a canvas as a PNG file.
#pragma once

#include <cstddef>

#include "platform/Canvas.h"

// Writes the whole canvas as an RGB PNG. The file appears complete or not at all (written beside it, then
// renamed). On failure returns false and puts a one-line reason into error.
bool WriteCanvasPng(const TCanvas* canvas, const char* path, char* error, size_t errorSize);
