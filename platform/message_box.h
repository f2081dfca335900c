#pragma once
// Message boxes with the Windows call's flags and results. Texts and
// captions are Shift-JIS. Tests install a service of their own that answers
// without showing anything.

#include <string>

class QWidget;

// Button and icon flags, as the Windows call takes them.
constexpr int MB_OK = 0x00;
constexpr int MB_OKCANCEL = 0x01;
constexpr int MB_YESNO = 0x04;
constexpr int MB_ICONSTOP = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONEXCLAMATION = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;

// Results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class TMessageBoxService {
public:
    virtual ~TMessageBoxService() = default;
    // Shows the box modally and answers the button chosen (closing the box
    // answers IDCANCEL for OK/Cancel, IDNO for Yes/No, IDOK for OK alone).
    virtual int Show(QWidget* parent, const std::string& text, const std::string& caption, int flags) = 0;
};

// The service in use: the Qt one unless another is installed.
int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags);
// Installs a service (not owned); nullptr restores the Qt one.
void SetMessageBoxService(TMessageBoxService* service);
