#include "graphics/micro_tiles_optimizer.h"

#include "base/scope_exit.h"

#include <algorithm>

namespace {

constexpr int32_t MinTimeDelta = 1000;
constexpr int32_t MaxTimeDelta = 5000;
constexpr int32_t MaxPerformanceLevel = 2;
// How much fewer rectangles than at the last level change let the level
// drop again.
constexpr int32_t RectCountSlack = 10;

std::unique_ptr<TCustomRepaintOptimizer> CreateMicroTilesRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects)
{
    return std::make_unique<TMicroTilesRepaintOptimizer>(buffer, invalidRects);
}

// Whether `now` lies after `deadline` on the wrapping millisecond clock.
bool TimePassed(uint32_t now, uint32_t deadline)
{
    return int32_t(now - deadline) > 0;
}

} // namespace

TCustomRepaintOptimizerClass DefaultRepaintOptimizerClass = CreateMicroTilesRepaintOptimizer;

TMicroTilesRepaintOptimizer::TMicroTilesRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects)
    : TCustomRepaintOptimizer(buffer, invalidRects)
{
    MicroTilesCreate(FInvalidTiles);
    MicroTilesCreate(FTempTiles);
    MicroTilesCreate(FForcedInvalidTiles);
}

TMicroTilesRepaintOptimizer::~TMicroTilesRepaintOptimizer()
{
    // The collections must not call into this object once it is gone.
    while (!FLayerCollections.empty())
        UnregisterLayerCollection(FLayerCollections.back());
}

uint32_t TMicroTilesRepaintOptimizer::TickCount() const
{
    return GetTickCount();
}

int64_t TMicroTilesRepaintOptimizer::ElapsedPaintTime()
{
    return FPerfTimer.ReadValue();
}

void TMicroTilesRepaintOptimizer::HookCollection(TLayerCollection* layerCollection)
{
    HookListNotify(layerCollection);
    layerCollection->OnLayerUpdated = [this](TObject* sender, TCustomLayer* layer) { LayerUpdated(sender, layer); };
    layerCollection->OnAreaUpdated = [this](TObject* sender, const TRect& area, uint32_t info) {
        AreaUpdated(sender, area, info);
    };
}

void TMicroTilesRepaintOptimizer::UnhookCollection(TLayerCollection* layerCollection)
{
    layerCollection->OnListNotify = nullptr;
    layerCollection->OnLayerUpdated = nullptr;
    layerCollection->OnAreaUpdated = nullptr;
}

void TMicroTilesRepaintOptimizer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (value) {
        for (TLayerCollection* collection : FLayerCollections)
            HookCollection(collection);
        BufferResized(FBuffer.Width(), FBuffer.Height());
        return;
    }
    for (TLayerCollection* collection : FLayerCollections)
        UnhookCollection(collection);
    MicroTilesDestroy(FInvalidTiles);
    MicroTilesDestroy(FTempTiles);
    MicroTilesDestroy(FForcedInvalidTiles);
    FWorkingTilesValid = false;
    FUseInvalidTiles = false;
    FOldInvalidTilesValid = false;
    FOldInvalidTilesMap.Clear();
    for (TCustomLayer* layer : FInvalidLayers)
        layer->SetInvalid(false);
    FInvalidLayers.clear();
}

void TMicroTilesRepaintOptimizer::RegisterLayerCollection(TLayerCollection* layerCollection)
{
    TCustomRepaintOptimizer::RegisterLayerCollection(layerCollection);
    if (FEnabled && layerCollection != nullptr)
        HookCollection(layerCollection);
}

void TMicroTilesRepaintOptimizer::UnregisterLayerCollection(TLayerCollection* layerCollection)
{
    if (std::find(FLayerCollections.begin(), FLayerCollections.end(), layerCollection) == FLayerCollections.end())
        return;
    // Its layers are no longer followed: nothing here may point at them.
    for (int32_t i = 0; i < layerCollection->Count(); ++i) {
        TCustomLayer* layer = layerCollection->Items(i);
        if (std::find(FInvalidLayers.begin(), FInvalidLayers.end(), layer) != FInvalidLayers.end()) {
            layer->SetInvalid(false);
            std::erase(FInvalidLayers, layer);
        }
        FOldInvalidTilesMap.Remove(layer);
    }
    TCustomRepaintOptimizer::UnregisterLayerCollection(layerCollection);
}

