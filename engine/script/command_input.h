#pragma once
// The typed-command input: the patterns of the current scene, the last
// line typed, an inline *INPUT or *YESNO waiting for its answer, and the
// command lines' font sizes.

#include <memory>
#include <string>

#include "engine/script/cmd_list.h"

class TCommandInput {
public:
    TCommandInput() : FCmdList(std::make_unique<TCmdList>()) {}

    // An inline question of the main script waits for the next line typed.
    bool Asked() const { return FPendingInputLine != -1; }
    void Ask(int line) { FPendingInputLine = line; }
    // Answered, or forgotten with the game it belonged to.
    void Forget() { FPendingInputLine = -1; }

    int FPendingInputLine = -1;
    std::string FLastInput;
    bool FStrictMatch = false;
    // The font-size entries (9, 12, 18 pt) of the command lines and of the
    // message log.
    int FCmdFontIndex = 0;
    int FLogFontIndex = 0;
    std::unique_ptr<TCmdList> FCmdList;
    // The wait mark was shown when Tab hid the message.
    bool FWaitShownBeforeHide = false;
};
