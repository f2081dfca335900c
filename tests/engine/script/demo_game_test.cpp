// The demo game that "make run" starts: it opens and plays its first scene.

#include <gtest/gtest.h>

#include <QDir>

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
