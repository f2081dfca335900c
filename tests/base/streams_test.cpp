#include "base/exceptions.h"
#include "base/streams.h"
#include "base/stringlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tgbaseXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream m;
    m.WriteU32(0x04030201);
    m.WriteU8(5);
    EXPECT_EQ(m.Size(), 5);
    EXPECT_EQ(m.Position(), 5);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadU32(), 0x04030201u);
    uint8_t buf[4];
    EXPECT_EQ(m.Read(buf, 4), 1);
    EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
    // Writing past the end grows the stream; seeking past the end reads nothing.
    m.Seek(8, soBeginning);
    EXPECT_EQ(m.Read(buf, 1), 0);
    m.WriteU8(9);
    EXPECT_EQ(m.Size(), 9);
    EXPECT_EQ(m.Bytes()[5], 0);
    EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
    m.SetSize(2);
    EXPECT_EQ(m.Position(), 2);
}

TEST(MemoryStream, CopyFromWholeSourceWhenCountIsZero)
{
    TMemoryStream src("abcdef", 6);
    src.SetPosition(4);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 6);
    EXPECT_EQ(std::string(dst.Bytes().begin(), dst.Bytes().end()), "abcdef");
    src.SetPosition(1);
    TMemoryStream part;
    part.CopyFrom(src, 2);
    EXPECT_EQ(std::string(part.Bytes().begin(), part.Bytes().end()), "bc");
    EXPECT_THROW(part.CopyFrom(src, 10), EReadError);
}

TEST_F(TempDir, FileStreamModes)
{
    const std::string p = Path("a.bin");
    {
        TFileStream f(p, fmCreate);
        f.WriteBuffer("hello", 5);
        EXPECT_EQ(f.Size(), 5);
    }
    {
        TFileStream f(p, fmOpenRead | fmShareDenyNone);
        char b[8] = {};
        EXPECT_EQ(f.Read(b, 8), 5);
        EXPECT_EQ(std::string(b), "hello");
        EXPECT_EQ(f.Write("x", 1), 0); // read-only handle
    }
    {
        TFileStream f(p, fmOpenReadWrite);
        f.Seek(0, soEnd);
        f.WriteBuffer("!", 1);
        f.SetSize(3);
    }
    EXPECT_EQ(ReadAll(p), "hel");
    try {
        TFileStream f(Path("missing.bin"), fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("Cannot open file \""), std::string::npos);
        EXPECT_NE(e.Message().find("missing.bin"), std::string::npos);
    }
    EXPECT_THROW(TFileStream(dir.string(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(Path("no/such/dir.bin"), fmCreate), EFCreateError);
}

TEST_F(TempDir, AtomicWriteReplacesOrLeavesFileAlone)
{
    const std::string p = Path("out.dat");
    WriteFileAtomically(p, "first", 5);
    WriteFileAtomically(p, "second", 6);
    EXPECT_EQ(ReadAll(p), "second");
    // A target that cannot be replaced (a folder of that name) leaves no stray temporary.
    fs::create_directory(Path("taken"));
    EXPECT_THROW(WriteFileAtomically(Path("taken"), "x", 1), EStreamError);
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(TempDir, AtomicWriteKeepsModeRefusesReadOnlyAndClearsStaleTemporaries)
{
    const std::string p = Path("game.sav");
    WriteFileAtomically(p, "first", 5);
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomically(p, "second", 6);
    EXPECT_EQ(fs::status(p).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A file marked read-only is refused as a file that cannot be created,
    // and stays as it was.
    fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
    try {
        WriteFileAtomically(p, "third", 5);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find("Cannot create file \""), std::string::npos);
    }
    EXPECT_EQ(ReadAll(p), "second");
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write);

    // What a killed save left behind goes with the next save of that file;
    // other files that look alike stay.
    for (const char* name : {".game.sav.a1B2c3", ".game.sav.zzzzzz", ".game.sav.toolong7", ".other.sav.a1B2c3"})
        std::ofstream(Path(name)) << "left";
    WriteFileAtomically(p, "fourth", 6);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".game.sav.toolong7", ".other.sav.a1B2c3", "game.sav"}));
    EXPECT_EQ(ReadAll(p), "fourth");
}

TEST(StringList, LineEnds)
{
    TStringList l;
    l.SetText("a\r\nb\nc\rd");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[3], "d");
    l.SetText("a\r\n\r\nb\r\n");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "");
    l.SetText("x\n\ry");
    EXPECT_EQ(l.Count(), 3);
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    l.SetText("\r\n");
    EXPECT_EQ(l.Count(), 1);
    l.SetText(std::string("nul\0byte", 8));
    EXPECT_EQ(l[0].size(), 8u);
}

TEST(StringList, EditingAndText)
{
    TStringList l;
    l.Add("b");
    l.Insert(0, "a");
    l.Add("B");
    EXPECT_EQ(l.IndexOf("B"), 2);
    EXPECT_EQ(l.IndexOf("c"), -1);
    l.Delete(1);
    EXPECT_EQ(l.Text(), "a\r\nB\r\n");
    EXPECT_THROW(l.Delete(5), EListError);
    EXPECT_THROW(l.Insert(4, "x"), EListError);
    EXPECT_THROW((void)l[-1], EListError);
}

TEST_F(TempDir, StringListFromStreamPosition)
{
    TMemoryStream m("skip\nline1\r\nline2", 17);
    m.SetPosition(5);
    TStringList l;
    l.LoadFromStream(m);
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l[0], "line1");
    l.SaveToFile(Path("s.txt"));
    EXPECT_EQ(ReadAll(Path("s.txt")), "line1\r\nline2\r\n");
}

} // namespace
