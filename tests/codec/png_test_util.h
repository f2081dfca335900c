#pragma once
// Helpers for the PNG tests: files built chunk by chunk, the chunks of an
// encoded file, libpng as the reference decoder, and pixels as RGBA.

#include "codec/png_bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

struct Chunk {
    std::string Type;
    Bytes Data;
    uint32_t CRC = 0;
};

// The signature, then whatever chunks are added.
class PngBuilder {
public:
    PngBuilder();
    PngBuilder& Add(const std::string& type, const Bytes& data);
    PngBuilder& IHDR(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace = 0);
    // Compresses the raw rows (filter bytes included) into one IDAT chunk,
    // or into slices of `slice` bytes.
    PngBuilder& IDAT(const Bytes& raw, size_t slice = 0);
    PngBuilder& IEND();
    // The chunk's CRC is spoiled.
    PngBuilder& AddBadCRC(const std::string& type, const Bytes& data);
    const Bytes& Data() const { return FData; }

private:
    Bytes FData;
};

Bytes U32(uint32_t v);
Bytes Zlib(const Bytes& raw, int level = 6);
Bytes Inflate(const Bytes& compressed);

// The chunks of a PNG file after its signature.
std::vector<Chunk> SplitChunks(const Bytes& file);
Bytes ConcatIDAT(const std::vector<Chunk>& chunks);

Bytes ReadFile(const std::string& path);
std::string SuiteDir();

// A picture as 8-bit red, green, blue, alpha.
struct Rgba {
    int32_t Width = 0;
    int32_t Height = 0;
    Bytes Pixels;
    const uint8_t* At(int32_t x, int32_t y) const { return Pixels.data() + (static_cast<size_t>(y) * Width + x) * 4; }
};

// libpng's decode with palettes and low grey depths expanded, 16-bit samples
// cut to their high byte, grey as RGB and tRNS turned into alpha.
Rgba DecodeWithLibpng(const Bytes& file);
// The codec's bitmap through its palette, with the alpha mask applied.
Rgba ToRgba(const PngImage& image, const PngImage* alpha);

// A bitmap of pseudo-random pixels (palette images get a palette).
PngImage RandomImage(int32_t width, int32_t height, int bits, uint32_t seed);

} // namespace pngtest
