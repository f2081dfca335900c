// Text layout and drawing over a glyph source, with the realised-font and
// glyph caches. One lock guards the source, the caches and every call into a
// face, so fonts may be shared between threads.

#include "classlib/text_render.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/sjis.h"
#include "classlib/glyph_source.h"

namespace gdi {

namespace {
std::recursive_mutex& Lock();
}

class TFontObject {
public:
    ~TFontObject()
    {
        // Faces share their library; closing one must not race another's use.
        std::lock_guard lock(Lock());
        Face.reset();
    }

    TLogFont LogFont;
    std::unique_ptr<TGlyphFace> Face;
    TFaceMetrics Metrics;
    bool Embolden = false;
    mutable std::unordered_map<char32_t, TGlyphImage> Glyphs;
    mutable size_t GlyphBytes = 0;
};

namespace {

// Fonts used recently stay realised with their glyphs, so code that rebuilds
// a font handle per call (a TFont whose properties change back and forth does)
// rasterises once.
constexpr size_t RecentFontCount = 64;
// A font whose cached glyphs grow past this many coverage bytes starts afresh.
constexpr size_t GlyphCacheLimit = size_t{32} << 20;

struct TState {
    std::recursive_mutex Mutex;
    std::unique_ptr<TGlyphSource> Source;
    std::list<HFONT> Recent; // most recent first
    uint64_t Generation = 0;
};

// Never destroyed: fonts held by other static objects may outlive any
// destruction order.
TState& State()
{
    static TState* state = new TState;
    return *state;
}

std::recursive_mutex& Lock()
{
    return State().Mutex;
}

TGlyphSource& Source(TState& state)
{
    if (!state.Source)
        state.Source = CreateFreeTypeGlyphSource();
    return *state.Source;
}

// Shift-JIS text to code points; bytes with no character become U+FFFD.
std::u32string Decode(std::string_view text)
{
    const std::string utf8 = sjis::ToUtf8(text);
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        int n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + static_cast<size_t>(n) > utf8.size())
            n = 1;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        out.push_back(n == 1 && c >= 0x80 ? U'\uFFFD' : cp);
        i += static_cast<size_t>(n);
    }
    return out;
}

// GDI's simulated bold: every glyph smeared one pixel to the right.
void Embolden(TGlyphImage& g)
{
    ++g.Advance;
    if (g.Width == 0 || g.Height == 0)
        return;
    std::vector<uint8_t> wide(static_cast<size_t>(g.Width + 1) * static_cast<size_t>(g.Height), 0);
    for (int32_t y = 0; y < g.Height; ++y) {
        const uint8_t* src = g.Coverage.data() + static_cast<size_t>(y) * g.Width;
        uint8_t* dst = wide.data() + static_cast<size_t>(y) * (g.Width + 1);
        for (int32_t x = 0; x <= g.Width; ++x) {
            const uint8_t here = x < g.Width ? src[x] : 0;
            const uint8_t left = x > 0 ? src[x - 1] : 0;
            dst[x] = std::max(here, left);
        }
    }
    ++g.Width;
    g.Coverage = std::move(wide);
}

const TGlyphImage& Glyph(const TFontObject& font, char32_t ch)
{
    auto it = font.Glyphs.find(ch);
    if (it != font.Glyphs.end())
        return it->second;
    if (font.GlyphBytes >= GlyphCacheLimit) {
        font.Glyphs.clear();
        font.GlyphBytes = 0;
    }
    TGlyphImage g;
    font.Face->RenderGlyph(ch, g);
    if (g.Coverage.size() != static_cast<size_t>(std::max(g.Width, 0)) * static_cast<size_t>(std::max(g.Height, 0)))
        g.Width = g.Height = 0, g.Coverage.clear(); // a face's bad image draws nothing
    if (font.Embolden)
        Embolden(g);
    font.GlyphBytes += g.Coverage.size() + sizeof(TGlyphImage);
    return font.Glyphs.emplace(ch, std::move(g)).first->second;
}

