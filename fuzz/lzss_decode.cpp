// LZSS decoding of arbitrary bytes with an arbitrary size: it must end with
// exactly the size written or with the coder's own error, never touch memory
// outside its history and never hang. The first four bytes are the size.

#include "base/streams.h"
#include "codec/kv_compress.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    int32_t wanted;
    std::memcpy(&wanted, data, 4);
    TMemoryStream src(data + 4, size - 4);
    TMemoryStream dst;
    try {
        const int32_t result = TkvLZSSCompress().Decompress(src, dst, wanted);
        if (result != wanted || dst.Size() != (wanted > 0 ? wanted : 0))
            std::abort();
    } catch (const EkvCompressError&) {
    }
    return 0;
}
