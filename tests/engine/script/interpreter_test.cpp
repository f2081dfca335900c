// The command table and the interpreter loop: lookup, stop conditions,
// the two handler groups around a pending inline answer, error reports.

#include <gtest/gtest.h>

#include "base/sjis.h"
#include "engine/script/command_table.h"
#include "engine/script/engine.h"
#include "support/engine_probe.h"
#include "support/engine_harness.h"

TEST(CommandTable, EveryNameFindsItsSlotInAnyCase)
{
    int named = 0;
    for (int slot = 0; slot < CommandSlotCount; ++slot) {
        const TCommandRow& row = CommandRow(slot);
        EXPECT_EQ(row.Slot, slot);
        const std::string name(row.Name);
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
        {">look", cmPattern},
        {"> look", cmPattern},
        {"*F(1)=2", cmAssign},
        {"*f(1)=2", cmAssign},
        {"*i(sword)=1", cmAssign},
        {"*S(2)='a'", cmAssign},
        {"*F (1)=2", cmNone},
        {"*FLAG", cmNone},
        {"*GOTOx", cmNone},
        {"*goto start", cmGoto},
        {"*", cmNone},
        {"", cmNone},
        {"*KEYWAIT", cmKeyWait},
        {"**", cmKeyWaitShort},
        {"*!IF F(1) a", cmScanIf},
    };
    for (const auto& [line, slot] : cases)
        EXPECT_EQ(LookupCommand(line), slot) << line;
}

TEST(CommandTable, GroupsSayWhenEachHandlerRuns)
{
    using enum TCommandGroup;
    const std::vector<std::pair<TCommandGroup, std::vector<int>>> cases = {
        {cgSecond, {cmNone, cmSetInput, cmGameEnd, cmInputSize, cmIfMode, cmWarnDisp, cmFullScreen, cmTag, cmSubWinTop,
                       cmFuncDisp, cmFHeightRate}},
        {cgFirst, {cmGoto, cmIf, cmAssign, cmGosub, cmInput, cmYesNo, cmBgExec, cmBgReturn, cmLoad, cmDatOpen}},
        {cgStop, {cmWait, cmKeyWait, cmKeyWaitShort}},
        {cgEndBlock, {cmSceneEnd, cmEnd, cmPattern}},
        {cgPassive, {cmScene, cmLabel, cmItem, cmItemEnd, cmScanIf}},
    };
    for (const auto& [group, slots] : cases)
        for (int slot : slots)
            EXPECT_EQ(CommandRow(slot).Group, group) << slot;
    for (int slot = 0; slot < CommandSlotCount; ++slot) {
        const TCommandRow& row = CommandRow(slot);
        const bool acts = row.Group != cgEndBlock && row.Group != cgPassive;
        EXPECT_EQ(row.Handler != nullptr, acts) << slot;
    }
}

TEST(Interpreter, SkipsBlankAndCommentLinesAndTrimsCommands)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n   \n\t#x\n   *F(1)=4\n  text  \n*SCENEEND\n");
    EXPECT_EQ(h.Flag(1), 4);
    EXPECT_EQ(h.Log(), std::vector<std::string>{"text"});
    EXPECT_TRUE(engine.InputEnabled());
}

TEST(Interpreter, EndsOfBlockStopTheRunWithAnEmptyStack)
{
    for (const char* end : {"*SCENEEND", "*END", ">look", "*end"}) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\nbefore\n") + end + "\nafter\n");
        EXPECT_EQ(h.Log(), std::vector<std::string>{"before"}) << end;
        EXPECT_EQ(h.State(), esCommandWait) << end;
        EXPECT_EQ(engine.Line(), 2) << end;
        EXPECT_TRUE(engine.InputEnabled()) << end;
    }
}

TEST(Interpreter, EndOfScriptEndsTheRun)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nlast");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"last"});
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(engine.Line(), 2);
    EXPECT_TRUE(engine.InputEnabled());
}

TEST(Interpreter, UnknownCommandIsAnErrorAtItsLine)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nok\n*BOGUS 1\nnot reached\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), std::vector<std::string>{"Error! ( main.tgs : line 3 ) 未定義の命令です - *BOGUS 1"});
    EXPECT_TRUE(engine.Halted());
    EXPECT_EQ(engine.Line(), 2);
    EXPECT_FALSE(engine.InputEnabled());
}

