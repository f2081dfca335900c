// Games as they are shipped: packed by the packer and played by the engine,
// started from "data.tgp", and with data files made by the data maker.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <string>
#include <vector>

#include "base/streams.h"
#include "base/stringlist.h"
#include "base/sjis.h"
#include "engine/script/engine.h"
#include "support/engine_harness.h"
#include "tools/datmaker/dat_maker.h"
#include "tools/pack/pack_builder.h"

namespace {

using Lines = std::vector<std::string>;

const QString DemoFolder = QString(TG_SOURCE_DIR) + "/examples/demo";

// Packs a script written into the test folder's "src" folder, so that the
// test folder itself holds only the archive.
void PackScript(TEngineHarness& h, const std::string& utf8Script, const std::string& archive)
{
    h.MakeFolder("src");
    h.WriteScript("src/game.tgs", utf8Script);
    BuildPackArchive(h.Dir() + "src/game.tgs", {}, h.Dir() + archive);
}

std::string Le32(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += char(v >> (8 * i));
    return s;
}

} // namespace

TEST(PackedGame, DemoArchivePlaysItsFirstScene)
{
    TEngineHarness h;
    std::vector<std::string> media;
    for (const QString& name : QDir(DemoFolder).entryList(QDir::Files))
        if (name != "demo.tgs")
            media.push_back((DemoFolder + "/" + name).toStdString());
    // The sounds and songs of its folders go in by name alone.
    for (const QString& folder : {QString("se"), QString("bgm")})
        for (const QString& name : QDir(DemoFolder + "/" + folder).entryList({"*.wav", "*.mid", "*.ogg"}, QDir::Files))
            media.push_back((DemoFolder + "/" + folder + "/" + name).toStdString());
    const std::string archive = h.Dir() + "demo.tgp";
    BuildPackArchive((DemoFolder + "/demo.tgs").toStdString(), media, archive);

    TEngine& engine = h.Start(archive);
    h.Tick();
    h.Settle();
    EXPECT_TRUE(engine.ArchiveMode());
    ASSERT_TRUE(engine.ArchiveOpen());
    EXPECT_EQ(engine.ArchiveFileName(), archive);
    EXPECT_EQ(sjis::ToUtf8(h.Host.Title), "潮見の浜 ― Tideglass Demo");
    EXPECT_EQ(h.State(), esKeyWait);
    EXPECT_EQ(
        h.Log(), (Lines{"～ 潮見の浜 ～", "~ Shiomi Beach ~", "スペースキーで先へ進みます。 (Press Space to go on.)"}));
    engine.EndKeyWait();
    h.Settle();
    EXPECT_EQ(h.LastLog(), "あなたの名前は？ (What is your name?)");
    engine.SubmitCommand(Sj("Mio"));
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    // Every picture of the first scene and its song came out of the archive.
    EXPECT_TRUE(h.Host.Boxes.empty());
    EXPECT_TRUE(engine.BgmPlaying());
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(h.LastLog(), "どうする？ (What will you do?)");
}

TEST(PackedGame, DataTgpStartsPlayerModeWithItsDataBesideIt)
{
    TEngineHarness h;
    PackScript(h,
        "*SCENE start\n"
        "*DATOPEN save 1\n"
        "*DATWRITE 3\n"
        "*DATCLOSE\n"
        "*DATOPEN save\n"
        "*DATREAD F(1)\n"
        "ようこそ\n",
        "data.tgp");
    TEngine& engine = h.Start();
    h.Tick();
    EXPECT_TRUE(engine.PlayerMode());
    EXPECT_TRUE(engine.ArchiveMode());
    EXPECT_FALSE(h.Host.MenuVisible(TMenuItem::F1));
    h.Settle();
    EXPECT_EQ(h.Log(), Lines{"ようこそ"});
    EXPECT_EQ(h.Flag(1), 3);
    // The scenario folder of an archive is the archive's folder.
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(h.Dir() + "save.dat")));
}

TEST(PackedGame, ArchiveIsKeptUnderTheNameItWasOpenedBy)
{
    // Music streamed out of the archive opens it again by this path; the
    // scenario name + ".tgp" would miss a file named in capitals.
    TEngineHarness h;
    PackScript(h, "*SCENE s\nhello\n", "GAME.TGP");
    TEngine& engine = h.Start(h.Dir() + "GAME.TGP");
    h.Tick();
    EXPECT_TRUE(engine.ArchiveMode());
    EXPECT_EQ(engine.ArchiveFileName(), h.Dir() + "GAME.TGP");
    EXPECT_EQ(engine.ScenarioName(), "GAME");
}

