#include "platform/image_widget.h"

#include <cmath>
#include <exception>

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace {

// Qt does not let exceptions leave its event handlers; a failure inside the
// control is logged instead of ending the program in the event loop.
template <class F>
void Guarded(const char* what, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        qWarning("%s: %s", what, e.what());
    }
}

bool MouseButtonOf(Qt::MouseButton qtButton, TMouseButton& button)
{
    switch (qtButton) {
    case Qt::LeftButton: button = mbLeft; return true;
    case Qt::RightButton: button = mbRight; return true;
    case Qt::MiddleButton: button = mbMiddle; return true;
    default: return false;
    }
}

int32_t Coordinate(qreal v)
{
    return int32_t(std::floor(v));
}

// Rounding of device sizes as the backing store does it.
int32_t DeviceExtent(int logical, qreal ratio)
{
    return int32_t(std::lround(logical * ratio));
}

} // namespace

Qt::CursorShape CursorShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

namespace {

// The screen cursor as Qt's override cursor.
void ApplyScreenCursor(TCursor previous, TCursor cursor)
{
    if (qGuiApp == nullptr)
        return;
    if (previous != crDefault && cursor != crDefault)
        QGuiApplication::changeOverrideCursor(QCursor(CursorShapeOf(cursor)));
    else if (cursor != crDefault)
        QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(cursor)));
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

TImageWidget::TImageWidget(TImageSurfaceClient* client, QWidget* parent) : QWidget(parent)
{
    SetScreenCursorHandler(ApplyScreenCursor);
    // Every pixel comes from the control's buffer; Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    SetClient(client);
}

TImageWidget::~TImageWidget()
{
    if (FClient != nullptr) {
        TImageSurfaceClient* client = FClient;
        FClient = nullptr;
        client->SurfaceAttach(nullptr);
    }
}

void TImageWidget::SetClient(TImageSurfaceClient* client)
{
    if (client == FClient)
        return;
    if (FClient != nullptr)
        FClient->SurfaceAttach(nullptr);
    FClient = client;
    if (FClient != nullptr)
        FClient->SurfaceAttach(this);
    SurfaceInvalidate();
}

void TImageWidget::SetFitMode(bool on)
{
    if (on == FFitMode)
        return;
    FFitMode = on;
    FFrameStale = true;
    if (!on) {
        FFrame = QImage();
        SurfaceBoundsChanged(FControlBounds.x(), FControlBounds.y(), FControlBounds.width(), FControlBounds.height());
    }
    SurfaceInvalidate();
}

TFitPlacement TImageWidget::Placement() const
{
    if (!FFitMode)
        return {};
    const qreal ratio = devicePixelRatioF();
    return FitPlacement(
        FControlBounds.width(), FControlBounds.height(), DeviceExtent(width(), ratio), DeviceExtent(height(), ratio));
}

bool TImageWidget::ControlPoint(const QPointF& at, int32_t& x, int32_t& y, bool clamp) const
{
    if (!FFitMode) {
        x = Coordinate(at.x());
        y = Coordinate(at.y());
        return true;
    }
    const qreal ratio = devicePixelRatioF();
    const TFitPlacement fit = Placement();
    if (fit.Empty())
        return false;
    const int32_t dx = Coordinate(at.x() * ratio);
    const int32_t dy = Coordinate(at.y() * ratio);
    if (clamp) {
        fit.ToLogicalClamped(dx, dy, x, y);
        return true;
    }
    return fit.ToLogical(dx, dy, x, y);
}

void TImageWidget::SurfaceInvalidate()
{
    FPaintPending = true;
    FFrameStale = true;
    update();
}

void TImageWidget::SurfaceUpdate()
{
    if (FPaintPending && isVisible())
        repaint();
}

void TImageWidget::SurfaceBoundsChanged(int32_t left, int32_t top, int32_t width, int32_t height)
{
    FControlBounds = QRect(left, top, width, height);
    if (FFitMode) {
        FFrameStale = true;
        return;
    }
    FApplyingBounds = true;
    if (parentWidget() != nullptr)
        setGeometry(left, top, width, height);
    else
        resize(width, height);
    FApplyingBounds = false;
}

void TImageWidget::SurfaceCursorChanged(TCursor cursor)
{
    if (cursor == crDefault)
        unsetCursor();
    else
        setCursor(QCursor(CursorShapeOf(cursor)));
}

void TImageWidget::SurfaceSetFocus()
{
    setFocus(Qt::MouseFocusReason);
}

