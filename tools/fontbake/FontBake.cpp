// tramolo-fontbake: renders the head-up display's face once through SDL_ttf and writes its glyphs as the
// constant tables of src/draw/FontTable.cpp, so that the game draws text without a font library or a
// font file, the same on every system it is built for.
// Usage: tramolo-fontbake OUTPUT [FACE]
#include <SDL_ttf.h>

#include <cstdio>
#include <string>
#include <vector>

#include "draw/Font.h"

// Wine's bitmap clone of "MS Sans Serif" (Debian package fonts-wine), the face the display was laid out for.
constexpr char DefaultFace[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";
// The text cell of "MS Sans Serif" at 8 points on a 96-dpi screen. SDL_ttf takes the size of a bitmap face
// as the number of its strike (a number past the last strike gives the last), so sizes up to MaxSize are
// tried and the first whose cell is nearest wins.
constexpr int32_t CellHeight = 13;
constexpr int MaxSize = 64;
// The face lacks this code point; what it shows for it, it shows for every code point it lacks.
constexpr uint32_t Replacement = 0xFFFD;
constexpr uint32_t LastCodePoint = 0x10FFFF;

struct TBakedGlyph {
    TFontGlyph Glyph;
    std::vector<uint8_t> Mask;
};

static int32_t CellDistance(TTF_Font* font) {
    const int32_t height = TTF_FontHeight(font);
    return height > CellHeight ? height - CellHeight : CellHeight - height;
}

static TTF_Font* OpenFace(const char* path) {
    TTF_Font* best = nullptr;
    for (int size = 0; size <= MaxSize; size++) {
        TTF_Font* candidate = TTF_OpenFontIndexDPI(path, size, 0, 72, 72);
        if (candidate == nullptr) continue;
        if (best != nullptr && CellDistance(candidate) >= CellDistance(best)) {
            TTF_CloseFont(candidate);
            continue;
        }
        if (best != nullptr) TTF_CloseFont(best);
        best = candidate;
    }
    return best;
}

// The coverage of pixel (x, y) of a rendered glyph: the alpha of its ARGB pixel.
static uint8_t Coverage(const SDL_Surface* surface, int32_t x, int32_t y) {
    return (uint8_t)(((const uint32_t*)((const uint8_t*)surface->pixels + y * surface->pitch))[x] >> 24);
}

// Keeps only the inked box of the rendering as the mask: the blank rows and columns around it would cost a
// test per pixel in every text drawn. A glyph without ink keeps no mask.
static void KeepInkedBox(const SDL_Surface* surface, TBakedGlyph* baked) {
    int32_t left = surface->w, top = surface->h, right = -1, bottom = -1;
    for (int32_t y = 0; y < surface->h; y++) {
        for (int32_t x = 0; x < surface->w; x++) {
            if (Coverage(surface, x, y) == 0) continue;
            left = x < left ? x : left;
            right = x > right ? x : right;
            top = y < top ? y : top;
            bottom = y > bottom ? y : bottom;
        }
    }
    if (right < left) return;
    TFontGlyph& glyph = baked->Glyph;
    glyph.OffsetX += left;
    glyph.OffsetY = top;
    glyph.Width = right - left + 1;
    glyph.Height = bottom - top + 1;
    for (int32_t y = top; y <= bottom; y++)
        for (int32_t x = left; x <= right; x++)
            baked->Mask.push_back(Coverage(surface, x, y));
}

// The glyph as SDL_ttf measures and renders it; false with the reason on standard error when it cannot.
static bool BakeGlyph(TTF_Font* face, uint32_t codePoint, TBakedGlyph* baked) {
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (TTF_GlyphMetrics32(face, codePoint, &minX, &maxX, &minY, &maxY, &advance) != 0) {
        std::fprintf(stderr, "tramolo-fontbake: U+%04X cannot be measured: %s\n", codePoint, TTF_GetError());
        return false;
    }
    // A glyph reaching left of its pen position is rendered shifted right by that much.
    baked->Glyph = TFontGlyph{codePoint, advance, minX < 0 ? minX : 0, 0, 0, 0, -1};
    SDL_Surface* surface = TTF_RenderGlyph32_Blended(face, codePoint, SDL_Color{0, 0, 0, 255});
    // SDL_ttf renders nothing for a glyph it finds of no width (ESC in this face): it keeps its advance.
    if (surface == nullptr) {
        std::fprintf(stderr, "tramolo-fontbake: U+%04X has no mask: %s\n", codePoint, TTF_GetError());
        return true;
    }
    if (surface->format->format != SDL_PIXELFORMAT_ARGB8888 || SDL_LockSurface(surface) != 0) {
        std::fprintf(stderr, "tramolo-fontbake: U+%04X is not rendered as ARGB pixels\n", codePoint);
        SDL_FreeSurface(surface);
        return false;
    }
    KeepInkedBox(surface, baked);
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return true;
}

static void AppendGlyph(std::string* out, const TFontGlyph& glyph) {
    char line[128];
    std::snprintf(line, sizeof line, "{0x%04X, %d, %d, %d, %d, %d, %d}", glyph.CodePoint, glyph.Advance,
                  glyph.OffsetX, glyph.OffsetY, glyph.Width, glyph.Height, glyph.MaskStart);
    *out += line;
}

// Gives each mask its place in the pool and appends its rows, one line each.
static void AppendMask(std::string* out, TBakedGlyph* baked, int32_t* poolUsed) {
    if (baked->Mask.empty()) return;
    baked->Glyph.MaskStart = *poolUsed;
    *poolUsed += (int32_t)baked->Mask.size();
    char text[32];
    std::snprintf(text, sizeof text, "    // U+%04X\n", baked->Glyph.CodePoint);
    *out += text;
    for (int32_t y = 0; y < baked->Glyph.Height; y++) {
        *out += "    ";
        for (int32_t x = 0; x < baked->Glyph.Width; x++) {
            std::snprintf(text, sizeof text, "%3d,", baked->Mask[(size_t)(y * baked->Glyph.Width + x)]);
            *out += text;
        }
        *out += "\n";
    }
}

static std::string TableSource(const std::string& facePath, const std::string& family, int32_t lineHeight,
                               std::vector<TBakedGlyph>* glyphs, TBakedGlyph* unknown) {
    std::string masks;
    int32_t poolUsed = 0;
    for (TBakedGlyph& baked : *glyphs)
        AppendMask(&masks, &baked, &poolUsed);
    AppendMask(&masks, unknown, &poolUsed);
    std::string out = "// Generated by tramolo-fontbake; do not edit. Regenerate with\n"
                      "//     build/tramolo-fontbake src/draw/FontTable.cpp\n";
    out += "// The glyphs of " + facePath + " (\"" + family + "\") with a " + std::to_string(lineHeight) +
           "-pixel cell,\n// as SDL_ttf renders them.\n";
    out += "// clang-format off\n#include \"draw/FontTable.h\"\n\n";
    out += "const int32_t FontTableLineHeight = " + std::to_string(lineHeight) + ";\n\n";
    out += "// Code point, advance, offset x and y, width, height, start of the mask in FontTableMasks.\n";
    out += "const int32_t FontTableGlyphCount = " + std::to_string(glyphs->size()) + ";\n";
    out += "const TFontGlyph FontTableGlyphs[] = {\n";
    for (const TBakedGlyph& baked : *glyphs) {
        out += "    ";
        AppendGlyph(&out, baked.Glyph);
        out += ",\n";
    }
    out +=
        "};\n\n// What the face shows for a code point it lacks: its glyph for U+FFFD, which it lacks too.\n";
    out += "const TFontGlyph FontTableUnknown = ";
    AppendGlyph(&out, unknown->Glyph);
    out += ";\n\n// Coverage, 0 for paper to 255 for ink, row after row.\n";
    out += "const uint8_t FontTableMasks[] = {\n";
    return out + masks + "};\n";
}

// Bakes every code point the face has, and what it shows for those it lacks, into the table's source.
static bool BakeFace(const char* path, std::string* source) {
    TTF_Font* face = OpenFace(path);
    if (face == nullptr) {
        std::fprintf(stderr, "tramolo-fontbake: cannot open %s: %s\n", path, TTF_GetError());
        return false;
    }
    bool baked = true;
    std::vector<TBakedGlyph> glyphs;
    for (uint32_t c = 1; c <= LastCodePoint && baked; c++) {
        if (TTF_GlyphIsProvided32(face, c) == 0) continue;
        glyphs.emplace_back();
        baked = BakeGlyph(face, c, &glyphs.back());
    }
    // The game's texts are German: every printable Latin-1 character must be the face's own.
    for (uint32_t c = 0x20; c <= 0xFF && baked; c++) {
        if ((c < 0x7F || c >= 0xA0) && TTF_GlyphIsProvided32(face, c) == 0) {
            std::fprintf(stderr, "tramolo-fontbake: %s has no glyph for U+%04X\n", path, c);
            baked = false;
        }
    }
    if (baked && TTF_GlyphIsProvided32(face, Replacement) != 0) {
        std::fprintf(stderr, "tramolo-fontbake: %s has a glyph for U+FFFD, which should be unknown\n", path);
        baked = false;
    }
    TBakedGlyph unknown;
    if (baked) baked = BakeGlyph(face, Replacement, &unknown);
    if (baked) {
        const char* family = TTF_FontFaceFamilyName(face);
        *source = TableSource(path, family != nullptr ? family : "", TTF_FontHeight(face), &glyphs, &unknown);
    }
    TTF_CloseFont(face);
    return baked;
}

static bool WriteFile(const char* path, const std::string& text) {
    FILE* file = std::fopen(path, "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written) std::perror(path);
    return written;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tramolo-fontbake OUTPUT [FACE]\n");
        return 2;
    }
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "tramolo-fontbake: %s\n", TTF_GetError());
        return 1;
    }
    std::string source;
    const bool baked = BakeFace(argc == 3 ? argv[2] : DefaultFace, &source);
    TTF_Quit();
    return baked && WriteFile(argv[1], source) ? 0 : 1;
}
