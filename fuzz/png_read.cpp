// Arbitrary bytes into the PNG reader, both straight from memory and through
// a stream that is read in buffered slices. A picture that decodes must
// survive writing and reading back unchanged.

#include "base/streams.h"
#include "codec/png_codec.h"
#include "codec/zeb_png.h"
#include "codec/zeb_png_read.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

// A stream over the bytes that is no memory stream, so the reader takes its
// buffered path; reads come in short, uneven slices.
class ChoppyStream : public TStream {
public:
    ChoppyStream(const uint8_t* data, size_t size) : FData(data), FSize(static_cast<int64_t>(size)) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        const int64_t n = std::min({count, FSize - FPos, int64_t{70001}});
        if (n <= 0)
            return 0;
        std::memcpy(buffer, FData + FPos, static_cast<size_t>(n));
        FPos += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPos : FSize;
        FPos = std::clamp<int64_t>(base + offset, 0, FSize);
        return FPos;
    }

private:
    const uint8_t* FData;
    int64_t FSize;
    int64_t FPos = 0;
};

// Keeps each run quick: pictures of more than a few million pixels are
// refused before the reader allocates their bitmaps.
bool TooLarge(const uint8_t* data, size_t size)
{
    for (size_t at : {size_t{16}, size_t{144}}) {
        if (size < at + 8)
            continue;
        const auto u32 = [&](size_t p) {
            return uint32_t{data[p]} << 24 | uint32_t{data[p + 1]} << 16 | uint32_t{data[p + 2]} << 8 | data[p + 3];
        };
        if (uint64_t{u32(at)} * u32(at + 4) > (uint64_t{1} << 22))
            return true;
    }
    return false;
}

// Equal pictures; the unused bits at the end of a row may differ.
bool SamePixels(const PngImage& a, const PngImage& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel() ||
        a.Palette() != b.Palette())
        return false;
    const int bits = a.BitsPerPixel();
    const size_t whole = static_cast<size_t>(int64_t{a.Width()} * bits / 8);
    const int rest = static_cast<int>(int64_t{a.Width()} * bits % 8);
    for (int32_t y = 0; y < a.Height(); ++y) {
        const uint8_t* p = a.ScanLine(y);
        const uint8_t* q = b.ScanLine(y);
        if (std::memcmp(p, q, whole) != 0)
            return false;
        if (rest != 0 && ((p[whole] ^ q[whole]) & (0xFF00 >> rest)) != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (TooLarge(data, size))
        return 0;
    PngImage image, alpha;
    bool decoded = false;
    try {
        DecodePNG(std::span<const uint8_t>(data, size), image, &alpha);
        decoded = true;
    } catch (const EZEBPNG&) {
    }

    ChoppyStream stream(data, size);
    PngImage streamed, streamedAlpha;
    TZEBPNGReadStream reader;
    reader.SetAlphaBitmap(&streamedAlpha);
    try {
        reader.LoadFromStream(&streamed, stream);
        if (!decoded || !(streamed == image))
            std::abort();
    } catch (const EZEBPNG&) {
        if (decoded)
            std::abort();
    }

    // The graphic class over the class library's bitmaps agrees.
    TMemoryStream memory(data, size);
    TZEBPNG png;
    try {
        png.LoadFromStream(memory);
        if (!decoded || png.Width() != image.Width() || png.Height() != image.Height())
            std::abort();
    } catch (const EZEBPNG&) {
        if (decoded)
            std::abort();
    }

    if (decoded && image.BitsPerPixel() != 16) {
        const std::vector<uint8_t> again = EncodePNG(image, alpha.Empty() ? nullptr : &alpha, 1);
        PngImage back, backAlpha;
        DecodePNG(again, back, &backAlpha);
        // Only colour pictures carry an alpha channel into the file.
        if (!SamePixels(back, image) || (image.BitsPerPixel() == 24 && backAlpha.Pixels() != alpha.Pixels()))
            std::abort();
    }
    return 0;
}
