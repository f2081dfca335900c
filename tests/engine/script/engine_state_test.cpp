// The engine state byte and the tick: start-up, waits, the background
// interval, due marks, the halt and open requests from other programs.

#include <gtest/gtest.h>

#include "classlib/virtual_keys.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "graphics/layers.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

TEST(StartUp, WithoutDataFileStaysIdleAndRegistersTheAssociation)
{
    TEngineHarness h;
    TEngine& engine = h.Start();
    EXPECT_EQ(h.State(), esStartUp);
    h.Tick();
    EXPECT_EQ(h.State(), esIdle);
    EXPECT_TRUE(h.Host.MenuVisible(TMenuItem::F1));
    EXPECT_FALSE(engine.PlayerMode());
    EXPECT_EQ(h.Host.Registered, 1);
    EXPECT_TRUE(h.Host.Boxes.empty());
}

TEST(StartUp, DataFileRunsInPlayerModeAtTheStoredScale)
{
    TEngineHarness h;
    h.WriteScript("data.tgs", "*SCENE start\nようこそ\n*SCENEEND\n");
    TEngineSettings settings;
    settings.Scale = 1.5f;
    TEngine& engine = h.Start("", settings);
    h.Tick();
    EXPECT_TRUE(engine.PlayerMode());
    for (TMenuItem item : {TMenuItem::F1, TMenuItem::Help1, TMenuItem::Edit1, TMenuItem::TIDEGLASSC1})
        EXPECT_FALSE(h.Host.MenuVisible(item));
    EXPECT_TRUE(h.Host.AssociationHidden);
    // round(230 x 1.5) = 345, round(176 x 1.5) = 264.
    EXPECT_EQ(h.Host.Width, 345);
    EXPECT_EQ(h.Host.Height, 264);
    EXPECT_EQ(engine.ScreenWidth(), 345);
    EXPECT_EQ(engine.ScreenHeight(), 264);
    EXPECT_FALSE(h.Host.MenuChecked(TMenuItem::N3));
    EXPECT_FALSE(h.Host.MenuChecked(TMenuItem::D1));
    EXPECT_EQ(h.Host.Registered, 0);
    h.Settle();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"ようこそ"});
}

TEST(StartUp, DataFileNameIsFoundWhateverItsCase)
{
    TEngineHarness h;
    h.WriteScript("DATA.TGS", "*SCENE start\nok\n*SCENEEND\n");
    h.Start();
    h.Tick();
    EXPECT_TRUE(h.Engine().PlayerMode());
    h.Settle();
    EXPECT_EQ(h.LastLog(), "ok");
}

TEST(StartUp, CommandLineFileOpensWithoutPlayerMode)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE start\nhello\n*SCENEEND\n");
    TEngine& engine = h.Open("game.tgs");
    EXPECT_EQ(h.State(), esRun);
    h.Settle();
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_FALSE(engine.PlayerMode());
    EXPECT_TRUE(h.Host.MenuVisible(TMenuItem::F1));
    EXPECT_TRUE(engine.InputEnabled());
}

TEST(StartUp, MissingCommandLineFileIsReportedAndLeavesTheEngineIdle)
{
    TEngineHarness h;
    h.Start(h.Dir() + "missing.tgs");
    h.Tick();
    EXPECT_EQ(h.State(), esIdle);
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_NE(h.Host.Boxes[0].Text.find("missing.tgs\"が開けません"), std::string::npos);
    EXPECT_TRUE(h.Host.Boxes[0].Halted);
    EXPECT_FALSE(h.Engine().Halted());
}

TEST(WaitCommand, TakesExactlyItsStepsOfATenthOfASecond)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*WAIT 3\nafter\n*SCENEEND\n");
    EXPECT_EQ(h.State(), esWait);
    EXPECT_FALSE(h.Engine().InputEnabled());
    h.Advance(299);
    EXPECT_EQ(h.State(), esWait);
    EXPECT_TRUE(h.Log().empty());
    // The script goes on in the tick in which the count reaches 0.
    h.Advance(1);
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(h.Log(), std::vector<std::string>{"after"});
}

TEST(WaitCommand, NoStepsOrFewerLastOneStep)
{
    for (const char* steps : {"0", "-5"}) {
        TEngineHarness h;
        h.Run(std::string("*SCENE s\n*WAIT ") + steps + "\nafter\n*SCENEEND\n");
        EXPECT_EQ(h.State(), esWait) << steps;
        h.Advance(99);
        EXPECT_EQ(h.State(), esWait) << steps;
        h.Advance(1);
        EXPECT_EQ(h.LastLog(), "after") << steps;
    }
}

