// Writing a canvas as a PNG file.
#pragma once

#include <cstddef>

#include "platform/Canvas.h"

// Writes the whole canvas as an RGB PNG. With a part path the picture is written there and renamed onto path,
// so that the file appears complete or not at all, and a failure removes the part file; without one (a
// device or a pipe, which cannot be renamed onto) it is written straight to path. On failure returns false
// and puts a one-line reason into error.
bool WriteCanvasPng(const TCanvas* canvas, const char* path, const char* partPath, char* error,
                    size_t errorSize);