TEST(PackedGame, DamagedArchivesShowTheFailureMessage)
{
    TEngineHarness h;
    PackScript(h, "*SCENE s\nhello\n", "good.tgp");
    const std::vector<uint8_t> goodBytes = ReadFileBytes(h.Dir() + "good.tgp");
    const std::string good(goodBytes.begin(), goodBytes.end());
    // Entry 0's fields: entry size at 8, data size at 12, name length at 20.
    const auto with = [&](size_t at, uint32_t value) { return good.substr(0, at) + Le32(value) + good.substr(at + 4); };
    const struct {
        const char* Case;
        std::string Bytes;
    } cases[] = {
        {"not an archive", "*SCENE s\r\nhello\r\n"},
        {"shorter than the magic", std::string("TG\0", 3)},
        {"no script entry", std::string("TG\0\1", 4) + Le32(0)},
        {"table cut short", good.substr(0, 14)},
        {"payload cut short", good.substr(0, good.size() - 3)},
        {"name past the end", with(20, 0x7FFFFFFF)},
        {"entry smaller than its name", with(8, 0)},
        {"data size beyond the payload", with(12, 0x7FFFFFFF)},
        {"script entry under another name", good.substr(0, 24) + "X" + good.substr(25)},
    };
    for (const auto& c : cases) {
        h.WriteBytes("bad.tgp", c.Bytes);
        h.Host.Boxes.clear();
        TEngine& engine = h.Start(h.Dir() + "bad.tgp");
        h.Tick();
        h.Settle();
        ASSERT_EQ(h.Host.Boxes.size(), 1u) << c.Case;
        EXPECT_EQ(h.Host.Boxes[0].Text, "スクリプトの読み込みに失敗しました") << c.Case;
        EXPECT_FALSE(engine.Halted()) << c.Case;
        EXPECT_FALSE(engine.ArchiveOpen()) << c.Case;
        EXPECT_TRUE(h.Log().empty()) << c.Case;
    }
    // A good archive opens after them.
    TEngine& engine = h.Start(h.Dir() + "good.tgp");
    h.Tick();
    h.Settle();
    EXPECT_EQ(h.Log(), Lines{"hello"});
    EXPECT_TRUE(engine.ArchiveOpen());
}

TEST(MadeData, ReadsBackThroughTheEngine)
{
    TEngineHarness h;
    h.WriteBytes("scores", Le32(1) + Le32(0xFFFFFFFF));
    ASSERT_EQ(MakeDatFile(h.Dir() + "scores"), TMakeDatResult::mdWritten);
    h.Run("*SCENE s\n"
          "*DATOPEN scores\n"
          "*DATREAD F(1)\n"
          "*DATREAD F(2)\n"
          "*DATREAD F(3)\n"
          "*DATOPEN scores\n"
          "*DATREADS F(100) 2\n");
    EXPECT_EQ(h.Log(), Lines{"Error5:読みこむデータがありません。"});
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Flag(2), -1);
    EXPECT_EQ(h.Flag(100), 1);
    EXPECT_EQ(h.Flag(101), -1);
}

TEST(MadeData, AlteredValueEndsTheRun)
{
    TEngineHarness h;
    h.WriteBytes("scores", Le32(1) + Le32(0xFFFFFFFF));
    ASSERT_EQ(MakeDatFile(h.Dir() + "scores"), TMakeDatResult::mdWritten);
    const std::vector<uint8_t> made = ReadFileBytes(h.Dir() + "scores.dat");
    std::string altered(made.begin(), made.end());
    altered[1] = 99; // the first value, 1, becomes 99
    h.WriteBytes("scores.dat", altered);
    h.Run("*SCENE s\n"
          "*DATOPEN scores\n"
          "*DATREAD F(1)\n"
          "not shown\n");
    EXPECT_EQ(h.Log(), Lines{"Error2:データファイルが不正に書き替えられています！"});
    EXPECT_EQ(h.Flag(1), 0);
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(PackedGame, PackerAndEngineTakeTheSameContinuationFile)
{
    const struct {
        const char* Script;
        std::vector<std::string> Continuations;
    } cases[] = {
        {"ｇａｍｅ.tgs", {"ＧＡＭＥ1.TGS"}},
        {"ωμεγα.tgs", {"ΩΜΕΓΑ1.tgs"}},
        {"ｇａｍｅ.tgs", {"Ｇａｍｅ1.tgs", "ＧＡＭＥ1.tgs", "ｇＡＭＥ1.TGS"}},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteScript(c.Script, "*SCENE s\n");
        for (const std::string& name : c.Continuations)
            h.WriteScript(name, name + "\n");
        const std::string packed = AssembleScript(h.Dir() + c.Script);
        TEngine& engine = h.Open(c.Script);
        ASSERT_EQ(engine.Script().Count(), 2) << c.Script;
        const std::string taken = engine.Script()[1];
        EXPECT_EQ(packed, "*SCENE s\r\n" + taken + "\r\n") << c.Script;
        EXPECT_EQ(engine.ConnectNames().GetItem(1).FileName, sjis::ToUtf8(taken)) << c.Script;
    }
}
