#include "graphics/repaint_optimizer.h"

#include <algorithm>

void InflateArea(TRect& area, int32_t dx, int32_t dy)
{
    if (area.Right < area.Left)
        dx = -dx;
    if (area.Bottom < area.Top)
        dy = -dy;
    area.Left -= dx;
    area.Top -= dy;
    area.Right += dx;
    area.Bottom += dy;
}

TCustomRepaintOptimizer::TCustomRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects)
    : FInvalidRects(invalidRects)
    , FBuffer(buffer)
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
    layerCollection->OnListNotify = [this](TLayerCollection* sender, TLayerListNotification action,
                                           TCustomLayer* layer,
                                           int32_t index) { LayerCollectionNotify(sender, action, layer, index); };
}
