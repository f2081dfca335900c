// The demo game that "make run" starts: it opens, plays its first scene and
// can be played to its end with typed commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/sjis.h"
#include "base/streams.h"
#include "engine/screen/modal_result.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "support/engine_harness.h"

namespace {

const std::string DemoFolder = std::string(TG_SOURCE_DIR) + "/examples/demo";
const std::string DemoScript = DemoFolder + "/demo.tgs";

// The demo's script and media with their folders, copied into the
// harness's folder (saves are written beside the script, never into the
// source tree).
void CopyDemo(TEngineHarness& h)
{
    for (const auto& entry : std::filesystem::recursive_directory_iterator(DemoFolder)) {
        const std::string name = std::filesystem::relative(entry.path(), DemoFolder).string();
        if (entry.is_directory())
            h.MakeFolder(name);
        if (!entry.is_regular_file() || entry.path().extension() == ".sav")
            continue;
        const std::vector<uint8_t> bytes = ReadFileBytes(entry.path().string());
        h.WriteBytes(name, std::string(bytes.begin(), bytes.end()));
    }
}

// Space after the title, then the player's name typed as the answer.
void PassIntro(TEngineHarness& h, TEngine& engine)
{
    engine.EndKeyWait();
    h.Settle();
    engine.SubmitCommand(Sj("Mio"));
    h.Settle();
}

} // namespace

TEST(DemoGame, ShowsItsFirstSceneAndRunsItsBackgroundScript)
{
    TEngineHarness h;
    TEngine& engine = h.Start(DemoScript);
    h.Tick();
    h.Settle();
    EXPECT_EQ(sjis::ToUtf8(h.Host.Title), "潮見の浜 ― Tideglass Demo");
    EXPECT_EQ(h.State(), esKeyWait);
    EXPECT_EQ(h.Log(), (std::vector<std::string>{"～ 潮見の浜 ～", "~ Shiomi Beach ~",
                           "スペースキーで先へ進みます。 (Press Space to go on.)"}));
    engine.EndKeyWait();
    h.Settle();
    // The name is asked inline: the answer is typed into the command line.
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(h.LastLog(), "あなたの名前は？ (What is your name?)");
    engine.SubmitCommand(Sj("{潮}"));
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(h.State(), esCommandWait);
    // The answer is shown and used as typed, braces and all.
    const std::vector<std::string> log = h.Log();
    const auto echo = std::find(log.begin(), log.end(), "? {潮}");
    ASSERT_TRUE(echo != log.end() && echo + 1 != log.end());
    EXPECT_EQ(echo[1], "ようこそ、{潮}さん。 (Welcome, {潮}.)");
    EXPECT_EQ(h.LastLog(), "どうする？ (What will you do?)");
    EXPECT_EQ(engine.Grp()->GetPicture().Width(), 640);
    EXPECT_EQ(engine.Grp()->FWaitCount, 4);
    EXPECT_EQ(engine.Grp()->FWaitInterval, 200);
    const size_t lines = h.Log().size();
    h.Advance(6000);
    ASSERT_EQ(h.Log().size(), lines + 1);
    EXPECT_EQ(h.LastLog(), "……ザザーン。波が打ち寄せる。 (...Whoosh. The waves roll in.)");
}

