// Text on a TBitmap32 through the GDI stand-in: measuring, plain text output
// and RenderText, which turns glyph coverage into alpha.

#include <algorithm>

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
gdi::HFONT CreateFontWithQuality(const TFont& font, uint8_t quality)
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
    case fpVariable:
        lf.PitchAndFamily = gdi::VARIABLE_PITCH;
        break;
    case fpFixed:
        lf.PitchAndFamily = gdi::FIXED_PITCH;
        break;
    default:
        lf.PitchAndFamily = gdi::DEFAULT_PITCH;
        break;
    }
    lf.FaceName = sjis::SameText(font.Name(), "Default") ? std::string("MS Sans Serif") : font.Name();
    return gdi::CreateFontIndirect(lf);
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
    AreaChanged(TRect{x, y, int32_t(int64_t(x) + extent.cx + 1), int32_t(int64_t(y) + extent.cy + 1)},
                AREAINFO_RECT);
}

void TBitmap32::RenderText(int32_t x, int32_t y, const std::string& text, int32_t aaLevel, TColor32 color)
{
    if (Empty())
        return;
    const uint32_t alpha = color >> 24;
    color &= 0x00FFFFFF;
    aaLevel = Constrain(aaLevel, -1, 4);
    const std::string padded = text + " ";

    FFont->SetHandle(CreateFontWithQuality(
        *FFont, aaLevel == -1 ? gdi::ANTIALIASED_QUALITY : gdi::NONANTIALIASED_QUALITY));
    // Whatever happens below, the font goes back to its default quality.
    struct TQualityRestore {
        TFont& Font;
        ~TQualityRestore() { Font.SetHandle(CreateFontWithQuality(Font, gdi::DEFAULT_QUALITY)); }
    } restore{*FFont};

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
        const int32_t n = aaLevel;
        TFont large;
        large.Assign(FFont.get());
        large.SetSize(SaturatedShift(FFont->Size(), n));
        const gdi::HFONT largeFont = CreateFontWithQuality(large, gdi::NONANTIALIASED_QUALITY);
        TSize sz = gdi::GetTextExtentPoint32(largeFont, padded);
        sz.cx = ((sz.cx >> n) + 1) << n;
        sz.cy = ((sz.cy >> n) + 1) << n;

        TBitmap32 b2;
        b2.SetSize(sz.cx, sz.cy);
        b2.Clear(0);
        DrawWhiteText(b2, largeFont, text);

        b.SetSize(sz.cx >> n, sz.cy >> n);
        const int32_t block = 1 << n;
        for (int32_t by = 0; by < b.Height(); ++by) {
            TColor32* d = b.ScanLine(by);
            for (int32_t bx = 0; bx < b.Width(); ++bx) {
                uint32_t sum = 0;
                for (int32_t j = 0; j < block; ++j) {
                    const TColor32* s = b2.PixelPtr(bx << n, (by << n) + j);
                    for (int32_t i = 0; i < block; ++i)
                        sum += s[i] & 0xFF;
                }
                d[bx] = color + ((sum >> n >> n) << 24);
            }
        }
    }

    b.SetDrawMode(dmBlend);
    b.SetMasterAlpha(alpha);
    b.SetCombineMode(FCombineMode);
    b.DrawTo(*this, x, y);
}
