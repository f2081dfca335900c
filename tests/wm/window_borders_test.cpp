// The borders the engine's windows ask of the window manager: no minimise
// or maximise anywhere, a close button only where closing loses nothing;
// and a close that the player could not undo is refused whatever the
// manager offers.

#include <gtest/gtest.h>

#include "engine/qt/about_dlg.h"
#include "engine/qt/debug_form.h"
#include "engine/qt/input_dlg.h"
#include "engine/qt/midi_form.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/sub_form.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/qt/tideglass_form.h"
#include "support/app/window_harness.h"
#include "x_desktop.h"

namespace {

constexpr long Minimise = 8, Maximise = 16, Close = 32;

class WindowBorders : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Manager.Start()); }
    TWindowManager Manager;
    TWindowHarness H;
};

TEST_F(WindowBorders, EachWindowAsksForTheButtonsOfItsBorder)
{
    TTideglassForm& form = H.Start();
    form.show();
    struct TRow {
        QWidget* Window;
        bool Closes;
    };
    const TRow rows[] = {
        {form.MsgForm.get(), false},
        {&form.InputDlg(), false},
        {form.SubForm.get(), false},
        {&form.YesNoDlg(), true},
        {&form.MidiForm(), true},
        {&form.AboutDlg(), true},
        {&form.DebugForm(), true},
    };
    for (const TRow& row : rows) {
        const std::string name = row.Window->windowTitle().toStdString();
        row.Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(row.Window)) << name;
        const long functions = AskedFunctions(*row.Window);
        ASSERT_NE(functions, -1) << name << ": a window that names no functions is given them all";
        EXPECT_EQ(functions & (Minimise | Maximise), 0) << name;
        EXPECT_EQ((functions & Close) != 0, row.Closes) << name;
        row.Window->hide();
    }
}

TEST_F(WindowBorders, APlayerCannotCloseTheMessageAndInputWindow)
{
    H.WriteScript("data.tgs", "*SCENE s\n*SCENEEND\n");
    TTideglassForm& form = H.Start();
    H.Tick();
    ASSERT_TRUE(form.Engine().PlayerMode());
    form.StartEngine();
    form.SetTimerActive(false);
    TMsgForm& msg = *form.MsgForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&msg));
    // The manager's close arrives as a close request to the window.
    struct TCloseSeen : QObject {
        bool Seen = false;
        bool eventFilter(QObject*, QEvent* event) override
        {
            Seen = Seen || event->type() == QEvent::Close;
            return false;
        }
    } closes;
    msg.installEventFilter(&closes);
    msg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&msg));
    ASSERT_TRUE(Xdotool({"key", "alt+F4"}));
    ASSERT_TRUE(WaitFor([&] { return closes.Seen; }));
    msg.removeEventFilter(&closes);
    EXPECT_TRUE(msg.isVisible());
}

} // namespace
