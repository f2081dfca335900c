#include "formats/pack/pack_archive.h"

#include "base/sjis.h"
#include "base/streams.h"
#include "codec/kv_compress.h"

#include <gtest/gtest.h>

#include <exception>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Lzss(const Bytes& data)
{
    TMemoryStream src(data.data(), data.size());
    TMemoryStream dst;
    TkvLZSSCompress().Compress(src, dst, int32_t(data.size()));
    return dst.Bytes();
}

// One entry as it is laid out in the file; the fields can be set wrong on
// purpose.
struct TEntry {
    std::string Name;
    Bytes Payload;
    int32_t DataSize = 0;
    int32_t Compressed = 0;
    std::optional<int32_t> EntrySize; // else 12 + name + payload
    std::optional<int32_t> NameLength;
};

TEntry Stored(std::string name, const Bytes& data)
{
    return TEntry{std::move(name), data, int32_t(data.size()), 0, {}, {}};
}

TEntry Coded(std::string name, const Bytes& data)
{
    return TEntry{std::move(name), Lzss(data), int32_t(data.size()), 1, {}, {}};
}

void PutI32(Bytes& out, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

Bytes Archive(const std::vector<TEntry>& entries, std::optional<int32_t> count = {})
{
    Bytes out = {0x54, 0x47, 0x00, 0x01};
    PutI32(out, count.value_or(int32_t(entries.size())));
    for (const TEntry& e : entries) {
        PutI32(out, e.EntrySize.value_or(int32_t(12 + e.Name.size() + e.Payload.size())));
        PutI32(out, e.DataSize);
        PutI32(out, e.Compressed);
        PutI32(out, e.NameLength.value_or(int32_t(e.Name.size())));
        out.insert(out.end(), e.Name.begin(), e.Name.end());
        out.insert(out.end(), e.Payload.begin(), e.Payload.end());
    }
    return out;
}

Bytes Pattern(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t((i * 7) % 13 + (i / 100));
    return b;
}

struct TLookup {
    int Result = 0;
    Bytes Data;
    bool operator==(const TLookup&) const = default;
};

// A lookup's outcome: its result, or the error it raised.
template <typename T>
struct TOutcome {
    T Result{};
    std::exception_ptr Error;
};

template <typename T, typename F>
TOutcome<T> Attempt(F lookup)
{
    try {
        return {lookup(), nullptr};
    } catch (...) {
        return {T{}, std::current_exception()};
    }
}

std::string Describe(const std::exception_ptr& error)
{
    if (!error)
        return "no error";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return std::string(typeid(e).name()) + ": " + e.what();
    }
}

// Every lookup runs twice: walking the table, and through an index read
// beforehand. Both must answer alike; the walk's answer is returned.
template <typename T>
T Same(const TOutcome<T>& walk, const TOutcome<T>& indexed)
{
    EXPECT_EQ(Describe(walk.Error), Describe(indexed.Error));
    EXPECT_EQ(walk.Result, indexed.Result);
    if (walk.Error)
        std::rethrow_exception(walk.Error);
    return walk.Result;
}

TLookup Read(const Bytes& archive, std::string_view name)
{
    const auto lookup = [&](bool indexed) {
        return Attempt<TLookup>([&] {
            TMemoryStream stream(archive.data(), archive.size());
            TMemoryStream out;
            const int result =
                indexed ? ReadPackEntry(name, stream, TPackIndex(stream), out) : ReadPackEntry(name, stream, out);
            EXPECT_EQ(out.Position(), 0);
            return TLookup{result, out.Bytes()};
        });
    };
    return Same(lookup(false), lookup(true));
}

int64_t Info(const Bytes& archive, std::string_view name, int mode)
{
    const auto lookup = [&](bool indexed) {
        return Attempt<int64_t>([&] {
            TMemoryStream stream(archive.data(), archive.size());
            return indexed ? GetPackEntryInfo(name, stream, TPackIndex(stream), mode)
                           : GetPackEntryInfo(name, stream, mode);
        });
    };
    return Same(lookup(false), lookup(true));
}

const Bytes Script = ToBytes("*SCENE start\r\nHello\r\n");

} // namespace

TEST(PackArchive, DeliversStoredAndCodedEntriesDecoded)
{
    const Bytes picture = Pattern(10000);
    const Bytes music = Pattern(300);
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Coded("PIC.BMP", picture), Stored("SONG.OGG", music)});

    EXPECT_EQ(Read(archive, "*SCRIPT*").Data, Script);
    const TLookup bmp = Read(archive, "PIC.BMP");
    EXPECT_EQ(bmp.Result, peFound);
    EXPECT_EQ(bmp.Data, picture);
    EXPECT_EQ(Read(archive, "SONG.OGG").Data, music);
}

