// Arbitrary bytes into the JPEG picture class: a file either decodes into a
// whole picture or raises, leaving the image as it was.

#include <cstddef>
#include <cstdint>

#include "base/exceptions.h"
#include "base/streams.h"
#include "classlib/bitmap.h"
#include "classlib/jpeg_image.h"

namespace {

// Files that declare more than a million pixels are left alone before the
// decoder allocates them, so that each run stays quick.
bool TooLarge(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i + 9 <= size; ++i)
        if (data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] <= 0xCF && data[i + 1] != 0xC4 &&
            data[i + 1] != 0xC8 && data[i + 1] != 0xCC) {
            const uint32_t height = uint32_t(data[i + 5]) << 8 | data[i + 6];
            const uint32_t width = uint32_t(data[i + 7]) << 8 | data[i + 8];
            if (uint64_t(width) * height > (uint64_t(1) << 20))
                return true;
        }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (TooLarge(data, size))
        return 0;
    TJPEGImage image;
    TMemoryStream stream(data, size);
    try {
        image.LoadFromStream(stream);
    } catch (const Exception&) {
        if (!image.Empty())
            __builtin_trap();
        return 0;
    }
    // What was decoded is whole: touch every row.
    const TBitmap& b = image.Bitmap();
    uint32_t sum = 0;
    for (int32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.ScanLine(y);
        for (int32_t x = 0; x < b.Width() * 3; ++x)
            sum += row[x];
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
