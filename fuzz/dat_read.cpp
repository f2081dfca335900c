// Data files of arbitrary bytes: the checksum check and the record reader
// stay inside the data (a length running past it is "no data"), both in
// memory and through the data-file state the script commands use, which
// reads the bytes from a file.

#include "base/streams.h"
#include "formats/dat/data_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        char name[] = "/tmp/fuzz_dat_read.XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0)
            std::abort();
        ::close(fd);
        return std::string(name);
    }();
    // The scratch file goes when the run ends.
    static const bool removedAtExit = std::atexit([] { ::unlink(ScratchFile().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream memory(data, size);
    const bool matches = DatChecksumMatches(memory);

    // Every record the bytes hold, read as the commands would.
    const int64_t dataEnd = int64_t(size) - 4;
    memory.SetPosition(0);
    TDatRecord record;
    int64_t records = 0;
    while (memory.Position() < dataEnd && ReadDatRecord(memory, dataEnd, record)) {
        if (memory.Position() > dataEnd)
            std::abort();
        ++records;
    }

    memory.SaveToFile(ScratchFile());
    TDatFile file;
    const TDatStatus opened = file.Open(ScratchFile(), false);
    if ((opened == TDatStatus::dsOk) != matches)
        std::abort();
    if (opened != TDatStatus::dsOk)
        return 0;
    int64_t read = 0;
    while (file.Read([&](int32_t, const TDatRecord&) { ++read; }) == TDatStatus::dsOk) {
        if (file.ReadPos() > dataEnd)
            std::abort();
    }
    if (read != records)
        std::abort();
    return 0;
}
