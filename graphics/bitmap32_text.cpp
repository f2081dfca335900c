// Text on a TBitmap32 through the GDI stand-in: measuring, plain text output
// and RenderText, which turns glyph coverage into alpha.

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/scope_exit.h"
#include "base/sjis.h"
#include "graphics/bitmap32.h"
#include "classlib/graphic.h"

namespace {

gdi::TDIB32 DibOf(const TBitmap32& b)
{
    return gdi::TDIB32{reinterpret_cast<uint8_t*>(b.Bits()), b.Width(), b.Height(), b.Width() * 4};
}

// The font quality step: the font's handle rebuilt from its properties with
// the given quality.
gdi::TLogFont LogFontWithQuality(const TFont& font, uint8_t quality)
{
    gdi::TLogFont lf;
    lf.Height = font.Height();
    lf.Weight = font.Style().Contains(fsBold) ? gdi::FW_BOLD : gdi::FW_NORMAL;
    lf.Italic = font.Style().Contains(fsItalic);
    lf.Underline = font.Style().Contains(fsUnderline);
    lf.StrikeOut = font.Style().Contains(fsStrikeOut);
    lf.CharSet = font.Charset();
    lf.OutPrecision = gdi::OUT_DEFAULT_PRECIS;
    lf.ClipPrecision = gdi::CLIP_DEFAULT_PRECIS;
    lf.Quality = quality;
    switch (font.Pitch()) {
    case fpVariable: lf.PitchAndFamily = gdi::VARIABLE_PITCH; break;
    case fpFixed: lf.PitchAndFamily = gdi::FIXED_PITCH; break;
    default: lf.PitchAndFamily = gdi::DEFAULT_PITCH; break;
    }
    lf.FaceName = sjis::SameText(font.Name(), "Default") ? std::string("MS Sans Serif") : font.Name();
    return lf;
}

gdi::HFONT CreateFontWithQuality(const TFont& font, uint8_t quality)
{
    return gdi::CreateFontIndirect(LogFontWithQuality(font, quality));
}

void DrawWhiteText(TBitmap32& b, const gdi::HFONT& font, const std::string& text)
{
    gdi::TTextContext dc;
    dc.Font = font;
    dc.TextColor = clWhite;
    dc.TransparentBackground = true;
    gdi::ExtTextOut(DibOf(b), dc, 0, 0, 0, nullptr, text);
}

int32_t SaturatedShift(int32_t value, int32_t n)
{
    return int32_t(std::clamp<int64_t>(int64_t(value) * (int64_t(1) << n), INT32_MIN, INT32_MAX));
}

} // namespace

// The fonts RenderText switches between for one font and level: the font
// with the level's quality, its enlarged twin for the supersampled levels and
// the default-quality font the Font returns to. The message window renders
// every character of a line with them, so they are kept made: holding them
// keeps their glyphs rasterised, however many other fonts are realised
// meanwhile.
struct TRenderTextFonts {
    // The Font as a default-quality LOGFONT, which names every property the
    // fonts are made from, and the level.
    gdi::TLogFont Key;
    int32_t Level = 0;
    // Fonts of a replaced glyph source are not used again.
    uint64_t Generation = 0;
    gdi::HFONT Quality;
    gdi::HFONT Large;
    gdi::HFONT Default;
};

namespace {

std::shared_ptr<const TRenderTextFonts> MakeRenderTextFonts(
    gdi::TLogFont key, const TFont& font, int32_t aaLevel, uint64_t generation)
{
    auto fonts = std::make_shared<TRenderTextFonts>();
    fonts->Key = std::move(key);
    fonts->Level = aaLevel;
    fonts->Generation = generation;
    fonts->Quality =
        CreateFontWithQuality(font, aaLevel == -1 ? gdi::ANTIALIASED_QUALITY : gdi::NONANTIALIASED_QUALITY);
    // Everything below follows the Font as the quality handle leaves it.
    TFont adopted;
    adopted.Assign(&font);
    adopted.SetHandle(fonts->Quality);
    if (aaLevel > 0) {
        TFont large;
        large.Assign(&adopted);
        large.SetSize(SaturatedShift(adopted.Size(), aaLevel));
        fonts->Large = CreateFontWithQuality(large, gdi::NONANTIALIASED_QUALITY);
    }
    fonts->Default = CreateFontWithQuality(adopted, gdi::DEFAULT_QUALITY);
    return fonts;
}

bool IsFor(const std::shared_ptr<const TRenderTextFonts>& fonts, const gdi::TLogFont& key, int32_t aaLevel,
    uint64_t generation)
{
    return fonts && fonts->Level == aaLevel && fonts->Generation == generation && fonts->Key == key;
}

// The fonts for the Font and level: the ones the bitmap used last when they
// fit, else from the most recently used ones of every bitmap, else made.
std::shared_ptr<const TRenderTextFonts> RenderTextFontsFor(
    std::shared_ptr<const TRenderTextFonts> last, const TFont& font, int32_t aaLevel)
{
    gdi::TLogFont key = LogFontWithQuality(font, gdi::DEFAULT_QUALITY);
    const uint64_t generation = gdi::GlyphSourceGeneration();
    if (IsFor(last, key, aaLevel, generation))
        return last;

    struct TCache {
        std::mutex Mutex;
        std::vector<std::shared_ptr<const TRenderTextFonts>> Recent; // most recent first
    };
    constexpr size_t Kept = 16;
    // Never destroyed, like the realised fonts it holds.
    static TCache* cache = new TCache;

    std::lock_guard lock(cache->Mutex);
    auto& recent = cache->Recent;
    auto it =
        std::find_if(recent.begin(), recent.end(), [&](const auto& f) { return IsFor(f, key, aaLevel, generation); });
    if (it == recent.end()) {
        std::erase_if(recent, [&](const auto& f) { return f->Generation != generation; });
        if (recent.size() == Kept)
            recent.pop_back();
        recent.insert(recent.begin(), MakeRenderTextFonts(std::move(key), font, aaLevel, generation));
    } else {
        std::rotate(recent.begin(), it, it + 1);
    }
    return recent.front();
}

// The supersampling canvas: one coverage byte per pixel, kept between calls
// on each thread unless a very large text made it big.
std::vector<uint8_t>& CoveragePlane()
{
    thread_local std::vector<uint8_t> plane;
    return plane;
}
constexpr size_t KeptPlaneBytes = size_t{4} << 20;

} // namespace

