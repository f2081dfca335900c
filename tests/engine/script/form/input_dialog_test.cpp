// The input commands in the real main window: a key macro bound by *SETKEY
// enters its line, *INPUTSIZE keeps the command line's height across a
// later layout, and closing the main window while the *INPUT dialog is up
// ends the program with its settings written.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "engine/screen/input_dlg.h"
#include "engine/screen/tg_input.h"
#include "engine/script/form/tideglass_form.h"
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
        if (!closed && form.InputDlg->isVisible()) {
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
    EXPECT_FALSE(form.InputDlg->isVisible());
    EXPECT_EQ(h.Flag(1), 0);
    h.Close();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(h.Dir() + "tideglass.ini")));
}
