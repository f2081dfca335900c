// The data-file commands as scripts use them: records written and read back
// into variables, the "Error<line>:" messages, the run that a failed read
// open ends, and shipped data in a folder that takes no writes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

#include "base/streams.h"
#include "formats/dat/data_file.h"
#include "engine/script/file_size_limit.h"
#include "engine/script/read_only_path.h"
#include "engine/script/engine.h"
#include "support/engine_harness.h"

namespace {

using Lines = std::vector<std::string>;

// Records plus their checksum, as a correct data file holds them.
std::string DatBytes(std::string records)
{
    const uint32_t crc = DatChecksum(records.data(), records.size());
    for (int i = 0; i < 4; ++i)
        records += char(crc >> (8 * i));
    return records;
}

std::string IntegerRecord(int32_t value)
{
    std::string r(1, '\0');
    for (int i = 0; i < 4; ++i)
        r += char(uint32_t(value) >> (8 * i));
    return r;
}

std::string StringRecord(const std::string& text)
{
    std::string r(1, '\1');
    for (int i = 0; i < 4; ++i)
        r += char(uint32_t(text.size()) >> (8 * i));
    return r + text;
}

} // namespace

TEST(DataCommands, RecordsWrittenReadBackIntoVariables)
{
    TEngineHarness h;
    h.Run("*SCENE s\n"
          "*S(1)='it''s'\n"
          "*DATOPEN save 1\n"
          "*DATWRITE -12\n"
          "*DATWRITE S(1)\n"
          "*DATWRITE 'ゲーム'\n"
          "*DATCLOSE\n"
          "*DATOPEN save\n"
          "*DATREAD F(1)\n"
          "*DATREAD S(2)\n"
          "*DATREAD S(3)\n"
          "*DATCLOSE\n"
          "done\n");
    EXPECT_EQ(h.Log(), Lines{"done"});
    EXPECT_EQ(h.Flag(1), -12);
    // A text goes into its variable as it is, apostrophes and all.
    EXPECT_EQ(h.SVar(2), "it's");
    EXPECT_EQ(h.SVar(3), "ゲーム");
    EXPECT_FALSE(h.Engine().DatFile().IsOpen());
}

TEST(DataCommands, MessagesNameTheLineOfTheWholeScript)
{
    TEngineHarness h;
    h.WriteScript("main1.tgs", "*DATOPEN d 1\n"
                               "*DATREAD F(1)\n"
                               "*DATCLOSE\n"
                               "*DATOPEN d\n"
                               "*DATWRITE 1\n"
                               "*DATREAD F(1)\n"
                               "*DATOPEN t 1\n"
                               "*DATWRITE 'x'\n"
                               "*DATCLOSE\n"
                               "*DATOPEN t\n"
                               "*DATREAD s(1)\n"
                               "*DATREAD F(1)\n"
                               "end\n");
    h.Run("*SCENE s\n"
          "*DATWRITE 1\n"
          "*DATREAD F(1)\n");
    EXPECT_EQ(h.Log(), (Lines{
                           "Error2:データファイルが開かれていないのに書き込む事は出来ません。",
                           "Error3:データファイルが開かれていないので読み込む事は出来ません。",
                           "Error5:書き込みモードでデータが開かれているので、読み込む事は出来ません。",
                           "Error8:読み込みモードでデータが開かれているので、書き込む事は出来ません。",
                           "Error9:読みこむデータがありません。",
                           // The test is on the capital S; the record is passed over.
                           "Error14:文字列を文字列変数以外に代入する事は出来ません。",
                           "Error15:読みこむデータがありません。",
                           "end",
                       }));
    EXPECT_FALSE(h.Engine().Halted());
}

