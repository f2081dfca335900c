// Playback with the tick driven by hand through the recording driver: when
// each message goes out, waits, loops, the end of the song and volume.
#include <chrono>
#include <future>
#include <thread>

#include "midi_fixture.h"

using namespace smf;

namespace {

using MidiPlay = MidiPlayerTest;

bool IsAllNotesOff(const TMidiOutRecord& r)
{
    return r.Bytes.size() == 3 && (r.Bytes[0] & 0xF0) == 0xB0 && r.Bytes[1] == 123 && r.Bytes[2] == 0;
}

TEST_F(MidiPlay, EachMessageGoesOutInTheTickAfterItsTime)
{
    Track conductor;
    conductor.Tempo(0, 410000).Tempo(1000, 730000).End();
    Track notes;
    for (int i = 0; i < 60; ++i)
        notes.Ev(i % 3 == 0 ? 0 : 37 * (i % 5) + 1, {uint8_t(0x90 | (i % 16)), uint8_t(30 + i), 80});
    notes.End();
    for (int step : {1, 5, 7}) {
        SCOPED_TRACE(step);
        Start(File({conductor, notes}, 96));
        Run(Player.GetEndTime() + 100, step);
        EXPECT_FALSE(Player.Playing());
        std::vector<const TMidiEventItemStanderd*> channelEvents;
        for (int i = 0; i < Player.Events().Count(); ++i)
            if (Player.Events()[i]->Kind == mkNoteOn)
                channelEvents.push_back(Player.Events()[i]);
        const std::vector<TMidiOutRecord> sent = Shorts();
        ASSERT_EQ(sent.size(), channelEvents.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            const auto* e = static_cast<const TMidiEventItemShort*>(channelEvents[i]);
            EXPECT_EQ(sent[i].Bytes, (Bytes{e->Status, e->Data1, e->Data2}));
            EXPECT_GT(sent[i].Position, e->Time) << i;
            EXPECT_LE(sent[i].Position, e->Time + step) << i;
        }
    }
}

TEST_F(MidiPlay, ABurstOfEventsGoesOutAFewPerTickInOrderAndNoneIsLost)
{
    // Two thousand note-ons at the same instant, in running status.
    constexpr int Notes = 2000;
    Track burst;
    burst.Ev(0, {0x90, 0, 100});
    for (int i = 1; i < Notes; ++i)
        burst.Raw({0, uint8_t(i % 128), 100});
    Start(File({burst.End()}));
    size_t sent = 0;
    for (int tick = 0; tick < 2 * Notes / TMidiPlayV::MaxEventsPerTick && Player.Playing(); ++tick) {
        Player.Tick(5);
        const size_t now = Shorts().size();
        ASSERT_LE(now - sent, size_t(TMidiPlayV::MaxEventsPerTick));
        sent = now;
    }
    EXPECT_FALSE(Player.Playing());
    const std::vector<TMidiOutRecord> notes = Shorts();
    ASSERT_EQ(notes.size(), size_t(Notes));
    for (size_t i = 0; i < notes.size(); ++i)
        ASSERT_EQ(notes[i].Bytes, (Bytes{0x90, uint8_t(i % 128), 100})) << i;
}

// A synth still loading its sound font holds the song at its start: it plays
// whole, in time, once the output can sound.
TEST_F(MidiPlay, ASongWaitsForAnOutputStillLoading)
{
    Track notes;
    notes.Ev(0, {0x90, 60, 100}).Ev(96, {0x80, 60, 0}).End();
    Out.Loading = true;
    Start(File({notes}, 96));
    Run(2000);
    EXPECT_TRUE(Player.Playing());
    EXPECT_EQ(Player.Position(), 0);
    EXPECT_TRUE(Shorts().empty());
    Out.Loading = false;
    Run(Player.GetEndTime() + 100);
    EXPECT_FALSE(Player.Playing());
    const std::vector<TMidiOutRecord> sent = Shorts();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_LE(sent[0].Position, 5);
    EXPECT_GT(sent[1].Position, Player.Events()[1]->Time);
}

TEST_F(MidiPlay, WaitsHoldBackLaterEvents)
{
    struct Case {
        const char* Name;
        Track Song;
        int Wait;
    } cases[] = {
        {"program change", Track().Ev(0, {0xC0, 5}).Ev(0, {0x90, 60, 1}).End(10), 10},
        {"GS reset",
            Track().SysEx(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}).Ev(0, {0x90, 60, 1}).End(10),
            100},
        {"XG system on",
            Track().SysEx(0, {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}).Ev(0, {0x90, 60, 1}).End(10), 100},
        {"display text", Track().SysEx(0, {0x41, 0x10, 0x45, 0x12, 0x10, 0x00, 0x00, 'A'}).Ev(0, {0x90, 60, 1}).End(10),
            1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Start(File({c.Song}));
        Run(300, 1);
        const std::vector<TMidiOutRecord> records = Out.Records();
        ASSERT_GE(records.size(), 2u);
        const TMidiOutRecord& first = records[0];
        const TMidiOutRecord& note = records[1];
        EXPECT_EQ(note.Bytes, (Bytes{0x90, 60, 1}));
        EXPECT_GE(note.Position - first.Position, c.Wait);
        EXPECT_LE(note.Position - first.Position, c.Wait + 1);
    }
    // The long message's buffer comes back through the callback window.
    EXPECT_EQ(Player.PendingBuffers(), 1);
    EXPECT_EQ(Player.ProcessMessages(), 1);
    EXPECT_EQ(Player.PendingBuffers(), 0);
}

TEST_F(MidiPlay, ALoopRepeatsWithAllNotesOffOnSixteenChannels)
{
    Start(File({Track().Ev(0, {0x90, 60, 100}).Ev(480, {0x80, 60, 0})}), true);
    Run(1600);
    EXPECT_TRUE(Player.Playing());
    const std::vector<TMidiOutRecord> sent = Shorts();
    // Three passes: note on, and at each jump 16 all-notes-off before it again.
    std::vector<int> noteOnAt;
    for (size_t i = 0; i < sent.size(); ++i)
        if (sent[i].Bytes[0] == 0x90)
            noteOnAt.push_back(int(i));
    ASSERT_EQ(noteOnAt.size(), 4u);
    for (size_t k = 1; k < noteOnAt.size(); ++k) {
        ASSERT_GE(noteOnAt[k], 16);
        for (int ch = 0; ch < 16; ++ch) {
            const TMidiOutRecord& r = sent[size_t(noteOnAt[k] - 16 + ch)];
            EXPECT_TRUE(IsAllNotesOff(r));
            EXPECT_EQ(r.Bytes[0], 0xB0 + ch);
        }
    }
    // The note-off at the end time is where the loop jumps: never sent.
    for (const TMidiOutRecord& r : sent)
        EXPECT_NE(r.Bytes[0], 0x80);
}

TEST_F(MidiPlay, TheSongEndsAfterItsLastEventWithoutALoop)
{
    int stops = 0;
    Player.OnStop = [&](TObject*) { ++stops; };
    Start(File({Track().Ev(0, {0x90, 60, 100}).Ev(480, {0x80, 60, 0})}));
    Run(2000);
    EXPECT_FALSE(Player.Playing());
    EXPECT_EQ(Player.Position(), 500);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(Shorts().size(), 2u);
    EXPECT_TRUE(Out.Records(TMidiOutRecord::rkReset).empty());
}

TEST_F(MidiPlay, VolumeScalesTheSongsOwnLevelsAndStaysADataByte)
{
    Start(File({Track().Ev(0, {0xB0, 7, 100}).Ev(0, {0xB1, 7, 20}).Ev(4800, {0x90, 60, 1}).End()}));
    Run(20);
    struct Case {
        int Volume;
        int Stored;
        uint8_t Channel0, Channel1, Others;
    } cases[] = {
        {300, 255, 127, 47, 127}, // 100 × 300 / 127 = 236, clamped
        {64, 64, 50, 10, 64},
        {0, 0, 0, 0, 0},
        {-5, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Volume);
        Out.Clear();
        Player.SetVolume(c.Volume);
        EXPECT_EQ(Player.Volume(), c.Stored);
        const std::vector<TMidiOutRecord> sent = Shorts();
        ASSERT_EQ(sent.size(), 16u);
        for (int ch = 0; ch < 16; ++ch) {
            EXPECT_EQ(sent[size_t(ch)].Bytes[0], 0xB0 + ch);
            EXPECT_EQ(sent[size_t(ch)].Bytes[1], 7);
            EXPECT_EQ(sent[size_t(ch)].Bytes[2], ch == 0 ? c.Channel0 : ch == 1 ? c.Channel1 : c.Others);
        }
    }
}

TEST_F(MidiPlay, PortsBeyondThePlayDevicesSendNothing)
{
    Start(File({Track().Meta(0, 0x21, {2}).Ev(0, {0x90, 61, 1}).End(10), Track().Ev(0, {0x90, 62, 1}).End(10)}));
    Run(100);
    const std::vector<TMidiOutRecord> sent = Shorts();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Bytes[1], 62);
}