TEST(KeyWait, WaitsForSpaceOrEnterThenGoesOn)
{
    for (const char* command : {"*KEYWAIT", "**"}) {
        for (uint16_t endKey : {VK_SPACE, VK_RETURN}) {
            TEngineHarness h;
            TEngine& engine = h.Run(std::string("*SCENE s\nbefore\n") + command + "\nafter\n*SCENEEND\n");
            EXPECT_EQ(h.State(), esKeyWait) << command;
            EXPECT_EQ(h.Host.InputText, "HIT SPACE KEY!");
            EXPECT_TRUE(engine.Grp()->WaitOn());
            h.Tick();
            EXPECT_FALSE(engine.InputEnabled());
            uint16_t key = 'A';
            engine.FormKeyDown(key, {});
            EXPECT_EQ(h.State(), esKeyWait);
            key = endKey;
            engine.FormKeyDown(key, {});
            EXPECT_EQ(h.State(), esRun);
            EXPECT_FALSE(engine.Grp()->WaitOn());
            h.Settle();
            EXPECT_EQ(h.Log(), (std::vector<std::string>{"before", "after"})) << command;
            EXPECT_TRUE(h.Host.InputText.empty());
        }
    }
}

TEST(GameEnd, DisablesTheCommandLineForGood)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*GAMEEND\nstill runs\n*SCENEEND\n");
    EXPECT_EQ(h.State(), esGameEnd);
    EXPECT_EQ(h.LastLog(), "still runs");
    // The run ends as any run does; the next tick takes the command line away.
    h.Tick();
    EXPECT_FALSE(engine.InputEnabled());
    EXPECT_FALSE(engine.IsGameRunning());
}

namespace {

// A main script that waits for a typed command while a background script
// counts its runs in F(1).
const char* const CountingBackground = "*SCENE s\n"
                                       "*BGEXEC bg 1000\n"
                                       "*SCENEEND\n"
                                       "*SCENE bgscene\n"
                                       "*LABEL bg\n"
                                       "*F(1)=F(1)+1\n"
                                       "*SCENEEND\n";

} // namespace

TEST(Background, RunsOncePerIntervalWhileTheMainScriptWaits)
{
    TEngineHarness h;
    h.Run(CountingBackground);
    EXPECT_EQ(h.State(), esCommandWait);
    h.Advance(999);
    EXPECT_EQ(h.Flag(1), 0);
    h.Advance(1);
    EXPECT_EQ(h.Flag(1), 1);
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 2);
    EXPECT_EQ(h.State(), esCommandWait);
    // The main context is current again between runs.
    EXPECT_FALSE(h.Engine().Background());
    EXPECT_EQ(h.Engine().Line(), h.Engine().MainContext().Line);
}

TEST(Background, WaitResumesAfterItsStepsAndOneMoreInterval)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
          "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*WAIT 3\n*F(2)=F(2)+1\n*SCENEEND\n");
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Engine().BgWaitCount(), 3);
    // Three steps of 100 ms, then one full interval of 1000 ms.
    h.Advance(1299);
    EXPECT_EQ(h.Flag(2), 0);
    h.Advance(1);
    EXPECT_EQ(h.Flag(2), 1);
    // The end of the block puts the script back at its label.
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 2);
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(Background, DueMarkIsDroppedOutsideTheWaitingStates)
{
    // The run state is left out: a main script that the background's hold on
    // the sub window keeps back waits as in the waiting states.
    for (TEngineState state : {esGameEnd, esOpenThenIdle, esOpenThenBack, esStartUp, esOpenDialog}) {
        TEngineHarness h;
        TEngine& engine = h.Run(CountingBackground);
        h.Advance(999);
        {
            TEngineProbe probe(engine);
            probe.State() = state;
            probe.OpenFileName() = h.Dir() + "missing.tgs";
        }
        h.Advance(1);
        EXPECT_EQ(h.Flag(1), 0) << int(state);
        // The mark lived for that one tick only.
        {
            TEngineProbe probe(engine);
            probe.State() = esCommandWait;
            probe.Halted() = false;
        }
        EXPECT_EQ(h.Tick(), 0) << "nothing is due";
        EXPECT_EQ(h.Flag(1), 0) << int(state);
        h.Advance(1000);
        EXPECT_EQ(h.Flag(1), 1) << int(state);
    }
}

TEST(Background, RunsDuringAWaitAndAKeyWait)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*BGEXEC bg 500\n*WAIT 20\n**\n*SCENEEND\n*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*SCENEEND\n");
    EXPECT_EQ(h.State(), esWait);
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 2);
    h.Advance(1000);
    EXPECT_EQ(h.State(), esKeyWait);
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 6);
}

