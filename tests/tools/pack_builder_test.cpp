#include "tools/pack/pack_builder.h"

#include "base/sjis.h"
#include "base/streams.h"
#include "codec/kv_compress.h"
#include "formats/pack/pack_archive.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string I32(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = char(uint32_t(v) >> (8 * i));
    return s;
}

std::string Lzss(const std::string& data)
{
    TMemoryStream src(data.data(), data.size());
    TMemoryStream dst;
    TkvLZSSCompress().Compress(src, dst, int32_t(data.size()));
    return std::string(dst.Bytes().begin(), dst.Bytes().end());
}

// An entry as the format lays it out, size field first.
std::string Entry(const std::string& name, const std::string& data, bool coded)
{
    const std::string payload = coded ? Lzss(data) : data;
    return I32(int32_t(12 + name.size() + payload.size())) + I32(int32_t(data.size())) + I32(coded ? 1 : 0) +
           I32(int32_t(name.size())) + name + payload;
}

const std::string Magic("TG\x00\x01", 4);

class PackBuilder : public testing::Test {
protected:
    TTempFolder Dir;
};

} // namespace

TEST_F(PackBuilder, ArchiveIsLaidOutByteForByte)
{
    Dir.Put("game.tgs", "*SCENE a\r\nline 1\n");
    Dir.Put("game1.tgs", "one\rtwo");
    Dir.Put("game3.tgs", "\r\nthree\r\n");
    const std::string bmp = SampleBytes(9000, 1);
    const std::string png = SampleBytes(700, 2);
    const std::string txt = "notes\r\n";
    Dir.Put("cg.bmp", bmp);
    Dir.Put("bg.png", png);
    Dir.Put("notes.txt", txt);

    BuildPackArchive(
        Dir.Path("game.tgs"), {Dir.Path("cg.bmp"), Dir.Path("bg.png"), Dir.Path("notes.txt")}, Dir.Path("game.tgp"));

    // Lone CR and a missing final line end are joined with CR LF like the rest.
    const std::string script = "*SCENE a\r\nline 1\r\none\r\ntwo\r\n\r\nthree\r\n";
    const std::string expected = Magic + I32(4) + Entry("*SCRIPT*", script, true) + Entry("CG.BMP", bmp, true) +
                                 Entry("BG.PNG", png, false) + Entry("NOTES.TXT", txt, true);
    EXPECT_EQ(Dir.Get("game.tgp"), expected);
}

TEST_F(PackBuilder, ContinuationFilesNeedTheFirstOne)
{
    Dir.Put("game.tgs", "main");
    Dir.Put("game2.tgs", "two");
    EXPECT_EQ(AssembleScript(Dir.Path("game.tgs")), "main\r\n");

    Dir.Put("game100.tgs", "hundred");
    Dir.Put("game101.tgs", "too far");
    Dir.Put("game1.tgs", "one");
    EXPECT_EQ(AssembleScript(Dir.Path("game.tgs")), "main\r\none\r\ntwo\r\nhundred\r\n");
}

TEST_F(PackBuilder, ContinuationFilesAreFoundInAnyLetterCase)
{
    Dir.Put("Game.tgs", "main");
    Dir.Put("GAME1.TGS", "one");
    Dir.Put("game2.Tgs", "two");
    EXPECT_EQ(AssembleScript(Dir.Path("Game.tgs")), "main\r\none\r\ntwo\r\n");
}

TEST_F(PackBuilder, EmptyListGivesTheScriptAlone)
{
    Dir.Put("s.tgs", "x");
    BuildPackArchive(Dir.Path("s.tgs"), {}, Dir.Path("s.tgp"));
    EXPECT_EQ(Dir.Get("s.tgp"), Magic + I32(1) + Entry("*SCRIPT*", "x\r\n", true));
}

TEST_F(PackBuilder, ExtensionsDecideListingAndCoding)
{
    const struct {
        const char* Name;
        bool Listed;
        bool Coded;
    } cases[] = {
        {"a.bmp", true, true},
        {"a.BMP", true, true},
        {"a.jpg", true, false},
        {"a.Png", true, false},
        {"a.wav", true, false},
        {"a.mid", true, true},
        {"a.mp3", true, false},
        {"a.ogg", true, false},
        {"a.txt", false, true},
        {"a.jpeg", false, true},
        {"noext", false, true},
        {"dir.png/file", false, true},
        {"a.tar.bmp", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DatExtCheck(c.Name), c.Listed) << c.Name;
        EXPECT_EQ(DatCompressCheck(c.Name), c.Coded) << c.Name;
    }
}

