#pragma once
// Layers: things painted over an image control's bitmap, in list order, each
// reporting its changes so that the control repaints, and each able to
// receive the mouse. A bitmap layer places a 32-bit bitmap of its own at a
// floating-point rectangle; the game screen is built from them.
//
// Ownership: a layer in a collection belongs to it. The collection frees its
// layers (top first) when it is cleared or destroyed; deleting a layer
// directly takes it out of its collection first.

#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/notifiable.h"
#include "graphics/rects.h"
#include "classlib/image_surface.h"

class TCanvas;
class TCustomLayer;
class TLayerCollection;

// Option bits of TCustomLayer::LayerOptions (bits 24 to 31 are reserved).
constexpr uint32_t LOB_VISIBLE = 0x80000000;
// Draws on the control's canvas after the buffer has been presented.
constexpr uint32_t LOB_GDI_OVERLAY = 0x40000000;
// Can be found under the mouse.
constexpr uint32_t LOB_MOUSE_EVENTS = 0x20000000;
// Changes are not reported.
constexpr uint32_t LOB_NO_UPDATE = 0x10000000;
// Found under the mouse, it does not become the mouse listener.
constexpr uint32_t LOB_NO_CAPTURE = 0x08000000;
// Queued for re-measuring by the repaint optimiser.
constexpr uint32_t LOB_INVALID = 0x04000000;
// Reported as updated even while hidden.
constexpr uint32_t LOB_FORCE_UPDATE = 0x02000000;
constexpr uint32_t LOB_RESERVED_MASK = 0xFF000000;

// Mouse buttons held on a layer.
constexpr uint8_t lsMouseLeft = 1 << 0;
constexpr uint8_t lsMouseRight = 1 << 1;
constexpr uint8_t lsMouseMiddle = 1 << 2;
using TLayerStates = uint8_t;

// What a layer list change was (TLayerCollection::OnListNotify).
enum TLayerListNotification : int32_t { lnLayerAdded = 0, lnLayerInserted = 1, lnLayerDeleted = 2, lnCleared = 3 };

using TLayerListNotifyEvent =
    std::function<void(TLayerCollection* sender, TLayerListNotification action, TCustomLayer* layer, int32_t index)>;
using TLayerUpdateEvent = std::function<void(TObject* sender, TCustomLayer* layer)>;
using THitTestEvent = std::function<void(TObject* sender, int32_t x, int32_t y, bool& passed)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
using TPaintLayerEvent = std::function<void(TObject* sender, TBitmap32& buffer)>;
// The owner's view of its layers: scale and shift of scaled layers.
using TViewportScaleHook = std::function<void(float& scaleX, float& scaleY)>;
using TViewportShiftHook = std::function<void(float& shiftX, float& shiftY)>;

class TLayerCollection : public TPersistent {
public:
    // `owner` is the image control that owns the collection, or none.
    explicit TLayerCollection(TPersistent* owner = nullptr);
    // Frees every layer from the top down without any notification.
    ~TLayerCollection() override;
    TLayerCollection(const TLayerCollection&) = delete;
    TLayerCollection& operator=(const TLayerCollection&) = delete;

    std::string ClassName() const override { return "TLayerCollection"; }
    TPersistent* GetOwner() const { return FOwner; }

    // A new layer of class T joined at the top; the collection owns it.
    template <class T>
    T* Add()
    {
        T* layer = new T(this);
        Added(layer);
        return layer;
    }

    // Appends `layer` (no longer in another collection) and reports it.
    void InsertItem(TCustomLayer* layer);
    // Takes `layer` out of the list when it is there and reports it; the
    // caller owns it from then on.
    void RemoveItem(TCustomLayer* layer);
    // Frees every layer, the top one first, then reports lnCleared.
    void Clear();
    // From another collection: its layers are replaced by copies of the
    // source's, each of the same class; any other source as TPersistent.
    void Assign(const TPersistent* source) override;

    int32_t Count() const { return int32_t(FItems.size()); }
    // Raises EListError for an index outside 0..Count - 1.
    TCustomLayer* Items(int32_t index) const;
    int32_t IndexOf(const TCustomLayer* layer) const;

