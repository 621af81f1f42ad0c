// The built-in face against the installed one: the committed table is what tramolo-fontbake makes of the
// face today, a failed bake leaves its output alone, and the face has the widths of Windows' own bitmap
// "MS Sans Serif" in the same package.
#include <gtest/gtest.h>

#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "draw/Font.h"

namespace {

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the tool with the given arguments after its output path; its exit status.
int Bake(const std::string& output, const std::string& arguments = "") {
    const std::string command =
        std::string(TRAMOLO_FONTBAKE_PATH) + " " + output + arguments + " 2>/dev/null";
    return std::system(command.c_str());
}

TEST(FontBake, TheCommittedTableIsWhatTheInstalledFaceGives) {
    const std::string baked = "/tmp/tramolo-fonttable-" + std::to_string(getpid()) + ".cpp";
    ASSERT_EQ(Bake(baked), 0);
    const std::string fresh = FileText(baked);
    std::remove(baked.c_str());
    const std::string committed = FileText(std::string(TRAMOLO_SOURCE_DIR) + "/src/draw/FontTable.cpp");
    const auto differs = std::mismatch(fresh.begin(), fresh.end(), committed.begin(), committed.end()).first;
    EXPECT_TRUE(fresh == committed) << "src/draw/FontTable.cpp differs from the face from its line "
                                    << 1 + std::count(fresh.begin(), differs, '\n')
                                    << "; regenerate it with tramolo-fontbake src/draw/FontTable.cpp";
}

TEST(FontBake, AFailedBakeLeavesItsOutputAlone) {
    const std::string output = "/tmp/tramolo-fontbake-kept-" + std::to_string(getpid());
    std::ofstream(output) << "kept";
    // No such face; a face without letters (Marlett, a symbol face); too many arguments.
    for (const char* arguments : {" /nonexistent/face.ttf", " /usr/share/wine/fonts/marlett.ttf", " a b"}) {
        EXPECT_NE(Bake(output, arguments), 0) << arguments;
        EXPECT_EQ(FileText(output), "kept") << arguments;
    }
    std::remove(output.c_str());
}

TEST(FontBake, TheBuiltInFaceHasTheWidthsOfTheOriginalBitmapFace) {
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    // The 8-point face comes first in the file.
    TTF_Font* original = TTF_OpenFontIndexDPI("/usr/share/wine/fonts/sserife.fon", 0, 0, 72, 72);
    ASSERT_NE(original, nullptr) << TTF_GetError();
    EXPECT_EQ(TTF_FontHeight(original), FontLineHeight());
    for (uint32_t c = 0x20; c <= 0xFF; c++) {
        if (c >= 0x7F && c < 0xA0) continue;
        int minX, maxX, minY, maxY, advance = -1;
        EXPECT_EQ(TTF_GlyphMetrics32(original, c, &minX, &maxX, &minY, &maxY, &advance), 0);
        EXPECT_EQ(FontGlyphFor(c)->Advance, advance) << std::hex << "U+" << c;
    }
    TTF_CloseFont(original);
    TTF_Quit();
}

} // namespace
