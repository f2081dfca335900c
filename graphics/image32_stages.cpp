// Composition of the image control's back buffer: the paint stages run in
// list order over the whole viewport or over each invalid rectangle.

#include <algorithm>

#include "graphics/image32.h"
#include "classlib/canvas.h"

namespace {

// Releases a bitmap's lock however the drawing under it ends.
class TLockScope {
public:
    explicit TLockScope(TBitmap32& bitmap) : FBitmap(bitmap) { FBitmap.Lock(); }
    ~TLockScope() { FBitmap.Unlock(); }
    TLockScope(const TLockScope&) = delete;
    TLockScope& operator=(const TLockScope&) = delete;

private:
    TBitmap32& FBitmap;
};

void FrameRect(TBitmap32& dest, const TRect& r, TColor32 color)
{
    dest.FillRectS(r.Left, r.Top, r.Right, r.Top + 1, color);
    dest.FillRectS(r.Left, r.Bottom - 1, r.Right, r.Bottom, color);
    dest.FillRectS(r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1, color);
    dest.FillRectS(r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1, color);
}

} // namespace

void TCustomImage32::PrepareStageHandlers()
{
    FPaintStageHandlers.clear();
    for (int32_t i = 0; i < FPaintStages.Count(); ++i) {
        const TPaintStage& stage = FPaintStages.Items(i);
        // The control only ever runs, never sits in a form designer.
        if (!stage.RunTime)
            continue;
        TStageHandler handler = nullptr;
        switch (stage.Stage) {
        case PST_CUSTOM: handler = &TCustomImage32::ExecCustom; break;
        case PST_CLEAR_BUFFER: handler = &TCustomImage32::ExecClearBuffer; break;
        case PST_CLEAR_BACKGND: handler = &TCustomImage32::ExecClearBackgnd; break;
        case PST_DRAW_BITMAP: handler = &TCustomImage32::ExecDrawBitmap; break;
        case PST_DRAW_LAYERS: handler = &TCustomImage32::ExecDrawLayers; break;
        case PST_CONTROL_FRAME: handler = &TCustomImage32::ExecControlFrame; break;
        case PST_BITMAP_FRAME: handler = &TCustomImage32::ExecBitmapFrame; break;
        default: break;
        }
        if (handler != nullptr)
            FPaintStageHandlers.emplace_back(handler, i);
    }
}

void TCustomImage32::RunStageHandlers(TBitmap32& dest)
{
    for (const auto& [handler, stageNum] : FPaintStageHandlers)
        (this->*handler)(dest, stageNum);
}

void TCustomImage32::DoPaintBuffer()
{
    const bool optimizing = RepaintOptimizer().GetEnabled();
    if (optimizing)
        RepaintOptimizer().BeginPaintBuffer();
    UpdateCache();
    PrepareStageHandlers();

    TBitmap32& buffer = Buffer();
    const TRect viewport = GetViewportRect();
    TRectList& rects = InvalidRects();
    try {
        if (rects.Count() == 0) {
            buffer.SetClipRect(viewport);
            RunStageHandlers(buffer);
        } else {
            for (int32_t i = 0; i < rects.Count(); ++i) {
                TRect clip;
                IntersectRect(clip, *rects.Items(i), viewport);
                if (IsRectEmpty(clip))
                    continue;
                buffer.SetClipRect(clip);
                RunStageHandlers(buffer);
            }
            buffer.SetClipRect(viewport);
        }
    } catch (...) {
        buffer.SetClipRect(viewport);
        throw;
    }
    SetBufferValid(true);
    if (optimizing)
        RepaintOptimizer().EndPaintBuffer();
}

