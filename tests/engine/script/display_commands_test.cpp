// The display as scripts and the player's keys change it: full screen on and
// off with its event label, the logical screen it keeps, the scale, the
// mouse state, and Alt+Enter.

#include <gtest/gtest.h>

#include "classlib/virtual_keys.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "graphics/bitmap32.h"
#include "graphics/color32.h"
#include "graphics/image32.h"
#include "graphics/layers.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace {

// `lines` run in the first scene; OnFULLSCREEN counts in F(1), and the
// scene ends by recording full screen in F(2) and the scale in F(3).
std::string Counted(const std::string& lines)
{
    return "*SCENE s\n" + lines + "*ISFULLSCREEN F(2)\n*GETSCALE F(3)\n*SCENEEND\n" +
           "*SCENE e\n*LABEL OnFULLSCREEN\n*F(1)=F(1)+1\n*SCENEEND\n";
}

} // namespace

TEST(FullScreen, ScriptsToggleItOnceAndTheEventLabelRunsOncePerChange)
{
    struct Case {
        const char* lines;
        int changes;
        bool fullScreen;
    };
    const Case cases[] = {
        {"*FULLSCREEN 1\n", 1, true},
        {"*FULLSCREEN 1\n*FULLSCREEN 1\n", 1, true},
        {"*FULLSCREEN 0\n", 0, false},
        {"*FULLSCREEN 1\n*FULLSCREEN 2\n", 2, false},
        {"*FULLSCREEN 1\n*FULLSCREEN 1\n*FULLSCREEN 0\n*FULLSCREEN 0\n", 2, false},
    };
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(Counted(c.lines));
        SCOPED_TRACE(c.lines);
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.Flag(1), c.changes);
        EXPECT_EQ(h.Flag(2), c.fullScreen ? 1 : 0);
        EXPECT_EQ(h.Host.FullScreen, c.fullScreen);
        EXPECT_EQ(h.Host.MenuChecked(TMenuItem::F3), c.fullScreen);
        EXPECT_EQ(h.Host.MenuBarVisible, !c.fullScreen);
        // Whatever the order, leaving gives the window it had back.
        if (!c.fullScreen) {
            EXPECT_EQ(engine.ScreenWidth(), 640);
            EXPECT_EQ(h.Host.Width, 640);
            EXPECT_EQ(h.Host.Height, 480);
            EXPECT_TRUE(h.Host.Menus[size_t(TMenuItem::N3)].Enabled);
        }
    }
}

TEST(FullScreen, LogicalScreenKeepsEachSideAtLeast640By480OnGrey)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCREEN 800 200\n*FULLSCREEN 1\n*SCENEEND\n");
    EXPECT_EQ(engine.ScreenWidth(), 800);
    EXPECT_EQ(engine.ScreenHeight(), 480);
    EXPECT_EQ(h.Host.FullScreenWidth, 800);
    EXPECT_EQ(h.Host.FullScreenHeight, 480);
    EXPECT_EQ(engine.GameImg().Bitmap().Pixel(0, 0), Color32(128, 128, 128));
    const TFloatRect picture = engine.Grp()->PictureLayer()->Location();
    EXPECT_EQ(picture.Left, 0.0f);
    EXPECT_EQ(picture.Top, 140.0f);
    EXPECT_EQ(picture.Bottom, 340.0f);
    EXPECT_TRUE(h.Host.MessageOnGameScreen);
    EXPECT_FALSE(h.Host.Menus[size_t(TMenuItem::N3)].Enabled);
    EXPECT_FALSE(h.Host.Menus[size_t(TMenuItem::D1)].Enabled);
}

TEST(FullScreen, WidthNoDisplayModeOfferedFailsWithNothingChanged)
{
    TEngineHarness h;
    TEngine& engine = h.Run(Counted("*SCREEN 1601 100\n*FULLSCREEN 1\n"));
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_EQ(h.Host.Boxes[0].Text + h.Host.Boxes[0].Caption, "フルスクリーン化に失敗しました。エラー");
    EXPECT_EQ(h.Flag(1) + h.Flag(2), 0);
    EXPECT_FALSE(h.Host.FullScreen || h.Host.MenuChecked(TMenuItem::F3));
    EXPECT_EQ(engine.ScreenWidth(), 1601);
}

TEST(FullScreen, LeavingKeepsWhatScreenAndScaleDidInside)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*FULLSCREEN 1\n*SCREEN 320 240\n*SCALE 150\n*KEYWAIT\n"
                            "*FULLSCREEN 0\n*SCENEEND\n");
    ASSERT_TRUE(h.Errors().empty());
    engine.Grp()->GetPicture().SetPixel(5, 5, Color32(1, 2, 3));
    engine.EndKeyWait();
    h.Settle();
    EXPECT_FALSE(engine.FullScreen());
    EXPECT_EQ(engine.BaseWidth(), 320);
    EXPECT_EQ(engine.Scale(), 1.5f);
    EXPECT_EQ(engine.ScreenWidth(), 480);
    EXPECT_EQ(engine.ScreenHeight(), 360);
    EXPECT_EQ(h.Host.Width, 480);
    EXPECT_EQ(h.Host.Height, 360);
    EXPECT_EQ(engine.Grp()->GetPicture().Pixel(5, 5), Color32(1, 2, 3));
    // *SCALE disables the scale items, in full screen or not.
    EXPECT_FALSE(h.Host.Menus[size_t(TMenuItem::N3)].Enabled);
}

