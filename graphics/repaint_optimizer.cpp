#include "graphics/repaint_optimizer.h"

#include <algorithm>

namespace {

// Areas near the ends of the integer range stay there instead of wrapping.
int32_t Saturated(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

void InflateArea(TRect& area, int32_t dx, int32_t dy)
{
    int64_t x = dx;
    int64_t y = dy;
    if (area.Right < area.Left)
        x = -x;
    if (area.Bottom < area.Top)
        y = -y;
    area.Left = Saturated(area.Left - x);
    area.Top = Saturated(area.Top - y);
    area.Right = Saturated(area.Right + x);
    area.Bottom = Saturated(area.Bottom + y);
}

TCustomRepaintOptimizer::TCustomRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects)
    : FInvalidRects(invalidRects), FBuffer(buffer)
{
}

TCustomRepaintOptimizer::~TCustomRepaintOptimizer()
{
    while (!FLayerCollections.empty())
        TCustomRepaintOptimizer::UnregisterLayerCollection(FLayerCollections.back());
}

void TCustomRepaintOptimizer::RegisterLayerCollection(TLayerCollection* layerCollection)
{
    if (layerCollection == nullptr ||
        std::find(FLayerCollections.begin(), FLayerCollections.end(), layerCollection) != FLayerCollections.end())
        return;
    FLayerCollections.push_back(layerCollection);
    HookListNotify(layerCollection);
}

void TCustomRepaintOptimizer::UnregisterLayerCollection(TLayerCollection* layerCollection)
{
    const auto it = std::find(FLayerCollections.begin(), FLayerCollections.end(), layerCollection);
    if (it == FLayerCollections.end())
        return;
    layerCollection->OnListNotify = nullptr;
    layerCollection->OnLayerUpdated = nullptr;
    layerCollection->OnAreaUpdated = nullptr;
    FLayerCollections.erase(it);
}

void TCustomRepaintOptimizer::HookListNotify(TLayerCollection* layerCollection)
{
    layerCollection->OnListNotify = [this](TLayerCollection* sender, TLayerListNotification action, TCustomLayer* layer,
                                        int32_t index) { LayerCollectionNotify(sender, action, layer, index); };
}
