// The CPU the engine's main window takes over 10 s while the *INPUT dialog
// is up and while the *YESNO dialog is up, against the same window waiting
// for a typed command in the same run: the engine tick goes on inside the
// dialogs' own event loops, and must sleep there as it does outside them.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/bench_folder.h"
#include "engine/qt/input_dlg.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/script/engine.h"
#include "engine/qt/tideglass_form.h"
#include "platform/ui_mailbox_wakeup.h"

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_input_dialogs";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* made = new QApplication(argc, argv);
        InstallUiMailboxWakeUp();
        return made;
    }();
    return *app;
}

constexpr int SettleMilliseconds = 500;
constexpr int IdleMilliseconds = 10000;

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Starts the main window on `script`, lets it settle, measures the CPU over
// IdleMilliseconds while `up` holds, then lets `answer` end the wait.
void MeasureWhile(benchmark::State& state, const char* script, const std::function<bool(TTideglassForm&)>& up,
    const std::function<void(TTideglassForm&)>& answer)
{
    App();
    const TBenchFolder folder;
    const std::string path = folder.Write("bench.tgs", script);
    for (auto _ : state) {
        TTideglassForm form({path});
        form.SetIniFileName(folder.Path + "/bench.ini");
        form.CreateForms();
        form.CreateScreenObjects();
        form.StartEngine();
        double before = 0;
        double used = 0;
        bool wasUp = false;
        QTimer::singleShot(SettleMilliseconds, &App(), [&] {
            wasUp = up(form);
            before = ProcessCpuSeconds();
            QTimer::singleShot(IdleMilliseconds, &App(), [&] {
                used = ProcessCpuSeconds() - before;
                wasUp = wasUp && up(form);
                answer(form);
                QTimer::singleShot(SettleMilliseconds, &App(), [] { QCoreApplication::exit(0); });
            });
        });
        QApplication::exec();
        form.SetTimerActive(false);
        if (!wasUp)
            state.SkipWithError("the engine did not wait as expected");
        state.SetIterationTime(used);
        state.counters["cpu_percent"] = 100.0 * used / (IdleMilliseconds / 1000.0);
    }
}

void BM_IdleWaitingForCommand(benchmark::State& state)
{
    MeasureWhile(
        state, "*SCENE s\r\nWaiting for a command.\r\n*SCENEEND\r\n",
        [](TTideglassForm& form) { return form.Engine().State() == esCommandWait; }, [](TTideglassForm&) {});
}
BENCHMARK(BM_IdleWaitingForCommand)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleInputDialogUp(benchmark::State& state)
{
    MeasureWhile(
        state, "*SCENE s\r\n*INPUT number? F(1)\r\n*SCENEEND\r\n",
        [](TTideglassForm& form) { return form.InputDlg().isVisible(); },
        [](TTideglassForm& form) {
            form.InputDlg().InputEdit->setText("1");
            form.InputDlg().done(mrOk);
        });
}
BENCHMARK(BM_IdleInputDialogUp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleYesNoDialogUp(benchmark::State& state)
{
    MeasureWhile(
        state, "*SCENE s\r\n*YESNO go? a a\r\n*LABEL a\r\n*SCENEEND\r\n",
        [](TTideglassForm& form) { return form.YesNoDlg().isVisible(); },
        [](TTideglassForm& form) { form.YesNoDlg().done(mrYes); });
}
BENCHMARK(BM_IdleYesNoDialogUp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