TEST(PackArchive, ScriptOnlyArchiveHasNoMedia)
{
    const Bytes archive = Archive({Coded("*SCRIPT*", Script)});
    EXPECT_EQ(Read(archive, "*SCRIPT*").Result, peFound);
    EXPECT_EQ(Read(archive, "PIC.PNG").Result, peNotFound);
    EXPECT_EQ(Info(archive, "PIC.PNG", piOffset), 0);
}

TEST(PackArchive, NamesAreComparedExactlySoCallersUpperCase)
{
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Stored("PICTURE.PNG", Pattern(10))});
    EXPECT_EQ(Read(archive, "picture.png").Result, peNotFound);
    EXPECT_EQ(Read(archive, PackEntryName("picture.png")).Result, peFound);
    EXPECT_EQ(Read(archive, PackEntryName("cg\\sub/picture.png")).Result, peFound);
}

TEST(PackArchive, EmptyEntriesDeliverEmptyStreams)
{
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Stored("EMPTY.WAV", {}), Coded("EMPTY.BMP", {})});
    for (const char* name : {"EMPTY.WAV", "EMPTY.BMP"}) {
        const TLookup r = Read(archive, name);
        EXPECT_EQ(r.Result, peFound) << name;
        EXPECT_TRUE(r.Data.empty()) << name;
    }
}

TEST(PackArchive, FirstEntryOfANameWins)
{
    const Bytes archive =
        Archive({Coded("*SCRIPT*", Script), Stored("A.PNG", ToBytes("first")), Stored("A.PNG", ToBytes("second"))});
    EXPECT_EQ(Read(archive, "A.PNG").Data, ToBytes("first"));
}

TEST(PackArchive, WrongMagicOrShortFileIsResultOne)
{
    const Bytes good = Archive({Coded("*SCRIPT*", Script)});
    Bytes otherVersion = good;
    otherVersion[3] = 2;
    const std::vector<Bytes> cases = {{}, {0x54, 0x47, 0x00}, ToBytes("PK\x03\x04 not an archive"), otherVersion};
    for (const Bytes& archive : cases) {
        EXPECT_EQ(Read(archive, "*SCRIPT*").Result, peBadMagic) << archive.size();
        EXPECT_EQ(Info(archive, "*SCRIPT*", piDataSize), 0) << archive.size();
    }
}

TEST(PackArchive, CountOfZeroOrBelowMeansNoEntries)
{
    for (int32_t count : {0, -1, -2147483647 - 1}) {
        const Bytes archive = Archive({Coded("*SCRIPT*", Script)}, count);
        EXPECT_EQ(Read(archive, "*SCRIPT*").Result, peNotFound) << count;
    }
}

TEST(PackArchive, OffsetAndSizeLeadToTheStoredBytes)
{
    const Bytes music = Pattern(5000);
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Coded("X.MID", Pattern(64)), Stored("BGM.OGG", music)});
    const int64_t offset = Info(archive, "BGM.OGG", piOffset);
    const int64_t size = Info(archive, "BGM.OGG", piDataSize);
    ASSERT_EQ(size, int64_t(music.size()));
    ASSERT_LE(offset + size, int64_t(archive.size()));
    EXPECT_EQ(Bytes(archive.begin() + offset, archive.begin() + offset + size), music);
    EXPECT_EQ(Info(archive, "BGM.OGG", 2), 0);
    EXPECT_EQ(Info(archive, "BGM.OGG", -1), 0);
}

TEST(PackArchive, FindLeavesTheStreamAtThePayload)
{
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Stored("B.WAV", ToBytes("RIFF"))});
    TMemoryStream stream(archive.data(), archive.size());
    TPackEntryHeader entry;
    ASSERT_EQ(FindPackEntry("B.WAV", stream, entry), peFound);
    EXPECT_EQ(stream.Position(), entry.PayloadOffset);
    EXPECT_EQ(entry.PackNameLength, 5);
    EXPECT_EQ(entry.PayloadSize, 4);
    EXPECT_EQ(entry.PackEntrySize, 12 + 5 + 4);
}

