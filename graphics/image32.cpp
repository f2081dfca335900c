#include "graphics/image32.h"

#include <algorithm>
#include <cmath>

#include "graphics/resamplers.h"

namespace {

constexpr float MinScale = 0.001f;

int32_t ClampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// NaN and everything below the smallest scale become the smallest scale.
float ValidScale(float value)
{
    return value >= MinScale ? value : MinScale;
}

} // namespace

// ---------------------------------------------------------------------------
// TPaintStages

TPaintStage& TPaintStages::Add()
{
    FItems.emplace_back();
    return FItems.back();
}

TPaintStage& TPaintStages::Insert(int32_t index)
{
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *FItems.emplace(FItems.begin() + index);
}

void TPaintStages::Delete(int32_t index)
{
    Items(index);
    FItems.erase(FItems.begin() + index);
}

TPaintStage& TPaintStages::Items(int32_t index)
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[size_t(index)];
}

const TPaintStage& TPaintStages::Items(int32_t index) const
{
    return const_cast<TPaintStages*>(this)->Items(index);
}

// ---------------------------------------------------------------------------
// TCustomImage32: life, properties, geometry

TCustomImage32::TCustomImage32()
    : FBitmap(std::make_unique<TBitmap32>()), FLayers(std::make_unique<TLayerCollection>(this))
{
    FBitmap->OnResize = [this](TObject*) { BitmapResizeHandler(); };
    FBitmap->OnChange = [this](TObject*) { BitmapChangeHandler(); };
    FBitmap->OnAreaChanged = [this](
                                 TObject*, const TRect& area, uint32_t info) { BitmapAreaChangeHandler(area, info); };
    FLayers->OnChange = [this](TObject*) { LayerCollectionChangeHandler(); };
    FLayers->OnGDIUpdate = [this](TObject*) { LayerCollectionGDIUpdateHandler(); };
    FLayers->ViewportScaleHook = [this](
                                     float& scaleX, float& scaleY) { LayerCollectionGetViewportScale(scaleX, scaleY); };
    FLayers->ViewportShiftHook = [this](
                                     float& shiftX, float& shiftY) { LayerCollectionGetViewportShift(shiftX, shiftY); };
    RepaintOptimizer().RegisterLayerCollection(FLayers.get());
    InitDefaultStages();
}

TCustomImage32::~TCustomImage32()
{
    FBitmap->OnResize = nullptr;
    FBitmap->OnChange = nullptr;
    FBitmap->OnAreaChanged = nullptr;
    RepaintOptimizer().UnregisterLayerCollection(FLayers.get());
    FLayers->OnChange = nullptr;
    FLayers->OnGDIUpdate = nullptr;
    FLayers->ViewportScaleHook = nullptr;
    FLayers->ViewportShiftHook = nullptr;
    FLayers.reset();
    FBitmap.reset();
}

void TCustomImage32::SetBitmap(const TBitmap32& value)
{
    FBitmap->Assign(&value);
}

void TCustomImage32::SetBitmapAlign(TBitmapAlign value)
{
    if (value == FBitmapAlign)
        return;
    FBitmapAlign = value;
    InvalidateCache();
    Changed();
}

void TCustomImage32::SetScale(float value)
{
    value = ValidScale(value);
    if (value == FScaleX && value == FScaleY)
        return;
    InvalidateCache();
    FScaleX = value;
    FScaleY = value;
    DoScaleChange();
    Changed();
}

void TCustomImage32::SetScaleX(float value)
{
    value = ValidScale(value);
    if (value == FScaleX)
        return;
    InvalidateCache();
    FScaleX = value;
    DoScaleChange();
    Changed();
}

void TCustomImage32::SetScaleY(float value)
{
    value = ValidScale(value);
    if (value == FScaleY)
        return;
    InvalidateCache();
    FScaleY = value;
    DoScaleChange();
    Changed();
}

void TCustomImage32::SetScaleMode(TScaleMode value)
{
    if (value == FScaleMode)
        return;
    FScaleMode = value;
    InvalidateCache();
    if (FScaleMode == smResize)
        UpdateBitmapSize();
    Changed();
}

void TCustomImage32::SetOffsetHorz(float value)
{
    if (value == FOffsetHorz)
        return;
    FOffsetHorz = value;
    InvalidateCache();
    Changed();
}

void TCustomImage32::SetOffsetVert(float value)
{
    if (value == FOffsetVert)
        return;
    FOffsetVert = value;
    InvalidateCache();
    Changed();
}

void TCustomImage32::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    if (FAutoSize)
        UpdateBitmapSize();
}

