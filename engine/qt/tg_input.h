#pragma once
// TTGInput: the player's command line. It drives one of the two edit boxes
// named CmdEdit (the main window's, or the message-and-input window's) and
// hands each entered line to the main window. Around that it keeps the
// history of entered lines (Up and Down), the names of the keys scripts may
// bind, the 25 function-key labels, and the colour that shows the engine is
// waiting for an answer typed here. It pops up a menu of the game's keywords
// and runs the macro texts bound to keys; both are the engine's, read
// through the host.

#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/stringlist.h"
#include "engine/screen/key_str_list.h"
#include "classlib/colors.h"
#include "platform/vk_keys.h"

class QLineEdit;
class QMenu;
class TInputHost;
class TKeyHook;

class TTGInput {
public:
    // Entered lines kept for Up and Down.
    static constexpr int MaxHistory = 1000;
    // Function-key labels: 0..11 plain, 12..23 while Shift is held.
    static constexpr int KeyLabelCount = 25;

    // Drives `edit` (not owned) from the start; `tag` is only kept.
    TTGInput(TInputHost& host, QLineEdit* edit, int tag);
    ~TTGInput();
    TTGInput(const TTGInput&) = delete;
    TTGInput& operator=(const TTGInput&) = delete;

    // Switches to another edit box: the one in use is hidden and disabled,
    // the new one shown, hooked and focused, showing "HIT SPACE KEY!" during
    // a key wait and nothing otherwise. History and tag stay.
    void AttachEdit(QLineEdit* edit);
    // Points at `edit` without hooking or showing it (for setting the state
    // of both boxes in turn).
    void SetEdit(QLineEdit* edit);
    // Takes the key events of `edit` and starts the history cursor afresh.
    void HookEdit(QLineEdit* edit, int tag);
    QLineEdit* Edit() const { return FEdit; }
    int Tag() const { return FTag; }

    void SetEnabled(bool enabled);
    bool GetEnabled() const;
    // The engine waits for an answer typed here; the box turns light blue.
    void SetQuestionMode(bool on);
    bool GetQuestionMode() const { return FQuestionMode; }
    void SetText(const std::string& text);
    void ClearText();
    // Focus and caret at the end, when the box is visible and enabled; its
    // window becomes the active one when another of the program's is.
    void FocusEdit();

    // The input method's state (focusing the box first) / opens or closes it.
    bool GetImeOpen();
    void SetImeOpen(bool open);
    // The input method's state when the player last entered a line.
    bool ImeOpenAtSubmit() const { return FImeOpen; }

    // The keyword menu, filled with the host's keywords when it pops up.
    QMenu* KeywordMenu() const { return FKeywordMenu.get(); }

    // Function-key label 0..24; outside that range nothing is kept.
    std::string GetKeyLabel(int index) const;
    void SetKeyLabel(int index, const std::string& text);

    // Key names for *SETKEY.
    TKeyStrList& KeyNames() { return FKeyNames; }
    const TStringList& History() const { return FHistory; }

    // Key handlers of the hooked edit box. A key or character set to 0 is
    // consumed.
    void EditKeyDown(uint16_t& key, TShiftState shift);
    void EditKeyUp(uint16_t& key, TShiftState shift);
    void EditKeyPress(char& key);

private:
    enum class TMacroResult { Popup, Spent };

    // Hands the line to the main window and empties the box.
    void Submit();
    // Acts on a key's macro text: shows the keyword menu, or enters, types
    // or swallows the text.
    TMacroResult RunMacro(const std::string& text);
    void PopupKeywords();
    // Types `text` at the caret, over the selection, as pasting would.
    void InsertText(const std::string& text);
    void ShowHistoryLine(int index);
    // Sends the box's key events to the three handlers.
    void Hook(QLineEdit* edit);
    void PaintEdit(TColor color);
    void FillKeyNames();

    TInputHost& FHost;
    bool FImeOpen = false;
    int FTag = 0;
    std::unique_ptr<QMenu> FKeywordMenu;
    QPointer<QLineEdit> FEdit;
    TStringList FHistory;
    int FHistoryIndex = -1;
    bool FQuestionMode = false;
    TKeyStrList FKeyNames;
    std::array<std::string, KeyLabelCount> FKeyLabels;
    // The character of the current key press is not to be typed: its key
    // has acted as a macro.
    bool FSwallowKey = false;

    std::unique_ptr<TKeyHook> FHook;
};
