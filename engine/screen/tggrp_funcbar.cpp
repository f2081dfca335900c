// The function-key bar: a box per key with its label, in groups of four,
// along the bottom of the picture.

#include <cmath>

#include "engine/screen/screen_host.h"
#include "engine/screen/tggrp.h"
#include "graphics/layers.h"
#include "classlib/font.h"

namespace {

constexpr int BarHeight = 24;
// Labels 0..11 are the plain ones, 12..23 those shown while Shift is held.
constexpr int ShiftLabelOffset = 12;
constexpr int LastLabel = 24;

} // namespace

void TTGGrp::DrawFuncBar(int keyCount)
{
    float w = 0;
    float h = 0;
    if (FHost.FullScreen()) {
        w = float(FScreenWidth);
        h = float(FScreenHeight);
    } else {
        const TFloatRect picture = FPictureLayer->Location();
        w = picture.Right - picture.Left;
        h = picture.Bottom - picture.Top;
    }
    TBitmap32& bar = FFuncBarLayer->Bitmap();
    const int barWidth = static_cast<int>(std::trunc(w));
    bar.SetSize(barWidth, BarHeight);
    bar.Clear(0);

    // Without keys there is nothing to divide the bar among, and keys too
    // many for a box of a pixel each would only pile their labels up.
    const int n = keyCount;
    const int k = n > 0 ? (barWidth - ((n - 1) * 4 + ((n - 1) / 4) * 8)) / n : 0;
    if (k >= 1) {
        const int offset = FHost.FuncBarShifted() ? ShiftLabelOffset : 0;
        int x = 4;
        int prev = 0;
        // Keys whose box would start past the bar's end draw nothing.
        for (int i = 0; i < n && x < barWidth; ++i) {
            bar.FillRectS(prev, 4, x, 20, 0);
            bar.FillRectS(x, 4, x + k, 20, Color32(255, 255, 255, 200));
            bar.Font().SetHeight(-14);
            const int index = offset + i;
            const std::string label = index <= LastLabel ? FHost.GetKeyLabel(index) : std::string();
            const int d = std::max(0, k / 2 - bar.TextWidth(label) / 2);
            bar.RenderText(x + d, 5, label, 0, Color32(0, 0, 0, 255));
            prev = x + k;
            x = prev + ((i == 3 || i == 7) ? 8 : 4);
        }
        bar.FillRectS(prev, 4, x, 20, 0);
    }
    FFuncBarLayer->SetLocation(FloatRect(0, h - BarHeight, w, h));
    FFuncBarLayer->SetVisible(FHost.FuncBarShown());
}
