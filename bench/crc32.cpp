// UpdateCRC32 against a plain byte-at-a-time loop over the same table.

#include "codec/crc32.h"
#include "testkit/codec/sample_data.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

const std::array<uint32_t, 256>& ByteTable()
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

uint32_t ByteAtATime(const uint8_t* p, size_t n, uint32_t crc)
{
    const auto& table = ByteTable();
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

void BM_UpdateCRC32(benchmark::State& state)
{
    const auto data = sample_data::Random(size_t(state.range(0)), 1);
    uint32_t crc = 0;
    for (auto _ : state) {
        UpdateCRC32(data.data(), uint32_t(data.size()), crc);
        benchmark::DoNotOptimize(crc);
    }
    uint32_t check = 0;
    UpdateCRC32(data.data(), uint32_t(data.size()), check);
    if (check != ByteAtATime(data.data(), data.size(), 0))
        state.SkipWithError("UpdateCRC32 differs from the byte loop");
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_UpdateCRC32)->Arg(4096)->Arg(1 << 20)->Arg(16 << 20);

void BM_ByteAtATimeReference(benchmark::State& state)
{
    const auto data = sample_data::Random(size_t(state.range(0)), 1);
    uint32_t crc = 0;
    for (auto _ : state) {
        crc = ByteAtATime(data.data(), data.size(), crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ByteAtATimeReference)->Arg(4096)->Arg(1 << 20)->Arg(16 << 20);

} // namespace
