// The engine tick: what every pass of the idle loop does, the three timed
// steps, the script contexts and the state tests that other families ask.

#include <algorithm>

#include "base/clock.h"
#include "base/conv.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"

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
    if (FBgRunning && IntervalPassed(FBgTickLast, FBgTickInterval)) {
        FBgTickLast = TimeGetTime();
        BGTimerTimer();
    }
    // A due mark lives for this one tick.
    const bool bgDue = FBgDue;
    FBgDue = false;
    if (FHalted)
        return;
    if (FGrp)
        FGrp->UpdateWaitAnim();

    if (FState == esWait && IntervalPassed(FTickLast, FTickInterval)) {
        FTickLast = TimeGetTime();
        GameTimerTimer();
    }

    // Ticks also come from the nested loops of modal dialogs that a command
    // shows in the middle of a run; those never start another run or an open.
    const bool runFree = FRunDepth == 0;
    switch (FState) {
    case esRun:
        if (FSubWinHolder == 2) {
            // Kept back by the background's hold on the sub window: the
            // command that waits must not be replaced by another.
            if (InputEnabled())
                SetInputEnabled(false);
        } else if (runFree) {
            FRunYielded = false;
            SelectContext(false);
            RunScript();
            SaveContext();
            if (FState == esRun && !FRunYielded) {
                FState = esCommandWait;
                FHost.CommandLine.SetInputText("");
                FHost.CommandLine.FocusInput();
                if (!FHost.CommandLine.InputImeOpen() && FHost.CommandLine.ImeOpenAtSubmit())
                    FHost.CommandLine.SetInputImeOpen(true);
            }
        }
        break;
    case esKeyWait:
        // Space must end the wait, not start a conversion.
        if (FHost.Window.ImeOpen())
            FHost.Window.SetImeOpen(false);
        [[fallthrough]];
    case esGameEnd:
        if (InputEnabled())
            SetInputEnabled(false);
        break;
    case esClose:
        FHost.Window.CloseWindow();
        break;
    case esOpenThenIdle:
        if (runFree) {
            OpenScenario(FFiles.OpenFileName());
            if (FState == esOpenThenIdle)
                FState = esIdle;
        }
        break;
    case esOpenThenBack:
        if (runFree) {
            OpenScenario(FFiles.OpenFileName());
            if (FState == esOpenThenBack)
                FState = FPrevState;
        }
        break;
    case esStartUp:
        if (runFree)
            StartUp();
        break;
    default:
        break;
    }

    // The background script runs only while the main script waits, and
    // never inside a run that a modal dialog holds open. A run marked due
    // before this tick's main run stopped the background (*BGSTOP,
    // *BGRETURN) is not made. A main script that is due to run but kept
    // back by the background's hold on the sub window waits as well: the
    // background goes on to its *SUBWINEND, or neither script would ever
    // run again.
    const bool waiting = FState == esCommandWait || FState == esWait || FState == esKeyWait || FState == esYesNo ||
                         (FState == esRun && FSubWinHolder == 2);
    if (waiting && bgDue && FBgRunning && FSubWinHolder != 1 && runFree) {
        const TEngineState saved = FState;
        const uint32_t loadSerial = FLoadSerial;
        FState = esRun;
        SelectContext(true);
        RunScript();
        SaveContext();
        // A game loaded by the background script keeps the state the load gave.
        if (FLoadSerial == loadSerial)
            FState = FState == esBgReturned ? esRun : saved;
    }
}

void TEngine::StartUp()
{
    FHost.Window.SetMenuVisible(TMenuItem::F1, false);
    FFiles.SetOpenFileName("data.tgs");
    OpenScenario(FFiles.OpenFileName());
    if (FState == esStartUp) {
        FFiles.SetOpenFileName("data.tgp");
        OpenScenario(FFiles.OpenFileName());
    }
    if (FState == esStartUp) {
        FHost.Window.SetMenuVisible(TMenuItem::F1, true);
        FState = esIdle;
    }
    if (FState == esIdle)
        FHost.Window.RegisterFileTypes();
    else
        EnterPlayerMode();
}

void TEngine::EnterPlayerMode()
{
    FFiles.EnterPlayerMode();
    const int width = static_cast<int>(Round(static_cast<double>(FBaseWidth) * FScale));
    const int height = static_cast<int>(Round(static_cast<double>(FBaseHeight) * FScale));
    FHost.Window.SetClientSize(width, height);
    FScreenWidth = width;
    FScreenHeight = height;
    if (FGrp) {
        FGrp->SetScreenSize(width, height);
        FGrp->SetScale(FScale);
    }
    if (FScale == 1.0f) {
        FHost.Window.SetMenuChecked(TMenuItem::N3, true);
        FHost.Window.SetMenuChecked(TMenuItem::D1, false);
    } else if (FScale == 2.0f) {
        FHost.Window.SetMenuChecked(TMenuItem::D1, true);
        FHost.Window.SetMenuChecked(TMenuItem::N3, false);
    }
    for (TMenuItem item : {TMenuItem::F1, TMenuItem::Help1, TMenuItem::Edit1, TMenuItem::TIDEGLASSC1})
        FHost.Window.SetMenuVisible(item, false);
    // A player has no association to make.
    FHost.Window.HideAssociationOptions();
    if (FIniFullScreen)
        SetFullScreen(true);
}

void TEngine::BGTimerTimer()
{
    if (FBgWaitCount <= 0) {
        FBgDue = true;
        return;
    }
    --FBgWaitCount;
    // The background *WAIT is over; the script goes on one full interval
    // later, not on this tick.
    if (FBgWaitCount == 0)
        FBgTickInterval = FBgExecInterval;
}

void TEngine::GameTimerTimer()
{
    if (FState != esWait)
        return;
    if (FWaitCount > 0)
        --FWaitCount;
    if (FWaitCount <= 0)
        FState = esRun;
}

void TEngine::SelectContext(bool background)
{
    FBackground = background;
    FCtx = background ? &FBg : &FMain;
}

void TEngine::SaveContext()
{
    // The contexts keep their own lines; what remains is to make the main
    // one current again after a background run, so that whatever reads the
    // current line or scene between runs (a typed command, a save) sees the
    // main script's and not the background's.
    if (FBackground) {
        FBackground = false;
        FCtx = &FMain;
    }
}

bool TEngine::IsGameRunning() const
{
    const TEngineState state = FState == esOpenThenBack ? FPrevState : FState;
    switch (state) {
    case esIdle:
    case esGameEnd:
    case esClose:
    case esOpenThenIdle:
    case esStartUp:
        return false;
    default:
        return true;
    }
}

bool TEngine::CanOpenScenario() const
{
    if (FHost.Dialogs.DialogShown())
        return false;
    return FState != esYesNo && FState != esClose && FState != esOpenDialog;
}

void TEngine::WMCopyData(const std::string& fileName)
{
    if (!CanOpenScenario())
        return;
    // A second request before the first was opened replaces its name but
    // keeps the state to go back to.
    if (FState != esOpenThenBack)
        FPrevState = FState;
    FState = esOpenThenBack;
    FFiles.SetOpenFileName(fileName.substr(0, std::min(fileName.size(), MaxOpenRequestBytes)));
    ScheduleNextTick();
}
