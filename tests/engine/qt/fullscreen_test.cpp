// Full screen as the player sees it on a 1920 x 1080 monitor: the logical
// screen scaled to fit between black bars, the menu bar over the picture in
// the top rows, the mouse mapped back, Alt+Enter, and what the settings
// file keeps of the window's place.

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include "base/inifile.h"
#include "base/streams.h"
#include "graphics/bitmap32.h"
#include "engine/screen/tggrp.h"
#include "engine/qt/tideglass_form.h"
#include "graphics/layers.h"
#include "platform/image_widget.h"
#include "support/app/window_harness.h"

namespace {

// The window system answers later than it is asked.
template <class F>
bool WaitFor(F&& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000)
        QTest::qWait(5);
    return done();
}

void MoveMouse(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QRgb Shown(TTideglassForm& form, int x, int y)
{
    return form.GameImgView->grab().toImage().pixel(x, y) | 0xFF000000u;
}

const char* const CountingScript = "*SCENE s\n*SCREEN 320 240\n*SCENEEND\n"
                                   "*SCENE e\n*LABEL OnFULLSCREEN\n*F(1)=F(1)+1\n*SCENEEND\n";

} // namespace

TEST(FullScreenWindow, RoundTripFitsTheLogicalScreenAndGivesTheWindowBack)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(CountingScript);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // One press of Alt+Enter toggles once: the menu's shortcut stays quiet.
    QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return form.isFullScreen() && form.GameImgView->width() == 1920; }));
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_TRUE(form.F3->isChecked());
    EXPECT_FALSE(form.N3->isEnabled());
    EXPECT_FALSE(form.menuBar()->isVisible());

    // 640 x 480 at 2.25 is 1440 x 1080, 240 pixels of black on each side.
    const TFitPlacement fit = form.GameImgView->Placement();
    EXPECT_EQ(fit.Left, 240);
    EXPECT_EQ(fit.Top, 0);
    EXPECT_EQ(fit.Width, 1440);
    EXPECT_EQ(fit.Height, 1080);
    EXPECT_EQ(Shown(form, 100, 500), qRgb(0, 0, 0));
    EXPECT_EQ(Shown(form, 250, 5), qRgb(128, 128, 128));
    // The command line at the bottom of the logical screen, scaled with it.
    EXPECT_TRUE(form.CmdEdit->isVisible());
    EXPECT_EQ(form.CmdEdit->geometry(), QRect(240, 1035, 1440, 45));

    form.F3->trigger();
    ASSERT_TRUE(WaitFor([&] { return !form.isFullScreen() && form.ClientWidth() == 320; }));
    EXPECT_EQ(h.Flag(1), 2);
    EXPECT_EQ(form.ClientHeight(), 240);
    EXPECT_FALSE(form.F3->isChecked());
    EXPECT_TRUE(form.N3->isEnabled());
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_FALSE(form.GameImgView->FitMode());
    EXPECT_EQ(form.layout()->sizeConstraint(), QLayout::SetFixedSize);
}

TEST(FullScreenWindow, MouseMapsBackThroughTheFitAndTheTopRowsBringTheMenuBar)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*SCENEEND\n");
    form.show();
    form.Engine().SetFullScreen(true);
    ASSERT_TRUE(WaitFor([&] { return form.GameImgView->width() == 1920; }));
    struct Case {
        QPoint at;
        int x;
        int y;
    };
    // Each logical pixel is 2.25 device pixels wide; the bars report nothing.
    const Case cases[] = {{{467, 229}, 100, 101}, {{1679, 1079}, 639, 479}, {{100, 500}, 639, 479}};
    for (const Case& c : cases) {
        MoveMouse(form.GameImgView, c.at);
        EXPECT_EQ(form.Engine().MouseX(), c.x) << c.at.x();
        EXPECT_EQ(form.Engine().MouseY(), c.y) << c.at.y();
    }

    MoveMouse(form.GameImgView, {800, 10});
    ASSERT_TRUE(WaitFor([&] { return form.menuBar()->isVisible() && form.centralWidget()->y() > 0; }));
    // The bar lies over the picture; the picture stays where it was.
    EXPECT_EQ(form.GameImgView->mapTo(&form, QPoint(0, 0)), QPoint(0, 0));
    EXPECT_EQ(form.CmdEdit->mapTo(&form, QPoint(0, 0)).y(), 1035);
    MoveMouse(form.GameImgView, {800, 400});
    EXPECT_TRUE(WaitFor([&] { return !form.menuBar()->isVisible(); }));
}

TEST(FullScreenWindow, SettingsFileKeepsTheWindowedPlaceAndFullScreen)
{
    TWindowHarness h;
    h.WriteScript("data.tgs", "*SCENE start\n*SCENEEND\n");
    h.WriteBytes("tideglass.ini", "[WINDOW]\r\nMainX=300\r\nMainY=200\r\n[MODE]\r\nFullScreen=1\r\n");
    TTideglassForm& form = h.Start();
    form.show();
    h.Tick();
    ASSERT_TRUE(WaitFor([&] { return form.isFullScreen(); }));
    form.close();
    h.Close();
    const TIniFile ini(h.Dir() + "tideglass.ini");
    EXPECT_EQ(ini.ReadInteger("WINDOW", "MainX", 0), 300);
    EXPECT_EQ(ini.ReadInteger("WINDOW", "MainY", 0), 200);
    EXPECT_EQ(ini.ReadInteger("MODE", "FullScreen", 0), 1);
}

