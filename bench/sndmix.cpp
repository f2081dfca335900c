// Mixing eight channels of sound effects: the time to mix one second of
// output (44100 bytes), against a plain copy of the same number of bytes.
// The budget is 1 ms of processor time per second of audio.

#include "platform/audio/wave_out_fake.h"
#include "sound/sndmix_component.h"
#include "sound/sndmix_internal.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int64_t SecondOfAudio = 44100;

// A session on the hand-stepped device with `channels` waves looping for
// ever, all started on the same byte.
struct TMixScene {
    explicit TMixScene(int channels)
    {
        SndMixSetIniFileName("/nonexistent/SNDMIX.INI");
        SndMixSetDevice(&Device);
        Mixer = std::make_unique<TSndMix>();
        Mixer->SetActivated(true);
        Mixer->SetChannels(255);
        for (int c = 0; c < channels; ++c) {
            auto* w = new TWaveRecord;
            w->Data.resize(static_cast<size_t>(5000 + 777 * c));
            for (size_t i = 0; i < w->Data.size(); ++i)
                w->Data[i] = static_cast<uint8_t>(128 + ((i * (c + 3)) % 61) - 30);
            Waves.push_back(w);
            Mixer->Play(c, w, SndMixLoopForever, c + 1 < channels ? uint32_t{smpWait} : 0u, nullptr);
        }
    }
    ~TMixScene()
    {
        for (TWaveRecord* w : Waves)
            Mixer->FreeWave(w);
        Mixer.reset();
        SndMixSetDevice(nullptr);
    }
    // Mixes one second into blocks the device never sees.
    void MixSecond(TOutputBlock& block)
    {
        TSndMixSession* s = SndMixUnit().Session;
        for (int64_t done = 0; done < SecondOfAudio; done += s->BlockLength)
            SndMixFillBlock(s, &block, false);
    }

    TFakeWaveOut Device;
    std::unique_ptr<TSndMix> Mixer;
    std::vector<TWaveRecord*> Waves;
};

void BM_MixOneSecond(benchmark::State& state)
{
    TMixScene scene(static_cast<int>(state.range(0)));
    auto block = std::make_unique<TOutputBlock>();
    for (auto _ : state) {
        scene.MixSecond(*block);
        benchmark::DoNotOptimize(block->Data[100]);
    }
    state.SetBytesProcessed(state.iterations() * SecondOfAudio);
}
BENCHMARK(BM_MixOneSecond)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

// Reference: copying the same bytes, block by block as the mixer writes them.
void BM_CopyOneSecond(benchmark::State& state)
{
    std::vector<uint8_t> source(SecondOfAudio + 8192, 140);
    auto block = std::make_unique<TOutputBlock>();
    for (auto _ : state) {
        for (int64_t done = 0; done < SecondOfAudio; done += 8192) {
            std::memcpy(block->Data, source.data() + done, 8192);
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(block->Data[100]);
    }
    state.SetBytesProcessed(state.iterations() * SecondOfAudio);
}
BENCHMARK(BM_CopyOneSecond)->Unit(benchmark::kMicrosecond);

} // namespace
