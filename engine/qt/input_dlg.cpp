#include "engine/qt/input_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/qt/form_style.h"
#include "engine/screen/modal_result.h"

TInputDlg::TInputDlg(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(FormText(SJ("入力")));
    setFont(FormFont());
    setFixedSize(387, 80);

    InputLabel = new QLabel("TEST", this);
    InputLabel->setObjectName("InputLabel");
    InputLabel->move(8, 8);
    InputLabel->adjustSize();

    InputEdit = new QLineEdit(this);
    InputEdit->setObjectName("InputEdit");
    InputEdit->setGeometry(8, 40, 288, 20);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(310, 36, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
}

void TInputDlg::SetPrompt(const std::string& text)
{
    InputLabel->setText(FormText(text));
    InputLabel->adjustSize();
}

std::string TInputDlg::Text() const
{
    return sjis::FromUtf8(InputEdit->text().toStdString());
}

void TInputDlg::Abort()
{
    done(mrAbort);
}

void TInputDlg::reject()
{
    done(mrCancel);
}

void TInputDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    InputEdit->setFocus();
}

void TInputDlg::closeEvent(QCloseEvent* event)
{
    // Window managers offer to close any window; the question must be
    // answered with OK.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TInputDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