TEST(FullScreenWindow, WindowPlaceDoesNotCreepFromSessionToSession)
{
    TWindowHarness h;
    h.WriteBytes("tideglass.ini", "[WINDOW]\r\nMainX=100\r\nMainY=100\r\n");
    for (int session = 0; session < 2; ++session) {
        TTideglassForm& form = h.Start();
        // As a window manager that keeps the client where the frame was
        // asked for: the frame lands above and left of the place.
        form.winId();
        form.setGeometry(QRect(QPoint(100, 100), form.size()));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_TRUE(WaitFor([&] { return form.pos() == QPoint(100, 100); })) << form.x() << "," << form.y();
        h.Close();
    }
    const TIniFile ini(h.Dir() + "tideglass.ini");
    EXPECT_EQ(ini.ReadInteger("WINDOW", "MainX", 0), 100);
    EXPECT_EQ(ini.ReadInteger("WINDOW", "MainY", 0), 100);
}

TEST(FullScreenWindow, PageUpShowsTheScrollMarksOnTheMessageFrame)
{
    TWindowHarness h;
    std::string script = "*SCENE s\n";
    for (int i = 0; i < 30; ++i)
        script += "line " + std::to_string(i) + "\n";
    TTideglassForm& form = h.Run(script + ">look\nlooked\n*END\n*SCENEEND\n");
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    h.Engine().SetFullScreen(true);
    ASSERT_TRUE(WaitFor([&] { return form.isFullScreen(); }));
    QTest::keyClick(form.CmdEdit, Qt::Key_PageUp);
    QTest::keyClick(form.CmdEdit, Qt::Key_PageUp);
    const TTGGrp& grp = *h.Engine().Grp();
    const TFloatRect frame = grp.WindowLayer()->Location();
    for (const TBitmapLayer* mark : {grp.UpMarkLayer(), grp.DownMarkLayer()}) {
        const TFloatRect at = mark->Location();
        EXPECT_TRUE(mark->Visible());
        EXPECT_EQ(at.Right - at.Left, float(mark->Bitmap().Width()));
        EXPECT_EQ(at.Right, frame.Right);
        EXPECT_TRUE(at.Top >= frame.Top && at.Bottom <= frame.Bottom);
    }
    EXPECT_FALSE(form.CmdEdit->isEnabled());
}

TEST(ScreenCommand, TheScreenFollowsTheClientAndThePictureStaysInSight)
{
    TWindowHarness h;
    // A fresh window is larger than the game; then a game shrinks its own.
    for (const char* script :
        {"*SCENE s\n*SCREEN 320 240\n*SCENEEND\n", "*SCENE s\n*SCREEN 640 480\n*SCREEN 320 240\n*SCENEEND\n"}) {
        TTideglassForm& form = h.Run(script);
        const TTGGrp& grp = *h.Engine().Grp();
        EXPECT_EQ(form.ClientWidth(), 320) << script;
        EXPECT_EQ(grp.ScreenWidth(), 320) << script;
        EXPECT_EQ(grp.ScreenHeight(), 240) << script;
        const TFloatRect at = grp.PictureLayer()->Location();
        EXPECT_EQ(at.Left, 0.0f) << script;
        EXPECT_EQ(at.Top, 0.0f) << script;
    }
}

TEST(FullScreenWindow, APictureLargerThanTheScreenSurvivesARoundTripAtTwiceTheSize)
{
    constexpr TColor32 Red = 0xFFFF0000;
    for (const QSize size : {QSize(320, 240), QSize(640, 480)}) {
        TWindowHarness h;
        TBitmap32 picture;
        picture.SetSize(size.width(), size.height());
        picture.Clear(Red);
        TMemoryStream bytes;
        picture.SaveToStream(bytes);
        h.WriteBytes("pic.bmp", std::string(bytes.Bytes().begin(), bytes.Bytes().end()));
        TTideglassForm& form = h.Run("*SCENE s\n*SCREEN 320 240\n*PICTURE pic\n*SCENEEND\n");
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        h.Engine().D1Click();
        const TBitmap32& shown = h.Engine().Grp()->PictureLayer()->Bitmap();
        h.Engine().SetFullScreen(true);
        ASSERT_TRUE(WaitFor([&] { return form.isFullScreen(); }));
        EXPECT_EQ(shown.PixelS(100, 100), Red) << size.width() << " in full screen";
        h.Engine().SetFullScreen(false);
        ASSERT_TRUE(WaitFor([&] { return !form.isFullScreen(); }));
        EXPECT_EQ(shown.PixelS(100, 100), Red) << size.width() << " after full screen";
    }
}