void TCustomImage32::InitDefaultStages()
{
    FPaintStages.Clear();
    auto add = [this](uint32_t stage, bool runTime, uint32_t parameter = 0) {
        TPaintStage& s = FPaintStages.Add();
        s.DsgnTime = true;
        s.RunTime = runTime;
        s.Stage = stage;
        s.Parameter = parameter;
    };
    add(PST_CLEAR_BACKGND, true);
    add(PST_CONTROL_FRAME, false);
    add(PST_DRAW_BITMAP, true);
    add(PST_BITMAP_FRAME, false);
    add(PST_DRAW_LAYERS, true, LOB_VISIBLE);
    DoInitStages();
}

void TCustomImage32::Invalidate()
{
    InvalidateCache();
    TCustomPaintBox32::Invalidate();
}

void TCustomImage32::Changed()
{
    if (FUpdateCount != 0)
        return;
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void TCustomImage32::BeginUpdate()
{
    ++FUpdateCount;
}

void TCustomImage32::EndUpdate()
{
    if (FUpdateCount <= 0)
        throw EAssertionFailed("Unpaired EndUpdate");
    --FUpdateCount;
}

TSize TCustomImage32::GetBitmapSize()
{
    if (FBitmap->Empty())
        return TSize{0, 0};
    const double bw = FBitmap->Width();
    const double bh = FBitmap->Height();
    const TRect viewport = GetViewportRect();
    const double cw = std::max(viewport.Right - viewport.Left, 0);
    const double ch = std::max(viewport.Bottom - viewport.Top, 0);
    auto scaled = [](double size, double factor) { return ClampToInt32(RoundEven(size * factor)); };
    switch (FScaleMode) {
    case smStretch: return TSize{int32_t(cw), int32_t(ch)};
    case smScale: return TSize{scaled(bw, FScaleX), scaled(bh, FScaleY)};
    case smOptimal:
        if (bw > cw || bh > ch) {
            const double fit = std::min(cw / bw, ch / bh);
            return TSize{scaled(bw, fit), scaled(bh, fit)};
        }
        return TSize{int32_t(bw), int32_t(bh)};
    case smOptimalScaled: {
        const double fit = std::min(cw / bw, ch / bh);
        return TSize{scaled(bw, fit * FScaleX), scaled(bh, fit * FScaleY)};
    }
    case smNormal:
    case smResize: break;
    }
    return TSize{int32_t(bw), int32_t(bh)};
}

TRect TCustomImage32::GetBitmapRect()
{
    if (FBitmap->Empty())
        return TRect{};
    const TSize size = GetBitmapSize();
    const TRect viewport = GetViewportRect();
    int64_t x = 0;
    int64_t y = 0;
    switch (FBitmapAlign) {
    case baCenter:
        x = (int64_t(viewport.Right - viewport.Left) - size.cx) / 2;
        y = (int64_t(viewport.Bottom - viewport.Top) - size.cy) / 2;
        break;
    case baCustom:
        x = RoundEven(FOffsetHorz);
        y = RoundEven(FOffsetVert);
        break;
    case baTopLeft:
    case baTile: break;
    }
    return TRect{ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + size.cx), ClampToInt32(y + size.cy)};
}

TRect TCustomImage32::CachedBitmapRect()
{
    UpdateCache();
    return FCachedBitmapRect;
}

void TCustomImage32::UpdateCache()
{
    if (FCacheValid)
        return;
    FCachedBitmapRect = GetBitmapRect();
    if (FBitmap->Empty()) {
        FCachedScaleX = FixedOne;
        FCachedScaleY = FixedOne;
        FCachedShiftX = 0;
        FCachedShiftY = 0;
    } else {
        FCachedScaleX = Fixed(double(FCachedBitmapRect.Right - FCachedBitmapRect.Left) / FBitmap->Width());
        FCachedScaleY = Fixed(double(FCachedBitmapRect.Bottom - FCachedBitmapRect.Top) / FBitmap->Height());
        FCachedShiftX = Fixed(FCachedBitmapRect.Left);
        FCachedShiftY = Fixed(FCachedBitmapRect.Top);
    }
    FCacheValid = true;
}

void TCustomImage32::UpdateBitmapSize()
{
    if (!FAutoSize && FScaleMode != smResize)
        return;
    if (FBitmap->Empty())
        return;
    const TSize size = FScaleMode == smResize ? TSize{FBitmap->Width(), FBitmap->Height()} : GetBitmapSize();
    SetBounds(Left(), Top(), size.cx, size.cy);
}

