// The wave-out devices: the SDL one's exact expansion into the shared
// output's format, what both do when starved, paused or reset, and the
// audio output's fallback when no sound device opens and its sleep while
// nothing plays.

#include "platform/audio/audio_output.h"
#include "platform/audio/midi_out_fluid.h"
#include "platform/audio/ui_mailbox.h"
#include "platform/audio/wave_out_fake.h"
#include "platform/audio/wave_out_sdl.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace
