#pragma once
// PNG decoding and encoding over bytes in memory, with the reader's and the
// writer's default options.

#include "codec/png_bitmap.h"

#include <cstdint>
#include <span>
#include <vector>

// Decodes a whole PNG file into `image` and, when the file has an alpha
// channel or a palette transparency, its mask (255 minus the alpha) into
// `alpha`. Returns whether it had one. Raises EZEBPNG on a bad file.
bool DecodePNG(std::span<const uint8_t> bytes, PngBitmap& image, PngBitmap* alpha = nullptr);

// Encodes a bitmap, with its mask when given, at a zlib level (0 to 9, else
// zlib's default) and filter mode (0 adaptive, 1 None, 2 Sub, 3 Up,
// 4 Average, 5 Paeth).
std::vector<uint8_t> EncodePNG(
    const PngBitmap& image, const PngBitmap* alpha = nullptr, int level = -1, int filterMode = 1);
