#include "tools/datmaker/dat_maker.h"

#include "base/sjis.h"
#include "base/streams.h"
#include "formats/dat/data_file.h"

#include <utility>

std::vector<uint8_t> MakeDatBytes(const uint8_t* Data, size_t Size)
{
    const size_t words = Size / 4;
    TMemoryStream out;
    out.Bytes().reserve(words * 5 + 4);
    for (size_t i = 0; i < words; ++i) {
        // The word's four bytes as they stand: a little-endian integer.
        const uint8_t* w = Data + 4 * i;
        const uint32_t word = uint32_t(w[0]) | uint32_t(w[1]) << 8 | uint32_t(w[2]) << 16 | uint32_t(w[3]) << 24;
        WriteDatRecord(out, DatInteger(int32_t(word)));
    }
    WriteDatChecksum(out, DatChecksum(out.Memory(), out.Bytes().size()));
    return std::move(out.Bytes());
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
