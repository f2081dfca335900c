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
    if ((shift & ssShift) && FFuncBarShown && !FFuncBarShifted)
        SetFuncBarShifted(true);
    // A held Tab keeps every key from the hidden message; a message hidden
    // by the script (*MSGDISP 0) still lets the player end a key wait.
    if (FMsgHidden && FTabHeld)
        return;
    if ((key == VK_SPACE || key == VK_RETURN) && FState == esKeyWait) {
        EndKeyWait();
        return;
    }
    if (key == VK_RETURN && (shift & ssAlt)) {
        // Auto-repeat sends further key downs while Enter is held: one
        // press toggles once.
        if (!FAltEnterHeld) {
            FAltEnterHeld = true;
            SetFullScreen(!FHost.Window.MenuChecked(TMenuItem::F3));
        }
        key = 0;
        return;
    }
    if (FMsgHidden)
        return;
    if (key == VK_RETURN && FMsg && FMsg->FScrolled) {
        FMsg->ScrollToEnd();
        FHost.CommandLine.SetShownInputEnabled(true);
        FHost.CommandLine.FocusInput();
        // This Enter only brings the newest lines back; it must not reach
        // the command line it has just enabled and enter an empty command.
        key = 0;
        return;
    }
    if (!FMsgInGame || FState != esCommandWait || !FMsg)
        return;
    const std::string macro = FGame.KeyMacros().GetText(key);
    uint8_t marks = 0;
    if (macro == PageUpMacro)
        marks = FMsg->ScrollUp(1);
    else if (macro == PageDownMacro)
        marks = FMsg->ScrollDown(1);
    else
        return;
    ShowScrollMarks(marks);
    key = 0;
}

void TEngine::FormKeyUp(uint16_t& key, TShiftState shift)
{
    if (key == VK_RETURN)
        FAltEnterHeld = false;
    if (!(shift & ssShift) && FFuncBarShown && FFuncBarShifted)
        SetFuncBarShifted(false);
}

void TEngine::ApplicationEvents1Message(bool keyDown, uint16_t key)
{
    if (key != VK_TAB)
        return;
    FTabHeld = keyDown && FTabHideEnabled;
    if (!FTabHideEnabled)
        return;
    ShowMessageWindow(!keyDown);
    if (FFuncBarShown && FGrp) {
        FGrp->FuncBarLayer()->SetVisible(!keyDown);
        FGameImg->Invalidate();
    }
}

void TEngine::ShowScrollMarks(uint8_t marks)
{
    if (FGrp) {
        FGrp->UpMarkLayer()->SetVisible((marks & LinesAbove) != 0);
        FGrp->DownMarkLayer()->SetVisible((marks & LinesBelow) != 0);
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
        if (!FMsgInGame || FMsgHidden || FState == esWait || !FGrp || !FMsg)
            return;
        FWaitShownBeforeHide = FGrp->WaitLayer()->Visible();
        FGrp->WaitLayer()->SetVisible(false);
        FMsg->SetVisible(false);
        FHost.CommandLine.SetInputVisible(false);
        FGameImg->Invalidate();
        FMsgHidden = true;
    } else if (FMsgHidden) {
        RestoreMessageWindow();
        FHost.CommandLine.FocusInput();
    }
}

void TEngine::RestoreMessageWindow()
{
    if (!FMsgHidden)
        return;
    if (FMsgInGame) {
        if (FMsg)
            FMsg->SetVisible(true);
        FHost.CommandLine.SetInputVisible(true);
        FGameImg->Invalidate();
    }
    if (FGrp)
        FGrp->WaitLayer()->SetVisible(FWaitShownBeforeHide);
    FMsgHidden = false;
}

void TEngine::ShowFunctionBar(bool shown)
{
    constexpr int BarRoom = 14;
    if (shown != FFuncBarShown) {
        FFuncBarShown = shown;
        FHost.CommandLine.LiftMainInput(shown ? BarRoom : -BarRoom);
    }
    if (FGrp)
        FGrp->DrawFuncBar(FFuncKeyCount);
}

void TEngine::SetFuncBarShifted(bool shifted)
{
    FFuncBarShifted = shifted;
    if (FGrp)
        FGrp->DrawFuncBar(FFuncKeyCount);
}
