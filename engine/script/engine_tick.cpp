// The engine tick: what every pass of the idle loop does, the three timed
// steps, the script contexts and the state tests that other families ask.

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>

#include "base/clock.h"
#include "base/conv.h"
#include "engine/screen/about_dlg.h"
#include "engine/screen/input_dlg.h"
#include "engine/screen/midi_form.h"
#include "engine/screen/tg_input.h"
#include "engine/screen/tggrp.h"
#include "engine/script/tideglass_form.h"
#include "platform/input_method.h"
#include "platform/open_request.h"

namespace {

bool IntervalPassed(uint32_t since, int interval)
{
    // A negative interval would never pass as an unsigned count; it counts
    // as no interval at all.
    return IntervalElapsed(TimeGetTime(), since, static_cast<uint32_t>(std::max(interval, 0)));
}

} // namespace

void TTideglassForm::ApplicationEvents1Idle()
{
    if (FFadeActive && IntervalPassed(FFadeTickLast, FFadeInterval)) {
        FFadeTickLast = TimeGetTime();
        FadeTimerTimer();
    }
    MainTick();
}

void TTideglassForm::MainTick()
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
        if (FSubWinHolder != 2 && runFree) {
            FRunYielded = false;
            SelectContext(false);
            RunScript();
            SaveContext();
            if (FState == esRun && !FRunYielded) {
                FState = esCommandWait;
                if (FInput) {
                    FInput->ClearText();
                    FInput->FocusEdit();
                    if (!FInput->GetImeOpen() && FInput->ImeOpenAtSubmit())
                        FInput->SetImeOpen(true);
                }
            }
        }
        break;
    case esKeyWait:
        // Space must end the wait, not start a conversion.
        if (ime::GetOpenStatus(this))
            ime::SetOpenStatus(this, false);
        [[fallthrough]];
    case esGameEnd:
        if (InputEnabled())
            SetInputEnabled(false);
        break;
    case esClose:
        close();
        break;
    case esOpenThenIdle:
        if (runFree) {
            OpenScenario(FOpenFileName);
            if (FState == esOpenThenIdle)
                FState = esIdle;
        }
        break;
    case esOpenThenBack:
        if (runFree) {
            OpenScenario(FOpenFileName);
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
    // never inside a run that a modal dialog holds open.
    const bool waiting = FState == esCommandWait || FState == esWait || FState == esKeyWait || FState == esYesNo;
    if (waiting && bgDue && FSubWinHolder != 1 && runFree) {
        const uint8_t saved = FState;
        FState = esRun;
        SelectContext(true);
        RunScript();
        SaveContext();
        FState = FState == esBgReturned ? static_cast<uint8_t>(esRun) : saved;
    }
}

void TTideglassForm::StartUp()
{
    F1->setVisible(false);
    FOpenFileName = "data.tgs";
    OpenScenario(FOpenFileName);
    if (FState == esStartUp) {
        FOpenFileName = "data.tgp";
        OpenScenario(FOpenFileName);
    }
    if (FState == esStartUp) {
        F1->setVisible(true);
        FState = esIdle;
    }
    if (FState == esIdle)
        RegisterFileTypes();
    else
        EnterPlayerMode();
}

void TTideglassForm::EnterPlayerMode()
{
    FPlayerMode = true;
    const int width = static_cast<int>(Round(static_cast<double>(FBaseWidth) * FScale));
    const int height = static_cast<int>(Round(static_cast<double>(FBaseHeight) * FScale));
    SetClientSize(width, height);
    FScreenWidth = width;
    FScreenHeight = height;
    if (FGrp) {
        FGrp->SetScreenSize(width, height);
        FGrp->SetScale(FScale);
    }
    if (FScale == 1.0f) {
        N3->setChecked(true);
        D1->setChecked(false);
    } else if (FScale == 2.0f) {
        D1->setChecked(true);
        N3->setChecked(false);
    }
    F1->setVisible(false);
    Help1->setVisible(false);
    Edit1->menuAction()->setVisible(false);
    TIDEGLASSC1->setVisible(false);
    // A player has no association to make.
    if (MidiForm) {
        MidiForm->GroupBox2->hide();
        MidiForm->setFixedHeight(100);
    }
}

void TTideglassForm::BGTimerTimer()
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

void TTideglassForm::GameTimerTimer()
{
    if (FState != esWait)
        return;
    if (FWaitCount > 0)
        --FWaitCount;
    if (FWaitCount <= 0)
        FState = esRun;
}

void TTideglassForm::FadeTimerTimer()
{
    // A fade of no steps has nothing to fade: it ends at once.
    if (FFadeSteps <= 0) {
        FFadeActive = false;
        return;
    }
    // The volume steps reach the MIDI player and the music stream when the
    // sound commands bind them.
    ++FFadeStep;
    if (FFadeStep >= FFadeSteps) {
        FBgmPlaying = false;
        FFadeActive = false;
    }
}

void TTideglassForm::SelectContext(bool background)
{
    FBackground = background;
    if (background) {
        FLine = FBgLine;
        FScene = FBgScene;
        FStack = FBgStack.get();
    } else {
        FLine = FMainLine;
        FScene = FMainScene;
        FStack = FMainStack.get();
    }
}

void TTideglassForm::SaveContext()
{
    if (FBackground) {
        FBgLine = FLine;
        FBgScene = FScene;
        // The main context's values come back, so that whatever reads the
        // current line or scene between runs (a typed command, a save) sees
        // the main script's and not the background's.
        FBackground = false;
        FLine = FMainLine;
        FScene = FMainScene;
        FStack = FMainStack.get();
    } else {
        FMainLine = FLine;
        FMainScene = FScene;
    }
}

bool TTideglassForm::IsGameRunning() const
{
    const uint8_t state = FState == esOpenThenBack ? FPrevState : FState;
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

bool TTideglassForm::CanOpenScenario() const
{
    if ((InputDlg && InputDlg->isVisible()) || (AboutDlg && AboutDlg->isVisible()))
        return false;
    return FState != esYesNo && FState != esClose && FState != esOpenDialog;
}

void TTideglassForm::WMCopyData(const std::string& fileName)
{
    if (!CanOpenScenario())
        return;
    // A second request before the first was opened replaces its name but
    // keeps the state to go back to.
    if (FState != esOpenThenBack)
        FPrevState = FState;
    FState = esOpenThenBack;
    FOpenFileName = fileName.substr(0, std::min(fileName.size(), TOpenRequestServer::MaxNameBytes));
}
