#include "formats/dat/data_file.h"

#include "base/exceptions.h"
#include "base/file_lookup.h"
#include "base/safe_file_stream.h"
#include "base/streams.h"
#include "codec/crc32.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// A data file is never reached through a symbolic link: a game folder could
// carry one pointing at any file or folder of the player's, which writing
// would replace or fill.
constexpr bool NoLinks = false;
constexpr int64_t ChecksumSize = 4;
constexpr int64_t RecordHeadSize = 5; // type byte and value or length

// True when a part of Path that ends after From is a symbolic link. The
// parts are looked at up to the first that does not exist.
bool PassesThroughLink(const std::string& Path, size_t From)
{
    for (size_t i = From + 1; i <= Path.size(); ++i) {
        if ((i < Path.size() && Path[i] != '/') || i == 0 || Path[i - 1] == '/')
            continue;
        struct stat st {};
        if (::lstat(Path.substr(0, i).c_str(), &st) != 0)
            return false;
        if (S_ISLNK(st.st_mode))
            return true;
    }
    return false;
}

void RefuseLinks(const std::string& Path, size_t From, bool ForWrite)
{
    if (!PassesThroughLink(Path, From))
        return;
    const std::string reason = std::strerror(ELOOP);
    if (ForWrite)
        throw EFCreateError("Cannot create file \"" + Path + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + Path + "\". " + reason);
}

// The CRC of Count bytes from Data's position, read in blocks so a large
// file is never held whole.
uint32_t StreamChecksum(TStream& Data, int64_t Count)
{
    std::vector<uint8_t> buffer(size_t(std::min<int64_t>(std::max<int64_t>(Count, 0), 0x10000)));
    uint32_t crc = 0;
    while (Count > 0) {
        const int64_t n = std::min<int64_t>(Count, int64_t(buffer.size()));
        Data.ReadBuffer(buffer.data(), n);
        UpdateCRC32(buffer.data(), uint32_t(n), crc);
        Count -= n;
    }
    return crc;
}

} // namespace

TDatRecord DatInteger(int32_t Value)
{
    TDatRecord r;
    r.DatValueType = 0;
    r.Value = Value;
    return r;
}

TDatRecord DatString(std::string Text)
{
    TDatRecord r;
    r.DatValueType = 1;
    r.Text = std::move(Text);
    return r;
}

uint32_t DatChecksum(const void* Data, size_t Size)
{
    uint32_t crc = 0;
    AddDatChecksum(crc, Data, Size);
    return crc;
}

void AddDatChecksum(uint32_t& Crc, const void* Data, size_t Size)
{
    const auto* p = static_cast<const uint8_t*>(Data);
    // UpdateCRC32 takes a 32-bit length.
    while (Size > 0) {
        const uint32_t n = uint32_t(std::min<size_t>(Size, 0x40000000));
        UpdateCRC32(p, n, Crc);
        p += n;
        Size -= n;
    }
}

void WriteDatChecksum(TStream& Target, uint32_t Crc)
{
    Target.WriteU32(Crc);
}

void WriteDatRecord(TStream& Target, const TDatRecord& Record)
{
    if (!Record.IsString()) {
        Target.WriteU8(0);
        Target.WriteI32(Record.Value);
        return;
    }
    Target.WriteU8(Record.DatValueType);
    Target.WriteU32(uint32_t(Record.Text.size()));
    Target.WriteBuffer(Record.Text.data(), int64_t(Record.Text.size()));
}

bool ReadDatRecord(TStream& Data, int64_t DataEnd, TDatRecord& Record)
{
    const int64_t start = Data.Position();
    if (DataEnd - start < RecordHeadSize)
        return false;
    TDatRecord r;
    r.DatValueType = Data.ReadU8();
    if (!r.IsString()) {
        r.Value = Data.ReadI32();
    } else {
        const uint32_t length = Data.ReadU32();
        if (int64_t(length) > DataEnd - start - RecordHeadSize)
            return false;
        r.Text.resize(length);
        Data.ReadBuffer(r.Text.data(), int64_t(length));
    }
    Record = std::move(r);
    return true;
}

bool DatChecksumMatches(TStream& Data)
{
    const int64_t size = Data.Size();
    Data.SetPosition(0);
    const uint32_t crc = size > ChecksumSize ? StreamChecksum(Data, size - ChecksumSize) : 0;
    uint32_t stored = 0;
    if (size >= ChecksumSize) {
        Data.SetPosition(size - ChecksumSize);
        stored = Data.ReadU32();
    }
    return crc == stored;
}

