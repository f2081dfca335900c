#pragma once
// GDI text on a 32-bit DIB: fonts made from a LOGFONT, text drawn straight
// into B,G,R,A pixel memory and measured the way ExtTextOut and
// GetTextExtentPoint32 do it. Texts are Shift-JIS bytes.
//
// Pixels as GDI leaves them: a touched pixel gets the text colour mixed over
// its old colour by the glyph's coverage (full coverage: exactly the text
// colour), and its alpha byte becomes 0. Untouched pixels keep all four bytes.
// Non-antialiased quality gives full coverage only, so on a cleared bitmap
// the text pixels are the only non-zero ones; with white text on 0 the blue
// byte of every pixel is its coverage.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/types.h"
#include "classlib/colors.h"

namespace gdi {

// LOGFONT quality values.
constexpr uint8_t DEFAULT_QUALITY = 0;
constexpr uint8_t DRAFT_QUALITY = 1;
constexpr uint8_t PROOF_QUALITY = 2;
constexpr uint8_t NONANTIALIASED_QUALITY = 3;
constexpr uint8_t ANTIALIASED_QUALITY = 4;

// Weights; 600 and above draw bold (simulated when the face has no bold).
constexpr int32_t FW_DONTCARE = 0;
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;

// Pitch in the low two bits of PitchAndFamily.
constexpr uint8_t DEFAULT_PITCH = 0;
constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t VARIABLE_PITCH = 2;

constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr uint8_t CLIP_DEFAULT_PRECIS = 0;

// ExtTextOut option: clip the text to the given rectangle.
constexpr uint32_t ETO_CLIPPED = 4;

// What CreateFontIndirect is given. FaceName is Shift-JIS.
//  Height < 0: the em height in pixels; Height > 0: the cell height (ascent +
//  descent); 0: the default size (a 16-pixel cell).
struct TLogFont {
    int32_t Height = 0;
    int32_t Width = 0;       // ignored: glyphs keep their own proportions
    int32_t Escapement = 0;  // ignored: text runs left to right
    int32_t Orientation = 0; // ignored
    int32_t Weight = FW_NORMAL;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = DEFAULT_CHARSET;
    uint8_t OutPrecision = OUT_DEFAULT_PRECIS;
    uint8_t ClipPrecision = CLIP_DEFAULT_PRECIS;
    uint8_t Quality = DEFAULT_QUALITY;
    uint8_t PitchAndFamily = DEFAULT_PITCH;
    std::string FaceName;
    friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

// GetTextMetrics, in pixels.
struct TTextMetric {
    int32_t Height = 0; // Ascent + Descent
    int32_t Ascent = 0;
    int32_t Descent = 0;
    int32_t InternalLeading = 0; // Height minus the em height
    int32_t ExternalLeading = 0;
    int32_t AveCharWidth = 0;
    int32_t MaxCharWidth = 0;
    int32_t Weight = FW_NORMAL;
    bool Italic = false;
    bool Underlined = false;
    bool StruckOut = false;
    uint8_t PitchAndFamily = 0;
    uint8_t CharSet = DEFAULT_CHARSET;
};

// A realised font: the face that stands in for the LOGFONT at its pixel size,
// with its glyph cache. Immutable for its users and shared.
class TFontObject;
using HFONT = std::shared_ptr<const TFontObject>;

// Realises a font. Equal LOGFONTs give the same object while it is alive or
// recently used, so glyphs are rasterised once however often callers rebuild
// their font handles. Never fails: an unknown face falls back to the default
// face.
HFONT CreateFontIndirect(const TLogFont& logFont);
// The LOGFONT the font was made from (GetObject).
const TLogFont& GetLogFont(const HFONT& font);
TTextMetric GetTextMetrics(const HFONT& font);
// The family actually used, after substitution (UTF-8, for diagnostics).
std::string GetFaceName(const HFONT& font);

// Width of the text (sum of the hinted advances) by the cell height. An
// empty text is 0 wide and still one cell high.
TSize GetTextExtentPoint32(const HFONT& font, std::string_view text);

// 32-bit pixel memory: Width x Height pixels of 4 bytes (B, G, R, A), rows
// top-down, Stride bytes apart (Width * 4 when there are no gaps).
struct TDIB32 {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0;
};

// The text state of a device context.
struct TTextContext {
    HFONT Font;
    TColor TextColor = clBlack;         // system colours are resolved
    bool TransparentBackground = false; // SetBkMode(TRANSPARENT)
    TColor BackgroundColor = clWhite;   // fills the text cell when not transparent
};

// Draws `text` with the cell's top-left corner at (x, y). The drawing is
// clipped to the DIB and, with ETO_CLIPPED, also to `rect`; without
// ETO_CLIPPED `rect` is ignored. An opaque background fills the text cell
// (extent) with the background colour, alpha 0, before the glyphs.
void ExtTextOut(const TDIB32& dib, const TTextContext& dc, int32_t x, int32_t y, uint32_t options, const TRect* rect,
    std::string_view text);

// Visits every pixel the glyphs, underline and strike-out of `text` at (x, y)
// cover inside `clip`, with its coverage 1..255, row by row. For canvases
// whose pixels are not 32-bit memory.
using TCoverageVisitor = std::function<void(int32_t x, int32_t y, uint8_t coverage)>;
void ForEachTextPixel(
    const HFONT& font, int32_t x, int32_t y, const TRect& clip, std::string_view text, const TCoverageVisitor& visit);

// 8-bit memory: Width x Height bytes, rows top-down, Stride bytes apart.
struct TPlane8 {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0;
};

// Draws `text` in white with its cell's top-left corner at (x, y) on a plane
// of coverage bytes, clipped to the plane. Each byte ends as the blue byte of
// the same pixel would after ExtTextOut of white text on a transparent
// background: full coverage gives 255, partial coverage mixes 255 over the
// byte. Supersampling callers use it to keep a quarter of the memory.
void DrawTextCoverage(const TPlane8& plane, const HFONT& font, int32_t x, int32_t y, std::string_view text);

class TGlyphSource;

// Replaces where glyphs come from (nullptr: the FreeType source over the
// installed fonts) and returns the previous source. Realised fonts are
// dropped, so no glyph of the old source is drawn afterwards.
std::unique_ptr<TGlyphSource> SetGlyphSource(std::unique_ptr<TGlyphSource> source);
// Counts the replacements of the glyph source, so that code keeping fonts
// made can tell when they have gone stale.
uint64_t GlyphSourceGeneration();

// Installs a source for the lifetime of the object and restores the previous
// one afterwards (for tests).
class TGlyphSourceScope {
public:
    explicit TGlyphSourceScope(std::unique_ptr<TGlyphSource> source);
    ~TGlyphSourceScope();
    TGlyphSourceScope(const TGlyphSourceScope&) = delete;
    TGlyphSourceScope& operator=(const TGlyphSourceScope&) = delete;

private:
    std::unique_ptr<TGlyphSource> FPrevious;
};

} // namespace gdi
