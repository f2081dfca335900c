// The demo game that "make run" starts: it opens, plays its first scene and
// can be played to its end with typed commands.

#include <gtest/gtest.h>

#include <QDir>

#include "base/sjis.h"
#include "engine/screen/tg_input.h"
#include "engine/script/tideglass_form.h"
#include "support/engine_harness.h"

TEST(DemoGame, ShowsItsFirstSceneAndRunsItsBackgroundScript)
{
    TEngineHarness h;
    const QString demo = QDir::cleanPath(QString(TG_TESTDATA_DIR) + "/../../examples/demo/demo.tgs");
    TTideglassForm& form = h.Start(demo.toStdString());
    h.Tick();
    h.Settle();
    EXPECT_EQ(form.windowTitle().toStdString(), "潮見の浜 ― Tideglass Demo");
    EXPECT_EQ(h.State(), esKeyWait);
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"～ 潮見の浜 ～", "~ Shiomi Beach ~",
                                                 "スペースキーで先へ進みます。 (Press Space to go on.)"}));
    form.EndKeyWait();
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(h.LastLog(), "どうする？ (What will you do?)");
    const size_t lines = h.Log().size();
    h.Advance(6000);
    ASSERT_EQ(h.Log().size(), lines + 1);
    EXPECT_EQ(h.LastLog(), "……ザザーン。波が打ち寄せる。 (...Whoosh. The waves roll in.)");
}

TEST(DemoGame, CanBePlayedToItsEndWithTypedCommands)
{
    TEngineHarness h;
    const QString demo = QDir::cleanPath(QString(TG_TESTDATA_DIR) + "/../../examples/demo/demo.tgs");
    TTideglassForm& form = h.Start(demo.toStdString());
    h.Tick();
    h.Settle();
    form.EndKeyWait();
    h.Settle();
    auto type = [&](const std::string& utf8) {
        form.SubmitCommand(Sj(utf8));
        h.Settle();
        return h.LastLog();
    };
    EXPECT_EQ(type("xyzzy"), "I do not understand that. Try typing help.");
    EXPECT_EQ(type("help"), "Words you can use: look, north, south, take, open, wait, help (F1 lists the words you "
                            "have found)");
    EXPECT_EQ(type("南"), "The door of the old lighthouse is shut tight. There is a hollow in it, about the size of a "
                         "glass float.");
    EXPECT_EQ(type("扉を開ける"), "The door will not move. Perhaps something fits the hollow.");
    type("north");
    EXPECT_EQ(type("north"), "A small glass float glints in the grass.");
    EXPECT_EQ(type("ガラス玉を拾う"), "あなたはガラス玉を拾った。 (You pick up the glass float.)");
    type("south");
    type("south");
    EXPECT_EQ(type("use float"), "You set the glass float into the hollow. The door slowly swings open.");
    EXPECT_EQ(h.State(), esKeyWait);
    form.EndKeyWait();
    h.Settle();
    EXPECT_EQ(h.LastLog(), "- The End -");
    EXPECT_EQ(h.State(), esGameEnd);
    EXPECT_FALSE(form.FBgRunning);
    EXPECT_TRUE(h.Errors().empty());
    for (const char* word : {"ヘルプ", "北", "north", "ガラス玉", "float"}) {
        bool found = false;
        for (int i = 0; i < form.FInput->KeywordCount(); ++i)
            found = found || form.FInput->GetKeyword(i) == Sj(word);
        EXPECT_TRUE(found) << word << " in the keyword menu";
    }
}
