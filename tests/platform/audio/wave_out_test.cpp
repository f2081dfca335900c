// The wave-out devices: the SDL one's exact expansion into the shared
// output's format, what both do when starved, paused or reset, and the
// audio output's fallback when no sound device opens, its sleep while
// nothing plays, and the ticks it runs on the sound's own clock.

#include "platform/audio/audio_output.h"
#include "platform/audio/midi_out_fluid.h"
#include "platform/audio/ui_mailbox.h"
#include "platform/audio/wave_out_fake.h"
#include "platform/audio/wave_out_sdl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

struct TDoneCount {
    int Count = 0;
    std::function<void()> Handler()
    {
        return [this] { ++Count; };
    }
};

TEST(SdlWaveOut, BytesAreRepeatedExactlyAndOnlyPlayedBytesCount)
{
    struct Case {
        uint32_t Rate;
        int Repeat;
    };
    for (const Case& c : {Case{44100, 1}, Case{22050, 2}, Case{11025, 4}}) {
        TSdlWaveOut device(false);
        TDoneCount done;
        ASSERT_EQ(device.Open(WAVE_MAPPER, c.Rate, done.Handler()), MMSYSERR_NOERROR);
        uint8_t bytes[3] = {192, 64, 128};
        TWaveHeader header;
        header.Data = bytes;
        header.BufferLength = 3;
        ASSERT_EQ(device.Write(&header), MMSYSERR_NOERROR);
        EXPECT_FALSE(header.Done);

        const int frames = 3 * c.Repeat + 5;
        std::vector<float> out(static_cast<size_t>(frames) * 2, 0.25f);
        device.MixInto(out.data(), frames);
        const float levels[3] = {0.5f, -0.5f, 0.0f};
        for (int f = 0; f < frames; ++f) {
            const float expected = 0.25f + (f < 3 * c.Repeat ? levels[f / c.Repeat] : 0.0f);
            EXPECT_EQ(out[2 * static_cast<size_t>(f)], expected) << c.Rate << " frame " << f;
            EXPECT_EQ(out[2 * static_cast<size_t>(f) + 1], expected) << c.Rate << " frame " << f;
        }
        // Starved: silence, and the position stays at the bytes played.
        EXPECT_EQ(device.GetPosition(), 3u);
        EXPECT_TRUE(header.Done);
        EXPECT_EQ(UiMailbox::Drain(), 1);
        EXPECT_EQ(done.Count, 1);
        device.Close();
    }
}

TEST(SdlWaveOut, PauseHoldsAndResetHandsEveryBlockBack)
{
    TSdlWaveOut device(false);
    TDoneCount done;
    ASSERT_EQ(device.Open(WAVE_MAPPER, 44100, done.Handler()), MMSYSERR_NOERROR);
    std::vector<uint8_t> data(100, 200);
    TWaveHeader a;
    TWaveHeader b;
    a.Data = b.Data = data.data();
    a.BufferLength = b.BufferLength = 100;
    device.Write(&a);
    device.Write(&b);
    std::vector<float> out(2 * 10, 0.0f);
    device.Pause();
    device.MixInto(out.data(), 10);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(device.GetPosition(), 0u);
    device.Restart();
    device.MixInto(out.data(), 10);
    EXPECT_EQ(device.GetPosition(), 10u);
    device.Reset();
    EXPECT_TRUE(a.Done);
    EXPECT_TRUE(b.Done);
    EXPECT_EQ(device.GetPosition(), 0u);
    EXPECT_EQ(UiMailbox::Drain(), 2);
    device.Close();
}

TEST(FakeWaveOut, StarvesWithoutMovingAndCatchesWritesIntoOwnedBlocks)
{
    TFakeWaveOut device;
    TDoneCount done;
    ASSERT_EQ(device.Open(WAVE_MAPPER, 22050, done.Handler()), MMSYSERR_NOERROR);
    std::vector<uint8_t> data(50, 140);
    TWaveHeader h;
    h.Data = data.data();
    h.BufferLength = 50;
    device.Write(&h);
    EXPECT_EQ(device.Consume(80), 50u);
    EXPECT_EQ(device.GetPosition(), 50u);
    EXPECT_EQ(device.Consume(80), 0u);
    EXPECT_EQ(device.GetPosition(), 50u);
    EXPECT_EQ(UiMailbox::Drain(), 1);

    device.Write(&h);
    data[10] = 1; // the device owns the block now
    device.Consume(5);
    EXPECT_EQ(device.Tampered(), 1);
    device.Close();
    UiMailbox::Drain();
}

TEST(AudioOutput, NoSoundDeviceFallsBackToTheDummyDriverWithOneWarning)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            TAudioOutput& output = TAudioOutput::Instance();
            const bool ok = output.IsOpen() && output.DriverName() == "dummy" && output.PeriodFrames() > 0 &&
                            SystemWaveOut().GetNumDevs() >= 1;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "tideglass: no sound device \\(.*\\); playing silently\n");
}

