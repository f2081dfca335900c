// Jumps, subroutines, conditional blocks, the background commands' label
// errors, event labels and the old-style variable terms.

#include <gtest/gtest.h>

#include "base/sjis.h"
#include "engine/script/script_error.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace {

// A block with nesting whose path depends on F(1) and F(2); each branch
// writes its name.
const char* const NestedBlocks = "*SCENE s\n"
                                 "*IF F(1)=1\n"
                                 "a\n"
                                 "*IF F(2)=1\n"
                                 "a1\n"
                                 "*ELSE\n"
                                 "a2\n"
                                 "*ENDIF\n"
                                 "*ELIF F(1)=2\n"
                                 "b\n"
                                 "*IF F(2)=1 skip\n"
                                 "*IF F(2)=2\n"
                                 "b2\n"
                                 "*ENDIF\n"
                                 "*ELIF F(1)=3\n"
                                 "c\n"
                                 "*ELSE\n"
                                 "d\n"
                                 "*ENDIF\n"
                                 "end\n"
                                 "*SCENEEND\n"
                                 "*LABEL skip\n"
                                 "skipped\n"
                                 "*SCENEEND\n";

std::vector<std::string> RunBlocks(int f1, int f2)
{
    TEngineHarness h;
    h.WriteScript("main.tgs", NestedBlocks);
    TEngine& engine = h.Open("main.tgs");
    engine.EvaluateExpr("F(1)=" + std::to_string(f1));
    engine.EvaluateExpr("F(2)=" + std::to_string(f2));
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    return h.Log();
}

using Lines = std::vector<std::string>;

} // namespace

TEST(IfBlocks, TakeExactlyOneBranchAtEveryLevel)
{
    const std::vector<std::tuple<int, int, Lines>> cases = {
        {1, 1, {"a", "a1", "end"}},
        {1, 0, {"a", "a2", "end"}},
        {2, 0, {"b", "end"}},
        {2, 1, {"b", "skipped"}},
        {2, 2, {"b", "b2", "end"}},
        {3, 1, {"c", "end"}},
        {0, 1, {"d", "end"}},
        {7, 2, {"d", "end"}},
    };
    for (const auto& [f1, f2, expected] : cases)
        EXPECT_EQ(RunBlocks(f1, f2), expected) << "F(1)=" << f1 << " F(2)=" << f2;
}

TEST(IfBlocks, OnlyTheTextOneIsTrue)
{
    for (const char* condition : {"'01'", "2", "-1", "'1 '", "'x'"}) {
        TEngineHarness h;
        h.Run(std::string("*SCENE s\n*IF ") + condition + "\nyes\n*ENDIF\nend\n*SCENEEND\n");
        EXPECT_EQ(h.Log(), Lines{"end"}) << condition;
    }
    TEngineHarness h;
    h.Run("*SCENE s\n*IF '1'\nyes\n*ENDIF\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), Lines{"yes"});
}

TEST(IfBlocks, ConditionWithBlanksIsTheBlockFormOfItsFirstWord)
{
    // Four tokens: the block form, and the condition is "F(1)" alone.
    TEngineHarness h;
    h.Run("*SCENE s\n*F(1)=2\n*IF F(1) == 2\ninside\n*ENDIF\nafter\n*SCENEEND\n*LABEL 2\nnever\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), Lines{"after"});
}

TEST(IfBlocks, JumpFormJumpsOnlyWhenTrue)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*IF F(1)=0 there\nnot here\n*SCENEEND\n*SCENE t\n*LABEL there\nhere\n*IF F(1)=1 nowhere\n"
          "still\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), (Lines{"here", "still"}));
    EXPECT_TRUE(h.Errors().empty());
}

TEST(IfBlocks, ConversionCanBeSwitchedOff)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n");
    TEngineProbe(engine).IfMode() = false;
    // Without the conversion "F(1)=5" is an assignment, whose value 5 is not "1".
    h.WriteScript("main.tgs", "*SCENE s\n*IF F(1)=5\nyes\n*ENDIF\n{F(1)}\n*SCENEEND\n");
    engine.OpenScenario(h.Dir() + "main.tgs");
    h.Settle();
    EXPECT_EQ(h.Log(), Lines{"5"});
}

