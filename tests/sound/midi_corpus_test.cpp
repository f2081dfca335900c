// The public conformance files: every one loads or is refused with a clear
// error, plays to its end, and sends what its bytes say. Expectations come
// from the bytes: some file names do not match what the file holds.
#include <algorithm>
#include <filesystem>

#include "base/streams.h"
#include "midi_fixture.h"
#include "sound/midi_error.h"

namespace {

namespace fs = std::filesystem;

const std::string CorpusDir = TG_TESTDATA_DIR "/midi/test-cases/";

std::vector<std::string> CorpusFiles(const std::string& sub = "")
{
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(CorpusDir + sub))
        if (e.path().extension() == ".mid")
            names.push_back(fs::relative(e.path(), CorpusDir).string());
    std::sort(names.begin(), names.end());
    return names;
}

class MidiCorpus : public MidiPlayerTest {
protected:
    // Loads a corpus file; the refusal's text, or empty when it loaded.
    std::string LoadFile(const std::string& name)
    {
        FBytes = ReadFileBytes(CorpusDir + name);
        try {
            Load(FBytes);
        } catch (const EMidiError& e) {
            return e.what();
        }
        return {};
    }
    // The two bytes after the first `status` byte of the track data.
    std::pair<uint8_t, uint8_t> BytesAfter(uint8_t status) const
    {
        auto it = std::find(FBytes.begin() + 22, FBytes.end(), status);
        EXPECT_LT(it + 2, FBytes.end());
        return {it[1], it[2]};
    }

    smf::Bytes FBytes;
};

TEST_F(MidiCorpus, EveryFileLoadsOrIsRefusedAndPlaysToItsEnd)
{
    const std::vector<std::string> files = CorpusFiles();
    ASSERT_EQ(files.size(), 296u);
    int refused = 0;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const std::string error = LoadFile(name);
        if (!error.empty()) {
            EXPECT_EQ(error, "MIDI file has no events");
            ++refused;
            continue;
        }
        ASSERT_TRUE(Player.OpenDevices());
        Player.SetPosition(0);
        ASSERT_TRUE(Player.Play());
        Run(Player.GetEndTime() + 1000, 50);
        EXPECT_FALSE(Player.Playing());
        EXPECT_EQ(Player.Position(), Player.GetEndTime());
        Player.Stop();
        Player.CloseDevices();
    }
    // The three header-only files, the one with no tracks, and F1h with a
    // length beyond its track.
    EXPECT_EQ(refused, 5);
}

