#include "graphics/layers.h"

#include <algorithm>

#include "base/scope_exit.h"
#include "graphics/image32.h"
#include "graphics/repaint_optimizer.h"
#include "graphics/resamplers.h"
#include "graphics/transfer.h"

namespace {

TLayerStates StateOfButton(TMouseButton button)
{
    return TLayerStates(1u << uint8_t(button));
}

// Float edges far outside any bitmap still give a usable rectangle.
int32_t ClampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Begins an update of the collection and ends it with the caller's scope,
// so that the update count stays paired even when a step throws.
auto UpdateScope(TLayerCollection& collection)
{
    collection.BeginUpdate();
    return TScopeExit([&collection] { collection.EndUpdate(); });
}

} // namespace

// ---------------------------------------------------------------------------
// TLayerCollection

TLayerCollection::TLayerCollection(TPersistent* owner) : FOwner(owner)
{
}

TLayerCollection::~TLayerCollection()
{
    // Nobody hears about layers leaving a collection that is going away.
    OnChanging = nullptr;
    OnChange = nullptr;
    OnGDIUpdate = nullptr;
    OnListNotify = nullptr;
    OnLayerUpdated = nullptr;
    OnAreaUpdated = nullptr;
    FUpdateCount = 1;
    while (!FItems.empty())
        FreeTopLayer();
}

void TLayerCollection::Added(TCustomLayer* layer)
{
    layer->SetIndex(Count() - 1);
    if (OnListNotify)
        OnListNotify(this, lnLayerAdded, layer, layer->Index());
}

void TLayerCollection::FreeTopLayer()
{
    TCustomLayer* top = FItems.back();
    delete top;
    // A layer always leaves in its destructor; this only guards the loop.
    if (!FItems.empty() && FItems.back() == top)
        FItems.pop_back();
}

void TLayerCollection::InsertItem(TCustomLayer* layer)
{
    const auto scope = UpdateScope(*this);
    FItems.push_back(layer);
    layer->FLayerCollection = this;
    if (OnListNotify)
        OnListNotify(this, lnLayerAdded, layer, Count() - 1);
}

void TLayerCollection::RemoveItem(TCustomLayer* layer)
{
    const auto scope = UpdateScope(*this);
    const int32_t index = IndexOf(layer);
    if (index < 0)
        return;
    FItems.erase(FItems.begin() + index);
    layer->FLayerCollection = nullptr;
    if (OnListNotify)
        OnListNotify(this, lnLayerDeleted, layer, index);
}

void TLayerCollection::Clear()
{
    const auto scope = UpdateScope(*this);
    while (!FItems.empty())
        FreeTopLayer();
    if (OnListNotify)
        OnListNotify(this, lnCleared, nullptr, 0);
}

void TLayerCollection::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TLayerCollection*>(source);
    if (src == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this)
        return;
    const auto scope = UpdateScope(*this);
    while (!FItems.empty())
        FreeTopLayer();
    for (TCustomLayer* srcLayer : src->FItems) {
        TCustomLayer* layer = srcLayer->CreateSameClass(this);
        Added(layer);
        layer->Assign(srcLayer);
    }
}

TCustomLayer* TLayerCollection::Items(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[size_t(index)];
}

int32_t TLayerCollection::IndexOf(const TCustomLayer* layer) const
{
    const auto it = std::find(FItems.begin(), FItems.end(), layer);
    return it == FItems.end() ? -1 : int32_t(it - FItems.begin());
}

void TLayerCollection::MoveItem(int32_t from, int32_t to)
{
    TCustomLayer* layer = FItems[size_t(from)];
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, layer);
}

void TLayerCollection::BeginUpdate()
{
    if (FUpdateCount == 0)
        Changing();
    ++FUpdateCount;
}

void TLayerCollection::EndUpdate()
{
    --FUpdateCount;
    if (FUpdateCount == 0)
        Changed();
    if (FUpdateCount < 0) {
        // The count is put right again, so one unpaired call does not make
        // every later pair fail as well.
        FUpdateCount = 0;
        throw EAssertionFailed("Unpaired EndUpdate");
    }
}