TEST(DataCommands, FailedReadOpenEndsTheBlockAsEndDoes)
{
    TEngineHarness h;
    h.WriteBytes("bad.dat", IntegerRecord(5) + std::string(4, '\x55'));
    h.Run("*SCENE s\n"
          "*DATOPEN bad\n"
          "not shown\n");
    EXPECT_EQ(h.Log(), Lines{"Error2:データファイルが不正に書き替えられています！"});
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(h.Engine().InputEnabled());
    EXPECT_FALSE(h.Engine().Halted());

    // Inside a subroutine the block's end goes back to the caller.
    h.Run("*SCENE s\n"
          "*GOSUB sub\n"
          "back\n"
          "*END\n"
          "*LABEL sub\n"
          "*DATOPEN missing\n"
          "not shown\n");
    EXPECT_EQ(h.Log(), (Lines{"Error6:ファイル" + h.Dir() + "missing.datが存在しません。", "back"}));
}

TEST(DataCommands, MissingFileIsNamedWholeWhenTheGameWasStartedByItsName)
{
    for (const char* start : {"game.tgs", "./game.tgs"}) {
        SCOPED_TRACE(start);
        // Started from the game's own folder, the test's current folder.
        TEngineHarness h;
        const std::string folder = std::filesystem::current_path().string() + "/";
        h.WriteScript("game.tgs", "*SCENE s\n*DATOPEN nums.bin\n*SCENEEND\n");
        h.Start(start);
        h.Tick();
        h.Settle();
        EXPECT_EQ(h.Log(), Lines{"Error2:ファイル" + folder + "nums.bin.datが存在しません。"});
    }
}

TEST(DataCommands, WritesAndReadsStartAtANamedFirstVariable)
{
    TEngineHarness h;
    h.Run("*SCENE s\n"
          "*F(gold)=7\n"
          "*F(8193)=8\n"
          "*S(name)='Ann'\n"
          "*S(513)='Bob'\n"
          "*DATOPEN v 1\n"
          "*DATWRITES F(gold) 2\n"
          "*DATWRITES S(name) 2\n"
          "*DATCLOSE\n"
          "*F(gold)=0\n"
          "*F(8193)=0\n"
          "*S(name)=''\n"
          "*S(513)=''\n"
          "*DATOPEN v\n"
          "*DATREADS F(gold) 2\n"
          "*DATREADS S(name) 2\n");
    EXPECT_TRUE(h.Errors().empty()) << (h.Log().empty() ? "" : h.Log().back());
    EXPECT_EQ(h.Flag(8192), 7);
    EXPECT_EQ(h.Flag(8193), 8);
    EXPECT_EQ(h.SVar(512), "Ann");
    EXPECT_EQ(h.SVar(513), "Bob");
    // Nothing went to the variable that a named reference carries as its number.
    EXPECT_EQ(h.Flag(0), 0);
}

TEST(DataCommands, ReadsStopAtTheEndOfTheData)
{
    TEngineHarness h;
    h.WriteBytes("n.dat", DatBytes(IntegerRecord(1) + IntegerRecord(2) + IntegerRecord(3)));
    h.Run("*SCENE s\n"
          "*DATOPEN n\n"
          "*DATREADS F(100) 2\n"
          "*DATREADS F(200) 2\n"
          "*DATREAD F(300)\n");
    // The second run reaches into the checksum: what it read stays, the
    // position does not move, so the last record is still there to read.
    EXPECT_EQ(h.Log(), Lines{"Error4:読みこむデータがありません。"});
    EXPECT_EQ(h.Flag(100), 1);
    EXPECT_EQ(h.Flag(101), 2);
    EXPECT_EQ(h.Flag(200), 3);
    EXPECT_EQ(h.Flag(300), 3);
}

TEST(DataCommands, LengthPastTheEndOfTheDataIsNoData)
{
    TEngineHarness h;
    std::string record = StringRecord("abc");
    record[1] = '\xFF'; // a length of 255 with three bytes behind it
    h.WriteBytes("s.dat", DatBytes(record));
    h.Run("*SCENE s\n"
          "*DATOPEN s\n"
          "*DATREAD S(1)\n"
          "*DATREADS S(1) 1\n");
    EXPECT_EQ(h.Log(), (Lines{"Error3:読みこむデータがありません。", "Error4:読みこむデータがありません。"}));
    EXPECT_EQ(h.SVar(1), "");
}

