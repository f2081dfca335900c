// The engine state byte and the tick: start-up, waits, the background
// interval, due marks, the halt and open requests from other programs.

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include "engine/screen/msg_form.h"
#include "engine/script/tideglass_form.h"
#include "platform/file_association.h"
#include "support/engine_harness.h"

TEST(StartUp, WithoutDataFileStaysIdleAndRegistersTheAssociation)
{
    TEngineHarness h;
    TTideglassForm& form = h.Start();
    EXPECT_EQ(h.State(), esStartUp);
    h.Tick();
    EXPECT_EQ(h.State(), esIdle);
    EXPECT_TRUE(form.F1->isVisible());
    EXPECT_FALSE(form.FPlayerMode);
    EXPECT_TRUE(assoc::IsRegistered());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(assoc::DesktopEntryPath())));
    EXPECT_TRUE(h.Boxes.Shown.empty());
}

TEST(StartUp, DataFileRunsInPlayerModeAtTheStoredScale)
{
    TEngineHarness h;
    h.WriteBytes("tideglass.ini", "[MODE]\r\nScale=150\r\n");
    h.WriteScript("data.tgs", "*SCENE start\nようこそ\n*SCENEEND\n");
    TTideglassForm& form = h.Start();
    h.Tick();
    EXPECT_TRUE(form.FPlayerMode);
    EXPECT_FALSE(form.F1->isVisible());
    EXPECT_FALSE(form.Help1->isVisible());
    // round(230 x 1.5) = 345, round(176 x 1.5) = 264.
    EXPECT_EQ(form.ClientWidth(), 345);
    EXPECT_EQ(form.ClientHeight(), 264);
    EXPECT_EQ(form.FScreenWidth, 345);
    EXPECT_EQ(form.FScreenHeight, 264);
    EXPECT_FALSE(form.N3->isChecked());
    EXPECT_FALSE(form.D1->isChecked());
    EXPECT_FALSE(assoc::IsRegistered());
    h.Settle();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"ようこそ"});
}

TEST(StartUp, DataFileNameIsFoundWhateverItsCase)
{
    TEngineHarness h;
    h.WriteScript("DATA.TGS", "*SCENE start\nok\n*SCENEEND\n");
    h.Start();
    h.Tick();
    EXPECT_TRUE(h.Form().FPlayerMode);
    h.Settle();
    EXPECT_EQ(h.LastLog(), "ok");
}

TEST(StartUp, CommandLineFileOpensWithoutPlayerMode)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE start\nhello\n*SCENEEND\n");
    TTideglassForm& form = h.Open("game.tgs");
    EXPECT_EQ(h.State(), esRun);
    h.Settle();
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_FALSE(form.FPlayerMode);
    EXPECT_TRUE(form.F1->isVisible());
    EXPECT_TRUE(form.InputEnabled());
}

TEST(StartUp, MissingCommandLineFileIsReportedAndLeavesTheEngineIdle)
{
    TEngineHarness h;
    h.Start(h.Dir() + "missing.tgs");
    h.Tick();
    EXPECT_EQ(h.State(), esIdle);
    ASSERT_EQ(h.Boxes.Shown.size(), 1u);
    EXPECT_NE(h.Boxes.Shown[0].Text.find("missing.tgs\"が開けません"), std::string::npos);
    EXPECT_TRUE(h.Boxes.HaltedWhileShown[0]);
    EXPECT_FALSE(h.Form().FHalted);
}

TEST(WaitCommand, TakesExactlyItsStepsOfATenthOfASecond)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*WAIT 3\nafter\n*SCENEEND\n");
    EXPECT_EQ(h.State(), esWait);
    EXPECT_FALSE(h.Form().InputEnabled());
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

TEST(KeyWait, WaitsForSpaceThenGoesOn)
{
    for (const char* command : {"*KEYWAIT", "**"}) {
        TEngineHarness h;
        TTideglassForm& form = h.Run(std::string("*SCENE s\nbefore\n") + command + "\nafter\n*SCENEEND\n");
        EXPECT_EQ(h.State(), esKeyWait) << command;
        EXPECT_EQ(form.FInput->Edit()->text().toStdString(), "HIT SPACE KEY!");
        h.Tick();
        EXPECT_FALSE(form.InputEnabled());
        QTest::keyClick(form.MsgForm.get(), Qt::Key_A);
        EXPECT_EQ(h.State(), esKeyWait);
        QTest::keyClick(form.MsgForm.get(), Qt::Key_Space);
        EXPECT_EQ(h.State(), esRun);
        h.Settle();
        EXPECT_EQ(h.Log(), (std::vector<std::string>{"before", "after"})) << command;
        EXPECT_TRUE(form.FInput->Edit()->text().isEmpty());
    }
}