void TLayerCollection::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TLayerCollection::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TLayerCollection::GDIUpdate()
{
    if (FUpdateCount == 0 && OnGDIUpdate)
        OnGDIUpdate(this);
}

void TLayerCollection::LayerUpdated(TCustomLayer* layer)
{
    if (OnLayerUpdated)
        OnLayerUpdated(this, layer);
    Changed();
}

void TLayerCollection::AreaUpdated(const TRect& area)
{
    if (OnAreaUpdated)
        OnAreaUpdated(this, area, AREAINFO_RECT);
    Changed();
}

TCustomLayer* TLayerCollection::FindLayerAtPos(int32_t x, int32_t y, uint32_t optionsMask) const
{
    for (int32_t i = Count() - 1; i >= 0; --i) {
        TCustomLayer* layer = FItems[size_t(i)];
        if ((layer->FLayerOptions & optionsMask) != 0 && layer->HitTest(x, y))
            return layer;
    }
    return nullptr;
}

TCustomLayer* TLayerCollection::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomLayer* target = FMouseListener != nullptr ? FMouseListener : FindLayerAtPos(x, y, LOB_MOUSE_EVENTS);
    if (target != FMouseListener && (target == nullptr || (target->FLayerOptions & LOB_NO_CAPTURE) == 0))
        SetMouseListener(target);
    if (FMouseListener != nullptr) {
        FMouseListener->FLayerStates |= StateOfButton(button);
        FMouseListener->MouseDown(button, shift, x, y);
    }
    // A handler may have freed the layer; the caller must not see it then.
    return IndexOf(target) >= 0 ? target : nullptr;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomLayer* target = FMouseListener != nullptr ? FMouseListener : FindLayerAtPos(x, y, LOB_MOUSE_EVENTS);
    if (target != nullptr) {
        target->MouseMove(shift, x, y);
    } else if (const auto* control = dynamic_cast<const TCustomPaintBox32*>(FOwner)) {
        SetScreenCursor(control->Cursor());
    }
    return IndexOf(target) >= 0 ? target : nullptr;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomLayer* target = FMouseListener != nullptr ? FMouseListener : FindLayerAtPos(x, y, LOB_MOUSE_EVENTS);
    if (target != nullptr) {
        target->FLayerStates &= TLayerStates(~StateOfButton(button));
        target->MouseUp(button, shift, x, y);
    }
    if (FMouseListener != nullptr && FMouseListener->FLayerStates == 0)
        SetMouseListener(nullptr);
    return IndexOf(target) >= 0 ? target : nullptr;
}

void TLayerCollection::SetMouseListener(TCustomLayer* layer)
{
    if (layer == FMouseListener)
        return;
    if (FMouseListener != nullptr)
        FMouseListener->FLayerStates = 0;
    FMouseListener = layer;
}

void TLayerCollection::GetViewportScale(float& scaleX, float& scaleY) const
{
    scaleX = 1;
    scaleY = 1;
    if (ViewportScaleHook)
        ViewportScaleHook(scaleX, scaleY);
}

void TLayerCollection::GetViewportShift(float& shiftX, float& shiftY) const
{
    shiftX = 0;
    shiftY = 0;
    if (ViewportShiftHook)
        ViewportShiftHook(shiftX, shiftY);
}

// ---------------------------------------------------------------------------
// TCustomLayer

TCustomLayer::TCustomLayer(TLayerCollection* layerCollection)
{
    DoSetLayerCollection(layerCollection);
    FLayerOptions = LOB_VISIBLE;
}

TCustomLayer::~TCustomLayer()
{
    NotifyDestroying();
    while (!FFreeNotifies.empty()) {
        TCustomLayer* layer = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        std::erase(layer->FNotifiedBy, this);
        layer->Notification(this);
    }
    // The lists that hold this layer must not call into it later.
    for (TCustomLayer* watcher : FNotifiedBy)
        std::erase(watcher->FFreeNotifies, this);
    FNotifiedBy.clear();
    TCustomLayer::DoSetLayerCollection(nullptr);
}

