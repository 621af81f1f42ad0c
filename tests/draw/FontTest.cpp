// The canvas font from its built-in tables: every code point a text can hold finds its own glyph or the
// one of code points the face lacks, and the face has the display's 13-pixel cell and widths.
#include <gtest/gtest.h>

#include "draw/Font.h"
#include "draw/FontTable.h"

namespace {

TEST(Font, EveryCodePointFindsItsOwnGlyphOrTheUnknownOne) {
    for (int32_t k = 1; k < FontTableGlyphCount; k++)
        ASSERT_LT(FontTableGlyphs[k - 1].CodePoint, FontTableGlyphs[k].CodePoint) << "entry " << k;
    // Walked in step with the table: the entry not below the code point is its own or none is.
    int32_t next = 0;
    for (uint32_t c = 0; c <= 0x1FFFFF; c++) {
        while (next < FontTableGlyphCount && FontTableGlyphs[next].CodePoint < c)
            next++;
        const bool own = next < FontTableGlyphCount && FontTableGlyphs[next].CodePoint == c;
        ASSERT_EQ(FontGlyphFor(c), own ? &FontTableGlyphs[next] : &FontTableUnknown) << std::hex << "U+" << c;
    }
    EXPECT_EQ(next, FontTableGlyphCount);
}

TEST(Font, TheFaceHasTheDisplaysCellAndAboutSixPixelsALetter) {
    EXPECT_EQ(FontLineHeight(), 13);
    EXPECT_EQ(FontTextWidth("0123456789"), 60);
    const int32_t letters = FontTextWidth("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_GE(letters, 52 * 5);
    EXPECT_LE(letters, 52 * 7);
}

} // namespace