TSize TBitmap32::TextExtent(const std::string& text)
{
    return gdi::GetTextExtentPoint32(FFont->Handle(), text);
}

void TBitmap32::TextOut(int32_t x, int32_t y, const std::string& text)
{
    const gdi::HFONT& font = FFont->Handle();
    if (!FMeasuringMode && !Empty()) {
        gdi::TTextContext dc;
        dc.Font = font;
        dc.TextColor = ColorToRGB(FFont->Color());
        dc.TransparentBackground = true;
        gdi::ExtTextOut(DibOf(*this), dc, x, y, FClipping ? gdi::ETO_CLIPPED : 0, &FClipRect, text);
    }
    const TSize extent = gdi::GetTextExtentPoint32(font, text);
    AreaChanged(TRect{x, y, int32_t(int64_t(x) + extent.cx + 1), int32_t(int64_t(y) + extent.cy + 1)}, AREAINFO_RECT);
}

void TBitmap32::RenderText(int32_t x, int32_t y, const std::string& text, int32_t aaLevel, TColor32 color)
{
    if (Empty())
        return;
    const uint32_t alpha = color >> 24;
    color &= 0x00FFFFFF;
    aaLevel = Constrain(aaLevel, -1, 4);
    const std::string padded = text + " ";

    FRenderTextFonts = RenderTextFontsFor(std::move(FRenderTextFonts), *FFont, aaLevel);
    const std::shared_ptr<const TRenderTextFonts> fonts = FRenderTextFonts;
    FFont->SetHandle(fonts->Quality);
    // Whatever happens below, the font goes back to its default quality.
    struct TQualityRestore {
        TFont& Font;
        const gdi::HFONT& Default;
        ~TQualityRestore() { Font.SetHandle(Default); }
    } restore{*FFont, fonts->Default};

    TBitmap32 b;
    if (aaLevel <= 0) {
        const TSize sz = TextExtent(padded);
        b.SetSize(sz.cx, sz.cy);
        b.Clear(0);
        DrawWhiteText(b, FFont->Handle(), text);
        TColor32* p = b.Bits();
        const int64_t count = int64_t(b.Width()) * b.Height();
        for (int64_t i = 0; i < count; ++i)
            if (p[i] != 0)
                p[i] = color + ((p[i] & 0xFF) << 24);
    } else {
        // The text at 2^n times the size, white on black, each pixel of B
        // the mean coverage of the 2^n x 2^n block under it. Only the blue
        // byte of the large drawing counts, so it is drawn as coverage bytes.
        const int32_t n = aaLevel;
        const TSize large = gdi::GetTextExtentPoint32(fonts->Large, padded);
        const int64_t cx = ((int64_t(large.cx) >> n) + 1) << n;
        const int64_t cy = ((int64_t(large.cy) >> n) + 1) << n;
        if (cx * cy > MaxBitmap32Pixels)
            throw Exception("Can't allocate the DIB handle");
        std::vector<uint8_t>& plane = CoveragePlane();
        const TScopeExit trim([&plane] {
            if (plane.capacity() > KeptPlaneBytes)
                std::vector<uint8_t>().swap(plane);
        });
        try {
            plane.assign(size_t(cx * cy), 0);
        } catch (const std::bad_alloc&) {
            throw Exception("Can't allocate the DIB handle");
        }
        gdi::DrawTextCoverage(
            gdi::TPlane8{plane.data(), int32_t(cx), int32_t(cy), int32_t(cx)}, fonts->Large, 0, 0, text);

        b.SetSize(int32_t(cx >> n), int32_t(cy >> n));
        const int32_t block = 1 << n;
        const int32_t width = b.Width();
        std::vector<uint32_t> sums(n > 1 ? size_t(width) : 0);
        for (int32_t by = 0; by < b.Height(); ++by) {
            const uint8_t* rows = plane.data() + (int64_t(by) << n) * cx;
            TColor32* d = b.ScanLine(by);
            if (n == 1) {
                const uint8_t* r0 = rows;
                const uint8_t* r1 = rows + cx;
                for (int32_t bx = 0; bx < width; ++bx) {
                    const uint32_t sum = uint32_t(r0[2 * bx]) + r0[2 * bx + 1] + r1[2 * bx] + r1[2 * bx + 1];
                    d[bx] = color + ((sum >> 2) << 24);
                }
                continue;
            }
            std::fill(sums.begin(), sums.end(), 0u);
            for (int32_t j = 0; j < block; ++j) {
                const uint8_t* s = rows + j * cx;
                for (int32_t bx = 0; bx < width; ++bx)
                    for (int32_t i = 0; i < block; ++i)
                        sums[size_t(bx)] += s[(bx << n) + i];
            }
            for (int32_t bx = 0; bx < width; ++bx)
                d[bx] = color + ((sums[size_t(bx)] >> n >> n) << 24);
        }
    }

    b.SetDrawMode(dmBlend);
    b.SetMasterAlpha(alpha);
    b.SetCombineMode(FCombineMode);
    b.DrawTo(*this, x, y);
}