void TCustomLayer::NotifyDestroying()
{
    TNotifyEvent handler = std::move(OnDestroy);
    OnDestroy = nullptr;
    if (handler)
        handler(this);
}

TCustomLayer* TCustomLayer::CreateSameClass(TLayerCollection* layerCollection) const
{
    return new TCustomLayer(layerCollection);
}

void TCustomLayer::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TCustomLayer*>(source);
    if (src == nullptr) {
        TNotifiablePersistent::Assign(source);
        return;
    }
    FCursor = src->FCursor;
    SetLayerOptions((src->FLayerOptions & ~LOB_INVALID) | (FLayerOptions & LOB_INVALID));
}

void TCustomLayer::Changed()
{
    if (FUpdateCount > 0 || FLayerCollection == nullptr || (FLayerOptions & LOB_NO_UPDATE) != 0)
        return;
    if ((FLayerOptions & (LOB_VISIBLE | LOB_FORCE_UPDATE)) != 0)
        FLayerCollection->LayerUpdated(this);
    if (Visible())
        FLayerCollection->Changed();
    else if ((FLayerOptions & LOB_GDI_OVERLAY) != 0)
        FLayerCollection->GDIUpdate();
    TNotifiablePersistent::Changed();
}

void TCustomLayer::Changed(const TRect& area)
{
    if (FUpdateCount > 0 || FLayerCollection == nullptr || (FLayerOptions & LOB_NO_UPDATE) != 0)
        return;
    if ((FLayerOptions & (LOB_VISIBLE | LOB_FORCE_UPDATE)) != 0)
        FLayerCollection->AreaUpdated(area);
    if (Visible())
        FLayerCollection->Changed();
    else if ((FLayerOptions & LOB_GDI_OVERLAY) != 0)
        FLayerCollection->GDIUpdate();
    TNotifiablePersistent::Changed();
}

void TCustomLayer::Changing()
{
    if (FUpdateCount <= 0 && Visible() && FLayerCollection != nullptr && (FLayerOptions & LOB_NO_UPDATE) == 0)
        FLayerCollection->Changing();
}

int32_t TCustomLayer::Index() const
{
    return FLayerCollection != nullptr ? FLayerCollection->IndexOf(this) : -1;
}

void TCustomLayer::DoSetIndex(int32_t value)
{
    if (FLayerCollection == nullptr)
        return;
    const int32_t current = Index();
    if (value == current)
        return;
    value = std::clamp(value, 0, FLayerCollection->Count() - 1);
    if (value == current)
        return;
    if (Visible()) {
        const auto scope = UpdateScope(*FLayerCollection);
        FLayerCollection->MoveItem(current, value);
    } else {
        FLayerCollection->MoveItem(current, value);
    }
}

void TCustomLayer::DoSetLayerCollection(TLayerCollection* value)
{
    if (value == FLayerCollection)
        return;
    if (FLayerCollection != nullptr) {
        if (FLayerCollection->MouseListener() == this)
            FLayerCollection->SetMouseListener(nullptr);
        FLayerCollection->RemoveItem(this);
    }
    if (value != nullptr)
        value->InsertItem(this);
}

void TCustomLayer::DoSetLayerOptions(uint32_t value)
{
    Changing();
    FLayerOptions = value;
    Changed();
}

void TCustomLayer::SetVisible(bool value)
{
    if (value) {
        SetLayerOptions(FLayerOptions | LOB_VISIBLE);
        return;
    }
    FLayerOptions |= LOB_FORCE_UPDATE;
    SetLayerOptions(FLayerOptions & ~LOB_VISIBLE);
    FLayerOptions &= ~LOB_FORCE_UPDATE;
}

void TCustomLayer::DoSetCursor(TCursor value)
{
    FCursor = value;
    if (FLayerCollection != nullptr && FLayerCollection->MouseListener() == this)
        SetScreenCursor(value);
}

