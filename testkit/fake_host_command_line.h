#pragma once
// The command line as a fake: one box whose state is kept in fields, the
// key names the real one binds and the function-key labels.

#include <array>
#include <string>

#include "engine/screen/key_str_list.h"
#include "engine/script/host_command_line.h"

class TFakeHostCommandLine : public THostCommandLine {
public:
    TFakeHostCommandLine() { AddKeyNames(KeyNameTable); }

    void SetInputEnabled(bool enabled) override { InputOn = enabled; }
    bool InputEnabled() const override { return InputOn; }
    void SetShownInputEnabled(bool enabled) override { InputOn = enabled; }
    void SetInputText(const std::string& text) override { InputText = text; }
    void FocusInput() override;
    bool InputFocused() const override { return InputHasFocus; }
    void SetInputVisible(bool visible) override { InputShown = visible; }
    bool InputImeOpen() override { return InputIme; }
    void SetInputImeOpen(bool open) override { InputIme = open; }
    bool ImeOpenAtSubmit() const override { return InputImeAtSubmit; }
    void SetQuestionMode(bool on) override { QuestionMode = on; }
    TKeyStrList& KeyNames() override { return KeyNameTable; }
    void SetKeyLabel(int index, const std::string& text) override;
    std::string GetKeyLabel(int index) const override;
    void SetInputFontSize(int points) override { InputFontSize = points; }
    void GrowInputs(int pixels) override { InputGrowth += pixels; }
    void LiftMainInput(int pixels) override { MainInputLift += pixels; }

    bool InputOn = true;
    std::string InputText; // Shift-JIS
    bool InputHasFocus = false;
    bool InputShown = true;
    bool InputIme = false;
    bool InputImeAtSubmit = false;
    bool QuestionMode = false;
    std::array<std::string, 25> KeyLabels{};
    TKeyStrList KeyNameTable;
    // The command lines' font size (points), how far they have grown
    // upwards, and how far the main window's own one stands above its place
    // (the function-key bar's room).
    int InputFontSize = 9;
    int InputGrowth = 0;
    int MainInputLift = 0;
};
