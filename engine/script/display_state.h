#pragma once
// The display: the game's base size and scale, the screen the picture is
// shown on, full screen and what leaving it gives back, where the message
// is shown, the function-key bar, the sub window, and the mouse over the
// game screen. The engine's display and full-screen methods act on it and
// tell the host.

#include <cstdint>

#include "engine/script/script_runner.h"

// What the settings file keeps of the engine.
struct TEngineSettings {
    bool FullScreen = false;
    float Scale = 1.0f;
    int BaseWidth = 230;
    int BaseHeight = 176;
};

class TDisplayState {
public:
    TEngineSettings Settings() const { return {FFullScreen, FScale, FBaseWidth, FBaseHeight}; }
    // Full screen itself is entered once the window exists (player mode).
    void ApplySettings(const TEngineSettings& settings);

    // A side of the base size at a scale, in screen pixels.
    static int Scaled(int side, float scale);
    // The logical screen of full screen is at least 640 x 480, each side on
    // its own: a wide, low picture keeps its width.
    void KeepFullScreenMinimum();
    // Full screen is entered: the window's client and the screen, base size,
    // scale and message mode it was entered with are kept.
    void SaveBeforeFullScreen(int clientWidth, int clientHeight);
    // Full screen is left: no *SCREEN or *SCALE ran meanwhile, and the
    // window and screen come back as they were.
    bool UnchangedSinceFullScreen() const;
    // A mouse position over the game image, in display pixels.
    void MoveMouse(int32_t x, int32_t y);

    int FBaseWidth = 230;
    int FBaseHeight = 176;
    float FScale = 1.0f;
    int FScreenWidth = 0;
    int FScreenHeight = 0;
    bool FFullScreen = false;
    bool FIniFullScreen = false;
    bool FScriptScale = false;
    bool FMsgInGame = false;
    bool FMsgHidden = false;
    bool FTabHideEnabled = true;
    bool FFuncBarShown = false;
    bool FFuncBarShifted = false;
    int FFuncKeyCount = 12;
    int FSubWinMode = 0;
    TSubWinHolder FSubWinHolder = TSubWinHolder::None;
    int FMouseX = 0;
    int FMouseY = 0;
    int FMouseButtons = 0;
    // Full screen (fullscreen.cpp): what leaving it gives back. The message
    // mode wanted after full screen: *MSGMODE in full screen writes only
    // this, the window stays as it is.
    bool FSavedMsgInGame = false;
    // The scale items' enabled state to come back after full screen (set
    // instead of the items while it is on).
    bool FSavedN3Enabled = true;
    bool FSavedD1Enabled = true;
    // The window's client, the screen, base size and scale full screen was
    // entered with.
    int FSavedClientWidth = 0;
    int FSavedClientHeight = 0;
    int FSavedScreenWidth = 0;
    int FSavedScreenHeight = 0;
    int FSavedBaseWidth = 0;
    int FSavedBaseHeight = 0;
    float FSavedScale = 1.0f;
    // Tab is held (the message hidden by it, not by *MSGDISP 0); Alt+Enter
    // has toggled full screen and Enter is not released yet.
    bool FTabHeld = false;
    bool FAltEnterHeld = false;
};
