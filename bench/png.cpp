// PNG decoding and encoding against libpng on the same files in the same run.
//
// Decode set: the conformance suite (found under tests/data/pngsuite from the
// working folder or one of its parents) plus large pictures made here and
// written by libpng with its usual settings: photographic (smooth colour with
// noise) and flat-colour (solid areas with sharp edges), at 1024x768 and
// 640x480. libpng reads with the reductions our reader makes (16-bit samples
// cut to 8, blue-green-red order, interlace expanded). Compare the "Ours" and
// "Libpng" times of each set.
//
// Encode: a 1024x768 24-bit picture at level 9 with filter None, the way the
// engine writes its save pictures.

#include "codec/png_codec.h"
#include "codec/zeb_png_read.h"
#include "codec/zeb_png_write.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// ---- libpng, the reference ----

struct MemoryIO {
    const Bytes* In = nullptr;
    size_t Pos = 0;
    Bytes* Out = nullptr;
};

void ReadMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* io = static_cast<MemoryIO*>(png_get_io_ptr(png));
    if (io->Pos + count > io->In->size())
        png_error(png, "read past end");
    std::memcpy(out, io->In->data() + io->Pos, count);
    io->Pos += count;
}

void WriteMemory(png_structp png, png_bytep data, png_size_t count)
{
    auto* io = static_cast<MemoryIO*>(png_get_io_ptr(png));
    io->Out->insert(io->Out->end(), data, data + count);
}

void FlushMemory(png_structp)
{
}

size_t LibpngDecode(const Bytes& file, Bytes& pixels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryIO io{&file};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return 0;
    }
    png_set_read_fn(png, &io, ReadMemory);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(stride * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + y * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels.size();
}

// RGB rows (red first) written by libpng: level and filters as given.
Bytes LibpngEncode(int32_t width, int32_t height, const Bytes& rgb, int level, int filters)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryIO io{nullptr, 0, &out};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &io, WriteMemory, FlushMemory);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
        PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, level);
    png_set_filter(png, 0, filters);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---- test pictures ----

uint32_t Noise(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

Bytes Photographic(int32_t width, int32_t height)
{
    Bytes rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = 12345;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            const double fx = x / static_cast<double>(width), fy = y / static_cast<double>(height);
            const double base[3] = {128 + 100 * std::sin(fx * 7 + fy * 3), 128 + 90 * std::cos(fx * 4 - fy * 6),
                128 + 80 * std::sin(fx * fy * 20)};
            for (int c = 0; c < 3; ++c) {
                const int v = static_cast<int>(base[c]) + static_cast<int>(Noise(state) % 13) - 6;
                p[c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
            }
        }
    return rgb;
}

Bytes FlatColour(int32_t width, int32_t height)
{
    Bytes rgb(static_cast<size_t>(width) * height * 3);
    static const uint8_t colours[6][3] = {
        {250, 250, 240}, {30, 40, 90}, {200, 60, 60}, {60, 160, 80}, {240, 200, 40}, {90, 90, 90}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int area = ((x / 97) * 7 + (y / 61) * 3 + ((x + y) / 250)) % 6;
            std::memcpy(rgb.data() + (static_cast<size_t>(y) * width + x) * 3, colours[area], 3);
        }
    return rgb;
}

struct FileSet {
    std::vector<Bytes> Suite;
    std::vector<Bytes> Large;
};

std::filesystem::path FindSuite()
{
    for (std::filesystem::path dir = std::filesystem::current_path(); !dir.empty(); dir = dir.parent_path()) {
        const std::filesystem::path suite = dir / "tests" / "data" / "pngsuite" / "png";
        if (std::filesystem::is_directory(suite))
            return suite;
        if (dir == dir.parent_path())
            break;
    }
    return {};
}

const FileSet& Files()
{
    static const FileSet files = [] {
        FileSet set;
        const std::filesystem::path suite = FindSuite();
        if (!suite.empty())
            for (const auto& entry : std::filesystem::directory_iterator(suite)) {
                const std::string name = entry.path().filename().string();
                if (entry.path().extension() != ".png" || name[0] == 'x')
                    continue;
                std::ifstream in(entry.path(), std::ios::binary);
                set.Suite.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        for (const auto& [w, h] : {std::pair{1024, 768}, {640, 480}}) {
            set.Large.push_back(LibpngEncode(w, h, Photographic(w, h), 6, PNG_ALL_FILTERS));
            set.Large.push_back(LibpngEncode(w, h, FlatColour(w, h), 6, PNG_ALL_FILTERS));
        }
        return set;
    }();
    return files;
}

const std::vector<Bytes>& SetOf(int which)
{
    return which == 0 ? Files().Suite : Files().Large;
}

void Ours(benchmark::State& state)
{
    const std::vector<Bytes>& set = SetOf(static_cast<int>(state.range(0)));
    if (set.empty())
        state.SkipWithError("picture set not found");
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const Bytes& file : set) {
            PngImage image, alpha;
            DecodePNG(file, image, &alpha);
            benchmark::DoNotOptimize(image.Pixels().data());
        }
    }
    for (const Bytes& file : set)
        bytes += static_cast<int64_t>(file.size());
    state.SetBytesProcessed(bytes * state.iterations());
}

void Libpng(benchmark::State& state)
{
    const std::vector<Bytes>& set = SetOf(static_cast<int>(state.range(0)));
    if (set.empty())
        state.SkipWithError("picture set not found");
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const Bytes& file : set) {
            Bytes pixels;
            benchmark::DoNotOptimize(LibpngDecode(file, pixels));
        }
    }
    for (const Bytes& file : set)
        bytes += static_cast<int64_t>(file.size());
    state.SetBytesProcessed(bytes * state.iterations());
}

// Decode: range 0 is the suite, 1 the large pictures.
BENCHMARK(Ours)->Name("Decode/Ours")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Libpng)->Name("Decode/Libpng")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct EncodeInput {
    PngImage Image;
    Bytes Rgb;
};

const EncodeInput& PhotoToEncode()
{
    static const EncodeInput input = [] {
        EncodeInput in;
        in.Rgb = Photographic(1024, 768);
        in.Image.Prepare(1024, 768, 24, {});
        for (int32_t y = 0; y < 768; ++y)
            for (int32_t x = 0; x < 1024; ++x) {
                const uint8_t* s = in.Rgb.data() + (static_cast<size_t>(y) * 1024 + x) * 3;
                uint8_t* d = in.Image.ScanLine(y) + x * 3;
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        return in;
    }();
    return input;
}

void EncodeOurs(benchmark::State& state)
{
    const EncodeInput& in = PhotoToEncode();
    size_t size = 0;
    for (auto _ : state) {
        TZEBPNGWriteStream writer;
        writer.SetCompressionLevel(9);
        writer.SetFilterMode(1);
        Bytes out;
        writer.SaveToBytes(in.Image, out);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = static_cast<double>(size);
}

void EncodeLibpng(benchmark::State& state)
{
    const EncodeInput& in = PhotoToEncode();
    size_t size = 0;
    for (auto _ : state) {
        const Bytes out = LibpngEncode(1024, 768, in.Rgb, 9, PNG_FILTER_NONE);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = static_cast<double>(size);
}

BENCHMARK(EncodeOurs)->Name("EncodeLevel9FilterNone/Ours")->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeLibpng)->Name("EncodeLevel9FilterNone/Libpng")->Unit(benchmark::kMillisecond);

} // namespace