TEST(DataCommands, WrongKindsOfVariablesAreScriptErrors)
{
    const struct {
        const char* Lines;
        const char* Error;
    } cases[] = {
        {"*DATOPEN w 1\n*DATWRITES 'F(1)' 1\n", "DATWRITESで書き出せるのはフラグ変数か文字列変数だけです。"},
        {"*DATOPEN n\n*DATREADS 5 1\n", "DATREADSで読み出せるのはフラグ変数か文字列変数だけです。"},
        {"*DATOPEN n\n*DATREADS S(1) 1\n", "DATREADSで文字列ではなく整数を読もうとしました"},
        {"*DATOPEN t\n*DATREADS F(1) 2\n", "DATREADSで整数ではなく文字列を読もうとしました"},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("n.dat", DatBytes(IntegerRecord(4)));
        h.WriteBytes("t.dat", DatBytes(IntegerRecord(9) + StringRecord("x")));
        h.Run(std::string("*SCENE s\n") + c.Lines + "not shown\n");
        ASSERT_EQ(h.Errors().size(), 1u) << c.Lines;
        EXPECT_NE(h.Errors()[0].find(c.Error), std::string::npos) << h.Errors()[0];
        EXPECT_TRUE(h.Engine().Halted());
        if (std::string(c.Lines).find("*DATOPEN t") == 0) {
            // Filled before the error: kept. The position stays, so the same
            // records are read again by the next try.
            EXPECT_EQ(h.Flag(1), 9);
            EXPECT_EQ(h.Engine().DatFile().ReadPos(), 0);
        }
    }
}

TEST(DataCommands, ExistTellsWhetherTheFileIsThere)
{
    TEngineHarness h;
    h.WriteBytes("Save.dat", DatBytes(""));
    h.Run("*SCENE s\n"
          "*F(1)=5\n"
          "*F(2)=5\n"
          "*DATEXIST save F(1)\n"
          "*DATEXIST other F(2)\n");
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Flag(2), 0);
}

TEST(DataCommands, ShippedDataInAReadOnlyFolderIsRead)
{
    TEngineHarness h;
    h.MakeFolder("game");
    h.WriteScript("game/main.tgs", "*SCENE s\n"
                                   "*DATOPEN table\n"
                                   "*DATREAD F(1)\n"
                                   "*DATREADS F(2) 1\n"
                                   "*DATCLOSE\n");
    h.WriteBytes("game/table.dat", DatBytes(IntegerRecord(10) + IntegerRecord(20)));
    const TReadOnlyPath file(h.Dir() + "game/table.dat", 0444);
    const TReadOnlyPath folder(h.Dir() + "game", 0555);
    if (!file.ReadOnly() || !folder.ReadOnly())
        GTEST_SKIP() << "the data cannot be made read-only here";
    ASSERT_LT(::open((h.Dir() + "game/table.dat").c_str(), O_RDWR), 0);

    h.Open("game/main.tgs");
    h.Settle();
    EXPECT_TRUE(h.Log().empty()) << h.LastLog();
    EXPECT_EQ(h.Flag(1), 10);
    EXPECT_EQ(h.Flag(2), 20);
}

TEST(DataCommands, LinkInTheGameFolderIsNotFollowed)
{
    TEngineHarness h;
    h.WriteBytes("precious.txt", "keep me");
    h.WriteBytes("shipped.dat", DatBytes(IntegerRecord(7)));
    ASSERT_EQ(::symlink((h.Dir() + "precious.txt").c_str(), (h.Dir() + "trap.dat").c_str()), 0);
    ASSERT_EQ(::symlink((h.Dir() + "shipped.dat").c_str(), (h.Dir() + "alias.dat").c_str()), 0);
    for (const char* open : {"*DATOPEN trap 1\n*DATWRITE 5\n*DATCLOSE\n", "*DATOPEN alias\n*DATREAD F(1)\n"}) {
        h.Run(std::string("*SCENE s\n*F(1)=1\n") + open);
        EXPECT_EQ(h.Errors().size(), 1u) << open;
        EXPECT_EQ(h.Flag(1), 1) << open;
        h.Close();
    }
    const std::vector<uint8_t> kept = ReadFileBytes(h.Dir() + "precious.txt");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
}

