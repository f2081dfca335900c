#include "formats/dat/data_file.h"

#include "base/exceptions.h"
#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "engine/script/file_size_limit.h"
#include "engine/script/read_only_path.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class DataFile : public testing::Test {
protected:
    TTestFolder Dir;
    std::string Path(const std::string& name) const { return Dir.Dir() + name; }

    void Put(const std::string& name, const Bytes& bytes) const
    {
        TMemoryStream m(bytes.data(), bytes.size());
        m.SaveToFile(Path(name));
    }
    Bytes Get(const std::string& name) const { return ReadFileBytes(Path(name)); }

    // Records plus their checksum, as a correct file holds them.
    static Bytes WithChecksum(Bytes records)
    {
        const uint32_t crc = DatChecksum(records.data(), records.size());
        for (int i = 0; i < 4; ++i)
            records.push_back(uint8_t(crc >> (8 * i)));
        return records;
    }

    // Reads records one by one until the file says there are no more.
    static std::vector<TDatRecord> ReadAll(TDatFile& file)
    {
        std::vector<TDatRecord> got;
        while (file.Read([&](int32_t, const TDatRecord& r) { got.push_back(r); }) == TDatStatus::dsOk) {}
        return got;
    }
};

} // namespace

TEST_F(DataFile, ChecksumIsTheUninvertedCrc)
{
    EXPECT_EQ(DatChecksum("abc", 3), 0xCA6598D0u);
    EXPECT_EQ(DatChecksum("", 0), 0u);
}

TEST_F(DataFile, StringThenIntegerGivesTheDocumentedBytes)
{
    TDatFile file;
    ASSERT_EQ(file.Open(Path("save.dat"), true), TDatStatus::dsOk);
    ASSERT_EQ(file.Write({DatString("abc")}), TDatStatus::dsOk);
    ASSERT_EQ(file.Write({DatInteger(12)}), TDatStatus::dsOk);
    file.Close();
    const Bytes records = {0x01, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00, 0x0C, 0x00, 0x00, 0x00};
    EXPECT_EQ(Get("save.dat"), WithChecksum(records));
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(DataFile, FileClosedAtOnceIsFourZeroBytesWithNoData)
{
    TDatFile file;
    file.Open(Path("empty.dat"), true);
    file.Close();
    EXPECT_EQ(Get("empty.dat"), Bytes(4, 0));

    EXPECT_EQ(file.Open(Path("empty.dat"), false), TDatStatus::dsOk);
    EXPECT_EQ(file.Read([](int32_t, const TDatRecord&) { FAIL(); }), TDatStatus::dsNoData);
}

TEST_F(DataFile, WrittenRecordsReadBackInOrder)
{
    TDatFile file;
    file.Open(Path("r.dat"), true);
    file.Write({DatInteger(-3), DatString(SJ("勇者")), DatString(""), DatInteger(2147483647)});
    file.Close();

    ASSERT_EQ(file.Open(Path("r.dat"), false), TDatStatus::dsOk);
    EXPECT_EQ(file.WriteMode(), 0);
    const std::vector<TDatRecord> got = ReadAll(file);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].Value, -3);
    EXPECT_FALSE(got[0].IsString());
    EXPECT_EQ(got[1].Text, SJ("勇者"));
    EXPECT_TRUE(got[2].IsString());
    EXPECT_EQ(got[2].Text, "");
    EXPECT_EQ(got[3].Value, 2147483647);
    EXPECT_EQ(file.ReadPos(), int64_t(Get("r.dat").size()) - 4);
}

