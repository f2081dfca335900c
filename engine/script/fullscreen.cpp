// Full screen, the engine's half: the logical screen the game sees (never
// smaller than 640 x 480, the picture centred on grey), the menu items, the
// message on the game screen, and what leaving gives back. The window
// system's part (no frame, the monitor filled, the picture scaled to fit)
// is the host's; the display mode itself is never changed.

#include <algorithm>

#include "base/conv.h"
#include "base/sjis.h"
#include "classlib/message_flags.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "graphics/bitmap32.h"
#include "graphics/color32.h"
#include "graphics/image32.h"
#include "graphics/layers.h"

namespace {

// The widths the original's display modes offered; a wider screen had no
// mode to show it, and scripts still meet that limit.
constexpr int FullScreenModeWidths[] = {640, 800, 1024, 1280, 1600};

bool FullScreenWidthAccepted(int width)
{
    return std::any_of(std::begin(FullScreenModeWidths), std::end(FullScreenModeWidths),
        [width](int modeWidth) { return modeWidth >= width; });
}

} // namespace

void TEngine::SetFullScreen(bool on)
{
    // Entering twice would overwrite what leaving gives back, and leaving
    // a windowed engine would give back nothing: both are no change.
    if (on == FDisplay.FFullScreen)
        return;
    if (on) {
        if (!FullScreenWidthAccepted(FDisplay.FScreenWidth)) {
            HaltedMessageBox(SJ("フルスクリーン化に失敗しました。"), SJ("エラー"), MB_OK);
            return;
        }
        EnterFullScreen();
    } else {
        LeaveFullScreen();
    }
    FScreen.FGameImg->Repaint();
    FScreen.FGameImg->Repaint();
    RestoreMessageWindow();
    if (IsGameRunning())
        CallEventLabel("OnFULLSCREEN");
    ScheduleNextTick();
}

void TEngine::FormClose()
{
    if (!FDisplay.FFullScreen)
        return;
    SetFullScreen(false);
    // The settings file records that the game was left in full screen.
    FDisplay.FFullScreen = true;
}

void TEngine::EnterFullScreen()
{
    FHost.Window.SetMenuChecked(TMenuItem::F3, true);
    FDisplay.FSavedN3Enabled = FHost.Window.MenuEnabled(TMenuItem::N3);
    FDisplay.FSavedD1Enabled = FHost.Window.MenuEnabled(TMenuItem::D1);
    FHost.Window.SetMenuEnabled(TMenuItem::N3, false);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, false);
    FHost.Window.SetMenuBarVisible(false);
    ScrollMessageToEnd();

    FDisplay.SaveBeforeFullScreen(FHost.Window.ClientWidth(), FHost.Window.ClientHeight());
    FDisplay.KeepFullScreenMinimum();
    FDisplay.FFullScreen = true;
    FHost.Window.EnterFullScreen(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
    if (FScreen.FGrp) {
        FScreen.FGrp->SetScreenSize(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
        KeepPictureSize();
        FScreen.FGrp->SetScale(FDisplay.FScale);
    }
    SetMessageMode(true);
    FScreen.FGameImg->Bitmap().Clear(Color32(128, 128, 128, 255));
}

void TEngine::LeaveFullScreen()
{
    FHost.Window.SetMenuChecked(TMenuItem::F3, false);
    FHost.Window.SetMenuEnabled(TMenuItem::N3, FDisplay.FSavedN3Enabled);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, FDisplay.FSavedD1Enabled);
    ScrollMessageToEnd();
    FHost.Window.SetMenuBarVisible(true);
    FDisplay.FFullScreen = false;
    FHost.Window.LeaveFullScreen();

    // A *SCREEN or *SCALE run in full screen stays: the window takes the
    // picture as it is now. Without one, the window and the screen come
    // back as they were (a client smaller than the screen included).
    if (FDisplay.UnchangedSinceFullScreen()) {
        FDisplay.FScreenWidth = FDisplay.FSavedScreenWidth;
        FDisplay.FScreenHeight = FDisplay.FSavedScreenHeight;
        FHost.Window.SetClientSize(FDisplay.FSavedClientWidth, FDisplay.FSavedClientHeight);
    } else {
        FDisplay.FScreenWidth = TDisplayState::Scaled(FDisplay.FBaseWidth, FDisplay.FScale);
        FDisplay.FScreenHeight = TDisplayState::Scaled(FDisplay.FBaseHeight, FDisplay.FScale);
        FHost.Window.SetClientSize(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
    }
    if (FScreen.FGrp) {
        FScreen.FGrp->SetScreenSize(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
        KeepPictureSize();
        FScreen.FGrp->SetScale(FDisplay.FScale);
    }
    if (FScreen.FMsg)
        FScreen.FMsg->SetActive(FDisplay.FSavedMsgInGame);
    SetMessageMode(FDisplay.FSavedMsgInGame);
    // Typing goes on in the command line in use, wherever it now lies.
    FHost.CommandLine.FocusInput();
}

void TEngine::KeepPictureSize()
{
    // A new size blanks the picture; one larger than the screen (drawn
    // before, and kept by the picture) must survive the screen's change.
    if (FScreen.FGrp->PictureWidth() != FDisplay.FBaseWidth || FScreen.FGrp->PictureHeight() != FDisplay.FBaseHeight)
        FScreen.FGrp->SetPictureSize(FDisplay.FBaseWidth, FDisplay.FBaseHeight);
}

void TEngine::ScrollMessageToEnd()
{
    if (FScreen.FGrp) {
        FScreen.FGrp->UpMarkLayer()->SetVisible(false);
        FScreen.FGrp->DownMarkLayer()->SetVisible(false);
    }
    if (FScreen.FMsg && FScreen.FMsg->FScrolled)
        FScreen.FMsg->ScrollToEnd();
}

void TEngine::SetScaleItemsEnabled(bool enabled)
{
    // In full screen the items stay disabled; they take the state when it
    // ends.
    if (FDisplay.FFullScreen) {
        FDisplay.FSavedN3Enabled = enabled;
        FDisplay.FSavedD1Enabled = enabled;
        return;
    }
    FHost.Window.SetMenuEnabled(TMenuItem::N3, enabled);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, enabled);
}