void TCustomImage32::ExecClearBackgnd(TBitmap32& dest, int32_t)
{
    const TColor32 color = Color32FromWinColor(Color());
    TRectList& rects = InvalidRects();
    if (rects.Count() > 0) {
        for (int32_t i = 0; i < rects.Count(); ++i)
            dest.FillRectS(*rects.Items(i), color);
        return;
    }
    if (FBitmap->Empty() || FBitmap->DrawMode() != dmOpaque) {
        dest.Clear(color);
        return;
    }
    const TRect r = FCachedBitmapRect;
    const TRect viewport = GetViewportRect();
    const bool covers =
        r.Left <= viewport.Left && r.Top <= viewport.Top && r.Right >= viewport.Right && r.Bottom >= viewport.Bottom;
    if (covers || FBitmapAlign == baTile)
        return;
    dest.FillRectS(viewport.Left, viewport.Top, viewport.Right, r.Top, color);
    dest.FillRectS(viewport.Left, r.Bottom, viewport.Right, viewport.Bottom, color);
    dest.FillRectS(viewport.Left, std::max(r.Top, viewport.Top), r.Left, std::min(r.Bottom, viewport.Bottom), color);
    dest.FillRectS(r.Right, std::max(r.Top, viewport.Top), viewport.Right, std::min(r.Bottom, viewport.Bottom), color);
}

void TCustomImage32::ExecClearBuffer(TBitmap32& dest, int32_t)
{
    dest.Clear(Color32FromWinColor(Color()));
}

void TCustomImage32::ExecDrawBitmap(TBitmap32& dest, int32_t)
{
    const TRect r = FCachedBitmapRect;
    if (FBitmap->Empty() || IsRectEmpty(r))
        return;
    TLockScope lock(*FBitmap);
    if (FBitmapAlign != baTile) {
        FBitmap->DrawTo(dest, r);
        return;
    }
    const TRect viewport = GetViewportRect();
    const int64_t w = int64_t(r.Right) - r.Left;
    const int64_t h = int64_t(r.Bottom) - r.Top;
    for (int64_t y = r.Top; y < viewport.Bottom; y += h) {
        if (y + h <= viewport.Top)
            continue;
        for (int64_t x = r.Left; x < viewport.Right; x += w) {
            if (x + w <= viewport.Left)
                continue;
            FBitmap->DrawTo(dest, TRect{int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)});
        }
    }
}

void TCustomImage32::ExecDrawLayers(TBitmap32& dest, int32_t stageNum)
{
    const uint32_t mask = FPaintStages.Items(stageNum).Parameter;
    // Counted afresh each time: a layer's paint event may add or free one.
    for (int32_t i = 0; i < FLayers->Count(); ++i) {
        TCustomLayer* layer = FLayers->Items(i);
        if ((layer->LayerOptions() & mask) != 0)
            layer->PaintLayer(dest);
    }
}

void TCustomImage32::ExecControlFrame(TBitmap32& dest, int32_t)
{
    FrameRect(dest, GetViewportRect(), Color32FromWinColor(clBtnShadow));
}

void TCustomImage32::ExecBitmapFrame(TBitmap32& dest, int32_t)
{
    if (!IsRectEmpty(FCachedBitmapRect))
        FrameRect(dest, FCachedBitmapRect, Color32FromWinColor(clBtnShadow));
}

void TCustomImage32::ExecCustom(TBitmap32& dest, int32_t stageNum)
{
    if (OnPaintStage)
        OnPaintStage(this, dest, uint32_t(stageNum));
}

bool TCustomImage32::HasGDIOverlay() const
{
    if (TCustomPaintBox32::HasGDIOverlay())
        return true;
    for (int32_t i = 0; i < FLayers->Count(); ++i) {
        const uint32_t options = FLayers->Items(i)->LayerOptions();
        if ((options & LOB_GDI_OVERLAY) != 0 && (options & LOB_VISIBLE) != 0)
            return true;
    }
    return false;
}

void TCustomImage32::DoPaintGDIOverlay()
{
    if (TCanvas* canvas = OverlayCanvas()) {
        for (int32_t i = 0; i < FLayers->Count(); ++i) {
            TCustomLayer* layer = FLayers->Items(i);
            const uint32_t options = layer->LayerOptions();
            if ((options & LOB_GDI_OVERLAY) != 0 && (options & LOB_VISIBLE) != 0)
                layer->PaintGDI(*canvas);
        }
    }
    TCustomPaintBox32::DoPaintGDIOverlay();
}
