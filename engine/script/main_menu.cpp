// What the main window's menus do to the game: the display scale, and where
// the message text and the command line are shown.

#include "base/conv.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "graphics/image32.h"

namespace {

// Twice a wider picture would not fit a screen.
constexpr int MaxDoubleScaleWidth = 512;

} // namespace

void TEngine::SetScreenScale(int width, int height, float scale)
{
    FHost.Window.SetClientSize(width, height);
    FScreenWidth = width;
    FScreenHeight = height;
    FScale = scale;
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetScale(scale);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
    ScheduleNextTick();
}

void TEngine::N3Click()
{
    FHost.Window.SetMenuChecked(TMenuItem::N3, true);
    FHost.Window.SetMenuChecked(TMenuItem::D1, false);
    SetScreenScale(FBaseWidth, FBaseHeight, 1.0f);
}

void TEngine::D1Click()
{
    if (FBaseWidth > MaxDoubleScaleWidth) {
        FHost.Window.SetMenuChecked(TMenuItem::D1, false);
        FHost.Window.SetMenuEnabled(TMenuItem::D1, false);
        return;
    }
    FHost.Window.SetMenuChecked(TMenuItem::D1, true);
    FHost.Window.SetMenuChecked(TMenuItem::N3, false);
    SetScreenScale(FBaseWidth * 2, FBaseHeight * 2, 2.0f);
}

void TEngine::ApplyScale(float scale)
{
    FScriptScale = true;
    SetScaleItemsEnabled(false);
    FScale = scale;
    const int width = static_cast<int>(Round(static_cast<double>(FBaseWidth) * scale));
    const int height = static_cast<int>(Round(static_cast<double>(FBaseHeight) * scale));
    if (!FFullScreen)
        FHost.Window.SetClientSize(width, height);
    FScreenWidth = width;
    FScreenHeight = height;
    if (FFullScreen)
        KeepFullScreenMinimum();
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetScale(scale);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
}

void TEngine::SetMessageMode(bool onGameScreen)
{
    FHost.SmallWindows.SetMessagePlace(onGameScreen);
    FMsgInGame = onGameScreen;
    if (FMsg) {
        FMsg->SetActive(onGameScreen);
        if (onGameScreen)
            FMsg->ScrollToEnd();
    }
    // The marks follow the message to the game screen and leave it with it.
    if (FGrp)
        FGrp->PlaceScrollMarks();
    FGameImg->Invalidate();
    if (FPendingInputLine != -1)
        FHost.CommandLine.SetQuestionMode(true);
}
