#pragma once
// Message boxes with the Windows call's flags and results. Texts and
// captions are Shift-JIS. Tests install a service of their own that answers
// without showing anything.

#include <string>

#include "classlib/message_flags.h"

class QWidget;

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