TEST_F(DataFile, ReadOpenChecksTheChecksum)
{
    const struct {
        Bytes Content;
        bool Passes;
    } cases[] = {
        {{}, true},
        {{0x01}, true},
        {{0x01, 0x02, 0x03}, true},
        {{0x00, 0x00, 0x00, 0x00}, true},
        {{0x00, 0x00, 0x00, 0x01}, false},
        {WithChecksum({0x00, 0x05, 0x00, 0x00, 0x00}), true},
        {{0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, false},
    };
    for (const auto& c : cases) {
        Put("c.dat", c.Content);
        TDatFile file;
        const TDatStatus status = file.Open(Path("c.dat"), false);
        EXPECT_EQ(status, c.Passes ? TDatStatus::dsOk : TDatStatus::dsTampered) << c.Content.size();
        EXPECT_EQ(file.IsOpen(), c.Passes);
        EXPECT_EQ(file.ReadPos(), 0);
    }
}

TEST_F(DataFile, MissingFileLeavesNothingOpen)
{
    TDatFile file;
    EXPECT_EQ(file.Open(Path("none.dat"), false), TDatStatus::dsMissing);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(FileExists(Path("none.dat")));
    EXPECT_FALSE(FileExists(Dir.Dir()));
}

TEST_F(DataFile, OpeningAnotherFileFinishesTheOneBeingWritten)
{
    TDatFile file;
    file.Open(Path("a.dat"), true);
    file.Write({DatInteger(7)});
    Put("b.dat", Bytes(4, 0));
    ASSERT_EQ(file.Open(Path("b.dat"), false), TDatStatus::dsOk);
    EXPECT_EQ(Get("a.dat"), WithChecksum({0x00, 0x07, 0x00, 0x00, 0x00}));
}

TEST_F(DataFile, WrongModeAndClosedFileAreRefused)
{
    TDatFile file;
    EXPECT_EQ(file.Write({DatInteger(1)}), TDatStatus::dsNotOpenForWrite);
    EXPECT_EQ(file.Read([](int32_t, const TDatRecord&) {}), TDatStatus::dsNotOpenForRead);

    file.Open(Path("w.dat"), true);
    EXPECT_EQ(file.CanRead(), TDatStatus::dsReadInWriteMode);
    EXPECT_EQ(file.ReadRecords(1, [](int32_t, const TDatRecord&) {}), TDatStatus::dsReadInWriteMode);
    file.Close();

    file.Open(Path("w.dat"), false);
    EXPECT_EQ(file.Write({DatInteger(1)}), TDatStatus::dsWriteInReadMode);
    EXPECT_EQ(Get("w.dat"), Bytes(4, 0));
}

TEST_F(DataFile, LengthRunningPastTheDataIsNoData)
{
    const struct {
        const char* What;
        Bytes Records;
    } cases[] = {
        {"length far past the end", {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x61}},
        {"text reaching into the checksum", {0x01, 0x03, 0x00, 0x00, 0x00, 0x61}},
        {"integer cut short", {0x00, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        Put("bad.dat", WithChecksum(c.Records));
        TDatFile file;
        ASSERT_EQ(file.Open(Path("bad.dat"), false), TDatStatus::dsOk) << c.What;
        EXPECT_EQ(file.Read([&](int32_t, const TDatRecord&) { ADD_FAILURE() << c.What; }), TDatStatus::dsNoData)
            << c.What;
        EXPECT_EQ(file.ReadPos(), 0) << c.What;
    }
}

TEST_F(DataFile, ReadRecordsStopsBeforeTheChecksum)
{
    Put("n.dat", WithChecksum({0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}));
    TDatFile file;
    ASSERT_EQ(file.Open(Path("n.dat"), false), TDatStatus::dsOk);
    std::vector<int32_t> flags;
    const auto assign = [&](int32_t, const TDatRecord& r) { flags.push_back(r.Value); };
    EXPECT_EQ(file.ReadRecords(3, assign), TDatStatus::dsNoData);
    // Those read before the end stay read; the position does not move.
    EXPECT_EQ(flags, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(file.ReadPos(), 0);

    flags.clear();
    EXPECT_EQ(file.ReadRecords(2, assign), TDatStatus::dsOk);
    EXPECT_EQ(file.ReadPos(), 10);
    EXPECT_EQ(file.ReadRecords(1, assign), TDatStatus::dsNoData);
}

TEST_F(DataFile, AssignErrorKeepsTheReadPosition)
{
    TDatFile file;
    file.Open(Path("m.dat"), true);
    file.Write({DatInteger(1), DatString("x")});
    file.Close();
    file.Open(Path("m.dat"), false);
    int assigned = 0;
    EXPECT_THROW(file.ReadRecords(2,
                     [&](int32_t, const TDatRecord& r) {
                         if (r.IsString())
                             throw Exception("a string for a flag");
                         ++assigned;
                     }),
        Exception);
    EXPECT_EQ(assigned, 1);
    EXPECT_EQ(file.ReadPos(), 0);
}

TEST_F(DataFile, ReadOnlyDataIsReadable)
{
    Put("ro.dat", WithChecksum({0x00, 0x2A, 0x00, 0x00, 0x00}));
    const TReadOnlyPath readOnly(Path("ro.dat"), 0444);
    if (!readOnly.ReadOnly())
        GTEST_SKIP() << "the file cannot be made read-only here";
    ASSERT_LT(::open(Path("ro.dat").c_str(), O_RDWR), 0);

    TDatFile file;
    EXPECT_EQ(file.Open(Path("ro.dat"), false), TDatStatus::dsOk);
    const std::vector<TDatRecord> got = ReadAll(file);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Value, 42);
}

TEST_F(DataFile, CloseThatFailsStillClosesTheFile)
{
    TDatFile file;
    file.Open(Path("full.dat"), true);
    {
        const TFileSizeLimit full(0);
        EXPECT_THROW(file.Close(), EWriteError);
    }
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(FileExists(Path("full.dat")));
    EXPECT_NO_THROW(file.Open(Path("next.dat"), true));
}

TEST_F(DataFile, CreateFailureLeavesNothingOpen)
{
    TDatFile file;
    EXPECT_THROW(file.Open(Path("no/such/folder.dat"), true), EFCreateError);
    EXPECT_FALSE(file.IsOpen());
}