TEST(GameEnd, DisablesTheCommandLineForGood)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*GAMEEND\nstill runs\n*SCENEEND\n");
    EXPECT_EQ(h.State(), esGameEnd);
    EXPECT_EQ(h.LastLog(), "still runs");
    // The run ends as any run does; the next tick takes the command line away.
    h.Tick();
    EXPECT_FALSE(form.InputEnabled());
    EXPECT_FALSE(form.IsGameRunning());
}

namespace {

// A main script that waits for a typed command while a background script
// counts its runs in F(1).
const char* const CountingBackground =
    "*SCENE s\n"
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
    EXPECT_FALSE(h.Form().FBackground);
    EXPECT_EQ(h.Form().FLine, h.Form().FMainLine);
}

TEST(Background, WaitResumesAfterItsStepsAndOneMoreInterval)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
          "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*WAIT 3\n*F(2)=F(2)+1\n*SCENEEND\n");
    h.Advance(1000);
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Form().FBgWaitCount, 3);
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
    for (uint8_t state : {esRun, esGameEnd, esOpenThenIdle, esOpenThenBack, esStartUp, esOpenDialog}) {
        TEngineHarness h;
        TTideglassForm& form = h.Run(CountingBackground);
        h.Advance(999);
        form.FState = state;
        form.FOpenFileName = h.Dir() + "missing.tgs";
        form.FSubWinHolder = state == esRun ? 2 : 0;  // keeps the main script from running
        h.Advance(1);
        EXPECT_EQ(h.Flag(1), 0) << int(state);
        // The mark lived for that one tick only.
        form.FState = esCommandWait;
        form.FSubWinHolder = 0;
        form.FHalted = false;
        h.Tick();
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

TEST(Background, ReturnLeavesTheRunStateAndRunsTheMainScriptFromTheLabel)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
                                 "*SCENE b\n*LABEL bg\n*BGRETURN back\n*SCENEEND\n"
                                 "*SCENE other\n*LABEL back\nreturned\n*SCENEEND\n");
    h.Advance(1000);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_FALSE(form.FBgRunning);
    EXPECT_TRUE(h.Log().empty());
    h.Tick();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"returned"});
    EXPECT_EQ(h.State(), esCommandWait);
    // The main script's scene is that of the label.
    EXPECT_EQ(form.FMainScene, form.FLabels->Find("other")->Line);
}

TEST(Background, ReturnClearsTheMainStackWhenAsked)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*BGEXEC bg 1000\n*SCENEEND\n"
                                 "*SCENE b\n*LABEL bg\n*BGRETURN back 1\n*SCENEEND\n"
                                 "*SCENE other\n*LABEL back\nreturned\n*SCENEEND\n");
    form.FMainStack->Push(0, 1);
    h.Advance(1000);
    EXPECT_TRUE(form.FMainStack->Empty());
}

TEST(Halted, NothingAdvancesButTheBackgroundInterval)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*BGEXEC bg 1000\n*WAIT 5\nafter\n*SCENEEND\n"
                                 "*SCENE b\n*LABEL bg\n*F(1)=F(1)+1\n*SCENEEND\n");
    form.FHalted = true;
    const uint32_t lastBgTick = form.FBgTickLast;
    h.Advance(3000);
    EXPECT_EQ(h.State(), esWait);
    EXPECT_EQ(form.FWaitCount, 5);
    EXPECT_EQ(h.Flag(1), 0);
    EXPECT_NE(form.FBgTickLast, lastBgTick);
    EXPECT_FALSE(form.FBgDue);
}

TEST(Halted, AnErrorHaltsUntilTheNextOpen)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*F(1)=1/0\nnot shown\n*SCENEEND\n");
    EXPECT_TRUE(form.FHalted);
    ASSERT_EQ(h.Errors().size(), 1u);
    EXPECT_EQ(h.Errors()[0], "Error! ( main.tgs : line 2 ) 0で割ることは出来ません");
    EXPECT_EQ(form.FLine, 1);
    h.Advance(1000);
    EXPECT_EQ(h.Log().size(), 1u);
    // The open confirms (a game counts as running) and starts afresh.
    h.WriteScript("next.tgs", "*SCENE s\nnext game\n*SCENEEND\n");
    EXPECT_TRUE(form.OpenScenario(h.Dir() + "next.tgs"));
    EXPECT_FALSE(form.FHalted);
    h.Settle();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"next game"});
}

