// The message-window commands as scripts use them: the text area and its
// frame, colours with tags, warnings, hiding the message, its place, and
// the sub window with the hold a background script has on it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "classlib/virtual_keys.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "graphics/bitmap32.h"
#include "graphics/color32.h"
#include "graphics/layers.h"
#include "support/engine_harness.h"

namespace {

bool AnyPixel(const TBitmap32& bitmap, TColor32 rgb)
{
    const TColor32* begin = bitmap.Bits();
    const TColor32* end = begin + int64_t(bitmap.Width()) * bitmap.Height();
    return std::any_of(begin, end, [rgb](TColor32 p) { return (p & 0xFFFFFF) == (rgb & 0xFFFFFF); });
}

} // namespace

TEST(MessageCommands, MsgBoxLaysOutFrameAndRowsOrIsRefusedWithNothingCleared)
{
    struct Case {
        const char* line;
        bool refused;
        std::vector<int> layout; // left, top, right, rows, frame width and height
    };
    // A refused line leaves the window as it was made: 26, 304, 588 x 120.
    const std::vector<int> unchanged{26, 304, 614, 10, 612, 144};
    const Case cases[] = {
        {"*MSGBOX 10 20 100 50", false, {10, 20, 118, 5, 132, 84}},
        {"*MSGBOX 10 20 100 50 20 1", false, {10, 20, 110, 3, 140, 100}},
        {"*MSGBOX 0 0 30 30 6 2", false, {0, 0, 30, 5, 42, 42}},
        {"*MSGBOX 0 0 100000 100000", true, unchanged},
        {"*MSGBOX 0 0 10 10 -2147483648", true, unchanged},
        {"*MSGBOX 2147483600 0 100 10", true, unchanged},
    };
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*MSGMODE 1\n■■■■\n") + c.line + "\n*SCENEEND\n");
        SCOPED_TRACE(c.line);
        const TTGMsg& msg = *engine.Msg();
        const TBitmap32& frame = engine.Grp()->WindowLayer()->Bitmap();
        EXPECT_EQ(h.Errors().size(), c.refused ? 1u : 0u);
        EXPECT_EQ(std::vector<int>({msg.Left(), msg.Top(), msg.Right(), msg.Rows(), frame.Width(), frame.Height()}),
            c.layout);
        // Nothing is cleared before a refusal: the text stays drawn.
        EXPECT_TRUE(!c.refused || AnyPixel(*engine.Grp()->GetTextBitmap(), Color32(255, 255, 255)));
    }
}

TEST(MessageCommands, SetColorFeedsColourTagsAndIndicesOutsideTheTableOnlyWarnAsWarnDispAllows)
{
    struct Case {
        const char* level;
        size_t warnings; // *F(hp) first used, two colour indices out of range
    };
    const Case cases[] = {{"", 3}, {"*WARNDISP 0\n", 0}, {"*WARNDISP -3\n", 0}, {"*WARNDISP 2\n", 3}};
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*MSGMODE 1\n") + c.level +
                                "*F(hp)=1\n*TAG 1\n*SETCOLOR 9 10 200 30\n*SETCOLOR 16 1 1 1\n*SETCOLOR -1 1 1 1\n"
                                "<COL 9>■\n*SCENEEND\n");
        SCOPED_TRACE(c.level);
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.Log().size(), c.warnings + 1);
        EXPECT_EQ(engine.Msg()->GetColor(9), 10 + 200 * 256 + 30 * 65536);
        for (int i = 10; i < 16; ++i)
            EXPECT_EQ(engine.Msg()->GetColor(i), 0) << i;
        const TTagInfoList& runs = engine.Msg()->LineRuns(engine.Msg()->Backlog().Count() - 1);
        ASSERT_GT(runs.Count(), 0);
        EXPECT_EQ(runs.GetInfo(runs.Count() - 1).ColorIndex, 9);
        EXPECT_TRUE(AnyPixel(*engine.Grp()->GetTextBitmap(), Color32(10, 200, 30)));
    }
}

