// Opening a scenario of 100 000 lines that are all *LABEL lines, against the
// same number of *GOTO lines in their place. Labels must cost no more than a
// small constant each: the first should take at most about twice the second.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_folder.h"
#include "engine/script/engine.h"
#include "engine/script/label_list.h"
#include "testkit/fake_engine_host.h"

namespace {

constexpr int LineCount = 100000;

std::string MakeScript(const char* command)
{
    std::string text = "*SCENE start\r\n";
    for (int i = 0; i < LineCount; ++i)
        text += std::string(command) + " place" + std::to_string(i) + "\r\n";
    text += "*SCENEEND\r\n";
    return text;
}

void OpenScript(benchmark::State& state, const char* command, int labels)
{
    TBenchFolder folder;
    const std::string script = folder.Write("bench.tgs", MakeScript(command));
    TFakeEngineHost host;
    host.BoxAnswer = IDYES;
    TEngine engine(host, {}, folder.Path + "/");
    for (auto _ : state) {
        if (!engine.OpenScenario(script) || engine.Halted())
            state.SkipWithError("the script did not open");
    }
    if (engine.Labels().Count() != labels)
        state.SkipWithError("wrong number of labels");
    state.SetItemsProcessed(state.iterations() * LineCount);
    state.SetLabel("script lines");
}

void BM_OpenScriptOfLabels(benchmark::State& state)
{
    OpenScript(state, "*LABEL", LineCount + 1);
}
BENCHMARK(BM_OpenScriptOfLabels)->Unit(benchmark::kMillisecond);

// Reference: the same number of lines with no label among them.
void BM_OpenScriptOfJumps(benchmark::State& state)
{
    OpenScript(state, "*GOTO", 1);
}
BENCHMARK(BM_OpenScriptOfJumps)->Unit(benchmark::kMillisecond);

} // namespace
