#pragma once
// THostSmallWindows: the message-and-input window and the sub window, with
// the message logs they show. Texts are Shift-JIS.

#include <string>

class TMsgLog;

// A window's place on the desktop (the left and top of its frame) and its
// size.
struct TWindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TWindowBounds&, const TWindowBounds&) = default;
};

class THostSmallWindows {
public:
    virtual ~THostSmallWindows() = default;

    // The log of the message-and-input window, and the sub window's text
    // box; nullptr when there is none. Both live as long as the host.
    virtual TMsgLog* MessageLog() = 0;
    virtual TMsgLog* SubLog() = 0;
    // Font size in points of the message-and-input window's log.
    virtual void SetLogFontSize(int points) = 0;
    // The message goes to the game screen (true) or to the message-and-input
    // window (false): the command line moves to that place's box, and the
    // message-and-input window is hidden, or shown with its log scrolled to
    // the end.
    virtual void SetMessagePlace(bool onGameScreen) = 0;
    // Shows or hides the message-and-input window.
    virtual void SetMessageWindowVisible(bool visible) = 0;

    // The sub window's place and size, as last set or as the window system
    // left it.
    virtual TWindowBounds SubWindowPlace() const = 0;
    // Places the sub window (left, top, width, height, in that order) and
    // shows it. A window system that places windows itself may ignore the
    // place.
    virtual void ShowSubWindow(const TWindowBounds& place) = 0;
    // Hides it; its place and size stay.
    virtual void HideSubWindow() = 0;
    virtual void SetSubWindowTitle(const std::string& title) = 0;
    // Kept above the other windows, or a normal window; it keeps its place
    // and whether it is shown.
    virtual void SetSubWindowOnTop(bool onTop) = 0;
};
