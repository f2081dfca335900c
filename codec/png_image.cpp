#include "codec/png_bitmap.h"

PngImage::PngImage(int32_t width, int32_t height, int bitsPerPixel, std::vector<PngColor> palette)
{
    Prepare(width, height, bitsPerPixel, palette);
}

void PngImage::Prepare(int32_t width, int32_t height, int bitsPerPixel, const std::vector<PngColor>& palette)
{
    FWidth = width > 0 ? width : 0;
    FHeight = height > 0 ? height : 0;
    // Formats the codec does not know are held, and written, as 24 bits.
    const bool known = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 15 ||
                       bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    FBits = known ? bitsPerPixel : 24;
    FPalette = palette;
    FStride = PngRowBytes(FWidth, FBits == 15 ? 16 : FBits);
    FPixels.assign(FStride * static_cast<size_t>(FHeight), 0);
    FTransparent = false;
    FTransparentColor = 0;
}