TEST_F(MidiPlay, StopResetsAndCloseClosesEveryOutput)
{
    Player.PlayDevices.Add(5, 1);
    Out.FailingDevices = {5};
    Load(File({Track().Ev(0, {0x90, 60, 1}).End(480)}));
    EXPECT_FALSE(Player.OpenDevices()); // the second device fails; the first still plays
    Player.SetPosition(0);
    Player.Play();
    Run(50);
    EXPECT_TRUE(Player.Stop());
    EXPECT_FALSE(Player.Playing());
    EXPECT_TRUE(Player.CloseDevices());
    using K = TMidiOutRecord;
    std::vector<K::TKind> kinds;
    for (const TMidiOutRecord& r : Out.Records())
        kinds.push_back(r.Kind);
    EXPECT_EQ(kinds, (std::vector<K::TKind>{K::rkOpen, K::rkReset, K::rkShort, K::rkReset, K::rkReset, K::rkClose}));
}

TEST_F(MidiPlay, VolumeChangesWhileTheTimerPlaysNeverDeadlock)
{
    Player.Timer().SetInterval(TMidiPlayV::TickInterval);
    Track busy;
    for (int i = 0; i < 2000; ++i)
        busy.Ev(1, {0x90, uint8_t(i % 128), 1});
    Start(File({busy.End()}, 96), true);
    auto fades = std::async(std::launch::async, [this] {
        // Far enough apart that the timer ticks between them.
        for (int v = 0; v < 100; ++v) {
            Player.SetVolume(v);
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
        }
    });
    ASSERT_EQ(fades.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(Player.Stop());
    EXPECT_GT(Shorts().size(), 100u * 16);
}

} // namespace
