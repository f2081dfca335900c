// The Windows bitmap file reader. Every size read from the file is checked in
// 64 bits against the limits and against the bytes actually present before
// anything is allocated or copied.

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "classlib/bmp_format.h"
#include "classlib/pixel_formats.h"

namespace bmp {

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_JPEG = 4;
constexpr uint32_t BI_PNG = 5;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

[[noreturn]] void Fail(const std::string& reason)
{
    throw EInvalidGraphic("Bitmap image is not valid: " + reason);
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p)
{
    return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void ReadExactly(TStream& stream, uint8_t* buffer, int64_t count, const char* what)
{
    if (stream.Read(buffer, count) != count)
        Fail(std::string("the file ends inside the ") + what);
}

// One colour channel described by a bit mask.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;

    explicit TChannel(uint32_t mask) : Mask(mask)
    {
        if (mask != 0) {
            Shift = std::countr_zero(mask);
            Bits = std::popcount(mask);
        }
    }
    uint8_t Extract(uint32_t pixel) const
    {
        if (Bits == 0)
            return 0;
        const uint32_t v = (pixel & Mask) >> Shift;
        if (Bits >= 8)
            return static_cast<uint8_t>(v >> (Bits - 8));
        const uint32_t max = (1u << Bits) - 1;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

bool Contiguous(uint32_t mask)
{
    if (mask == 0)
        return true;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

struct THeader {
    uint32_t HeaderSize = 0;
    bool Core = false;
    int64_t Width = 0;
    int64_t Height = 0;
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t SizeImage = 0;
    uint32_t ClrUsed = 0;
    uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
};

THeader ParseInfoHeader(const uint8_t* h, uint32_t size)
{
    THeader hd;
    hd.HeaderSize = size;
    if (size == 12) {
        hd.Core = true;
        hd.Width = U16(h + 4);
        hd.Height = U16(h + 6);
        hd.BitCount = U16(h + 10);
        return hd;
    }
    hd.Width = static_cast<int32_t>(U32(h + 4));
    const int32_t height = static_cast<int32_t>(U32(h + 8));
    hd.TopDown = height < 0;
    hd.Height = height < 0 ? -static_cast<int64_t>(height) : height;
    hd.BitCount = U16(h + 14);
    hd.Compression = U32(h + 16);
    hd.SizeImage = U32(h + 20);
    hd.ClrUsed = U32(h + 32);
    if (size >= 52)
        for (int i = 0; i < 3; ++i)
            hd.Masks[i] = U32(h + 40 + 4 * i);
    if (size >= 56)
        hd.Masks[3] = U32(h + 52);
    return hd;
}

void CheckHeader(const THeader& hd)
{
    if (hd.Width < 0)
        Fail("negative width");
    if (!PictureSizeAllowed(hd.Width, hd.Height))
        Fail("the picture is too large (" + std::to_string(hd.Width) + " x " + std::to_string(hd.Height) + ")");
    const int b = hd.BitCount;
    const bool depthOk = hd.Core ? (b == 1 || b == 4 || b == 8 || b == 24)
                                 : (b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32);
    if (!depthOk)
        Fail("unsupported bit depth " + std::to_string(b));
    switch (hd.Compression) {
    case BI_RGB: break;
    case BI_RLE8:
    case BI_RLE4:
        if (b != (hd.Compression == BI_RLE8 ? 8 : 4))
            Fail("RLE" + std::to_string(hd.Compression == BI_RLE8 ? 8 : 4) + " compression with " + std::to_string(b) +
                 " bits per pixel");
        if (hd.TopDown)
            Fail("RLE compression with top-down rows");
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (b != 16 && b != 32)
            Fail("bit fields with " + std::to_string(b) + " bits per pixel");
        break;
    case BI_JPEG:
    case BI_PNG: Fail("embedded JPEG or PNG data is not supported");
    default: Fail("unknown compression " + std::to_string(hd.Compression));
    }
}

void CheckMasks(const THeader& hd)
{
    const uint32_t limit = hd.BitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    uint32_t seen = 0;
    for (uint32_t m : hd.Masks) {
        if (!Contiguous(m))
            Fail("bit field masks are not contiguous");
        if ((m & seen) != 0)
            Fail("bit field masks overlap");
        if ((m & ~limit) != 0)
            Fail("bit field masks exceed the pixel size");
        seen |= m;
    }
    if ((hd.Masks[0] | hd.Masks[1] | hd.Masks[2]) == 0)
        Fail("bit field masks are empty");
}

// Writes `count` pixels from x on in a row of 4-bit indices, alternating
// `first` and `second`; whole bytes are filled at once.
void FillNibbles(uint8_t* row, int64_t x, int64_t count, uint8_t first, uint8_t second)
{
    if (count <= 0)
        return;
    if (x & 1) {
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | first);
        ++x;
        --count;
        std::swap(first, second);
    }
    std::memset(row + (x >> 1), (first << 4) | second, static_cast<size_t>(count >> 1));
    if (count & 1) {
        uint8_t& last = row[(x + count - 1) >> 1];
        last = static_cast<uint8_t>((last & 0x0F) | (first << 4));
    }
}

// Decodes RLE8/RLE4 data into a bottom-up index image; pixels the data skips
// keep index 0. Data that ends early leaves the rest unset, as Windows shows
// it. Runs are filled and literal pixels copied a stretch at a time, so the
// work is that of the pixels written.
void DecodeRLE(const uint8_t* d, size_t size, bool rle4, TImage& image)
{
    const int64_t w = image.Width, h = image.Height;
    int64_t x = 0, y = 0;
    const auto row = [&] { return image.Bits.data() + static_cast<size_t>(h - 1 - y) * image.Stride; };
    size_t pos = 0;
    while (pos + 1 < size && y < h) {
        const uint8_t n = d[pos], v = d[pos + 1];
        pos += 2;
        if (n > 0) { // n pixels of v, or of v's two nibbles by turns
            if (x >= w)
                continue;
            const int64_t count = std::min<int64_t>(n, w - x);
            if (rle4)
                FillNibbles(row(), x, count, static_cast<uint8_t>(v >> 4), static_cast<uint8_t>(v & 0x0F));
            else
                std::memset(row() + x, v, static_cast<size_t>(count));
            x += count;
            continue;
        }
        if (v == 0) { // end of line
            x = 0;
            ++y;
        } else if (v == 1) { // end of bitmap
            break;
        } else if (v == 2) { // move right and up
            if (pos + 1 >= size)
                break;
            x += d[pos];
            y += d[pos + 1];
            pos += 2;
        } else { // v literal pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (v + 1u) / 2 : v;
            const size_t avail = std::min(bytes, size - pos);
            // The pixels present: all v, or those of the bytes left.
            const int64_t present = rle4 ? std::min<int64_t>(v, 2 * static_cast<int64_t>(avail)) : avail;
            const int64_t count = x < w ? std::min(present, w - x) : 0;
            const uint8_t* src = d + pos;
            uint8_t* dst = row();
            if (!rle4) {
                std::memcpy(dst + x, src, static_cast<size_t>(count));
            } else if ((x & 1) == 0) {
                std::memcpy(dst + (x >> 1), src, static_cast<size_t>(count >> 1));
                if (count & 1)
                    FillNibbles(dst, x + count - 1, 1, static_cast<uint8_t>(src[count >> 1] >> 4), 0);
            } else {
                for (int64_t i = 0; i < count; ++i) {
                    const uint8_t b = src[i >> 1];
                    FillNibbles(dst, x + i, 1, static_cast<uint8_t>((i & 1) ? (b & 0x0F) : (b >> 4)), 0);
                }
            }
            x += present;
            pos += bytes + (bytes & 1);
        }
    }
}

void CopyRows(const uint8_t* data, size_t size, const THeader& hd, TImage& image)
{
    const int64_t fileStride = pixfmt::StrideOf(hd.Width, hd.BitCount);
    for (int64_t row = 0; row < hd.Height; ++row) {
        const size_t offset = static_cast<size_t>(row * fileStride);
        const size_t n = std::min(static_cast<size_t>(fileStride), size - std::min(size, offset));
        const int64_t target = hd.TopDown ? row : hd.Height - 1 - row;
        std::memcpy(image.Bits.data() + static_cast<size_t>(target) * image.Stride, data + offset, n);
    }
}

// Pixels whose masks are not a native layout, through the masks.
void ConvertFields(const uint8_t* data, const THeader& hd, TImage& image)
{
    const TChannel r(hd.Masks[0]), g(hd.Masks[1]), b(hd.Masks[2]), a(hd.Masks[3]);
    const int64_t fileStride = pixfmt::StrideOf(hd.Width, hd.BitCount);
    const int bytes = hd.BitCount / 8;
    for (int64_t row = 0; row < hd.Height; ++row) {
        const uint8_t* src = data + row * fileStride;
        const int64_t target = hd.TopDown ? row : hd.Height - 1 - row;
        uint8_t* dst = image.Bits.data() + static_cast<size_t>(target) * image.Stride;
        for (int64_t x = 0; x < hd.Width; ++x) {
            const uint32_t px = bytes == 2 ? U16(src + 2 * x) : U32(src + 4 * x);
            uint8_t* p = dst + x * (image.Format == pf32bit ? 4 : 3);
            p[0] = b.Extract(px);
            p[1] = g.Extract(px);
            p[2] = r.Extract(px);
            if (image.Format == pf32bit)
                p[3] = a.Extract(px);
        }
    }
}

TPixelFormat TargetFormat(const THeader& hd, bool& native)
{
    native = true;
    switch (hd.BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    default: break;
    }
    const uint32_t* m = hd.Masks;
    if (hd.BitCount == 16) {
        if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F && (m[3] == 0 || m[3] == 0x8000))
            return pf15bit;
        if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F && m[3] == 0)
            return pf16bit;
    } else if (m[0] == 0x00FF0000 && m[1] == 0x0000FF00 && m[2] == 0x000000FF && (m[3] == 0 || m[3] == 0xFF000000)) {
        return pf32bit;
    }
    native = false;
    return m[3] != 0 ? pf32bit : pf24bit;
}

} // namespace

