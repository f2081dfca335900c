// The input commands in the real main window: a key macro bound by *SETKEY
// enters its line, *INPUTSIZE keeps the command line's height across a
// later layout, *YESNO's dialog fits its question, and closing the main window while the *INPUT dialog is up
// ends the program with its settings written.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "engine/qt/input_dlg.h"
#include "engine/qt/msg_form.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/tideglass_form.h"
#include "support/app/window_harness.h"

TEST(InputCommandsWindow, KeyMacroEntersItsLineAndInputSizeKeepsTheHeight)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*SETKEY F5 'look\\n'\n*INPUTSIZE 2\n>look\nlooked\n*END\n*SCENEEND\n");
    QTest::keyClick(form.FInput->Edit(), Qt::Key_F5);
    h.Settle();
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"> look", "looked"}));

    // 18 pt instead of 9: the main window's own line grew 9 pixels upwards,
    // and a new client size keeps that.
    EXPECT_EQ(form.CmdEdit->height(), 29);
    form.Engine().ApplySettings({false, 2.0f, 230, 176});
    EXPECT_EQ(form.CmdEdit->height(), 29);
    EXPECT_EQ(form.CmdEdit->geometry().bottom() + 1, form.ClientHeight());
    EXPECT_EQ(form.CmdEdit->font().pointSize(), 18);
    // Both command lines show the same face.
    EXPECT_EQ(form.CmdEdit->font().family().toStdString(), form.MsgForm->CmdEdit->font().family().toStdString());
}

TEST(InputCommandsWindow, ClosingTheMainWindowDuringTheInputDialogEndsTheProgram)
{
    TWindowHarness h;
    h.WriteScript("main.tgs", "*SCENE s\n*LABEL again\n*INPUT 数は？ F(1)\n*GOTO again\n*SCENEEND\n");
    TTideglassForm& form = h.Start(h.Dir() + "main.tgs");
    form.StartEngine();
    bool closed = false;
    int polls = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!closed && form.InputDlg().isVisible()) {
            closed = true;
            form.close();
        } else if (++polls > 1000) {
            QCoreApplication::exit(1);
        }
    });
    poll.start();
    EXPECT_EQ(QApplication::exec(), 0);
    poll.stop();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form.InputDlg().isVisible());
    EXPECT_EQ(h.Flag(1), 0);
    h.Close();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(h.Dir() + "tideglass.ini")));
}

TEST(InputCommandsWindow, YesNoDialogIsAtLeast256WideOrTheQuestionAnd32)
{
    TWindowHarness h;
    h.WriteScript("main.tgs", "*SCENE s\n*YESNO 行く？ a a\n*LABEL a\n"
                              "*YESNO 'この長い質問には、はいかいいえで答えてください。よろしいでしょうか？' b b\n"
                              "*LABEL b\nend\n*SCENEEND\n");
    // Each dialog is measured and answered as it comes up.
    std::vector<std::pair<int, int>> widths; // the dialog's and its question's
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        TYesNoDlg& dialog = h.Form().YesNoDlg();
        if (!dialog.isVisible())
            return;
        widths.emplace_back(dialog.width(), dialog.Label1->sizeHint().width());
        dialog.OKBtn->click();
    });
    answer.start();
    h.Open("main.tgs");
    h.Settle();
    answer.stop();
    EXPECT_EQ(h.Log(), std::vector<std::string>{"end"});
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_EQ(widths[0].first, 256);
    EXPECT_GT(widths[1].second + 32, 256);
    EXPECT_EQ(widths[1].first, widths[1].second + 32);
}