TEST(DemoGame, CanBePlayedToItsEndWithTypedCommands)
{
    TEngineHarness h;
    TEngine& engine = h.Start(DemoScript);
    h.Tick();
    h.Settle();
    PassIntro(h, engine);
    auto type = [&](const std::string& utf8) {
        engine.SubmitCommand(Sj(utf8));
        h.Settle();
        return h.LastLog();
    };
    // What lies on the ground is drawn over the place and goes when taken.
    const auto shown = [&](int x, int y) { return engine.Grp()->GetPicture().Pixel(x, y); };
    const TColor32 shell = shown(324, 420);
    EXPECT_EQ(type("take shell"), "You pick up a pink shell and put it in your pocket.");
    EXPECT_NE(shown(324, 420), shell);
    EXPECT_EQ(shown(324, 420), shown(250, 420)); // sand only
    EXPECT_EQ(type("持ち物"), "桜貝　");
    EXPECT_EQ(h.Log().end()[-2], "[所持アイテム]");
    EXPECT_EQ(type("xyzzy"), "I do not understand that. Try typing help.");
    EXPECT_EQ(type("画面"), "画面を切り替えた（倍率100%）。 (The display is switched; scale 100%.)");
    EXPECT_TRUE(engine.FullScreen());
    type("screen");
    EXPECT_FALSE(engine.FullScreen());
    EXPECT_EQ(type("help"), "Words you can use: look, north, south, take, open, wait, items, save, load, help (F1 "
                            "lists the words you have found)");
    // Each place has its music: the beach's and the lighthouse's songs loop,
    // the cliff's sea is streamed by the audio library (silent here).
    EXPECT_EQ(engine.BgmName(), "bgm\\beach.mid");
    EXPECT_EQ(type("南"), "The door of the old lighthouse is shut tight. There is a hollow in it, about the size of a "
                          "glass float.");
    EXPECT_EQ(engine.BgmName(), "bgm\\lighthouse.mid");
    EXPECT_EQ(type("扉を開ける"), "The door will not move. Perhaps something fits the hollow.");
    type("north");
    EXPECT_EQ(type("north"), "A small glass float glints in the grass.");
    EXPECT_EQ(engine.BgmName(), "bgm\\shore.ogg");
    const TColor32 glassFloat = shown(152, 312);
    EXPECT_EQ(type("ガラス玉を拾う"), "あなたはガラス玉を拾った。 (You pick up the glass float.)");
    EXPECT_NE(shown(152, 312), glassFloat);
    EXPECT_EQ(type("items"), "桜貝　ガラス玉　");
    type("south");
    type("south");
    const auto toTheEnd = [&](int answer) {
        EXPECT_EQ(type("use float"), "You set the glass float into the hollow. The door slowly swings open.");
        EXPECT_EQ(h.State(), esKeyWait);
        h.Host.YesNoResult = answer;
        engine.EndKeyWait();
        h.Settle();
        EXPECT_EQ(sjis::ToUtf8(h.Host.Prompts.back()), "もう一度歩きますか？ (Walk again?)");
        EXPECT_EQ(h.Host.DialogStates.back(), esYesNo);
    };
    // Walking again starts at the beach with empty pockets, the shell and
    // the float back where they lay.
    toTheEnd(mrYes);
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_EQ(h.LastLog(), "どうする？ (What will you do?)");
    EXPECT_EQ(type("items"), "");
    type("north");
    type("take float");
    type("south");
    type("south");
    toTheEnd(mrNo);
    EXPECT_EQ(h.Log().end()[-1], "- The End -");
    EXPECT_EQ(h.State(), esGameEnd);
    // The lighthouse's song fades out over three seconds.
    EXPECT_TRUE(engine.FadeActive());
    h.Advance(3000);
    EXPECT_FALSE(engine.BgmPlaying());
    EXPECT_FALSE(engine.BgRunning());
    EXPECT_TRUE(h.Errors().empty());
    const std::vector<std::string>& keywords = engine.GameState().Keywords();
    for (const char* word : {"ヘルプ", "北", "north", "ガラス玉", "float"}) {
        const bool found = std::find(keywords.begin(), keywords.end(), Sj(word)) != keywords.end();
        EXPECT_TRUE(found) << word << " in the keyword menu";
    }
}

TEST(DemoGame, LoadTakesTheWalkBackToWhereItWasSaved)
{
    TEngineHarness h;
    CopyDemo(h);
    TEngine& engine = h.Open("demo.tgs");
    h.Settle();
    PassIntro(h, engine);
    auto type = [&](const std::string& utf8) {
        engine.SubmitCommand(Sj(utf8));
        h.Settle();
        return h.LastLog();
    };
    EXPECT_EQ(type("セーブ"), "ここまでをセーブした。 (Your walk so far is saved.)");
    EXPECT_TRUE(h.Host.Boxes.empty());
    type("north");
    EXPECT_EQ(type("take float"), "あなたはガラス玉を拾った。 (You pick up the glass float.)");
    EXPECT_EQ(type("load"), "セーブした所から続ける。 (You carry on from where you saved.)");
    EXPECT_EQ(type("north"), "A small glass float glints in the grass.");
    // A second save asks before it writes over the first.
    type("save");
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_EQ(h.Host.Boxes[0].Caption, "選択");
    EXPECT_TRUE(h.Errors().empty());
}
