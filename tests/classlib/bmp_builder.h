#pragma once
// Builds Windows bitmap files field by field, so tests can make every header
// version, depth and compression, and damage any field on purpose.

#include <cstdint>
#include <vector>

#include "classlib/graphic_base.h"

namespace bmptest {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

struct TSpec {
    uint32_t HeaderSize = 40;
    int32_t Width = 0;
    int32_t Height = 0; // positive; TopDown stores it negated
    bool TopDown = false;
    uint16_t BitCount = 24;
    uint32_t Compression = BI_RGB;
    uint32_t Masks[4] = {0, 0, 0, 0};
    uint32_t ClrUsed = 0;
    TPalette Palette;
    // Raw pixel values, top row first: indices, packed words or B|G<<8|R<<16(|A<<24).
    std::vector<uint32_t> Pixels;
    // For RLE: the encoded bytes as they stand in the file.
    std::vector<uint8_t> Encoded;
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::vector<uint8_t> Build(const TSpec& s)
{
    const bool core = s.HeaderSize == 12;
    const bool fields = s.Compression == BI_BITFIELDS || s.Compression == BI_ALPHABITFIELDS;
    const uint32_t maskBytes = fields && s.HeaderSize == 40 ? (s.Compression == BI_ALPHABITFIELDS ? 16 : 12) : 0;
    const uint32_t paletteBytes = static_cast<uint32_t>(s.Palette.size()) * (core ? 3 : 4);
    const uint32_t offBits = 14 + s.HeaderSize + maskBytes + paletteBytes;

    std::vector<uint8_t> data;
    if (s.Compression == BI_RLE8 || s.Compression == BI_RLE4) {
        data = s.Encoded;
    } else {
        const uint32_t stride = (static_cast<uint32_t>(s.Width) * s.BitCount + 31) / 32 * 4;
        data.assign(static_cast<size_t>(stride) * static_cast<uint32_t>(s.Height), 0);
        for (int32_t y = 0; y < s.Height; ++y) {
            const int32_t fileRow = s.TopDown ? y : s.Height - 1 - y;
            uint8_t* row = data.data() + static_cast<size_t>(fileRow) * stride;
            for (int32_t x = 0; x < s.Width; ++x) {
                const uint32_t v = s.Pixels[static_cast<size_t>(y) * s.Width + x];
                switch (s.BitCount) {
                case 1: row[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8)); break;
                case 4: row[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4)); break;
                default:
                    for (int b = 0; b < s.BitCount / 8; ++b)
                        row[x * (s.BitCount / 8) + b] = static_cast<uint8_t>(v >> (8 * b));
                }
            }
        }
    }

    std::vector<uint8_t> out{'B', 'M'};
    Put32(out, offBits + static_cast<uint32_t>(data.size()));
    Put32(out, 0);
    Put32(out, offBits);
    Put32(out, s.HeaderSize);
    if (core) {
        Put16(out, static_cast<uint32_t>(s.Width));
        Put16(out, static_cast<uint32_t>(s.Height));
        Put16(out, 1);
        Put16(out, s.BitCount);
    } else {
        Put32(out, static_cast<uint32_t>(s.Width));
        Put32(out, s.TopDown ? static_cast<uint32_t>(-s.Height) : static_cast<uint32_t>(s.Height));
        Put16(out, 1);
        Put16(out, s.BitCount);
        Put32(out, s.Compression);
        Put32(out, static_cast<uint32_t>(data.size()));
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, s.ClrUsed);
        Put32(out, 0);
        if (s.HeaderSize >= 52)
            for (int i = 0; i < 3; ++i)
                Put32(out, s.Masks[i]);
        if (s.HeaderSize >= 56)
            Put32(out, s.Masks[3]);
        while (out.size() < 14 + s.HeaderSize)
            out.push_back(0); // colour space, end points, gamma, intent, profile
        if (maskBytes != 0)
            for (uint32_t i = 0; i < maskBytes / 4; ++i)
                Put32(out, s.Masks[i]);
    }
    for (const TRGBQuad& e : s.Palette) {
        out.push_back(e.Blue);
        out.push_back(e.Green);
        out.push_back(e.Red);
        if (!core)
            out.push_back(0);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

} // namespace bmptest
