// Full screen on a real X server, with a window manager and without one.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScreen>

#include "engine/qt/msg_form.h"
#include "engine/qt/tideglass_form.h"
#include "support/app/window_harness.h"
#include "x_desktop.h"

namespace {

TTideglassForm& StartShown(TWindowHarness& h)
{
    h.WriteScript("main.tgs", "*SCENE s\n>look\nlooked\n*END\n*SCENEEND\n");
    TTideglassForm& form = h.Start(h.Dir() + "main.tgs");
    h.Tick();
    h.Settle();
    form.StartEngine();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.MsgForm.get()));
    return form;
}

TEST(FullScreenWithoutWindowManager, TheWindowCoversItsScreenAndComesBack)
{
    TWindowHarness h;
    TTideglassForm& form = StartShown(h);
    const QRect windowed = SettledFrame(form);
    const QRect screen = form.screen()->geometry();
    ASSERT_NE(windowed, screen);
    form.Engine().SetFullScreen(true);
    EXPECT_TRUE(WaitFor([&] { return FrameOnScreen(form) == screen; })) << testing::PrintToString(FrameOnScreen(form));
    form.Engine().SetFullScreen(false);
    EXPECT_TRUE(WaitFor([&] { return FrameOnScreen(form) == windowed; }))
        << testing::PrintToString(FrameOnScreen(form));
}

TEST(FullScreenUnderWindowManager, TheFrameComesBackInPlaceAndTypingGoesOnInTheCommandLine)
{
    TWindowManager manager;
    ASSERT_TRUE(manager.Start());
    TWindowHarness h;
    TTideglassForm& form = StartShown(h);
    const QRect screen = form.screen()->geometry();
    const QRect windowed = SettledFrame(form);
    // Twice: the window manager frames the window again each time, and the
    // frame (title bar included) comes back where it was.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        ASSERT_TRUE(Xdotool({"key", "alt+Return"}));
        ASSERT_TRUE(WaitFor([&] { return FrameOnScreen(form) == screen; }));
        ASSERT_TRUE(Xdotool({"key", "alt+Return"}));
        ASSERT_TRUE(WaitFor([&] { return FrameOnScreen(form) != screen && form.MsgForm->isVisible(); }));
        EXPECT_TRUE(WaitFor([&] { return FrameOnScreen(form) == windowed; }))
            << testing::PrintToString(FrameOnScreen(form)) << " against " << testing::PrintToString(windowed);
    }
    ASSERT_TRUE(Xdotool({"type", "look"}));
    EXPECT_TRUE(WaitFor([&] { return form.MsgForm->CmdEdit->text() == "look"; }))
        << form.MsgForm->CmdEdit->text().toStdString();
}

} // namespace
