// The canvas font: the face of "MS Sans Serif" at 8 points on a 96-dpi screen, the face the head-up display
// was laid out for, opened through SDL_ttf with every glyph rendered once into a fixed cache.
// A face fontconfig knows by that name comes first. Without one, the bitmap clone of it that Debian's
// fonts-wine installs (outside fontconfig's folders) stands in: it has the original's 13-pixel cell and
// widths. Only where neither exists does fontconfig's nearest face for the name take over.
#include "platform/Font.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr const char* DefaultFaceName = "MS Sans Serif";
constexpr double DefaultPointSize = 8.0;
constexpr double ScreenDpi = 96.0;
// The text cell of the default face at that size; a bitmap face is opened at the strike nearest to it.
constexpr int32_t DefaultCellHeight = 13;
// Cell height and advance used when no face could be opened, close to what the default face gives.
constexpr int32_t FallbackLineHeight = DefaultCellHeight;
constexpr int32_t FallbackAdvance = 6;
constexpr int32_t MaxStrikes = 64;
constexpr int32_t GlyphSlots = 1024; // a power of two: the hash mask below relies on it
constexpr int32_t MaskPoolBytes = 512 * 1024;
constexpr int32_t MaxGlyphSide = 128;

static TTF_Font* Face;
static bool FaceTried;
static char FacePath[1024];
static int32_t LineHeight = FallbackLineHeight;

static TFontGlyph Glyphs[GlyphSlots];
static bool SlotUsed[GlyphSlots];
static int32_t GlyphCount;
static uint8_t MaskPool[MaskPoolBytes];
static int32_t MaskPoolUsed;
static TFontGlyph SpareGlyph; // handed out when the cache is full
// Without a face every visible character shows as an empty cell: this hollow box, once in the pool.
constexpr int32_t EmptyCellWidth = FallbackAdvance - 1;
constexpr int32_t EmptyCellHeight = FallbackLineHeight - 4;
constexpr int32_t EmptyCellTop = 2;
static int32_t EmptyCellMask = -1;

static void ClearCache() {
    std::memset(SlotUsed, 0, sizeof SlotUsed);
    GlyphCount = 0;
    MaskPoolUsed = 0;
    EmptyCellMask = -1;
}

static void GiveEmptyCell(TFontGlyph* glyph) {
    if (glyph->CodePoint <= ' ' || glyph->CodePoint == 0xA0) return; // blanks stay blank
    if (EmptyCellMask < 0) {
        uint8_t* mask = MaskPool + MaskPoolUsed;
        for (int32_t y = 0; y < EmptyCellHeight; y++) {
            for (int32_t x = 0; x < EmptyCellWidth; x++) {
                const bool edge = x == 0 || y == 0 || x == EmptyCellWidth - 1 || y == EmptyCellHeight - 1;
                mask[y * EmptyCellWidth + x] = edge ? 255 : 0;
            }
        }
        EmptyCellMask = MaskPoolUsed;
        MaskPoolUsed += EmptyCellWidth * EmptyCellHeight;
    }
    glyph->OffsetY = EmptyCellTop;
    glyph->Width = EmptyCellWidth;
    glyph->Height = EmptyCellHeight;
    glyph->MaskStart = EmptyCellMask;
}

static void CloseFace() {
    if (Face != nullptr) TTF_CloseFont(Face);
    Face = nullptr;
    FacePath[0] = '\0';
    LineHeight = FallbackLineHeight;
    ClearCache();
}

static bool StartFontconfig() {
    if (FcInit() == FcFalse) return false;
    // The configuration is needed only for the look-ups at start; hand it back at exit.
    static bool finiRegistered = false;
    if (!finiRegistered) {
        finiRegistered = true;
        std::atexit(FcFini);
    }
    return true;
}

// Whether one of the pattern's family names is the default face's.
static bool NamesDefaultFace(FcPattern* pattern) {
    FcChar8* family = nullptr;
    for (int n = 0; FcPatternGetString(pattern, FC_FAMILY, n, &family) == FcResultMatch; n++) {
        if (FcStrCmpIgnoreCase(family, (const FcChar8*)DefaultFaceName) == 0) return true;
    }
    return false;
}