int32_t AdvanceOf(const TFontObject& font, const std::u32string& chars)
{
    int64_t width = 0;
    for (char32_t ch : chars)
        width += Glyph(font, ch).Advance;
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

// Calls visitRow(y, x, coverage, count) for every run of glyph, underline
// and strike-out pixels inside clip, row by row; a null coverage stands for
// full coverage. Coordinates are computed in 64 bits so far-off text
// positions cannot overflow.
template <class VisitRow>
void RasteriseRows(
    const TFontObject& font, int32_t x, int32_t y, const TRect& clip, const std::u32string& chars, VisitRow&& visitRow)
{
    if (clip.Right <= clip.Left || clip.Bottom <= clip.Top)
        return;
    const TFaceMetrics& m = font.Metrics;
    const int64_t baseline = static_cast<int64_t>(y) + m.Ascent;
    int64_t pen = x;
    for (char32_t ch : chars) {
        const TGlyphImage& g = Glyph(font, ch);
        const int64_t left = pen + g.Left;
        const int64_t top = baseline - g.Top;
        const int64_t gx0 = std::max<int64_t>(left, clip.Left), gx1 = std::min<int64_t>(left + g.Width, clip.Right);
        const int64_t gy0 = std::max<int64_t>(top, clip.Top), gy1 = std::min<int64_t>(top + g.Height, clip.Bottom);
        if (gx0 < gx1)
            for (int64_t py = gy0; py < gy1; ++py) {
                const uint8_t* row = g.Coverage.data() + static_cast<size_t>(py - top) * g.Width;
                visitRow(static_cast<int32_t>(py), static_cast<int32_t>(gx0), row + (gx0 - left),
                    static_cast<int32_t>(gx1 - gx0));
            }
        pen += g.Advance;
    }
    auto line = [&](int64_t top, int32_t thickness) {
        const int64_t lx0 = std::max<int64_t>(x, clip.Left), lx1 = std::min<int64_t>(pen, clip.Right);
        const int64_t ly0 = std::max<int64_t>(top, clip.Top), ly1 = std::min<int64_t>(top + thickness, clip.Bottom);
        if (lx0 < lx1)
            for (int64_t py = ly0; py < ly1; ++py)
                visitRow(static_cast<int32_t>(py), static_cast<int32_t>(lx0), static_cast<const uint8_t*>(nullptr),
                    static_cast<int32_t>(lx1 - lx0));
    };
    if (font.LogFont.Underline)
        line(baseline + m.UnderlinePosition, m.UnderlineThickness);
    if (font.LogFont.StrikeOut)
        line(baseline - m.StrikeOutPosition, m.StrikeOutThickness);
}

// Calls visit(x, y, coverage) for every covered pixel inside clip.
template <class Visit>
void Rasterise(
    const TFontObject& font, int32_t x, int32_t y, const TRect& clip, const std::u32string& chars, Visit&& visit)
{
    RasteriseRows(font, x, y, clip, chars, [&](int32_t py, int32_t px, const uint8_t* coverage, int32_t count) {
        for (int32_t k = 0; k < count; ++k) {
            const uint8_t c = coverage != nullptr ? coverage[k] : uint8_t{255};
            if (c != 0)
                visit(px + k, py, c);
        }
    });
}

} // namespace

HFONT CreateFontIndirect(const TLogFont& logFont)
{
    TState& state = State();
    std::lock_guard lock(state.Mutex);
    for (auto it = state.Recent.begin(); it != state.Recent.end(); ++it) {
        if ((*it)->LogFont == logFont) {
            state.Recent.splice(state.Recent.begin(), state.Recent, it);
            return state.Recent.front();
        }
    }
    auto font = std::make_shared<TFontObject>();
    font->LogFont = logFont;
    font->Face = Source(state).OpenFace(logFont);
    font->Metrics = font->Face->Metrics();
    font->Embolden = logFont.Weight >= 600 && !font->Metrics.Bold;
    state.Recent.push_front(font);
    if (state.Recent.size() > RecentFontCount)
        state.Recent.pop_back();
    return font;
}

const TLogFont& GetLogFont(const HFONT& font)
{
    return font->LogFont;
}

TTextMetric GetTextMetrics(const HFONT& font)
{
    const TFaceMetrics& m = font->Metrics;
    TTextMetric tm;
    tm.Ascent = m.Ascent;
    tm.Descent = m.Descent;
    tm.Height = m.Ascent + m.Descent;
    tm.InternalLeading = std::max(0, tm.Height - m.EmHeight);
    tm.AveCharWidth = m.AveCharWidth;
    tm.MaxCharWidth = m.MaxCharWidth + (font->Embolden ? 1 : 0);
    tm.Weight = font->LogFont.Weight == FW_DONTCARE ? FW_NORMAL : font->LogFont.Weight;
    tm.Italic = font->LogFont.Italic;
    tm.Underlined = font->LogFont.Underline;
    tm.StruckOut = font->LogFont.StrikeOut;
    tm.PitchAndFamily = m.FixedPitch ? 0 : 1; // TMPF_FIXED_PITCH set means variable
    tm.CharSet = font->LogFont.CharSet;
    return tm;
}

std::string GetFaceName(const HFONT& font)
{
    std::lock_guard lock(State().Mutex);
    return font->Face->FamilyName();
}

TSize GetTextExtentPoint32(const HFONT& font, std::string_view text)
{
    const std::u32string chars = Decode(text);
    std::lock_guard lock(State().Mutex);
    return TSize{AdvanceOf(*font, chars), font->Metrics.Ascent + font->Metrics.Descent};
}

