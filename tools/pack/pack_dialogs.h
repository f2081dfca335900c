#pragma once
// The packer's two small windows: the wait dialog shown while an archive is
// written, and the about box.

#include <QDialog>

class QLabel;

// "PleaseWait..." over a framed "圧縮＆保存中……"; stays on top, centred on
// the screen.
class TPackWaitDlg : public QDialog {
public:
    explicit TPackWaitDlg(QWidget* Parent = nullptr);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QLabel* Label1;
};

// Black box with the program's title and version and an OK button.
class TTGPAboutDlg : public QDialog {
public:
    explicit TTGPAboutDlg(QWidget* Parent = nullptr);

protected:
    void showEvent(QShowEvent* Event) override;
};

// Moves a top-level window to the middle of the screen it is on.
void CenterOnScreen(QWidget& Window);
