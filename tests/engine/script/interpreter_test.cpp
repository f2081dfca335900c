// The command table and the interpreter loop: lookup, stop conditions,
// the two handler groups around a pending inline answer, error reports.

#include <gtest/gtest.h>

#include "base/sjis.h"
#include "engine/script/command_table.h"
#include "engine/script/tideglass_form.h"
#include "support/engine_harness.h"

TEST(CommandTable, EveryNameFindsItsSlotInAnyCase)
{
    int named = 0;
    for (int slot = 0; slot < CommandSlotCount; ++slot) {
        const std::string name(CommandNames[static_cast<size_t>(slot)]);
        if (name.empty())
            continue;
        ++named;
        EXPECT_EQ(LookupCommand(name), slot) << name;
        EXPECT_EQ(LookupCommand(name + " arg 'x y'"), slot) << name;
        EXPECT_EQ(LookupCommand(sjis::LowerCase(name) + " x"), slot) << name;
    }
    EXPECT_EQ(named, 81);
}

TEST(CommandTable, SpecialSlots)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {">look", cmPattern},      {"> look", cmPattern},     {"*F(1)=2", cmAssign},
        {"*f(1)=2", cmAssign},     {"*i(sword)=1", cmAssign}, {"*S(2)='a'", cmAssign},
        {"*F (1)=2", cmNone},      {"*FLAG", cmNone},         {"*GOTOx", cmNone},
        {"*goto start", cmGoto},   {"*", cmNone},             {"", cmNone},
        {"*KEYWAIT", cmKeyWait},   {"**", cmKeyWaitShort},    {"*!if F(1) a", cmScanIf},
    };
    for (const auto& [line, slot] : cases)
        EXPECT_EQ(LookupCommand(line), slot) << line;
}

TEST(CommandTable, GroupsCoverEveryActingSlotOnce)
{
    for (int slot = 0; slot < CommandSlotCount; ++slot)
        EXPECT_FALSE(IsFirstGroupCommand(slot) && IsSecondGroupCommand(slot)) << slot;
    for (int slot : {cmSetInput, cmGameEnd, cmInputSize, cmIfMode, cmWarnDisp, cmFullScreen, cmTag, cmSubWinTop,
                     cmFuncDisp, cmFHeightRate})
        EXPECT_TRUE(IsSecondGroupCommand(slot)) << slot;
    for (int slot : {cmGoto, cmIf, cmAssign, cmGosub, cmInput, cmYesNo, cmBgExec, cmBgReturn, cmLoad, cmDatOpen})
        EXPECT_TRUE(IsFirstGroupCommand(slot)) << slot;
    for (int slot : {cmNone, cmWait, cmKeyWait, cmKeyWaitShort, cmScene, cmLabel, cmItem, cmItemEnd, cmScanIf})
        EXPECT_FALSE(IsFirstGroupCommand(slot) || IsSecondGroupCommand(slot)) << slot;
}

TEST(Interpreter, SkipsBlankAndCommentLinesAndTrimsCommands)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n   \n\t#x\n   *F(1)=4\n  text  \n*SCENEEND\n");
    EXPECT_EQ(h.Flag(1), 4);
    EXPECT_EQ(h.Log(), std::vector<std::string>{"text"});
    EXPECT_TRUE(form.InputEnabled());
}

TEST(Interpreter, EndsOfBlockStopTheRunWithAnEmptyStack)
{
    for (const char* end : {"*SCENEEND", "*END", ">look", "*end"}) {
        TEngineHarness h;
        TTideglassForm& form = h.Run(std::string("*SCENE s\nbefore\n") + end + "\nafter\n");
        EXPECT_EQ(h.Log(), std::vector<std::string>{"before"}) << end;
        EXPECT_EQ(h.State(), esCommandWait) << end;
        EXPECT_EQ(form.FLine, 2) << end;
        EXPECT_TRUE(form.InputEnabled()) << end;
    }
}

TEST(Interpreter, EndOfScriptEndsTheRun)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nlast");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"last"});
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(form.FLine, 2);
    EXPECT_TRUE(form.InputEnabled());
}

TEST(Interpreter, UnknownCommandIsAnErrorAtItsLine)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nok\n*BOGUS 1\nnot reached\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( main.tgs : line 3 ) 未定義の命令です - *BOGUS 1"});
    EXPECT_TRUE(form.FHalted);
    EXPECT_EQ(form.FLine, 2);
    EXPECT_FALSE(form.InputEnabled());
}

TEST(Interpreter, CommandsOfLaterFamiliesSayTheyAreNotAvailable)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*PICTURE 'a.png'\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(),
              std::vector<std::string>{"Error! ( main.tgs : line 2 ) この命令はまだ使えません - *PICTURE 'a.png'"});
}

