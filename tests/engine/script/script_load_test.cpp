// Opening a scenario: continuation files, line ends, comments, the
// file-and-line map, labels, the item block and the commands the pre-pass
// applies at once.

#include <gtest/gtest.h>

#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/script/engine.h"
#include "engine/script/label_list.h"
#include "engine/script/variables.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace {

std::vector<std::string> ScriptLines(const TEngine& engine)
{
    std::vector<std::string> lines;
    for (const std::string& line : engine.Script().Items())
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
    TEngine& engine = h.Open("game.tgs");
    ASSERT_EQ(engine.ConnectNames().Count(), 3);
    EXPECT_EQ(engine.ConnectNames().GetItem(2).FileName, "game3.tgs");
    EXPECT_EQ(engine.ConnectNames().GetFileName(3), "game3.tgs");
    EXPECT_EQ(engine.ConnectNames().GetFileLine(3), 1);
    EXPECT_EQ(engine.ConnectNames().GetFileLine(1), 2);
    EXPECT_EQ(engine.ConnectNames().GetFileName(99), "not found");
    h.Settle();
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( game3.tgs : line 1 ) 未定義の命令です - *NOSUCH"});
}

TEST(ScriptLoad, LoneContinuationFileTwoIsNotLoaded)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\nmain\n*SCENEEND\n");
    h.WriteScript("game2.tgs", "two\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_EQ(engine.ConnectNames().Count(), 1);
    EXPECT_EQ(engine.Script().Count(), 3);
}

TEST(ScriptLoad, AcceptsEveryLineEnd)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        TEngineHarness h;
        h.WriteScript("game.tgs", "*SCENE s\nあ\nい\n*SCENEEND\n", eol);
        TEngine& engine = h.Open("game.tgs");
        EXPECT_EQ(ScriptLines(engine), (std::vector<std::string>{"*SCENE s", "あ", "い", "*SCENEEND"}));
    }
}

TEST(ScriptLoad, ApostropheQuotesCommentsAcrossLines)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s # scene\nit's # not cut\n# kept\nclosed' # cut\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_EQ(ScriptLines(engine),
        (std::vector<std::string>{"*SCENE s ", "it's # not cut", "# kept", "closed' ", "*SCENEEND"}));
}

TEST(ScriptLoad, LabelsScenesAndTheGlobalScene)
{
    TEngineHarness h;
    h.WriteScript("game.tgs",
        "*SCENE first\n*LABEL a\n*SCENEEND\n*SCENE GLOBAL\n*SCENEEND\n*SCENE global\n*LABEL b\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    ASSERT_EQ(engine.Labels().Count(), 5);
    EXPECT_EQ(engine.GlobalScene(), 4);
    EXPECT_EQ(engine.FirstScene(), 1);
    EXPECT_EQ(engine.Scene(), 1);
    EXPECT_EQ(engine.Line(), 1);
    const TLabelRec* b = engine.Labels().Find("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Line, 7);
    EXPECT_EQ(b->SceneLine, 6);
    EXPECT_EQ(engine.Labels().Find("B"), nullptr);
    EXPECT_EQ(engine.Labels().GetNameByLine(2), "a");
}

TEST(ScriptLoad, FirstLabelOfANameAndOfALineWins)
{
    TLabelList labels;
    labels.Add("a", 3, 1);
    labels.Add("b", 5, 1);
    labels.Add("a", 7, 6);
    labels.Add("late", 3, 1); // out of line order, after "a" at the same line
    labels.Add("early", 2, 1);
    int line = 0;
    int scene = 0;
    ASSERT_TRUE(labels.Find("a", line, scene));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(scene, 1);
    EXPECT_FALSE(labels.Find("A", line, scene));
    EXPECT_EQ(labels.GetNameByLine(3), "a");
    EXPECT_EQ(labels.GetNameByLine(2), "early");
    EXPECT_EQ(labels.GetNameByLine(7), "a");
    EXPECT_EQ(labels.GetNameByLine(4), "");
    labels.Clear();
    EXPECT_EQ(labels.Find("a"), nullptr);
    EXPECT_EQ(labels.GetNameByLine(3), "");
}

TEST(ScriptLoad, DuplicateLabelStopsThePrePassWithTheScenarioName)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*LABEL twice\n*LABEL twice\n*LABEL later\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_TRUE(engine.Halted());
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( game ) ラベル名の多重定義です twice"});
    EXPECT_EQ(engine.Labels().Find("later"), nullptr);
}

TEST(ScriptLoad, ItemBlockDeclaresItems)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*SCENEEND\n*ITEM\n剣 1\n盾\n*OTHER\n薬 3\n\n*ITEMEND\nnot an item\n");
    TEngine& engine = h.Open("game.tgs");
    ASSERT_EQ(engine.Items().Count(), 4);
    const std::vector<std::pair<std::string, int>> expected = {{"剣", 1}, {"盾", 0}, {"薬", 3}, {"", 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sjis::ToUtf8(engine.Items().GetItem(i)->Name), expected[i].first);
        EXPECT_EQ(engine.Items().GetItem(i)->Count, expected[i].second);
        EXPECT_EQ(engine.Items().GetItem(i)->InitialCount, expected[i].second);
    }
}