TEST_F(MidiCorpus, HandCheckedFiles)
{
    struct Case {
        const char* Name;
        int Tracks; // -1: refused with no events
        int Events; // without beat marks; -1: not checked
        int64_t EndMs;
    } cases[] = {
        {"header/header-type-00-single.mid", -1, 0, 0},
        {"header/header-type-01-multi-track.mid", -1, 0, 0},
        {"header/header-type-02-multi-song.mid", -1, 0, 0},
        {"tracks/empty-00000-tracks.mid", -1, 0, 0},
        {"track-events/system-common/0xF1-TimeCode.mid", -1, 0, 0},
        // One event at 0 ms: what follows is a data byte with no channel
        // status to run on, which ends the track.
        {"track-events/system-common/0xF2-SongPosition.mid", 1, 1, 0},
        {"track-events/system-common/0xF3-SongSelect.mid", 1, 1, 0},
        {"track-events/system-common/0xF6-TuneRequest.mid", 1, 1, 0},
        {"track-events/system-common/0xF8-TimingClock.mid", 1, 1, 0},
        {"track-events/system-common/0xFA-Start.mid", 1, 1, 0},
        {"track-events/system-common/0xFB-Continue.mid", 1, 1, 0},
        {"track-events/system-common/0xFC-Stop.mid", 1, 1, 0},
        {"track-events/system-common/0xFE-ActiveSensing.mid", 1, 1, 0},
        {"track-events/system-common/0xF0-SystemExclusive.mid", 1, 2, 0},
        {"track-events/system-common/meta/0xFF51-Tempo.mid", 1, 2, 0},
        {"tracks/empty-00001-track.mid", 1, 1, 64000},
        {"tracks/empty-00016-tracks.mid", 16, 16, 64000},
        {"tracks/empty-01024-tracks.mid", 1024, 1024, 64000},
        {"tracks/empty-09999-tracks.mid", 9999, 9999, 63999}, // its longest track is 61439 ticks
        {"tracks/empty-65535-tracks.mid", 65535, 65535, 64000},
        {"track-events/system-common/meta/text/16-track-names.mid", 16, 32, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string error = LoadFile(c.Name);
        if (c.Tracks < 0) {
            EXPECT_EQ(error, "MIDI file has no events");
            continue;
        }
        ASSERT_EQ(error, "");
        EXPECT_EQ(int(Player.Tracks().size()), c.Tracks);
        EXPECT_EQ(Player.Events().Count() - int(Player.Beats().size()), c.Events);
        if (c.EndMs >= 0) {
            EXPECT_EQ(Player.GetEndTime(), c.EndMs);
        }
    }
    ASSERT_EQ(LoadFile("track-events/system-common/meta/text/16-track-names.mid"), "");
    EXPECT_EQ(Player.Tracks()[15]->Name->Text, "Track 16");
}

TEST_F(MidiCorpus, LyricAndTextFilesGiveTheirTimes)
{
    for (const char* name : {"track-events/system-common/meta/text/twelve-whole-note-lyrics.mid",
             "track-events/system-common/meta/text/twelve-whole-note-text.mid"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(LoadFile(name), "");
        const uint8_t kind = std::string(name).find("lyrics") != std::string::npos ? mkLyric : 13;
        std::vector<int64_t> times;
        std::vector<std::string> texts;
        for (int i = 0; i < Player.Events().Count(); ++i)
            if (Player.Events()[i]->Kind == kind) {
                times.push_back(Player.Events()[i]->Time);
                texts.push_back(static_cast<TMidiEventItemLong*>(Player.Events()[i])->TextFrom(1));
            }
        ASSERT_EQ(times.size(), 12u);
        for (size_t i = 0; i < 12; ++i)
            EXPECT_EQ(times[i], 2000 * int64_t(i)); // whole notes at 120 beats a minute
        EXPECT_EQ(texts[0], "One");
        EXPECT_EQ(texts[2], "Three");
    }
    std::vector<std::string> sung;
    Player.OnLyric = [&](TObject*, const std::string& text) { sung.push_back(text); };
    ASSERT_EQ(LoadFile("track-events/system-common/meta/text/twelve-whole-note-lyrics.mid"), "");
    ASSERT_TRUE(Player.OpenDevices());
    Player.SetPosition(0);
    Player.Play();
    Run(4100);
    EXPECT_EQ(sung, (std::vector<std::string>{"One", "Two", "Three"}));
}

TEST_F(MidiCorpus, ProgramAndControllerFilesSendTheFilesBytes)
{
    int checked = 0;
    for (const std::string sub : {"track-events/program-change", "track-events/control-change"}) {
        const bool program = sub.find("program") != std::string::npos;
        for (const std::string& name : CorpusFiles(sub)) {
            SCOPED_TRACE(name);
            ASSERT_EQ(LoadFile(name), "");
            const auto [data1, data2] = BytesAfter(program ? 0xC0 : 0xB0);
            ASSERT_TRUE(Player.OpenDevices());
            Player.SetPosition(0);
            Player.Play();
            Out.Clear();
            Run(Player.GetEndTime() + 100, 20);
            const std::vector<TMidiOutRecord> sent = Shorts();
            ASSERT_FALSE(sent.empty());
            if (program) {
                EXPECT_EQ(sent[0].Bytes, (smf::Bytes{0xC0, data1}));
            } else {
                EXPECT_EQ(sent[0].Bytes, (smf::Bytes{0xB0, data1, data2}));
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 128 + 81);
}

} // namespace
