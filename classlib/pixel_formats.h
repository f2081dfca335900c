#pragma once
// Pixel layouts of TBitmap's formats: reading and writing single pixels,
// colour conversion and the standard palettes. Shared by the bitmap, its
// canvas and the bitmap file reader.

#include <cstdint>

#include "classlib/bitmap.h"

namespace pixfmt {

constexpr bool IsPaletteFormat(TPixelFormat f)
{
    return f == pf1bit || f == pf4bit || f == pf8bit;
}
// Entries a palette format can index (0 for the others).
int PaletteCapacity(TPixelFormat f);
// Bytes per DIB row: width * bits rounded up to whole 32-bit words.
int64_t StrideOf(int64_t width, int bitsPerPixel);

uint32_t ReadRaw(const uint8_t* row, int32_t x, TPixelFormat f);
void WriteRaw(uint8_t* row, int32_t x, TPixelFormat f, uint32_t raw);

// 00BBGGRRh of a raw pixel; an index beyond the palette is black.
TColor RawToColor(uint32_t raw, TPixelFormat f, const TPalette& palette);
// The raw value that shows `color` (00BBGGRRh, or a palette index for
// palette formats); 32-bit pixels get alpha 0.
uint32_t ColorToRaw(TColor color, TPixelFormat f, const TPalette& palette);

// Smallest sum of absolute red, green and blue differences; the first entry
// wins ties. -1 for an empty palette.
int NearestPaletteIndex(const TPalette& palette, uint8_t r, uint8_t g, uint8_t b);

// Black and white; the 16 VGA colours; a 256-colour palette of the 6x6x6
// colour cube, the 16 VGA colours and 24 greys. Empty for other formats.
TPalette DefaultPalette(TPixelFormat f);

} // namespace pixfmt
