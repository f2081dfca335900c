#pragma once
// TYesNoDlg: the dialog "選択" in which *YESNO asks its question. Only
// "はい" answers mrYes; "いいえ" and Escape both answer mrOk, and closing the
// window answers mrCancel, all of which the engine takes for no.

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

class TYesNoDlg : public QDialog {
public:
    explicit TYesNoDlg(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* OKBtn = nullptr;     // "はい"
    QPushButton* CancelBtn = nullptr; // "いいえ"

    // The question; the label takes the width of the text. The asker widens
    // the dialog to fit it (setFixedWidth).
    void SetPrompt(const std::string& text);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
