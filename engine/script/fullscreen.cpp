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

// Full screen never shows less than this on either side.
constexpr int FullScreenMinWidth = 640;
constexpr int FullScreenMinHeight = 480;

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
    if (on == FFullScreen)
        return;
    if (on) {
        if (!FullScreenWidthAccepted(FScreenWidth)) {
            HaltedMessageBox(SJ("フルスクリーン化に失敗しました。"), SJ("エラー"), MB_OK);
            return;
        }
        EnterFullScreen();
    } else {
        LeaveFullScreen();
    }
    FGameImg->Repaint();
    FGameImg->Repaint();
    RestoreMessageWindow();
    if (IsGameRunning())
        CallEventLabel("OnFULLSCREEN");
    ScheduleNextTick();
}

void TEngine::FormClose()
{
    if (!FFullScreen)
        return;
    SetFullScreen(false);
    // The settings file records that the game was left in full screen.
    FFullScreen = true;
}

void TEngine::EnterFullScreen()
{
    FHost.Window.SetMenuChecked(TMenuItem::F3, true);
    FSavedN3Enabled = FHost.Window.MenuEnabled(TMenuItem::N3);
    FSavedD1Enabled = FHost.Window.MenuEnabled(TMenuItem::D1);
    FHost.Window.SetMenuEnabled(TMenuItem::N3, false);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, false);
    FHost.Window.SetMenuBarVisible(false);
    ScrollMessageToEnd();

    FSavedClientWidth = FHost.Window.ClientWidth();
    FSavedClientHeight = FHost.Window.ClientHeight();
    FSavedScreenWidth = FScreenWidth;
    FSavedScreenHeight = FScreenHeight;
    FSavedBaseWidth = FBaseWidth;
    FSavedBaseHeight = FBaseHeight;
    FSavedScale = FScale;
    FSavedMsgInGame = FMsgInGame;

    KeepFullScreenMinimum();
    FFullScreen = true;
    FHost.Window.EnterFullScreen(FScreenWidth, FScreenHeight);
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        KeepPictureSize();
        FGrp->SetScale(FScale);
    }
    SetMessageMode(true);
    FGameImg->Bitmap().Clear(Color32(128, 128, 128, 255));
}

void TEngine::LeaveFullScreen()
{
    FHost.Window.SetMenuChecked(TMenuItem::F3, false);
    FHost.Window.SetMenuEnabled(TMenuItem::N3, FSavedN3Enabled);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, FSavedD1Enabled);
    ScrollMessageToEnd();
    FHost.Window.SetMenuBarVisible(true);
    FFullScreen = false;
    FHost.Window.LeaveFullScreen();

    // A *SCREEN or *SCALE run in full screen stays: the window takes the
    // picture as it is now. Without one, the window and the screen come
    // back as they were (a client smaller than the screen included).
    if (FBaseWidth == FSavedBaseWidth && FBaseHeight == FSavedBaseHeight && FScale == FSavedScale) {
        FScreenWidth = FSavedScreenWidth;
        FScreenHeight = FSavedScreenHeight;
        FHost.Window.SetClientSize(FSavedClientWidth, FSavedClientHeight);
    } else {
        FScreenWidth = static_cast<int>(Round(static_cast<double>(FBaseWidth) * FScale));
        FScreenHeight = static_cast<int>(Round(static_cast<double>(FBaseHeight) * FScale));
        FHost.Window.SetClientSize(FScreenWidth, FScreenHeight);
    }
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        KeepPictureSize();
        FGrp->SetScale(FScale);
    }
    if (FMsg)
        FMsg->SetActive(FSavedMsgInGame);
    SetMessageMode(FSavedMsgInGame);
    // Typing goes on in the command line in use, wherever it now lies.
    FHost.CommandLine.FocusInput();
}

void TEngine::KeepPictureSize()
{
    // A new size blanks the picture; one larger than the screen (drawn
    // before, and kept by the picture) must survive the screen's change.
    if (FGrp->PictureWidth() != FBaseWidth || FGrp->PictureHeight() != FBaseHeight)
        FGrp->SetPictureSize(FBaseWidth, FBaseHeight);
}

void TEngine::KeepFullScreenMinimum()
{
    // Each side on its own: a wide, low picture keeps its width.
    FScreenWidth = std::max(FScreenWidth, FullScreenMinWidth);
    FScreenHeight = std::max(FScreenHeight, FullScreenMinHeight);
}

void TEngine::ScrollMessageToEnd()
{
    if (FGrp) {
        FGrp->UpMarkLayer()->SetVisible(false);
        FGrp->DownMarkLayer()->SetVisible(false);
    }
    if (FMsg && FMsg->FScrolled)
        FMsg->ScrollToEnd();
}

void TEngine::SetScaleItemsEnabled(bool enabled)
{
    // In full screen the items stay disabled; they take the state when it
    // ends.
    if (FFullScreen) {
        FSavedN3Enabled = enabled;
        FSavedD1Enabled = enabled;
        return;
    }
    FHost.Window.SetMenuEnabled(TMenuItem::N3, enabled);
    FHost.Window.SetMenuEnabled(TMenuItem::D1, enabled);
}
