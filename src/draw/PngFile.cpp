// PNG output of a canvas through stb_image_write (8-bit RGB) into a stream the caller opened, and PNG input
// from memory through stb_image, which reads PNG only.
#include "draw/PngFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// stb's writer and reader are compiled here, private to this file and without their file functions. Their
// code is not held to the game's warnings.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

// The reason the encoder or the file gave for giving up, kept until the write reports it.
static char PngReason[256];

// Where stb's encoder hands the finished picture: the file, and the first write error met.
struct TPngSink {
    FILE* File;
    int Error;
};

static void WriteToSink(void* context, void* data, int size) {
    TPngSink* sink = (TPngSink*)context;
    if (sink->Error == 0 && std::fwrite(data, 1, (size_t)size, sink->File) != (size_t)size)
        sink->Error = errno != 0 ? errno : EIO;
}

// Encodes the canvas into file; false with PngReason set when stb or the file gave up.
static bool EncodePng(FILE* file, const TCanvas* canvas) {
    // stb counts the bytes of a picture and its filtered rows in an int.
    const size_t rowBytes = (size_t)canvas->Width * 3;
    if ((rowBytes + 1) * (size_t)canvas->Height > (size_t)INT_MAX) {
        std::snprintf(PngReason, sizeof PngReason, "the canvas is too large for a PNG file");
        return false;
    }
    uint8_t* rgb = (uint8_t*)std::malloc(rowBytes * (size_t)canvas->Height);
    if (rgb == nullptr) {
        std::snprintf(PngReason, sizeof PngReason, "out of memory");
        return false;
    }
    const size_t count = (size_t)canvas->Width * (size_t)canvas->Height;
    for (size_t i = 0; i < count; i++) {
        const uint32_t pixel = canvas->Pixels[i];
        rgb[3 * i] = (uint8_t)(pixel >> 16);
        rgb[3 * i + 1] = (uint8_t)(pixel >> 8);
        rgb[3 * i + 2] = (uint8_t)pixel;
    }
    TPngSink sink{file, 0};
    errno = 0;
    // The encoder fails only when its buffers cannot be had.
    const bool encoded =
        stbi_write_png_to_func(WriteToSink, &sink, canvas->Width, canvas->Height, 3, rgb, (int)rowBytes) != 0;
    std::free(rgb);
    if (!encoded) std::snprintf(PngReason, sizeof PngReason, "out of memory");
    if (sink.Error != 0) std::snprintf(PngReason, sizeof PngReason, "%s", std::strerror(sink.Error));
    return encoded && sink.Error == 0;
}

bool WriteCanvasPng(const TCanvas* canvas, FILE* file, char* error, size_t errorSize) {
    if (canvas == nullptr || canvas->Pixels == nullptr || canvas->Width <= 0 || canvas->Height <= 0) {
        std::snprintf(error, errorSize, "the canvas is empty");
        return false;
    }
    bool written = EncodePng(file, canvas);
    if (written && (std::fflush(file) != 0 || std::ferror(file) != 0)) {
        std::snprintf(PngReason, sizeof PngReason, "%s", std::strerror(errno));
        written = false;
    }
    if (!written) std::snprintf(error, errorSize, "%s", PngReason);
    return written;
}

bool ReadPngPixels(const uint8_t* data, size_t size, int32_t maxSide, std::vector<uint32_t>* pixels,
                   int32_t* width, int32_t* height) {
    int w = 0;
    int h = 0;
    int channels = 0;
    if (size == 0 || size > (size_t)INT_MAX || stbi_info_from_memory(data, (int)size, &w, &h, &channels) == 0)
        return false;
    if (w <= 0 || h <= 0 || w > maxSide || h > maxSide) return false;
    stbi_uc* rgba = stbi_load_from_memory(data, (int)size, &w, &h, &channels, 4);
    if (rgba == nullptr) return false;
    pixels->resize((size_t)w * (size_t)h);
    for (size_t i = 0; i < pixels->size(); i++) {
        const stbi_uc* p = rgba + 4 * i;
        (*pixels)[i] = (uint32_t)p[3] << 24 | (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
    stbi_image_free(rgba);
    *width = w;
    *height = h;
    return true;
}
