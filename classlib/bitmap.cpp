#include "classlib/bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "classlib/bmp_format.h"
#include "classlib/pixel_formats.h"

int BitsPerPixelOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit:
    case pfDevice: return 32;
    }
    return 32;
}

// The canvas of a bitmap draws in the bitmap's own format; 32-bit bitmaps are
// reached directly as pixel memory.
class TBitmapCanvas final : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& owner) : FOwner(owner) {}

    bool HandleAllocated() const override { return true; }
    bool Surface32(gdi::TDIB32& dib) override
    {
        if (FOwner.FPixelFormat != pf32bit && FOwner.FPixelFormat != pfDevice)
            return false;
        dib.Bits = FOwner.FBits.empty() ? nullptr : FOwner.FBits.data();
        dib.Width = FOwner.FWidth;
        dib.Height = FOwner.FHeight;
        dib.Stride = FOwner.FStride;
        return true;
    }
    TSize SurfaceSize() override { return TSize{FOwner.FWidth, FOwner.FHeight}; }
    TColor ReadPixel(int32_t x, int32_t y) override { return FOwner.PixelColor(x, y); }
    void WritePixel(int32_t x, int32_t y, TColor color) override { FOwner.SetPixelColor(x, y, color); }
    void Changed() override
    {
        TCanvas::Changed();
        FOwner.NotifyChange();
    }

protected:
    // An empty bitmap's canvas draws nothing rather than failing.
    void RequireSurface() override {}

private:
    TBitmap& FOwner;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    if (FCanvas)
        FCanvas->OnChange = nullptr;
}

std::unique_ptr<TGraphic> TBitmap::CreateNew() const
{
    return std::make_unique<TBitmap>();
}

void TBitmap::Reformat(int32_t width, int32_t height, TPixelFormat format, const TPalette* palette)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > MaxBitmapSide || height > MaxBitmapSide || static_cast<int64_t>(width) * height > MaxBitmapPixels)
        throw EInvalidGraphicOperation("Bitmap is too large");

    const int bpp = BitsPerPixelOf(format);
    const auto stride = static_cast<int32_t>(pixfmt::StrideOf(width, bpp));
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);

    // The new palette: given; kept with the indices when the old format indexes
    // no more entries than the new one holds; a palette set on a direct-colour
    // bitmap before it becomes a palette one; else the standard one.
    TPalette newPalette;
    const bool oldIndexed = pixfmt::IsPaletteFormat(FPixelFormat);
    const bool keepIndices = oldIndexed && pixfmt::IsPaletteFormat(format) &&
                             pixfmt::PaletteCapacity(FPixelFormat) <= pixfmt::PaletteCapacity(format);
    if (palette != nullptr)
        newPalette = *palette;
    else if (pixfmt::IsPaletteFormat(format))
        newPalette = keepIndices || format == FPixelFormat || (!oldIndexed && !FPalette.empty())
                         ? FPalette
                         : pixfmt::DefaultPalette(format);
    if (pixfmt::IsPaletteFormat(format) && newPalette.size() > static_cast<size_t>(pixfmt::PaletteCapacity(format)))
        newPalette.resize(static_cast<size_t>(pixfmt::PaletteCapacity(format)));

    const int32_t copyWidth = std::min(width, FWidth);
    const int32_t copyHeight = std::min(height, FHeight);
    const bool sameLayout =
        format == FPixelFormat || (BitsPerPixelOf(format) == 32 && BitsPerPixelOf(FPixelFormat) == 32);
    if (copyWidth > 0 && copyHeight > 0) {
        if (sameLayout || keepIndices) {
            const bool wholeBytes = (copyWidth * bpp) % 8 == 0;
            for (int32_t y = 0; y < copyHeight; ++y) {
                const uint8_t* src = FBits.data() + static_cast<size_t>(y) * FStride;
                uint8_t* dst = bits.data() + static_cast<size_t>(y) * stride;
                if (sameLayout && wholeBytes)
                    std::memcpy(dst, src, static_cast<size_t>(copyWidth) * bpp / 8);
                else
                    for (int32_t x = 0; x < copyWidth; ++x)
                        pixfmt::WriteRaw(dst, x, format, pixfmt::ReadRaw(src, x, FPixelFormat));
            }
        } else {
            // Colour by colour; palette targets remember each colour's entry.
            std::unordered_map<TColor, uint32_t> nearest;
            for (int32_t y = 0; y < copyHeight; ++y) {
                const uint8_t* src = FBits.data() + static_cast<size_t>(y) * FStride;
                uint8_t* dst = bits.data() + static_cast<size_t>(y) * stride;
                for (int32_t x = 0; x < copyWidth; ++x) {
                    const TColor c = pixfmt::RawToColor(pixfmt::ReadRaw(src, x, FPixelFormat), FPixelFormat, FPalette);
                    uint32_t raw;
                    if (pixfmt::IsPaletteFormat(format)) {
                        auto it = nearest.find(c);
                        if (it == nearest.end())
                            it = nearest.emplace(c, pixfmt::ColorToRaw(c, format, newPalette)).first;
                        raw = it->second;
                    } else {
                        raw = pixfmt::ColorToRaw(c, format, newPalette);
                    }
                    pixfmt::WriteRaw(dst, x, format, raw);
                }
            }
        }
    }

    FWidth = width;
    FHeight = height;
    FStride = stride;
    FPixelFormat = format;
    FBits = std::move(bits);
    FPalette = std::move(newPalette);
}

