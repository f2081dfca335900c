// Pixel transfers against memcpy of the same bytes, measured in one run.

#include <benchmark/benchmark.h>

#include "bench/memcpy_reference.h"
#include "graphics/bitmap32.h"
#include "graphics/transfer.h"

namespace {

constexpr int32_t W = 640;
constexpr int32_t H = 480;

void FillPattern(TBitmap32& b, bool translucent)
{
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const TColor32 a = translucent ? TColor32((x * 7 + y * 3) & 0xFF) << 24 : 0xFF000000;
            b.SetPixel(x, y, a | TColor32(x * 2654435761u + y) >> 8);
        }
}

void BM_MemcpyFrame(benchmark::State& state)
{
    CopyFramePixels(state, size_t(W) * H);
}
BENCHMARK(BM_MemcpyFrame);

void BM_BlockTransferOpaque(benchmark::State& state)
{
    TBitmap32 src, dst;
    src.SetSize(W, H);
    dst.SetSize(W, H);
    FillPattern(src, false);
    for (auto _ : state) {
        BlockTransfer(&dst, 0, 0, dst.ClipRect(), &src, src.BoundsRect(), dmOpaque);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}
BENCHMARK(BM_BlockTransferOpaque);

void BM_BlockTransferBlend(benchmark::State& state)
{
    TBitmap32 src, dst;
    src.SetSize(W, H);
    dst.SetSize(W, H);
    FillPattern(src, true);
    dst.Clear(0xFF204060);
    for (auto _ : state) {
        BlockTransfer(&dst, 0, 0, dst.ClipRect(), &src, src.BoundsRect(), dmBlend);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}
BENCHMARK(BM_BlockTransferBlend);

void BM_MemcpyDoubledFrame(benchmark::State& state)
{
    CopyFramePixels(state, size_t(W) * H * 4);
}
BENCHMARK(BM_MemcpyDoubledFrame);

void BM_StretchNearestDouble(benchmark::State& state)
{
    TBitmap32 src, dst;
    src.SetSize(W, H);
    dst.SetSize(W * 2, H * 2);
    FillPattern(src, false);
    for (auto _ : state) {
        StretchTransfer(&dst, dst.BoundsRect(), dst.ClipRect(), &src, src.BoundsRect(), src.Resampler(), dmOpaque);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_StretchNearestDouble);

} // namespace