void TCustomLayer::SetInvalid(bool value)
{
    if (value)
        FLayerOptions |= LOB_INVALID;
    else
        FLayerOptions &= ~LOB_INVALID;
}

bool TCustomLayer::HitTest(int32_t x, int32_t y)
{
    bool passed = DoHitTest(x, y);
    if (OnHitTest)
        OnHitTest(this, x, y, passed);
    return passed;
}

void TCustomLayer::PaintLayer(TBitmap32& buffer)
{
    Paint(buffer);
    if (OnPaint)
        OnPaint(this, buffer);
}

void TCustomLayer::AddNotification(TCustomLayer* layer)
{
    if (layer == nullptr || layer == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), layer) != FFreeNotifies.end())
        return;
    FFreeNotifies.push_back(layer);
    layer->FNotifiedBy.push_back(this);
}

void TCustomLayer::RemoveNotification(TCustomLayer* layer)
{
    if (layer == nullptr)
        return;
    std::erase(FFreeNotifies, layer);
    std::erase(layer->FNotifiedBy, this);
}

bool TCustomLayer::DoHitTest(int32_t, int32_t)
{
    return true;
}

void TCustomLayer::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TCustomLayer::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    SetScreenCursor(FCursor);
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TCustomLayer::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    SetScreenCursor(crDefault);
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TCustomLayer::Notification(TCustomLayer*)
{
}
void TCustomLayer::Paint(TBitmap32&)
{
}
void TCustomLayer::PaintGDI(TCanvas&)
{
}

// ---------------------------------------------------------------------------
// TPositionedLayer

TPositionedLayer::TPositionedLayer(TLayerCollection* layerCollection) : TCustomLayer(layerCollection)
{
    FLayerOptions = LOB_VISIBLE | LOB_MOUSE_EVENTS;
}

TCustomLayer* TPositionedLayer::CreateSameClass(TLayerCollection* layerCollection) const
{
    return new TPositionedLayer(layerCollection);
}

void TPositionedLayer::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TPositionedLayer*>(source);
    if (src == nullptr) {
        TCustomLayer::Assign(source);
        return;
    }
    {
        BeginUpdate();
        const TScopeExit endUpdate([this] { EndUpdate(); });
        TCustomLayer::Assign(source);
        FLocation = src->FLocation;
        FScaled = src->FScaled;
    }
    Changed();
}

void TPositionedLayer::SetLocation(const TFloatRect& value)
{
    Changing();
    DoSetLocation(value);
    Changed();
}

void TPositionedLayer::DoSetLocation(const TFloatRect& newLocation)
{
    FLocation = newLocation;
}

void TPositionedLayer::SetScaled(bool value)
{
    if (value == FScaled)
        return;
    Changing();
    FScaled = value;
    Changed();
}

TFloatRect TPositionedLayer::GetAdjustedRect(const TFloatRect& r) const
{
    if (!FScaled || LayerCollection() == nullptr)
        return r;
    float shiftX, shiftY, scaleX, scaleY;
    LayerCollection()->GetViewportShift(shiftX, shiftY);
    LayerCollection()->GetViewportScale(scaleX, scaleY);
    return TFloatRect{
        r.Left * scaleX + shiftX, r.Top * scaleY + shiftY, r.Right * scaleX + shiftX, r.Bottom * scaleY + shiftY};
}

bool TPositionedLayer::DoHitTest(int32_t x, int32_t y)
{
    const TFloatRect l = Location();
    const float fx = float(x);
    const float fy = float(y);
    return l.Left <= fx && fx < l.Right && l.Top <= fy && fy < l.Bottom;
}

// ---------------------------------------------------------------------------
// TBitmapLayer

TBitmapLayer::TBitmapLayer(TLayerCollection* layerCollection)
    : TPositionedLayer(layerCollection), FBitmap(std::make_unique<TBitmap32>())
{
    FBitmap->OnAreaChanged = [this](TObject*, const TRect& area, uint32_t info) { BitmapAreaChanged(area, info); };
}

