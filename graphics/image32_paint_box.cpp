#include "graphics/image32_paint_box.h"

#include <algorithm>
#include <cstring>

#include "base/scope_exit.h"
#include "graphics/transfer.h"

namespace {

constexpr int32_t DefaultControlSize = 192;

// The buffer grows with slack and shrinks only when it is more than the
// slack too large, so small resizes reallocate nothing.
int32_t BufferExtent(int32_t current, int32_t wanted, int32_t oversize)
{
    int32_t extent;
    if (current < wanted)
        extent = int32_t(std::min<int64_t>(int64_t(wanted) + oversize, INT32_MAX));
    else if (int64_t(wanted) >= int64_t(current) - oversize)
        extent = current;
    else
        extent = wanted;
    return std::max(extent, 1);
}

} // namespace

TCustomPaintBox32::TCustomPaintBox32()
    : FBuffer(std::make_unique<TBitmap32>()),
      FInvalidRects(std::make_unique<TRectList>()),
      FWidth(DefaultControlSize),
      FHeight(DefaultControlSize)
{
    FRepaintOptimizer = DefaultRepaintOptimizerClass(*FBuffer, *FInvalidRects);
}

TCustomPaintBox32::~TCustomPaintBox32()
{
    if (FHost != nullptr) {
        TImageSurfaceHost* host = FHost;
        FHost = nullptr;
        host->SurfaceDetach();
    }
}

void TCustomPaintBox32::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    const bool sized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHost != nullptr)
        FHost->SurfaceBoundsChanged(FLeft, FTop, FWidth, FHeight);
    if (sized)
        Resize();
}

void TCustomPaintBox32::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    Invalidate();
}

void TCustomPaintBox32::SetCursor(TCursor value)
{
    FCursor = value;
    if (FHost != nullptr)
        FHost->SurfaceCursorChanged(value);
}

void TCustomPaintBox32::SetBufferOversize(int32_t value)
{
    FBufferOversize = std::max(value, 0);
}

void TCustomPaintBox32::SetRepaintMode(TRepaintMode value)
{
    if (value == FRepaintMode)
        return;
    FRepaintMode = value;
    FRepaintOptimizer->SetEnabled(value == rmOptimizer);
    Invalidate();
}

void TCustomPaintBox32::Invalidate()
{
    FBufferValid = false;
    InvalidateWindow();
}

void TCustomPaintBox32::InvalidateWindow()
{
    if (FHost != nullptr)
        FHost->SurfaceInvalidate();
}

void TCustomPaintBox32::Repaint()
{
    Invalidate();
    if (FHost != nullptr)
        FHost->SurfaceUpdate();
}

void TCustomPaintBox32::ForceFullInvalidate()
{
    FForceFullRepaint = true;
    Invalidate();
}

TRect TCustomPaintBox32::GetViewportRect() const
{
    return TRect{0, 0, FWidth, FHeight};
}

void TCustomPaintBox32::Resize()
{
    ResizeBuffer();
    if (OnResize)
        OnResize(this);
}

void TCustomPaintBox32::ResizeBuffer()
{
    const TRect viewport = GetViewportRect();
    const int32_t width = std::max(viewport.Right - viewport.Left, 0);
    const int32_t height = std::max(viewport.Bottom - viewport.Top, 0);
    const int32_t oldWidth = FBuffer->Width();
    const int32_t oldHeight = FBuffer->Height();
    const int32_t newWidth = BufferExtent(oldWidth, width, FBufferOversize);
    const int32_t newHeight = BufferExtent(oldHeight, height, FBufferOversize);
    if (newWidth != oldWidth || newHeight != oldHeight) {
        {
            FBuffer->Lock();
            const TScopeExit unlock([this] { FBuffer->Unlock(); });
            FBuffer->SetSize(newWidth, newHeight);
        }
        DoBufferResized(oldWidth, oldHeight);
        ForceFullInvalidate();
        return;
    }
    Invalidate();
}

void TCustomPaintBox32::DoBufferResized(int32_t, int32_t)
{
    if (FRepaintOptimizer->GetEnabled())
        FRepaintOptimizer->BufferResized(FBuffer->Width(), FBuffer->Height());
}

bool TCustomPaintBox32::CustomRepaint()
{
    return FRepaintMode == rmOptimizer && FRepaintOptimizer->GetEnabled() && !FForceFullRepaint;
}

bool TCustomPaintBox32::InvalidRectsAvailable()
{
    return FRepaintOptimizer->UpdatesAvailable();
}

void TCustomPaintBox32::DoPrepareInvalidRects()
{
    FRepaintOptimizer->PerformOptimization();
}

void TCustomPaintBox32::DoPaintBuffer()
{
    FBufferValid = true;
}

bool TCustomPaintBox32::HasGDIOverlay() const
{
    return bool(OnGDIOverlay);
}