TEST(CopyData, OpensTheFileAndReturnsToTheStateBefore)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    form.FState = esGameEnd;
    h.WriteScript("other.tgs", "*SCENE s\nsecond\n*SCENEEND\n");
    form.WMCopyData(h.Dir() + "other.tgs");
    EXPECT_EQ(h.State(), esOpenThenBack);
    EXPECT_EQ(form.FPrevState, esGameEnd);
    // A second request before the open keeps the state to go back to.
    form.WMCopyData(h.Dir() + "other.tgs");
    EXPECT_EQ(form.FPrevState, esGameEnd);
    h.Tick();
    // The open set the run state, so the state stays 2 and the script runs.
    EXPECT_EQ(h.State(), esRun);
    h.Settle();
    EXPECT_EQ(h.LastLog(), "second");
}

TEST(CopyData, FailedOpenGoesBackToThePreviousState)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    h.Boxes.Answer = IDNO;
    form.WMCopyData(h.Dir() + "missing.tgs");
    h.Tick();
    EXPECT_EQ(h.State(), esCommandWait);
    ASSERT_EQ(h.Boxes.Shown.size(), 1u);
    EXPECT_NE(h.Boxes.Shown[0].Text.find("を実行しますか？"), std::string::npos);
}

TEST(CopyData, IsRefusedWhileADialogIsUp)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    for (uint8_t state : {esYesNo, esOpenDialog, esClose}) {
        form.FState = state;
        form.WMCopyData("x.tgs");
        EXPECT_EQ(h.State(), state);
    }
    form.FState = esCommandWait;
    form.AboutDlg->show();
    form.WMCopyData("x.tgs");
    EXPECT_EQ(h.State(), esCommandWait);
    form.AboutDlg->hide();
    form.WMCopyData(std::string(300, 'a'));
    EXPECT_EQ(form.FOpenFileName.size(), 255u);
}

TEST(GameRunning, FollowsTheStateOrTheStateToGoBackTo)
{
    TEngineHarness h;
    TTideglassForm& form = h.Start();
    const std::vector<std::pair<uint8_t, bool>> cases = {
        {esIdle, false},  {esCommandWait, true}, {esRun, true},          {esWait, true},
        {esGameEnd, false}, {esKeyWait, true},   {esClose, false},       {esOpenThenIdle, false},
        {esStartUp, false}, {esYesNo, true},     {esOpenDialog, true},   {esBgReturned, true},
    };
    for (const auto& [state, running] : cases) {
        form.FState = state;
        EXPECT_EQ(form.IsGameRunning(), running) << int(state);
        form.FState = esOpenThenBack;
        form.FPrevState = state;
        EXPECT_EQ(form.IsGameRunning(), running) << "8 after " << int(state);
    }
}

TEST(Settings, AreWrittenAtExitAndReadAtTheNextStart)
{
    TEngineHarness h;
    TTideglassForm& form = h.Start();
    form.FBaseWidth = 320;
    form.FBaseHeight = 240;
    form.FScale = 2.0f;
    h.Close();
    TTideglassForm& again = h.Start();
    EXPECT_EQ(again.FBaseWidth, 320);
    EXPECT_EQ(again.FBaseHeight, 240);
    EXPECT_EQ(again.FScale, 2.0f);
    EXPECT_FALSE(again.FIniFullScreen);
}

TEST(MusicFade, OfNoStepsEndsAtOnceAndGoesOnWhileHalted)
{
    TEngineHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*SCENEEND\n");
    form.FFadeActive = true;
    form.FFadeSteps = 0;
    h.Advance(100);
    EXPECT_FALSE(form.FFadeActive);

    form.FHalted = true;
    form.FFadeActive = true;
    form.FFadeSteps = 3;
    form.FFadeStep = 0;
    form.FFadeTickLast = h.Clock.NowMs();
    h.Advance(299);
    EXPECT_EQ(form.FFadeStep, 2);
    h.Advance(1);
    EXPECT_FALSE(form.FFadeActive);
}
