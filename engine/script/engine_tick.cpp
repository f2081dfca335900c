// The engine tick: what every pass of the idle loop does, the three timed
// steps, the script contexts and the state tests that other families ask.

#include <algorithm>

#include "base/clock.h"
#include "base/conv.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "engine/script/engine_states.h"

namespace {

// The copy-data message's buffer held this many bytes of a name.
constexpr size_t MaxOpenRequestBytes = 255;

bool IntervalPassed(uint32_t since, int interval)
{
    // A negative interval would never pass as an unsigned count; it counts
    // as no interval at all.
    return IntervalElapsed(TimeGetTime(), since, static_cast<uint32_t>(std::max(interval, 0)));
}

} // namespace

void TEngine::ApplicationEvents1Idle()
{
    // Long MIDI messages the outputs have finished with come back here.
    FSound.ProcessMidiMessages();
    if (FSound.FadeActive() && IntervalPassed(FSound.FadeTickLast(), FSound.FadeInterval()))
        FSound.FadeTimerTimer();
    MainTick();
    ScheduleNextTick();
}

void TEngine::MainTick()
{
    if (FBgSchedule.FBgRunning && IntervalPassed(FBgSchedule.FBgTickLast, FBgSchedule.FBgTickInterval)) {
        FBgSchedule.FBgTickLast = TimeGetTime();
        FBgSchedule.BGTimerTimer();
    }
    // A due mark lives for this one tick.
    const bool bgDue = FBgSchedule.TakeDue();
    if (FRunner.FHalted)
        return;
    if (FScreen.FGrp)
        FScreen.FGrp->UpdateWaitAnim();

    if (StateTick(FRunner.FState).Timed && IntervalPassed(FRunner.FTickLast, FRunner.FTickInterval)) {
        FRunner.FTickLast = TimeGetTime();
        FRunner.GameTimerTimer();
    }

    // Ticks also come from the nested loops of modal dialogs that a command
    // shows in the middle of a run; those never start another run or an open.
    const bool runFree = FRunner.RunFree();
    const TStateTick& state = StateTick(FRunner.FState);
    if (state.Due && state.Due(*this, runFree))
        state.Step(*this);

    // The background script runs only while the main script waits, and
    // never inside a run that a modal dialog holds open. A run marked due
    // before this tick's main run stopped the background (*BGSTOP,
    // *BGRETURN) is not made.
    const TBgTurn turn = StateTick(FRunner.FState).Background;
    const bool waiting =
        turn == TBgTurn::Always || (turn == TBgTurn::WhileHeld && FDisplay.FSubWinHolder == TSubWinHolder::Background);
    if (waiting && bgDue && FBgSchedule.FBgRunning && FDisplay.FSubWinHolder != TSubWinHolder::Main && runFree) {
        const TEngineState saved = FRunner.FState;
        const uint32_t loadSerial = FRunner.FLoadSerial;
        FRunner.FState = esRun;
        FRunner.SelectContext(true);
        RunScript();
        FRunner.SaveContext();
        // A game loaded by the background script keeps the state the load gave.
        if (FRunner.FLoadSerial == loadSerial)
            FRunner.FState = FRunner.FState == esBgReturned ? esRun : saved;
    }
}

void TEngine::StartUp()
{
    FHost.Window.SetMenuVisible(TMenuItem::F1, false);
    FFiles.SetOpenFileName("data.tgs");
    OpenScenario(FFiles.OpenFileName());
    if (FRunner.FState == esStartUp) {
        FFiles.SetOpenFileName("data.tgp");
        OpenScenario(FFiles.OpenFileName());
    }
    if (FRunner.FState == esStartUp) {
        FHost.Window.SetMenuVisible(TMenuItem::F1, true);
        FRunner.FState = esIdle;
    }
    if (FRunner.FState == esIdle)
        FHost.Window.RegisterFileTypes();
    else
        EnterPlayerMode();
}

void TEngine::EnterPlayerMode()
{
    FFiles.EnterPlayerMode();
    const int width = TDisplayState::Scaled(FDisplay.FBaseWidth, FDisplay.FScale);
    const int height = TDisplayState::Scaled(FDisplay.FBaseHeight, FDisplay.FScale);
    FHost.Window.SetClientSize(width, height);
    FDisplay.FScreenWidth = width;
    FDisplay.FScreenHeight = height;
    if (FScreen.FGrp) {
        FScreen.FGrp->SetScreenSize(width, height);
        FScreen.FGrp->SetScale(FDisplay.FScale);
    }
    if (FDisplay.FScale == 1.0f) {
        FHost.Window.SetMenuChecked(TMenuItem::N3, true);
        FHost.Window.SetMenuChecked(TMenuItem::D1, false);
    } else if (FDisplay.FScale == 2.0f) {
        FHost.Window.SetMenuChecked(TMenuItem::D1, true);
        FHost.Window.SetMenuChecked(TMenuItem::N3, false);
    }
    for (TMenuItem item : {TMenuItem::F1, TMenuItem::Help1, TMenuItem::Edit1, TMenuItem::TIDEGLASSC1})
        FHost.Window.SetMenuVisible(item, false);
    // A player has no association to make.
    FHost.Window.HideAssociationOptions();
    if (FDisplay.FIniFullScreen)
        SetFullScreen(true);
}

bool TEngine::IsGameRunning() const
{
    // An open asked by another program goes back to the state it came from.
    const TEngineState state = FRunner.FState == esOpenThenBack ? FRunner.FPrevState : FRunner.FState;
    return StateTick(state).GameRunning;
}

bool TEngine::CanOpenScenario() const
{
    if (FHost.Dialogs.DialogShown())
        return false;
    return FRunner.FState != esYesNo && FRunner.FState != esClose && FRunner.FState != esOpenDialog;
}

void TEngine::WMCopyData(const std::string& fileName)
{
    if (!CanOpenScenario())
        return;
    // A second request before the first was opened replaces its name but
    // keeps the state to go back to.
    FRunner.RequestOpenThenBack();
    FFiles.SetOpenFileName(fileName.substr(0, std::min(fileName.size(), MaxOpenRequestBytes)));
    ScheduleNextTick();
}
