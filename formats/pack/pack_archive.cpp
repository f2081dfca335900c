#include "formats/pack/pack_archive.h"

#include "base/sjis.h"
#include "base/streams.h"
#include "codec/kv_compress.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace {

constexpr int64_t EntryFieldsSize = 12; // data size, coded flag, name length
constexpr int64_t EntryHeaderSize = 16; // the entry size field and those three

// The most an LZSS payload can give back: a 19-bit match yields up to 66
// bytes, under 28 bytes per payload byte; the rest is slack for the last
// partly filled bytes.
int64_t MaxDecodedSize(int64_t PayloadSize)
{
    return 28 * PayloadSize + 4096;
}

[[noreturn]] void Corrupt(const char* What)
{
    throw EPackError(std::string("Archive entry table is corrupt: ") + What);
}

// A window on one payload, so the decoder cannot run on into the next entry
// or past the end of the archive.
class TPayloadStream : public TStream {
public:
    TPayloadStream(TStream& Base, int64_t Start, int64_t Size) : FBase(Base), FStart(Start), FSize(Size)
    {
        FBase.SetPosition(FStart);
    }

    int64_t Read(void* Buffer, int64_t Count) override
    {
        const int64_t n = std::min(Count, FSize - FPos);
        if (n <= 0)
            return 0;
        FBase.SetPosition(FStart + FPos);
        const int64_t got = FBase.Read(Buffer, n);
        FPos += got;
        return got;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override
    {
        const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPos : FSize;
        const int64_t pos = base + Offset;
        if (pos < 0 || pos > FSize)
            throw EStreamError("Stream seek error");
        FPos = pos;
        return FPos;
    }
    int64_t Size() override { return FSize; }

private:
    TStream& FBase;
    int64_t FStart;
    int64_t FSize;
    int64_t FPos = 0;
};

// The entry table read through a small buffer: an entry's fields and name
// are a few bytes each, and asking the file for each of them one by one
// made walking a table of thousands of entries cost a system call per field.
// Positions are the archive's; the archive's own position is left wherever
// the last refill put it.
class TTableReader : public TStream {
public:
    explicit TTableReader(TStream& Base) : FBase(Base), FSize(Base.Size()) {}

