// Archive lookups over arbitrary bytes: every lookup ends with a result or
// with a read, table or decode error; nothing is read outside the file,
// nothing hangs, and what is delivered has the size the entry declares. A
// lookup through the entry index gives what the table walk gives, error
// text included.
// The last byte picks the name looked up: "*SCRIPT*", a media name, or the
// first entry's own name as the file holds it.

#include "base/streams.h"
#include "codec/kv_error.h"
#include "formats/pack/pack_archive.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string NameToLookUp(const uint8_t* data, size_t size)
{
    switch (size > 0 ? data[size - 1] % 3 : 0) {
    case 0: return "*SCRIPT*";
    case 1: return "A.PNG";
    default: {
        // The first entry's name field: length at offset 20, name at 24.
        if (size < 25)
            return {};
        uint32_t length;
        std::memcpy(&length, data + 20, 4);
        const size_t n = std::min<size_t>(length, size - 24);
        return std::string(reinterpret_cast<const char*>(data + 24), n);
    }
    }
}

} // namespace

namespace {

// The result and delivered bytes of one lookup, or the error it raised.
struct TOutcome {
    int Result = -1;
    std::vector<uint8_t> Bytes;
    std::string Error;
};

template <typename F>
TOutcome Attempt(F lookup)
{
    TOutcome o;
    TMemoryStream out;
    try {
        o.Result = lookup(out);
        o.Bytes = out.Bytes();
    } catch (const EReadError& e) {
        o.Error = std::string("read: ") + e.what();
    } catch (const EkvCompressError& e) {
        o.Error = std::string("decode: ") + e.what();
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name = NameToLookUp(data, size);
    TMemoryStream archive(data, size);
    try {
        TMemoryStream out;
        const int result = ReadPackEntry(name, archive, out);
        if (result != peFound && out.Size() != 0)
            std::abort();
        if (result == peFound) {
            const int64_t declared = GetPackEntryInfo(name, archive, piDataSize);
            if (out.Size() != declared || out.Position() != 0)
                std::abort();
            const int64_t offset = GetPackEntryInfo(name, archive, piOffset);
            TPackEntryHeader entry;
            FindPackEntry(name, archive, entry);
            if (offset < 0 || offset + entry.PayloadSize > int64_t(size))
                std::abort();
        }
    } catch (const EReadError&) {
    } catch (const EkvCompressError&) {
    }

    const TPackIndex index(archive);
    const TOutcome walked = Attempt([&](TMemoryStream& out) { return ReadPackEntry(name, archive, out); });
    const TOutcome indexed = Attempt([&](TMemoryStream& out) { return ReadPackEntry(name, archive, index, out); });
    if (walked.Result != indexed.Result || walked.Bytes != indexed.Bytes || walked.Error != indexed.Error)
        std::abort();
    return 0;
}
