// Bitmap pixels into PNG rows.
#include "codec/zeb_png_rows.h"

#include <cstddef>
#include <cstring>

namespace {

// Red, green and blue of one bitmap pixel of 15, 16, 24 or 32 bits.
struct RGB {
    uint8_t R, G, B;
};

inline RGB PixelAt(const uint8_t* pixels, int bits, int32_t i)
{
    switch (bits) {
    case 15: {
        const unsigned w = pixels[2 * i] | pixels[2 * i + 1] << 8;
        const unsigned r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
        return RGB{static_cast<uint8_t>(r << 3 | r >> 2), static_cast<uint8_t>(g << 3 | g >> 2),
            static_cast<uint8_t>(b << 3 | b >> 2)};
    }
    case 16: {
        const unsigned w = pixels[2 * i] | pixels[2 * i + 1] << 8;
        const unsigned r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
        return RGB{static_cast<uint8_t>(r << 3 | r >> 2), static_cast<uint8_t>(g << 2 | g >> 4),
            static_cast<uint8_t>(b << 3 | b >> 2)};
    }
    case 32: {
        const uint8_t* p = pixels + 4 * static_cast<size_t>(i);
        return RGB{p[2], p[1], p[0]};
    }
    default: {
        const uint8_t* p = pixels + 3 * static_cast<size_t>(i);
        return RGB{p[2], p[1], p[0]};
    }
    }
}

} // namespace

void GatherPixels(const uint8_t* scan, uint8_t* pixels, int bits, int32_t xStart, int32_t xStep, int32_t count)
{
    switch (bits) {
    case 1:
        std::memset(pixels, 0, static_cast<size_t>((count + 7) / 8));
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep)
            if ((scan[x >> 3] >> (7 - (x & 7))) & 1)
                pixels[i >> 3] = static_cast<uint8_t>(pixels[i >> 3] | 0x80 >> (i & 7));
        break;
    case 4:
        std::memset(pixels, 0, static_cast<size_t>((count + 1) / 2));
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep) {
            const int v = (scan[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
            pixels[i >> 1] = static_cast<uint8_t>(pixels[i >> 1] | v << ((i & 1) ? 0 : 4));
        }
        break;
    default: {
        const size_t bytes = static_cast<size_t>(bits / 8);
        if (xStep == 1) {
            std::memcpy(pixels, scan + static_cast<size_t>(xStart) * bytes, static_cast<size_t>(count) * bytes);
            break;
        }
        for (int32_t i = 0, x = xStart; i < count; ++i, x += xStep)
            std::memcpy(pixels + static_cast<size_t>(i) * bytes, scan + static_cast<size_t>(x) * bytes, bytes);
        break;
    }
    }
}

void PixelsToRGB(const uint8_t* pixels, int bits, const uint8_t* alphaMask, uint8_t* out, int32_t count)
{
    if (bits == 24 && alphaMask == nullptr) {
        for (int32_t i = 0; i < count; ++i, pixels += 3, out += 3) {
            out[0] = pixels[2];
            out[1] = pixels[1];
            out[2] = pixels[0];
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const RGB c = PixelAt(pixels, bits, i);
        *out++ = c.R;
        *out++ = c.G;
        *out++ = c.B;
        if (alphaMask != nullptr)
            *out++ = static_cast<uint8_t>(255 - alphaMask[i]);
    }
}

void PixelsToGrey(const uint8_t* pixels, int bits, const uint8_t* alphaMask, uint8_t* out, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const RGB c = PixelAt(pixels, bits, i);
        *out++ = PngGreyLevel(c.R, c.G, c.B);
        if (alphaMask != nullptr)
            *out++ = static_cast<uint8_t>(255 - alphaMask[i]);
    }
}
