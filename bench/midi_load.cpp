// Loading standard MIDI files: the 65535-track conformance file and
// generated songs of growing size (loading must grow linearly), against a
// bare walk over the same events that builds nothing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "base/streams.h"
#include "platform/audio/midi_out_recorder.h"
#include "sound/midi_play.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBE(Bytes& out, uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// One track of `events` notes on and off, with controllers and a tempo change now and then.
Bytes Song(int events)
{
    Bytes track;
    for (int i = 0; i < events; ++i) {
        track.push_back(uint8_t(i % 7 == 0 ? 0x60 : 0));
        switch (i % 50) {
        case 0: track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, uint8_t(0xA1 + i % 3), 0x20}); break;
        case 1: track.insert(track.end(), {0xB0, 0x07, uint8_t(i % 128)}); break;
        default: track.insert(track.end(), {uint8_t(i % 2 ? 0x80 : 0x90), uint8_t(40 + i % 40), 90}); break;
        }
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    PutBE(file, uint32_t(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

void Load(benchmark::State& state, const Bytes& file)
{
    TMidiOutRecorder out;
    TMidiPlayV player(out);
    for (auto _ : state) {
        TMemoryStream stream(file.data(), file.size());
        player.LoadFromStream(stream);
        benchmark::DoNotOptimize(player.GetEndTime());
    }
    state.counters["events"] = player.Events().Count();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

// Counts the events of every track chunk, reading each one's bytes.
int64_t Walk(const Bytes& f)
{
    int64_t events = 0;
    size_t p = 14;
    while (p + 8 <= f.size()) {
        const size_t len = size_t(f[p + 4]) << 24 | size_t(f[p + 5]) << 16 | size_t(f[p + 6]) << 8 | f[p + 7];
        size_t q = p + 8;
        const size_t end = std::min(f.size(), q + len);
        uint8_t running = 0;
        while (q < end) {
            while (q < end && (f[q++] & 0x80)) {}
            if (q >= end)
                break;
            uint8_t status = f[q];
            if (status < 0x80)
                status = running;
            else
                ++q;
            if (status == 0xFF) {
                q += 2 + (q + 1 < end ? f[q + 1] : 0);
            } else if (status >= 0xF0) {
                q += 1 + (q < end ? f[q] : 0);
            } else {
                running = status;
                q += (status & 0xE0) == 0xC0 ? 1 : 2;
            }
            ++events;
        }
        p = end;
    }
    return events;
}

void BM_LoadEmpty65535Tracks(benchmark::State& state)
{
    static const Bytes file = ReadFileBytes(TG_TESTDATA_DIR "/midi/test-cases/tracks/empty-65535-tracks.mid");
    Load(state, file);
}
BENCHMARK(BM_LoadEmpty65535Tracks)->Unit(benchmark::kMillisecond);

void BM_WalkEmpty65535Tracks(benchmark::State& state)
{
    static const Bytes file = ReadFileBytes(TG_TESTDATA_DIR "/midi/test-cases/tracks/empty-65535-tracks.mid");
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(file));
}
BENCHMARK(BM_WalkEmpty65535Tracks)->Unit(benchmark::kMillisecond);

void BM_LoadGenerated(benchmark::State& state)
{
    const Bytes file = Song(int(state.range(0)));
    Load(state, file);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadGenerated)
    ->RangeMultiplier(2)
    ->Range(12500, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_WalkGenerated(benchmark::State& state)
{
    const Bytes file = Song(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(file));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WalkGenerated)
    ->RangeMultiplier(2)
    ->Range(12500, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
