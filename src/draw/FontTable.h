// The head-up display's face as constant tables: FontTable.cpp, written by tramolo-fontbake.
#pragma once

#include <cstdint>

#include "draw/Font.h"

// Height of a text cell.
extern const int32_t FontTableLineHeight;
// Every glyph of the face, in rising code point order.
extern const int32_t FontTableGlyphCount;
extern const TFontGlyph FontTableGlyphs[];
// The glyph of every code point the face lacks.
extern const TFontGlyph FontTableUnknown;
// The glyphs' masks; a glyph's mask begins at its MaskStart.
extern const uint8_t FontTableMasks[];
