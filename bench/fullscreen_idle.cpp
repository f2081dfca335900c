// What a game waiting for the player costs in full screen: the main window
// shows a 640 x 480 game on a 1920 x 1080 monitor and waits for a typed
// command for 10 s; its processor time is set against a bare 1 ms timer
// running as long in the same process (what the original's idle loop of
// Sleep(1) would cost at least).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "engine/qt/tideglass_form.h"
#include "platform/ui_mailbox_wakeup.h"

namespace {

constexpr int MeasureMs = 10000;
constexpr int SettleMs = 500;

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// Never destroyed: among the exit handlers it would outlive parts of Qt
// that its destructor still needs once a window has been shown.
QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_fullscreen_idle";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const std::string config = Folder().filePath("screens.json").toStdString();
        std::ofstream(config) << R"({"screens": [{"name": "monitor", "x": 0, "y": 0, "width": 1920,)"
                                 R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str());
    }
    static QApplication* app = new QApplication(argc, argv);
    InstallUiMailboxWakeUp();
    return *app;
}

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// Runs the event loop for `ms` and returns the processor time it took.
double LoopCpuMs(int ms)
{
    const double before = ProcessCpuMs();
    QTimer::singleShot(ms, Qt::PreciseTimer, &App(), [] { QApplication::quit(); });
    QApplication::exec();
    return ProcessCpuMs() - before;
}

void BM_FullScreenWaitingGame(benchmark::State& state)
{
    App();
    const std::string script = Folder().filePath("idle.tgs").toStdString();
    std::ofstream(script) << "*SCENE s\r\n*FULLSCREEN 1\r\n>look\r\nlooked\r\n*END\r\n*SCENEEND\r\n";
    auto form = std::make_unique<TTideglassForm>(std::vector<std::string>{script});
    form->SetIniFileName(Folder().filePath("idle.ini").toStdString());
    form->CreateForms();
    form->ReadSettings();
    form->CreateScreenObjects();
    form->StartEngine();
    LoopCpuMs(SettleMs);
    if (!form->Engine().FullScreen())
        state.SkipWithError("the game did not enter full screen");
    for (auto _ : state)
        state.counters["cpu_ms"] = LoopCpuMs(MeasureMs);
    state.counters["cpu_percent"] = state.counters["cpu_ms"] * 100.0 / MeasureMs;
    form.reset();
}
BENCHMARK(BM_FullScreenWaitingGame)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Reference_Bare1msTimer(benchmark::State& state)
{
    App();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(1);
    for (auto _ : state)
        state.counters["cpu_ms"] = LoopCpuMs(MeasureMs);
    state.counters["cpu_percent"] = state.counters["cpu_ms"] * 100.0 / MeasureMs;
}
BENCHMARK(BM_Reference_Bare1msTimer)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