void TBitmap::NotifyChange()
{
    Changed(this);
}

void TBitmap::DIBNeeded()
{
    if (FPixelFormat == pfDevice)
        FPixelFormat = pf32bit; // same pixel layout
}

void TBitmap::SetWidth(int32_t value)
{
    SetSize(value, FHeight);
}

void TBitmap::SetHeight(int32_t value)
{
    SetSize(FWidth, value);
}

void TBitmap::SetSize(int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight)
        return;
    Reformat(width, height, FPixelFormat, nullptr);
    NotifyChange();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == FPixelFormat)
        return;
    Reformat(FWidth, FHeight, format, nullptr);
    NotifyChange();
}

void TBitmap::SetHandleType(TBitmapHandleType type)
{
    if (type == HandleType())
        return;
    if (type == bmDIB)
        DIBNeeded();
    else
        Reformat(FWidth, FHeight, pfDevice, nullptr);
    NotifyChange();
}

bool TBitmap::Monochrome() const
{
    if (FPixelFormat != pf1bit)
        return false;
    const TRGBQuad black{0, 0, 0, 0};
    const TRGBQuad white{255, 255, 255, 0};
    return FPalette.size() == 2 && FPalette[0] == black && FPalette[1] == white;
}

uint8_t* TBitmap::ScanLine(int32_t y)
{
    if (y < 0 || y >= FHeight || FWidth == 0)
        throw EInvalidGraphicOperation("Scan line index out of range");
    DIBNeeded();
    return FBits.data() + static_cast<size_t>(y) * FStride;
}

const uint8_t* TBitmap::ScanLine(int32_t y) const
{
    if (y < 0 || y >= FHeight || FWidth == 0)
        throw EInvalidGraphicOperation("Scan line index out of range");
    return FBits.data() + static_cast<size_t>(y) * FStride;
}