// "ッ" is 83h 62h: its trail byte is the letter b and must stay as it is;
// "ソ" is 83h 5Ch: its trail byte is no folder separator.
TEST(PackArchive, EntryNamesNeverTouchTrailBytes)
{
    const std::string tsu = "\x83\x62";
    const std::string so = "\x83\x5C";
    EXPECT_EQ(PackEntryName(tsu + "a.png"), tsu + "A.PNG");
    EXPECT_EQ(PackEntryName("bg\\" + so + ".bmp"), so + ".BMP");
    EXPECT_EQ(PackEntryName(SJ("背景") + "/" + tsu + ".wav"), tsu + ".WAV");

    const Bytes archive = Archive({Coded("*SCRIPT*", Script), Stored(tsu + "A.PNG", ToBytes("x"))});
    EXPECT_EQ(Read(archive, PackEntryName(tsu + "a.png")).Result, peFound);
}

TEST(PackArchive, CorruptTablesAreClearErrors)
{
    const Bytes data = Pattern(100);
    TEntry shortEntry = Stored("A.PNG", data);
    shortEntry.EntrySize = 4; // less than 12 + name: would step backwards
    TEntry zeroEntry = Stored("A.PNG", data);
    zeroEntry.EntrySize = 0;
    TEntry longName = Stored("A.PNG", data);
    longName.NameLength = 100000;
    TEntry negativeName = Stored("A.PNG", data);
    negativeName.NameLength = -3;
    TEntry pastEnd = Stored("A.PNG", data);
    pastEnd.EntrySize = 12 + 5 + 1000;
    TEntry storedTooBig = Stored("A.PNG", data);
    storedTooBig.DataSize = 101;
    TEntry negativeSize = Stored("A.PNG", data);
    negativeSize.DataSize = -1;
    TEntry codedTooBig = Coded("A.BMP", data);
    codedTooBig.DataSize = 2000000000;

    const struct {
        const char* What;
        TEntry Entry;
        const char* Lookup;
    } cases[] = {
        {"entry smaller than its name, matched", shortEntry, "A.PNG"},
        {"entry smaller than its name, skipped", shortEntry, "OTHER.PNG"},
        {"entry size 0, skipped", zeroEntry, "OTHER.PNG"},
        {"name past the end", longName, "A.PNG"},
        {"negative name length", negativeName, "A.PNG"},
        {"payload past the end", pastEnd, "A.PNG"},
        {"stored size beyond payload", storedTooBig, "A.PNG"},
        {"negative data size", negativeSize, "A.PNG"},
        {"decoded size its payload cannot hold", codedTooBig, "A.BMP"},
    };
    for (const auto& c : cases) {
        // A large count, so a table walk that went backwards would go on and on.
        const Bytes archive = Archive({Coded("*SCRIPT*", Script), c.Entry}, 1000000);
        EXPECT_THROW(Read(archive, c.Lookup), EPackError) << c.What;
    }
}

TEST(PackArchive, TablesCutShortRaiseReadErrors)
{
    const Bytes full = Archive({Coded("*SCRIPT*", Script), Stored("A.PNG", Pattern(50))});
    // Count claims more entries than there are.
    const Bytes moreClaimed = Archive({Coded("*SCRIPT*", Script)}, 2);
    EXPECT_THROW(Read(moreClaimed, "A.PNG"), EReadError);
    // The entries before the place where the table breaks off are found.
    EXPECT_EQ(Read(Archive({Coded("*SCRIPT*", Script), Stored("A.PNG", Pattern(50))}, 3), "A.PNG").Data, Pattern(50));
    // Magic without a count, and a file cut inside the second entry's header.
    EXPECT_THROW(Read(Bytes(full.begin(), full.begin() + 6), "A.PNG"), EReadError);
    const size_t secondEntry = 8 + 4 + 12 + 8 + Lzss(Script).size();
    EXPECT_THROW(Read(Bytes(full.begin(), full.begin() + secondEntry + 10), "A.PNG"), EReadError);
}

TEST(PackArchive, CodedPayloadEndingEarlyIsADecodeError)
{
    TEntry cut = Coded("A.BMP", Pattern(20000));
    cut.Payload.resize(cut.Payload.size() / 2);
    // The next entry's bytes must not be taken for the rest of the payload.
    const Bytes archive = Archive({Coded("*SCRIPT*", Script), cut, Stored("B.PNG", Pattern(20000))});
    TMemoryStream stream(archive.data(), archive.size());
    TMemoryStream out;
    EXPECT_THROW(ReadPackEntry("A.BMP", stream, out), EkvCompressError);
    EXPECT_EQ(out.Size(), 0);
}
