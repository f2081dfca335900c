// The FluidSynth output rendered offline: a song is heard, and opening an
// output brings back the levels a fade turned down. Played through the
// audio output, a song is timed by the output's clock.
#include <chrono>
#include <cmath>
#include <thread>

#include "midi_fixture.h"
#include "platform/audio/midi_out_fluid.h"

namespace {

// Peak level of `seconds` of the synth's output.
float RenderPeak(double seconds)
{
    std::vector<float> buffer(size_t(seconds * 44100) * 2, 0.0f);
    TFluidSynthDriver::Render(buffer.data(), int(buffer.size() / 2));
    float peak = 0;
    for (float v : buffer)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

constexpr float Silence = 0.001f;

// Starts `file` on one output of `player`, as the engine starts a background
// music.
void StartSong(TMidiPlayV& player, const smf::Bytes& file)
{
    player.PlayDevices.Add(MIDI_MAPPER, 1);
    TMemoryStream stream(file.data(), file.size());
    ASSERT_TRUE(player.LoadFromStream(stream));
    ASSERT_TRUE(player.OpenDevices());
    player.SetPosition(0);
    ASSERT_TRUE(player.Play());
}

class MidiFluid : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TFluidSynthDriver::SoundFont().empty())
            GTEST_SKIP() << "no General MIDI sound font installed";
        RenderPeak(2.0); // let notes of an earlier test die away
    }
    TFluidSynthDriver Driver{false};
};

TEST_F(MidiFluid, AProgramChangeFilePlaysAboveSilence)
{
    TMidiPlayV player(Driver);
    player.Timer().SetInterval(0);
    ASSERT_NO_FATAL_FAILURE(
        StartSong(player, ReadFileBytes(TG_TESTDATA_DIR "/midi/test-cases/track-events/program-change/"
                                                        "001-acoustic-grand-piano-single-quarter-note-test.mid")));
    for (int t = 0; t < 100; t += 5)
        player.Tick(5);
    EXPECT_GT(RenderPeak(0.3), 10 * Silence);
    player.Stop();
    player.CloseDevices();
}

TEST_F(MidiFluid, OpeningOrASongsResetBringsBackTheLevelsAFadeLeftBehind)
{
    enum TAfterFade { Nothing, Reopen, GSReset, XGReset };
    const std::vector<uint8_t> resets[] = {{}, {}, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}};
    for (TAfterFade after : {Nothing, Reopen, GSReset, XGReset}) {
        SCOPED_TRACE(after);
        std::unique_ptr<TMidiOut> out = Driver.CreateOut();
        ASSERT_TRUE(out->Open(MIDI_MAPPER, nullptr));
        for (uint32_t ch = 0; ch < 16; ++ch)
            out->ShortMsg(0u << 16 | 7u << 8 | 0xB0u | ch); // the end of a fade
        if (after == Reopen) {
            out->Close();
            out = Driver.CreateOut();
            ASSERT_TRUE(out->Open(MIDI_MAPPER, nullptr));
        }
        TMidiHdr reset{resets[after]};
        if (!reset.Data.empty())
            out->LongMsg(&reset);
        out->ShortMsg(100u << 16 | 60u << 8 | 0x90u); // a song that sends no volume
        const float peak = RenderPeak(0.3);
        if (after == Nothing) {
            EXPECT_LT(peak, Silence);
        } else {
            EXPECT_GT(peak, 10 * Silence);
        }
        out->Close();
    }
}

TEST_F(MidiFluid, ABurstOfNotesWaitsForTheSynthAndNeverOverrunsIt)
{
    constexpr int Notes = 5000;
    smf::Track burst;
    burst.Ev(0, {0x90, 0, 100});
    for (int i = 1; i < Notes; ++i)
        burst.Raw({0, uint8_t(i % 128), 100});
    const smf::Bytes file = smf::File({burst.End()});
    TMidiPlayV player(Driver);
    player.Timer().SetInterval(0);
    ASSERT_NO_FATAL_FAILURE(StartSong(player, file));
    testing::internal::CaptureStderr();
    // While the synth renders nothing, the sequencer soon holds back.
    for (int t = 0; t < 100; ++t)
        player.Tick(5);
    const int heldAt = player.CurrentIndex();
    EXPECT_LT(heldAt, 1000);
    // Rendering lets the rest through.
    std::vector<float> buffer(220 * 2);
    for (int t = 0; t < 10 * Notes && player.Playing(); ++t) {
        TFluidSynthDriver::Render(buffer.data(), 220);
        player.Tick(5);
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(log, "");
    player.CloseDevices();
}

TEST_F(MidiFluid, ThroughTheAudioOutputASongRunsOnItsClockToTheEnd)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    smf::Track note;
    note.Ev(0, {0x90, 60, 100}).Ev(240, {0x80, 60, 0});
    const smf::Bytes file = smf::File({note.End()});
    TFluidSynthDriver live;
    TMidiPlayV player(live);
    ASSERT_NO_FATAL_FAILURE(StartSong(player, file));
    EXPECT_TRUE(player.Timer().RunsOnAudio());
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (player.Playing() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.Position(), player.GetEndTime());
    EXPECT_FALSE(player.Timer().RunsOnAudio());
    player.CloseDevices();
}

} // namespace