TImage Read(TStream& stream)
{
    const int64_t start = stream.Position();
    const int64_t streamSize = stream.Size();
    uint8_t fileHeader[14];
    ReadExactly(stream, fileHeader, 14, "file header");
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Fail("the file does not start with \"BM\"");
    const uint32_t offBits = U32(fileHeader + 10);

    uint8_t info[124];
    ReadExactly(stream, info, 4, "bitmap header");
    const uint32_t headerSize = U32(info);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        Fail("unsupported header size " + std::to_string(headerSize));
    ReadExactly(stream, info + 4, headerSize - 4, "bitmap header");
    THeader hd = ParseInfoHeader(info, headerSize);
    if (hd.Compression != BI_BITFIELDS && hd.Compression != BI_ALPHABITFIELDS) {
        hd.Masks[3] = 0;
        if (hd.BitCount == 16) {
            hd.Masks[0] = 0x7C00, hd.Masks[1] = 0x03E0, hd.Masks[2] = 0x001F;
        } else {
            hd.Masks[0] = 0x00FF0000, hd.Masks[1] = 0x0000FF00, hd.Masks[2] = 0x000000FF;
        }
    }
    CheckHeader(hd);
    int64_t consumed = 14 + headerSize;
    if (headerSize == 40 && (hd.Compression == BI_BITFIELDS || hd.Compression == BI_ALPHABITFIELDS)) {
        const int count = hd.Compression == BI_ALPHABITFIELDS ? 4 : 3;
        uint8_t masks[16];
        ReadExactly(stream, masks, 4 * count, "bit field masks");
        for (int i = 0; i < count; ++i)
            hd.Masks[i] = U32(masks + 4 * i);
        consumed += 4 * count;
    }
    if (hd.Compression == BI_BITFIELDS || hd.Compression == BI_ALPHABITFIELDS)
        CheckMasks(hd);

    if (offBits != 0 && offBits < consumed)
        Fail("the pixel data offset points into the header");

    TImage image;
    bool native = true;
    image.Format = TargetFormat(hd, native);
    image.Width = static_cast<int32_t>(hd.Width);
    image.Height = static_cast<int32_t>(hd.Height);

    if (hd.BitCount <= 8) {
        const int capacity = 1 << hd.BitCount;
        const int entrySize = hd.Core ? 3 : 4;
        int64_t entries = hd.Core || hd.ClrUsed == 0 ? capacity : std::min<int64_t>(hd.ClrUsed, capacity);
        // Some writers state more colours than fit before the pixels.
        if (offBits >= consumed && offBits - consumed < entries * entrySize)
            entries = (offBits - consumed) / entrySize;
        uint8_t table[256 * 4];
        ReadExactly(stream, table, entries * entrySize, "colour table");
        for (int64_t i = 0; i < entries; ++i) {
            const uint8_t* e = table + i * entrySize;
            image.Palette.push_back(TRGBQuad{e[0], e[1], e[2], 0});
        }
        consumed += entries * entrySize;
    } else if (offBits == 0) {
        // Without an offset the pixels follow the optional colour table.
        consumed += std::min<int64_t>(hd.ClrUsed, 256) * (hd.Core ? 3 : 4);
    }

    int64_t dataOffset = consumed;
    if (offBits != 0)
        dataOffset = std::max<int64_t>(offBits, consumed);
    if (image.Width == 0 || image.Height == 0) {
        image.Width = image.Height = 0;
        stream.SetPosition(start + consumed);
        return image;
    }
    const int64_t available = streamSize - (start + dataOffset);
    if (available <= 0)
        Fail("the pixel data offset lies beyond the end of the file");

    image.Stride = static_cast<int32_t>(pixfmt::StrideOf(hd.Width, BitsPerPixelOf(image.Format)));
    const bool rle = hd.Compression == BI_RLE8 || hd.Compression == BI_RLE4;
    int64_t dataSize;
    if (rle) {
        // The most any sensible encoding of the picture needs; more is never read.
        const int64_t bound = 2 * hd.Width * hd.Height + 4 * hd.Height + 1024;
        dataSize = std::min(available, hd.SizeImage != 0 ? std::min<int64_t>(hd.SizeImage, bound) : bound);
    } else {
        const int64_t fileStride = pixfmt::StrideOf(hd.Width, hd.BitCount);
        // The last row's padding may be missing.
        const int64_t needed = fileStride * (hd.Height - 1) + (hd.Width * hd.BitCount + 7) / 8;
        if (available < needed)
            Fail("the pixel data is truncated");
        dataSize = std::min(available, fileStride * hd.Height);
    }

    std::vector<uint8_t> data(static_cast<size_t>(dataSize));
    stream.SetPosition(start + dataOffset);
    ReadExactly(stream, data.data(), dataSize, "pixel data");
    image.Bits.assign(static_cast<size_t>(image.Stride) * static_cast<size_t>(image.Height), 0);

    if (rle)
        DecodeRLE(data.data(), data.size(), hd.Compression == BI_RLE4, image);
    else if (native)
        CopyRows(data.data(), data.size(), hd, image);
    else
        ConvertFields(data.data(), hd, image);
    return image;
}

} // namespace bmp
