// Opening and running a script whose story is one message line of 10 MB,
// against the same text cut into short lines. The text holds a brace pair
// and a bracketed word every 50 bytes. Loading, the pre-pass, the expansion
// and the message window must cost the long line no more than about twice
// the short ones; the long line's time over the short lines' is reported as
// its "ratio".

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/bench_folder.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"
#include "testkit/fake_engine_host.h"

namespace {

constexpr size_t TextBytes = 10u << 20;
constexpr int StretchBytes = 50;
constexpr int StretchCount = static_cast<int>(TextBytes / StretchBytes);

// One stretch of the story: 50 bytes with a brace pair and a word in brackets.
constexpr const char* Stretch = "The tide {F(1)=F(1)+1} turns under the [glass].   ";

std::string MakeScript(bool oneLine)
{
    std::string text = "*SCENE s\r\n";
    text.reserve(TextBytes + TextBytes / 10);
    for (int n = 0; n < StretchCount; ++n) {
        text += Stretch;
        if (!oneLine)
            text += "\r\n";
    }
    text += "\r\n*SCENEEND\r\n";
    return text;
}

// Seconds to open the script and run it until it waits for a command.
double OpenAndRun(benchmark::State& state, const std::string& path, const std::string& folder)
{
    const auto start = std::chrono::steady_clock::now();
    TFakeEngineHost host;
    TEngine engine(host, {path}, folder);
    engine.CreateScreenObjects();
    while (engine.State() != esCommandWait && !engine.Halted())
        engine.MainTick();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (engine.Halted() || engine.Flags().GetItem(1)->Value != StretchCount || engine.Msg()->Backlog().Count() == 0)
        state.SkipWithError("the story was not shown whole");
    return seconds;
}

double ShortLinesSeconds = 0;

void Run(benchmark::State& state, bool oneLine)
{
    TBenchFolder folder;
    const std::string path = folder.Write("bench.tgs", MakeScript(oneLine));
    double total = 0;
    for (auto _ : state) {
        const double seconds = OpenAndRun(state, path, folder.Path + "/");
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / static_cast<double>(state.iterations());
    if (!oneLine)
        ShortLinesSeconds = mean;
    else if (ShortLinesSeconds > 0)
        state.counters["ratio"] = mean / ShortLinesSeconds;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * StretchCount * StretchBytes);
}

// Reference: the same text in lines of 50 bytes.
void BM_ScriptOfShortLines(benchmark::State& state)
{
    Run(state, false);
}
BENCHMARK(BM_ScriptOfShortLines)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ScriptOfOneLongLine(benchmark::State& state)
{
    Run(state, true);
}
BENCHMARK(BM_ScriptOfOneLongLine)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
