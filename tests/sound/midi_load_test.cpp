// Loading standard MIDI files: times from the tempo map, beat marks, the
// order of events, the kinds and waits, and files that lie about their sizes.
#include <cmath>

#include "midi_fixture.h"
#include "sound/midi_error.h"

using namespace smf;

namespace {

using MidiLoad = MidiPlayerTest;

// The time of a lone note at `tick`.
int64_t NoteTime(TMidiPlayV& player, int64_t tick)
{
    for (int i = 0; i < player.Events().Count(); ++i)
        if (player.Events()[i]->Kind == mkNoteOn && player.Events()[i]->Tick == tick)
            return player.Events()[i]->Time;
    ADD_FAILURE() << "no note at tick " << tick;
    return -1;
}

TEST_F(MidiLoad, TimesUseASinglePrecisionFactorRoundedHalfToEven)
{
    struct Case {
        uint16_t Division;
        uint32_t Tick;
        int64_t Ms;
    } cases[] = {
        {480, 36, 37}, // exactly 37.5, but the factor is held as 1.0416666269
        {96, 12, 63},  // exactly 62.5, the factor 5.2083334923
        {1000, 1, 0},  // 0.5 → 0
        {1000, 3, 2},  // 1.5 → 2
        {1000, 5, 2},  // 2.5 → 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Division << "/" << c.Tick);
        Load(File({Track().Ev(c.Tick, {0x90, 60, 100}).End()}, c.Division));
        EXPECT_EQ(NoteTime(Player, c.Tick), c.Ms);
    }
}

TEST_F(MidiLoad, TempoMapMatchesTheExactFormula)
{
    // Tempo changes in two tracks, notes between them; each note's time is
    // the sum over the tempo segments before it of ticks × tempo / division.
    const uint32_t tempos[] = {600000, 250000, 1000000, 433333};
    Track conductor;
    conductor.Tempo(0, tempos[0]).Tempo(700, tempos[1]).Tempo(1300, tempos[2]).Tempo(333, tempos[3]).End(5000);
    Track notes;
    for (int i = 0; i < 40; ++i)
        notes.Ev(97, {0x90, uint8_t(40 + i), 90});
    notes.End();
    for (uint16_t division : {96, 480, 1000}) {
        SCOPED_TRACE(division);
        Load(File({conductor, notes}, division));
        const int64_t changes[] = {0, 700, 2000, 2333};
        for (int i = 1; i <= 40; ++i) {
            const int64_t tick = 97 * i;
            double ms = 0;
            for (int k = 0; k < 4; ++k) {
                const int64_t from = changes[k];
                const int64_t to = k < 3 ? std::min(changes[k + 1], tick) : tick;
                if (to > from)
                    ms += double(to - from) * tempos[k] / (division * 1000.0);
            }
            EXPECT_NEAR(double(NoteTime(Player, tick)), ms, 2.0) << "tick " << tick;
        }
    }
}

TEST_F(MidiLoad, WithoutTempoHalfASecondPerQuarterAndFourFourBeats)
{
    Load(File({Track().Ev(480 * 9, {0x90, 60, 100}).End()}, 480, 0));
    EXPECT_EQ(Player.GetEndTime(), 4500);
    EXPECT_EQ(Player.Tempo(), 500000u);
    ASSERT_EQ(Player.Beats().size(), 9u);
    for (int i = 0; i < 9; ++i) {
        auto* mark = static_cast<TMidiEventItemVibrant*>(Player.Beats()[size_t(i)]);
        EXPECT_EQ(mark->Tick, 480 * i);
        EXPECT_EQ(mark->Bar, i / 4);
        EXPECT_EQ(mark->Beat, i % 4);
    }
    ASSERT_EQ(Player.Rhythms().size(), 1u);
    EXPECT_EQ(static_cast<TMidiEventItemRhythm*>(Player.Rhythms()[0])->Third, 480);

    // A 3/4 signature gives bars of three; the default is gone.
    Load(File({Track().Meta(0, 0x58, {3, 2, 24, 8}).Ev(480 * 6, {0x90, 60, 100}).End()}));
    ASSERT_EQ(Player.Beats().size(), 6u);
    EXPECT_EQ(static_cast<TMidiEventItemVibrant*>(Player.Beats()[4])->Bar, 1);
    EXPECT_EQ(static_cast<TMidiEventItemVibrant*>(Player.Beats()[4])->Beat, 1);
}

TEST_F(MidiLoad, EventsAtOneTickKeepTrackThenFileOrder)
{
    Load(File({Track().Ev(10, {0x90, 1, 1}).Ev(0, {0x90, 2, 1}).End(),
        Track().Ev(10, {0x90, 3, 1}).Ev(0, {0x90, 4, 1}).End()}));
    std::vector<int> notes;
    for (int i = 0; i < Player.Events().Count(); ++i) {
        EXPECT_EQ(Player.Events()[i]->Index, i);
        if (Player.Events()[i]->Kind == mkNoteOn)
            notes.push_back(static_cast<TMidiEventItemShort*>(Player.Events()[i])->Data1);
    }
    EXPECT_EQ(notes, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(MidiLoad, KindsAndWaitsFollowTheStatusAndTheWaitTable)
{
    Bytes sysex200(199, 0x11);
    sysex200.push_back(0xF7);
    Load(File(
        {Track().Ev(0, {0x90, 60, 0}) // note-off by velocity 0
                .Ev(0, {0xC0, 5})     // program change
                .SysEx(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})
                .SysEx(0, {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7})
                .SysEx(0, {0x41, 0x10, 0x45, 0x12, 0x10, 0x00, 0x00, 'H', 'i'})
                .SysEx(0, sysex200)
                .Meta(0, 0x05, {'l', 'a'})
                .End()}));
    struct Expect {
        uint8_t Kind;
        int Wait;
    } expected[] = {{mkNoteOff, 0}, {mkProgramChange, 10}, {mkGSReset, 100}, {mkGMReset, 100}, {mkLcdStr, 1},
        {mkSysEx, 0}, {mkLyric, 0}, {mkEndOfTrack, 0}};
    ASSERT_GE(Player.Events().Count(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Player.Events()[i]->Kind, expected[i].Kind);
        EXPECT_EQ(Player.Events()[i]->Wait, expected[i].Wait);
    }
    EXPECT_EQ(static_cast<TMidiEventItemShort*>(Player.Events()[0])->Msg, 0x003C90u);
    EXPECT_EQ(static_cast<TMidiEventItemLcdStr*>(Player.Events()[4])->Text, "Hi");
    EXPECT_EQ(static_cast<TMidiEventItemLong*>(Player.Events()[5])->Bytes.size(), 201u);
    EXPECT_EQ(static_cast<TMidiEventItemLyric*>(Player.Events()[6])->Text, "la");
}

TEST_F(MidiLoad, LookupsByTimeAndTick)
{
    Load(File({Track().Meta(0, 0x05, {'a'}).Ev(480, {0x90, 60, 100}).Meta(480, 0x05, {'b'}).End(480)}));
    // Events at 0 ms: lyric a, beat 0; at 500: note, beat 1; 1000: lyric b, beat 2; 1500: end.
    EXPECT_EQ(Player.GetEndTime(), 1500);
    EXPECT_EQ(Player.Events()[Player.IndexAtTime(1)]->Time, 500);
    EXPECT_EQ(Player.Events()[Player.IndexAtTime(500)]->Time, 500);
    EXPECT_EQ(Player.IndexAtTime(1501), -1);
    EXPECT_EQ(TMidiPlayV::LyricAtTick(Player.Lyrics(), 0), nullptr);
    EXPECT_EQ(TMidiPlayV::LyricAtTick(Player.Lyrics(), 1), Player.Lyrics()[0]);
    EXPECT_EQ(TMidiPlayV::LyricAtTick(Player.Lyrics(), 961), Player.Lyrics()[1]);
    EXPECT_EQ(TMidiPlayV::ItemAtTick(Player.Beats(), 0), Player.Beats()[0]);
    EXPECT_EQ(TMidiPlayV::ItemAtTick(Player.Beats(), 481), Player.Beats()[1]);
    EXPECT_EQ(TMidiPlayV::ItemAtTick(Player.Tempos(), 100), nullptr);
    Player.SetPosition(99999);
    EXPECT_EQ(Player.Position(), 1500);
    Player.SetPosition(1000);
    EXPECT_EQ(Player.Lyric(), "a"); // the lyric before tick 960
}

TEST_F(MidiLoad, DamagedAndLyingFilesLoadWhatTheyHold)
{
    const Bytes note = Track().Ev(0, {0x90, 60, 100}).End().Data();
    const Bytes note61 = Track().Ev(0, {0x90, 61, 100}).End().Data();
    auto Trk = [](const Bytes& data) { return Chunk("MTrk", data, uint32_t(data.size())); };
    struct Case {
        const char* Name;
        Bytes File;
        int Tracks;
        std::vector<int> Notes; // note numbers loaded, in order
    } cases[] = {
        {"header of 10 bytes", Concat({Header(1, 1, 480, 10), Trk(note)}), 1, {60}},
        {"unknown chunk skipped by its length, counted as a track",
            Concat({Header(1, 2, 480), Chunk("XFIH", Bytes(20, 0x90), 20), Trk(note), Trk(note61)}), 1, {60}},
        {"end of track early: the next track starts at the chunk's end",
            Concat({Header(1, 2, 480), Trk(Concat({note, Bytes{0x00, 0x90, 70, 1}})), Trk(note61)}), 2, {60, 61}},
        {"track length beyond the file",
            Concat({Header(1, 1, 480), Chunk("MTrk", Bytes{0x00, 0x90, 60, 1, 0x00}, 1000)}), 1, {60}},
        {"track length short: reads stop at the chunk",
            Concat({Header(1, 1, 480), Chunk("MTrk", Bytes{0x00, 0x90, 60, 1, 0x00, 0x90, 99, 1}, 4)}), 1, {60}},
        {"running status goes on after a meta event",
            File({Track().Ev(0, {0x90, 60, 100}).Meta(0, 0x01, {'x'}).Ev(10, {64, 100}).Ev(10, {64, 0}).End()}), 1,
            {60, 64}},
        {"a data byte with no channel status ends the track",
            File({Track().Ev(0, {0xF8, 0x00}).Raw({0xFF, 0x2F, 0x00}).Ev(0, {0x90, 60, 1})}), 1, {}},
        {"variable-length number of five bytes ends the track",
            File({Track().Ev(0, {0x90, 60, 1}).Raw({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 61, 1})}), 1, {60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            Load(c.File);
        } catch (const EMidiError& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(int(Player.Tracks().size()), c.Tracks);
        std::vector<int> notes;
        for (int i = 0; i < Player.Events().Count(); ++i)
            if (Player.Events()[i]->Kind == mkNoteOn)
                notes.push_back(static_cast<TMidiEventItemShort*>(Player.Events()[i])->Data1);
        EXPECT_EQ(notes, c.Notes);
    }
}

TEST_F(MidiLoad, ShortMetaEventsAreNotReadPastTheirData)
{
    // Tempo, time signature and port events too short for their values.
    Load(File({Track().Meta(0, 0x51, {0x07}).Meta(0, 0x58, {3}).Meta(0, 0x21, {}).Ev(480, {0x90, 60, 1}).End()}));
    EXPECT_TRUE(Player.Tempos().empty());
    EXPECT_EQ(Player.Tempo(), 500000u);
    EXPECT_EQ(Player.GetEndTime(), 500);
    EXPECT_EQ(Player.Tracks()[0]->Port, 0);
}

TEST_F(MidiLoad, RefusedFilesRaiseClearErrors)
{
    struct Case {
        const char* Name;
        Bytes File;
        const char* Text;
    } cases[] = {
        {"header only", Header(0, 0, 480), "MIDI file has no events"},
        {"empty track", Concat({Header(0, 1, 480), Chunk("MTrk", {}, 0)}), "MIDI file has no events"},
        {"not a MIDI file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0},
            "MIDI data is not a standard MIDI file (no MThd header)"},
        {"nothing", Bytes{}, "MIDI data is not a standard MIDI file (no MThd header)"},
        {"division 0", File({Track().Ev(0, {0x90, 60, 1})}, 0), "MIDI file has a time division of 0"},
        {"SMPTE division", File({Track().Ev(0, {0x90, 60, 1})}, 0xE728),
            "MIDI file counts time in SMPTE frames, which is not supported"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream stream(c.File.data(), c.File.size());
        try {
            Player.LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const EMidiError& e) {
            EXPECT_STREQ(e.what(), c.Text);
        }
        EXPECT_EQ(Player.Events().Count(), 0);
        EXPECT_EQ(Player.IndexAtTime(0), -1);
    }
}

TEST_F(MidiLoad, HugeTicksAndPortsStayCheap)
{
    // One event at tick 2^28 - 1, division 1: the beat marks are capped.
    Load(File({Track().Ev(0x0FFFFFFF, {0x90, 60, 1}).Ev(0x0FFFFFFF, {0x80, 60, 1})}, 1));
    EXPECT_EQ(Player.EndTick(), 2 * int64_t(0x0FFFFFFF));
    EXPECT_EQ(Player.GetEndTime(), 500 * 2 * int64_t(0x0FFFFFFF));
    EXPECT_LE(Player.Beats().size(), 100000u);

    // Port 255 makes its record but no controls until a control is stored.
    Load(File({Track().Meta(0, 0x21, {255}).Ev(0, {0x90, 60, 1}).End()}));
    ASSERT_EQ(Player.PortConfigs().Count(), 256);
    EXPECT_EQ(Player.Tracks()[0]->Port, 255);
    for (int p = 0; p < 256; ++p)
        EXPECT_FALSE(Player.PortConfigs()[p].Allocated());
}

} // namespace
