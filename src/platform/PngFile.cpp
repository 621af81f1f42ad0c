// PNG output of a canvas, through libpng.
#include "platform/PngFile.h"

#include <cstdio>

bool WriteCanvasPng(const TCanvas*, const char*, char* error, size_t errorSize) {
    std::snprintf(error, errorSize, "PNG output is not built yet");
    return false;
}