TEST(IfBlocks, MissingEndIsReportedWithTheIfLine)
{
    TEngineHarness h;
    h.Run("*SCENE s\nx\n*IF F(1)=1\ninside\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), Lines{"Error! ( main.tgs : line 3 ) ELSE、ELIF、ENDIFがありません(IF : 3)"});
}

TEST(IfBlocks, FalseBlockAtTheEndOfTheScriptEndsTheRun)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*IF F(1)=1\ninside");
    EXPECT_TRUE(h.Log().empty());
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(Goto, JumpsToLabelsAndScenes)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*GOTO 't{1+1}'\n*SCENEEND\n*SCENE t2\n*GOTO mid\n*LABEL mid\nmid\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), Lines{"mid"});
    EXPECT_EQ(engine.Scene(), 4);
}

TEST(Goto, MissingLabelIsAnError)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*GOTO nowhere\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), Lines{"Error! ( main.tgs : line 2 ) ラベルnowhereが発見できませんでした"});
}

TEST(Gosub, ReturnsAcrossScenesToTheCallersScene)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nbefore\n*GOSUB sub\nafter\n*SCENEEND\n"
                            "*SCENE other\n*LABEL sub\nin sub\n*GOSUB deeper\nsub again\n*END\n"
                            "*SCENE third\n*LABEL deeper\ndeepest\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), (Lines{"before", "in sub", "deepest", "sub again", "after"}));
    EXPECT_EQ(engine.Scene(), 1);
    EXPECT_TRUE(engine.MainContext().Stack.Empty());
}

TEST(Gosub, SceneChangedInsideTheSubroutineComesBack)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*GOSUB sub\nafter\n*SCENEEND\n"
                            "*SCENE other\n*LABEL sub\n*GOTO far\n*SCENEEND\n"
                            "*SCENE far\nfar\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), (Lines{"far", "after"}));
    EXPECT_EQ(engine.Scene(), 1);
}

TEST(Assignment, AssignsThroughTheEvaluator)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*F(3)=4*5\n*s(2)='x'+'y'\n*f(4)=F(3)+1\n*SCENEEND\n");
    EXPECT_EQ(h.Flag(3), 20);
    EXPECT_EQ(h.Flag(4), 21);
    EXPECT_EQ(h.SVar(2), "xy");
}

TEST(BackgroundCommands, MissingLabelsAreReportedWithoutHalting)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC nolabel 100\n*BGRETURN gone\nafter\n*SCENEEND\n");
    EXPECT_EQ(h.Log(), (Lines{"Error:ラベルnolabelが発見できませんでした", "Error:ラベルgoneが発見できませんでした"}));
    EXPECT_FALSE(engine.Halted());
    EXPECT_FALSE(engine.BgRunning());
    // *BGRETURN ends the run at once, even without its label, and the
    // command line takes a typed command again.
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(engine.InputEnabled());
}

TEST(BackgroundCommands, ReturnFromTheMainScriptWaitsAtTheLabel)
{
    TEngineHarness h;
    TEngine& engine =
        h.Run("*SCENE s\n*BGRETURN there\nnot shown\n*SCENEEND\n*SCENE t\n*LABEL there\nthere\n*SCENEEND\n");
    EXPECT_TRUE(h.Log().empty());
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(engine.InputEnabled());
    EXPECT_EQ(engine.MainContext().Scene, 5);
    // The line before the label's first: the *LABEL line, which runs as nothing.
    EXPECT_EQ(engine.MainContext().Line, 5);
}

TEST(BackgroundCommands, BadIntervalIsAConversionErrorAfterTheLabelIsSet)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 'x'\n*SCENEEND\n*LABEL bg\n*SCENEEND\n");
    EXPECT_EQ(h.Errors(), Lines{"Error! ( main.tgs : line 2 ) 文字列を数字に変換出来ませんでした。"});
    EXPECT_EQ(engine.BgLabelLine(), 4);
    EXPECT_FALSE(engine.BgRunning());
}

