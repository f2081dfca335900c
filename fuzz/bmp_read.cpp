// Arbitrary bytes into the Windows bitmap reader.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/streams.h"
#include "classlib/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(data, size);
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    // What was read must be usable: convert it the way the picture loader does
    // (small pictures only, so the run stays fast).
    if (!bitmap.Empty() && static_cast<int64_t>(bitmap.Width()) * bitmap.Height() <= (1 << 20)) {
        std::vector<uint8_t> pixels(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 4);
        bitmap.CopyToDIB32(pixels.data(), bitmap.Width() * 4);
        bitmap.SetTransparent(true);
        bitmap.ClearTransparentAlpha(pixels.data(), bitmap.Width() * 4);
        TMemoryStream out;
        bitmap.SaveToStream(out);
    }
    return 0;
}