void TBitmap::SetPalette(const TPalette& palette)
{
    TPalette p(palette.begin(), palette.begin() + static_cast<ptrdiff_t>(std::min<size_t>(palette.size(), 256)));
    if (pixfmt::IsPaletteFormat(FPixelFormat) && p.size() > static_cast<size_t>(pixfmt::PaletteCapacity(FPixelFormat)))
        p.resize(static_cast<size_t>(pixfmt::PaletteCapacity(FPixelFormat)));
    FPalette = std::move(p);
    SetPaletteModified(true);
    NotifyChange();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentColor != clDefault)
        return ColorToRGB(FTransparentColor);
    if (Monochrome())
        return clWhite;
    if (Empty())
        return clDefault;
    return PixelColor(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (color == FTransparentColor)
        return;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    FTransparentColor = color;
    NotifyChange();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == FTransparentMode)
        return;
    if (mode == tmAuto) {
        SetTransparentColor(clDefault);
    } else {
        const TColor current = TransparentColor();
        // An empty bitmap has no colour to fix yet; black stands in.
        SetTransparentColor(current == clDefault ? clBlack : current);
    }
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return FCanvas.get();
}

uint32_t TBitmap::RawPixel(int32_t x, int32_t y) const
{
    return pixfmt::ReadRaw(FBits.data() + static_cast<size_t>(y) * FStride, x, FPixelFormat);
}

TColor TBitmap::PixelColor(int32_t x, int32_t y) const
{
    return pixfmt::RawToColor(RawPixel(x, y), FPixelFormat, FPalette);
}

void TBitmap::SetPixelColor(int32_t x, int32_t y, TColor color)
{
    pixfmt::WriteRaw(FBits.data() + static_cast<size_t>(y) * FStride, x, FPixelFormat,
        pixfmt::ColorToRaw(color, FPixelFormat, FPalette));
}

bool TBitmap::IsTransparentPixel(int32_t x, int32_t y) const
{
    const TColor key = TransparentColor();
    if (key == clDefault)
        return false;
    if (IsPaletteIndex(key) && pixfmt::IsPaletteFormat(FPixelFormat))
        return RawPixel(x, y) == (static_cast<uint32_t>(key) & 0xFF);
    return PixelColor(x, y) == (key & 0xFFFFFF);
}

void TBitmap::CopyToDIB32(uint8_t* dest, int32_t stride) const
{
    if (Empty())
        return;
    std::array<uint32_t, 256> lut{};
    if (pixfmt::IsPaletteFormat(FPixelFormat))
        for (size_t i = 0; i < FPalette.size(); ++i)
            lut[i] = FPalette[i].Blue | (FPalette[i].Green << 8) | (static_cast<uint32_t>(FPalette[i].Red) << 16);
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* src = FBits.data() + static_cast<size_t>(y) * FStride;
        uint8_t* dst = dest + static_cast<ptrdiff_t>(y) * stride;
        switch (FPixelFormat) {
        case pf32bit:
        case pfDevice: std::memcpy(dst, src, static_cast<size_t>(FWidth) * 4); break;
        case pf24bit:
            for (int32_t x = 0; x < FWidth; ++x) {
                dst[4 * x] = src[3 * x];
                dst[4 * x + 1] = src[3 * x + 1];
                dst[4 * x + 2] = src[3 * x + 2];
                dst[4 * x + 3] = 0;
            }
            break;
        case pf1bit:
            for (int32_t x = 0; x < FWidth; ++x)
                std::memcpy(dst + 4 * x, &lut[(src[x >> 3] >> (7 - (x & 7))) & 1], 4);
            break;
        case pf4bit:
            for (int32_t x = 0; x < FWidth; ++x)
                std::memcpy(dst + 4 * x, &lut[(x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4], 4);
            break;
        case pf8bit:
            for (int32_t x = 0; x < FWidth; ++x)
                std::memcpy(dst + 4 * x, &lut[src[x]], 4);
            break;
        case pf15bit:
        case pf16bit:
            for (int32_t x = 0; x < FWidth; ++x) {
                const TColor c = pixfmt::RawToColor(pixfmt::ReadRaw(src, x, FPixelFormat), FPixelFormat, FPalette);
                dst[4 * x] = GetBValue(c);
                dst[4 * x + 1] = GetGValue(c);
                dst[4 * x + 2] = GetRValue(c);
                dst[4 * x + 3] = 0;
            }
            break;
        }
    }
}

