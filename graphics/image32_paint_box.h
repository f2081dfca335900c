#pragma once
// TCustomPaintBox32: a control that composes into an off-screen 32-bit back
// buffer and presents it. It owns the buffer, the paint cycle, the list of
// invalid rectangles and the repaint optimiser. The window that shows it is
// a TImageSurfaceHost (a widget of the platform layer); without one the
// control works the same, which is how it is tested.

#include <cstdint>
#include <memory>

#include "base/classes.h"
#include "base/types.h"
#include "graphics/bitmap32.h"
#include "graphics/containers.h"
#include "graphics/repaint_optimizer.h"
#include "classlib/colors.h"
#include "classlib/image_surface.h"

class TCanvas;

enum TRepaintMode { rmFull, rmDirect, rmOptimizer };

enum TPaintBoxOption : uint8_t { pboWantArrowKeys = 1 << 0, pboAutoFocus = 1 << 1 };
using TPaintBoxOptions = uint8_t;

class TCustomPaintBox32 : public TPersistent, public TImageSurfaceClient {
public:
    // A 192 x 192 control with its buffer, invalid-rectangle list and the
    // optimiser made from DefaultRepaintOptimizerClass.
    TCustomPaintBox32();
    // Tells the window, which makes no further call.
    ~TCustomPaintBox32() override;
    TCustomPaintBox32(const TCustomPaintBox32&) = delete;
    TCustomPaintBox32& operator=(const TCustomPaintBox32&) = delete;

    std::string ClassName() const override { return "TCustomPaintBox32"; }

    // The control's place in its parent window.
    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // Negative sizes count as 0; a new size resizes the buffer.
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetWidth(int32_t value) { SetBounds(FLeft, FTop, value, FHeight); }
    void SetHeight(int32_t value) { SetBounds(FLeft, FTop, FWidth, value); }
    TRect BoundsRect() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    TRect ClientRect() const { return TRect{0, 0, FWidth, FHeight}; }

    // The class library's colour of the control (its background).
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    // Whether a click gives the control the keyboard focus.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value) { FTabStop = value; }
    TPaintBoxOptions Options() const { return FOptions; }
    void SetOptions(TPaintBoxOptions value) { FOptions = value; }

    TBitmap32& Buffer() { return *FBuffer; }
    // Slack the buffer keeps beyond the control's size (40).
    int32_t BufferOversize() const { return FBufferOversize; }
    void SetBufferOversize(int32_t value);
    bool BufferValid() const { return FBufferValid; }
    void SetBufferValid(bool value) { FBufferValid = value; }
    TRepaintMode RepaintMode() const { return FRepaintMode; }
    virtual void SetRepaintMode(TRepaintMode value);
    TCustomRepaintOptimizer& RepaintOptimizer() { return *FRepaintOptimizer; }
    TRectList& InvalidRects() { return *FInvalidRects; }
    bool MouseInControl() const { return FMouseInControl; }
    bool MouseCapture() const { return FMouseCapture; }

    // The buffer must be recomposed; the window is asked to paint.
    virtual void Invalidate();
    // Invalidate and paint at once when a window shows the control.
    void Repaint();
    // The next paint composes everything, whatever the optimiser knows.
    virtual void ForceFullInvalidate();
    // One paint of the window: compose when needed, present, overlay.
    // Headless callers run it to bring the buffer up to date.
    void Paint();
    // The rectangle of the control that shows the buffer.
    virtual TRect GetViewportRect() const;
    // The canvas of what is presented, for overlays drawn after the buffer;
    // only valid inside OnGDIOverlay and a layer's PaintGDI.
    TCanvas* OverlayCanvas() const { return FOverlayCanvas; }
    // The window showing the control, or none.
    TImageSurfaceHost* Host() const { return FHost; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnGDIOverlay;
    TNotifyEvent OnResize;

    // The window side's calls.
    void SurfaceAttach(TImageSurfaceHost* host) override;
    TSurfacePixels SurfaceBeginPaint() override;
    void SurfaceEndPaint() override;
    void SurfaceResized(int32_t width, int32_t height) override;
    void SurfaceMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void SurfaceMouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void SurfaceMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void SurfaceMouseEnter() override;
    void SurfaceMouseLeave() override;

protected:
    // Whether the next paint may repaint parts only.
    virtual bool CustomRepaint();
    // Whether the optimiser has rectangles to offer.
    virtual bool InvalidRectsAvailable();
    // Fills the invalid-rectangle list for a partial repaint.
    virtual void DoPrepareInvalidRects();
    // Composes the buffer (all of it, or the invalid rectangles).
    virtual void DoPaintBuffer();
    // Overlays on what is presented: layers' PaintGDI, then OnGDIOverlay.
    virtual void DoPaintGDIOverlay();
    // Whether there is anything for DoPaintGDIOverlay to draw.
    virtual bool HasGDIOverlay() const;
    virtual void DoBufferResized(int32_t oldWidth, int32_t oldHeight);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // The control's size changed.
    virtual void Resize();
    // Grows or shrinks the buffer for the viewport, with slack.
    void ResizeBuffer();
    // Asks the window for a paint without touching the buffer.
    void InvalidateWindow();
    // Takes the keyboard focus when the control may have it.
    void FocusOnClick();
    void SetMouseCapture(bool value) { FMouseCapture = value; }

    bool FForceFullRepaint = true;

private:
    std::unique_ptr<TBitmap32> FBuffer;
    std::unique_ptr<TRectList> FInvalidRects;
    std::unique_ptr<TCustomRepaintOptimizer> FRepaintOptimizer;
    // What is presented when overlays draw over the buffer.
    std::unique_ptr<TBitmap32> FOverlay;
    TCanvas* FOverlayCanvas = nullptr;
    TImageSurfaceHost* FHost = nullptr;
    int32_t FBufferOversize = 40;
    bool FBufferValid = false;
    TRepaintMode FRepaintMode = rmFull;
    TPaintBoxOptions FOptions = 0;
    bool FMouseInControl = false;
    bool FMouseCapture = false;
    bool FTabStop = false;
    int32_t FPaintDepth = 0;
    int32_t FLeft = 0;
    int32_t FTop = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    TColor FColor = clBtnFace;
    TCursor FCursor = crDefault;
};