TEST(BackgroundCommands, IntervalBelowAMillisecondRunsOnceAMillisecond)
{
    for (const char* interval : {"0", "-5"}) {
        SCOPED_TRACE(interval);
        TEngineHarness h;
        h.Run(std::string("*SCENE s\n*BGEXEC tick ") + interval +
              "\n*SCENEEND\n*SCENE t\n*LABEL tick\n*F(1)=F(1)+1\n*SCENEEND\n");
        // No pass is due again within the same millisecond.
        EXPECT_EQ(h.Tick(10), 0);
        const int32_t before = h.Flag(1);
        h.Advance(100);
        EXPECT_EQ(h.Flag(1) - before, 100);
    }
}

TEST(EventLabels, RunOnTheirOwnStackAndRestoreTheCaller)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n*SCENE e\n*LABEL OnSCALECHANGE\nevent\n*F(1)=F(1)+1\n*GOTO far\n"
                            "*SCENEEND\n*SCENE far\nfar\n*SCENEEND\n");
    {
        TEngineProbe probe(engine);
        probe.Main().Stack.Push(1, 1);
        probe.IfState() = 1;
        probe.Main().Line = 1;
        probe.State() = esWait;
    }
    engine.SetInputEnabled(false);
    engine.CallEventLabel("OnSCALECHANGE");
    EXPECT_EQ(h.Log(), (Lines{"event", "far"}));
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(engine.MainContext().Stack.Count(), 1);
    EXPECT_EQ(engine.Line(), 1);
    EXPECT_EQ(engine.Scene(), 1);
    EXPECT_EQ(engine.IfState(), 1);
    EXPECT_EQ(engine.State(), esWait);
    EXPECT_FALSE(engine.InputEnabled());
    EXPECT_FALSE(engine.InEvent());
    // Names are exact.
    engine.CallEventLabel("onscalechange");
    EXPECT_EQ(h.Flag(1), 1);
}

TEST(EventLabels, DoNotNest)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n*LABEL OnLOADGAME\n*F(1)=F(1)+1\n*SCENEEND\n");
    TEngineProbe(engine).InEvent() = true;
    engine.CallEventLabel("OnLOADGAME");
    EXPECT_EQ(h.Flag(1), 0);
    TEngineProbe(engine).InEvent() = false;
    engine.CallEventLabel("OnLOADGAME");
    EXPECT_EQ(h.Flag(1), 1);
}

TEST(EvalVarTerm, ReadsOldStyleTerms)
{
    TEngineHarness h;
    h.WriteScript("main.tgs", "*SCENE s\n*SCENEEND\n*ITEM\nsword 4\nshield 9\n*ITEMEND\n");
    TEngine& engine = h.Open("main.tgs");
    engine.EvaluateExpr("F(3)=7");
    engine.EvaluateExpr("F(7)=11");
    const std::vector<std::tuple<std::string, bool, int32_t>> cases = {
        {"12)", false, 12},
        {"-3)", false, -3},
        {"F(3)", false, 7},
        {"F(3)", true, 3},
        {"F(F(3))", false, 11},
        {"F(F(3))", true, 7},
        {"I(sword)", false, 4},
        {"I(shield)", true, 1},
        {"I(1)", false, 9},
        {"R(1)", false, 0},
        {"x", false, -1},
        {"f(3)", false, -1},
        {"", false, -1},
    };
    for (const auto& [text, wantIndex, expected] : cases)
        EXPECT_EQ(engine.EvalVarTerm(text, wantIndex), expected) << text;
    const int32_t r = engine.EvalVarTerm("R(6)", false);
    EXPECT_GE(r, 0);
    EXPECT_LT(r, 6);
}

TEST(EvalVarTerm, RejectsBadFlagIndexesAndItems)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n");
    for (const char* term : {"F(16384)", "F(-1)", "F(99999999)"})
        EXPECT_THROW(engine.EvalVarTerm(term, false), EScriptError) << term;
    try {
        engine.EvalVarTerm("I(none)", false);
        FAIL();
    } catch (const EScriptError& e) {
        EXPECT_EQ(sjis::ToUtf8(e.Message()), "アイテムnoneがありません");
    }
}