TEST(Background, KeyWaitPausesTheBackgroundOnly)
{
    for (const char* wait : {"**", "*KEYWAIT"}) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*BGEXEC bg 1000\n>look\nlooked\n*END\n*SCENEEND\n"
                                            "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n") +
                                wait + "\n*F(2)=F(2)+1\n*SCENEEND\n");
        h.Host.InputText = "lo";
        h.Advance(1000);
        EXPECT_EQ(h.Flag(1), 1) << wait;
        EXPECT_EQ(h.State(), esCommandWait) << wait;
        EXPECT_EQ(h.Host.InputText, "lo") << wait << ": the player's half-typed command stays";
        EXPECT_TRUE(h.Host.InputOn) << wait;
        EXPECT_FALSE(engine.Grp()->WaitLayer()->Visible()) << wait;
        // The next run goes on after the key wait, with no key pressed.
        h.Advance(1000);
        EXPECT_EQ(h.Flag(2), 1) << wait;
        engine.SubmitCommand("look");
        h.Settle();
        EXPECT_EQ(h.LastLog(), "looked") << wait;
    }
}

TEST(Background, StopEndsARunAlreadyDue)
{
    // The background interval and the main *WAIT end in the same tick: the
    // run that was due then must not follow the *BGSTOP.
    TEngineHarness h;
    h.Run("*SCENE s\n*BGEXEC bg 100\n*WAIT 10\n*BGSTOP\n*F(2)=F(1)\n*SCENEEND\n"
          "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*SCENEEND\n");
    h.Advance(1000);
    h.Settle();
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_GT(h.Flag(2), 0);
    EXPECT_EQ(h.Flag(1), h.Flag(2));
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), h.Flag(2));
}

TEST(Background, ReturnLeavesTheRunStateAndRunsTheMainScriptFromTheLabel)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
                            "*SCENE b\n*LABEL bg\n*BGRETURN back\n*SCENEEND\n"
                            "*SCENE other\n*LABEL back\nreturned\n*SCENEEND\n");
    h.Advance(1000);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_FALSE(engine.BgRunning());
    EXPECT_TRUE(h.Log().empty());
    h.Tick();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"returned"});
    EXPECT_EQ(h.State(), esCommandWait);
    // The main script's scene is that of the label.
    EXPECT_EQ(engine.MainContext().Scene, engine.Labels().Find("other")->Line);
}

TEST(Background, ReturnClearsTheMainStackWhenAsked)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
                            "*SCENE b\n*LABEL bg\n*BGRETURN back 1\n*SCENEEND\n"
                            "*SCENE other\n*LABEL back\nreturned\n*SCENEEND\n");
    TEngineProbe(engine).Main().Stack.Push(0, 1);
    h.Advance(1000);
    EXPECT_TRUE(engine.MainContext().Stack.Empty());
}

TEST(Halted, NothingAdvancesButTheBackgroundInterval)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 1000\n*WAIT 5\nafter\n*SCENEEND\n"
                            "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*SCENEEND\n");
    TEngineProbe(engine).Halted() = true;
    const uint32_t lastBgTick = engine.BgTickLast();
    h.Advance(3000);
    EXPECT_EQ(h.State(), esWait);
    EXPECT_EQ(engine.WaitCount(), 5);
    EXPECT_EQ(h.Flag(1), 0);
    EXPECT_NE(engine.BgTickLast(), lastBgTick);
    EXPECT_FALSE(engine.BgDue());
}

TEST(Halted, AnErrorHaltsUntilTheNextOpen)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*F(1)=1/0\nnot shown\n*SCENEEND\n");
    EXPECT_TRUE(engine.Halted());
    ASSERT_EQ(h.Errors().size(), 1u);
    EXPECT_EQ(h.Errors()[0], "Error! ( main.tgs : line 2 ) 0で割ることは出来ません");
    EXPECT_EQ(engine.Line(), 1);
    h.Advance(1000);
    EXPECT_EQ(h.Log().size(), 1u);
    // The open confirms (a game counts as running) and starts afresh.
    h.WriteScript("next.tgs", "*SCENE s\nnext game\n*SCENEEND\n");
    EXPECT_TRUE(engine.OpenScenario(h.Dir() + "next.tgs"));
    EXPECT_FALSE(engine.Halted());
    h.Settle();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"next game"});
}

TEST(CopyData, OpensTheFileAndReturnsToTheStateBefore)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    TEngineProbe(engine).State() = esGameEnd;
    h.WriteScript("other.tgs", "*SCENE s\nsecond\n*SCENEEND\n");
    engine.WMCopyData(h.Dir() + "other.tgs");
    EXPECT_EQ(h.State(), esOpenThenBack);
    EXPECT_EQ(engine.PrevState(), esGameEnd);
    // A second request before the open keeps the state to go back to.
    engine.WMCopyData(h.Dir() + "other.tgs");
    EXPECT_EQ(engine.PrevState(), esGameEnd);
    h.Tick();
    // The open set the run state, so the state stays 2 and the script runs.
    EXPECT_EQ(h.State(), esRun);
    h.Settle();
    EXPECT_EQ(h.LastLog(), "second");
}

