// The main window's keys, seen before its controls get them: the key wait,
// full screen (Alt+Enter), scrolling the message on the game screen back
// with the command line's page macros, the Shift labels of the
// function-key bar, and Tab, which hides the message while it is held.

#include "classlib/virtual_keys.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "graphics/image32.h"
#include "graphics/layers.h"

namespace {

// Macro texts of the command line that scroll the message window.
const char* const PageUpMacro = "#PUP";
const char* const PageDownMacro = "#PDOWN";

// Bits of a scroll's result: lines lie above / below the shown ones.
constexpr uint8_t LinesAbove = 1;
constexpr uint8_t LinesBelow = 2;

} // namespace

void TEngine::FormKeyDown(uint16_t& key, TShiftState shift)
{
    if ((shift & ssShift) && FDisplay.FFuncBarShown && !FDisplay.FFuncBarShifted)
        SetFuncBarShifted(true);
    // A held Tab keeps every key from the hidden message; a message hidden
    // by the script (*MSGDISP 0) still lets the player end a key wait.
    if (FDisplay.FMsgHidden && FDisplay.FTabHeld)
        return;
    if ((key == VK_SPACE || key == VK_RETURN) && FRunner.FState == esKeyWait) {
        EndKeyWait();
        return;
    }
    if (key == VK_RETURN && (shift & ssAlt)) {
        // Auto-repeat sends further key downs while Enter is held: one
        // press toggles once.
        if (!FDisplay.FAltEnterHeld) {
            FDisplay.FAltEnterHeld = true;
            SetFullScreen(!FHost.Window.MenuChecked(TMenuItem::F3));
        }
        key = 0;
        return;
    }
    if (FDisplay.FMsgHidden)
        return;
    if (key == VK_RETURN && FScreen.FMsg && FScreen.FMsg->FScrolled) {
        FScreen.FMsg->ScrollToEnd();
        FHost.CommandLine.SetShownInputEnabled(true);
        FHost.CommandLine.FocusInput();
        // This Enter only brings the newest lines back; it must not reach
        // the command line it has just enabled and enter an empty command.
        key = 0;
        return;
    }
    if (!FDisplay.FMsgInGame || FRunner.FState != esCommandWait || !FScreen.FMsg)
        return;
    const std::string macro = FGame.KeyMacros().GetText(key);
    uint8_t marks = 0;
    if (macro == PageUpMacro)
        marks = FScreen.FMsg->ScrollUp(1);
    else if (macro == PageDownMacro)
        marks = FScreen.FMsg->ScrollDown(1);
    else
        return;
    ShowScrollMarks(marks);
    key = 0;
}

void TEngine::FormKeyUp(uint16_t& key, TShiftState shift)
{
    if (key == VK_RETURN)
        FDisplay.FAltEnterHeld = false;
    if (!(shift & ssShift) && FDisplay.FFuncBarShown && FDisplay.FFuncBarShifted)
        SetFuncBarShifted(false);
}

void TEngine::ApplicationEvents1Message(bool keyDown, uint16_t key)
{
    if (key != VK_TAB)
        return;
    FDisplay.FTabHeld = keyDown && FDisplay.FTabHideEnabled;
    if (!FDisplay.FTabHideEnabled)
        return;
    ShowMessageWindow(!keyDown);
    if (FDisplay.FFuncBarShown && FScreen.FGrp) {
        FScreen.FGrp->FuncBarLayer()->SetVisible(!keyDown);
        FScreen.FGameImg->Invalidate();
    }
}

void TEngine::ShowScrollMarks(uint8_t marks)
{
    if (FScreen.FGrp) {
        FScreen.FGrp->UpMarkLayer()->SetVisible((marks & LinesAbove) != 0);
        FScreen.FGrp->DownMarkLayer()->SetVisible((marks & LinesBelow) != 0);
    }
    if (marks != 0) {
        FHost.CommandLine.SetShownInputEnabled(false);
    } else {
        FHost.CommandLine.SetShownInputEnabled(true);
        FHost.CommandLine.FocusInput();
    }
}

void TEngine::ShowMessageWindow(bool show)
{
    if (!show) {
        if (!FDisplay.FMsgInGame || FDisplay.FMsgHidden || FRunner.FState == esWait || !FScreen.FGrp || !FScreen.FMsg)
            return;
        FCmdInput.FWaitShownBeforeHide = FScreen.FGrp->WaitLayer()->Visible();
        FScreen.FGrp->WaitLayer()->SetVisible(false);
        FScreen.FMsg->SetVisible(false);
        FHost.CommandLine.SetInputVisible(false);
        FScreen.FGameImg->Invalidate();
        FDisplay.FMsgHidden = true;
    } else if (FDisplay.FMsgHidden) {
        RestoreMessageWindow();
        FHost.CommandLine.FocusInput();
    }
}

void TEngine::RestoreMessageWindow()
{
    if (!FDisplay.FMsgHidden)
        return;
    if (FDisplay.FMsgInGame) {
        if (FScreen.FMsg)
            FScreen.FMsg->SetVisible(true);
        FHost.CommandLine.SetInputVisible(true);
        FScreen.FGameImg->Invalidate();
    }
    if (FScreen.FGrp)
        FScreen.FGrp->WaitLayer()->SetVisible(FCmdInput.FWaitShownBeforeHide);
    FDisplay.FMsgHidden = false;
}

void TEngine::ShowFunctionBar(bool shown)
{
    constexpr int BarRoom = 14;
    if (shown != FDisplay.FFuncBarShown) {
        FDisplay.FFuncBarShown = shown;
        FHost.CommandLine.LiftMainInput(shown ? BarRoom : -BarRoom);
    }
    if (FScreen.FGrp)
        FScreen.FGrp->DrawFuncBar(FDisplay.FFuncKeyCount);
}

void TEngine::SetFuncBarShifted(bool shifted)
{
    FDisplay.FFuncBarShifted = shifted;
    if (FScreen.FGrp)
        FScreen.FGrp->DrawFuncBar(FDisplay.FFuncKeyCount);
}
