#include "classlib/font.h"

#include <cstdlib>
#include <limits>

#include "base/sjis.h"

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t n = static_cast<int64_t>(a) * b;
    const uint64_t un = static_cast<uint64_t>(n < 0 ? -n : n);
    const uint64_t uc = static_cast<uint64_t>(c < 0 ? -static_cast<int64_t>(c) : c);
    const uint64_t q = (un * 2 + uc) / (uc * 2);
    const bool negative = (n < 0) != (c < 0);
    if (q > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0))
        return -1; // as Windows reports an overflow
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

TFont::TFont()
    : FName("MS Sans Serif"), FHeight(-11), FColor(clWindowText), FCharset(gdi::DEFAULT_CHARSET), FPitch(fpDefault)
{
}

void TFont::SetName(std::string_view name)
{
    if (name.empty() || name == FName)
        return;
    FName = std::string(name);
    PropertyChanged();
}

void TFont::SetHeight(int32_t height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    PropertyChanged();
}

int32_t TFont::Size() const
{
    return -MulDiv(FHeight, 72, PixelsPerInch());
}

void TFont::SetSize(int32_t points)
{
    SetHeight(-MulDiv(points, PixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    PropertyChanged();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    // The colour is not part of the GDI font; the handle stays.
    Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
    if (charset == FCharset)
        return;
    FCharset = charset;
    PropertyChanged();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == FPitch)
        return;
    FPitch = pitch;
    PropertyChanged();
}

const gdi::HFONT& TFont::Handle() const
{
    if (!FHandle) {
        gdi::TLogFont lf;
        lf.Height = FHeight;
        lf.Weight = FStyle.Contains(fsBold) ? gdi::FW_BOLD : gdi::FW_NORMAL;
        lf.Italic = FStyle.Contains(fsItalic);
        lf.Underline = FStyle.Contains(fsUnderline);
        lf.StrikeOut = FStyle.Contains(fsStrikeOut);
        lf.CharSet = FCharset;
        lf.Quality = gdi::DEFAULT_QUALITY;
        lf.PitchAndFamily = FPitch == fpFixed      ? gdi::FIXED_PITCH
                            : FPitch == fpVariable ? gdi::VARIABLE_PITCH
                                                   : gdi::DEFAULT_PITCH;
        lf.FaceName = sjis::SameText(FName, "Default") ? std::string("MS Sans Serif") : FName;
        FHandle = gdi::CreateFontIndirect(lf);
    }
    return FHandle;
}

void TFont::SetHandle(gdi::HFONT handle)
{
    if (!handle)
        return;
    const gdi::TLogFont& lf = gdi::GetLogFont(handle);
    FHandle = std::move(handle);
    if (!lf.FaceName.empty())
        FName = lf.FaceName;
    FHeight = lf.Height;
    FStyle = TFontStyles();
    if (lf.Weight >= gdi::FW_BOLD)
        FStyle.Include(fsBold);
    if (lf.Italic)
        FStyle.Include(fsItalic);
    if (lf.Underline)
        FStyle.Include(fsUnderline);
    if (lf.StrikeOut)
        FStyle.Include(fsStrikeOut);
    FCharset = lf.CharSet;
    const uint8_t pitch = lf.PitchAndFamily & 3;
    FPitch = pitch == gdi::FIXED_PITCH ? fpFixed : pitch == gdi::VARIABLE_PITCH ? fpVariable : fpDefault;
    Changed();
}

void TFont::Assign(const TPersistent* source)
{
    const auto* font = dynamic_cast<const TFont*>(source);
    if (font == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (font == this)
        return;
    FName = font->FName;
    FHeight = font->FHeight;
    FStyle = font->FStyle;
    FColor = font->FColor;
    FCharset = font->FCharset;
    FPitch = font->FPitch;
    FHandle = font->FHandle;
    Changed();
}

void TFont::PropertyChanged()
{
    FHandle.reset();
    Changed();
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}
