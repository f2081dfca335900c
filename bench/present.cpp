// Presenting the logical screen in full screen: a 640 x 480 game screen shown
// on a 1920 x 1080 monitor (scale 2.25, 1440 x 1080 between black bars),
// against a memcpy of one 1920 x 1080 frame in the same run.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>
#include <vector>

#include "bench/memcpy_reference.h"
#include "graphics/image32.h"
#include "platform/image_widget.h"
#include "platform/image_widget_fit.h"

namespace {

constexpr int32_t LogicalWidth = 640;
constexpr int32_t LogicalHeight = 480;
constexpr int32_t MonitorWidth = 1920;
constexpr int32_t MonitorHeight = 1080;

// Never destroyed: among the exit handlers it would outlive parts of Qt
// that its destructor still needs once a window has been shown.
QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_present";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void FillScreen(TImage32& image)
{
    image.SetBounds(0, 0, LogicalWidth, LogicalHeight);
    image.Bitmap().SetSize(LogicalWidth, LogicalHeight);
    for (int32_t y = 0; y < LogicalHeight; ++y)
        for (int32_t x = 0; x < LogicalWidth; ++x)
            image.Bitmap().SetPixel(x, y, Color32(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));
}

// One frame as the full-screen window shows it after the game screen
// changed: the widget's paint scales the composed screen into its frame and
// hands that to the window system's backing store.
void BM_PresentFullScreenFrame(benchmark::State& state)
{
    App();
    TImage32 image;
    FillScreen(image);
    image.Paint();
    auto widget = std::make_unique<TImageWidget>(&image);
    widget->SetFitMode(true);
    widget->resize(MonitorWidth, MonitorHeight);
    widget->show();
    QApplication::processEvents();
    for (auto _ : state) {
        widget->SurfaceInvalidate();
        widget->repaint();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * MonitorWidth * MonitorHeight * 4);
    widget.reset();
}
BENCHMARK(BM_PresentFullScreenFrame)->Unit(benchmark::kMillisecond);

// The scaling alone, into plain memory.
void BM_FitScaleFrame(benchmark::State& state)
{
    std::vector<uint32_t> screen(size_t(LogicalWidth) * LogicalHeight);
    for (size_t i = 0; i < screen.size(); ++i)
        screen[i] = uint32_t(i * 2654435761u);
    std::vector<uint32_t> frame(size_t(MonitorWidth) * MonitorHeight);
    const TSurfacePixels pixels{screen.data(), LogicalWidth, LogicalHeight, LogicalWidth};
    const TFitPlacement fit = FitPlacement(LogicalWidth, LogicalHeight, MonitorWidth, MonitorHeight);
    TFitScaler scaler;
    for (auto _ : state) {
        scaler.Present(pixels, fit, frame.data(), MonitorWidth, MonitorHeight, MonitorWidth);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * MonitorWidth * MonitorHeight * 4);
}
BENCHMARK(BM_FitScaleFrame)->Unit(benchmark::kMillisecond);

// What one frame of the monitor costs at the least.
void BM_MemcpyMonitorFrame(benchmark::State& state)
{
    CopyFramePixels(state, size_t(MonitorWidth) * MonitorHeight);
}
BENCHMARK(BM_MemcpyMonitorFrame)->Unit(benchmark::kMillisecond);

} // namespace
