#pragma once
// TSubForm: the "Sub Window" that message text goes to while a script has
// switched to sub-window mode. A small tool window, on top of the others
// unless a script says otherwise, holding one read-only text box.

#include <QWidget>

class QTextEdit;

class TSubForm : public QWidget {
public:
    explicit TSubForm(QWidget* parent = nullptr);

    // The text box the message window writes into; it fills the window.
    QTextEdit* SubRichEdit = nullptr;

    // *SUBWINTOP: kept above other windows or not.
    void SetStayOnTop(bool onTop);
};
