// The main window as the program creates it: the settings file, start-up
// without a game, the key wait ended in the message-and-input window, and
// the input and yes/no dialogs as the engine asks them.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/inifile.h"
#include "engine/qt/input_dlg.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/qt/tideglass_form.h"
#include "platform/file_association.h"
#include "support/app/window_harness.h"

TEST(MainWindow, SettingsAreWrittenAtExitAndReadAtTheNextStart)
{
    TWindowHarness h;
    h.WriteBytes("tideglass.ini", "[MODE]\r\nScale=150\r\n");
    h.WriteScript("data.tgs", "*SCENE start\nようこそ\n*SCENEEND\n");
    TTideglassForm& form = h.Start();
    h.Tick();
    ASSERT_TRUE(form.Engine().PlayerMode());
    // round(230 x 1.5) = 345, round(176 x 1.5) = 264.
    EXPECT_EQ(form.ClientWidth(), 345);
    EXPECT_EQ(form.ClientHeight(), 264);
    EXPECT_FALSE(form.F1->isVisible());
    EXPECT_FALSE(form.Help1->isVisible());
    form.Engine().ApplySettings({false, 2.0f, 320, 240});
    h.Close();
    TTideglassForm& again = h.Start(h.Dir() + "data.tgs");
    EXPECT_EQ(again.Engine().BaseWidth(), 320);
    EXPECT_EQ(again.Engine().BaseHeight(), 240);
    EXPECT_EQ(again.Engine().Scale(), 2.0f);
}

TEST(MainWindow, OversizedSettingsFileIsIgnoredAndReplaced)
{
    TWindowHarness h;
    // Settings that would be read, buried in a file no settings file could be.
    std::string garbage = "[MODE]\r\nScale=200\r\n[WINDOW]\r\nWidth=320\r\n";
    while (garbage.size() < 300000)
        garbage += std::string(1000, 'x') + "=\r\n";
    h.WriteBytes("tideglass.ini", garbage);
    TTideglassForm& form = h.Start();
    EXPECT_EQ(form.Engine().Scale(), 1.0f);
    EXPECT_EQ(form.Engine().BaseWidth(), 230);
    h.Close();
    // At exit a fresh file takes its place.
    const QFileInfo written(QString::fromStdString(h.Dir() + "tideglass.ini"));
    EXPECT_LT(written.size(), 1000);
    const TIniFile ini(h.Dir() + "tideglass.ini");
    EXPECT_EQ(ini.ReadInteger("MODE", "Scale", 0), 100);
    EXPECT_EQ(ini.ReadInteger("WINDOW", "Width", 0), 230);
}

TEST(MainWindow, StartUpWithoutGameRegistersTheAssociation)
{
    TWindowHarness h;
    TTideglassForm& form = h.Start();
    h.Tick();
    EXPECT_EQ(h.State(), esIdle);
    EXPECT_TRUE(form.F1->isVisible());
    EXPECT_TRUE(assoc::IsRegistered());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(assoc::DesktopEntryPath())));
    EXPECT_TRUE(h.Boxes.Shown.empty());
}

TEST(MainWindow, KeyWaitEndsWithSpaceInTheMessageWindow)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nbefore\n**\nafter\n*SCENEEND\n");
    EXPECT_EQ(form.FInput->Edit()->text().toStdString(), "HIT SPACE KEY!");
    h.Tick();
    EXPECT_FALSE(form.MsgForm->CmdEdit->isEnabled());
    QTest::keyClick(form.MsgForm.get(), Qt::Key_A);
    EXPECT_EQ(h.State(), esKeyWait);
    QTest::keyClick(form.MsgForm.get(), Qt::Key_Space);
    h.Settle();
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"before", "after"}));
    EXPECT_TRUE(form.FInput->Edit()->text().isEmpty());
}

TEST(MainWindow, InputAndYesNoDialogsAnswerAsClosed)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*SCENEEND\n");
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(form.InputDlg().InputEdit, "abc");
        QTest::keyClick(form.InputDlg().InputEdit, Qt::Key_Return);
    });
    std::string text = "old";
    EXPECT_EQ(form.AskInput(Sj("名前は？"), text), mrOk);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(form.InputDlg().InputLabel->text().toStdString(), "名前は？");
    EXPECT_GE(form.InputDlg().InputLabel->width(), 400);

    for (const auto& [button, answer] : {std::pair{true, mrYes}, std::pair{false, mrOk}}) {
        QTimer::singleShot(
            0, [&form, yes = button] { (yes ? form.YesNoDlg().OKBtn : form.YesNoDlg().CancelBtn)->click(); });
        EXPECT_EQ(form.AskYesNo(Sj("行く？")), answer);
        EXPECT_GE(form.YesNoDlg().width(), 256);
    }
}
