// The main window's menu bar: its items, and what choosing them does.

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "base/sjis.h"
#include "engine/qt/about_dlg.h"
#include "engine/qt/midi_form.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/tideglass_form.h"
#include "platform/help_viewer.h"
#include "platform/qt_sjis.h"

namespace {

QString Caption(const std::string& sjisText)
{
    return SjisToQString(sjisText);
}

} // namespace

void TTideglassForm::BuildMainMenu()
{
    // Full screen shows the bar over the picture; a bar of the desktop's
    // own would not come and go with the pointer. Said before the bar is
    // made, so that making it does not wait for the session bus to be asked
    // whether the desktop has a bar of its own.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    File1 = bar->addMenu(Caption(SJ("ファイル(&F)")));
    F1 = File1->addAction(Caption(SJ("シナリオを開く(&O)")));
    F1->setShortcut(QKeySequence("Ctrl+O"));
    File1->addSeparator();
    Exit1 = File1->addAction(Caption(SJ("終了(&X)")));

    Edit1 = bar->addMenu(Caption(SJ("編集(&E)")));
    MessageInput1 = Edit1->addAction(Caption(SJ("Message && Inputを表示(&V)")));
    MessageInput1->setShortcut(QKeySequence("Ctrl+Shift+V"));
    MIDI1 = Edit1->addAction(Caption(SJ("オプション(&O)...")));

    Show1 = bar->addMenu(Caption(SJ("表示(&V)")));
    N3 = Show1->addAction(Caption(SJ("スケール　100%(&N)")));
    N3->setCheckable(true);
    D1 = Show1->addAction(Caption(SJ("スケール　200%(&D)")));
    D1->setCheckable(true);
    Show1->addSeparator();
    F3 = Show1->addAction(Caption(SJ("フルスクリーン(&F)")));
    F3->setCheckable(true);
    // The main window's keys toggle full screen on Alt+Enter (after a key
    // wait's Enter); the shortcut is shown, and fires only inside the open
    // menu, so that one press never toggles twice.
    F3->setShortcut(QKeySequence("Alt+Return"));
    F3->setShortcutContext(Qt::WidgetShortcut);

    F2 = bar->addMenu(Caption(SJ("ヘルプ(&H)")));
    A1 = F2->addAction(Caption(SJ("バージョン情報(&A)")));
    F2->addSeparator();
    Help1 = F2->addAction(Caption(SJ("TIDEGLASSヘルプ(&H)")));
    TIDEGLASSC1 = F2->addAction(Caption(SJ("TIDEGLASS製作マニュアル(&C)")));
    // The menus are windows of their own and take no face from the bar.
    for (QMenu* menu : {File1, Edit1, Show1, F2})
        menu->setFont(font());

    connect(F1, &QAction::triggered, this, [this] { FEngine->F1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { close(); });
    connect(A1, &QAction::triggered, this, [this] { AboutDlg().exec(); });
    connect(Help1, &QAction::triggered, this, [this] { FHelpViewer->Show(FEngine->ExeDir() + "TIDEGLASS.chm"); });
    connect(TIDEGLASSC1, &QAction::triggered, this,
        [this] { FHelpViewer->Show(FEngine->ExeDir() + "TIDEGLASS 製作マニュアル.chm"); });
    connect(MessageInput1, &QAction::triggered, this, [this] {
        if (!FEngine->FullScreen() && !FEngine->MsgInGame() && MsgForm)
            MsgForm->show();
    });
    connect(MIDI1, &QAction::triggered, this, [this] {
        MidiForm().UpdateAssocState();
        MidiForm().exec();
    });
    connect(N3, &QAction::triggered, this, [this] { FEngine->N3Click(); });
    connect(D1, &QAction::triggered, this, [this] { FEngine->D1Click(); });
    // The engine sets the check mark itself, and keeps it off when full
    // screen fails.
    connect(F3, &QAction::triggered, this, [this](bool checked) {
        F3->setChecked(!checked);
        FEngine->SetFullScreen(checked);
    });
}