TEST(Interpreter, ClsEmptiesTheLogAndTheBacklog)
{
    TEngineHarness h;
    h.Run("*SCENE s\nbefore\n*cls\nafter\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"after"});
    EXPECT_EQ(h.Backlog(), std::vector<std::string>{"after"});
}

TEST(Interpreter, ConversionErrorHasItsOwnText)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*WAIT 'abc'\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(),
              std::vector<std::string>{"Error! ( main.tgs : line 2 ) 文字列を数字に変換出来ませんでした。"});
}

TEST(Interpreter, WarningsFollowTheWarningLevel)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*F(hp)=3\n*F(hp)=4\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"Warning ! :変数F(hp)が初めて使われました。"});
    EXPECT_EQ(h.Flag(8192), 4);
    form.FWarningLevel = 0;
    form.ShowWarning(Sj("x"));
    EXPECT_EQ(h.Log().size(), 1u);
}

TEST(Interpreter, MessageLinesAreExpanded)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*S(1)='太郎'\n{S(1)}は[鍵]を{1+1}本持つ\nボマ{F(0)}\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"太郎は鍵を2本持つ", "ボマ0"}));
}

TEST(Interpreter, EvaluationErrorInAMessageLineHalts)
{
    TEngineHarness h;
    h.Run("*SCENE s\n値{1/0}\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( main.tgs : line 2 ) 0で割ることは出来ません"});
}

TEST(Interpreter, PendingAnswerStopsAfterFirstGroupCommandsOnly)
{
    // The run starts with an answer awaited (as after an inline question).
    struct TCase {
        const char* line;
        bool handlerRan;
    };
    const std::vector<TCase> cases = {
        {"*F(1)=1", true},       // first group: runs, then the run stops
        {"*GOTO there", true},   // first group
        {"*GAMEEND", false},     // second group: does not run
        {"*WAIT 5", false},      // stops before the wait
        {"*BOGUS", false},       // stops before the error
    };
    for (const TCase& c : cases) {
        TEngineHarness h;
        TTideglassForm& form = h.Run(std::string("*SCENE s\n*SCENEEND\n*SCENE t\n") + c.line +
                                     "\nnext\n*SCENEEND\n*LABEL there\n*F(1)=1\n*SCENEEND\n");
        form.FPendingInputLine = 3;
        form.FLine = form.FMainLine = 3;
        form.FState = esRun;
        h.Tick();
        EXPECT_EQ(h.Flag(1) == 1 || h.State() == esGameEnd || form.FLine != 3, c.handlerRan) << c.line;
        EXPECT_TRUE(h.Errors().empty()) << c.line;
        EXPECT_TRUE(h.Log().empty()) << c.line;
        EXPECT_EQ(h.State(), esCommandWait) << c.line;
        EXPECT_TRUE(form.InputEnabled()) << c.line;
    }
}

TEST(Interpreter, PendingAnswerInsideASubroutineKeepsItsReturnPoint)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*GOSUB sub\nback\n*SCENEEND\n*SCENE t\n*LABEL sub\n*F(1)=1\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"back"});
    // Once more, with an answer awaited from the subroutine's first line.
    form.FPendingInputLine = 6;
    form.FMainStack->Push(1, 2);
    form.FLine = form.FMainLine = 6;
    form.FState = esRun;
    h.Tick();
    EXPECT_EQ(form.FMainStack->Count(), 1);
    EXPECT_EQ(form.FMainLine, 6);
    EXPECT_EQ(h.Log().size(), 1u);
}

TEST(Interpreter, LongLoopsGiveTheEventLoopATurn)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*LABEL top\n*F(1)=F(1)+1\n*IF F(1)<60000 top\ndone\n*SCENEEND\n", 1);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_GT(h.Flag(1), 0);
    EXPECT_LT(h.Flag(1), 60000);
    EXPECT_FALSE(form.InputEnabled());
    h.Settle(20);
    EXPECT_EQ(h.Flag(1), 60000);
    EXPECT_EQ(h.Log(), std::vector<std::string>{"done"});
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(Interpreter, RunawayRecursionIsAnError)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*LABEL again\n*GOSUB again\n*SCENEEND\n", 20);
    ASSERT_EQ(h.Errors().size(), 1u);
    EXPECT_NE(h.Errors()[0].find("GOSUB"), std::string::npos);
}

TEST(Interpreter, LongRunsAlsoYieldWhenTheirTimeIsSpent)
{
    // A clock that moves one millisecond each time it is read.
    struct TSteppingClock : TClockSource {
        uint32_t Now = 5000;
        uint32_t NowMs() override { return Now++; }
    } clock;
    TEngineHarness h;
    h.WriteScript("main.tgs", "*SCENE s\n*LABEL top\n*F(1)=F(1)+1\n*IF F(1)<20000 top\n*SCENEEND\n");
    h.Open("main.tgs");
    SetClockSource(&clock);
    h.Tick();
    SetClockSource(&h.Clock);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_GT(h.Flag(1), 0);
    EXPECT_LT(h.Flag(1), 20000);
    h.Settle(20);
    EXPECT_EQ(h.Flag(1), 20000);
}