TEST(MessageCommands, MsgDispHidesTheMessageAndTabHidingUntilShownAgain)
{
    for (const bool inGame : {true, false}) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*MSGMODE ") + (inGame ? "1" : "0") +
                                "\n*MSGDISP 0\n>show\n*MSGDISP 1\n*END\n*SCENEEND\n");
        SCOPED_TRACE(inGame);
        const auto shown = [&] { return inGame ? engine.Msg()->GetVisible() : h.Host.MessageWindowShown; };
        EXPECT_FALSE(shown());
        EXPECT_EQ(engine.MsgHidden(), inGame);
        engine.ApplicationEvents1Message(true, VK_TAB);
        engine.ApplicationEvents1Message(false, VK_TAB);
        EXPECT_FALSE(shown());
        engine.SubmitCommand("show");
        h.Settle();
        EXPECT_TRUE(shown());
        EXPECT_FALSE(engine.MsgHidden());
        engine.ApplicationEvents1Message(true, VK_TAB);
        EXPECT_EQ(engine.MsgHidden(), inGame);
        engine.ApplicationEvents1Message(false, VK_TAB);
        EXPECT_TRUE(shown());
    }
}

TEST(MessageCommands, MsgModeInFullScreenOnlyChoosesThePlaceItEndsWith)
{
    struct Case {
        const char* lines;
        bool inGame;
    };
    const Case cases[] = {{"*MSGMODE 1\n", true}, {"*MSGMODE 1\n*MSGMODE 0\n", false},
        {"*FULLSCREEN 1\n*MSGMODE 0\n", true}, {"*FULLSCREEN 1\n*MSGMODE 0\n*FULLSCREEN 0\n", false},
        {"*MSGMODE 0\n*FULLSCREEN 1\n*MSGMODE 1\n*FULLSCREEN 0\n", true}};
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n") + c.lines + "*SCENEEND\n");
        EXPECT_EQ(engine.MsgInGame(), c.inGame) << c.lines;
        EXPECT_EQ(h.Host.MessageOnGameScreen, c.inGame) << c.lines;
    }
}

TEST(MessageCommands, SubWinShowPlacesRelativeToTheMainWindowOutsideFullScreen)
{
    struct Case {
        const char* lines;
        bool shown;
        TWindowBounds place;
    };
    // The fake's main window stands at 100, 50; the sub window at 252, 313
    // with 201 x 149.
    const Case cases[] = {
        {"*SUBWINSHOW 1\n", true, {252, 313, 201, 149}},
        {"*SUBWINSHOW 1 10\n", true, {252, 313, 201, 149}},
        {"*SUBWINSHOW 1 10 20 300\n", true, {110, 70, 201, 149}},
        {"*SUBWINSHOW 1 10 20 300 200\n", true, {110, 70, 300, 200}},
        {"*SUBWINSHOW 1 10 20 300 200\n*SUBWINSHOW 0 0 0 5 5\n", false, {110, 70, 300, 200}},
        {"*FULLSCREEN 1\n*SUBWINSHOW 1 10 20 300 200\n", true, {10, 20, 300, 200}},
    };
    for (const Case& c : cases) {
        TEngineHarness h;
        h.Run(std::string("*SCENE s\n") + c.lines + "*SUBWINTITLE 'メモ'\n*SUBWINTOP 0\n*SCENEEND\n");
        SCOPED_TRACE(c.lines);
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.Host.SubShown, c.shown);
        EXPECT_TRUE(h.Host.SubPlace == c.place);
        EXPECT_EQ(sjis::ToUtf8(h.Host.SubTitle), "メモ");
        EXPECT_FALSE(h.Host.SubOnTop);
    }
}

