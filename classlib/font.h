#pragma once
// The class library's font object: name, size, style, colour, character set
// and pitch, with the GDI font handle made from them on demand.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/classes.h"
#include "classlib/colors.h"
#include "classlib/text_render.h"

// a * b / c in 64 bits, rounded half away from zero; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle values.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles)
            FBits = static_cast<uint8_t>(FBits | (1u << s));
    }
    constexpr bool Contains(TFontStyle s) const { return (FBits >> s) & 1u; }
    constexpr void Include(TFontStyle s) { FBits = static_cast<uint8_t>(FBits | (1u << s)); }
    constexpr void Exclude(TFontStyle s) { FBits = static_cast<uint8_t>(FBits & ~(1u << s)); }
    constexpr bool IsEmpty() const { return FBits == 0; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    uint8_t FBits = 0;
};

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;

class TFont : public TPersistent {
public:
    // "MS Sans Serif", height -11 (8 points), clWindowText, DEFAULT_CHARSET,
    // default pitch, no style.
    TFont();
    std::string ClassName() const override { return "TFont"; }

    // Face name, Shift-JIS.
    const std::string& Name() const { return FName; }
    void SetName(std::string_view name);
    // Negative: em height in pixels; positive: cell height (see TLogFont).
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t height);
    // Points at PixelsPerInch: Size = -MulDiv(Height, 72, 96) and
    // Height = -MulDiv(Size, 96, 72).
    int32_t Size() const;
    void SetSize(int32_t points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    int32_t PixelsPerInch() const { return 96; }

    // The GDI font for the current properties, made on first use with
    // DEFAULT_QUALITY (or the one given to SetHandle).
    const gdi::HFONT& Handle() const;
    // Adopts a font made elsewhere (for example with another quality); name,
    // height, style, charset and pitch follow its LOGFONT, the colour stays.
    void SetHandle(gdi::HFONT handle);

    // From a TFont: name, height, style, colour, charset and pitch. Other
    // sources: the class library's conversion error.
    void Assign(const TPersistent* source) override;

    // Fired after every change of a property or the handle.
    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    void PropertyChanged();

    std::string FName;
    int32_t FHeight;
    TFontStyles FStyle;
    TColor FColor;
    TFontCharset FCharset;
    TFontPitch FPitch;
    mutable gdi::HFONT FHandle;
};
