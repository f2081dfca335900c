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
    FDisplay.FScreenWidth = width;
    FDisplay.FScreenHeight = height;
    FDisplay.FScale = scale;
    if (FScreen.FGrp) {
        FScreen.FGrp->SetScreenSize(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
        FScreen.FGrp->SetScale(scale);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
    ScheduleNextTick();
}

void TEngine::N3Click()
{
    FHost.Window.SetMenuChecked(TMenuItem::N3, true);
    FHost.Window.SetMenuChecked(TMenuItem::D1, false);
    SetScreenScale(FDisplay.FBaseWidth, FDisplay.FBaseHeight, 1.0f);
}

void TEngine::D1Click()
{
    if (FDisplay.FBaseWidth > MaxDoubleScaleWidth) {
        FHost.Window.SetMenuChecked(TMenuItem::D1, false);
        FHost.Window.SetMenuEnabled(TMenuItem::D1, false);
        return;
    }
    FHost.Window.SetMenuChecked(TMenuItem::D1, true);
    FHost.Window.SetMenuChecked(TMenuItem::N3, false);
    SetScreenScale(FDisplay.FBaseWidth * 2, FDisplay.FBaseHeight * 2, 2.0f);
}

void TEngine::ApplyScale(float scale)
{
    FDisplay.FScriptScale = true;
    SetScaleItemsEnabled(false);
    FDisplay.FScale = scale;
    const int width = TDisplayState::Scaled(FDisplay.FBaseWidth, scale);
    const int height = TDisplayState::Scaled(FDisplay.FBaseHeight, scale);
    if (!FDisplay.FFullScreen)
        FHost.Window.SetClientSize(width, height);
    FDisplay.FScreenWidth = width;
    FDisplay.FScreenHeight = height;
    if (FDisplay.FFullScreen)
        FDisplay.KeepFullScreenMinimum();
    if (FScreen.FGrp) {
        FScreen.FGrp->SetScreenSize(FDisplay.FScreenWidth, FDisplay.FScreenHeight);
        FScreen.FGrp->SetScale(scale);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
}

void TEngine::SetMessageMode(bool onGameScreen)
{
    FHost.SmallWindows.SetMessagePlace(onGameScreen);
    FDisplay.FMsgInGame = onGameScreen;
    if (FScreen.FMsg) {
        FScreen.FMsg->SetActive(onGameScreen);
        if (onGameScreen)
            FScreen.FMsg->ScrollToEnd();
    }
    // The marks follow the message to the game screen and leave it with it.
    if (FScreen.FGrp)
        FScreen.FGrp->PlaceScrollMarks();
    FScreen.FGameImg->Invalidate();
    if (FCmdInput.Asked())
        FHost.CommandLine.SetQuestionMode(true);
}
