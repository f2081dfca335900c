#include "classlib/pixel_formats.h"

#include <cstdlib>

namespace pixfmt {

namespace {

uint8_t Widen5(uint32_t v)
{
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}
uint8_t Widen6(uint32_t v)
{
    return static_cast<uint8_t>((v << 2) | (v >> 4));
}

const TPalette& Vga16()
{
    static const TPalette palette = [] {
        const uint8_t rgb[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
            {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255},
            {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        TPalette p;
        for (const auto& c : rgb)
            p.push_back(TRGBQuad{c[2], c[1], c[0], 0});
        return p;
    }();
    return palette;
}

} // namespace

int PaletteCapacity(TPixelFormat f)
{
    switch (f) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
    }
}

int64_t StrideOf(int64_t width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

uint32_t ReadRaw(const uint8_t* row, int32_t x, TPixelFormat f)
{
    switch (f) {
    case pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case pf4bit: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case pf8bit: return row[x];
    case pf15bit:
    case pf16bit: return row[2 * x] | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
    case pf24bit:
        return row[3 * x] | (static_cast<uint32_t>(row[3 * x + 1]) << 8) |
               (static_cast<uint32_t>(row[3 * x + 2]) << 16);
    case pf32bit:
    case pfDevice:
        return row[4 * x] | (static_cast<uint32_t>(row[4 * x + 1]) << 8) |
               (static_cast<uint32_t>(row[4 * x + 2]) << 16) | (static_cast<uint32_t>(row[4 * x + 3]) << 24);
    }
    return 0;
}

void WriteRaw(uint8_t* row, int32_t x, TPixelFormat f, uint32_t raw)
{
    switch (f) {
    case pf1bit: {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((raw & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        break;
    }
    case pf4bit:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (raw & 0x0F));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((raw & 0x0F) << 4));
        break;
    case pf8bit: row[x] = static_cast<uint8_t>(raw); break;
    case pf15bit:
    case pf16bit:
        row[2 * x] = static_cast<uint8_t>(raw);
        row[2 * x + 1] = static_cast<uint8_t>(raw >> 8);
        break;
    case pf24bit:
        row[3 * x] = static_cast<uint8_t>(raw);
        row[3 * x + 1] = static_cast<uint8_t>(raw >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(raw >> 16);
        break;
    case pf32bit:
    case pfDevice:
        row[4 * x] = static_cast<uint8_t>(raw);
        row[4 * x + 1] = static_cast<uint8_t>(raw >> 8);
        row[4 * x + 2] = static_cast<uint8_t>(raw >> 16);
        row[4 * x + 3] = static_cast<uint8_t>(raw >> 24);
        break;
    }
}

TColor RawToColor(uint32_t raw, TPixelFormat f, const TPalette& palette)
{
    switch (f) {
    case pf1bit:
    case pf4bit:
    case pf8bit:
        if (raw >= palette.size())
            return 0;
        return RGB(palette[raw].Red, palette[raw].Green, palette[raw].Blue);
    case pf15bit: return RGB(Widen5((raw >> 10) & 31), Widen5((raw >> 5) & 31), Widen5(raw & 31));
    case pf16bit: return RGB(Widen5((raw >> 11) & 31), Widen6((raw >> 5) & 63), Widen5(raw & 31));
    case pf24bit:
    case pf32bit:
    case pfDevice:
        return RGB(static_cast<uint8_t>(raw >> 16), static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw));
    }
    return 0;
}

uint32_t ColorToRaw(TColor color, TPixelFormat f, const TPalette& palette)
{
    const uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    switch (f) {
    case pf1bit:
    case pf4bit:
    case pf8bit: {
        if (IsPaletteIndex(color)) {
            const uint32_t index = static_cast<uint32_t>(color) & 0xFF;
            return index < static_cast<uint32_t>(PaletteCapacity(f)) ? index : 0;
        }
        const int index =
            NearestPaletteIndex(palette, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
        return index < 0 ? 0 : static_cast<uint32_t>(index);
    }
    case pf15bit: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case pf16bit: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case pf24bit:
    case pf32bit:
    case pfDevice: return (r << 16) | (g << 8) | b;
    }
    return 0;
}

int NearestPaletteIndex(const TPalette& palette, uint8_t r, uint8_t g, uint8_t b)
{
    int best = -1;
    int bestDistance = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
        const TRGBQuad& e = palette[i];
        const int d = std::abs(e.Red - r) + std::abs(e.Green - g) + std::abs(e.Blue - b);
        if (best < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

TPalette DefaultPalette(TPixelFormat f)
{
    switch (f) {
    case pf1bit: return TPalette{TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
    case pf4bit: return Vga16();
    case pf8bit: {
        TPalette p;
        p.reserve(256);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(TRGBQuad{
                        static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(r * 51), 0});
        p.insert(p.end(), Vga16().begin(), Vga16().end());
        for (int i = 1; i <= 24; ++i) {
            const auto v = static_cast<uint8_t>(i * 255 / 25);
            p.push_back(TRGBQuad{v, v, v, 0});
        }
        return p;
    }
    default: return {};
    }
}

} // namespace pixfmt
