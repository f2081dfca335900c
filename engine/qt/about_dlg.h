#pragma once
// TAboutDlg: the about box, one picture. Any key or mouse button closes it
// with mrOk.

#include <QDialog>
#include <memory>

class QLabel;
class QPixmap;
class TKeyPreview;

class TAboutDlg : public QDialog {
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    ~TAboutDlg() override;

    // A picture in place of the built-in one; the client area takes its
    // size.
    void SetPicture(const QPixmap& picture);

    QLabel* Image1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TKeyPreview> FPreview;
};
