#pragma once
// Windows bitmap files (.bmp): a hardened reader for every header version and
// depth Windows knows (core, info, V2-V5 headers; 1, 4, 8, 16, 24, 32 bits;
// RLE4, RLE8 and bit fields; bottom-up and top-down rows) and the writer
// that TBitmap uses.

#include <cstdint>
#include <vector>

#include "base/streams.h"
#include "classlib/bitmap.h"

namespace bmp {

// A decoded file in TBitmap's own layout: rows top-down, DIB-padded.
struct TImage {
    int32_t Width = 0;
    int32_t Height = 0;
    TPixelFormat Format = pf24bit;
    int32_t Stride = 0;
    std::vector<uint8_t> Bits;
    TPalette Palette;
};

// Reads a file from the stream's position and leaves the position after the
// pixel data. Raises EInvalidGraphic("Bitmap image is not valid: <reason>")
// for anything it cannot read safely; never reads or allocates more than the
// header's checked sizes allow.
TImage Read(TStream& stream);

// Writes a file of the given pixels (rows top-down, `stride` bytes apart).
void Write(TStream& stream, int32_t width, int32_t height, TPixelFormat format, const uint8_t* bits, int32_t stride,
    const TPalette& palette);

} // namespace bmp
