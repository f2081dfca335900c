// Opening a scenario: continuation files, line ends, comments, the
// file-and-line map, labels, the item block and the commands the pre-pass
// applies at once.

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>

#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/script/label_list.h"
#include "engine/script/scenario_files.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/variables.h"
#include "support/engine_harness.h"

namespace {

std::vector<std::string> ScriptLines(const TTideglassForm& form)
{
    std::vector<std::string> lines;
    for (const std::string& line : form.FScript->Items())
        lines.push_back(sjis::ToUtf8(line));
    return lines;
}

} // namespace

TEST(ScriptLoad, ContinuationFilesOneAndThreeMapErrorsToTheirFile)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\nmain\n");
    h.WriteScript("game1.tgs", "one\n");
    h.WriteScript("game3.tgs", "*NOSUCH\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    ASSERT_EQ(form.FConnectNames->Count(), 3);
    EXPECT_EQ(form.FConnectNames->GetItem(2).FileName, "game3.tgs");
    EXPECT_EQ(form.FConnectNames->GetFileName(3), "game3.tgs");
    EXPECT_EQ(form.FConnectNames->GetFileLine(3), 1);
    EXPECT_EQ(form.FConnectNames->GetFileLine(1), 2);
    EXPECT_EQ(form.FConnectNames->GetFileName(99), "not found");
    h.Settle();
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( game3.tgs : line 1 ) 未定義の命令です - *NOSUCH"});
}

TEST(ScriptLoad, LoneContinuationFileTwoIsNotLoaded)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\nmain\n*SCENEEND\n");
    h.WriteScript("game2.tgs", "two\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_EQ(form.FConnectNames->Count(), 1);
    EXPECT_EQ(form.FScript->Count(), 3);
}

TEST(ScriptLoad, AcceptsEveryLineEnd)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        TEngineHarness h;
        h.WriteScript("game.tgs", "*SCENE s\nあ\nい\n*SCENEEND\n", eol);
        TTideglassForm& form = h.Open("game.tgs");
        EXPECT_EQ(ScriptLines(form), (std::vector<std::string>{"*SCENE s", "あ", "い", "*SCENEEND"}));
    }
}

TEST(ScriptLoad, ApostropheQuotesCommentsAcrossLines)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s # scene\nit's # not cut\n# kept\nclosed' # cut\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_EQ(ScriptLines(form),
              (std::vector<std::string>{"*SCENE s ", "it's # not cut", "# kept", "closed' ", "*SCENEEND"}));
}

TEST(ScriptLoad, LabelsScenesAndTheGlobalScene)
{
    TEngineHarness h;
    h.WriteScript("game.tgs",
                  "*SCENE first\n*LABEL a\n*SCENEEND\n*SCENE GLOBAL\n*SCENEEND\n*SCENE global\n*LABEL b\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    ASSERT_EQ(form.FLabels->Count(), 5);
    EXPECT_EQ(form.FGlobalScene, 4);
    EXPECT_EQ(form.FirstScene(), 1);
    EXPECT_EQ(form.FScene, 1);
    EXPECT_EQ(form.FLine, 1);
    const TLabelRec* b = form.FLabels->Find("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Line, 7);
    EXPECT_EQ(b->SceneLine, 6);
    EXPECT_EQ(form.FLabels->Find("B"), nullptr);
    EXPECT_EQ(form.FLabels->GetNameByLine(2), "a");
}

TEST(ScriptLoad, DuplicateLabelStopsThePrePassWithTheScenarioName)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*LABEL twice\n*LABEL twice\n*LABEL later\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_TRUE(form.FHalted);
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( game ) ラベル名の多重定義です twice"});
    EXPECT_EQ(form.FLabels->Find("later"), nullptr);
}

TEST(ScriptLoad, ItemBlockDeclaresItems)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*SCENEEND\n*ITEM\n剣 1\n盾\n*OTHER\n薬 3\n\n*ITEMEND\nnot an item\n");
    TTideglassForm& form = h.Open("game.tgs");
    ASSERT_EQ(form.FItems->Count(), 4);
    const std::vector<std::pair<std::string, int>> expected = {{"剣", 1}, {"盾", 0}, {"薬", 3}, {"", 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sjis::ToUtf8(form.FItems->GetItem(i)->Name), expected[i].first);
        EXPECT_EQ(form.FItems->GetItem(i)->Count, expected[i].second);
        EXPECT_EQ(form.FItems->GetItem(i)->InitialCount, expected[i].second);
    }
}

TEST(ScriptLoad, BadItemCountIsReportedAtItsLine)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*SCENEEND\n*ITEM\nsword x\n*ITEMEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_TRUE(form.FHalted);
    EXPECT_EQ(h.Errors(),
              std::vector<std::string>{"Error! ( game.tgs : line 4 ) 文字列を数字に変換出来ませんでした。"});
}

