#pragma once
// The repaint optimiser a paint box owns: it follows the layers of the image
// and the areas they report, and, when enabled, works out which parts of
// the back buffer a repaint must cover. Disabled it still follows the
// layers, so that enabling it later starts from what is on screen.

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/containers.h"
#include "graphics/layers.h"

// Grows `area` by dx left and right and dy top and bottom; an inverted
// rectangle (Right < Left or Bottom < Top) grows outwards too.
void InflateArea(TRect& area, int32_t dx, int32_t dy);

class TCustomRepaintOptimizer : public TObject {
public:
    // `buffer` and `invalidRects` belong to the paint box and outlive this.
    TCustomRepaintOptimizer(TBitmap32& buffer, TRectList& invalidRects);
    // Lets go of every collection still registered.
    ~TCustomRepaintOptimizer() override;
    TCustomRepaintOptimizer(const TCustomRepaintOptimizer&) = delete;
    TCustomRepaintOptimizer& operator=(const TCustomRepaintOptimizer&) = delete;

    std::string ClassName() const override { return "TCustomRepaintOptimizer"; }

    virtual bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool value) { FEnabled = value; }

    // Follows the collection's list changes (enabled or not) from now on; a
    // collection registered twice counts once.
    virtual void RegisterLayerCollection(TLayerCollection* layerCollection);
    // Lets go of the collection's notifications.
    virtual void UnregisterLayerCollection(TLayerCollection* layerCollection);
    const std::vector<TLayerCollection*>& LayerCollections() const { return FLayerCollections; }

    virtual void BeginPaint() {}
    virtual void EndPaint() {}
    virtual void BeginPaintBuffer() {}
    virtual void EndPaintBuffer() {}

    // Everything is measured afresh and the next repaint covers all.
    virtual void Reset() = 0;
    // Whether anything waits to be repainted.
    virtual bool UpdatesAvailable() = 0;
    // Appends the rectangles to repaint to the invalid-rectangle list.
    virtual void PerformOptimization() = 0;
    // An area changed (a layer collection's report, or the image's bitmap).
    virtual void AreaUpdated(TObject* sender, const TRect& area, uint32_t info) = 0;
    // A layer changed somewhere within what it paints.
    virtual void LayerUpdated(TObject* sender, TCustomLayer* layer) = 0;
    virtual void BufferResized(int32_t newWidth, int32_t newHeight) = 0;

protected:
    virtual void LayerCollectionNotify(
        TLayerCollection* sender, TLayerListNotification action, TCustomLayer* layer, int32_t index) = 0;
    // Points the collection's list notification at LayerCollectionNotify.
    void HookListNotify(TLayerCollection* layerCollection);

    bool FEnabled = false;
    std::vector<TLayerCollection*> FLayerCollections;
    TRectList& FInvalidRects;
    TBitmap32& FBuffer;
};

// The class a paint box creates its optimiser from.
using TCustomRepaintOptimizerClass = std::unique_ptr<TCustomRepaintOptimizer> (*)(
    TBitmap32& buffer, TRectList& invalidRects);
// The micro-tiles optimiser unless replaced.
extern TCustomRepaintOptimizerClass DefaultRepaintOptimizerClass;
