#pragma once
// TAboutDlg: the about box, one picture. Any key or mouse button closes it
// with mrOk.

#include <QDialog>
#include <memory>

class QLabel;
class TKeyPreview;

class TAboutDlg : public QDialog {
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    ~TAboutDlg() override;

    QLabel* Image1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TKeyPreview> FPreview;
};