void TMicroTilesRepaintOptimizer::LayerCollectionNotify(
    TLayerCollection*, TLayerListNotification action, TCustomLayer* layer, int32_t)
{
    switch (action) {
    case lnLayerAdded:
    case lnLayerInserted:
        MicroTilesSetSize(FOldInvalidTilesMap.Add(layer), FBufferBounds);
        FOldInvalidTilesValid = true;
        // A new layer shows at once, not only after its first change.
        if (FEnabled)
            LayerUpdated(nullptr, layer);
        break;
    case lnLayerDeleted:
        if (FOldInvalidTilesValid && FEnabled) {
            if (const TMicroTiles* tiles = FOldInvalidTilesMap.Find(layer)) {
                ValidateWorkingTiles();
                MicroTilesUnion(FInvalidTiles, *tiles, FPerformanceLevel > 0);
                FUseInvalidTiles = true;
            }
        }
        std::erase(FInvalidLayers, layer);
        FOldInvalidTilesMap.Remove(layer);
        break;
    case lnCleared:
        if (FOldInvalidTilesValid && FEnabled) {
            ValidateWorkingTiles();
            TPointerMapIterator it(FOldInvalidTilesMap);
            while (it.Next())
                MicroTilesUnion(FInvalidTiles, *static_cast<const TMicroTiles*>(it.Data()), FPerformanceLevel > 0);
            FUseInvalidTiles = true;
            ResetAdaptiveMode();
        }
        FOldInvalidTilesMap.Clear();
        FInvalidLayers.clear();
        FOldInvalidTilesValid = true;
        break;
    }
}

void TMicroTilesRepaintOptimizer::ValidateWorkingTiles()
{
    if (FWorkingTilesValid)
        return;
    MicroTilesSetSize(FTempTiles, FBufferBounds);
    MicroTilesSetSize(FInvalidTiles, FBufferBounds);
    MicroTilesSetSize(FForcedInvalidTiles, FBufferBounds);
    FWorkingTilesValid = true;
}

void TMicroTilesRepaintOptimizer::AddArea(TMicroTiles& tiles, const TRect& area, uint32_t info)
{
    const bool round = FPerformanceLevel > 0;
    if ((info & AREAINFO_LINE) != 0) {
        const int32_t width = int32_t(info & 0x00FFFFFF);
        TRect r = area;
        InflateArea(r, width, width);
        MicroTilesAddLine(tiles, r.Left, r.Top, r.Right, r.Bottom, width, round);
    } else {
        MicroTilesAddRect(tiles, area, round);
    }
}

void TMicroTilesRepaintOptimizer::AreaUpdated(TObject*, const TRect& area, uint32_t info)
{
    ValidateWorkingTiles();
    AddArea(FForcedInvalidTiles, area, info);
    FUseInvalidTiles = true;
}

void TMicroTilesRepaintOptimizer::LayerUpdated(TObject*, TCustomLayer* layer)
{
    if (!FOldInvalidTilesValid || layer == nullptr || layer->Invalid())
        return;
    // A layer queued while it was being built may have lost its mark.
    if (std::find(FInvalidLayers.begin(), FInvalidLayers.end(), layer) != FInvalidLayers.end()) {
        layer->SetInvalid(true);
        return;
    }
    FInvalidLayers.push_back(layer);
    layer->SetInvalid(true);
    FUseInvalidTiles = true;
}

void TMicroTilesRepaintOptimizer::BufferResized(int32_t newWidth, int32_t newHeight)
{
    FBufferBounds = TRect{0, 0, newWidth, newHeight};
    Reset();
}

void TMicroTilesRepaintOptimizer::DrawMeasuringHandler(TObject*, const TRect& area, uint32_t info)
{
    if (FWorkMicroTiles == nullptr)
        return;
    if ((info & AREAINFO_LINE) != 0) {
        const int32_t width = int32_t(info & 0x00FFFFFF);
        TRect r = area;
        InflateArea(r, width, width);
        MicroTilesAddLine(*FWorkMicroTiles, r.Left, r.Top, r.Right, r.Bottom, width);
    } else {
        MicroTilesAddRect(*FWorkMicroTiles, area);
    }
}

void TMicroTilesRepaintOptimizer::MeasureLayer(TCustomLayer* layer, TMicroTiles& tiles)
{
    FWorkMicroTiles = &tiles;
    FBuffer.BeginMeasuring(
        [this](TObject* sender, const TRect& area, uint32_t info) { DrawMeasuringHandler(sender, area, info); });
    const TScopeExit done([this] {
        FBuffer.EndMeasuring();
        FWorkMicroTiles = nullptr;
    });
    layer->PaintLayer(FBuffer);
}

void TMicroTilesRepaintOptimizer::UpdateOldInvalidTiles()
{
    ValidateWorkingTiles();
    for (TLayerCollection* collection : FLayerCollections) {
        for (int32_t i = 0; i < collection->Count(); ++i) {
            TCustomLayer* layer = collection->Items(i);
            TMicroTiles& tiles = FOldInvalidTilesMap.Add(layer);
            MicroTilesSetSize(tiles, FBufferBounds);
            MeasureLayer(layer, tiles);
            layer->SetInvalid(false);
        }
    }
    FInvalidLayers.clear();
    FOldInvalidTilesValid = true;
    FUseInvalidTiles = false;
}

