// Saves of every version, made by a generator written from the file format
// alone, staged by the reader and checked field by field.

#include "save_corpus.h"

#include "base/sjis.h"
#include "formats/save/save_error.h"
#include "formats/save/save_file.h"
#include "formats/save/save_streams.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

std::string Sj(const QJsonValue& v)
{
    return sjis::FromUtf8(v.toString().toStdString());
}

void ExpectPixels(const TBitmap32* picture, const QJsonArray& rows, const std::string& what)
{
    ASSERT_NE(picture, nullptr) << what;
    if (rows.isEmpty()) {
        EXPECT_TRUE(picture->Empty()) << what;
        return;
    }
    ASSERT_EQ(picture->Height(), rows.size()) << what;
    ASSERT_EQ(picture->Width(), rows[0].toArray().size()) << what;
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x)
            EXPECT_EQ(picture->Pixel(x, y), uint32_t(rows[y].toArray()[x].toInteger()))
                << what << " at " << x << "," << y;
}

// Dense values against the JSON's sparse map of index to value.
template <class T, class F>
void ExpectSparse(const std::vector<T>& values, const QJsonObject& map, F convert, const std::string& what)
{
    for (size_t i = 0; i < values.size(); ++i) {
        const QJsonValue v = map[QString::number(i)];
        EXPECT_EQ(values[i], v.isUndefined() ? T{} : convert(v)) << what << " " << i;
    }
}

void ExpectStaged(const TStagedLoad& s, const QJsonObject& e)
{
    const int version = e["version"].toInt();
    SCOPED_TRACE("version " + std::to_string(version));
    EXPECT_EQ(s.Version, version);
    EXPECT_EQ(s.ScriptChecksum, uint32_t(e["checksum"].toInteger()));
    ExpectPixels(s.Screen.get(), e["screen"].toArray(), "screen");

    EXPECT_EQ(s.Scene, Sj(e["scene"]));
    const QJsonValue scene = e["labels"].toObject()[e["scene"].toString()];
    EXPECT_EQ(s.SceneFound, scene.isArray());
    if (scene.isArray()) {
        EXPECT_EQ(s.SceneLine, scene.toArray()[1].toInt());
    }

    const QJsonObject music = e["music"].toObject();
    EXPECT_EQ(s.Music.Playing, music["playing"].toBool());
    EXPECT_EQ(s.Music.Loop, music["loop"].toBool());
    EXPECT_EQ(s.Music.Name, Sj(music["name"]));

    auto toInt = [](const QJsonValue& v) { return int32_t(v.toInteger()); };
    ASSERT_EQ(s.FlagValues.size(), 16384u);
    ExpectSparse(s.FlagValues, e["flags"].toObject(), toInt, "flag");
    EXPECT_EQ(s.FlagNames.size(), version >= 10 ? 16384u : 0u);
    ExpectSparse(s.FlagNames, e["flag_names"].toObject(), Sj, "flag name");

    std::vector<int32_t> items;
    for (const auto& v : e["items"].toArray())
        items.push_back(toInt(v));
    EXPECT_EQ(s.ItemCounts, items);
    EXPECT_FALSE(s.ItemCountMismatch);

    std::vector<std::pair<int32_t, int32_t>> stack;
    for (const auto& p : s.MainStack)
        stack.emplace_back(p.SceneLine, p.ReturnLine);
    std::vector<std::pair<int32_t, int32_t>> expectedStack;
    for (const auto& v : e["stack"].toArray())
        expectedStack.emplace_back(v.toArray()[0].toInt(), v.toArray()[1].toInt());
    EXPECT_EQ(stack, expectedStack);

    EXPECT_EQ(s.StringValues.size(), version >= 2 ? 1024u : 0u);
    ExpectSparse(s.StringValues, e["strings"].toObject(), Sj, "string");
    EXPECT_EQ(s.StringNames.size(), version >= 10 ? 1024u : 0u);
    ExpectSparse(s.StringNames, e["string_names"].toObject(), Sj, "string name");

    std::vector<std::string> keywords;
    for (const auto& v : e["keywords"].toArray())
        keywords.push_back(Sj(v));
    EXPECT_EQ(s.Keywords, keywords);

    EXPECT_EQ(s.HasBackground, version >= 6);
    if (s.HasBackground) {
        const QJsonArray bg = e["background"].toArray();
        EXPECT_EQ(s.BgLabel, Sj(bg[0]));
        EXPECT_EQ(s.BgRunning, bg[1].toInt() != 0);
        EXPECT_EQ(s.BgInterval, bg[2].toInt());
        const QJsonValue label = e["labels"].toObject()[bg[0].toString()];
        EXPECT_EQ(s.BgLabelFound, s.BgRunning && label.isArray());
        if (s.BgLabelFound) {
            EXPECT_EQ(s.BgLine, label.toArray()[0].toInt());
            EXPECT_EQ(s.BgSceneLine, label.toArray()[1].toInt());
        }
    }
    const QJsonArray buffers = e["buffers"].toArray();
    ASSERT_EQ(s.Buffers.size(), size_t(buffers.size()));
    for (size_t i = 0; i < s.Buffers.size(); ++i) {
        const QJsonObject b = buffers[qsizetype(i)].toObject();
        EXPECT_EQ(s.Buffers[i].Number, b["number"].toInt());
        EXPECT_EQ(s.Buffers[i].Transparent, b["transparent"].toBool());
        EXPECT_EQ(s.Buffers[i].Picture->DrawMode(), b["transparent"].toBool() ? dmBlend : dmOpaque);
        ExpectPixels(s.Buffers[i].Picture.get(), b["pixels"].toArray(), "buffer " + std::to_string(i));
    }

    EXPECT_EQ(s.HasColors, version >= 7);
    for (int i = 0; s.HasColors && i < SaveColorCount; ++i)
        EXPECT_EQ(s.Colors[size_t(i)], uint32_t(e["colors"].toArray()[i].toInteger()));
    EXPECT_EQ(s.HasMacros, version >= 8);
    const QJsonArray macros = e["macros"].toArray();
    ASSERT_EQ(s.Macros.size(), size_t(macros.size()));
    for (size_t i = 0; i < s.Macros.size(); ++i) {
        EXPECT_EQ(s.Macros[i].Key, macros[qsizetype(i)].toArray()[0].toInt());
        EXPECT_EQ(s.Macros[i].Text, Sj(macros[qsizetype(i)].toArray()[1]));
    }
}

