#pragma once
// The message-and-input window and the sub window as a fake: plain logs,
// and their places and shown states in fields.

#include <string>

#include "engine/script/host_small_windows.h"
#include "testkit/plain_msg_log.h"

class TFakeHostSmallWindows : public THostSmallWindows {
public:
    TMsgLog* MessageLog() override { return &Log; }
    TMsgLog* SubLog() override { return &Sub; }
    void SetLogFontSize(int points) override { LogFontSize = points; }
    void SetMessagePlace(bool onGameScreen) override
    {
        MessageOnGameScreen = onGameScreen;
        MessageWindowShown = !onGameScreen;
    }
    void SetMessageWindowVisible(bool visible) override { MessageWindowShown = visible; }
    TWindowBounds SubWindowPlace() const override { return SubPlace; }
    void ShowSubWindow(const TWindowBounds& place) override
    {
        SubPlace = place;
        SubShown = true;
    }
    void HideSubWindow() override { SubShown = false; }
    void SetSubWindowTitle(const std::string& title) override { SubTitle = title; }
    void SetSubWindowOnTop(bool onTop) override { SubOnTop = onTop; }

    TPlainMsgLog Log;
    TPlainMsgLog Sub;
    // The message log's font size (points).
    int LogFontSize = 9;
    bool MessageOnGameScreen = false;
    bool MessageWindowShown = false;
    TWindowBounds SubPlace{252, 313, 201, 149};
    bool SubShown = false;
    std::string SubTitle = "Sub Window"; // Shift-JIS
    bool SubOnTop = true;
};
