// Interpreter throughput on a loop of assignment lines and a conditional
// jump, against the bare evaluator on the same expressions; and the CPU the
// engine's 1 ms idle loop takes while it waits for a typed command, against
// a 1 ms timer that does nothing.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "engine/script/expr.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/variables.h"
#include "platform/idle_driver.h"

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_interpreter";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

constexpr int LoopCount = 100000;
// Lines the interpreter runs per pass of the loop: two assignments and the
// conditional jump (the jump lands after the *LABEL line).
constexpr int LinesPerPass = 3;

const char* const LoopScript =
    "*SCENE s\r\n"
    "*LABEL top\r\n"
    "*F(1)=F(1)+1\r\n"
    "*F(2)=F(2)+F(1)%7\r\n"
    "*IF F(1)<100000 top\r\n"
    "*SCENEEND\r\n";

// An engine with a script of the temporary folder open, its run not begun.
struct TBenchEngine {
    explicit TBenchEngine(const std::string& script)
    {
        App();
        const std::string path = Dir.path().toStdString() + "/bench.tgs";
        std::ofstream(path, std::ios::binary) << script;
        Form = std::make_unique<TTideglassForm>(std::vector<std::string>{path});
        Form->SetIniFileName(Dir.path().toStdString() + "/bench.ini");
        Form->CreateForms();
        Form->CreateScreenObjects();
        Form->MainTick();  // opens the script
    }

    QTemporaryDir Dir;
    std::unique_ptr<TTideglassForm> Form;
};

void BM_InterpreterLoop(benchmark::State& state)
{
    TBenchEngine engine(LoopScript);
    TTideglassForm& form = *engine.Form;
    form.FRunSliceLines = LoopCount * LinesPerPass + 16;
    const int start = form.FMainLine;
    for (auto _ : state) {
        form.FFlags->GetItem(1)->Value = 0;
        form.FMainLine = start;
        form.FState = esRun;
        // The run gives the event loop a turn every 100 ms; it goes on with
        // the next tick, as in the engine.
        while (form.FState == esRun)
            form.MainTick();
        if (form.FFlags->GetItem(1)->Value != LoopCount || form.FHalted)
            state.SkipWithError("the loop did not run to its end");
    }
    state.SetItemsProcessed(state.iterations() * LoopCount * LinesPerPass);
    state.SetLabel("script lines");
}
BENCHMARK(BM_InterpreterLoop)->Unit(benchmark::kMillisecond);

// Reference: the evaluator alone on the expressions of the loop's lines.
void BM_EvaluatorOnly(benchmark::State& state)
{
    TBenchEngine engine(LoopScript);
    TExprConv& expr = *engine.Form->FExpr;
    TFlagList& flags = *engine.Form->FFlags;
    for (auto _ : state) {
        flags.GetItem(1)->Value = 0;
        for (int i = 0; i < LoopCount; ++i) {
            expr.Evaluate("F(1)=F(1)+1");
            expr.Evaluate("F(2)=F(2)+F(1)%7");
            benchmark::DoNotOptimize(expr.Evaluate("F(1)<100000"));
        }
    }
    state.SetItemsProcessed(state.iterations() * LoopCount * LinesPerPass);
    state.SetLabel("expressions");
}
BENCHMARK(BM_EvaluatorOnly)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

constexpr int IdleMilliseconds = 10000;

// Runs the event loop for IdleMilliseconds and reports the CPU it used as a
// percentage of one core.
void MeasureIdle(benchmark::State& state)
{
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        QTimer::singleShot(IdleMilliseconds, &App(), [] { QCoreApplication::exit(0); });
        QApplication::exec();
        const double used = ProcessCpuSeconds() - before;
        state.SetIterationTime(used);
        state.counters["cpu_percent"] = 100.0 * used / (IdleMilliseconds / 1000.0);
    }
}

void BM_IdleEngineWaitingForCommand(benchmark::State& state)
{
    TBenchEngine engine("*SCENE s\r\nWaiting for a command.\r\n*SCENEEND\r\n");
    engine.Form->MainTick();
    if (engine.Form->FState != esCommandWait)
        state.SkipWithError("the engine does not wait for a command");
    engine.Form->FIdle->Start();
    MeasureIdle(state);
    engine.Form->FIdle->Stop();
}
BENCHMARK(BM_IdleEngineWaitingForCommand)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Reference: the same 1 ms timer with nothing to do.
void BM_IdleBareTimer(benchmark::State& state)
{
    App();
    TIdleDriver driver;
    int passes = 0;
    driver.OnIdle = [&passes] { ++passes; };
    driver.Start();
    MeasureIdle(state);
    driver.Stop();
    driver.OnIdle = nullptr;
    state.counters["passes"] = passes;
}
BENCHMARK(BM_IdleBareTimer)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
