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
#include "classlib/bitmap.h"
#include "classlib/message_flags.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "formats/save/save_file.h"
#include "engine/script/variables.h"
#include "formats/save/save_corpus.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace fs = std::filesystem;

namespace {

std::string Sj(const QJsonValue& v)
{
    return sjis::FromUtf8(v.toString().toStdString());
}

// A standard MIDI file: the demo's beach song.
std::string Song()
{
    const std::vector<uint8_t> bytes = ReadFileBytes(TG_SOURCE_DIR "/examples/demo/bgm/beach.mid");
    return {bytes.begin(), bytes.end()};
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

// Files of the folder whose name begins with `prefix`: the save and any
// temporary beside it.
int FilesStartingWith(const std::string& dir, const std::string& prefix)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        count += entry.path().filename().string().starts_with(prefix);
    return count;
}

// The corpus script as "game.tgs" (whose checksum the saves hold), `save`
// as game1.sav and the MIDI file the saves play. Its scenes end without
// *SCENEEND, which the pattern scan reports (halting the game), and it holds
// no *LOAD line: the tests load by hand.
TEngine& OpenCorpusGame(
    TEngineHarness& h, const std::vector<uint8_t>& save, const std::string& script = FileText(CorpusPath("game.tgs")))
{
    h.WriteBytes("game.tgs", script);
    h.WriteBytes("game1.sav", std::string(save.begin(), save.end()));
    h.WriteBytes("theme.mid", Song());
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
        stack.emplace_back(
            engine.MainContext().Stack.GetItem(i).SceneLine, engine.MainContext().Stack.GetItem(i).ReturnLine);
    for (const auto& p : e["stack"].toArray())
        saved.emplace_back(p.toArray()[0].toInt(), p.toArray()[1].toInt());
    EXPECT_EQ(stack, saved);

    ExpectPixels(engine.Grp()->GetPicture(), e["screen"].toArray(), "screen");
    std::vector<std::string> keywords;
    for (const auto& k : e["keywords"].toArray())
        keywords.push_back(Sj(k));
    EXPECT_EQ(h.Engine().GameState().Keywords(), keywords);

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
        EXPECT_EQ(h.Engine().GameState().KeyMacros().GetText(uint16_t(m.toArray()[0].toInt())), Sj(m.toArray()[1]));

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

TEST(SaveCommand, OverwriteIsAskedUnlessNoConfirmIsSet)
{
    struct {
        const char* existing;
        const char* line;
        int answer;
        bool asked;
        bool written;
    } cases[] = {
        {"main1.sav", "*SAVE 1", IDNO, true, false},
        {"main1.sav", "*SAVE 1", IDYES, true, true},
        {"MAIN1.SAV", "*SAVE 1 0", IDNO, true, false},
        {"main1.sav", "*SAVE 1 0 1", IDNO, false, true},
        {"main2.sav", "*SAVE 1", IDNO, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.existing) + " " + c.line);
        TEngineHarness h;
        h.WriteBytes(c.existing, "old");
        h.Host.BoxAnswer = c.answer;
        h.Run(std::string("*SCENE s\n") + c.line + "\nafter\n*SCENEEND\n");
        ASSERT_EQ(h.Host.Boxes.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(h.Host.Boxes[0].Caption, "選択");
            EXPECT_EQ(h.Host.Boxes[0].Text, "セーブデータが存在します。上書きしてもよろしいですか？");
            EXPECT_FALSE(h.Host.Boxes[0].Halted);
        }
        // A save of another letter case is the same save and is written over.
        const std::string saved = c.existing == std::string("main2.sav") ? "main1.sav" : c.existing;
        EXPECT_EQ(FileText(h.Dir() + saved) != "old", c.written);
        EXPECT_EQ(FilesStartingWith(h.Dir(), "main1") + FilesStartingWith(h.Dir(), "MAIN1"), 1);
        EXPECT_EQ(h.LastLog(), "after");
    }
}

TEST(SaveCommand, FailedWriteShowsTheMessageKeepsTheOldFileAndGoesOn)
{
    struct {
        const char* name;
        const char* line;
        bool diskFull;
    } cases[] = {
        // Neither the program's "save" folder nor the per-user data folder
        // can be made.
        {"nowhere", "*SAVE 3 1", false},
        // The disk fills up half way through the file.
        {"disk full", "*SAVE 1 0 1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TEngineHarness h;
        h.WriteBytes("main1.sav", "old save");
        h.WriteBytes("file", "");
        setenv("XDG_DATA_HOME", (h.Dir() + "file/data").c_str(), 1);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        h.WriteScript("main.tgs", std::string("*SCENE s\n") + c.line + "\nafter\n*SCENEEND\n");
        h.Open("main.tgs");
        if (c.diskFull) {
            rlimit small = old;
            small.rlim_cur = 100;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        h.Settle();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        ASSERT_EQ(h.Host.Boxes.size(), 1u);
        EXPECT_TRUE(h.Host.Boxes[0].Text.starts_with("セーブデータ" + h.Dir())) << h.Host.Boxes[0].Text;
        EXPECT_TRUE(h.Host.Boxes[0].Text.ends_with(".savが作成できませんでした")) << h.Host.Boxes[0].Text;
        EXPECT_TRUE(h.Host.Boxes[0].Halted);
        EXPECT_FALSE(h.Engine().Halted());
        EXPECT_EQ(h.LastLog(), "after");
        EXPECT_EQ(FileText(h.Dir() + "main1.sav"), "old save");
        EXPECT_EQ(FilesStartingWith(h.Dir(), "main"), 2); // main.tgs and main1.sav
    }
}

TEST(SaveCommand, NumbersAndFoldersOfSaves)
{
    TEngineHarness h;
    h.Run("*SCENE s\n*F(1)=4\n*SAVE -1 0 1\n*SAVE F(1) 0 1\n*SAVE 3 1 1\n*F(1)=9\n>load\n*LOAD 3 1\n*SCENEEND\n");
    EXPECT_TRUE(fs::is_regular_file(h.Dir() + "main-1.sav"));
    EXPECT_TRUE(fs::is_regular_file(h.Dir() + "main4.sav"));
    // No "save" folder beside the program: the per-user data folder, keyed
    // by the scenario's folder, takes the save.
    EXPECT_FALSE(fs::exists(h.Dir() + "save"));
    int found = 0;
    for (const auto& entry : fs::recursive_directory_iterator(h.Dir() + ".XDG_DATA_HOME/tideglass/saves"))
        found += entry.path().filename() == "main3.sav" && entry.path().parent_path().filename() == "save" &&
                 entry.path().parent_path().parent_path().filename().string().starts_with("main-");
    EXPECT_EQ(found, 1);

    h.Engine().SubmitCommand("load");
    h.Settle();
    EXPECT_EQ(h.Flag(1), 4);
    EXPECT_TRUE(h.Host.Boxes.empty());
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(LoadCommand, BadOrMissingSaveLeavesTheGameAsItWas)
{
    struct {
        const char* file;
        const char* message;
    } cases[] = {
        {nullptr, "がありません。"},
        {"broken/bad_magic.sav", "セーブデータの形式が異なっています"},
        {"broken/version_11.sav", "セーブデータの形式が異なっています"},
        {"broken/version_0.sav", "セーブデータの形式が異なっています"},
        {"broken/lzss_cut.sav", "セーブデータの形式が異なっています"},
        {"broken/bad_screen_png.sav", "セーブデータの形式が異なっています"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        TEngineHarness h;
        if (c.file)
            h.WriteBytes("main1.sav", FileText(CorpusPath(c.file)));
        h.Run("*SCENE s\n*F(1)=5\n*S(0)='kept'\n*BGEXEC s 5000\n*LOAD 1\nafter\n*SCENEEND\n");
        ASSERT_EQ(h.Host.Boxes.size(), 1u);
        EXPECT_TRUE(h.Host.Boxes[0].Text.ends_with(c.message)) << h.Host.Boxes[0].Text;
        if (!c.file) {
            EXPECT_EQ(h.Host.Boxes[0].Text, "セーブデータ" + h.Dir() + "main1.savがありません。");
        }
        EXPECT_TRUE(h.Host.Boxes[0].Halted);
        EXPECT_FALSE(h.Engine().Halted());
        EXPECT_EQ(h.LastLog(), "after");
        EXPECT_EQ(h.Flag(1), 5);
        EXPECT_EQ(h.SVar(0), "kept");
        EXPECT_TRUE(h.Engine().BgRunning());
    }
}

TEST(SaveCommand, BuffersAreSavedFromCopiesAndComeBackInUse)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n>save\n*SAVE 1 0 1\n*END\n>load\n*LOAD 1\n*SCENEEND\n");
    TTGGrp& grp = *engine.Grp();
    auto fill = [&](int n, std::vector<TColor32> pixels, TDrawMode mode) {
        grp.GetBuffer(n).SetSize(int(pixels.size()), 1);
        std::copy(pixels.begin(), pixels.end(), grp.GetBuffer(n).Bits());
        grp.GetBuffer(n).SetDrawMode(mode);
        grp.SetBufferUsed(n, true);
    };
    fill(3, {0x00000000, 0xFF0000FF, 0x80102030}, dmBlend);
    fill(5, {0xFF112233}, dmOpaque);
    // A buffer wider than any picture file may be comes back too.
    fill(7, std::vector<TColor32>(MaxPictureSide + 16, 0xFF010203), dmOpaque);
    grp.SetBufferUsed(4, true); // in use, never filled
    h.Engine().SubmitCommand("save");
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(std::vector<TColor32>(grp.GetBuffer(3).Bits(), grp.GetBuffer(3).Bits() + 3),
        (std::vector<TColor32>{0x00000000, 0xFF0000FF, 0x80102030}));

    fill(3, {0xFFFFFFFF}, dmOpaque);
    grp.SetBufferUsed(3, false);
    fill(6, {0xFF445566}, dmOpaque);
    h.Engine().SubmitCommand("load");
    h.Settle();
    ASSERT_EQ(h.State(), esCommandWait);
    // The blue key carries the clear pixels; the PNG keeps no alpha.
    EXPECT_EQ(std::vector<TColor32>(grp.GetBuffer(3).Bits(), grp.GetBuffer(3).Bits() + 3),
        (std::vector<TColor32>{0x00000000, 0x00000000, 0xFF102030}));
    EXPECT_EQ(grp.GetBuffer(3).DrawMode(), dmBlend);
    EXPECT_TRUE(grp.GetBufferUsed(3));
    EXPECT_EQ(grp.GetBuffer(5).Pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(grp.GetBuffer(6).Pixel(0, 0), 0xFF445566u);
    EXPECT_EQ(grp.GetBuffer(7).Width(), MaxPictureSide + 16);
    EXPECT_EQ(grp.GetBuffer(7).Pixel(MaxPictureSide, 0), 0xFF010203u);
}

TEST(LoadCommand, SavedItemsMeetTheItemsTheScriptNowDeclares)
{
    struct {
        int declared;
        std::vector<int32_t> counts;
        bool warned;
    } cases[] = {
        {7, {11, 12, 13, 14, 15, 6, 7}, false},
        {3, {11, 12, 13}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declared);
        TEngineHarness h;
        h.Run("*ITEM\na 1\nb 2\nc 3\nd 4\ne 5\n*ITEMEND\n*SCENE s\n*I(a)=11\n*I(b)=12\n*I(c)=13\n*I(d)=14\n"
              "*I(e)=15\n*S(0)='after items'\n*F(7)=3\n*SAVE 1 0 1\n*SCENEEND\n");
        std::string items;
        for (int i = 1; i <= c.declared; ++i)
            items += "i" + std::to_string(i) + " " + std::to_string(i) + "\n";
        h.Run("*ITEM\n" + items + "*ITEMEND\n*SCENE s\n*LOAD 1\n*SCENEEND\n");
        std::vector<int32_t> counts;
        for (int i = 0; i < h.Engine().Items().Count(); ++i)
            counts.push_back(h.Engine().Items().GetItem(i)->Count);
        EXPECT_EQ(counts, c.counts);
        EXPECT_EQ(LogHas(h, "セーブデータのアイテム数が不一致です。"), c.warned);
        EXPECT_EQ(h.SVar(0), "after items");
        EXPECT_EQ(h.Flag(7), 3);
    }
}

TEST(LoadCommand, LoadInsideASubroutineStopsThereAndRunsTheLoadEvent)
{
    TEngineHarness h;
    h.Run("*SCENE start\n*F(5)=42\n*SAVE 1 0 1\n*F(5)=0\n*GOSUB sub\nreturned\n*SCENEEND\n"
          "*LABEL sub\n*IF F(5)=1\n*ELSE\n*LOAD 1\nafter load\n*ENDIF\n*SCENEEND\n"
          "*LABEL OnLOADGAME\n*F(6)=F(5)+1\nwelcome back\n*SCENEEND\n");
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(h.Flag(5), 42);
    EXPECT_EQ(h.Flag(6), 43);
    EXPECT_TRUE(h.Engine().MainContext().Stack.Empty());
    EXPECT_EQ(h.Engine().IfState(), 0);
    EXPECT_EQ(h.Log(), std::vector<std::string>{"welcome back"});
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(h.Host.InputOn);
}

TEST(LoadCommand, LoadFromTheBackgroundOrAnEventKeepsTheLoadedGame)
{
    struct {
        const char* name;
        const char* wait;
        const char* loader;
        bool menu;
    } cases[] = {
        {"background script", "*WAIT 50", "*SCENE bgload\n*LOAD 1\n*SCENEEND\n", false},
        {"background script in a key wait", "**", "*SCENE bgload\n*LOAD 1\n*SCENEEND\n", false},
        {"event label", "*WAIT 50", "*LABEL OnSCALECHANGE\n*LOAD 1\n*SCENEEND\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TEngineHarness h;
        TEngine& engine = h.Run(std::string("*SCENE s\n*F(5)=7\n*SAVE 1 0 1\n*F(5)=0\n") +
                                (c.menu ? "" : "*BGEXEC bgload 500\n") + c.wait + "\nwaited\n*SCENEEND\n" + c.loader);
        ASSERT_NE(h.State(), esCommandWait);
        if (c.menu)
            engine.D1Click();
        else
            h.Advance(500);
        EXPECT_EQ(h.Flag(5), 7);
        EXPECT_EQ(h.State(), esCommandWait);
        EXPECT_FALSE(engine.Grp()->WaitOn());
        EXPECT_EQ(h.Host.InputText, "");
        EXPECT_TRUE(h.Host.InputOn);
        // The save was taken before *BGEXEC: no background script.
        EXPECT_FALSE(engine.BgRunning());
        h.Advance(6000);
        EXPECT_FALSE(LogHas(h, "waited"));
        EXPECT_EQ(h.State(), esCommandWait);
        EXPECT_TRUE(h.Errors().empty());
    }
}

TEST(LoadCommand, BackgroundComesBackAtItsOwnIntervalFromItsLabel)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n>start\n*BGEXEC tick 2000\n*END\n>save\n*SAVE 1 0 1\n*END\n"
                            ">load\n*LOAD 1\n*SCENEEND\n"
                            "*SCENE tick\n*F(1)=F(1)+1\n*WAIT 3\n*F(2)=F(2)+1\n*SCENEEND\n");
    engine.SubmitCommand("start");
    h.Settle();
    h.Advance(2000);
    ASSERT_EQ(h.Flag(1), 1);
    // Saved while the background *WAIT counts its 100 ms steps.
    engine.SubmitCommand("save");
    h.Settle();
    engine.SubmitCommand("load");
    h.Settle();
    EXPECT_TRUE(engine.BgRunning());
    EXPECT_EQ(engine.BgWaitCount(), 0);
    h.Advance(1900);
    EXPECT_EQ(h.Flag(1), 1);
    EXPECT_EQ(h.Flag(2), 0);
    h.Advance(200);
    EXPECT_EQ(h.Flag(1), 2);
    EXPECT_EQ(h.Flag(2), 0);
}

TEST(LoadCommand, BackgroundIntervalBelowAMillisecondComesBackAsOne)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\n*BGEXEC tick 1000\n>load\n*LOAD 1\n*END\n*SCENEEND\n"
                            "*SCENE tick\n*F(1)=F(1)+1\n*SCENEEND\n");
    for (const int32_t interval : {-1, 0, INT32_MIN}) {
        SCOPED_TRACE(interval);
        TSaveGame game = TEngineProbe(engine).SaveGame();
        game.BgInterval = interval;
        const std::vector<uint8_t> bytes = BuildSaveFile(game);
        h.WriteBytes("main1.sav", std::string(bytes.begin(), bytes.end()));
        engine.SubmitCommand("load");
        h.Settle();
        ASSERT_TRUE(engine.BgRunning());
        // No pass is due again within the same millisecond, and the
        // background runs once a millisecond.
        EXPECT_EQ(h.Tick(10), 0);
        const int32_t before = h.Flag(1);
        h.Advance(100);
        EXPECT_EQ(h.Flag(1) - before, 100);
        EXPECT_EQ(TEngineProbe(engine).SaveGame().BgInterval, 1);
    }
}

TEST(LoadCommand, MusicComesBackLastAndOnlyWhenItLooped)
{
    struct {
        const char* name;
        uint8_t loop;
        bool removed;
        bool playing;
    } cases[] = {
        {"theme.mid", 1, false, true},
        {"theme.mid", 0, false, false},
        // Other music needs the outside library.
        {"field.ogg", 1, false, false},
        {"theme.mid", 1, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " loop " + std::to_string(c.loop) + (c.removed ? " removed" : ""));
        TEngineHarness h;
        h.WriteBytes("theme.mid", Song());
        h.WriteBytes("other.mid", Song());
        TEngine& engine = h.Run("*SCENE s\n*F(1)=1\n>save\n*SAVE 1 0 1\n*END\n>load\n*LOAD 1\n*SCENEEND\n");
        TEngineProbe probe(engine);
        if (std::string(c.name).ends_with(".mid"))
            probe.PlayMidiBgm(c.name, c.loop);
        else
            probe.PlayBassBgm(c.name, c.loop);
        engine.SubmitCommand("save");
        h.Settle();
        if (c.removed)
            fs::remove(h.Dir() + "theme.mid");
        // Twice: what a load brought back is saved again.
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            if (round == 1) {
                engine.SubmitCommand("save");
                h.Settle();
            }
            probe.PlayMidiBgm("other.mid", 1);
            engine.EvaluateExpr("F(1)=2");
            engine.SubmitCommand("load");
            h.Settle();

            EXPECT_EQ(engine.BgmPlaying(), c.playing);
            EXPECT_EQ(engine.BgmName(), c.playing ? c.name : "");
            // A MIDI song that comes back plays from its start, looping.
            EXPECT_EQ(probe.Midi().Playing(), c.playing);
            if (c.playing) {
                EXPECT_EQ(probe.Midi().Loops().size(), 1u);
            }
            if (c.removed)
                break;
        }
        ASSERT_EQ(h.Host.Boxes.size(), c.removed ? 1u : 0u);
        if (c.removed) {
            EXPECT_EQ(h.Host.Boxes[0].Text, "ファイル" + h.Dir() + "theme.midが開けません");
            EXPECT_TRUE(h.Host.Boxes[0].Halted);
        }
        // The rest of the game is loaded all the same.
        EXPECT_EQ(h.Flag(1), 1);
        EXPECT_EQ(h.State(), esCommandWait);
        EXPECT_FALSE(engine.Halted());
    }
}