    void BeginUpdate();
    // Changed after the outermost one. An unpaired call raises
    // EAssertionFailed "Unpaired EndUpdate" once the count is below 0.
    void EndUpdate();
    int32_t UpdateCount() const { return FUpdateCount; }
    // OnChange, whatever the update count.
    void Changed();
    void Changing();
    // OnGDIUpdate when not updating.
    void GDIUpdate();
    // OnLayerUpdated, then Changed.
    void LayerUpdated(TCustomLayer* layer);
    // OnAreaUpdated (a plain rectangle), then Changed.
    void AreaUpdated(const TRect& area);

    // The topmost layer whose options share a bit with `optionsMask` and
    // whose hit test passes at (x, y); nullptr when there is none.
    TCustomLayer* FindLayerAtPos(int32_t x, int32_t y, uint32_t optionsMask) const;

    // Mouse routing, in the owner's coordinates; each answers the layer it
    // dealt with, or nullptr.
    TCustomLayer* MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    TCustomLayer* MouseMove(TShiftState shift, int32_t x, int32_t y);
    TCustomLayer* MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // The layer receiving every mouse event (captured), or nullptr.
    TCustomLayer* MouseListener() const { return FMouseListener; }
    void SetMouseListener(TCustomLayer* layer);

    // Whether the owner routes the mouse to the layers.
    bool MouseEvents() const { return FMouseEvents; }
    void SetMouseEvents(bool value) { FMouseEvents = value; }

    // The owner's hooks; without them (1, 1) and (0, 0).
    virtual void GetViewportScale(float& scaleX, float& scaleY) const;
    virtual void GetViewportShift(float& shiftX, float& shiftY) const;
    TViewportScaleHook ViewportScaleHook;
    TViewportShiftHook ViewportShiftHook;

    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;
    TNotifyEvent OnGDIUpdate;
    TLayerListNotifyEvent OnListNotify;
    TLayerUpdateEvent OnLayerUpdated;
    TAreaChangedEvent OnAreaUpdated;

private:
    friend class TCustomLayer;

    void Added(TCustomLayer* layer);
    // Frees the top layer; it leaves the list in its destructor.
    void FreeTopLayer();
    void MoveItem(int32_t from, int32_t to);

    std::vector<TCustomLayer*> FItems;
    bool FMouseEvents = true;
    TCustomLayer* FMouseListener = nullptr;
    int32_t FUpdateCount = 0;
    TPersistent* FOwner;
};

class TCustomLayer : public TNotifiablePersistent {
public:
    // Joins `layerCollection` at the top when one is given; options visible.
    explicit TCustomLayer(TLayerCollection* layerCollection);
    // OnDestroy, then Notification to the layers that asked for it (last
    // first), then the layer leaves its collection.
    ~TCustomLayer() override;
    TCustomLayer(const TCustomLayer&) = delete;
    TCustomLayer& operator=(const TCustomLayer&) = delete;

    std::string ClassName() const override { return "TCustomLayer"; }

    // A new layer of this one's class in `layerCollection` (the virtual
    // constructor used when a collection copies another).
    virtual TCustomLayer* CreateSameClass(TLayerCollection* layerCollection) const;
    // From a layer: its options and cursor (subclasses add their state).
    void Assign(const TPersistent* source) override;

    // Reports the change (see the layer change rules); then OnChange.
    void Changed() override;
    // As Changed, with the collection's AreaUpdated(area) in place of
    // LayerUpdated.
    void Changed(const TRect& area);
    // Tells the collection a change is coming.
    void Changing();

    int32_t Index() const;
    // Moves the layer to `value`, clamped to the list; a visible layer's
    // move is reported, a hidden one's is silent.
    void SetIndex(int32_t value) { DoSetIndex(value); }
    TLayerCollection* LayerCollection() const { return FLayerCollection; }
    void SetLayerCollection(TLayerCollection* value) { DoSetLayerCollection(value); }
    uint32_t LayerOptions() const { return FLayerOptions; }
    void SetLayerOptions(uint32_t value) { DoSetLayerOptions(value); }
    TLayerStates LayerStates() const { return FLayerStates; }
    bool Visible() const { return (FLayerOptions & LOB_VISIBLE) != 0; }
    // Hiding forces one more report, so the layer leaving sight repaints.
    void SetVisible(bool value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value) { DoSetCursor(value); }
    // The repaint optimiser's re-measuring mark.
    bool Invalid() const { return (FLayerOptions & LOB_INVALID) != 0; }
    void SetInvalid(bool value);

