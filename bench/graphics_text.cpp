// RenderText of one message line, with the real fonts, against plain
// TextOut of the same line as the reference.

#include <benchmark/benchmark.h>

#include "base/sjis.h"
#include "graphics/bitmap32.h"
#include "classlib/graphic.h"

namespace {

const std::string& Line()
{
    // 48 double-byte characters, as a full message-window line holds.
    static const std::string line = sjis::FromUtf8(
        "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で");
    return line;
}

void Prepare(TBitmap32& b)
{
    b.SetSize(640, 32);
    b.Clear(0);
    b.Font().SetName(sjis::FromUtf8("ＭＳ ゴシック"));
    b.Font().SetHeight(-12);
}

void BM_TextOutLine(benchmark::State& state)
{
    TBitmap32 b;
    Prepare(b);
    for (auto _ : state) {
        b.TextOut(0, 0, Line());
        benchmark::DoNotOptimize(b.Bits());
    }
}
BENCHMARK(BM_TextOutLine)->Unit(benchmark::kMicrosecond);

void BM_RenderTextLine(benchmark::State& state)
{
    TBitmap32 b;
    Prepare(b);
    const int level = int(state.range(0));
    for (auto _ : state) {
        b.RenderText(0, 0, Line(), level, 0xFFFFFFFF);
        benchmark::DoNotOptimize(b.Bits());
    }
}
BENCHMARK(BM_RenderTextLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
