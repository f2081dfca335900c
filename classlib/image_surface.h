#pragma once
// What a window surface and the control it shows say to each other. The
// control (composition, layers, mouse routing) knows nothing of the window
// toolkit; the surface (a widget) knows nothing of bitmaps. The mouse and
// cursor values are the class library's own, so handlers written for the
// original keep their meaning.

#include "classlib/shift_state.h"

#include <cstdint>

// Which mouse button an event is about.
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Cursor identifiers of the class library. crDefault lets each control show
// its own cursor; the others are the standard shapes.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The application-wide cursor (the class library's Screen.Cursor): anything
// but crDefault overrides every window's own cursor until it is set back.
void SetScreenCursor(TCursor cursor);
TCursor ScreenCursor();
// What shows a change of the screen cursor on the desktop (the window
// surfaces install it); called with the cursor before and after.
using TScreenCursorHandler = void (*)(TCursor previous, TCursor cursor);
void SetScreenCursorHandler(TScreenCursorHandler handler);

// Pixels a surface presents: Width x Height 32-bit words with blue in the
// low byte and the top byte ignored, rows `Stride` words apart.
struct TSurfacePixels {
    const uint32_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0;
};

// The window side, as the control sees it. All calls come on the
// user-interface thread.
class TImageSurfaceHost {
public:
    virtual ~TImageSurfaceHost() = default;
    // Asks for a paint soon; many requests before it come make one paint.
    virtual void SurfaceInvalidate() = 0;
    // Paints now if a paint is pending.
    virtual void SurfaceUpdate() = 0;
    // The control's place in its parent changed.
    virtual void SurfaceBoundsChanged(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
    // The control's own cursor changed.
    virtual void SurfaceCursorChanged(TCursor cursor) = 0;
    // The control wants the keyboard focus.
    virtual void SurfaceSetFocus() = 0;
    // The control is going away: no call may reach it after this.
    virtual void SurfaceDetach() = 0;
};

// The control side, as the window sees it.
class TImageSurfaceClient {
public:
    virtual ~TImageSurfaceClient() = default;
    // The window that shows the control from now on, or none; the control
    // keeps it to ask for paints and tells it when it goes away.
    virtual void SurfaceAttach(TImageSurfaceHost* host) = 0;
    // Composes when the picture is out of date and answers what to show. The
    // pixels stay valid until SurfaceEndPaint.
    virtual TSurfacePixels SurfaceBeginPaint() = 0;
    virtual void SurfaceEndPaint() = 0;
    // The window gave the control a new size (layout, user resizing).
    virtual void SurfaceResized(int32_t width, int32_t height) = 0;
    // Mouse input in control pixels.
    virtual void SurfaceMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) = 0;
    virtual void SurfaceMouseMove(TShiftState shift, int32_t x, int32_t y) = 0;
    virtual void SurfaceMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) = 0;
    virtual void SurfaceMouseEnter() = 0;
    virtual void SurfaceMouseLeave() = 0;
};