void TMicroTilesRepaintOptimizer::Reset()
{
    FWorkingTilesValid = false;
    FOldInvalidTilesValid = false;
    UpdateOldInvalidTiles();
    // Disabled, the working tiles may have been freed since; the rebuild
    // above sized them again, so the fill below always has tiles to fill.
    if (!FForcedInvalidTiles.HasTiles())
        MicroTilesSetSize(FForcedInvalidTiles, FBufferBounds);
    MicroTilesClear(FForcedInvalidTiles, MICROTILE_FULL);
    FForcedInvalidTiles.BoundsUsedTiles = TRect{0, 0, FForcedInvalidTiles.Columns - 1, FForcedInvalidTiles.Rows - 1};
    FUseInvalidTiles = true;
}

bool TMicroTilesRepaintOptimizer::UpdatesAvailable()
{
    if (!FOldInvalidTilesValid)
        UpdateOldInvalidTiles();
    return FUseInvalidTiles;
}

void TMicroTilesRepaintOptimizer::PerformOptimization()
{
    if (FUseInvalidTiles) {
        ValidateWorkingTiles();
        const bool round = FPerformanceLevel > 0;
        for (TCustomLayer* layer : FInvalidLayers) {
            MicroTilesClear(FTempTiles);
            MeasureLayer(layer, FTempTiles);
            TMicroTiles& old = FOldInvalidTilesMap.Add(layer);
            if (!old.HasTiles())
                MicroTilesSetSize(old, FBufferBounds);
            MicroTilesUnion(FInvalidTiles, FTempTiles, round);
            MicroTilesUnion(FInvalidTiles, old, round);
            MicroTilesCopy(old, FTempTiles);
            layer->SetInvalid(false);
        }
        FInvalidLayers.clear();
        MicroTilesCalcRects(FInvalidTiles, FInvalidRects);
        MicroTilesCalcRects(FForcedInvalidTiles, FInvalidRects);
    }
    AdaptiveOptimization();
    MicroTilesClearUsed(FInvalidTiles);
    MicroTilesClearUsed(FForcedInvalidTiles);
}

void TMicroTilesRepaintOptimizer::BeginPaintBuffer()
{
    if (FAdaptiveMode)
        BeginAdaption();
}

void TMicroTilesRepaintOptimizer::EndPaintBuffer()
{
    FUseInvalidTiles = false;
    if (FAdaptiveMode)
        EndAdaption();
}

void TMicroTilesRepaintOptimizer::SetAdaptiveMode(bool value)
{
    if (value == FAdaptiveMode)
        return;
    FAdaptiveMode = value;
    ResetAdaptiveMode();
}

void TMicroTilesRepaintOptimizer::ResetAdaptiveMode()
{
    FTimeDelta = MinTimeDelta;
    FAdaptionFailed = false;
    FPerformanceLevel = 0;
}

void TMicroTilesRepaintOptimizer::BeginAdaption()
{
    FPerfTimer.Start();
}

void TMicroTilesRepaintOptimizer::EndAdaption()
{
    const int64_t elapsed = ElapsedPaintTime();
    const uint32_t now = TickCount();
    if (FInvalidRects.Count() == 0) {
        FElapsedTimeForFullSceneRepaint = elapsed;
    } else if (FAdaptiveMode) {
        if (elapsed > FElapsedTimeForFullSceneRepaint) {
            const int32_t level = std::min(FPerformanceLevel + 1, MaxPerformanceLevel);
            if (level != FPerformanceLevel) {
                FPerformanceLevel = level;
                FOldInvalidRectsCount = FInvalidRects.Count();
                if (FTimedCheck) {
                    FTimeDelta = std::clamp(FTimeDelta + 250, MinTimeDelta, MaxTimeDelta);
                    FNextCheck = now + uint32_t(FTimeDelta);
                    FElapsedTimeOnLastPenalty = elapsed;
                    FTimedCheck = false;
                }
                FAdaptionFailed = true;
            }
        } else if (elapsed < FElapsedTimeForFullSceneRepaint) {
            if (FTimedCheck) {
                FTimeDelta = MinTimeDelta;
                FNextCheck = now + uint32_t(FTimeDelta);
                FTimedCheck = false;
            } else if (FTimeDelta > MinTimeDelta) {
                FTimeDelta = std::clamp(FTimeDelta - 1000, MinTimeDelta, MaxTimeDelta);
                FNextCheck = now + uint32_t(FTimeDelta);
            }
            FAdaptionFailed = false;
        } else if (elapsed < FElapsedTimeOnLastPenalty && FTimedCheck) {
            FTimeDelta = std::clamp(FTimeDelta - 250, MinTimeDelta, MaxTimeDelta);
            FTimedCheck = false;
        }
    }
    FElapsedTimeForLastRepaint = elapsed;
}

void TMicroTilesRepaintOptimizer::AdaptiveOptimization()
{
    if (!FAdaptiveMode || FPerformanceLevel <= 0)
        return;
    if (TimePassed(TickCount(), FNextCheck)) {
        --FPerformanceLevel;
        FTimedCheck = true;
    } else if (!FAdaptionFailed && FInvalidRects.Count() < FOldInvalidRectsCount - RectCountSlack) {
        --FPerformanceLevel;
    } else if (FPerformanceLevel == MaxPerformanceLevel) {
        FInvalidRects.Clear();
    }
}
