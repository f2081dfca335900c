#pragma once
// What the screen objects (TTGGrp, TTGMsg) read of the main window that owns
// them. The main window implements it; tests use a fake.

#include <string>

class TBitmap32List;
class TMsgLog;

class TScreenHost {
public:
    virtual ~TScreenHost() = default;

    // The built-in pictures: wait frames 0 and 1, the message skin (2), the
    // up (3) and down (4) scroll marks.
    virtual TBitmap32List& Bitmap32List1() = 0;
    // The current wait-animation frames.
    virtual TBitmap32List& WaitGrpList() = 0;
    // The message window is shown on the game screen (not in its own window).
    virtual bool MsgInGame() const = 0;
    // The engine is in full screen.
    virtual bool FullScreen() const = 0;
    // The function-key bar is shown.
    virtual bool FuncBarShown() const = 0;
    // Shift is held, so the bar shows the Shift labels.
    virtual bool FuncBarShifted() const = 0;
    // Number of keys on the function-key bar.
    virtual int FuncKeyCount() const = 0;
    // Function-key label `index` (0..24) of the command line.
    virtual std::string GetKeyLabel(int index) const = 0;
    // 1 while message text goes to the sub window.
    virtual int SubWinMode() const = 0;
    // The sub window's text box; nullptr when there is none.
    virtual TMsgLog* SubLog() = 0;
};
