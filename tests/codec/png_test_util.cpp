#include "png_test_util.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pngtest {

Bytes U32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
        static_cast<uint8_t>(v)};
}

PngBuilder::PngBuilder() : FData{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}
{
}

PngBuilder& PngBuilder::Add(const std::string& type, const Bytes& data)
{
    const Bytes length = U32(static_cast<uint32_t>(data.size()));
    FData.insert(FData.end(), length.begin(), length.end());
    FData.insert(FData.end(), type.begin(), type.end());
    FData.insert(FData.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty()) // zlib answers 0 for no buffer
        crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    const Bytes c = U32(static_cast<uint32_t>(crc));
    FData.insert(FData.end(), c.begin(), c.end());
    return *this;
}

PngBuilder& PngBuilder::AddBadCRC(const std::string& type, const Bytes& data)
{
    Add(type, data);
    FData.back() ^= 0x5A;
    return *this;
}

PngBuilder& PngBuilder::IHDR(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace)
{
    Bytes d = U32(width);
    const Bytes h = U32(height);
    d.insert(d.end(), h.begin(), h.end());
    d.insert(d.end(), {depth, colorType, 0, 0, interlace});
    return Add("IHDR", d);
}

PngBuilder& PngBuilder::IDAT(const Bytes& raw, size_t slice)
{
    const Bytes z = Zlib(raw);
    if (slice == 0)
        return Add("IDAT", z);
    for (size_t i = 0; i < z.size(); i += slice)
        Add("IDAT", Bytes(z.begin() + static_cast<ptrdiff_t>(i),
                        z.begin() + static_cast<ptrdiff_t>(std::min(z.size(), i + slice))));
    return *this;
}

PngBuilder& PngBuilder::IEND()
{
    return Add("IEND", {});
}

Bytes Zlib(const Bytes& raw, int level)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Bytes Inflate(const Bytes& compressed)
{
    z_stream z{};
    inflateInit(&z);
    Bytes out;
    uint8_t buffer[65536];
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("inflate failed");
    return out;
}

std::vector<Chunk> SplitChunks(const Bytes& file)
{
    std::vector<Chunk> chunks;
    size_t p = 8;
    while (p + 12 <= file.size()) {
        const uint32_t length =
            uint32_t{file[p]} << 24 | uint32_t{file[p + 1]} << 16 | uint32_t{file[p + 2]} << 8 | file[p + 3];
        Chunk c;
        c.Type.assign(reinterpret_cast<const char*>(&file[p + 4]), 4);
        c.Data.assign(
            file.begin() + static_cast<ptrdiff_t>(p + 8), file.begin() + static_cast<ptrdiff_t>(p + 8 + length));
        const size_t q = p + 8 + length;
        c.CRC = uint32_t{file[q]} << 24 | uint32_t{file[q + 1]} << 16 | uint32_t{file[q + 2]} << 8 | file[q + 3];
        chunks.push_back(std::move(c));
        p = q + 4;
    }
    return chunks;
}

Bytes ConcatIDAT(const std::vector<Chunk>& chunks)
{
    Bytes all;
    for (const Chunk& c : chunks)
        if (c.Type == "IDAT")
            all.insert(all.end(), c.Data.begin(), c.Data.end());
    return all;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SuiteDir()
{
    return std::string(TG_TESTDATA_DIR) + "/pngsuite/png/";
}

namespace {

struct MemoryReader {
    const Bytes* Data;
    size_t Pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->Pos + count > r->Data->size())
        png_error(png, "read past end");
    std::memcpy(out, r->Data->data() + r->Pos, count);
    r->Pos += count;
}

} // namespace

Rgba DecodeWithLibpng(const Bytes& file)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Rgba out;
    MemoryReader reader{&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng failed");
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.Width = static_cast<int32_t>(png_get_image_width(png, info));
    out.Height = static_cast<int32_t>(png_get_image_height(png, info));
    out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height * 4, 0);
    for (int32_t y = 0; y < out.Height; ++y)
        rows.push_back(out.Pixels.data() + static_cast<size_t>(y) * out.Width * 4);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

Rgba ToRgba(const PngImage& image, const PngImage* alpha)
{
    Rgba out;
    out.Width = image.Width();
    out.Height = image.Height();
    out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height * 4, 0);
    const std::vector<PngColor> palette = image.Palette();
    const bool masked = alpha != nullptr && !alpha->Empty();
    for (int32_t y = 0; y < out.Height; ++y) {
        const uint8_t* s = image.ScanLine(y);
        for (int32_t x = 0; x < out.Width; ++x) {
            uint8_t* d = out.Pixels.data() + (static_cast<size_t>(y) * out.Width + x) * 4;
            int index = -1;
            switch (image.BitsPerPixel()) {
            case 1: index = (s[x >> 3] >> (7 - (x & 7))) & 1; break;
            case 4: index = (s[x >> 1] >> ((x & 1) ? 0 : 4)) & 15; break;
            case 8: index = s[x]; break;
            case 16: {
                const unsigned w = s[2 * x] | s[2 * x + 1] << 8;
                d[0] = static_cast<uint8_t>(((w >> 11) & 31) << 3);
                d[1] = static_cast<uint8_t>(((w >> 5) & 63) << 2);
                d[2] = static_cast<uint8_t>((w & 31) << 3);
                break;
            }
            default:
                d[0] = s[3 * x + 2];
                d[1] = s[3 * x + 1];
                d[2] = s[3 * x];
                break;
            }
            if (index >= 0) {
                const PngColor c = static_cast<size_t>(index) < palette.size() ? palette[index] : PngColor{};
                d[0] = c.R;
                d[1] = c.G;
                d[2] = c.B;
            }
            d[3] = 255;
            if (masked) {
                d[3] = static_cast<uint8_t>(255 - alpha->ScanLine(y)[x]);
            } else if (image.Transparent()) {
                const uint32_t key = image.TransparentColor();
                if (key & 0x01000000)
                    d[3] = index == static_cast<int>(key & 0xFF) ? 0 : 255;
                else if (d[0] == (key & 0xFF) && d[1] == ((key >> 8) & 0xFF) && d[2] == ((key >> 16) & 0xFF))
                    d[3] = 0;
            }
        }
    }
    return out;
}

PngImage RandomImage(int32_t width, int32_t height, int bits, uint32_t seed)
{
    std::vector<PngColor> palette;
    uint32_t state = seed * 2654435761u + 1;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            palette.push_back(
                PngColor{static_cast<uint8_t>(next()), static_cast<uint8_t>(next()), static_cast<uint8_t>(next())});
    PngImage image(width, height, bits, palette);
    const size_t used = PngRowBytes(width, bits == 15 ? 16 : bits);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image.ScanLine(y);
        for (size_t i = 0; i < used; ++i)
            row[i] = static_cast<uint8_t>(next() >> 7);
        // Unused bits at the end of a row stay zero, as a decode leaves them.
        const int tail = static_cast<int>((static_cast<int64_t>(width) * bits) % 8);
        if (bits < 8 && tail != 0)
            row[used - 1] = static_cast<uint8_t>(row[used - 1] & (0xFF00 >> tail));
    }
    return image;
}

} // namespace pngtest