TEST(Interpreter, ClsEmptiesTheLogAndTheBacklog)
{
    TEngineHarness h;
    h.Run("*SCENE s\nbefore\n*cls\nafter\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"after"});
    EXPECT_EQ(h.Backlog(), std::vector<std::string>{"after"});
}

TEST(Interpreter, LongMessageLineIsShownWhole)
{
    // One line of 4000 brace pairs and bracketed words, a comment after it.
    std::string line;
    std::string shown;
    for (int i = 1; i <= 4000; ++i) {
        const std::string word = "w" + std::to_string(i % 7);
        line += "{F(1)=F(1)+1}[" + word + "] ";
        shown += std::to_string(i) + word + " ";
    }
    shown.pop_back();
    TEngineHarness h;
    h.Run("*SCENE s\n" + line + "# note\n*SCENEEND\n");
    EXPECT_EQ(h.Flag(1), 4000);
    EXPECT_EQ(h.Log(), std::vector<std::string>{shown});
    std::string rows;
    for (const std::string& row : h.Backlog())
        rows += row;
    EXPECT_EQ(rows, shown);
    EXPECT_EQ(h.Engine().GameState().Keywords(), (std::vector<std::string>{"w1", "w2", "w3", "w4", "w5", "w6", "w0"}));
}

TEST(Interpreter, ConversionErrorHasItsOwnText)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*WAIT 'abc'\n*SCENEEND\n");
    EXPECT_EQ(
        h.Errors(), std::vector<std::string>{"Error! ( main.tgs : line 2 ) 文字列を数字に変換出来ませんでした。"});
}

TEST(Interpreter, WarningsFollowTheWarningLevel)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*F(hp)=3\n*F(hp)=4\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"Warning ! :変数F(hp)が初めて使われました。"});
    EXPECT_EQ(h.Flag(8192), 4);
    TEngineProbe(engine).WarningLevel() = 0;
    engine.ShowWarning(Sj("x"));
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
        {"*F(1)=1", true},     // first group: runs, then the run stops
        {"*GOTO there", true}, // first group
        {"*GAMEEND", false},   // second group: does not run
        {"*WAIT 5", false},    // stops before the wait
        {"*BOGUS", false},     // stops before the error
    };
    for (const TCase& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*SCENEEND\n*SCENE t\n") + c.line +
                                "\nnext\n*SCENEEND\n*LABEL there\n*F(1)=1\n*SCENEEND\n");
        {
            TEngineProbe probe(engine);
            probe.PendingInputLine() = 3;
            probe.Main().Line = 3;
            probe.State() = esRun;
        }
        h.Tick();
        EXPECT_EQ(h.Flag(1) == 1 || h.State() == esGameEnd || engine.Line() != 3, c.handlerRan) << c.line;
        EXPECT_TRUE(h.Errors().empty()) << c.line;
        EXPECT_TRUE(h.Log().empty()) << c.line;
        EXPECT_EQ(h.State(), esCommandWait) << c.line;
        EXPECT_TRUE(engine.InputEnabled()) << c.line;
    }
}

TEST(Interpreter, PendingAnswerInsideASubroutineKeepsItsReturnPoint)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*GOSUB sub\nback\n*SCENEEND\n*SCENE t\n*LABEL sub\n*F(1)=1\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), std::vector<std::string>{"back"});
    // Once more, with an answer awaited from the subroutine's first line.
    {
        TEngineProbe probe(engine);
        probe.PendingInputLine() = 6;
        probe.Main().Stack.Push(1, 2);
        probe.Main().Line = 6;
        probe.State() = esRun;
    }
    h.Tick();
    EXPECT_EQ(engine.MainContext().Stack.Count(), 1);
    EXPECT_EQ(engine.MainContext().Line, 6);
    EXPECT_EQ(h.Log().size(), 1u);
}

TEST(Interpreter, LongLoopsGiveTheEventLoopATurn)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*LABEL top\n*F(1)=F(1)+1\n*IF F(1)<60000 top\ndone\n*SCENEEND\n", 1);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_GT(h.Flag(1), 0);
    EXPECT_LT(h.Flag(1), 60000);
    EXPECT_FALSE(engine.InputEnabled());
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