std::vector<std::string> SplitLines(const std::vector<uint8_t>& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += char(c);
        }
    }
    return lines;
}

} // namespace

TEST(SaveCorpus, EveryVersionStagesEveryFieldItHas)
{
    for (int version = 1; version <= 10; ++version) {
        const QJsonObject e = CorpusExpected(version);
        ExpectStaged(StageSaveFile(CorpusBytes(CorpusSave(version)), CorpusContext(e, 5)), e);
    }
    const QJsonObject e10 = CorpusExpected(10);
    ExpectStaged(StageSaveFile(CorpusBytes("v10_trailing.sav"), CorpusContext(e10, 5)), e10);
}

TEST(SaveCorpus, ChecksumMatchesTheScriptUntilOneByteChanges)
{
    std::vector<uint8_t> script = CorpusBytes("game.tgs");
    const TStagedLoad s = StageSaveFile(CorpusBytes("v10.sav"), CorpusContext(CorpusExpected(10), 5));
    EXPECT_EQ(ScriptChecksum(SplitLines(script)), s.ScriptChecksum);
    script[20] ^= 1;
    EXPECT_NE(ScriptChecksum(SplitLines(script)), s.ScriptChecksum);
}

TEST(SaveCorpus, SavedItemsMeetTheDeclaredOnes)
{
    const struct {
        int Declared;
        std::vector<int32_t> Counts;
        bool Mismatch;
    } cases[] = {
        {5, {10, 2, 3, 4, 5}, false}, {7, {10, 2, 3, 4, 5}, false}, // the last two items keep their counts
        {3, {10, 2, 3}, true},                                      // warned, two saved counts skipped
    };
    for (const auto& c : cases) {
        const TStagedLoad s = StageSaveFile(CorpusBytes("v10.sav"), CorpusContext(CorpusExpected(10), c.Declared));
        EXPECT_EQ(s.ItemCounts, c.Counts) << c.Declared;
        EXPECT_EQ(s.ItemCountMismatch, c.Mismatch) << c.Declared;
        // Everything after the items is still read in place.
        EXPECT_EQ(s.StringValues[0], "v10") << c.Declared;
        EXPECT_EQ(s.Macros.size(), 2u) << c.Declared;
    }
}