TEST(FullScreen, RoundTripAfterMenuOpenLeavesTheScaleItemsEnabled)
{
    TEngineHarness h;
    h.WriteScript("game.tgs", "*SCENE s\n*SCENEEND\n");
    TEngine& engine = h.Start();
    h.Tick();
    h.Host.ScenarioChoice = h.Dir() + "game.tgs";
    engine.F1Click();
    ASSERT_TRUE(h.Host.Menus[size_t(TMenuItem::N3)].Enabled);
    h.Host.Menus[size_t(TMenuItem::D1)].Enabled = false;
    engine.SetFullScreen(true);
    engine.SetFullScreen(false);
    EXPECT_TRUE(h.Host.Menus[size_t(TMenuItem::N3)].Enabled);
    EXPECT_FALSE(h.Host.Menus[size_t(TMenuItem::D1)].Enabled);
}

TEST(DisplayCommands, ScaleSizesTheScreenInSinglePrecisionOrIsRefusedBeforeAnyChange)
{
    struct Case {
        const char* lines;
        int width;
        int height;
        int percent; // 0: refused with an error report
    };
    const Case cases[] = {
        {"*SCALE 150\n", 345, 264, 150},
        {"*SCALE 105\n", 241, 185, 105},
        {"*SCALE 100\n", 230, 176, 100},
        {"*FULLSCREEN 1\n*SCALE 150\n", 640, 480, 150},
        {"*SCALE 0\n", 640, 480, 0},
        {"*SCALE -50\n", 640, 480, 0},
        {"*SCALE 2000000\n", 640, 480, 0},
    };
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(Counted(c.lines));
        SCOPED_TRACE(c.lines);
        const bool refused = c.percent == 0;
        EXPECT_EQ(h.Errors().size(), refused ? 1u : 0u);
        EXPECT_EQ(engine.ScreenWidth(), c.width);
        EXPECT_EQ(engine.ScreenHeight(), c.height);
        if (refused)
            EXPECT_EQ(engine.Scale(), 1.0f);
        else
            EXPECT_EQ(h.Flag(3), c.percent);
        // *SCALE disables both scale items; a refused one changes nothing.
        EXPECT_EQ(h.Host.Menus[size_t(TMenuItem::N3)].Enabled, refused);
        EXPECT_EQ(h.Host.Menus[size_t(TMenuItem::D1)].Enabled, refused);
    }
}

TEST(DisplayCommands, GetMouseReportsPositionOverScaleAndButtonBits)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*SCALE 200\n>look\n*GETMOUSE F(1) F(2) F(3)\n*END\n*SCENEEND\n");
    struct Case {
        int x;
        int mouseX;
        int buttons;
    };
    // Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
    const Case cases[] = {{1, 0, 2}, {3, 2, 3}, {5, 2, 1}};
    TImage32& image = engine.GameImg();
    image.SurfaceMouseDown(mbLeft, 0, 0, 0);
    for (const Case& c : cases) {
        if (c.buttons == 3)
            image.SurfaceMouseDown(mbRight, 0, 0, 0);
        if (c.buttons == 1)
            image.SurfaceMouseUp(mbLeft, 0, 0, 0);
        image.SurfaceMouseMove(0, c.x, 7);
        engine.SubmitCommand("look");
        h.Settle();
        EXPECT_EQ(h.Flag(1), c.mouseX) << c.x;
        EXPECT_EQ(h.Flag(2), 4) << c.x;
        EXPECT_EQ(h.Flag(3), c.buttons) << c.x;
    }
}

TEST(MainKeys, AltEnterTogglesOncePerPressAndOnlyAHeldTabKeepsAKeyWaitFromEnding)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n>wait\n**\nafter\n*END\n*SCENEEND\n");
    uint16_t key = VK_RETURN;
    for (int press = 0; press < 3; ++press) // two of them auto-repeat
        engine.FormKeyDown(key = VK_RETURN, ssAlt);
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(engine.FullScreen());
    engine.FormKeyUp(key = VK_RETURN, 0);
    engine.FormKeyDown(key = VK_RETURN, ssAlt);
    EXPECT_FALSE(engine.FullScreen());

    engine.SubmitCommand("wait");
    h.Settle();
    engine.SetMessageMode(true);
    ASSERT_EQ(h.State(), esKeyWait);
    engine.ApplicationEvents1Message(true, VK_TAB);
    engine.FormKeyDown(key = VK_SPACE, 0);
    EXPECT_EQ(h.State(), esKeyWait);
    engine.ApplicationEvents1Message(false, VK_TAB);
    // Hidden by the script, as *MSGDISP 0 hides it: the key wait still
    // ends, and before Alt+Enter would toggle.
    TEngineProbe(engine).MsgHidden() = true;
    engine.FormKeyUp(key = VK_RETURN, 0);
    engine.FormKeyDown(key = VK_RETURN, ssAlt);
    EXPECT_EQ(h.State(), esRun);
    EXPECT_FALSE(engine.FullScreen());
}