void TCustomPaintBox32::DoPaintGDIOverlay()
{
    if (OnGDIOverlay)
        OnGDIOverlay(this);
}

void TCustomPaintBox32::Paint()
{
    SurfaceBeginPaint();
    SurfaceEndPaint();
}

TSurfacePixels TCustomPaintBox32::SurfaceBeginPaint()
{
    const TRect viewport = GetViewportRect();
    const int32_t width = std::max(viewport.Right - viewport.Left, 0);
    const int32_t height = std::max(viewport.Bottom - viewport.Top, 0);
    // A paint started from inside a paint (a stage handler presenting)
    // shows the buffer as it stands.
    if (FPaintDepth++ == 0) {
        try {
            // A control never resized since creation has no buffer yet.
            if (FBuffer->Width() < width || FBuffer->Height() < height || FBuffer->Empty())
                ResizeBuffer();
            if (FRepaintOptimizer->GetEnabled())
                FRepaintOptimizer->BeginPaint();
            if (FRepaintMode == rmOptimizer && FRepaintOptimizer->GetEnabled() && InvalidRectsAvailable()) {
                // Even a full repaint lets the optimiser take in what changed,
                // so that it knows where every layer is drawn from now on. No
                // rectangles left means it gave up: all of it is repainted.
                DoPrepareInvalidRects();
                if (!CustomRepaint() || !FBufferValid)
                    FInvalidRects->Clear();
                DoPaintBuffer();
            } else if (!FBufferValid) {
                FInvalidRects->Clear();
                DoPaintBuffer();
            }
        } catch (...) {
            --FPaintDepth;
            FInvalidRects->Clear();
            throw;
        }
    }
    FBuffer->Lock();

    TBitmap32* shown = FBuffer.get();
    if (HasGDIOverlay() && width > 0 && height > 0) {
        if (!FOverlay)
            FOverlay = std::make_unique<TBitmap32>();
        FOverlay->SetSize(width, height);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(FOverlay->ScanLine(y), FBuffer->ScanLine(y), size_t(width) * sizeof(TColor32));
        FOverlayCanvas = &FOverlay->Canvas();
        try {
            DoPaintGDIOverlay();
        } catch (...) {
            FOverlayCanvas = nullptr;
            FBuffer->Unlock();
            --FPaintDepth;
            throw;
        }
        FOverlayCanvas = nullptr;
        shown = FOverlay.get();
    }

    TSurfacePixels pixels;
    pixels.Bits = shown->Bits();
    pixels.Width = std::min(width, shown->Width());
    pixels.Height = std::min(height, shown->Height());
    pixels.Stride = shown->Width();
    return pixels;
}

void TCustomPaintBox32::SurfaceEndPaint()
{
    if (FPaintDepth <= 0)
        return;
    FBuffer->Unlock();
    if (--FPaintDepth > 0)
        return;
    if (FRepaintOptimizer->GetEnabled())
        FRepaintOptimizer->EndPaint();
    FInvalidRects->Clear();
    FForceFullRepaint = false;
}

void TCustomPaintBox32::SurfaceAttach(TImageSurfaceHost* host)
{
    FHost = host;
    if (FHost == nullptr)
        return;
    FHost->SurfaceBoundsChanged(FLeft, FTop, FWidth, FHeight);
    FHost->SurfaceCursorChanged(FCursor);
    FHost->SurfaceInvalidate();
}

void TCustomPaintBox32::SurfaceResized(int32_t width, int32_t height)
{
    SetBounds(FLeft, FTop, width, height);
}

void TCustomPaintBox32::SurfaceMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    MouseDown(button, shift, x, y);
}

void TCustomPaintBox32::SurfaceMouseMove(TShiftState shift, int32_t x, int32_t y)
{
    MouseMove(shift, x, y);
}

void TCustomPaintBox32::SurfaceMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    MouseUp(button, shift, x, y);
}

void TCustomPaintBox32::SurfaceMouseEnter()
{
    MouseEnter();
}

void TCustomPaintBox32::SurfaceMouseLeave()
{
    MouseLeave();
}

void TCustomPaintBox32::MouseEnter()
{
    FMouseInControl = true;
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TCustomPaintBox32::MouseLeave()
{
    FMouseInControl = false;
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TCustomPaintBox32::FocusOnClick()
{
    if ((FTabStop || (FOptions & pboAutoFocus) != 0) && FHost != nullptr)
        FHost->SurfaceSetFocus();
}

void TCustomPaintBox32::MouseDown(TMouseButton button, TShiftState, int32_t, int32_t)
{
    FocusOnClick();
    if (button == mbLeft)
        FMouseCapture = true;
}

void TCustomPaintBox32::MouseMove(TShiftState, int32_t, int32_t)
{
}

void TCustomPaintBox32::MouseUp(TMouseButton, TShiftState, int32_t, int32_t)
{
    FMouseCapture = false;
}
