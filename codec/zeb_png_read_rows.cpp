// File rows into bitmap pixels. 16-bit samples keep their high byte, which
// comes first in the file.
#include "codec/png_bitmap.h"
#include "codec/zeb_png_rows.h"

#include <cstring>

namespace {

void CopyPacked1(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    std::memcpy(pixels, src, PngRowBytes(count, 1));
}

void CopyPacked4(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    std::memcpy(pixels, src, PngRowBytes(count, 4));
}

void CopyPacked8(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    std::memcpy(pixels, src, static_cast<size_t>(count));
}

// Four 2-bit values a byte become two 4-bit values a byte.
void Widen2To4(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    const int32_t bytes = (count + 3) / 4;
    for (int32_t i = 0; i < bytes; ++i) {
        const uint8_t b = src[i];
        pixels[2 * i] = static_cast<uint8_t>((b >> 6) << 4 | ((b >> 4) & 3));
        if (2 * i + 1 < (count + 1) / 2)
            pixels[2 * i + 1] = static_cast<uint8_t>(((b >> 2) & 3) << 4 | (b & 3));
    }
}

void Grey16(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        pixels[i] = src[2 * i];
}

void GreyAlpha8(const uint8_t* src, uint8_t* pixels, uint8_t* alpha, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        pixels[i] = src[2 * i];
        alpha[i] = static_cast<uint8_t>(255 - src[2 * i + 1]);
    }
}

void GreyAlpha16(const uint8_t* src, uint8_t* pixels, uint8_t* alpha, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        pixels[i] = src[4 * i];
        alpha[i] = static_cast<uint8_t>(255 - src[4 * i + 2]);
    }
}

// Four pixels at a time as three little-endian words: R0 G0 B0 R1 | G1 B1 R2 G2
// | B2 R3 G3 B3 become B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3.
void RGB8(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    int32_t i = 0;
    for (; i + 4 <= count; i += 4, src += 12, pixels += 12) {
        uint32_t w0, w1, w2;
        std::memcpy(&w0, src, 4);
        std::memcpy(&w1, src + 4, 4);
        std::memcpy(&w2, src + 8, 4);
        const uint32_t o0 = (w0 >> 16 & 0xFF) | (w0 & 0xFF00) | (w0 & 0xFF) << 16 | (w1 >> 8 & 0xFF) << 24;
        const uint32_t o1 = (w1 & 0xFF) | (w0 >> 24) << 8 | (w2 & 0xFF) << 16 | (w1 & 0xFF000000u);
        const uint32_t o2 = (w1 >> 16 & 0xFF) | (w2 >> 24) << 8 | (w2 & 0xFF0000) | (w2 >> 8 & 0xFF) << 24;
        std::memcpy(pixels, &o0, 4);
        std::memcpy(pixels + 4, &o1, 4);
        std::memcpy(pixels + 8, &o2, 4);
    }
    for (; i < count; ++i, src += 3, pixels += 3) {
        pixels[0] = src[2];
        pixels[1] = src[1];
        pixels[2] = src[0];
    }
}

void RGB16(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, src += 6, pixels += 3) {
        pixels[0] = src[4];
        pixels[1] = src[2];
        pixels[2] = src[0];
    }
}

void RGBA8(const uint8_t* src, uint8_t* pixels, uint8_t* alpha, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, src += 4, pixels += 3) {
        pixels[0] = src[2];
        pixels[1] = src[1];
        pixels[2] = src[0];
        alpha[i] = static_cast<uint8_t>(255 - src[3]);
    }
}

void RGBA16(const uint8_t* src, uint8_t* pixels, uint8_t* alpha, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, src += 8, pixels += 3) {
        pixels[0] = src[4];
        pixels[1] = src[2];
        pixels[2] = src[0];
        alpha[i] = static_cast<uint8_t>(255 - src[6]);
    }
}

void RGB8To565(const uint8_t* src, uint8_t* pixels, uint8_t*, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, src += 3, pixels += 2) {
        const unsigned w = (src[0] >> 3) << 11 | (src[1] >> 2) << 5 | (src[2] >> 3);
        pixels[0] = static_cast<uint8_t>(w);
        pixels[1] = static_cast<uint8_t>(w >> 8);
    }
}

} // namespace

TPngRowToPixels PngRowConverter(int colorKind, bool alpha, int depth, int targetBits)
{
    if (colorKind == 2) { // RGB
        if (targetBits == 16)
            return depth == 8 && !alpha ? RGB8To565 : nullptr;
        if (depth == 8)
            return alpha ? RGBA8 : RGB8;
        if (depth == 16)
            return alpha ? RGBA16 : RGB16;
        return nullptr;
    }
    if (alpha) { // grey with alpha
        if (depth == 8)
            return GreyAlpha8;
        if (depth == 16)
            return GreyAlpha16;
        return nullptr;
    }
    switch (depth) { // grey and palette
    case 1: return CopyPacked1;
    case 2: return Widen2To4;
    case 4: return CopyPacked4;
    case 8: return CopyPacked8;
    case 16: return colorKind == 0 ? Grey16 : nullptr;
    default: return nullptr;
    }
}

void StorePixels(const uint8_t* pixels, uint8_t* scan, int bits, int32_t xStart, int32_t xStep, int32_t count)
{
    switch (bits) {
    case 1:
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep) {
            const int bit = (pixels[i >> 3] >> (7 - (i & 7))) & 1;
            const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
            scan[x >> 3] = static_cast<uint8_t>(bit ? scan[x >> 3] | mask : scan[x >> 3] & ~mask);
        }
        break;
    case 4:
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep) {
            const int v = (pixels[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
            uint8_t& d = scan[x >> 1];
            d = static_cast<uint8_t>((x & 1) ? (d & 0xF0) | v : (d & 0x0F) | v << 4);
        }
        break;
    default: {
        const int bytes = bits / 8;
        if (xStep == 1) {
            std::memcpy(scan + static_cast<size_t>(xStart) * bytes, pixels, static_cast<size_t>(count) * bytes);
            break;
        }
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep)
            std::memcpy(scan + static_cast<size_t>(x) * bytes, pixels + static_cast<size_t>(i) * bytes,
                static_cast<size_t>(bytes));
        break;
    }
    }
}
