// The canvas's one font: the face that stands in for "MS Sans Serif" at 8 points, and a cache of its glyphs
// as 8-bit coverage masks, each rendered once when first met, so composing a text allocates nothing.
#pragma once

#include <cstdint>

struct TFontGlyph {
    uint32_t CodePoint;
    int32_t Advance; // pen step to the next glyph
    int32_t OffsetX; // left edge of the mask relative to the pen
    int32_t OffsetY; // top row of the mask relative to the top of the text cell
    int32_t Width;   // mask size: the glyph's inked box
    int32_t Height;
    int32_t MaskStart; // where the mask begins in the pool, -1 when the glyph has none
};

// The glyph of a code point, from the cache or rendered now; never null. Without a font every code point
// has an empty glyph of a fixed advance.
const TFontGlyph* FontGlyphFor(uint32_t codePoint);
// Width x Height coverage bytes (0 background, 255 ink), row after row; null when the glyph has none.
const uint8_t* FontGlyphMask(const TFontGlyph* glyph);
// Height of a text cell: the font's line height.
int32_t FontLineHeight();
// Width of a text cell: the sum of the glyph advances.
int32_t FontTextWidth(const char* utf8);
// Reads the next code point of a UTF-8 text and moves past it; a malformed byte gives U+FFFD.
uint32_t FontNextCodePoint(const char** utf8);

// The stand-in for "MS Sans Serif" where fontconfig knows no face of that name: the bitmap clone of
// Debian's package fonts-wine, outside fontconfig's folders.
inline constexpr char FontStandInFile[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";

// Opens the given font file instead of the default face (null: the default face again) and empties the cache.
// Returns false when the file cannot be opened; text then shows as empty cells.
bool FontUseFile(const char* path);
// The file of the face in use, "" when there is none.
const char* FontFilePath();
// The family name of the face in use, "" when there is none.
const char* FontFamilyName();
