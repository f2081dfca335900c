#pragma once
// Where the text rasteriser takes its glyphs from. The real source is
// FreeType over fontconfig's fonts; tests install the box source, whose
// output is exact and the same on every machine.

#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/text_render.h"

namespace gdi {

// Metrics of a face at its realised size, in whole pixels.
struct TFaceMetrics {
    int32_t Ascent = 0;  // baseline below the cell top
    int32_t Descent = 0; // cell bottom below the baseline
    int32_t EmHeight = 0;
    int32_t AveCharWidth = 0;
    int32_t MaxCharWidth = 0;
    int32_t UnderlinePosition = 0; // top row of the underline, below the baseline
    int32_t UnderlineThickness = 1;
    int32_t StrikeOutPosition = 0; // top row of the strike-out, above the baseline
    int32_t StrikeOutThickness = 1;
    bool Bold = false; // the face itself is bold (no emboldening needed)
    bool FixedPitch = false;
};

// One rasterised glyph: Width x Height coverage bytes (0-255), row by row.
// Left is the first column relative to the pen position, Top the first row's
// height above the baseline; Advance moves the pen.
struct TGlyphImage {
    int32_t Advance = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Coverage;
};

// A face realised for one LOGFONT (size, style, quality).
class TGlyphFace {
public:
    virtual ~TGlyphFace() = default;
    virtual const TFaceMetrics& Metrics() const = 0;
    // Rasterises the character (a Unicode code point); a character the face
    // lacks gives its "missing glyph" or an empty glyph, never an error.
    virtual void RenderGlyph(char32_t ch, TGlyphImage& out) = 0;
    // The family used, UTF-8.
    virtual std::string FamilyName() const = 0;
};

class TGlyphSource {
public:
    virtual ~TGlyphSource() = default;
    // Height semantics and face substitution as CreateFontIndirect has them.
    virtual std::unique_ptr<TGlyphFace> OpenFace(const TLogFont& logFont) = 0;
};

// FreeType glyphs over fontconfig, with the Windows face names mapped to the
// IPA fonts.
std::unique_ptr<TGlyphSource> CreateFreeTypeGlyphSource();

// Solid boxes instead of glyphs. With e the em height (-Height, or Height when
// positive, 16 when 0):
//  - Descent = e / 4, Ascent = e - Descent, so the cell is e pixels high;
//  - a single-byte character (code points below 100h and the half-width
//    katakana FF61h-FF9Fh) advances e / 2, any other e;
//  - each glyph is a box of (advance - 1) columns (at least 1) by the whole
//    cell height, starting at the pen position; blanks (20h, 3000h) draw
//    nothing;
//  - coverage is 255, except that with ANTIALIASED_QUALITY (and
//    DEFAULT_QUALITY, which draws antialiased) the box's last column is 128;
//  - underline: 1 row at Descent / 2 below the baseline; strike-out: 1 row at
//    Ascent / 3 above it; the face is never bold itself, so bold weights get
//    the rasteriser's emboldening (each glyph drawn again 1 pixel to the right,
//    advance + 1).
std::unique_ptr<TGlyphSource> CreateBoxGlyphSource();

} // namespace gdi
