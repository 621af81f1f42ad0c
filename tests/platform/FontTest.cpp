// The canvas font's face: which file stands in for "MS Sans Serif" at 8 points, and at which size a bitmap
// face opens.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "platform/Font.h"

namespace {

namespace fs = std::filesystem;

// The MS Sans Serif face in Windows' own bitmap format that fonts-wine ships beside the stand-in; its first
// face is the 8-point one.
constexpr char BitmapOriginal[] = "/usr/share/wine/fonts/sserife.fon";

std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    pclose(pipe);
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

class FontFace : public ::testing::Test {
  protected:
    void TearDown() override { FontUseFile(nullptr); }
};

TEST_F(FontFace, AMachineSetUpByTheReadmeShowsTheBitmapCloneAtItsThirteenPixelCell) {
    FontUseFile(nullptr);
    // fontconfig's own command names a face of that name where the machine has one; the README's set-up
    // has none, so the clone of fonts-wine stands in.
    const std::string named = CommandOutput("fc-list -f '%{file}\\n' 'MS Sans Serif' | head -n 1");
    const std::string expected = named.empty() ? std::string(FontStandInFile) : named;
    EXPECT_EQ(std::string(FontFilePath()), expected);
    EXPECT_STREQ(FontFamilyName(), "MS Sans Serif");
    EXPECT_EQ(FontLineHeight(), 13);
    EXPECT_EQ(FontTextWidth("0123456789"), 60);
    if (named.empty()) {
        const std::string owner = CommandOutput(std::string("dpkg-query -S ") + FontStandInFile + " 2>&1");
        EXPECT_EQ(owner.rfind("fonts-wine:", 0), 0u) << owner;
    }
}

TEST_F(FontFace, TheCloneHasTheWidthsOfTheOriginalBitmapFace) {
    ASSERT_TRUE(FontUseFile(BitmapOriginal));
    ASSERT_EQ(FontLineHeight(), 13);
    int32_t original[256] = {};
    for (uint32_t c = 32; c < 256; c++)
        original[c] = FontGlyphFor(c)->Advance;
    // SDL_ttf takes the size of a bitmap face as the number of its strike: the clone's strikes have cells
    // of 13, 16 and 20 pixels, and the 8-point size must open the first of them.
    ASSERT_TRUE(FontUseFile(FontStandInFile));
    EXPECT_EQ(FontLineHeight(), 13);
    int32_t letters = 0;
    for (uint32_t c = 32; c < 256; c++) {
        if (c >= 127 && c < 160) continue;
        EXPECT_EQ(FontGlyphFor(c)->Advance, original[c]) << "code point " << c;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) letters += FontGlyphFor(c)->Advance;
    }
    // About six pixels a letter.
    EXPECT_EQ(FontTextWidth("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"), letters);
    EXPECT_GE(letters, 52 * 5);
    EXPECT_LE(letters, 52 * 7);
}

// A fontconfig configuration with nothing but the given faces, in force until the test ends.
class OwnFontconfig : public FontFace {
  protected:
    void SetUp() override {
        const char* previous = std::getenv("FONTCONFIG_FILE");
        HadPrevious = previous != nullptr;
        if (HadPrevious) Previous = previous;
        Folder = fs::temp_directory_path() / ("tramolo-fonts-" + std::to_string(::getpid()));
        fs::remove_all(Folder);
        fs::create_directories(Folder / "faces");
        std::ofstream(Folder / "fonts.conf")
            << "<?xml version=\"1.0\"?>\n"
            << "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
            << "<fontconfig><dir>" << (Folder / "faces").string() << "</dir><cachedir>"
            << (Folder / "cache").string() << "</cachedir></fontconfig>\n";
    }
    void TearDown() override {
        if (HadPrevious)
            setenv("FONTCONFIG_FILE", Previous.c_str(), 1);
        else
            unsetenv("FONTCONFIG_FILE");
        FcInitReinitialize();
        FontFace::TearDown();
        fs::remove_all(Folder);
    }

    // Puts a copy of the file among the configuration's faces and makes fontconfig read it anew.
    std::string Offer(const char* file, const char* name) {
        const fs::path copy = Folder / "faces" / name;
        fs::copy_file(file, copy);
        setenv("FONTCONFIG_FILE", (Folder / "fonts.conf").c_str(), 1);
        FcInitReinitialize();
        FontUseFile(nullptr);
        return copy.string();
    }

    fs::path Folder;
    bool HadPrevious = false;
    std::string Previous;
};

TEST_F(OwnFontconfig, AFaceFontconfigKnowsByTheNameComesFirst) {
    const std::string named = Offer(FontStandInFile, "named-face.ttf");
    EXPECT_EQ(std::string(FontFilePath()), named);
    EXPECT_EQ(FontLineHeight(), 13);
}

TEST_F(OwnFontconfig, ANearestFaceOfAnotherNameGivesWayToTheStandIn) {
    Offer("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "other-face.ttf");
    EXPECT_EQ(std::string(FontFilePath()), FontStandInFile);
    EXPECT_STREQ(FontFamilyName(), "MS Sans Serif");
}

} // namespace
