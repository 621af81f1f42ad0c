// The canvas font, served from the tables of FontTable.cpp: the glyphs of Wine's bitmap clone of "MS Sans
// Serif" (Debian's fonts-wine) at its 13-pixel strike, the original's cell and widths, as SDL_ttf rendered
// them for tramolo-fontbake. The tables are in rising code point order, so a glyph is a binary search away.
#include "draw/Font.h"

#include <algorithm>
#include <array>

#include "draw/FontTable.h"

static const TFontGlyph* SearchGlyph(uint32_t codePoint) {
    const TFontGlyph* end = FontTableGlyphs + FontTableGlyphCount;
    const TFontGlyph* glyph = std::lower_bound(
        FontTableGlyphs, end, codePoint, [](const TFontGlyph& g, uint32_t c) { return g.CodePoint < c; });
    return glyph != end && glyph->CodePoint == codePoint ? glyph : &FontTableUnknown;
}

// The first 256 code points, which hold nearly every character the display writes, are found by number:
// a search per character would cost about as much as drawing it.
const TFontGlyph* FontGlyphFor(uint32_t codePoint) {
    static const std::array<const TFontGlyph*, 256> Latin1 = [] {
        std::array<const TFontGlyph*, 256> glyphs{};
        for (uint32_t c = 0; c < glyphs.size(); c++)
            glyphs[c] = SearchGlyph(c);
        return glyphs;
    }();
    return codePoint < Latin1.size() ? Latin1[codePoint] : SearchGlyph(codePoint);
}

const uint8_t* FontGlyphMask(const TFontGlyph* glyph) {
    if (glyph == nullptr || glyph->MaskStart < 0) return nullptr;
    return FontTableMasks + glyph->MaskStart;
}

int32_t FontLineHeight() {
    return FontTableLineHeight;
}

int32_t FontTextWidth(const char* utf8) {
    int64_t width = 0;
    while (*utf8 != '\0')
        width += FontGlyphFor(FontNextCodePoint(&utf8))->Advance;
    return width > INT32_MAX ? INT32_MAX : (int32_t)width;
}

uint32_t FontNextCodePoint(const char** utf8) {
    const unsigned char* p = (const unsigned char*)*utf8;
    const uint32_t lead = p[0];
    int32_t extra;
    uint32_t code;
    if (lead < 0x80) {
        extra = 0;
        code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        *utf8 += 1;
        return 0xFFFD;
    }
    for (int32_t k = 1; k <= extra; k++) {
        if ((p[k] & 0xC0) != 0x80) {
            *utf8 += 1;
            return 0xFFFD;
        }
        code = (code << 6) | (p[k] & 0x3F);
    }
    *utf8 += 1 + extra;
    return code;
}