void ExtTextOut(const TDIB32& dib, const TTextContext& dc, int32_t x, int32_t y, uint32_t options, const TRect* rect,
    std::string_view text)
{
    if (dib.Bits == nullptr || dib.Width <= 0 || dib.Height <= 0 || !dc.Font)
        return;
    TRect clip{0, 0, dib.Width, dib.Height};
    if ((options & ETO_CLIPPED) != 0 && rect != nullptr)
        clip = IntersectRects(clip, *rect);
    const int32_t stride = dib.Stride != 0 ? dib.Stride : dib.Width * 4;
    auto pixel = [&](int32_t px, int32_t py) { return dib.Bits + static_cast<ptrdiff_t>(py) * stride + px * 4; };

    const std::u32string chars = Decode(text);
    std::lock_guard lock(State().Mutex);
    const TFontObject& font = *dc.Font;
    if (!dc.TransparentBackground) {
        const TColor bk = ColorToRGB(dc.BackgroundColor);
        const int64_t right = static_cast<int64_t>(x) + AdvanceOf(font, chars);
        const int64_t bottom = static_cast<int64_t>(y) + font.Metrics.Ascent + font.Metrics.Descent;
        const TRect cell = IntersectRects(clip, TRect{x, y, static_cast<int32_t>(std::min<int64_t>(right, INT32_MAX)),
                                                    static_cast<int32_t>(std::min<int64_t>(bottom, INT32_MAX))});
        for (int32_t py = cell.Top; py < cell.Bottom; ++py)
            for (int32_t px = cell.Left; px < cell.Right; ++px) {
                uint8_t* p = pixel(px, py);
                p[0] = GetBValue(bk), p[1] = GetGValue(bk), p[2] = GetRValue(bk), p[3] = 0;
            }
    }
    const TColor ink = ColorToRGB(dc.TextColor);
    const uint8_t ib = GetBValue(ink), ig = GetGValue(ink), ir = GetRValue(ink);
    Rasterise(font, x, y, clip, chars, [&](int32_t px, int32_t py, uint8_t c) {
        uint8_t* p = pixel(px, py);
        if (c == 255) {
            p[0] = ib, p[1] = ig, p[2] = ir;
        } else {
            const int k = 255 - c;
            p[0] = static_cast<uint8_t>((ib * c + p[0] * k + 127) / 255);
            p[1] = static_cast<uint8_t>((ig * c + p[1] * k + 127) / 255);
            p[2] = static_cast<uint8_t>((ir * c + p[2] * k + 127) / 255);
        }
        p[3] = 0;
    });
}

void DrawTextCoverage(const TPlane8& plane, const HFONT& font, int32_t x, int32_t y, std::string_view text)
{
    if (plane.Bits == nullptr || plane.Width <= 0 || plane.Height <= 0 || !font)
        return;
    const int32_t stride = plane.Stride != 0 ? plane.Stride : plane.Width;
    const std::u32string chars = Decode(text);
    std::lock_guard lock(State().Mutex);
    const TRect clip{0, 0, plane.Width, plane.Height};
    RasteriseRows(*font, x, y, clip, chars, [&](int32_t py, int32_t px, const uint8_t* coverage, int32_t count) {
        uint8_t* p = plane.Bits + static_cast<ptrdiff_t>(py) * stride + px;
        if (coverage == nullptr) {
            std::fill_n(p, count, uint8_t{255});
            return;
        }
        // ExtTextOut's mix, which leaves a byte as it was where the coverage
        // is 0 and gives 255 where it is 255, so it runs over every byte
        // without a branch. The sum stays below 65153, where
        // (v + 1 + (v >> 8)) >> 8 is exactly v / 255 in 16 bits.
        for (int32_t k = 0; k < count; ++k) {
            const uint16_t c = coverage[k];
            const auto v = static_cast<uint16_t>(255 * c + p[k] * (255 - c) + 127);
            p[k] = static_cast<uint8_t>(static_cast<uint16_t>(v + 1 + (v >> 8)) >> 8);
        }
    });
}

void ForEachTextPixel(
    const HFONT& font, int32_t x, int32_t y, const TRect& clip, std::string_view text, const TCoverageVisitor& visit)
{
    if (!font || !visit)
        return;
    const std::u32string chars = Decode(text);
    // Collected first, so the visitor runs without the lock held.
    struct TCovered {
        int32_t X, Y;
        uint8_t Coverage;
    };
    std::vector<TCovered> covered;
    {
        std::lock_guard lock(State().Mutex);
        Rasterise(*font, x, y, clip, chars, [&](int32_t px, int32_t py, uint8_t c) {
            covered.push_back(TCovered{px, py, c});
        });
    }
    for (const TCovered& c : covered)
        visit(c.X, c.Y, c.Coverage);
}

std::unique_ptr<TGlyphSource> SetGlyphSource(std::unique_ptr<TGlyphSource> source)
{
    TState& state = State();
    std::lock_guard lock(state.Mutex);
    state.Recent.clear();
    std::swap(state.Source, source);
    ++state.Generation;
    return source;
}

uint64_t GlyphSourceGeneration()
{
    TState& state = State();
    std::lock_guard lock(state.Mutex);
    return state.Generation;
}

TGlyphSourceScope::TGlyphSourceScope(std::unique_ptr<TGlyphSource> source)
    : FPrevious(SetGlyphSource(std::move(source)))
{
}

TGlyphSourceScope::~TGlyphSourceScope()
{
    SetGlyphSource(std::move(FPrevious));
}

} // namespace gdi
