// Interpreter throughput on a loop of assignment lines and a conditional
// jump, against the bare evaluator on the same expressions; and the CPU the
// engine's main window takes while the game waits for a typed command,
// against a 1 ms timer that does nothing (how the engine was driven before
// it learnt to sleep until its next step is due).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/sjis.h"
#include "bench/bench_folder.h"
#include "engine/script/engine.h"
#include "engine/qt/tideglass_form.h"
#include "platform/ui_mailbox_wakeup.h"
#include "engine/script/variables.h"
#include "testkit/fake_engine_host.h"

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_interpreter";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* made = new QApplication(argc, argv);
        InstallUiMailboxWakeUp();
        return made;
    }();
    return *app;
}

constexpr int LoopCount = 100000;
// Lines the interpreter runs per pass of the loop: two assignments and the
// conditional jump (the jump lands after the *LABEL line).
constexpr int LinesPerPass = 3;

// The typed command "go" runs the loop once.
const char* const LoopScript = "*SCENE s\r\n"
                               ">go\r\n"
                               "*F(1)=0\r\n"
                               "*LABEL top\r\n"
                               "*F(1)=F(1)+1\r\n"
                               "*F(2)=F(2)+F(1)%7\r\n"
                               "*IF F(1)<100000 top\r\n"
                               "*SCENEEND\r\n";

// The engine without a window, its script open and waiting for "go".
struct TBenchEngine {
    explicit TBenchEngine(const std::string& script)
        : Engine(Host, {Folder.Write("bench.tgs", script)}, Folder.Path + "/")
    {
        Engine.CreateScreenObjects();
        while (Engine.State() != esCommandWait && !Engine.Halted())
            Engine.MainTick();
    }

    TBenchFolder Folder;
    TFakeEngineHost Host;
    TEngine Engine;
};

void BM_InterpreterLoop(benchmark::State& state)
{
    TBenchEngine bench(LoopScript);
    TEngine& engine = bench.Engine;
    engine.SetRunSliceLines(LoopCount * LinesPerPass + 16);
    for (auto _ : state) {
        engine.SubmitCommand("go");
        // The run gives the event loop a turn every 100 ms; it goes on with
        // the next tick, as in the engine.
        while (engine.State() == esRun)
            engine.MainTick();
        if (engine.Flags().GetItem(1)->Value != LoopCount || engine.Halted())
            state.SkipWithError("the loop did not run to its end");
    }
    state.SetItemsProcessed(state.iterations() * LoopCount * LinesPerPass);
    state.SetLabel("script lines");
}
BENCHMARK(BM_InterpreterLoop)->Unit(benchmark::kMillisecond);

// Reference: the evaluator alone on the expressions of the loop's lines.
void BM_EvaluatorOnly(benchmark::State& state)
{
    TBenchEngine bench(LoopScript);
    TEngine& engine = bench.Engine;
    for (auto _ : state) {
        engine.EvaluateExpr("F(1)=0");
        for (int i = 0; i < LoopCount; ++i) {
            engine.EvaluateExpr("F(1)=F(1)+1");
            engine.EvaluateExpr("F(2)=F(2)+F(1)%7");
            benchmark::DoNotOptimize(engine.EvaluateExpr("F(1)<100000"));
        }
    }
    state.SetItemsProcessed(state.iterations() * LoopCount * LinesPerPass);
    state.SetLabel("expressions");
}
BENCHMARK(BM_EvaluatorOnly)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds()
{
    rusage usage{};
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
    App();
    TBenchFolder folder;
    const std::string script = folder.Write("bench.tgs", "*SCENE s\r\nWaiting for a command.\r\n*SCENEEND\r\n");
    TTideglassForm form({script});
    form.SetIniFileName(folder.Path + "/bench.ini");
    form.CreateForms();
    form.CreateScreenObjects();
    form.StartEngine();
    // The open and the first run, as a player would see them.
    QTimer::singleShot(500, &App(), [] { QCoreApplication::exit(0); });
    QApplication::exec();
    if (form.Engine().State() != esCommandWait)
        state.SkipWithError("the engine does not wait for a command");
    MeasureIdle(state);
    form.SetTimerActive(false);
}
BENCHMARK(BM_IdleEngineWaitingForCommand)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Reference: a 1 ms timer with nothing to do.
void BM_IdleBareTimer(benchmark::State& state)
{
    App();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1);
    int passes = 0;
    QObject::connect(&timer, &QTimer::timeout, [&passes] { ++passes; });
    timer.start();
    MeasureIdle(state);
    timer.stop();
    state.counters["passes"] = passes;
}
BENCHMARK(BM_IdleBareTimer)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