TEST(CopyData, FailedOpenGoesBackToThePreviousState)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    h.Host.BoxAnswer = IDNO;
    engine.WMCopyData(h.Dir() + "missing.tgs");
    h.Tick();
    EXPECT_EQ(h.State(), esCommandWait);
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_NE(h.Host.Boxes[0].Text.find("を実行しますか？"), std::string::npos);
}

TEST(CopyData, IsRefusedWhileADialogIsUp)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    for (TEngineState state : {esYesNo, esOpenDialog, esClose}) {
        TEngineProbe(engine).State() = state;
        engine.WMCopyData("x.tgs");
        EXPECT_EQ(engine.State(), state);
    }
    TEngineProbe(engine).State() = esCommandWait;
    h.Host.DialogUp = true; // the input dialog or the about box
    engine.WMCopyData("x.tgs");
    EXPECT_EQ(h.State(), esCommandWait);
    h.Host.DialogUp = false;
    engine.WMCopyData(std::string(300, 'a'));
    EXPECT_EQ(engine.OpenFileName().size(), 255u);
}

TEST(GameRunning, FollowsTheStateOrTheStateToGoBackTo)
{
    TEngineHarness h;
    TEngine& engine = h.Start();
    const std::vector<std::pair<TEngineState, bool>> cases = {
        {esIdle, false},
        {esCommandWait, true},
        {esRun, true},
        {esWait, true},
        {esGameEnd, false},
        {esKeyWait, true},
        {esClose, false},
        {esOpenThenIdle, false},
        {esStartUp, false},
        {esYesNo, true},
        {esOpenDialog, true},
        {esBgReturned, true},
    };
    for (const auto& [state, running] : cases) {
        TEngineProbe(engine).State() = state;
        EXPECT_EQ(engine.IsGameRunning(), running) << int(state);
        {
            TEngineProbe probe(engine);
            probe.State() = esOpenThenBack;
            probe.PrevState() = state;
        }
        EXPECT_EQ(engine.IsGameRunning(), running) << "8 after " << int(state);
    }
}

TEST(MusicFade, OfNoStepsEndsAtOnceAndGoesOnWhileHalted)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCENEEND\n");
    TEngineProbe(engine).StartFade(0);
    h.Advance(100);
    EXPECT_FALSE(engine.FadeActive());

    {
        TEngineProbe probe(engine);
        probe.Halted() = true;
        probe.StartFade(3);
    }
    h.Advance(299);
    EXPECT_EQ(engine.FadeStep(), 2);
    h.Advance(1);
    EXPECT_FALSE(engine.FadeActive());
}

TEST(Idle, ThePassAskedForIsTheNextDueStep)
{
    // What each script leaves the engine waiting for, and in how many ms
    // the next pass is due (-1: none until the player acts).
    const struct {
        const char* Script;
        int Delay;
    } cases[] = {
        {"*SCENE s\nready\n*SCENEEND\n", -1},
        {"*SCENE s\n*GAMEEND\n*SCENEEND\n", 0}, // the pass that takes the command line away
        {"*SCENE s\n*WAIT 3\n*SCENEEND\n", 100}, {"*SCENE s\n*BGEXEC bg 700\n*SCENEEND\n*LABEL bg\n*SCENEEND\n", 700},
        {"*SCENE s\n*BGEXEC bg 700\n*WAIT 2\n*SCENEEND\n*LABEL bg\n*SCENEEND\n", 100},
        {"*SCENE s\n*F(1)=1/0\n*SCENEEND\n", -1}, // halted
        {"*SCENE s\n*BGEXEC bg 700\n*F(1)=1/0\n*SCENEEND\n*LABEL bg\n*SCENEEND\n", 700},
        {"*SCENE s\n**\n*SCENEEND\n", 0}, // the first frame of the wait mark
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.Run(c.Script);
        EXPECT_EQ(h.Host.TickDelay, c.Delay) << c.Script;
    }
}

TEST(Idle, AWaitingGameSleepsBetweenItsSteps)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*BGEXEC bg 1000\n**\n*SCENEEND\n*LABEL bg\n*F(1)=F(1)+1\n*SCENEEND\n");
    int passes = 0;
    for (int ms = 0; ms < 3000; ++ms) {
        h.Clock.Advance(1);
        passes += h.Tick();
    }
    EXPECT_EQ(h.Flag(1), 3);
    // The background interval three times and the wait mark's frames (one
    // each 500 ms, and the first at once), little more: not a pass a
    // millisecond.
    EXPECT_LE(passes, 12);
    EXPECT_GE(passes, 9);
}
