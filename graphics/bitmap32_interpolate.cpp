// Reads of a TBitmap32 between pixel centres: the four neighbours mixed by
// the fractional parts, whose weights go through the gamma table.

#include <cmath>

#include "graphics/bitmap32.h"

namespace {

uint8_t gGamma[256];

struct TGammaStartup {
    TGammaStartup() { SetGamma(0.7f); }
} gGammaStartup;

// fx, fy: 0..255, the distance from the top-left neighbour in 1/256.
TColor32 Mix4(TColor32 c00, TColor32 c10, TColor32 c01, TColor32 c11, uint32_t fx, uint32_t fy)
{
    const TColor32 wx = gGamma[255 - fx];
    const TColor32 wy = gGamma[255 - fy];
    const TColor32 top = CombinePixel(c00, c10, wx);
    const TColor32 bottom = CombinePixel(c01, c11, wx);
    EndMMX();
    return CombinePixel(top, bottom, wy);
}

} // namespace

void SetGamma(float gamma)
{
    for (int i = 0; i < 256; ++i)
        gGamma[i] = uint8_t(RoundEven(std::pow(static_cast<long double>(i) / 255.0L, gamma) * 255.0L));
}

uint8_t GammaTable(uint8_t index)
{
    return gGamma[index];
}

TColor32 TBitmap32::Pixel256(int32_t x, int32_t y) const
{
    const int32_t ix = x >> 8;
    const int32_t iy = y >> 8;
    const TColor32* p = PixelPtr(ix, iy);
    return Mix4(p[0], p[1], p[FWidth], p[FWidth + 1], uint32_t(x) & 0xFF, uint32_t(y) & 0xFF);
}

TColor32 TBitmap32::Pixel256S(int32_t x, int32_t y) const
{
    const int32_t ix = x >> 8;
    const int32_t iy = y >> 8;
    if (ix >= FClipRect.Left && ix < FClipRect.Right - 1 && iy >= FClipRect.Top && iy < FClipRect.Bottom - 1)
        return Pixel256(x, y);
    return Mix4(PixelS(ix, iy), PixelS(ix + 1, iy), PixelS(ix, iy + 1), PixelS(ix + 1, iy + 1), uint32_t(x) & 0xFF,
        uint32_t(y) & 0xFF);
}

TColor32 TBitmap32::Pixel256W(int32_t x, int32_t y) const
{
    const int32_t ix = x >> 8;
    const int32_t iy = y >> 8;
    // A 24.8 position has at most 24 integer bits: ix + 1 cannot overflow.
    return Mix4(PixelW(ix, iy), PixelW(ix + 1, iy), PixelW(ix, iy + 1), PixelW(ix + 1, iy + 1), uint32_t(x) & 0xFF,
        uint32_t(y) & 0xFF);
}

// 16.16 positions: the fraction's top eight bits make the 24.8 position.
TColor32 TBitmap32::PixelX(TFixed x, TFixed y) const
{
    return Pixel256(x >> 8, y >> 8);
}
TColor32 TBitmap32::PixelXS(TFixed x, TFixed y) const
{
    return Pixel256S(x >> 8, y >> 8);
}
TColor32 TBitmap32::PixelXW(TFixed x, TFixed y) const
{
    return Pixel256W(x >> 8, y >> 8);
}
