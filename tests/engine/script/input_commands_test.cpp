// Asking the player: *INPUT and *YESNO in their dialogs and inline in the
// command line, the background script's questions beside the main one, and
// the command line's settings (*SETKEY, *ISMATCH, *FHEIGHTRATE, *FUNCDISP,
// *FUNCTEXT, *INPUTSIZE).

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "base/sjis.h"
#include "classlib/virtual_keys.h"
#include "engine/screen/modal_result.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "support/engine_harness.h"

namespace {

using Lines = std::vector<std::string>;

const char* const AskNumber = "*SCENE s\n*F(1)=3\n*INPUT 数は？ F(1)\n値{F(1)}\n*SCENEEND\n";

// The player enters `utf8` in the command line.
void Type(TEngineHarness& h, const std::string& utf8)
{
    h.Engine().SubmitCommand(Sj(utf8));
    h.Settle();
}

Lines BoxTexts(const TEngineHarness& h)
{
    Lines texts;
    for (const auto& box : h.Host.Boxes)
        texts.push_back(box.Text);
    return texts;
}

const char* const YesNoScript = "*SCENE s\n"
                                "*YESNO 行く？ yes no%s\n"
                                "*LABEL yes\nはい\n*END\n"
                                "*LABEL no\nいいえ\n*END\n"
                                "*SCENEEND\n";

std::string YesNo(const char* inlineArg)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, YesNoScript, inlineArg);
    return buffer;
}

} // namespace

TEST(InputCommand, DialogTakesOnlyDecimalNumbersWithin32Bits)
{
    struct TCase {
        const char* typed;
        int32_t stored;
        const char* refusal; // the message box before the second answer, if any
    };
    const TCase cases[] = {
        {"-12", -12, nullptr},
        {"007", 7, nullptr},
        {"-2147483648", std::numeric_limits<int32_t>::min(), nullptr},
        {"1-2", 5, "数字のみを入力してください"},
        {"-", 5, "数字のみを入力してください"},
        {"-x", 5, "数字のみを入力してください"},
        {"--1", 5, "数字のみを入力してください"},
        {"99999999999", 5, "数字のみを入力してください"},
        {"2147483648", 5, "数字のみを入力してください"},
        {"-0X10", 5, "数字のみを入力してください"},
        {"$10", 5, "数字のみを入力してください"},
        {"", 5, "正しく入力してください"},
    };
    for (const TCase& c : cases) {
        TEngineHarness h;
        h.Host.InputAnswers = {c.typed, "5"};
        h.Run(AskNumber);
        EXPECT_EQ(h.Flag(1), c.stored) << c.typed;
        EXPECT_EQ(BoxTexts(h), c.refusal ? Lines{c.refusal} : Lines{}) << c.typed;
        ASSERT_FALSE(h.Host.Prompts.empty());
        EXPECT_EQ(h.Host.Prompts[0], Sj("数は？"));
        EXPECT_EQ(h.Host.DialogStates[0], esCommandWait);
        EXPECT_TRUE(h.Errors().empty()) << c.typed;
    }
}

TEST(InputCommand, TypedTextIsStoredAsItStands)
{
    TEngineHarness h;
    h.Host.InputAnswers = {Sj("it's {F(1)=5}")};
    h.Run("*SCENE s\n*INPUT 名前は？ S(1) 1\n*F(2)=1\n*SCENEEND\n");
    EXPECT_EQ(h.SVar(1), "it's {F(1)=5}");
    EXPECT_EQ(h.Flag(1), 0);
    EXPECT_EQ(h.Flag(2), 1);
    EXPECT_TRUE(h.Errors().empty());
}

TEST(InputCommand, AbandonedDialogLeavesEverythingAndStopsTheRun)
{
    TEngineHarness h;
    h.Run(AskNumber); // no answers: the dialog is abandoned
    EXPECT_EQ(h.Flag(1), 3);
    EXPECT_EQ(h.Host.Prompts.size(), 1u);
    EXPECT_TRUE(h.Log().empty());
    EXPECT_TRUE(h.Host.Boxes.empty());
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(InputCommand, InlineQuestionKeepsAskingAndReturnsIntoTheSubroutine)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*GOSUB ask\nback {F(1)}\n*END\n"
                            "*LABEL ask\n*INPUT 数は？ F(1) 0 1\ngot {F(1)}\n*END\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), Lines{"数は？"});
    EXPECT_TRUE(h.Host.QuestionMode);
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_NE(engine.PendingInputLine(), -1);
    EXPECT_TRUE(h.Host.Prompts.empty());

    Type(h, "4x");
    Type(h, "");
    EXPECT_EQ(h.Log(), (Lines{"数は？", "? 4x", "数字のみを入力してください", "? "}));
    EXPECT_TRUE(h.Host.QuestionMode);

    Type(h, "42");
    EXPECT_EQ(h.Log(), (Lines{"数は？", "? 4x", "数字のみを入力してください", "? ", "? 42", "got 42", "back 42"}));
    EXPECT_FALSE(h.Host.QuestionMode);
    EXPECT_EQ(engine.PendingInputLine(), -1);
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(h.Errors().empty());
}

TEST(YesNoCommand, DialogAnswersChooseTheLabel)
{
    for (const auto& [result, shown] :
        {std::pair{mrYes, "はい"}, std::pair{mrNo, "いいえ"}, std::pair{mrOk, "いいえ"}}) {
        TEngineHarness h;
        h.Host.YesNoResult = result;
        h.Run(YesNo(""));
        EXPECT_EQ(h.Log(), Lines{shown}) << result;
        EXPECT_EQ(h.Host.Prompts, Lines{Sj("行く？")});
        EXPECT_EQ(h.Host.DialogStates, std::vector<TEngineState>{esYesNo});
    }
}

