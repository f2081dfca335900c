// From playing a sound effect to its first non-silent sample in the shared
// audio output under the dummy driver, with nothing else playing: through
// the wave mixer and through our outside audio library, each called
// directly and from a script's *SE run by the engine. The reference is the
// wait for the next output callback itself (a source that turns loud the
// moment it is asked to); the target is at most one callback period plus
// 1 ms.

#include "bench/bench_folder.h"
#include "engine/script/engine.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/ui_mailbox.h"
#include "platform/audio/wave_out.h"
#include "sound/bass_binding.h"
#include "sound/sndmix_component.h"
#include "sound/sndmix_internal.h"
#include "testkit/fake_engine_host.h"

#include <benchmark/benchmark.h>

#include <functional>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

// Registered last, so it sees the sum of every other source. With `Loud`
// set it also makes sound itself (the reference); otherwise it only
// listens, and lets the output sleep while nothing else plays.
class TProbe : public TAudioSource {
public:
    bool Active() override { return Loud; }
    void MixInto(float* out, int frames) override
    {
        if (Loud)
            out[0] += 0.5f;
        if (!Armed)
            return;
        for (int i = 0; i < frames * 2; ++i)
            if (out[i] != 0.0f) {
                Heard = TClock::now().time_since_epoch().count();
                Armed = false;
                return;
            }
    }
    // Waits until the probe hears something; returns the seconds since `start`.
    double WaitHeard(TClock::time_point start)
    {
        while (Armed)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        return std::chrono::duration<double>(TClock::duration(Heard.load()) - start.time_since_epoch()).count();
    }
    std::atomic<bool> Armed{false};
    std::atomic<bool> Loud{false};
    std::atomic<TClock::rep> Heard{0};
};

// Each iteration's latency, and the worst one as a counter.
void Record(benchmark::State& state, double seconds)
{
    state.SetIterationTime(seconds);
    double& worst = state.counters["max_ms"].value;
    worst = std::max(worst, seconds * 1000.0);
}

void AddProbe(benchmark::State& state, TProbe& probe)
{
    TAudioOutput& output = TAudioOutput::Instance();
    output.RemoveSource(&probe);
    output.AddSource(&probe);
    state.counters["period_ms"] = 1000.0 * output.PeriodFrames() / TAudioOutput::SampleRate;
}

