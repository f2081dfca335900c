#include "engine/qt/yes_no_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "engine/qt/form_style.h"
#include "engine/screen/modal_result.h"

TYesNoDlg::TYesNoDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setWindowTitle(FormText(SJ("選択")));
    setFont(FormFont());
    setFixedSize(255, 70);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->move(16, 16);

    OKBtn = new QPushButton(FormText(SJ("はい")), this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(87, 36, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrYes); });

    CancelBtn = new QPushButton(FormText(SJ("いいえ")), this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(175, 36, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
}

void TYesNoDlg::SetPrompt(const std::string& text)
{
    Label1->setText(FormText(text));
    Label1->adjustSize();
}

void TYesNoDlg::reject()
{
    done(mrCancel);
}

void TYesNoDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(*this);
}

void TYesNoDlg::keyPressEvent(QKeyEvent* event)
{
    // "いいえ" is the dialog's cancel button: Escape presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