TEST(YesNoCommand, InlineAnswersAreLowerCasedAndMatchedAgainstTheYesWords)
{
    const std::pair<const char*, const char*> suffixes[] = {
        {" 1", "行く？ ( [y]es / [n]o )"}, {" 2", "行く？ ( はい / いいえ )"}, {" 3", "行く？"}};
    for (const auto& [arg, prompt] : suffixes) {
        TEngineHarness h;
        h.Run(YesNo(arg));
        EXPECT_EQ(h.Log(), Lines{prompt});
        EXPECT_TRUE(h.Host.QuestionMode);
    }
    const std::tuple<const char*, const char*, const char*> answers[] = {
        {"YES", "? yes", "はい"},
        {"Y", "? y", "はい"},
        {"ｙｅｓ", "? ｙｅｓ", "はい"},
        {"はい", "? はい", "はい"},
        {"yeah", "? yeah", "いいえ"},
        {"no", "? no", "いいえ"},
    };
    for (const auto& [typed, echo, shown] : answers) {
        TEngineHarness h;
        h.Run(YesNo(" 1"));
        Type(h, typed);
        EXPECT_EQ(h.Log(), (Lines{"行く？ ( [y]es / [n]o )", echo, shown})) << typed;
        EXPECT_FALSE(h.Host.QuestionMode);
        EXPECT_EQ(h.Engine().PendingInputLine(), -1);
    }
}

TEST(YesNoCommand, MissingLabelHaltsAndJumpIntoAnotherSceneRebuildsThePatterns)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*YESNO 行く？ nowhere no\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), Lines{"Error! ( main.tgs : line 2 ) ラベルnowhereが発見できませんでした"});
    EXPECT_TRUE(h.Engine().Halted());

    TEngineHarness g;
    g.Run("*SCENE a\n*YESNO 行く？ b a\n*END\n>look\nlook a\n*END\n*SCENEEND\n"
          "*SCENE b\nin b\n*END\n>look\nlook b\n*END\n*SCENEEND\n");
    EXPECT_EQ(g.Log(), Lines{"in b"});
    Type(g, "look");
    EXPECT_EQ(g.LastLog(), "look b");
}

TEST(InputCommand, BackgroundQuestionUsesTheDialogAndLeavesTheMainAnswerAlone)
{
    TEngineHarness h;
    h.Host.InputAnswers = {"5"};
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 100\n*INPUT 主 F(1) 0 1\nmain {F(1)} {F(2)}\n*END\n"
                            "*LABEL bg\n*INPUT 裏 F(2) 0 1\n*BGSTOP\n*END\n*SCENEEND\n");
    const int pending = engine.PendingInputLine();
    ASSERT_NE(pending, -1);
    h.Advance(200);
    EXPECT_EQ(h.Host.Prompts, Lines{Sj("裏")});
    EXPECT_EQ(h.Flag(2), 5);
    EXPECT_EQ(engine.PendingInputLine(), pending);
    EXPECT_TRUE(h.Host.QuestionMode);

    Type(h, "9");
    EXPECT_EQ(h.Log(), (Lines{"主", "? 9", "main 9 5"}));
    EXPECT_TRUE(h.Errors().empty());
}

TEST(InputSettings, KeysMatchingBarAndFonts)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n"
                            "*SETKEY 'F5' 'look\\n'\n*SETKEY a 'b'\n*SETKEY a ''\n"
                            "*ISMATCH 'Hello' 'ELL' F(1)\n*ISMATCH 'ab' '' F(2)\n*ISMATCH '全　角' '@' F(3)\n"
                            "*ISMATCH 'テスト' 'スト' F(4)\n"
                            "*FHEIGHTRATE 150\n"
                            "*FUNCTEXT 0 one\n*FUNCTEXT 20 twenty\n*FUNCTEXT 26 over\n*FUNCDISP 1 20\n"
                            "*INPUTSIZE 2\n*INPUTSIZE -1 5\n"
                            "*SETKEY XX 'a'\n*SCENEEND\n");
    EXPECT_EQ(h.Engine().GameState().KeyMacros().GetText(VK_F1 + 4), "look\\n");
    EXPECT_EQ(h.Engine().GameState().KeyMacros().GetText(static_cast<uint16_t>(CharKeyFlag + 'a')), "");
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Flag(2), 0);
    EXPECT_EQ(h.Flag(3), 0);
    EXPECT_EQ(h.Flag(4), 1);
    EXPECT_FLOAT_EQ(engine.Msg()->LineRate(), 1.5f);
    EXPECT_EQ(h.Host.KeyLabels[0], "one");
    EXPECT_EQ(h.Host.KeyLabels[19], "twenty");
    EXPECT_EQ(engine.FuncKeyCount(), 20);
    EXPECT_TRUE(engine.FuncBarShown());
    // 18 pt moved the command lines up 9 pixels, 9 pt down again.
    EXPECT_EQ(h.Host.InputFontSize, 9);
    EXPECT_EQ(h.Host.InputGrowth, 0);
    EXPECT_EQ(h.Host.LogFontSize, 18);
    EXPECT_EQ(h.Log(), (Lines{"Warning ! :ファンクションキーは25番までです - *FUNCTEXT 26 over",
                           "Error! ( main.tgs : line 16 ) キー'XX'は定義できません。"}));
}
