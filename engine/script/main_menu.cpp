// The main window's menus, the display scale and where the message text
// and the command line are shown.

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/screen/about_dlg.h"
#include "engine/screen/midi_form.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/tg_input.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "graphics/image32.h"
#include "platform/rich_edit.h"
#include "engine/script/tideglass_form.h"
#include "platform/help_viewer.h"
#include "platform/qt_sjis.h"

namespace {

// Full screen never shows less than this.
constexpr int FullScreenMinWidth = 640;
constexpr int FullScreenMinHeight = 480;
// Twice a wider picture would not fit a screen.
constexpr int MaxDoubleScaleWidth = 512;

QString Caption(const std::string& sjisText)
{
    return SjisToQString(sjisText);
}

} // namespace

void TTideglassForm::BuildMainMenu()
{
    QMenuBar* bar = menuBar();
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
    F3->setShortcut(QKeySequence("Alt+Return"));
    // Full screen comes with the display commands.
    F3->setEnabled(false);

    F2 = bar->addMenu(Caption(SJ("ヘルプ(&H)")));
    A1 = F2->addAction(Caption(SJ("バージョン情報(&A)")));
    F2->addSeparator();
    Help1 = F2->addAction(Caption(SJ("TIDEGLASSヘルプ(&H)")));
    TIDEGLASSC1 = F2->addAction(Caption(SJ("TIDEGLASS製作マニュアル(&C)")));

    connect(F1, &QAction::triggered, this, [this] { F1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { close(); });
    connect(A1, &QAction::triggered, this, [this] {
        if (AboutDlg)
            AboutDlg->exec();
    });
    connect(Help1, &QAction::triggered, this, [this] { FHelpViewer->Show(FExeDir + "TIDEGLASS.chm"); });
    connect(TIDEGLASSC1, &QAction::triggered, this,
            [this] { FHelpViewer->Show(FExeDir + "TIDEGLASS 製作マニュアル.chm"); });
    connect(MessageInput1, &QAction::triggered, this, [this] {
        if (!FFullScreen && !FMsgInGame && MsgForm)
            MsgForm->show();
    });
    connect(MIDI1, &QAction::triggered, this, [this] {
        if (!MidiForm)
            return;
        MidiForm->UpdateAssocState();
        MidiForm->exec();
    });
    connect(N3, &QAction::triggered, this, [this] { N3Click(); });
    connect(D1, &QAction::triggered, this, [this] { D1Click(); });
}

void TTideglassForm::N3Click()
{
    N3->setChecked(true);
    D1->setChecked(false);
    SetClientSize(FBaseWidth, FBaseHeight);
    FScreenWidth = FBaseWidth;
    FScreenHeight = FBaseHeight;
    FScale = 1.0f;
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetScale(1.0f);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
}

void TTideglassForm::D1Click()
{
    if (FBaseWidth > MaxDoubleScaleWidth) {
        D1->setChecked(false);
        D1->setEnabled(false);
        return;
    }
    D1->setChecked(true);
    N3->setChecked(false);
    SetClientSize(FBaseWidth * 2, FBaseHeight * 2);
    FScreenWidth = FBaseWidth * 2;
    FScreenHeight = FBaseHeight * 2;
    FScale = 2.0f;
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetScale(2.0f);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
}

void TTideglassForm::ApplyScale(float scale)
{
    FScriptScale = true;
    N3->setEnabled(false);
    D1->setEnabled(false);
    FScale = scale;
    const int width = static_cast<int>(Round(static_cast<double>(FBaseWidth) * scale));
    const int height = static_cast<int>(Round(static_cast<double>(FBaseHeight) * scale));
    if (!FFullScreen)
        SetClientSize(width, height);
    FScreenWidth = width;
    FScreenHeight = height;
    if (FFullScreen && (FScreenWidth < FullScreenMinWidth || FScreenHeight < FullScreenMinHeight)) {
        FScreenWidth = FullScreenMinWidth;
        FScreenHeight = FullScreenMinHeight;
    }
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetScale(scale);
    }
    if (IsGameRunning())
        CallEventLabel("OnSCALECHANGE");
}

void TTideglassForm::SetMessageMode(bool onGameScreen)
{
    QLineEdit* edit = onGameScreen ? CmdEdit : (MsgForm ? MsgForm->CmdEdit : nullptr);
    if (FInput)
        FInput->AttachEdit(edit);
    if (onGameScreen) {
        if (MsgForm)
            MsgForm->hide();
        FMsgInGame = true;
    } else {
        if (MsgForm) {
            MsgForm->show();
            TRichEdit& log = *MsgForm->MsgMemo;
            log.SetSelStart(log.TextByteLength());
            log.ScrollCaret();
        }
        FMsgInGame = false;
    }
    if (FMsg) {
        FMsg->SetActive(onGameScreen);
        if (onGameScreen)
            FMsg->ScrollToEnd();
    }
    GameImg->Invalidate();
    if (FInput && FPendingInputLine != -1)
        FInput->SetQuestionMode(true);
}