TEST(DataCommands, NoPartOfTheNameMayBeALink)
{
    TEngineHarness h;
    h.MakeFolder("game");
    h.MakeFolder("elsewhere");
    h.MakeFolder("shared");
    const std::string outside = DatBytes(IntegerRecord(7));
    h.WriteBytes("elsewhere/y.dat", outside);
    ASSERT_EQ(::symlink((h.Dir() + "elsewhere").c_str(), (h.Dir() + "game/sub").c_str()), 0);
    const struct {
        const char* Lines;
        bool Refused;
    } cases[] = {
        {"*DATOPEN sub\\y 1\n*DATWRITE 5\n*DATCLOSE\n", true},
        {"*DATOPEN Sub/y\n*DATREAD F(1)\n", true},
        // Games that share a data file reach the folder beside theirs by name.
        {"*DATOPEN ..\\shared\\z 1\n*DATWRITE 5\n*DATCLOSE\n*DATOPEN ..\\shared\\z\n*DATREAD F(1)\n", false},
    };
    for (const auto& c : cases) {
        h.WriteScript("game/main.tgs", std::string("*SCENE s\n*F(1)=1\n") + c.Lines);
        h.Open("game/main.tgs");
        h.Settle();
        EXPECT_EQ(h.Errors().size(), c.Refused ? 1u : 0u) << c.Lines << h.LastLog();
        EXPECT_EQ(h.Flag(1), c.Refused ? 1 : 5) << c.Lines;
        h.Close();
    }
    const std::vector<uint8_t> kept = ReadFileBytes(h.Dir() + "elsewhere/y.dat");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), outside);
}

TEST(DataCommands, FailedWriteLeavesTheOldFileAsItWas)
{
    const std::string old = DatBytes(IntegerRecord(41) + StringRecord("kept"));
    const struct {
        const char* Lines;
        const char* FailingLine; // empty: the failure comes when the engine closes
    } cases[] = {
        {"*DATWRITES F(0) 300\n*DATCLOSE\n", "line 3 )"}, // the records do not fit
        {"*DATWRITES F(0) 200\n*DATCLOSE\n", "line 4 )"}, // the checksum does not
        {"*DATWRITES F(0) 200\n**\n", ""},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("keep.dat", old);
        {
            // A disk that is full once a file reaches 1000 bytes.
            const TFileSizeLimit full(1000);
            h.Run(std::string("*SCENE s\n*DATOPEN keep 1\n") + c.Lines);
            if (*c.FailingLine != '\0') {
                ASSERT_EQ(h.Errors().size(), 1u) << c.Lines;
                EXPECT_NE(h.Errors()[0].find(c.FailingLine), std::string::npos) << h.Errors()[0];
                EXPECT_NE(h.Errors()[0].find("keep.dat"), std::string::npos) << h.Errors()[0];
                EXPECT_TRUE(h.Engine().Halted());
            }
            h.Close();
        }
        const std::vector<uint8_t> kept = ReadFileBytes(h.Dir() + "keep.dat");
        EXPECT_EQ(std::string(kept.begin(), kept.end()), old) << c.Lines;
    }
}

TEST(DataCommands, FileLeftOpenForWritingIsFinishedAtExit)
{
    TEngineHarness h;
    h.Run("*SCENE s\n"
          "*DATOPEN keep 1\n"
          "*DATWRITE 5\n"
          "**\n");
    ASSERT_EQ(h.State(), esKeyWait);
    h.Close();
    TFileStream file(h.Dir() + "keep.dat", fmOpenRead);
    EXPECT_EQ(file.Size(), 9);
    EXPECT_TRUE(DatChecksumMatches(file));
}
