#pragma once
// TInputDlg: the dialog "入力" in which *INPUT asks for a value. OK (or
// Enter) ends it with mrOk; the engine ends it with mrAbort when a scenario
// is opened while it is up. It has no Cancel button and no close button, so
// Escape does nothing and the window manager's close is ignored; closing it
// from code (the program quitting) answers mrCancel.

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TInputDlg : public QDialog {
public:
    // Centred on `mainWindow` whenever it is shown.
    explicit TInputDlg(QWidget* mainWindow = nullptr);

    QLabel* InputLabel = nullptr;
    QLineEdit* InputEdit = nullptr;
    QPushButton* OKBtn = nullptr;

    // The question; the label takes the width of the text.
    void SetPrompt(const std::string& text);
    // What the player typed, in Shift-JIS.
    std::string Text() const;
    // Ends the dialog from code with mrAbort.
    void Abort();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
