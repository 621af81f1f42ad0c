// PNG output of a canvas through libpng (8-bit RGB) into a stream the caller opened, and PNG input from
// memory through libpng's simplified reading interface.
#include "platform/PngFile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The reason libpng gave for giving up, kept until the write reports it.
static char PngReason[256];

static void OnPngError(png_structp png, png_const_charp message) {
    std::snprintf(PngReason, sizeof PngReason, "%s", message);
    png_longjmp(png, 1);
}

static void OnPngWarning(png_structp, png_const_charp) {}

// Encodes the canvas into file; false with PngReason set when libpng gave up. Kept free of objects with
// destructors, since an error returns here by longjmp.
static bool EncodePng(FILE* file, const TCanvas* canvas, png_bytep row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(PngReason, sizeof PngReason, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        if (info == nullptr) std::snprintf(PngReason, sizeof PngReason, "out of memory");
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)canvas->Width, (png_uint_32)canvas->Height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < canvas->Height; y++) {
        const uint32_t* pixels = canvas->Pixels + (size_t)y * (size_t)canvas->Width;
        for (int32_t x = 0; x < canvas->Width; x++) {
            row[3 * x] = (png_byte)(pixels[x] >> 16);
            row[3 * x + 1] = (png_byte)(pixels[x] >> 8);
            row[3 * x + 2] = (png_byte)pixels[x];
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WriteCanvasPng(const TCanvas* canvas, FILE* file, char* error, size_t errorSize) {
    if (canvas == nullptr || canvas->Pixels == nullptr || canvas->Width <= 0 || canvas->Height <= 0) {
        std::snprintf(error, errorSize, "the canvas is empty");
        return false;
    }
    png_bytep row = (png_bytep)std::malloc((size_t)canvas->Width * 3);
    bool written = row != nullptr && EncodePng(file, canvas, row);
    if (row == nullptr) std::snprintf(PngReason, sizeof PngReason, "out of memory");
    std::free(row);
    if (written && (std::fflush(file) != 0 || std::ferror(file) != 0)) {
        std::snprintf(PngReason, sizeof PngReason, "%s", std::strerror(errno));
        written = false;
    }
    if (!written) std::snprintf(error, errorSize, "%s", PngReason);
    return written;
}

bool ReadPngPixels(const uint8_t* data, size_t size, int32_t maxSide, std::vector<uint32_t>* pixels,
                   int32_t* width, int32_t* height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, data, size) == 0) return false;
    if (image.width == 0 || image.height == 0 || image.width > (png_uint_32)maxSide ||
        image.height > (png_uint_32)maxSide) {
        png_image_free(&image);
        return false;
    }
    // The byte order that reads as 0xAARRGGBB in a 32-bit value.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    image.format = PNG_FORMAT_BGRA;
#else
    image.format = PNG_FORMAT_ARGB;
#endif
    pixels->assign((size_t)image.width * image.height, 0);
    if (png_image_finish_read(&image, nullptr, pixels->data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    *width = (int32_t)image.width;
    *height = (int32_t)image.height;
    return true;
}
