// Full recomposition of the game screen of a 640 x 480 game shown at scale
// 2.0 (the image control's back buffer, 1280 x 960), against a plain memcpy
// of that back buffer.

#include "bench/memcpy_reference.h"
#include "graphics/image32.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t BaseWidth = 640;
constexpr int32_t BaseHeight = 480;
constexpr float Scale = 2.0f;
constexpr int32_t ScreenWidth = int32_t(BaseWidth * Scale);
constexpr int32_t ScreenHeight = int32_t(BaseHeight * Scale);

TBitmapLayer* AddLayer(TImage32& image, int32_t w, int32_t h, const TFloatRect& at, TDrawMode mode)
{
    auto* layer = image.Layers().Add<TBitmapLayer>();
    layer->Bitmap().SetSize(w, h);
    layer->Bitmap().SetDrawMode(mode);
    layer->SetLocation(at);
    return layer;
}

// The layers as the game screen stacks them: picture, message frame,
// message text, function-key bar (hidden), wait mark, up and down marks.
void BuildGameScreen(TImage32& image)
{
    image.SetScaleMode(smScale);
    image.SetBounds(0, 0, ScreenWidth, ScreenHeight);
    image.Bitmap().SetSize(ScreenWidth, ScreenHeight);
    image.Bitmap().Clear(Color32(128, 128, 128));

    auto* picture = AddLayer(image, BaseWidth, BaseHeight, FloatRect(0, 0, ScreenWidth, ScreenHeight), dmOpaque);
    for (int32_t y = 0; y < BaseHeight; ++y)
        for (int32_t x = 0; x < BaseWidth; ++x)
            picture->Bitmap().SetPixel(x, y, Color32(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));

    auto* frame = AddLayer(image, 1240, 300, FloatRect(20, 640, 1260, 940), dmBlend);
    frame->Bitmap().Clear(Color32(0, 0, 64, 160));

    auto* text = AddLayer(image, ScreenWidth, ScreenHeight, FloatRect(0, 0, ScreenWidth, ScreenHeight), dmBlend);
    text->Bitmap().Clear(0);
    for (int32_t line = 0; line < 5; ++line)
        text->Bitmap().FillRect(52, 660 + line * 48, 1200, 660 + line * 48 + 28, Color32(255, 255, 255, 255));

    auto* bar = AddLayer(image, ScreenWidth, 24, FloatRect(0, ScreenHeight - 24, ScreenWidth, ScreenHeight), dmBlend);
    bar->SetVisible(false);

    auto* wait = AddLayer(image, 24, 24, FloatRect(1236, 916, 1260, 940), dmBlend);
    wait->Bitmap().Clear(Color32(255, 255, 0, 200));
    AddLayer(image, 24, 24, FloatRect(1236, 640, 1260, 664), dmBlend)->SetVisible(false);
    AddLayer(image, 24, 24, FloatRect(1236, 916, 1260, 940), dmBlend)->SetVisible(false);
}

void BM_ComposeGameScreen(benchmark::State& state)
{
    TImage32 image;
    BuildGameScreen(image);
    image.Paint();
    for (auto _ : state) {
        image.Invalidate();
        image.Paint();
        benchmark::DoNotOptimize(image.Buffer().Bits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * ScreenWidth * ScreenHeight * 4);
}
BENCHMARK(BM_ComposeGameScreen)->Unit(benchmark::kMillisecond);

// What presenting the same back buffer costs at the least.
void BM_BackBufferMemcpy(benchmark::State& state)
{
    CopyFramePixels(state, size_t(ScreenWidth) * ScreenHeight);
}
BENCHMARK(BM_BackBufferMemcpy)->Unit(benchmark::kMillisecond);

} // namespace
