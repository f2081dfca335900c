#pragma once
// TSubForm: the "Sub Window" that message text goes to while a script has
// switched to sub-window mode. A small tool window, on top of the others
// unless a script says otherwise, holding one read-only text box.

#include <QWidget>
#include <memory>

class TRichEdit;

class TSubForm : public QWidget {
public:
    explicit TSubForm(QWidget* parent = nullptr);
    ~TSubForm() override;

    // The text box the message window writes into; it fills the window.
    std::unique_ptr<TRichEdit> SubRichEdit;

    // *SUBWINTOP: kept above other windows or not.
    void SetStayOnTop(bool onTop);
};