    // DoHitTest, then OnHitTest may change the answer.
    bool HitTest(int32_t x, int32_t y);
    // Paint, then OnPaint.
    void PaintLayer(TBitmap32& buffer);

    // Layers told (Notification) when this one is destroyed. A layer so
    // told that is destroyed first leaves the list by itself.
    void AddNotification(TCustomLayer* layer);
    void RemoveNotification(TCustomLayer* layer);

    THitTestEvent OnHitTest;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TPaintLayerEvent OnPaint;
    TNotifyEvent OnDestroy;

protected:
    friend class TLayerCollection;
    friend class TCustomImage32;

    virtual bool DoHitTest(int32_t x, int32_t y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // `layer`, on this layer's notify list, is being destroyed.
    virtual void Notification(TCustomLayer* layer);
    virtual void Paint(TBitmap32& buffer);
    virtual void PaintGDI(TCanvas& canvas);
    virtual void DoSetIndex(int32_t value);
    virtual void DoSetCursor(TCursor value);
    virtual void DoSetLayerCollection(TLayerCollection* value);
    virtual void DoSetLayerOptions(uint32_t value);
    // Fires OnDestroy once; the most derived destructor calls it first, so
    // the handler sees the whole layer.
    void NotifyDestroying();

    uint32_t FLayerOptions = LOB_VISIBLE;

private:
    TCursor FCursor = crDefault;
    std::vector<TCustomLayer*> FFreeNotifies;
    // Layers whose notify lists hold this one.
    std::vector<TCustomLayer*> FNotifiedBy;
    TLayerCollection* FLayerCollection = nullptr;
    TLayerStates FLayerStates = 0;
};

class TPositionedLayer : public TCustomLayer {
public:
    // At (0, 0, 64, 64), visible and taking mouse events, unscaled.
    explicit TPositionedLayer(TLayerCollection* layerCollection);

    std::string ClassName() const override { return "TPositionedLayer"; }
    TCustomLayer* CreateSameClass(TLayerCollection* layerCollection) const override;
    void Assign(const TPersistent* source) override;

    // The adjusted location (in the owner's pixels).
    TFloatRect Location() const { return GetAdjustedRect(FLocation); }
    // Changing, DoSetLocation, Changed.
    void SetLocation(const TFloatRect& value);
    // The location as stored, before the viewport adjustment.
    const TFloatRect& StoredLocation() const { return FLocation; }
    // Whether the location follows the owner's viewport scale and shift.
    bool Scaled() const { return FScaled; }
    void SetScaled(bool value);

    // The rectangle mapped through the viewport when scaled.
    virtual TFloatRect GetAdjustedRect(const TFloatRect& r) const;

protected:
    bool DoHitTest(int32_t x, int32_t y) override;
    virtual void DoSetLocation(const TFloatRect& newLocation);

    TFloatRect FLocation{0, 0, 64, 64};
    bool FScaled = false;
};

class TBitmapLayer : public TPositionedLayer {
public:
    // A 0 x 0 bitmap of its own whose drawing is reported as layer changes.
    explicit TBitmapLayer(TLayerCollection* layerCollection);
    ~TBitmapLayer() override;

    std::string ClassName() const override { return "TBitmapLayer"; }
    TCustomLayer* CreateSameClass(TLayerCollection* layerCollection) const override;
    void Assign(const TPersistent* source) override;

    TBitmap32& Bitmap() const { return *FBitmap; }
    // Assigns a copy (pixels and drawing properties).
    void SetBitmap(const TBitmap32& value);
    // Hit only where the bitmap's pixel under the point is not transparent.
    bool AlphaHit() const { return FAlphaHit; }
    void SetAlphaHit(bool value) { FAlphaHit = value; }
    // Painted only inside the owner image's bitmap rectangle.
    bool Cropped() const { return FCropped; }
    void SetCropped(bool value);

protected:
    bool DoHitTest(int32_t x, int32_t y) override;
    void Paint(TBitmap32& buffer) override;

private:
    // The bitmap's area report, mapped to the owner's pixels.
    void BitmapAreaChanged(const TRect& area, uint32_t info);

    std::unique_ptr<TBitmap32> FBitmap;
    bool FAlphaHit = false;
    bool FCropped = false;
};
