// Where the player's keys go: typed on the keyboard, into whichever window
// is active, they reach the command line in use.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "engine/qt/msg_form.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/tideglass_form.h"
#include "platform/image_widget.h"
#include "support/app/window_harness.h"

namespace {

using Lines = std::vector<std::string>;

const char* const WaitingScript = "*SCENE s\n"
                                  "ready\n"
                                  "*WAIT 5\n"
                                  "**\n"
                                  "waited\n"
                                  ">look\n"
                                  "looked\n"
                                  "*END\n"
                                  "*SCENEEND\n";

// Presses the keys as a keyboard does: into the window that is active now.
void TypeOnKeyboard(const QString& text, Qt::Key last)
{
    QCoreApplication::processEvents();
    QWindow* window = QGuiApplication::focusWindow();
    ASSERT_NE(window, nullptr);
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
    QTest::keyClick(window, last);
}

void ActivateMainWindow(TTideglassForm& form)
{
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

} // namespace

TEST(KeyboardFocus, KeysTypedInTheActiveMainWindowReachTheCommandLine)
{
    enum class TWay { Typed, ClickedDuringWait, AfterOpenDialog };
    struct Case {
        const char* Name;
        bool GameScreen;
        TWay Way;
    };
    const Case cases[] = {
        {"message-and-input window", false, TWay::Typed},
        {"message-and-input window, game screen clicked in *WAIT", false, TWay::ClickedDuringWait},
        {"game screen, clicked in *WAIT", true, TWay::ClickedDuringWait},
        {"message-and-input window, after the open dialog", false, TWay::AfterOpenDialog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TWindowHarness h;
        h.WriteScript("waiting.tgs", WaitingScript);
        TTideglassForm& form = h.Run(c.Way == TWay::AfterOpenDialog ? "*SCENE s\nfirst\n*SCENEEND\n" : WaitingScript);
        if (c.GameScreen)
            form.Engine().SetMessageMode(true);
        else
            form.MsgForm->show();
        form.show();
        ActivateMainWindow(form);

        if (c.Way == TWay::AfterOpenDialog) {
            form.OpenDialog1.OnExecute = [&h](TOpenDialog& dialog) {
                dialog.FileName = h.Dir() + "waiting.tgs";
                return true;
            };
            form.F1->trigger();
            ASSERT_EQ(h.Boxes.Shown.size(), 1u) << "the running game was confirmed";
            h.Settle();
        }
        if (c.Way == TWay::ClickedDuringWait)
            QTest::mouseClick(form.GameImgView, Qt::LeftButton, {}, QPoint(10, 10));
        ActivateMainWindow(form);
        h.Advance(600);
        h.Settle();
        ASSERT_EQ(h.State(), esKeyWait);

        TypeOnKeyboard("", Qt::Key_Space);
        h.Settle();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), form.FInput->Edit()) << "the end of the run focused the command line";
        // The player clicks the main window's title bar and types there.
        ActivateMainWindow(form);
        TypeOnKeyboard("look", Qt::Key_Return);
        h.Settle();
        EXPECT_EQ(h.Log(), (Lines{"ready", "waited", "> look", "looked"}));
        EXPECT_TRUE(form.FInput->Edit()->text().isEmpty());
    }
}