void TBitmap::ClearTransparentAlpha(uint8_t* dest, int32_t stride) const
{
    if (Empty() || TransparentColor() == clDefault)
        return;
    for (int32_t y = 0; y < FHeight; ++y) {
        uint8_t* dst = dest + static_cast<ptrdiff_t>(y) * stride;
        for (int32_t x = 0; x < FWidth; ++x)
            if (IsTransparentPixel(x, y))
                dst[4 * x + 3] = 0;
    }
}

void TBitmap::Assign(const TPersistent* source)
{
    if (source == nullptr) {
        if (Empty())
            return;
        FWidth = FHeight = FStride = 0;
        FBits.clear();
        NotifyChange();
        return;
    }
    const auto* other = dynamic_cast<const TBitmap*>(source);
    if (other == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    if (other == this)
        return;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FStride = other->FStride;
    FPixelFormat = other->FPixelFormat;
    FBits = other->FBits;
    FPalette = other->FPalette;
    FTransparentColor = other->FTransparentColor;
    FTransparentMode = other->FTransparentMode;
    if (Transparent() != other->Transparent())
        SetTransparent(other->Transparent()); // signals the change
    else
        NotifyChange();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    bmp::TImage image = bmp::Read(stream);
    FWidth = image.Width;
    FHeight = image.Height;
    FStride = image.Stride;
    FPixelFormat = image.Format;
    FBits = std::move(image.Bits);
    FPalette = std::move(image.Palette);
    SetPaletteModified(pixfmt::IsPaletteFormat(FPixelFormat));
    NotifyChange();
}

void TBitmap::SaveToStream(TStream& stream)
{
    bmp::Write(
        stream, FWidth, FHeight, FPixelFormat == pfDevice ? pf32bit : FPixelFormat, FBits.data(), FStride, FPalette);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const
{
    if (Empty())
        return;
    const int32_t dw = rect.Right - rect.Left;
    const int32_t dh = rect.Bottom - rect.Top;
    if (dw <= 0 || dh <= 0)
        return;
    const TSize surface = canvas.SurfaceSize();
    const int32_t x0 = std::max(rect.Left, 0), x1 = std::min(rect.Right, surface.cx);
    const int32_t y0 = std::max(rect.Top, 0), y1 = std::min(rect.Bottom, surface.cy);
    if (x0 >= x1 || y0 >= y1)
        return;

    // Nearest source column and row for each target pixel, sampled at centres.
    std::vector<int32_t> columns(static_cast<size_t>(x1 - x0));
    for (int32_t x = x0; x < x1; ++x)
        columns[static_cast<size_t>(x - x0)] = static_cast<int32_t>(
            ((2 * static_cast<int64_t>(x - rect.Left) + 1) * FWidth) / (2 * static_cast<int64_t>(dw)));
    const bool keyed = Transparent();
    const bool alphaToo = BitsPerPixelOf(FPixelFormat) == 32;

    gdi::TDIB32 dib;
    const bool direct = canvas.Surface32(dib) && dib.Bits != nullptr;
    for (int32_t y = y0; y < y1; ++y) {
        const auto sy = static_cast<int32_t>(
            ((2 * static_cast<int64_t>(y - rect.Top) + 1) * FHeight) / (2 * static_cast<int64_t>(dh)));
        uint8_t* dst = direct ? dib.Bits + static_cast<ptrdiff_t>(y) * dib.Stride : nullptr;
        for (int32_t x = x0; x < x1; ++x) {
            const int32_t sx = columns[static_cast<size_t>(x - x0)];
            if (keyed && IsTransparentPixel(sx, sy))
                continue;
            if (direct) {
                const uint32_t raw = RawPixel(sx, sy);
                const TColor c = pixfmt::RawToColor(raw, FPixelFormat, FPalette);
                uint8_t* p = dst + 4 * x;
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
                p[3] = alphaToo ? static_cast<uint8_t>(raw >> 24) : 0;
            } else {
                canvas.WritePixel(x, y, PixelColor(sx, sy));
            }
        }
    }
}
