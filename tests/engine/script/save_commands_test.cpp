// *SAVE and *LOAD through the engine: the saves of every version as the
// player gets them back, the questions and failure messages, where saves
// go, and the loads that a subroutine, the background script or an event
// label must not undo.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "base/sjis.h"
#include "base/streams.h"
#include "classlib/message_flags.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"
#include "save/save_corpus.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace fs = std::filesystem;

namespace {

std::string Sj(const QJsonValue& v)
{
    return sjis::FromUtf8(v.toString().toStdString());
}

std::string FileText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool LogHas(const TEngineHarness& h, const std::string& utf8)
{
    for (const std::string& line : h.Log())
        if (line.find(utf8) != std::string::npos)
            return true;
    return false;
}

bool BoxShown(const TEngineHarness& h, const std::string& utf8)
{
    for (const auto& box : h.Host.Boxes)
        if (box.Text.find(utf8) != std::string::npos)
            return true;
    return false;
}

void ExpectPixels(const TBitmap32& picture, const QJsonArray& rows, const std::string& what)
{
    if (rows.isEmpty()) {
        EXPECT_TRUE(picture.Empty()) << what;
        return;
    }
    ASSERT_EQ(picture.Height(), rows.size()) << what;
    ASSERT_EQ(picture.Width(), rows[0].toArray().size()) << what;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            EXPECT_EQ(picture.Pixel(x, y), uint32_t(rows[y].toArray()[x].toInteger())) << what << " " << x << "," << y;
}

// The corpus script as "game.tgs" (whose checksum the saves hold), `save`
// as game1.sav and the MIDI file the saves play.
TEngine& OpenCorpusGame(TEngineHarness& h, const std::vector<uint8_t>& save,
                        const std::string& script = FileText(CorpusPath("game.tgs")))
{
    h.WriteBytes("game.tgs", script);
    h.WriteBytes("game1.sav", std::string(save.begin(), save.end()));
    h.WriteBytes("theme.mid", "MThd");
    TEngine& engine = h.Open("game.tgs");
    h.Settle();
    return engine;
}

// Everything the player gets back from a corpus save, by what its version holds.
void ExpectCorpusGame(TEngineHarness& h, const QJsonObject& e, bool itemsSaved = true)
{
    const int version = e["version"].toInt();
    TEngine& engine = h.Engine();
    const QJsonObject labels = e["labels"].toObject();
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_FALSE(BoxShown(h, "シナリオが更新されています"));

    const QJsonObject flags = e["flags"].toObject();
    const QJsonObject flagNames = e["flag_names"].toObject();
    for (int i = 0; i < SaveFlagCount; ++i) {
        const TFlagRec& flag = *engine.Flags().GetItem(i);
        EXPECT_EQ(flag.Value, int32_t(flags[QString::number(i)].toInteger())) << "flag " << i;
        EXPECT_EQ(flag.Name, Sj(flagNames[QString::number(i)])) << "flag name " << i;
    }
    const QJsonObject strings = e["strings"].toObject();
    const QJsonObject stringNames = e["string_names"].toObject();
    for (int i = 0; i < SaveStringCount; ++i) {
        EXPECT_EQ(engine.SVars().GetItem(i)->Value, Sj(strings[QString::number(i)])) << "string " << i;
        EXPECT_EQ(engine.SVars().GetItem(i)->Name, Sj(stringNames[QString::number(i)])) << "string name " << i;
    }
    // The corpus script declares no items, and its saves hold five.
    EXPECT_EQ(LogHas(h, "セーブデータのアイテム数が不一致です。"), itemsSaved);

    const QJsonValue scene = labels[e["scene"].toString()];
    EXPECT_EQ(engine.MainContext().Scene, scene.isArray() ? scene.toArray()[1].toInt() : 1);
    EXPECT_EQ(LogHas(h, "ラベル" + e["scene"].toString().toStdString() + "が発見できませんでした"), !scene.isArray());
    std::vector<std::pair<int, int>> stack, saved;
    for (int i = 0; i < engine.MainContext().Stack.Count(); ++i)
        stack.emplace_back(engine.MainContext().Stack.GetItem(i).SceneLine,
                           engine.MainContext().Stack.GetItem(i).ReturnLine);
    for (const auto& p : e["stack"].toArray())
        saved.emplace_back(p.toArray()[0].toInt(), p.toArray()[1].toInt());
    EXPECT_EQ(stack, saved);

    ExpectPixels(engine.Grp()->GetPicture(), e["screen"].toArray(), "screen");
    std::vector<std::string> keywords;
    for (const auto& k : e["keywords"].toArray())
        keywords.push_back(Sj(k));
    EXPECT_EQ(h.Host.Keywords, keywords);

    if (version >= 6) {
        const QJsonArray bg = e["background"].toArray();
        const QJsonValue label = labels[bg[0].toString()];
        EXPECT_EQ(engine.BgRunning(), bg[1].toInt() != 0 && label.isArray());
        if (engine.BgRunning()) {
            EXPECT_EQ(engine.BgLabelLine(), label.toArray()[0].toInt());
            EXPECT_EQ(engine.BgContext().Line, label.toArray()[0].toInt());
        }
    }
    for (const auto& v : e["buffers"].toArray()) {
        const QJsonObject b = v.toObject();
        const int n = b["number"].toInt();
        EXPECT_TRUE(engine.Grp()->GetBufferUsed(n)) << "buffer " << n;
        EXPECT_EQ(engine.Grp()->GetBuffer(n).DrawMode(), b["transparent"].toBool() ? dmBlend : dmOpaque);
        ExpectPixels(engine.Grp()->GetBuffer(n), b["pixels"].toArray(), "buffer " + std::to_string(n));
    }
    const QJsonArray colors = e["colors"].toArray();
    for (int i = 0; i < colors.size(); ++i)
        EXPECT_EQ(engine.Msg()->GetColor(i), colors[i].toInteger()) << "colour " << i;
    for (const auto& m : e["macros"].toArray())
        EXPECT_EQ(h.Host.Macros.GetText(uint16_t(m.toArray()[0].toInt())), Sj(m.toArray()[1]));

    // Only looping music comes back, and only MIDI without the library.
    const QJsonObject music = e["music"].toObject();
    const std::string name = music["name"].toString().toStdString();
    const bool playing = music["playing"].toBool() && music["loop"].toBool() && name.ends_with(".mid");
    EXPECT_EQ(engine.BgmPlaying(), playing);
    EXPECT_EQ(engine.BgmName(), playing ? name : "");
}

} // namespace

