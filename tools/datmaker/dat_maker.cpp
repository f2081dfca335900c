#include "tools/datmaker/dat_maker.h"

#include "base/sjis.h"
#include "base/streams.h"
#include "codec/crc32.h"

#include <algorithm>

std::vector<uint8_t> MakeDatBytes(const uint8_t* Data, size_t Size)
{
    const size_t words = Size / 4;
    std::vector<uint8_t> out;
    out.reserve(words * 5 + 4);
    for (size_t i = 0; i < words; ++i) {
        out.push_back(0);
        out.insert(out.end(), Data + 4 * i, Data + 4 * i + 4);
    }
    uint32_t crc = 0;
    // UpdateCRC32 takes a 32-bit length.
    for (size_t done = 0; done < out.size();) {
        const uint32_t n = uint32_t(std::min<size_t>(out.size() - done, 0x40000000));
        UpdateCRC32(out.data() + done, n, crc);
        done += n;
    }
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(crc >> shift));
    return out;
}

TMakeDatResult MakeDatFile(const std::string& Path)
{
    const std::vector<uint8_t> input = ReadFileBytes(Path);
    if (input.size() % 4 != 0)
        return TMakeDatResult::mdSizeNotMultiple;
    const std::vector<uint8_t> output = MakeDatBytes(input.data(), input.size());
    WriteFileAtomically(Path + ".dat", output.data(), output.size());
    return TMakeDatResult::mdWritten;
}

const std::string& DatSizeMessage()
{
    return SJ("ファイルサイズは4の倍数である必要があります");
}
