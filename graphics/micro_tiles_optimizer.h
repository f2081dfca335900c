#pragma once
// The micro-tiles repaint optimiser: changed areas and the before-and-after
// footprints of changed layers are gathered in micro tiles, which become the
// invalid rectangles of the next repaint. It times its own repaints and,
// when optimised repaints grow slower than full ones, coarsens its tiles in
// up to two steps (whole tiles, then giving up for a full repaint).

#include <cstdint>
#include <vector>

#include "graphics/micro_tiles.h"
#include "graphics/perf_timer.h"
#include "graphics/repaint_optimizer.h"

class TMicroTilesRepaintOptimizer : public TCustomRepaintOptimizer {
public:
    TMicroTilesRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects);
    ~TMicroTilesRepaintOptimizer() override;

    std::string ClassName() const override { return "TMicroTilesRepaintOptimizer"; }

    void SetEnabled(bool value) override;
    void RegisterLayerCollection(TLayerCollection* layerCollection) override;
    void UnregisterLayerCollection(TLayerCollection* layerCollection) override;

    void Reset() override;
    bool UpdatesAvailable() override;
    void PerformOptimization() override;
    void AreaUpdated(TObject* sender, const TRect& area, uint32_t info) override;
    void LayerUpdated(TObject* sender, TCustomLayer* layer) override;
    void BufferResized(int32_t newWidth, int32_t newHeight) override;
    void BeginPaintBuffer() override;
    void EndPaintBuffer() override;

    // Whether the optimiser coarsens itself when repaints grow slow.
    bool AdaptiveMode() const { return FAdaptiveMode; }
    void SetAdaptiveMode(bool value);
    // 0 exact tiles, 1 whole tiles, 2 whole tiles and full repaints when the
    // rectangles do not shrink.
    int32_t PerformanceLevel() const { return FPerformanceLevel; }

    // What the optimiser holds, for whoever must look inside.
    const TMicroTiles* LayerTiles(const TCustomLayer* layer) const { return FOldInvalidTilesMap.Find(layer); }
    const TMicroTiles& ForcedInvalidTiles() const { return FForcedInvalidTiles; }
    const TMicroTiles& InvalidTiles() const { return FInvalidTiles; }
    int32_t InvalidLayerCount() const { return int32_t(FInvalidLayers.size()); }

protected:
    void LayerCollectionNotify(
        TLayerCollection* sender, TLayerListNotification action, TCustomLayer* layer, int32_t index) override;

    // The clocks of the adaptive mode: milliseconds, and microseconds since
    // the buffer paint began; tests replace them.
    virtual uint32_t TickCount() const;
    virtual int64_t ElapsedPaintTime();

private:
    void HookCollection(TLayerCollection* layerCollection);
    void UnhookCollection(TLayerCollection* layerCollection);
    void ValidateWorkingTiles();
    void UpdateOldInvalidTiles();
    // Paints `layer` in the buffer's measuring mode into `tiles`.
    void MeasureLayer(TCustomLayer* layer, TMicroTiles& tiles);
    void DrawMeasuringHandler(TObject* sender, const TRect& area, uint32_t info);
    void AddArea(TMicroTiles& tiles, const TRect& area, uint32_t info);
    void ResetAdaptiveMode();
    void BeginAdaption();
    void EndAdaption();
    void AdaptiveOptimization();

    TRect FBufferBounds;
    TMicroTiles FInvalidTiles;
    TMicroTiles FTempTiles;
    TMicroTiles FForcedInvalidTiles;
    TMicroTilesMap FOldInvalidTilesMap;
    std::vector<TCustomLayer*> FInvalidLayers;
    TMicroTiles* FWorkMicroTiles = nullptr;
    bool FUseInvalidTiles = false;
    bool FWorkingTilesValid = false;
    bool FOldInvalidTilesValid = false;

    TPerfTimer FPerfTimer;
    bool FAdaptiveMode = true;
    int32_t FPerformanceLevel = 0;
    int32_t FTimeDelta = 1000;
    uint32_t FNextCheck = 0;
    bool FTimedCheck = false;
    bool FAdaptionFailed = false;
    int64_t FElapsedTimeForFullSceneRepaint = 0;
    int64_t FElapsedTimeForLastRepaint = 0;
    int64_t FElapsedTimeOnLastPenalty = 0;
    int32_t FOldInvalidRectsCount = 0;
};
