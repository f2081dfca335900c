#pragma once
// The file-open dialog with the original's filter notation: pairs of a
// description and a pattern list, all separated by "|" ("Scripts|*.tgs;*.tgp").
// Texts are Shift-JIS; the chosen name is a file-system path.

#include <functional>
#include <string>

class QWidget;

class TOpenDialog {
public:
    std::string Filter;
    std::string Title;
    std::string FileName;

    // Shows the dialog modally; true when a file was chosen (FileName holds it).
    bool Execute(QWidget* parent);

    // Replaces the dialog (tests): gets this object, answers as Execute does.
    std::function<bool(TOpenDialog&)> OnExecute;

    // The filter in Qt's notation ("Scripts (*.tgs *.tgp);;...").
    static std::string QtFilter(const std::string& filter);
};