// Asks fontconfig for the installed file of the default face. With namedOnly it answers only for a face of
// that very name; otherwise it names the nearest face it has. False when it knows none.
static bool ResolveDefaultFace(bool namedOnly, char* path, size_t pathSize, int* index) {
    if (!StartFontconfig()) return false;
    FcPattern* pattern = FcNameParse((const FcChar8*)DefaultFaceName);
    if (pattern == nullptr) return false;
    FcPatternAddDouble(pattern, FC_SIZE, DefaultPointSize);
    FcPatternAddDouble(pattern, FC_DPI, ScreenDpi);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr &&
                 (!namedOnly || NamesDefaultFace(match));
    if (found) std::snprintf(path, pathSize, "%s", (const char*)file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    FcPatternDestroy(match);
    return found;
}

// The number of fixed bitmap sizes of a face without outlines; 0 for a scalable face or an unreadable file.
static int32_t BitmapStrikes(const char* path, int index) {
    int faces = 0;
    FcPattern* query = FcFreeTypeQuery((const FcChar8*)path, (unsigned int)index, nullptr, &faces);
    if (query == nullptr) return 0;
    FcBool scalable = FcTrue;
    FcPatternGetBool(query, FC_SCALABLE, 0, &scalable);
    int32_t strikes = 0;
    double size = 0;
    while (scalable == FcFalse && strikes < MaxStrikes &&
           FcPatternGetDouble(query, FC_PIXEL_SIZE, strikes, &size) == FcResultMatch)
        strikes++;
    FcPatternDestroy(query);
    return strikes;
}

static int32_t CellDistance(TTF_Font* font) {
    return std::abs(TTF_FontHeight(font) - DefaultCellHeight);
}

// A scalable face at 8 points on 96 dpi, rounded to whole pixels as the classic desktop does: 11 pixels
// to the em. A bitmap face at its strike whose cell is nearest to the default cell: SDL_ttf takes the
// size of such a face as the number of the strike, so every strike is tried.
static bool OpenFace(const char* path, int index) {
    if (TTF_WasInit() == 0 && TTF_Init() != 0) return false;
    const int32_t strikes = BitmapStrikes(path, index);
    TTF_Font* best = nullptr;
    if (strikes == 0)
        best =
            TTF_OpenFontIndexDPI(path, (int)std::lround(DefaultPointSize * ScreenDpi / 72.0), index, 72, 72);
    for (int32_t strike = 0; strike < strikes; strike++) {
        TTF_Font* candidate = TTF_OpenFontIndexDPI(path, strike, index, 72, 72);
        if (candidate == nullptr) continue;
        if (best != nullptr && CellDistance(candidate) >= CellDistance(best)) {
            TTF_CloseFont(candidate);
            continue;
        }
        if (best != nullptr) TTF_CloseFont(best);
        best = candidate;
    }
    Face = best;
    if (Face == nullptr) return false;
    std::snprintf(FacePath, sizeof FacePath, "%s", path);
    LineHeight = TTF_FontHeight(Face);
    if (LineHeight <= 0) LineHeight = FallbackLineHeight;
    return true;
}

const TFontGlyph* FontGlyphFor(uint32_t codePoint);

// Renders the printable Latin-1 range up front, so the game's texts, umlauts included, never render a
// glyph (and allocate) in the middle of a run.
static void WarmCache() {
    for (uint32_t c = 32; c < 127; c++)
        FontGlyphFor(c);
    for (uint32_t c = 160; c < 256; c++)
        FontGlyphFor(c);
}

// The default face, else its stand-in, else fontconfig's nearest face; the first that opens.
static bool OpenDefaultFace() {
    char path[1024];
    int index = 0;
    if (ResolveDefaultFace(true, path, sizeof path, &index) && OpenFace(path, index)) return true;
    if (OpenFace(FontStandInFile, 0)) return true;
    if (ResolveDefaultFace(false, path, sizeof path, &index) && OpenFace(path, index)) {
        std::fprintf(stderr,
                     "tramolo: neither \"%s\" nor %s (Debian package fonts-wine) found; the head-up display "
                     "uses %s and its texts may run into each other\n",
                     DefaultFaceName, FontStandInFile, path);
        return true;
    }
    return false;
}

static void EnsureFace() {
    if (FaceTried) return;
    FaceTried = true;
    if (OpenDefaultFace()) {
        WarmCache();
        return;
    }
    std::fprintf(stderr, "tramolo: no font found for \"%s\"; texts show as empty cells\n", DefaultFaceName);
}

bool FontUseFile(const char* path) {
    CloseFace();
    FaceTried = path != nullptr;
    if (path == nullptr) return true;
    if (!OpenFace(path, 0)) return false;
    WarmCache();
    return true;
}

const char* FontFilePath() {
    EnsureFace();
    return FacePath;
}

const char* FontFamilyName() {
    EnsureFace();
    const char* family = Face != nullptr ? TTF_FontFaceFamilyName(Face) : nullptr;
    return family != nullptr ? family : "";
}

int32_t FontLineHeight() {
    EnsureFace();
    return LineHeight;
}

// The coverage of pixel (x, y) of a rendered glyph: the alpha of its ARGB pixel.
static uint8_t Coverage(const SDL_Surface* surface, int32_t x, int32_t y) {
    return (uint8_t)(((const uint32_t*)((const uint8_t*)surface->pixels + y * surface->pitch))[x] >> 24);
}

// The smallest box holding every inked pixel of a rendered glyph; Right < Left when nothing is inked.
struct TInkBox {
    int32_t Left, Top, Right, Bottom;
};

static TInkBox FindInk(const SDL_Surface* surface) {
    TInkBox ink{surface->w, surface->h, -1, -1};
    for (int32_t y = 0; y < surface->h; y++) {
        for (int32_t x = 0; x < surface->w; x++) {
            if (Coverage(surface, x, y) == 0) continue;
            if (x < ink.Left) ink.Left = x;
            if (x > ink.Right) ink.Right = x;
            if (y < ink.Top) ink.Top = y;
            if (y > ink.Bottom) ink.Bottom = y;
        }
    }
    return ink;
}

// Keeps only the inked box of a rendered glyph in the pool as its mask: the blank rows and columns around
// it would cost a test per pixel in every text drawn.
static void KeepInkedMask(TFontGlyph* glyph, const SDL_Surface* surface) {
    const TInkBox ink = FindInk(surface);
    if (ink.Right < ink.Left) return;
    uint8_t* mask = MaskPool + MaskPoolUsed;
    const int32_t inkWidth = ink.Right - ink.Left + 1;
    const int32_t inkHeight = ink.Bottom - ink.Top + 1;
    for (int32_t y = 0; y < inkHeight; y++)
        for (int32_t x = 0; x < inkWidth; x++)
            mask[y * inkWidth + x] = Coverage(surface, ink.Left + x, ink.Top + y);
    glyph->OffsetX += ink.Left;
    glyph->OffsetY = ink.Top;
    glyph->Width = inkWidth;
    glyph->Height = inkHeight;
    glyph->MaskStart = MaskPoolUsed;
    MaskPoolUsed += inkWidth * inkHeight;
}

// Renders the glyph's coverage and keeps its mask, when the rendering fits the pool.
static void RenderMask(TFontGlyph* glyph) {
    SDL_Surface* surface = TTF_RenderGlyph32_Blended(Face, glyph->CodePoint, SDL_Color{0, 0, 0, 255});
    if (surface == nullptr) return;
    const int32_t width = surface->w;
    const int32_t height = surface->h;
    const bool fits = width > 0 && height > 0 && width <= MaxGlyphSide && height <= MaxGlyphSide &&
                      MaskPoolUsed + width * height <= MaskPoolBytes &&
                      surface->format->format == SDL_PIXELFORMAT_ARGB8888;
    if (fits && SDL_LockSurface(surface) == 0) {
        KeepInkedMask(glyph, surface);
        SDL_UnlockSurface(surface);
    }
    SDL_FreeSurface(surface);
}

// Renders one glyph into the pool (when keepMask); the glyph keeps its advance even without a mask.
static void RenderGlyph(TFontGlyph* glyph, bool keepMask) {
    glyph->Advance = FallbackAdvance;
    glyph->OffsetX = 0;
    glyph->OffsetY = 0;
    glyph->Width = 0;
    glyph->Height = 0;
    glyph->MaskStart = -1;
    if (Face == nullptr) {
        GiveEmptyCell(glyph);
        return;
    }
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
    int advance = 0;
    if (TTF_GlyphMetrics32(Face, glyph->CodePoint, &minX, &maxX, &minY, &maxY, &advance) != 0) return;
    glyph->Advance = advance;
    // A glyph reaching left of its pen position is rendered shifted right by that much.
    glyph->OffsetX = minX < 0 ? minX : 0;
    if (keepMask) RenderMask(glyph);
}

const TFontGlyph* FontGlyphFor(uint32_t codePoint) {
    EnsureFace();
    uint32_t slot = (codePoint * 2654435761u) & (GlyphSlots - 1);
    for (int32_t probe = 0; probe < GlyphSlots; probe++) {
        if (!SlotUsed[slot]) break;
        if (Glyphs[slot].CodePoint == codePoint) return &Glyphs[slot];
        slot = (slot + 1) & (GlyphSlots - 1);
    }
    // Keep a quarter of the table free so probing stays short; beyond that glyphs are rendered uncached.
    TFontGlyph* glyph = &SpareGlyph;
    if (GlyphCount < GlyphSlots * 3 / 4 && !SlotUsed[slot]) {
        SlotUsed[slot] = true;
        GlyphCount++;
        glyph = &Glyphs[slot];
    }
    glyph->CodePoint = codePoint;
    RenderGlyph(glyph, glyph != &SpareGlyph);
    return glyph;
}

const uint8_t* FontGlyphMask(const TFontGlyph* glyph) {
    if (glyph == nullptr || glyph->MaskStart < 0) return nullptr;
    return MaskPool + glyph->MaskStart;
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
