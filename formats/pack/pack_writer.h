#pragma once
// Writing a scenario archive (the layout is in pack_archive.h): the magic and
// the entry count, then the entries one after another, each a size field and
// the entry. An entry is made on its own first (LZSS coding is the slow part
// and can run for several entries at once), so its size is known when it is
// written.

#include "codec/kv_compress.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

class TMemoryStream;
class TStream;

// The most bytes a file, or an entry made of it, can have: the size fields
// are signed 32-bit.
inline constexpr int64_t PackEntryMaxSize = std::numeric_limits<int32_t>::max();

// One entry without its size field: data size, coded flag, name length,
// name, and the payload: the LZSS stream of Size bytes from Source's
// position, or those bytes as they are.
std::unique_ptr<TMemoryStream> MakePackEntry(
    std::string_view Name, TStream& Source, int64_t Size, bool Compressed, TkvCompress& Coder);
// The entry's size field and the entry.
void WritePackEntry(TStream& Target, TMemoryStream& Entry);

// An archive written front to back into Target, which starts empty.
class TPackWriter {
public:
    // Writes the magic and a count of 0.
    explicit TPackWriter(TStream& Target);

    // The next entry, as MakePackEntry made it.
    void Add(TMemoryStream& Entry);
    // Puts the number of entries added into the count field.
    void Finish();

    int32_t Count() const { return FCount; }

private:
    TStream& FTarget;
    int32_t FCount = 0;
};
