#pragma once
// Row conversions between PNG sample layouts and bitmap pixel formats.
// Bitmap formats: 1, 4 and 8 bits (indexes, highest bits first), 16 bits
// (5-6-5 words, low byte first), 24 bits (blue, green, red), 32 bits (blue,
// green, red, unused). Alpha rows hold 255 minus the alpha.

#include <cstdint>

// ---- reading ----

// Turns `count` pixels of a file row into bitmap pixels, and the alpha
// samples, when the file has them, into an alpha row.
using TPngRowToPixels = void (*)(const uint8_t* src, uint8_t* pixels, uint8_t* alpha, int32_t count);

// The converter for a colour type's samples (grey, RGB or palette, with or
// without alpha) at a bit depth into a bitmap of `targetBits`; nullptr when
// the reader has no bitmap format for them.
TPngRowToPixels PngRowConverter(int colorKind, bool alpha, int depth, int targetBits);

// Puts `count` packed pixels of `bits` each into a scan line at column
// xStart, xStart + xStep, ... Sub-byte pixels are set in place.
void StorePixels(const uint8_t* pixels, uint8_t* scan, int bits, int32_t xStart, int32_t xStep, int32_t count);

// ---- writing ----

// Takes `count` pixels of `bits` each (1, 4, 8, 16, 24 or 32) from a scan
// line at column xStart, xStart + xStep, ... and packs them.
void GatherPixels(const uint8_t* scan, uint8_t* pixels, int bits, int32_t xStart, int32_t xStep, int32_t count);

// Bitmap pixels of 15, 16, 24 or 32 bits into PNG red, green, blue; with an
// alpha row each pixel gets 255 minus its mask byte as a fourth sample.
void PixelsToRGB(const uint8_t* pixels, int bits, const uint8_t* alphaMask, uint8_t* out, int32_t count);

// The same pixels as grey levels, with 255 minus the mask byte after each
// when an alpha row is given.
void PixelsToGrey(const uint8_t* pixels, int bits, const uint8_t* alphaMask, uint8_t* out, int32_t count);

// The grey level the writer gives a colour.
inline uint8_t PngGreyLevel(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
}
