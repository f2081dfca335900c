#pragma once
// The window surface of an image control: a widget that presents the
// control's back buffer (the top byte of every pixel ignored), forwards the
// mouse to it, follows its place and cursor, and turns its many invalidate
// requests into one paint.

#include <QWidget>

#include "classlib/image_surface.h"

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
    TImageSurfaceClient* FClient = nullptr;
    bool FPaintPending = false;
    bool FApplyingBounds = false;
};

// The Qt cursor shape for a class-library cursor identifier.
Qt::CursorShape CursorShapeOf(TCursor cursor);
// The class library's shift state of a Qt mouse event's keys and buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
