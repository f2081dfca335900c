#pragma once
// The dialogs as a fake: each one answers at once from fields a test sets,
// and what it was shown is recorded.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "classlib/message_flags.h"
#include "engine/screen/modal_result.h"
#include "engine/script/host_dialogs.h"

class TEngine;
enum class TEngineState : uint8_t;

class TFakeHostDialogs : public THostDialogs {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
    int AskInput(const std::string& prompt, std::string& text) override;
    int AskYesNo(const std::string& prompt) override;
    bool ChooseScenario(const std::string& filter, std::string& fileName) override;
    bool DialogShown() const override { return DialogUp; }
    void CloseDialogs() override { DialogUp = false; }
    void ShowDebugWindow() override { ++DebugShown; }

    struct TShownBox {
        std::string Text;    // UTF-8
        std::string Caption; // UTF-8
        int Flags = 0;
        bool Halted = false; // the engine's halted flag while it was up
    };

    // The engine whose halted flag the message boxes record, and whose
    // state the input and yes/no dialogs.
    const TEngine* Engine = nullptr;

    std::vector<TShownBox> Boxes;
    int BoxAnswer = IDYES;
    std::vector<std::string> Prompts; // Shift-JIS, input and yes/no dialogs
    // The input dialog's answers, one per showing, first first; once they
    // are used up the dialog is abandoned (mrAbort), so that no script asks
    // for ever.
    std::deque<std::string> InputAnswers;
    // The engine's state while each input or yes/no dialog was up.
    std::vector<TEngineState> DialogStates;
    int YesNoResult = mrYes;
    // The file the open dialog chooses; none cancels it.
    std::optional<std::string> ScenarioChoice;
    std::string OpenFilter;
    bool DialogUp = false;
    // The number of times the debug window was asked for.
    int DebugShown = 0;
};
