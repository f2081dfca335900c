// The merge combine mode: the foreground composited over a background that
// has an alpha of its own, so that drawing onto a transparent bitmap keeps
// the foreground's colour instead of darkening it towards the background.

#include <algorithm>

#include "graphics/blend_routines.h"

namespace {

uint8_t gProduct[256][256];
uint8_t gReciprocal[256][256];

// Round(n / d) with ties to even, for non-negative n and positive d.
uint32_t DivideRoundEven(uint32_t n, uint32_t d)
{
    uint32_t q = n / d;
    const uint32_t r2 = (n % d) * 2;
    if (r2 > d || (r2 == d && (q & 1)))
        ++q;
    return q;
}

TColor32 Merge(TColor32 f, TColor32 b, uint32_t fa)
{
    const uint32_t ba = b >> 24;
    if (fa == 0)
        return b;
    if (fa == 255 || ba == 0)
        return (f & 0x00FFFFFF) | (fa << 24);
    if (ba == 255)
        return BlendPixel((f & 0x00FFFFFF) | (fa << 24), b) | 0xFF000000;

    const uint32_t backPart = gProduct[ba][255 - fa];
    const uint32_t ra = fa + ba - gProduct[fa][ba];
    const uint32_t fw = gReciprocal[fa][ra];
    const uint32_t bw = gReciprocal[backPart][ra];
    TColor32 result = ra << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = gProduct[fw][(f >> shift) & 0xFF] + gProduct[bw][(b >> shift) & 0xFF];
        result |= std::min<uint32_t>(c, 255) << shift;
    }
    return result;
}

uint32_t MaskedAlpha(TColor32 f, TColor32 m)
{
    return ((m + 1) * (f >> 24)) >> 8;
}

} // namespace

namespace blend_merge {

void BuildTables()
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) {
            gProduct[a][b] = uint8_t(DivideRoundEven(a * b, 255));
            gReciprocal[a][b] = b == 0 ? 0 : uint8_t(DivideRoundEven(a * 255, b));
        }
}

uint8_t ProductTable(uint8_t a, uint8_t b)
{
    return gProduct[a][b];
}
uint8_t ReciprocalTable(uint8_t a, uint8_t b)
{
    return gReciprocal[a][b];
}

TColor32 MergePixel(TColor32 f, TColor32 b)
{
    return Merge(f, b, f >> 24);
}
void MergePixelInPlace(TColor32 f, TColor32& b)
{
    b = Merge(f, b, f >> 24);
}
TColor32 MergePixelMasked(TColor32 f, TColor32 b, TColor32 m)
{
    return Merge(f, b, MaskedAlpha(f, m));
}
void MergePixelMaskedInPlace(TColor32 f, TColor32& b, TColor32 m)
{
    b = Merge(f, b, MaskedAlpha(f, m));
}

void MergeRow(const TColor32* src, TColor32* dst, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        dst[i] = Merge(src[i], dst[i], src[i] >> 24);
}

void MergeRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m)
{
    for (int32_t i = 0; i < count; ++i)
        dst[i] = Merge(src[i], dst[i], MaskedAlpha(src[i], m));
}

} // namespace blend_merge