TEST(ScriptLoad, ScreenAndTitleApplyAtOnce)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*TITLE   冒険\n*SCREEN 320 240\n*SCENE s\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_EQ(form.windowTitle().toStdString(), "冒険");
    EXPECT_EQ(form.FBaseWidth, 320);
    EXPECT_EQ(form.FBaseHeight, 240);
    EXPECT_EQ(form.ClientWidth(), 320);
    EXPECT_EQ(form.ClientHeight(), 240);
    // The screen only grows: it was 640 x 480.
    EXPECT_EQ(form.FScreenWidth, 640);
    EXPECT_EQ(form.FScreenHeight, 480);
}

TEST(ScriptLoad, ScreenSizesAreKeptInRange)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCREEN 0 99999\n*SCENE s\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_EQ(form.FBaseWidth, 1);
    EXPECT_EQ(form.FBaseHeight, 2048);
}

TEST(ScriptLoad, ScriptWithoutScenesRunsFromItsFirstLine)
{
    TEngineHarness h;
    h.Run("first\nsecond\n");
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(ScriptLoad, OpenClearsTheOldGame)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*BGEXEC bg 100\n*F(5)=7\n*SCENEEND\n*SCENE b\n*LABEL bg\n*SCENEEND\n");
    EXPECT_TRUE(form.FBgRunning);
    EXPECT_EQ(h.Flag(5), 7);
    form.FPendingInputLine = 3;
    form.FSubWinHolder = 1;
    form.FMainStack->Push(1, 2);
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    ASSERT_TRUE(form.OpenScenario(h.Dir() + "next.tgs"));
    EXPECT_FALSE(form.FBgRunning);
    EXPECT_EQ(h.Flag(5), 0);
    EXPECT_EQ(form.FPendingInputLine, -1);
    EXPECT_EQ(form.FSubWinHolder, 0);
    EXPECT_TRUE(form.FMainStack->Empty());
    EXPECT_EQ(form.FBgLabelLine, -1);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_TRUE(h.Log().empty());
}

TEST(ScriptLoad, ConfirmationRefusedKeepsTheRunningGame)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nkept\n*SCENEEND\n");
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    h.Boxes.Answer = IDNO;
    EXPECT_FALSE(form.OpenScenario(h.Dir() + "next.tgs"));
    ASSERT_EQ(h.Boxes.Shown.size(), 1u);
    EXPECT_EQ(h.Boxes.Shown[0].Text, "他のゲームが動作しています。next.tgsを実行しますか？");
    EXPECT_EQ(h.Boxes.Shown[0].Caption, "確認");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"kept"});
    EXPECT_EQ(form.FScenarioName, "main");
    EXPECT_FALSE(form.FHalted);
}

TEST(ScriptLoad, OpenMenuSetsTheDefaultPictureSize)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*SCENEEND\n");
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    form.OpenDialog1.OnExecute = [&h](TOpenDialog& dialog) {
        dialog.FileName = h.Dir() + "next.tgs";
        return true;
    };
    form.F1Click();
    EXPECT_EQ(form.FBaseWidth, 320);
    EXPECT_EQ(form.FBaseHeight, 240);
    EXPECT_EQ(form.ClientWidth(), 320);
    EXPECT_EQ(form.FScale, 1.0f);
    EXPECT_TRUE(form.N3->isEnabled());
    EXPECT_EQ(h.State(), esRun);

    // A cancelled dialog leaves everything, the state included.
    form.FState = esCommandWait;
    form.OpenDialog1.OnExecute = [](TOpenDialog&) { return false; };
    form.F1Click();
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(ScenarioFiles, ScriptNamesAreFoundWithoutRegardToCase)
{
    TEngineHarness h;
    h.WriteBytes("Picture.PNG", "x");
    QDir(QString::fromStdString(h.Dir())).mkdir("Sub");
    h.WriteBytes("Sub/ソ.bmp", "x");
    // A name still in Shift-JIS on disk.
    h.WriteBytes(Sj("表.wav"), "x");
    const std::string dir = h.Dir();
    EXPECT_EQ(ScriptNameToPath(dir, "picture.png"), dir + "Picture.PNG");
    // "ソ" has the trail byte 5Ch, which is no folder separator.
    EXPECT_EQ(ScriptNameToPath(dir, Sj("sub\\ソ.BMP")), dir + "Sub/ソ.bmp");
    EXPECT_EQ(ScriptNameToPath(dir, Sj("表.wav")), dir + Sj("表.wav"));
    EXPECT_TRUE(FileExists(ScriptNameToPath(dir, Sj("表.WAV"))));
    EXPECT_EQ(ScriptNameToPath(dir, "missing\\x.png"), dir + "missing/x.png");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/b.tgs", ""), "/a/b");
}