// ---------------------------------------------------------------------------

TDatFile::TDatFile() = default;

// A file still being written is dropped: the old one stays. The engine
// closes its data file itself before it goes.
TDatFile::~TDatFile() = default;

TDatStatus TDatFile::Open(const std::string& Path, bool ForWrite, size_t NameStart)
{
    Close();
    FDatFileName = Path;
    FDatReadPos = 0;
    // Only the last part when the caller does not say where the name begins.
    const size_t slash = Path.rfind('/');
    FNameStart = NameStart != std::string::npos ? NameStart : slash == std::string::npos ? 0 : slash + 1;
    if (ForWrite) {
        FDatWriteMode = 1;
        try {
            RefuseLinks(Path, FNameStart, true);
            FWriting = std::make_unique<TSafeFileStream>(Path);
        } catch (...) {
            FDatFileName.clear();
            throw;
        }
        FWriteCrc = 0;
        return TDatStatus::dsOk;
    }

    FDatWriteMode = 0;
    if (!FileExists(Path)) {
        FDatFileName.clear();
        return TDatStatus::dsMissing;
    }
    bool matches = false;
    try {
        RefuseLinks(Path, FNameStart, false);
        TFileStream file(Path, fmOpenRead | fmShareDenyWrite, NoLinks);
        matches = DatChecksumMatches(file);
    } catch (...) {
        FDatFileName.clear();
        throw;
    }
    if (!matches) {
        FDatFileName.clear();
        return TDatStatus::dsTampered;
    }
    return TDatStatus::dsOk;
}

void TDatFile::Close()
{
    if (!IsOpen())
        return;
    FDatFileName.clear();
    if (FDatWriteMode != 1)
        return;
    // Dropped, and with it the temporary, whatever happens below.
    const std::unique_ptr<TSafeFileStream> file = std::move(FWriting);
    if (!file)
        return;
    WriteDatChecksum(*file, FWriteCrc);
    file->Commit();
}

TDatStatus TDatFile::CanWrite() const
{
    if (!IsOpen())
        return TDatStatus::dsNotOpenForWrite;
    if (FDatWriteMode != 1)
        return TDatStatus::dsWriteInReadMode;
    return TDatStatus::dsOk;
}

TDatStatus TDatFile::CanRead() const
{
    if (!IsOpen())
        return TDatStatus::dsNotOpenForRead;
    if (FDatWriteMode == 1)
        return TDatStatus::dsReadInWriteMode;
    return TDatStatus::dsOk;
}

TDatStatus TDatFile::Write(const std::vector<TDatRecord>& Records)
{
    const TDatStatus status = CanWrite();
    if (status != TDatStatus::dsOk)
        return status;
    // Coded first so the file gets all of them in one write.
    TMemoryStream coded;
    for (const TDatRecord& r : Records)
        WriteDatRecord(coded, r);
    try {
        coded.SaveToStream(*FWriting);
    } catch (...) {
        // Part of the records may have gone in: the file is not finished.
        FWriting.reset();
        FDatFileName.clear();
        throw;
    }
    AddDatChecksum(FWriteCrc, coded.Memory(), coded.Bytes().size());
    return TDatStatus::dsOk;
}

TDatStatus TDatFile::Read(const TDatAssign& Assign)
{
    return ReadRecords(1, Assign);
}

TDatStatus TDatFile::ReadRecords(int32_t Count, const TDatAssign& Assign)
{
    const TDatStatus status = CanRead();
    if (status != TDatStatus::dsOk)
        return status;
    // Shipped data may lie in a read-only folder: reading asks for no more.
    RefuseLinks(FDatFileName, FNameStart, false);
    TFileStream file(FDatFileName, fmOpenRead | fmShareDenyWrite, NoLinks);
    const int64_t dataEnd = file.Size() - ChecksumSize;
    if (dataEnd - FDatReadPos <= 0)
        return TDatStatus::dsNoData;

    file.SetPosition(FDatReadPos);
    TDatRecord record;
    for (int32_t i = 0; i < Count; ++i) {
        if (!ReadDatRecord(file, dataEnd, record))
            return TDatStatus::dsNoData;
        const int64_t next = file.Position();
        Assign(i, record);
        file.SetPosition(next);
    }
    FDatReadPos = file.Position();
    return TDatStatus::dsOk;
}