TEST_F(PackBuilder, NamesAreShiftJisUpperCasedWithoutFolder)
{
    std::string name;
    ASSERT_TRUE(PackNameFromPath("/home/a/背景/夕焼け.bmp", name));
    EXPECT_EQ(name, SJ("夕焼け") + ".BMP");
    // "ッ" is 83h 62h: a trail byte that reads as the letter b stays b.
    ASSERT_TRUE(PackNameFromPath("ッb.png", name));
    EXPECT_EQ(name, "\x83\x62"
                    "B.PNG");
    EXPECT_FALSE(PackNameFromPath("/x/\xF0\x9F\x98\x80.png", name));
    EXPECT_FALSE(PackNameFromPath("/x/bad\xFF.png", name));
}

TEST_F(PackBuilder, JapaneseNamesAreFoundByTheReader)
{
    Dir.Put("s.tgs", "x");
    Dir.Put("夕焼け.bmp", "sunset");
    BuildPackArchive(Dir.Path("s.tgs"), {Dir.Path("夕焼け.bmp")}, Dir.Path("s.tgp"));
    TFileStream archive(Dir.Path("s.tgp"), fmOpenRead);
    TMemoryStream out;
    ASSERT_EQ(ReadPackEntry(PackEntryName(SJ("夕焼け.bmp")), archive, out), peFound);
    EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "sunset");
}

TEST_F(PackBuilder, NameWithoutShiftJisFormWritesNothing)
{
    Dir.Put("s.tgs", "x");
    Dir.Put("s.tgp", "old archive");
    Dir.Put("ok.png", "fine");
    Dir.Put("\xF0\x9F\x98\x80.png", "smile");
    try {
        BuildPackArchive(Dir.Path("s.tgs"), {Dir.Path("ok.png"), Dir.Path("\xF0\x9F\x98\x80.png")}, Dir.Path("s.tgp"));
        FAIL() << "no error";
    } catch (const EPackFileError& e) {
        EXPECT_EQ(e.Path(), Dir.Path("\xF0\x9F\x98\x80.png"));
        EXPECT_EQ(e.Utf8Text(), "データファイル" + Dir.Path("\xF0\x9F\x98\x80.png") +
                                    "の名前にShift-JISで表せない文字が含まれているため、アーカイブに格納できません。");
    }
    EXPECT_EQ(Dir.Get("s.tgp"), "old archive");
    EXPECT_EQ(Dir.List().size(), 4u);
}

TEST_F(PackBuilder, FailureMidwayLeavesTheOldArchiveAndNoTemporaryFile)
{
    Dir.Put("s.tgs", "x");
    Dir.Put("s.tgp", "old archive");
    Dir.Put("a.png", "a");
    Dir.MakeFolder("b.png"); // cannot be read as a file
    EXPECT_THROW(
        BuildPackArchive(Dir.Path("s.tgs"), {Dir.Path("a.png"), Dir.Path("b.png")}, Dir.Path("s.tgp")), EFOpenError);
    EXPECT_EQ(Dir.Get("s.tgp"), "old archive");
    EXPECT_EQ(Dir.List(), (std::vector<std::string>{"a.png", "b.png", "s.tgp", "s.tgs"}));
}

TEST_F(PackBuilder, MissingTargetFolderIsACreateError)
{
    Dir.Put("s.tgs", "x");
    EXPECT_THROW(BuildPackArchive(Dir.Path("s.tgs"), {}, Dir.Path("none/s.tgp")), EFCreateError);
}

TEST_F(PackBuilder, SameNameFromTwoFoldersIsWrittenTwiceAndFirstIsFound)
{
    Dir.Put("s.tgs", "x");
    Dir.MakeFolder("one");
    Dir.MakeFolder("two");
    Dir.Put("one/a.png", "first");
    Dir.Put("two/A.png", "second");
    BuildPackArchive(Dir.Path("s.tgs"), {Dir.Path("one/a.png"), Dir.Path("two/A.png")}, Dir.Path("s.tgp"));
    const std::string archive = Dir.Get("s.tgp");
    EXPECT_EQ(archive.substr(4, 4), I32(3));
    EXPECT_NE(archive.find(Entry("A.PNG", "second", false)), std::string::npos);

    TFileStream stream(Dir.Path("s.tgp"), fmOpenRead);
    TMemoryStream out;
    ASSERT_EQ(ReadPackEntry("A.PNG", stream, out), peFound);
    EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "first");
}
