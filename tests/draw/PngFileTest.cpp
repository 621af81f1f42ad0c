// PNG output: what is written reads back pixel for pixel, and a failed write says why. PNG input
// from memory: the built-in icon is the installed picture, and what is no PNG image is refused.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "draw/Canvas.h"
#include "draw/PngFile.h"
#include "platform/Platform.h"
#include "platform/sdl/GameIcon.h"
#include "world/DatenStruktur.h"

namespace {

class PngFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        char pattern[] = "/tmp/tramolo-png-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (const std::string& name : Entries())
            std::remove((dir + "/" + name).c_str());
        rmdir(dir.c_str());
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        DIR* handle = opendir(dir.c_str());
        if (handle == nullptr) return names;
        while (dirent* entry = readdir(handle)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(handle);
        return names;
    }

    std::string dir;
};

struct TReadImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int colorType = -1;
    int bitDepth = 0;
    std::vector<uint8_t> rgb;
};

// The canvas as a PNG file at path.
bool WritePngFile(const TCanvas* canvas, const std::string& path, char* error, size_t errorSize) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = WriteCanvasPng(canvas, file, error, errorSize);
    return std::fclose(file) == 0 && written;
}

TReadImage ReadPng(const std::string& path) {
    TReadImage image;
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&reader, path.c_str()) == 0) return image;
    image.width = reader.width;
    image.height = reader.height;
    image.colorType =
        (reader.format & PNG_FORMAT_FLAG_COLOR) != 0 && (reader.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    reader.format = PNG_FORMAT_RGB;
    image.rgb.resize(PNG_IMAGE_SIZE(reader));
    if (png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr) == 0) image.rgb.clear();
    return image;
}

TEST_F(PngFileTest, WrittenPixelsReadBackUnchanged) {
    TCanvas canvas{};
    CanvasCreate(&canvas, 7, 5);
    for (int32_t y = 0; y < 5; y++) {
        for (int32_t x = 0; x < 7; x++) {
            canvas.Pixels[y * 7 + x] =
                0xFF000000u | (uint32_t)(x * 36) << 16 | (uint32_t)(y * 60) << 8 | (uint32_t)(x + y);
        }
    }
    const std::string path = dir + "/frame.png";
    char error[256] = "";
    ASSERT_TRUE(WritePngFile(&canvas, path, error, sizeof error)) << error;
    const TReadImage image = ReadPng(path);
    ASSERT_EQ(image.width, 7u);
    ASSERT_EQ(image.height, 5u);
    EXPECT_EQ(image.colorType, 1); // colour without alpha
    ASSERT_EQ(image.rgb.size(), 7u * 5u * 3u);
    for (int32_t y = 0; y < 5; y++) {
        for (int32_t x = 0; x < 7; x++) {
            const uint8_t* rgb = &image.rgb[(size_t)(y * 7 + x) * 3];
            EXPECT_EQ(rgb[0], x * 36) << x << "," << y;
            EXPECT_EQ(rgb[1], y * 60) << x << "," << y;
            EXPECT_EQ(rgb[2], x + y) << x << "," << y;
        }
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"frame.png"});
    CanvasFree(&canvas);
}

TEST_F(PngFileTest, AFullDeviceFailsWithAReason) {
    TCanvas canvas{};
    CanvasCreate(&canvas, 4, 4);
    char error[256] = "";
    EXPECT_TRUE(WritePngFile(&canvas, "/dev/null", error, sizeof error)) << error;
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(WriteCanvasPng(&canvas, full, error, sizeof error));
    std::fclose(full);
    EXPECT_NE(std::string(error), "");
    EXPECT_EQ(std::string(error).find('\n'), std::string::npos) << error;
    CanvasFree(&canvas);
}

// ---- Reading from memory ---------------------------------------------------------------------------------

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF)
        bytes.push_back((uint8_t)c);
    std::fclose(file);
    return bytes;
}

TEST_F(PngFileTest, AWrittenCanvasReadsBackFromMemoryOpaque) {
    TCanvas canvas{};
    CanvasCreate(&canvas, 9, 4);
    for (int32_t i = 0; i < 36; i++)
        canvas.Pixels[i] =
            0xFF000000u | (uint32_t)(i * 7) << 16 | (uint32_t)(255 - i) << 8 | (uint32_t)(i * 3);
    const std::string path = dir + "/frame.png";
    char error[256] = "";
    ASSERT_TRUE(WritePngFile(&canvas, path, error, sizeof error)) << error;
    const std::vector<uint8_t> bytes = FileBytes(path);
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(ReadPngPixels(bytes.data(), bytes.size(), 64, &pixels, &width, &height));
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(pixels, std::vector<uint32_t>(canvas.Pixels, canvas.Pixels + 36));
    // Too large for the caller's bound.
    EXPECT_FALSE(ReadPngPixels(bytes.data(), bytes.size(), 8, &pixels, &width, &height));
    CanvasFree(&canvas);
}

TEST_F(PngFileTest, TheBuiltInIconIsTheInstalledPicture) {
    const std::string installed = std::string(TRAMOLO_SOURCE_DIR) + "/data/tramolo.png";
    const std::vector<uint8_t> bytes = FileBytes(installed);
    ASSERT_FALSE(bytes.empty()) << installed;
    EXPECT_EQ(std::vector<uint8_t>(GameIconPng, GameIconPng + GameIconPngSize), bytes);
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(ReadPngPixels(GameIconPng, GameIconPngSize, 256, &pixels, &width, &height));
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 64);
    // The picture as libpng's file reader gives it, in the same 0xAARRGGBB form.
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&reader, installed.c_str()), 0);
    reader.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(reader));
    ASSERT_NE(png_image_finish_read(&reader, nullptr, rgba.data(), 0, nullptr), 0);
    ASSERT_EQ(rgba.size(), pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); i++) {
        const uint32_t expected = (uint32_t)rgba[4 * i + 3] << 24 | (uint32_t)rgba[4 * i] << 16 |
                                  (uint32_t)rgba[4 * i + 1] << 8 | rgba[4 * i + 2];
        ASSERT_EQ(pixels[i], expected) << "pixel " << i;
    }
}

TEST_F(PngFileTest, WhatIsNoPngImageIsRefused) {
    std::vector<uint32_t> pixels;
    int32_t width = -1;
    int32_t height = -1;
    const uint8_t text[] = "not a picture at all";
    EXPECT_FALSE(ReadPngPixels(text, sizeof text, 256, &pixels, &width, &height));
    // The icon cut off in the middle of its image data.
    EXPECT_FALSE(ReadPngPixels(GameIconPng, GameIconPngSize / 2, 256, &pixels, &width, &height));
    EXPECT_FALSE(ReadPngPixels(GameIconPng, 0, 256, &pixels, &width, &height));
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);
}

} // namespace
