#pragma once
// The window surface of an image control: a widget that presents the
// control's back buffer (the top byte of every pixel ignored), forwards the
// mouse to it, follows its place and cursor, and turns its many invalidate
// requests into one paint. In fit mode (full screen) the control keeps its
// own, logical size and the widget shows it scaled to fit, between black
// bars, with the mouse mapped back to logical pixels.

#include <QImage>
#include <QWidget>

#include "classlib/image_surface.h"
#include "platform/image_widget_fit.h"

class TImageWidget : public QWidget, public TImageSurfaceHost {
public:
    // Attaches itself to `client`; none shows nothing until SetClient.
    explicit TImageWidget(TImageSurfaceClient* client = nullptr, QWidget* parent = nullptr);
    // Detaches from the client.
    ~TImageWidget() override;

    TImageSurfaceClient* Client() const { return FClient; }
    void SetClient(TImageSurfaceClient* client);
    // Whether a paint has been asked for and has not run yet.
    bool PaintPending() const { return FPaintPending; }

    // Fit mode on: the widget is laid out by its owner (to fill the screen)
    // and no longer follows the control's place, nor resizes the control;
    // the control's pixels are shown at the largest nearest-neighbour scale
    // that fits the widget with the aspect kept. Moves and presses over the
    // bars reach the control not at all; a release there is taken to the
    // nearest edge so no button stays held. Off: the widget takes the
    // control's place again.
    void SetFitMode(bool on);
    bool FitMode() const { return FFitMode; }
    // Where the control's pixels land, in the widget's device pixels (its
    // own pixels at a device pixel ratio of 1); empty outside fit mode.
    TFitPlacement Placement() const;

    void SurfaceInvalidate() override;
    void SurfaceUpdate() override;
    void SurfaceBoundsChanged(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void SurfaceCursorChanged(TCursor cursor) override;
    void SurfaceSetFocus() override;
    void SurfaceDetach() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PaintFitted(QPainter& painter);
    // Control pixels of a widget position; false where fit mode shows bars.
    bool ControlPoint(const QPointF& at, int32_t& x, int32_t& y, bool clamp) const;

    TImageSurfaceClient* FClient = nullptr;
    bool FPaintPending = false;
    bool FApplyingBounds = false;
    bool FFitMode = false;
    // The control's place as it last told it, taken again when fit mode ends.
    QRect FControlBounds;
    // The scaled frame of fit mode, redone only when the control or the
    // widget changed.
    QImage FFrame;
    bool FFrameStale = true;
    TFitScaler FScaler;
};

// The Qt cursor shape for a class-library cursor identifier.
Qt::CursorShape CursorShapeOf(TCursor cursor);
// The class library's shift state of a Qt mouse event's keys and buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