TEST(ScriptLoad, PrePassFaultIsTheOnlyErrorReported)
{
    const std::string badCount = "文字列を数字に変換出来ませんでした。";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*SCENE s\n*SCENEEND\n*ITEM\nsword x\n*ITEMEND\n", "Error! ( game.tgs : line 4 ) " + badCount},
        {"*ITEM\nsword x\n*ITEMEND\n*SCENE s\n>look\n*SCENEEND\n", "Error! ( game.tgs : line 2 ) " + badCount},
        // The block never ends: the scene's message line is taken for an item.
        {"*ITEM\nsword 1\n*SCENE s\nYou are here.\n*SCENEEND\n", "Error! ( game.tgs : line 4 ) " + badCount},
        {"*LABEL a\n*LABEL a\n*SCENE s\n*SCENEEND\n", "Error! ( game ) ラベル名の多重定義です a"},
    };
    for (const auto& [script, error] : cases) {
        TEngineHarness h;
        h.WriteScript("game.tgs", script);
        TEngine& engine = h.Open("game.tgs");
        EXPECT_TRUE(engine.Halted()) << script;
        EXPECT_EQ(h.Errors(), std::vector<std::string>{error}) << script;
    }
}

TEST(ScriptLoad, ScreenAndTitleApplyAtOnce)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*TITLE   冒険\n*SCREEN 320 240\n*SCENE s\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_EQ(sjis::ToUtf8(h.Host.Title), "冒険");
    EXPECT_EQ(engine.BaseWidth(), 320);
    EXPECT_EQ(engine.BaseHeight(), 240);
    EXPECT_EQ(h.Host.Width, 320);
    EXPECT_EQ(h.Host.Height, 240);
    // The screen follows the client, though it was 640 x 480.
    EXPECT_EQ(engine.ScreenWidth(), 320);
    EXPECT_EQ(engine.ScreenHeight(), 240);
}

TEST(ScriptLoad, ScreenSizesAreKeptInRange)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCREEN 0 99999\n*SCENE s\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_EQ(engine.BaseWidth(), 1);
    EXPECT_EQ(engine.BaseHeight(), 2048);
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
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 100\n*F(5)=7\n*SCENEEND\n*SCENE b\n*LABEL bg\n*SCENEEND\n");
    EXPECT_TRUE(engine.BgRunning());
    EXPECT_EQ(h.Flag(5), 7);
    {
        TEngineProbe probe(engine);
        probe.PendingInputLine() = 3;
        probe.SubWinHolder() = TSubWinHolder::Main;
        probe.Main().Stack.Push(1, 2);
    }
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    ASSERT_TRUE(engine.OpenScenario(h.Dir() + "next.tgs"));
    EXPECT_FALSE(engine.BgRunning());
    EXPECT_EQ(h.Flag(5), 0);
    EXPECT_EQ(engine.PendingInputLine(), -1);
    EXPECT_EQ(engine.SubWinHolder(), TSubWinHolder::None);
    EXPECT_TRUE(engine.MainContext().Stack.Empty());
    EXPECT_EQ(engine.BgLabelLine(), -1);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_TRUE(h.Log().empty());
}

TEST(ScriptLoad, ConfirmationRefusedKeepsTheRunningGame)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nkept\n*SCENEEND\n");
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    h.Host.BoxAnswer = IDNO;
    EXPECT_FALSE(engine.OpenScenario(h.Dir() + "next.tgs"));
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_EQ(h.Host.Boxes[0].Text, "他のゲームが動作しています。next.tgsを実行しますか？");
    EXPECT_EQ(h.Host.Boxes[0].Caption, "確認");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"kept"});
    EXPECT_EQ(engine.ScenarioName(), "main");
    EXPECT_FALSE(engine.Halted());
}

TEST(ScriptLoad, OpenMenuSetsTheDefaultPictureSize)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n");
    h.WriteScript("next.tgs", "*SCENE s\n*SCENEEND\n");
    h.Host.ScenarioChoice = h.Dir() + "next.tgs";
    engine.F1Click();
    EXPECT_EQ(engine.BaseWidth(), 320);
    EXPECT_EQ(engine.BaseHeight(), 240);
    EXPECT_EQ(h.Host.Width, 320);
    EXPECT_EQ(engine.Scale(), 1.0f);
    EXPECT_TRUE(h.Host.Menus[static_cast<size_t>(TMenuItem::N3)].Enabled);
    EXPECT_EQ(h.State(), esRun);

    // A cancelled dialog leaves everything, the state included.
    TEngineProbe(engine).State() = esCommandWait;
    h.Host.ScenarioChoice.reset();
    engine.F1Click();
    EXPECT_EQ(h.State(), esCommandWait);
}
