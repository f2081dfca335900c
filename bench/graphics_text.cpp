// RenderText of one message line, with the real fonts, against plain
// TextOut of the same line as the reference: on their own, and with text in
// many other fonts drawn between the timed draws (more fonts than the
// realised-font cache keeps, on a bitmap of their own), so that only what the
// drawing bitmap itself keeps made stays made. Run with
// --benchmark_filter=RenderTextLine/1 for the figure of a process that draws
// nothing else.

#include <benchmark/benchmark.h>

#include <chrono>

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

// Text in the next of 30 sizes, plain and anti-aliased, in two faces. Each
// of these draws realises three fonts, and a round of them realises more
// fonts than the realised-font cache keeps.
class TOtherFonts {
public:
    TOtherFonts()
    {
        FBitmap.SetSize(200, 200);
        FBitmap.Clear(0);
    }

    void DrawRound()
    {
        for (int i = 0; i < 24; ++i) {
            FBitmap.Font().SetName(sjis::FromUtf8(FNext % 2 ? "ＭＳ 明朝" : "ＭＳ ゴシック"));
            FBitmap.Font().SetHeight(-(8 + FNext));
            FBitmap.TextOut(0, 0, sjis::FromUtf8("猫"));
            FBitmap.RenderText(0, 0, sjis::FromUtf8("猫"), 1, 0xFFFFFFFF);
            FNext = (FNext + 1) % 30;
        }
    }

private:
    TBitmap32 FBitmap;
    int FNext = 0;
};

// Times only the line, drawn by `draw` after each round of other text.
template <class Draw>
void AmongOtherFonts(benchmark::State& state, Draw&& draw)
{
    TBitmap32 b;
    Prepare(b);
    draw(b);
    TOtherFonts others;
    for (auto _ : state) {
        others.DrawRound();
        const auto start = std::chrono::steady_clock::now();
        draw(b);
        benchmark::DoNotOptimize(b.Bits());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_TextOutLineAmongOtherFonts(benchmark::State& state)
{
    AmongOtherFonts(state, [](TBitmap32& b) { b.TextOut(0, 0, Line()); });
}
BENCHMARK(BM_TextOutLineAmongOtherFonts)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

void BM_RenderTextLineAmongOtherFonts(benchmark::State& state)
{
    AmongOtherFonts(state, [](TBitmap32& b) { b.RenderText(0, 0, Line(), 1, 0xFFFFFFFF); });
}
BENCHMARK(BM_RenderTextLineAmongOtherFonts)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

} // namespace
