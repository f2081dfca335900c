#pragma once
// THostCommandLine: the player's command line as the engine drives it. There
// are two boxes, the game screen's and the message-and-input window's; the
// one in use is the one of the place the message goes to. The keywords and
// key macros it acts on are the game's (TGameState); it reads them from the
// engine. Texts are Shift-JIS.

#include <string>

class TKeyStrList;

class THostCommandLine {
public:
    virtual ~THostCommandLine() = default;

    // Enables or disables both boxes, and whether the one in use is enabled.
    virtual void SetInputEnabled(bool enabled) = 0;
    virtual bool InputEnabled() const = 0;
    // Enables or disables only the box in use.
    virtual void SetShownInputEnabled(bool enabled) = 0;
    virtual void SetInputText(const std::string& text) = 0;
    // Focus and caret at the end, when the box is visible and enabled.
    virtual void FocusInput() = 0;
    virtual bool InputFocused() const = 0;
    // Shows or hides the box in use (Tab held hides it with the message).
    virtual void SetInputVisible(bool visible) = 0;
    // The input method of the box (focusing it first); opens or closes it.
    virtual bool InputImeOpen() = 0;
    virtual void SetInputImeOpen(bool open) = 0;
    // The input method's state when the player last entered a line.
    virtual bool ImeOpenAtSubmit() const = 0;
    // The box waits for an answer typed into it (it turns light blue).
    virtual void SetQuestionMode(bool on) = 0;

    // The names of the keys scripts may bind, with their key codes.
    virtual TKeyStrList& KeyNames() = 0;
    // Function-key label 0..24; other indices are ignored (and read empty).
    virtual void SetKeyLabel(int index, const std::string& text) = 0;
    virtual std::string GetKeyLabel(int index) const = 0;

    // Font size in points of both boxes.
    virtual void SetInputFontSize(int points) = 0;
    // Both boxes grow upwards by `pixels` (shrink when negative), their
    // bottom edge staying, for a larger font; they keep that height when the
    // window is laid out again.
    virtual void GrowInputs(int pixels) = 0;
    // The main window's own box stands `pixels` higher (lower when
    // negative): the function-key bar takes the room below it.
    virtual void LiftMainInput(int pixels) = 0;
};