    int64_t Read(void* Buffer, int64_t Count) override
    {
        auto* out = static_cast<uint8_t*>(Buffer);
        int64_t done = 0;
        while (done < Count) {
            if (FPos < FStart || FPos >= FStart + FLength) {
                FBase.SetPosition(FPos);
                FStart = FPos;
                FLength = FBase.Read(FBuffer, sizeof FBuffer);
                if (FLength <= 0) {
                    FLength = 0;
                    break;
                }
            }
            const int64_t n = std::min(Count - done, FStart + FLength - FPos);
            std::memcpy(out + done, FBuffer + (FPos - FStart), size_t(n));
            done += n;
            FPos += n;
        }
        return done;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override
    {
        const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPos : FSize;
        if (base + Offset < 0)
            throw EStreamError("Stream seek error");
        FPos = base + Offset;
        return FPos;
    }
    int64_t Size() override { return FSize; }

private:
    TStream& FBase;
    int64_t FSize;
    int64_t FPos = 0;
    int64_t FStart = 0;
    int64_t FLength = 0;
    uint8_t FBuffer[8192];
};

} // namespace

std::string PackEntryName(std::string_view FileName)
{
    const size_t back = sjis::FindLast(FileName, '\\');
    const size_t slash = sjis::FindLast(FileName, '/');
    size_t cut = 0;
    if (back != sjis::npos)
        cut = back + 1;
    if (slash != sjis::npos)
        cut = std::max(cut, slash + 1);
    return sjis::UpperCase(FileName.substr(cut));
}

namespace {

bool ReadMagic(TStream& Archive)
{
    Archive.SetPosition(0);
    uint8_t magic[4];
    return Archive.Read(magic, 4) == 4 && std::memcmp(magic, PackMagic, 4) == 0;
}

// The four fields of the entry at Archive's position, checked as far as the
// walk needs them to step on; leaves Archive at the name.
TPackEntryHeader ReadEntryFields(TStream& Archive, int64_t FileSize)
{
    const int64_t start = Archive.Position();
    if (FileSize - start < EntryHeaderSize)
        throw EReadError("Archive entry table is cut short");
    TPackEntryHeader h;
    h.PackEntrySize = Archive.ReadI32();
    h.PackDataSize = Archive.ReadI32();
    h.PackCompressed = Archive.ReadI32();
    h.PackNameLength = Archive.ReadI32();
    const int64_t nameStart = start + EntryHeaderSize;
    if (h.PackNameLength < 0 || h.PackNameLength > FileSize - nameStart)
        Corrupt("an entry name runs past the end of the file");
    // A size below its own fields would step backwards through the table.
    if (int64_t(h.PackEntrySize) < EntryFieldsSize + h.PackNameLength)
        Corrupt("an entry is smaller than its name");
    h.PayloadOffset = nameStart + h.PackNameLength;
    h.PayloadSize = int64_t(h.PackEntrySize) - EntryFieldsSize - h.PackNameLength;
    return h;
}

// The entry asked for must be able to deliver what it promises.
void CheckFoundEntry(const TPackEntryHeader& h, int64_t FileSize)
{
    if (h.PayloadSize > FileSize - h.PayloadOffset)
        Corrupt("an entry runs past the end of the file");
    if (h.PackDataSize < 0)
        Corrupt("an entry has a negative size");
    if (h.PackCompressed != 0 ? h.PackDataSize > MaxDecodedSize(h.PayloadSize) : h.PackDataSize > h.PayloadSize)
        Corrupt("an entry's size is more than its data can hold");
}

int DeliverPackEntry(const TPackEntryHeader& entry, TStream& Archive, TMemoryStream& Out)
{
    try {
        // A coded size is believed only as far as usual ratios go; the
        // stream grows past that if the payload really decodes further.
        const int64_t expected = entry.PackCompressed != 0
                                     ? std::min<int64_t>(entry.PackDataSize, 4 * entry.PayloadSize + 4096)
                                     : entry.PackDataSize;
        Out.Bytes().reserve(size_t(expected));
        if (entry.PackCompressed != 0) {
            TPayloadStream payload(Archive, entry.PayloadOffset, entry.PayloadSize);
            // One coder per call, as the class reference hands it out.
            const TkvCompressClass CompressClass = TkvCompress::Create<TkvLZSSCompress>;
            CompressClass()->Decompress(payload, Out, entry.PackDataSize);
        } else if (entry.PackDataSize > 0) {
            // CopyFrom takes a count of 0 as "the whole stream".
            Out.CopyFrom(Archive, entry.PackDataSize);
        }
    } catch (...) {
        Out.Clear();
        throw;
    }
    Out.SetPosition(0);
    return peFound;
}

} // namespace

int FindPackEntry(std::string_view Name, TStream& Archive, TPackEntryHeader& Entry)
{
    TTableReader table(Archive);
    if (!ReadMagic(table))
        return peBadMagic;

    const int64_t fileSize = table.Size();
    const int32_t count = table.ReadI32();
    std::string name;
    for (int32_t i = 0; i < count; ++i) {
        const TPackEntryHeader h = ReadEntryFields(table, fileSize);
        bool match = false;
        if (size_t(h.PackNameLength) == Name.size()) {
            name.resize(Name.size());
            table.ReadBuffer(name.data(), int64_t(name.size()));
            match = name == Name;
        }
        if (!match) {
            table.SetPosition(h.PayloadOffset + h.PayloadSize);
            continue;
        }
        CheckFoundEntry(h, fileSize);
        Archive.SetPosition(h.PayloadOffset);
        Entry = h;
        return peFound;
    }
    return peNotFound;
}

int ReadPackEntry(std::string_view Name, TStream& Archive, TMemoryStream& Out)
{
    Out.Clear();
    TPackEntryHeader entry;
    const int result = FindPackEntry(Name, Archive, entry);
    if (result != peFound)
        return result;
    return DeliverPackEntry(entry, Archive, Out);
}

TPackIndex::TPackIndex(TStream& Archive)
{
    TTableReader table(Archive);
    FMagicOk = ReadMagic(table);
    if (!FMagicOk)
        return;
    FFileSize = table.Size();
    try {
        const int32_t count = table.ReadI32();
        std::string name;
        for (int32_t i = 0; i < count; ++i) {
            const TPackEntryHeader h = ReadEntryFields(table, FFileSize);
            name.resize(size_t(h.PackNameLength));
            table.ReadBuffer(name.data(), int64_t(name.size()));
            FEntries.emplace(name, h); // the first entry of a name stays
            table.SetPosition(h.PayloadOffset + h.PayloadSize);
        }
    } catch (const Exception&) {
        // The walk would stop here too, but only for a name it has not met
        // before this place; the lookups give the error back then.
        FBroken = std::current_exception();
    }
}

int TPackIndex::Find(std::string_view Name, TStream& Archive, TPackEntryHeader& Entry) const
{
    if (!FMagicOk)
        return peBadMagic;
    const auto it = FEntries.find(std::string(Name));
    if (it == FEntries.end()) {
        if (FBroken)
            std::rethrow_exception(FBroken);
        return peNotFound;
    }
    CheckFoundEntry(it->second, FFileSize);
    Archive.SetPosition(it->second.PayloadOffset);
    Entry = it->second;
    return peFound;
}

int ReadPackEntry(std::string_view Name, TStream& Archive, const TPackIndex& Index, TMemoryStream& Out)
{
    Out.Clear();
    TPackEntryHeader entry;
    const int result = Index.Find(Name, Archive, entry);
    if (result != peFound)
        return result;
    return DeliverPackEntry(entry, Archive, Out);
}

int64_t GetPackEntryInfo(std::string_view Name, TStream& Archive, const TPackIndex& Index, int Mode)
{
    if (Mode != piOffset && Mode != piDataSize)
        return 0;
    TPackEntryHeader entry;
    if (Index.Find(Name, Archive, entry) != peFound)
        return 0;
    return Mode == piOffset ? entry.PayloadOffset : entry.PackDataSize;
}

int64_t GetPackEntryInfo(std::string_view Name, TStream& Archive, int Mode)
{
    if (Mode != piOffset && Mode != piDataSize)
        return 0;
    TPackEntryHeader entry;
    if (FindPackEntry(Name, Archive, entry) != peFound)
        return 0;
    return Mode == piOffset ? entry.PayloadOffset : entry.PackDataSize;
}