void TCustomImage32::Resize()
{
    InvalidateCache();
    TCustomPaintBox32::Resize();
}

void TCustomImage32::DoScaleChange()
{
    if (OnScaleChange)
        OnScaleChange(this);
}

void TCustomImage32::DoInitStages()
{
    if (OnInitStages)
        OnInitStages(this);
}

// ---------------------------------------------------------------------------
// Reports from the bitmap and the layers

void TCustomImage32::BitmapResizeHandler()
{
    InvalidateCache();
    BitmapResized();
}

void TCustomImage32::BitmapResized()
{
    UpdateBitmapSize();
    if (OnBitmapResize)
        OnBitmapResize(this);
    Changed();
}

void TCustomImage32::BitmapChangeHandler()
{
    if (RepaintMode() == rmOptimizer && RepaintOptimizer().GetEnabled()) {
        // The area report that came first has told the optimiser.
        if (FUpdateCount == 0 && OnChange)
            OnChange(this);
        return;
    }
    // The optimiser follows the layers even when it decides nothing.
    RepaintOptimizer().Reset();
    Changed();
}

void TCustomImage32::BitmapAreaChangeHandler(const TRect& area, uint32_t)
{
    if (RepaintMode() != rmOptimizer || !RepaintOptimizer().GetEnabled())
        return;
    BitmapChanged(area);
}

void TCustomImage32::BitmapChanged(const TRect& area)
{
    if (FBitmap->Empty())
        return;
    UpdateCache();
    const double scaleX = FCachedScaleX / 65536.0;
    const double scaleY = FCachedScaleY / 65536.0;
    const double shiftX = FCachedShiftX / 65536.0;
    const double shiftY = FCachedShiftY / 65536.0;
    TRect r{ClampToInt32(FloorTo(area.Left * scaleX + shiftX)), ClampToInt32(FloorTo(area.Top * scaleY + shiftY)),
        ClampToInt32(CeilTo(area.Right * scaleX + shiftX)), ClampToInt32(CeilTo(area.Bottom * scaleY + shiftY))};
    const int32_t width = int32_t(TruncTo(FBitmap->Resampler()->GetWidth()));
    InflateArea(r, width + 1, width + 1);
    RepaintOptimizer().AreaUpdated(this, r, AREAINFO_RECT);
    InvalidateWindow();
}

void TCustomImage32::LayerCollectionChangeHandler()
{
    if (RepaintMode() == rmOptimizer && RepaintOptimizer().GetEnabled()) {
        InvalidateWindow();
        if (FUpdateCount == 0 && OnChange)
            OnChange(this);
        return;
    }
    Changed();
}

void TCustomImage32::LayerCollectionGDIUpdateHandler()
{
    InvalidateWindow();
}

void TCustomImage32::LayerCollectionGetViewportScale(float& scaleX, float& scaleY)
{
    UpdateCache();
    scaleX = float(FCachedScaleX / 65536.0);
    scaleY = float(FCachedScaleY / 65536.0);
}

void TCustomImage32::LayerCollectionGetViewportShift(float& shiftX, float& shiftY)
{
    UpdateCache();
    shiftX = float(FCachedShiftX / 65536.0);
    shiftY = float(FCachedShiftY / 65536.0);
}

// ---------------------------------------------------------------------------
// Mouse

void TCustomImage32::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    FocusOnClick();
    TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseDown(button, shift, x, y) : nullptr;
    if (button == mbLeft || FLayers->MouseListener() != nullptr)
        SetMouseCapture(true);
    ImageMouseDown(button, shift, x, y, layer);
}

void TCustomImage32::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseMove(shift, x, y) : nullptr;
    ImageMouseMove(shift, x, y, layer);
}

void TCustomImage32::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomLayer* layer = FLayers->MouseEvents() ? FLayers->MouseUp(button, shift, x, y) : nullptr;
    if (FLayers->MouseListener() == nullptr)
        SetMouseCapture(false);
    ImageMouseUp(button, shift, x, y, layer);
}

void TCustomImage32::MouseLeave()
{
    // A layer's cursor would otherwise stay on over the rest of the
    // application once the mouse has left the control.
    if (FLayers->MouseListener() == nullptr && ScreenCursor() != crDefault)
        SetScreenCursor(crDefault);
    TCustomPaintBox32::MouseLeave();
}

void TCustomImage32::ImageMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y, layer);
}

void TCustomImage32::ImageMouseMove(TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y, layer);
}

void TCustomImage32::ImageMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y, TCustomLayer* layer)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y, layer);
}
