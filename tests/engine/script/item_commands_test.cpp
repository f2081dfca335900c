// Items as scripts change and list them, the condition mode of *IF, and the
// debug window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/script/engine.h"
#include "engine/script/variables.h"
#include "support/engine_harness.h"

TEST(ItemCommands, CountsChangeByNameAndTheListShowsHeldItemsOnALineOfTheirOwn)
{
    struct Case {
        const char* lines;
        std::vector<int> counts; // sword, shield, lamp
        const char* held;
    };
    const Case cases[] = {
        {"", {1, 4, 0}, "sword　shield　"},
        {"*GETITEM lamp\n*USEITEM shield\n*DELITEM 'sword'\n*GETITEM nothing\n", {0, -1, 1}, "lamp　"},
        {"*USEITEM shield\n*GETITEM lamp\n*INITITEMALL\n", {1, 4, 0}, "sword　shield　"},
        {"*GETITEM lamp\n*DELITEMALL\n", {0, 0, 0}, ""},
    };
    for (const Case& c : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*ITEM\nsword 1\nshield 4\nlamp\n*ITEMEND\n*SCENE s\n*MSGMODE 1\n") +
                                c.lines + "*ITEMLIST\n*SCENEEND\n");
        SCOPED_TRACE(c.lines);
        EXPECT_TRUE(h.Errors().empty());
        std::vector<int> counts;
        for (int i = 0; i < engine.Items().Count(); ++i)
            counts.push_back(engine.Items().GetItem(i)->Count);
        EXPECT_EQ(counts, c.counts);
        EXPECT_EQ(h.Log(), (std::vector<std::string>{"[所持アイテム]", c.held}));
        // The wrap makes no row of an empty line.
        std::vector<std::string> rows{"[所持アイテム]"};
        if (*c.held)
            rows.push_back(c.held);
        EXPECT_EQ(h.Backlog(), rows);
    }
}

TEST(ItemCommands, IfModeSwitchesTheConditionConversionAndShowDebugGoesOn)
{
    struct Case {
        const char* mode;
        int flag1; // the condition F(1)=7 compares (5 stays) or assigns
    };
    const Case cases[] = {{"", 5}, {"*IFMODE 0\n", 5}, {"*IFMODE 1\n", 7}, {"*IFMODE 1\n*IFMODE 0\n", 5}};
    for (const Case& c : cases) {
        TEngineHarness h;
        h.Run(std::string("*SCENE s\n*F(1)=5\n") + c.mode + "*IF F(1)=7\n*ENDIF\n*SHOWDEBUG\n*F(2)=1\n*SCENEEND\n");
        SCOPED_TRACE(c.mode);
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.Flag(1), c.flag1);
        EXPECT_EQ(h.Host.DebugShown, 1);
        EXPECT_EQ(h.Flag(2), 1);
    }
}
