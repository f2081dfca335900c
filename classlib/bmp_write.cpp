// The Windows bitmap file writer: BITMAPFILEHEADER, BITMAPINFOHEADER, the
// colour table and bottom-up rows, as Windows programs write them.

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/pixel_formats.h"

namespace bmp {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

void Write(TStream& stream, int32_t width, int32_t height, TPixelFormat format, const uint8_t* bits, int32_t stride,
    const TPalette& palette)
{
    if (format == pfDevice)
        format = pf32bit;
    const int bpp = BitsPerPixelOf(format);
    const auto outStride = static_cast<uint32_t>(pixfmt::StrideOf(width, bpp));
    const uint32_t sizeImage = outStride * static_cast<uint32_t>(height);

    // A palette format always gets a colour table: its own entries, or a full
    // black one when it has none (a count of 0 would mean "all entries").
    TPalette table;
    if (pixfmt::IsPaletteFormat(format)) {
        const auto capacity = static_cast<size_t>(pixfmt::PaletteCapacity(format));
        table.assign(palette.begin(), palette.begin() + static_cast<ptrdiff_t>(std::min(palette.size(), capacity)));
        if (table.empty())
            table.resize(capacity);
    }
    const uint32_t maskBytes = format == pf16bit ? 12 : 0;
    const auto offBits = static_cast<uint32_t>(14 + 40 + maskBytes + 4 * table.size());

    std::vector<uint8_t> out;
    out.reserve(offBits + sizeImage);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offBits + sizeImage);
    Put32(out, 0);
    Put32(out, offBits);

    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bpp));
    Put32(out, format == pf16bit ? 3 /* BI_BITFIELDS */ : 0 /* BI_RGB */);
    Put32(out, sizeImage);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(table.size()));
    Put32(out, 0);
    if (format == pf16bit) {
        Put32(out, 0xF800);
        Put32(out, 0x07E0);
        Put32(out, 0x001F);
    }
    for (const TRGBQuad& e : table) {
        out.push_back(e.Blue);
        out.push_back(e.Green);
        out.push_back(e.Red);
        out.push_back(0);
    }

    const size_t rowBytes = std::min<size_t>(outStride, stride > 0 ? static_cast<size_t>(stride) : 0);
    for (int32_t row = height - 1; row >= 0; --row) {
        const size_t at = out.size();
        out.resize(at + outStride, 0);
        if (rowBytes > 0)
            std::memcpy(out.data() + at, bits + static_cast<ptrdiff_t>(row) * stride, rowBytes);
    }
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

} // namespace bmp
