// Where the windows stand under a window manager, session after session:
// the place the settings file gives is the frame's, and the frame comes
// back where it was left, whether the file put it there or the player did.

#include <gtest/gtest.h>

#include <QScreen>
#include <QWindow>

#include "base/inifile.h"
#include "engine/qt/debug_form.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/sub_form.h"
#include "engine/qt/tideglass_form.h"
#include "support/app/window_harness.h"
#include "x_desktop.h"

namespace {

// The program's start: the settings read, the windows shown; then the
// frames' places once the manager has framed and placed them.
TTideglassForm& StartShown(TWindowHarness& h)
{
    TTideglassForm& form = h.Start(h.Dir() + "main.tgs");
    h.Tick();
    h.Settle();
    form.StartEngine();
    form.SetTimerActive(false);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.MsgForm.get()));
    return form;
}

class WindowPlaces : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Manager.Start());
        H.WriteScript("main.tgs", "*SCENE s\n*SCENEEND\n");
    }
    TWindowManager Manager;
    TWindowHarness H;
};

TEST_F(WindowPlaces, MainWindowFrameStandsWhereTheSettingsFileSaysSessionAfterSession)
{
    H.WriteBytes("tideglass.ini", "[WINDOW]\r\nMainX=100\r\nMainY=120\r\n");
    for (int session = 0; session < 3; ++session) {
        TTideglassForm& form = StartShown(H);
        EXPECT_EQ(SettledFrame(form).topLeft(), QPoint(100, 120)) << "session " << session;
        H.Close();
        const TIniFile ini(H.Dir() + "tideglass.ini");
        EXPECT_EQ(ini.ReadInteger("WINDOW", "MainX", 0), 100) << "session " << session;
        EXPECT_EQ(ini.ReadInteger("WINDOW", "MainY", 0), 120) << "session " << session;
    }
}

TEST_F(WindowPlaces, AFirstStartPutsEveryWindowWhollyOnTheScreen)
{
    H.WriteScript("main.tgs", "*SCENE s\n*SUBWINSHOW 1\n*SHOWDEBUG\n*SCENEEND\n");
    TTideglassForm& form = StartShown(H);
    const QRect screen = form.screen()->geometry();
    for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.MsgForm.get()),
             static_cast<QWidget*>(form.SubForm.get()), static_cast<QWidget*>(&form.DebugForm())}) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << window->windowTitle().toStdString();
        const QRect frame = SettledFrame(*window);
        EXPECT_TRUE(screen.contains(frame))
            << window->windowTitle().toStdString() << " at " << testing::PrintToString(frame);
    }
}

TEST_F(WindowPlaces, EveryWindowComesBackWhereThePlayerLeftIt)
{
    H.WriteScript("main.tgs", "*SCENE s\n*SUBWINSHOW 1\n*SCENEEND\n");
    struct TWindowOf {
        const char* Name;
        QWidget* (*Get)(TTideglassForm&);
    };
    const TWindowOf windows[] = {
        {"main", [](TTideglassForm& f) -> QWidget* { return &f; }},
        {"message", [](TTideglassForm& f) -> QWidget* { return f.MsgForm.get(); }},
        {"sub", [](TTideglassForm& f) -> QWidget* { return f.SubForm.get(); }},
    };
    // Where the player drops each window in each session, apart from one
    // another and from the screen's edges, which the manager makes sticky.
    const QPoint drops[3][3] = {{{100, 60}, {688, 711}, {1500, 200}}, {{160, 90}, {900, 650}, {1450, 300}},
        {{220, 130}, {1100, 560}, {1550, 420}}};
    for (int session = 0; session <= 3; ++session) {
        TTideglassForm& form = StartShown(H);
        for (int w = 0; w < 3; ++w) {
            QWidget& window = *windows[w].Get(form);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << windows[w].Name;
            const QRect frame = SettledFrame(window);
            if (session > 0) {
                EXPECT_EQ(frame.topLeft(), drops[session - 1][w]) << windows[w].Name << ", session " << session;
            }
            if (session == 3)
                continue;
            // The title bar, taken by its middle.
            const QPoint grip(frame.width() / 2, 8);
            ASSERT_TRUE(Drag(frame.topLeft() + grip, drops[session][w] + grip));
            EXPECT_EQ(SettledFrame(window).topLeft(), drops[session][w]) << windows[w].Name << ", session " << session;
        }
        H.Close();
    }
}

} // namespace
