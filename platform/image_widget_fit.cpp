#include "platform/image_widget_fit.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t Black = 0xFF000000;

int32_t Scaled(int32_t offset, int32_t source, int32_t shown)
{
    return int32_t(int64_t(offset) * source / shown);
}

} // namespace

bool TFitPlacement::ToLogical(int32_t x, int32_t y, int32_t& lx, int32_t& ly) const
{
    if (Empty() || x < Left || y < Top || int64_t(x) >= int64_t(Left) + Width || int64_t(y) >= int64_t(Top) + Height)
        return false;
    lx = Scaled(x - Left, SourceWidth, Width);
    ly = Scaled(y - Top, SourceHeight, Height);
    return true;
}

void TFitPlacement::ToLogicalClamped(int32_t x, int32_t y, int32_t& lx, int32_t& ly) const
{
    if (Empty()) {
        lx = ly = 0;
        return;
    }
    const int64_t cx = std::clamp<int64_t>(x, Left, int64_t(Left) + Width - 1);
    const int64_t cy = std::clamp<int64_t>(y, Top, int64_t(Top) + Height - 1);
    ToLogical(int32_t(cx), int32_t(cy), lx, ly);
}

TFitPlacement FitPlacement(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth, int32_t targetHeight)
{
    TFitPlacement fit;
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return fit;
    fit.SourceWidth = sourceWidth;
    fit.SourceHeight = sourceHeight;
    // Whichever side meets the target first bounds the scale; the other is
    // rounded down so the picture never spills over the edge.
    if (int64_t(targetWidth) * sourceHeight <= int64_t(targetHeight) * sourceWidth) {
        fit.Width = targetWidth;
        fit.Height = int32_t(std::max<int64_t>(int64_t(targetWidth) * sourceHeight / sourceWidth, 1));
    } else {
        fit.Height = targetHeight;
        fit.Width = int32_t(std::max<int64_t>(int64_t(targetHeight) * sourceWidth / sourceHeight, 1));
    }
    fit.Left = (targetWidth - fit.Width) / 2;
    fit.Top = (targetHeight - fit.Height) / 2;
    return fit;
}

void TFitScaler::Present(const TSurfacePixels& source, const TFitPlacement& fit, uint32_t* target, int32_t targetWidth,
    int32_t targetHeight, int32_t targetStride)
{
    if (target == nullptr || targetWidth <= 0 || targetHeight <= 0)
        return;
    const bool shown = source.Bits != nullptr && !fit.Empty() && fit.SourceWidth <= source.Width &&
                       fit.SourceHeight <= source.Height && int64_t(fit.Left) + fit.Width <= targetWidth &&
                       int64_t(fit.Top) + fit.Height <= targetHeight && fit.Left >= 0 && fit.Top >= 0;
    if (!shown) {
        for (int32_t y = 0; y < targetHeight; ++y)
            std::fill_n(target + int64_t(y) * targetStride, targetWidth, Black);
        return;
    }
    if (FColumns.size() != size_t(fit.Width) || FColumnsFor.SourceWidth != fit.SourceWidth ||
        FColumnsFor.Width != fit.Width) {
        FColumns.resize(size_t(fit.Width));
        for (int32_t i = 0; i < fit.Width; ++i)
            FColumns[size_t(i)] = Scaled(i, fit.SourceWidth, fit.Width);
        FColumnsFor = fit;
    }
    const int32_t* columns = FColumns.data();
    const int32_t right = targetWidth - fit.Left - fit.Width;

    for (int32_t y = 0; y < fit.Top; ++y)
        std::fill_n(target + int64_t(y) * targetStride, targetWidth, Black);
    int32_t previous = -1;
    for (int32_t j = 0; j < fit.Height; ++j) {
        uint32_t* row = target + int64_t(fit.Top + j) * targetStride;
        const int32_t sy = Scaled(j, fit.SourceHeight, fit.Height);
        if (sy == previous) {
            std::memcpy(row, row - targetStride, size_t(targetWidth) * sizeof(uint32_t));
            continue;
        }
        previous = sy;
        std::fill_n(row, fit.Left, Black);
        // The top byte is alpha in the control's buffer and means nothing on
        // screen; the frame is handed on as opaque.
        const uint32_t* s = source.Bits + int64_t(sy) * source.Stride;
        uint32_t* d = row + fit.Left;
        for (int32_t i = 0; i < fit.Width; ++i)
            d[i] = s[columns[i]] | Black;
        std::fill_n(d + fit.Width, right, Black);
    }
    for (int32_t y = fit.Top + fit.Height; y < targetHeight; ++y)
        std::fill_n(target + int64_t(y) * targetStride, targetWidth, Black);
}
