// Arbitrary bytes into TBitmap32's two readers: the Windows bitmap file
// (through the class library's TBitmap) and the streamed "Data" property.

#include <cstddef>
#include <cstdint>

#include "base/exceptions.h"
#include "base/streams.h"
#include "graphics/bitmap32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        TMemoryStream stream(data, size);
        TBitmap32 b;
        try {
            b.LoadFromStream(stream);
            // Whatever was read must be whole: touch every pixel.
            uint32_t sum = 0;
            for (int64_t i = 0; i < int64_t(b.Width()) * b.Height(); ++i)
                sum += b.Bits()[i];
            (void)sum;
        } catch (const Exception&) {
        }
    }
    {
        TMemoryStream stream(data, size);
        TBitmap32 b;
        try {
            b.ReadData(stream);
            TMemoryStream out;
            b.WriteData(out);
        } catch (const Exception&) {
        }
    }
    return 0;
}
