#pragma once
// THostDialogs: the dialogs the engine shows and the questions it asks the
// player. Texts are Shift-JIS; the modal ones return when the player has
// answered (the engine sets FHalted around the message boxes).

#include <string>

class THostDialogs {
public:
    virtual ~THostDialogs() = default;

    // A message box with the Windows flags (MB_*); answers IDOK, IDYES ...
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
    // The input dialog with `prompt`, its edit emptied: answers the modal
    // result (mrOk, or mrAbort when an open closed it) and the typed text.
    // It answers mrAbort without asking once the program is closing (and
    // when it began to close during the dialog); so does AskYesNo.
    virtual int AskInput(const std::string& prompt, std::string& text) = 0;
    // The yes/no dialog with `prompt`: mrYes for yes, anything else for no.
    virtual int AskYesNo(const std::string& prompt) = 0;
    // The open dialog with the original's filter notation; true when a file
    // was chosen (`fileName` then holds its file-system path).
    virtual bool ChooseScenario(const std::string& filter, std::string& fileName) = 0;
    // The input dialog or the about box is up.
    virtual bool DialogShown() const = 0;
    // Ends the input dialog with mrAbort and the about box with mrOk, if up.
    virtual void CloseDialogs() = 0;
    // Shows the debug window without holding the game (modeless).
    virtual void ShowDebugWindow() = 0;
};