void TImageWidget::SurfaceDetach()
{
    FClient = nullptr;
    SurfaceInvalidate();
}

void TImageWidget::paintEvent(QPaintEvent* event)
{
    FPaintPending = false;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect area = event->rect();
    if (FFitMode && FClient != nullptr) {
        PaintFitted(painter);
        return;
    }
    if (FClient == nullptr) {
        painter.fillRect(area, Qt::black);
        return;
    }
    TSurfacePixels pixels;
    bool began = false;
    Guarded("Image paint", [&] {
        pixels = FClient->SurfaceBeginPaint();
        began = true;
    });
    if (!began) {
        painter.fillRect(area, Qt::black);
        return;
    }
    const QRect shown(0, 0, pixels.Width, pixels.Height);
    if (pixels.Bits != nullptr && !shown.isEmpty()) {
        // Format_RGB32 reads the top byte as undefined, which is what the
        // buffer's alpha means on screen.
        const QImage image(reinterpret_cast<const uchar*>(pixels.Bits), pixels.Width, pixels.Height,
            qsizetype(pixels.Stride) * 4, QImage::Format_RGB32);
        const QRect part = area.intersected(shown);
        painter.drawImage(part, image, part);
    }
    // Beyond the control's buffer (a widget laid out larger) stays black.
    const QRegion outside = QRegion(area).subtracted(QRegion(shown));
    for (const QRect& r : outside)
        painter.fillRect(r, Qt::black);
    Guarded("Image paint", [&] { FClient->SurfaceEndPaint(); });
}

void TImageWidget::PaintFitted(QPainter& painter)
{
    const qreal ratio = devicePixelRatioF();
    const int32_t w = DeviceExtent(width(), ratio);
    const int32_t h = DeviceExtent(height(), ratio);
    if (w <= 0 || h <= 0)
        return;
    if (FFrame.width() != w || FFrame.height() != h) {
        FFrame = QImage(w, h, QImage::Format_RGB32);
        FFrameStale = true;
    }
    if (FFrameStale) {
        TSurfacePixels pixels;
        bool began = false;
        Guarded("Image paint", [&] {
            pixels = FClient->SurfaceBeginPaint();
            began = true;
        });
        if (!began)
            pixels = TSurfacePixels{};
        const TFitPlacement fit = FitPlacement(pixels.Width, pixels.Height, w, h);
        FScaler.Present(
            pixels, fit, reinterpret_cast<uint32_t*>(FFrame.bits()), w, h, int32_t(FFrame.bytesPerLine() / 4));
        if (began)
            Guarded("Image paint", [&] { FClient->SurfaceEndPaint(); });
        FFrameStale = false;
    }
    FFrame.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(0, 0), FFrame);
}

void TImageWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (FFitMode) {
        FFrameStale = true;
        return;
    }
    if (FApplyingBounds || FClient == nullptr)
        return;
    Guarded("Image resize", [&] { FClient->SurfaceResized(event->size().width(), event->size().height()); });
}

void TImageWidget::mousePressEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (FClient == nullptr || !MouseButtonOf(event->button(), button)) {
        QWidget::mousePressEvent(event);
        return;
    }
    int32_t x, y;
    if (!ControlPoint(event->position(), x, y, false))
        return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    Guarded("Image mouse down", [&] { FClient->SurfaceMouseDown(button, shift, x, y); });
}

void TImageWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (FClient == nullptr || !MouseButtonOf(event->button(), button)) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The second press of a double click, as the class library reports it.
    int32_t x, y;
    if (!ControlPoint(event->position(), x, y, false))
        return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons()) | ssDouble;
    Guarded("Image mouse down", [&] { FClient->SurfaceMouseDown(button, shift, x, y); });
}

void TImageWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (FClient == nullptr) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    int32_t x, y;
    if (!ControlPoint(event->position(), x, y, false))
        return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    Guarded("Image mouse move", [&] { FClient->SurfaceMouseMove(shift, x, y); });
}

void TImageWidget::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (FClient == nullptr || !MouseButtonOf(event->button(), button)) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    int32_t x, y;
    if (!ControlPoint(event->position(), x, y, true))
        return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    Guarded("Image mouse up", [&] { FClient->SurfaceMouseUp(button, shift, x, y); });
}

void TImageWidget::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (FClient != nullptr)
        Guarded("Image mouse enter", [&] { FClient->SurfaceMouseEnter(); });
}

void TImageWidget::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (FClient != nullptr)
        Guarded("Image mouse leave", [&] { FClient->SurfaceMouseLeave(); });
}
