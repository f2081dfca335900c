// LZSS coder on a mixed 8 MB corpus (script text, bitmap pixels, random
// bytes), against the exhaustive search and the bit-at-a-time decoder.
// The exhaustive search is too slow for the whole corpus; it runs on every
// 32nd block, and the fast coder runs on the same sample for the ratio.

#include "base/streams.h"
#include "codec/kv_compress.h"
#include "testkit/codec/lzss_reference.h"
#include "testkit/codec/sample_data.h"

#include <benchmark/benchmark.h>

namespace {

constexpr size_t CorpusSize = 8 * 1024 * 1024;

const std::vector<uint8_t>& Corpus()
{
    static const auto corpus = sample_data::MixedCorpus(CorpusSize);
    return corpus;
}

const std::vector<uint8_t>& Sample()
{
    static const auto sample = [] {
        std::vector<uint8_t> out;
        const auto& corpus = Corpus();
        for (size_t at = 0; at + 4096 <= corpus.size(); at += 32 * 4096)
            out.insert(out.end(), corpus.begin() + long(at), corpus.begin() + long(at) + 4096);
        return out;
    }();
    return sample;
}

std::vector<uint8_t> FastCompress(const std::vector<uint8_t>& data)
{
    TMemoryStream src(data.data(), data.size());
    TMemoryStream dst;
    TkvLZSSCompress().Compress(src, dst, int32_t(data.size()));
    return std::move(dst.Bytes());
}

const std::vector<uint8_t>& CodedCorpus()
{
    static const auto coded = FastCompress(Corpus());
    return coded;
}

void BM_Compress_HashChains(benchmark::State& state)
{
    const auto& data = state.range(0) ? Corpus() : Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(FastCompress(data));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    state.counters["ratio"] = double(FastCompress(data).size()) / double(data.size());
}
BENCHMARK(BM_Compress_HashChains)->ArgName("whole")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The whole corpus coded in calls of `per call` bytes, each into a stream of
// its own, from one source stream: the 8 MB call against 256 KB calls (the
// reference) shows whether the cost per byte grows with the input.
void BM_Compress_Calls(benchmark::State& state)
{
    const auto& data = Corpus();
    const auto perCall = size_t(state.range(0));
    TMemoryStream src(data.data(), data.size());
    for (auto _ : state) {
        src.SetPosition(0);
        for (size_t at = 0; at < data.size(); at += perCall) {
            TMemoryStream dst;
            TkvLZSSCompress().Compress(src, dst, int32_t(std::min(perCall, data.size() - at)));
            benchmark::DoNotOptimize(dst.Memory());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Compress_Calls)->ArgName("per_call")->Arg(CorpusSize)->Arg(256 * 1024)->Unit(benchmark::kMillisecond);

void BM_Compress_ExhaustiveReference(benchmark::State& state)
{
    const auto& data = Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(lzss_reference::Compress(data));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Compress_ExhaustiveReference)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Decompress(benchmark::State& state)
{
    const auto& coded = CodedCorpus();
    for (auto _ : state) {
        TMemoryStream src(coded.data(), coded.size());
        TMemoryStream dst;
        dst.SetSize(int64_t(CorpusSize));
        dst.SetPosition(0);
        TkvLZSSCompress().Decompress(src, dst, int32_t(CorpusSize));
        benchmark::DoNotOptimize(dst.Memory());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(CorpusSize));
}
BENCHMARK(BM_Decompress)->Unit(benchmark::kMillisecond);

void BM_Decompress_BitAtATimeReference(benchmark::State& state)
{
    const auto& coded = CodedCorpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(lzss_reference::Decompress(coded, int32_t(CorpusSize)));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(CorpusSize));
}
BENCHMARK(BM_Decompress_BitAtATimeReference)->Unit(benchmark::kMillisecond);

} // namespace