TBitmapLayer::~TBitmapLayer()
{
    // OnDestroy still sees the whole layer, bitmap included.
    NotifyDestroying();
    FBitmap->OnAreaChanged = nullptr;
    FBitmap.reset();
}

TCustomLayer* TBitmapLayer::CreateSameClass(TLayerCollection* layerCollection) const
{
    return new TBitmapLayer(layerCollection);
}

void TBitmapLayer::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TBitmapLayer*>(source);
    if (src == nullptr) {
        TPositionedLayer::Assign(source);
        return;
    }
    {
        BeginUpdate();
        const TScopeExit endUpdate([this] { EndUpdate(); });
        TPositionedLayer::Assign(source);
        FBitmap->Assign(src->FBitmap.get());
        FAlphaHit = src->FAlphaHit;
        FCropped = src->FCropped;
    }
    Changed();
}

void TBitmapLayer::SetBitmap(const TBitmap32& value)
{
    FBitmap->Assign(&value);
}

void TBitmapLayer::SetCropped(bool value)
{
    if (value == FCropped)
        return;
    Changing();
    FCropped = value;
    Changed();
}

void TBitmapLayer::BitmapAreaChanged(const TRect& area, uint32_t)
{
    if (FBitmap->Empty() || LayerCollection() == nullptr || (FLayerOptions & LOB_NO_UPDATE) != 0)
        return;
    const TFloatRect l = Location();
    const double scaleX = (double(l.Right) - l.Left) / FBitmap->Width();
    const double scaleY = (double(l.Bottom) - l.Top) / FBitmap->Height();
    TRect r{ClampToInt32(FloorTo(l.Left + area.Left * scaleX)), ClampToInt32(FloorTo(area.Top * scaleY + l.Top)),
        ClampToInt32(CeilTo(area.Right * scaleX + l.Left)), ClampToInt32(CeilTo(area.Bottom * scaleY + l.Top))};
    const int32_t width = int32_t(TruncTo(FBitmap->Resampler()->GetWidth()));
    InflateArea(r, width + 1, width + 1);
    Changed(r);
}

bool TBitmapLayer::DoHitTest(int32_t x, int32_t y)
{
    if (!TPositionedLayer::DoHitTest(x, y))
        return false;
    if (!FAlphaHit)
        return true;
    const TFloatRect l = Location();
    const int64_t w = RoundEven(double(l.Right) - l.Left);
    const int64_t h = RoundEven(double(l.Bottom) - l.Top);
    if (w < 1 || h < 1)
        return false;
    const int64_t bx = FloorTo((double(x) - l.Left) * FBitmap->Width() / double(w));
    const int64_t by = FloorTo((double(y) - l.Top) * FBitmap->Height() / double(h));
    if (bx < 0 || by < 0 || bx >= FBitmap->Width() || by >= FBitmap->Height())
        return false;
    return AlphaComponent(FBitmap->Pixel(int32_t(bx), int32_t(by))) != 0;
}

void TBitmapLayer::Paint(TBitmap32& buffer)
{
    if (FBitmap->Empty())
        return;
    const TRect dstRect = MakeRect(Location(), rrClosest);
    TRect clipRect = buffer.ClipRect();
    TRect visible;
    IntersectRect(visible, clipRect, dstRect);
    if (IsRectEmpty(visible))
        return;
    const TRect srcRect{0, 0, FBitmap->Width(), FBitmap->Height()};
    if (FCropped && LayerCollection() != nullptr) {
        if (auto* image = dynamic_cast<TCustomImage32*>(LayerCollection()->GetOwner())) {
            if (dstRect.Right - dstRect.Left < 1 || dstRect.Bottom - dstRect.Top < 1)
                return;
            IntersectRect(clipRect, clipRect, image->CachedBitmapRect());
        }
    }
    StretchTransfer(&buffer, dstRect, clipRect, FBitmap.get(), srcRect, FBitmap->Resampler(), FBitmap->DrawMode(),
        FBitmap->OnPixelCombine);
}
