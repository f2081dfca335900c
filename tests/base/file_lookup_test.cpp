// Finding the files a game names, as the file system of the original
// compared names: parts looked up without regard to case, non-ASCII letters
// and names still in Shift-JIS on disk included.

#include <gtest/gtest.h>

#include "base/file_lookup.h"
#include "support/test_folder.h"

TEST(FileLookup, ScriptNamesAreFoundWithoutRegardToCase)
{
    TTestFolder f;
    f.WriteBytes("Picture.PNG", "x");
    f.MakeFolder("Sub");
    f.WriteBytes("Sub/ソ.bmp", "x");
    f.WriteBytes("ＭＡＰ.png", "x");
    f.WriteBytes("ΩΜΕΓΑ.wav", "x");
    // A name still in Shift-JIS on disk, and one whose letters are
    // full-width in Shift-JIS.
    f.WriteBytes(Sj("表.wav"), "x");
    f.WriteBytes(Sj("ＢＧＭ.mid"), "x");
    const std::string dir = f.Dir();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"picture.png", "Picture.PNG"},
        // "ソ" has the trail byte 5Ch, which is no folder separator.
        {Sj("sub\\ソ.BMP"), "Sub/ソ.bmp"},
        {Sj("ｍａｐ.PNG"), "ＭＡＰ.png"},
        {Sj("ωμεγα.WAV"), "ΩΜΕΓΑ.wav"},
        {Sj("表.wav"), Sj("表.wav")},
        {Sj("表.WAV"), Sj("表.wav")},
        {Sj("ｂｇｍ.MID"), Sj("ＢＧＭ.mid")},
        {"missing\\x.png", "missing/x.png"},
    };
    for (const auto& [name, found] : cases) {
        EXPECT_EQ(ScriptNameToPath(dir, name), dir + found) << found;
        EXPECT_EQ(FileExists(ScriptNameToPath(dir, name)), found != "missing/x.png") << found;
    }
    EXPECT_EQ(ResolveFileName(dir, "sub/ソ.BMP"), dir + "Sub/ソ.bmp");
    EXPECT_FALSE(FileExists(dir + "Sub"));
}

TEST(FileLookup, OfNamesDifferingOnlyInCaseTheExactOneWinsThenTheFirstInByteOrder)
{
    TTestFolder f;
    for (const char* name : {"ｄａｔａ.tgs", "Ｄａｔａ.tgs", "ＤＡＴＡ.tgs"})
        f.WriteBytes(name, name);
    const std::string dir = f.Dir();
    EXPECT_EQ(ResolveFileName(dir, "ｄａｔａ.tgs"), dir + "ｄａｔａ.tgs");
    // "Ｄ" (EF BC A4) sorts before "ｄ" (EF BD 84), and "Ａ" before "ａ".
    EXPECT_EQ(ResolveFileName(dir, "ｄａｔａ.TGS"), dir + "ＤＡＴＡ.tgs");
    EXPECT_EQ(ScriptNameToPath(dir, Sj("ｄＡｔＡ.tgs")), dir + "ＤＡＴＡ.tgs");
}