TEST(SaveCorpusLoad, EveryVersionComesBackThroughLoad)
{
    for (int version = 1; version <= 10; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        TEngineHarness h;
        OpenCorpusGame(h, CorpusBytes(CorpusSave(version)));
        TEngineProbe probe(h.Engine());
        // Return points of the game that is left: saves from version 9 on
        // keep none, older ones put their own in place.
        probe.Main().Stack.Push(99, 99);
        ASSERT_TRUE(probe.Load("*LOAD 1"));
        ExpectCorpusGame(h, CorpusExpected(version));
    }
}

TEST(SaveCorpusLoad, SaveOfALoadedGameLoadsTheSameGame)
{
    TEngineHarness first;
    OpenCorpusGame(first, CorpusBytes(CorpusSave(10)));
    TEngineProbe(first.Engine()).Load("*LOAD 1");
    TEngineProbe(first.Engine()).Save("*SAVE 2 0 1");

    TEngineHarness second;
    OpenCorpusGame(second, ReadFileBytes(first.Dir() + "game2.sav"));
    ASSERT_TRUE(TEngineProbe(second.Engine()).Load("*LOAD 1"));
    ExpectCorpusGame(second, CorpusExpected(10), false);
}

TEST(SaveCorpusLoad, EditedScriptIsReportedAndTheGameStillLoads)
{
    TEngineHarness h;
    std::string script = FileText(CorpusPath("game.tgs"));
    script[script.find("Welcome.") + 7] = '!';
    OpenCorpusGame(h, CorpusBytes(CorpusSave(10)), script);
    ASSERT_TRUE(TEngineProbe(h.Engine()).Load("*LOAD 1"));
    ASSERT_EQ(h.Host.Boxes.size(), 1u);
    EXPECT_EQ(h.Host.Boxes[0].Text, "シナリオが更新されています！正しくゲームが進行しない可能性があります。");
    EXPECT_TRUE(h.Host.Boxes[0].Halted);
    EXPECT_EQ(h.Flag(16383), 10000);
}