TEST(MessageCommands, StoppingTheBackgroundReleasesItsHoldOnTheSubWindow)
{
    struct Case {
        const char* stopper;
        bool subKept; // a load empties the sub window
    };
    const Case cases[] = {{"*BGSTOP", true}, {"*BGRETURN back", true}, {"*LOAD 1", false}};
    for (const auto& [stopper, subKept] : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*SAVE 1\n*BGEXEC bg 100\n>go\nafter\n*END\n*LABEL back\n*END\n"
                                            "*SCENEEND\n*SCENE b\n*LABEL bg\n*SUBWINSTART\nto the sub window\n") +
                                stopper + "\n*SCENEEND\n");
        SCOPED_TRACE(stopper);
        h.Advance(250);
        h.Settle();
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_FALSE(engine.BgRunning());
        EXPECT_EQ(engine.SubWinHolder(), TSubWinHolder::None);
        EXPECT_EQ(engine.SubWinMode(), 0);
        EXPECT_EQ(h.Host.Sub.Lines().size(), subKept ? 1u : 0u);
        const std::vector<std::string> log = h.Log();
        EXPECT_EQ(std::count(log.begin(), log.end(), "to the sub window"), 0);
        engine.SubmitCommand("go");
        h.Settle();
        EXPECT_EQ(h.LastLog(), "after");
    }
}

TEST(MessageCommands, LoadEndsTheHoldOfABackgroundThatGoesOnElsewhere)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC quiet 100\n*SAVE 1\n*BGEXEC bg 100\n>go\nafter\n*END\n*SCENEEND\n"
                            "*SCENE b\n*LABEL quiet\n*END\n*LABEL bg\n*SUBWINSTART\n*LOAD 1\n*SCENEEND\n");
    h.Advance(250);
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_TRUE(engine.BgRunning());
    EXPECT_EQ(engine.SubWinHolder(), TSubWinHolder::None);
    engine.SubmitCommand("go");
    h.Settle();
    EXPECT_EQ(h.LastLog(), "after");
}

TEST(MessageCommands, TypedCommandWaitsForTheBackgroundsHoldAndRunsWhenItEnds)
{
    // The background takes the sub window in one run and lets it go in its
    // next; a command typed in between is answered after that.
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC bg 100\n>go\nreply\n*END\n*SCENEEND\n"
                            "*SCENE b\n*LABEL bg\n*IF F(1)=1 second\n*F(1)=1\n*SUBWINSTART\nheld\n*END\n"
                            "*LABEL second\n*SUBWINEND\nreleased\n*BGSTOP\n*END\n*SCENEEND\n");
    h.Advance(100);
    ASSERT_EQ(engine.SubWinHolder(), TSubWinHolder::Background);
    engine.SubmitCommand("go");
    h.Advance(99);
    EXPECT_EQ(h.State(), esRun);
    // No second command may take the place of the one that waits.
    EXPECT_FALSE(engine.InputEnabled());
    const std::vector<std::string> waiting = h.Log();
    EXPECT_EQ(std::count(waiting.begin(), waiting.end(), "reply"), 0);
    h.Advance(2);
    EXPECT_EQ(engine.SubWinHolder(), TSubWinHolder::None);
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(engine.InputEnabled());
    EXPECT_TRUE(h.Errors().empty());
    const std::vector<std::string> log = h.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()), (std::vector<std::string>{"released", "reply"}));
}

TEST(MessageCommands, LinePitchIsAtLeastOnePixel)
{
    // The lowest inked pixel row of the text; four rows one pixel apart end
    // three rows below a single one.
    const auto inkBottom = [](const TBitmap32& b) {
        for (int y = b.Height() - 1; y >= 0; --y)
            for (int x = 0; x < b.Width(); ++x)
                if (b.Pixel(x, y) != 0)
                    return y;
        return -1;
    };
    for (const char* rate : {"8", "1", "0", "-50"}) {
        SCOPED_TRACE(rate);
        int bottoms[2] = {};
        for (int lines : {1, 4}) {
            TEngineHarness h;
            std::string script = std::string("*SCENE s\n*MSGMODE 1\n*FHEIGHTRATE ") + rate + "\n";
            for (int i = 0; i < lines; ++i)
                script += "■\n";
            TEngine& engine = h.Run(script + "*SCENEEND\n");
            EXPECT_TRUE(h.Errors().empty());
            bottoms[lines == 4] = inkBottom(*engine.Grp()->GetTextBitmap());
        }
        EXPECT_GT(bottoms[0], 0);
        EXPECT_EQ(bottoms[1] - bottoms[0], 3);
    }
}
