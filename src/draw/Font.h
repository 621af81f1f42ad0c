// The canvas's one font: "MS Sans Serif" at 8 points on a 96-dpi screen, its glyphs built into the game as
// 8-bit coverage masks, so composing a text opens, reads and allocates nothing.
#pragma once

#include <cstdint>

struct TFontGlyph {
    uint32_t CodePoint; // U+FFFD for the glyph of a code point the face lacks
    int32_t Advance;    // pen step to the next glyph
    int32_t OffsetX;    // left edge of the mask relative to the pen
    int32_t OffsetY;    // top row of the mask relative to the top of the text cell
    int32_t Width;      // mask size: the glyph's inked box
    int32_t Height;
    int32_t MaskStart; // where the mask begins in the face's masks, -1 when the glyph has none
};

// The glyph of a code point; never null. A code point the face lacks shows what the face shows for U+FFFD,
// which it lacks as well: a hollow box.
const TFontGlyph* FontGlyphFor(uint32_t codePoint);
// Width x Height coverage bytes (0 background, 255 ink), row after row; null when the glyph has none.
const uint8_t* FontGlyphMask(const TFontGlyph* glyph);
// Height of a text cell: the font's line height.
int32_t FontLineHeight();
// Width of a text cell: the sum of the glyph advances.
int32_t FontTextWidth(const char* utf8);
// Reads the next code point of a UTF-8 text and moves past it; a malformed byte gives U+FFFD.
uint32_t FontNextCodePoint(const char** utf8);