// Waits up to a generous limit for a condition; the suite runs loaded.
template <class F>
bool WaitFor(F done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Counts the output's callbacks without ever asking it to stay awake.
class TCallbackCounter : public TAudioSource {
public:
    void MixInto(float*, int) override { ++Calls; }
    bool Active() override { return false; }
    std::atomic<int> Calls{0};
};

TEST(AudioOutput, SleepsWhileNothingPlaysAndWakesForAnEffectOrANote)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TAudioOutput& output = TAudioOutput::Instance();
    TCallbackCounter counter;
    output.AddSource(&counter);
    std::vector<uint8_t> loud(4410, 200);
    TWaveHeader header;
    header.Data = loud.data();
    header.BufferLength = static_cast<uint32_t>(loud.size());
    // Opened first: only what plays is to wake the output.
    TSdlWaveOut device;
    ASSERT_EQ(device.Open(WAVE_MAPPER, 44100, [] {}), MMSYSERR_NOERROR);
    TFluidSynthDriver synth;
    std::unique_ptr<TMidiOut> midi = synth.CreateOut();
    ASSERT_TRUE(midi->Open(MIDI_MAPPER, nullptr));
    struct Case {
        const char* Name;
        std::function<void()> Start;
        std::function<bool()> Over;
    };
    const Case cases[] = {
        {"effect", [&] { device.Write(&header); }, [&] { return header.Done.load(); }},
        {"note", [&] { midi->ShortMsg(0x7F3C90); }, [] { return true; }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WaitFor([&] { return output.Asleep(); })) << c.Name;
        const int before = counter.Calls;
        c.Start();
        EXPECT_TRUE(WaitFor([&] { return counter.Calls > before + 1 && c.Over(); })) << c.Name;
    }
    // Once every sound is over, it sleeps again.
    device.Close();
    midi->Close();
    EXPECT_TRUE(WaitFor([&] { return output.Asleep(); }));
    output.RemoveSource(&counter);
    UiMailbox::Drain();
}

// On the audio thread every 5 ms of sound: at its fourth tick it starts a
// note, at its eighth it takes itself off.
class TNoteTicker : public TAudioTicker {
public:
    explicit TNoteTicker(TMidiOut& midi) : Midi(midi) {}
    void AudioTick() override
    {
        Times.push_back(TAudioOutput::Instance().ClockMs());
        if (Times.size() == 4) {
            NoteFrame = TAudioOutput::TickFrame();
            Midi.ShortMsg(0x7F3C90);
        }
        if (Times.size() == 8)
            TAudioOutput::Instance().RemoveTicker(this);
        Count = int(Times.size());
    }
    TMidiOut& Midi;
    std::vector<uint32_t> Times;
    std::atomic<uint64_t> NoteFrame{0};
    std::atomic<int> Count{0};
};

// Notes the output's first frame of sound; registered after the synth.
class TFirstSound : public TAudioSource {
public:
    void MixInto(float* out, int frames) override
    {
        for (int i = 0; i < frames && Heard == 0; ++i)
            if (std::fabs(out[2 * i]) > 1.0e-4f)
                Heard = TAudioOutput::MixingFrame() + uint64_t(i);
    }
    bool Active() override { return false; }
    std::atomic<uint64_t> Heard{0};
};

TEST(AudioOutput, TicksKeepTheSoundsTimeAndWhatATickSendsSoundsFromItsFrame)
{
    if (TFluidSynthDriver::SoundFont().empty())
        GTEST_SKIP() << "no General MIDI sound font installed";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TAudioOutput& output = TAudioOutput::Instance();
    TFluidSynthDriver synth;
    std::unique_ptr<TMidiOut> midi = synth.CreateOut();
    ASSERT_TRUE(midi->Open(MIDI_MAPPER, nullptr));
    TFirstSound probe;
    output.AddSource(&probe);
    ASSERT_TRUE(WaitFor([&] { return output.Asleep(); }));
    probe.Heard = 0;
    TNoteTicker ticker(*midi);
    ASSERT_TRUE(output.AddTicker(&ticker, 5));
    ASSERT_TRUE(WaitFor([&] { return ticker.Count == 8 && probe.Heard != 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ticker.Count, 8) << "a ticker that took itself off is not called again";
    for (size_t i = 1; i < ticker.Times.size(); ++i)
        EXPECT_EQ(ticker.Times[i] - ticker.Times[i - 1], 5u);
    // The synth starts the note from the tick's frame, not from the start of
    // the callback the tick ran in (up to 1024 frames early or late): at the
    // next of its own blocks of 64 frames, whose grid moves whenever the
    // synth has rendered nothing for a while, and heard some frames of
    // attack later.
    EXPECT_GE(probe.Heard, ticker.NoteFrame);
    EXPECT_LT(probe.Heard, ticker.NoteFrame + 2 * 64);
    output.RemoveSource(&probe);
    midi->Close();
    EXPECT_TRUE(WaitFor([&] { return output.Asleep(); }));
}

} // namespace
