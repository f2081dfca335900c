#include "tools/pack/pack_dialogs.h"

#include "base/sjis.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString Jp(const std::string& Text)
{
    return QString::fromUtf8(sjis::ToUtf8(Text));
}

} // namespace

void CenterOnScreen(QWidget& Window)
{
    const QScreen* screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = Window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    Window.move(frame.topLeft());
}

TPackWaitDlg::TPackWaitDlg(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("PleaseWait..."));
    setFixedSize(312, 66);
    Label1 = new QLabel(Jp(SJ("圧縮＆保存中……")), this);
    Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1->setAlignment(Qt::AlignCenter);
    QFont font = Label1->font();
    font.setPixelSize(19);
    Label1->setFont(font);
    Label1->setGeometry(8, 8, 296, 50);
}

void TPackWaitDlg::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    CenterOnScreen(*this);
}

TTGPAboutDlg::TTGPAboutDlg(QWidget* Parent) : QDialog(Parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(Jp(SJ("バージョン情報")));
    setFixedSize(370, 132);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    auto* title = new QLabel(QStringLiteral("TIDEGLASS Pack"), this);
    QFont titleFont = title->font();
    titleFont.setPixelSize(20);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = new QLabel(QStringLiteral("Version 1.20"), this);
    auto* note = new QLabel(Jp(SJ("シナリオとデータをひとつのアーカイブにまとめます。")), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addWidget(note);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(buttons);
}

void TTGPAboutDlg::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    CenterOnScreen(*this);
}