TEST(SaveCorpus, BrokenFilesAreRefusedWithTheFormatMessage)
{
    const QStringList names = QDir(QString::fromStdString(CorpusPath("broken"))).entryList({"*.sav"});
    ASSERT_GE(names.size(), 40);
    for (const QString& name : names) {
        const std::string file = "broken/" + name.toStdString();
        try {
            StageSaveFile(CorpusBytes(file), CorpusContext(CorpusExpected(10), 5));
            ADD_FAILURE() << file << " was staged";
        } catch (const ESaveFormatError& e) {
            EXPECT_EQ(e.Message(), sjis::FromUtf8("セーブデータの形式が異なっています")) << file;
        }
    }
}

TEST(SaveCorpus, FileCutAnywhereInItsStreamsIsRefused)
{
    const std::vector<uint8_t> file = CorpusBytes("v10.sav");
    // Every container boundary, and a cut inside each stream.
    std::vector<size_t> cuts = {0, 3, 4, 7, 8};
    for (size_t pos = 8; pos + 4 <= file.size();) {
        const uint32_t size = file[pos] | file[pos + 1] << 8 | file[pos + 2] << 16 | uint32_t(file[pos + 3]) << 24;
        cuts.insert(cuts.end(), {pos + 2, pos + 4, pos + 4 + size / 2});
        pos += 4 + size;
    }
    const TSaveReadContext context = CorpusContext(CorpusExpected(10), 5);
    for (size_t cut : cuts) {
        const std::vector<uint8_t> part(file.begin(), file.begin() + std::ptrdiff_t(std::min(cut, file.size() - 1)));
        EXPECT_THROW(StageSaveFile(part, context), ESaveFormatError) << cut;
    }
}

namespace {

// What the engine would hand the writer right after this load.
TSaveGame GameFromStaged(const TStagedLoad& s)
{
    TSaveGame g;
    g.Screen = s.Screen.get();
    g.ScriptChecksum = s.ScriptChecksum;
    g.Scene = s.Scene;
    g.Music = s.Music;
    g.FlagValues = s.FlagValues;
    g.FlagNames = s.FlagNames;
    g.ItemCounts = s.ItemCounts;
    g.StringValues = s.StringValues;
    g.StringNames = s.StringNames;
    g.Keywords = s.Keywords;
    g.BgRunning = s.BgRunning;
    g.BgLabel = s.BgLabel;
    g.BgInterval = s.BgInterval;
    for (const auto& b : s.Buffers)
        g.Buffers.push_back({b.Number, b.Transparent, b.Picture.get()});
    g.Colors = s.Colors;
    g.Macros = s.Macros;
    return g;
}

} // namespace

TEST(SaveCorpus, WriterGivesTheVersion10StateByteForByte)
{
    const std::vector<uint8_t> file = CorpusBytes("v10.sav");
    const TStagedLoad s = StageSaveFile(file, CorpusContext(CorpusExpected(10), 5));
    EXPECT_EQ(BuildSaveState(GameFromStaged(s)), DecodeSaveLzss(SplitSaveStreams(file)[1], "state"));
}

TEST(SaveCorpus, SaveLoadSaveIsByteIdentical)
{
    const TPNGTime stamp{2024, 2, 29, 23, 59, 60};
    const QJsonObject e = CorpusExpected(10);
    const TSaveReadContext context = CorpusContext(e, 5);
    const TStagedLoad first = StageSaveFile(CorpusBytes("v10.sav"), context);
    const std::vector<uint8_t> saved = BuildSaveFile(GameFromStaged(first), stamp);
    const TStagedLoad again = StageSaveFile(saved, context);
    ExpectStaged(again, e);
    EXPECT_EQ(BuildSaveFile(GameFromStaged(again), stamp), saved);
}