void BM_NextCallback(benchmark::State& state)
{
    TProbe probe;
    AddProbe(state, probe);
    for (auto _ : state) {
        probe.Armed = true;
        const auto start = TClock::now();
        probe.Loud = true;
        TAudioOutput::Instance().Wake();
        Record(state, probe.WaitHeard(start));
        probe.Loud = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    TAudioOutput::Instance().RemoveSource(&probe);
}
BENCHMARK(BM_NextCallback)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

void BM_WaveMixerEffect(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SndMixSetIniFileName("/nonexistent/SNDMIX.INI");
    TSndMix mixer;
    mixer.SetActivated(true);
    mixer.SetChannels(255);
    TProbe probe;
    AddProbe(state, probe);
    for (auto _ : state) {
        auto* wave = new TWaveRecord;
        wave->Data.assign(2000, 200);
        probe.Armed = true;
        const auto start = TClock::now();
        mixer.Play(0, wave, 0, 0, nullptr);
        Record(state, probe.WaitHeard(start));
        // Let the device hand its blocks back, so the next effect again
        // finds nothing playing.
        while (SndMixUnit().WrittenHead != nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            UiMailbox::Drain();
        }
        mixer.FreeWave(wave);
    }
    TAudioOutput::Instance().RemoveSource(&probe);
}
BENCHMARK(BM_WaveMixerEffect)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

void PutLe(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

// 16-bit mono 44100 Hz, every sample at a quarter of full scale.
std::string LoudWave(uint32_t samples)
{
    std::string body = "WAVEfmt ";
    PutLe(body, 16, 4);
    for (uint32_t v : {1u, 1u})
        PutLe(body, v, 2);
    PutLe(body, 44100, 4);
    PutLe(body, 88200, 4);
    PutLe(body, 2, 2);
    PutLe(body, 16, 2);
    body += "data";
    PutLe(body, samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i)
        PutLe(body, 0x2000, 2);
    std::string image = "RIFF";
    PutLe(image, static_cast<uint32_t>(body.size()), 4);
    return image + body;
}

void BM_LibraryEffect(benchmark::State& state)
{
    TBass bass(TG_BASS_LIBRARY);
    if (!bass.Start(nullptr)) {
        state.SkipWithError("the outside audio library did not start");
        return;
    }
    const std::string image = LoudWave(4410);
    const uint32_t sample =
        bass.BASS_SampleLoad(1, image.data(), 0, static_cast<uint32_t>(image.size()), 1, BASS_SAMPLE_OVER_POS);
    TProbe probe;
    AddProbe(state, probe);
    for (auto _ : state) {
        probe.Armed = true;
        const auto start = TClock::now();
        bass.BASS_SamplePlayEx(sample, 0, -1, -1, 0, 0);
        Record(state, probe.WaitHeard(start));
        while (bass.BASS_ChannelIsActive(sample) != BASS_ACTIVE_STOPPED)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    TAudioOutput::Instance().RemoveSource(&probe);
    bass.BASS_SampleFree(sample);
    bass.Stop();
}
BENCHMARK(BM_LibraryEffect)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// The engine on a desktop that answers at once but plays through the real
// wave-out device (or our library), with a script whose typed command plays
// one effect.
class TSoundHost : public TFakeEngineHost {
public:
    TWaveOut* WaveOutDevice() override { return &SystemWaveOut(); }
};

class TScriptEffect {
public:
    TScriptEffect(const std::string& library, const std::string& wave)
    {
        const std::string script = FFolder.Write("main.tgs", "*SCENE s\r\n>go\r\n*SE a\r\n*END\r\n*SCENEEND\r\n");
        FFolder.Write("a.wav", wave);
        Host.AudioLibrary = library;
        Engine = std::make_unique<TEngine>(Host, std::vector<std::string>{script}, FFolder.Path + "/");
        Engine->CreateScreenObjects();
        for (int i = 0; i < 10 && Engine->State() != esCommandWait; ++i)
            Engine->ApplicationEvents1Idle();
    }
    ~TScriptEffect() { Engine.reset(); }
    // The typed command and the pass that runs it.
    void Play()
    {
        Engine->SubmitCommand("go");
        Engine->ApplicationEvents1Idle();
    }

    TSoundHost Host;
    std::unique_ptr<TEngine> Engine;

private:
    TBenchFolder FFolder;
};

// A script's *SE, typed as a command, to the first sound heard; `settle`
// waits after each until the effect is over.
void MeasureScriptEffect(
    benchmark::State& state, const std::string& library, const std::string& wave, const std::function<void()>& settle)
{
    TScriptEffect game(library, wave);
    if (game.Engine->State() != esCommandWait) {
        state.SkipWithError("the script did not open");
        return;
    }
    // The devices open with the first effect, and the probe must come after
    // them: that one is not measured.
    game.Play();
    settle();
    TProbe probe;
    AddProbe(state, probe);
    for (auto _ : state) {
        probe.Armed = true;
        const auto start = TClock::now();
        game.Play();
        Record(state, probe.WaitHeard(start));
        settle();
    }
    TAudioOutput::Instance().RemoveSource(&probe);
}

void BM_ScriptEffectWaveMixer(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SndMixSetIniFileName("/nonexistent/SNDMIX.INI");
    // 2000 samples of 8-bit mono, as the mixer plays them unconverted.
    std::string wave = "RIFF";
    PutLe(wave, 36 + 2000, 4);
    wave += "WAVEfmt ";
    PutLe(wave, 16, 4);
    for (uint32_t v : {1u, 1u})
        PutLe(wave, v, 2);
    PutLe(wave, 44100, 4);
    PutLe(wave, 44100, 4);
    PutLe(wave, 1, 2);
    PutLe(wave, 8, 2);
    wave += "data";
    PutLe(wave, 2000, 4);
    wave += std::string(2000, static_cast<char>(200));
    MeasureScriptEffect(state, "", wave, [] {
        // The effect ends and its channel is free again.
        while (SndMixUnit().WrittenHead != nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            UiMailbox::Drain();
        }
    });
}
BENCHMARK(BM_ScriptEffectWaveMixer)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

void BM_ScriptEffectLibrary(benchmark::State& state)
{
    MeasureScriptEffect(state, TG_BASS_LIBRARY, LoudWave(4410), [] {
        // 100 ms of sound, then silence again before the next.
        std::this_thread::sleep_for(std::chrono::milliseconds(130));
    });
}
BENCHMARK(BM_ScriptEffectLibrary)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace
