#pragma once
// The reference the picture benchmarks are measured against: one memcpy of
// a frame of 32-bit pixels, the least any transfer of that frame can cost.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline void CopyFramePixels(benchmark::State& state, size_t pixels)
{
    const std::vector<uint32_t> src(pixels, 0xFF808080);
    std::vector<uint32_t> dst(pixels);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), pixels * sizeof(uint32_t));
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(pixels));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels * sizeof(uint32_t)));
}
