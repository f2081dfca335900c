#include "codec/png_tbitmap.h"

namespace {

TPixelFormat FormatOfBits(int bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
    }
}

} // namespace

int PngTBitmapAdapter::BitsPerPixel() const
{
    // 5-5-5 pixels take 16 bits but are not 5-6-5 ones.
    return FBitmap.PixelFormat() == pf15bit ? 15 : BitsPerPixelOf(FBitmap.PixelFormat());
}

std::vector<PngColor> PngTBitmapAdapter::Palette() const
{
    std::vector<PngColor> palette;
    palette.reserve(FBitmap.Palette().size());
    for (const TRGBQuad& q : FBitmap.Palette())
        palette.push_back(PngColor{q.Red, q.Green, q.Blue});
    return palette;
}

void PngTBitmapAdapter::Prepare(int32_t width, int32_t height, int bitsPerPixel, const std::vector<PngColor>& palette)
{
    // Emptied first, so the format change has no pixels to convert.
    FBitmap.SetSize(0, 0);
    FBitmap.SetPixelFormat(FormatOfBits(bitsPerPixel));
    TPalette entries;
    entries.reserve(palette.size());
    for (const PngColor& c : palette)
        entries.push_back(TRGBQuad{c.B, c.G, c.R, 0});
    FBitmap.SetPalette(entries);
    FBitmap.SetTransparent(false);
    FBitmap.SetTransparentColor(clDefault);
    FBitmap.SetSize(width, height);
}

void PngTBitmapAdapter::SetTransparentColor(uint32_t color)
{
    FBitmap.SetTransparentColor(static_cast<TColor>(color));
    FBitmap.SetTransparent(true);
}
