// Full screen, the window's half. No display mode is ever changed: the
// window takes the window system's full screen (on X11 and Wayland alike)
// and shows the engine's logical screen scaled to the largest size that
// fits the monitor, between black bars, as a mode switch looked on real
// hardware. The window's geometry arrives later than it is asked for, so
// everything is laid out again on every resize.

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "engine/qt/frame_place.h"
#include "engine/qt/tideglass_form.h"
#include "graphics/image32.h"
#include "platform/image_widget.h"

namespace {

// The menu bar comes while the pointer is in these top rows of the screen.
constexpr int MenuBarRows = 32;

} // namespace

void TTideglassForm::EnterFullScreen(int, int)
{
    if (!FInFullScreen) {
        // A place the window manager has not honoured yet is still the one
        // to come back to.
        FWindowedPlace = FMainPlace->Place();
        FMainPlace->Drop();
        FFramedBeforeFullScreen = windowHandle() && !windowHandle()->frameMargins().isNull();
        FInFullScreen = true;
    }
    // The window's fixed size gives way to the monitor's.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    centralWidget()->setMinimumSize(0, 0);
    centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    GameImgView->SetFitMode(true);
    // A window nobody frames has no manager to make it fill the screen
    // (a bare X server, a kiosk): it is put over its screen here.
    const bool managed = windowHandle() && !windowHandle()->frameMargins().isNull();
    showFullScreen();
    if (!managed && screen()) {
        setGeometry(screen()->geometry());
        raise();
    }
    LayoutFullScreen();
}

void TTideglassForm::LeaveFullScreen()
{
    if (!FInFullScreen)
        return;
    FInFullScreen = false;
    GameImgView->SetFitMode(false);
    showNormal();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(FWindowedPlace);
    // A window manager frames the window again only after this, and may put
    // its client where the frame was: the frame is set right then.
    if (FFramedBeforeFullScreen)
        FMainPlace->SetWhenFramed(FWindowedPlace);
    // The engine gives the client its size next (SetClientSize).
}

QPoint TTideglassForm::WindowedPlace() const
{
    return FInFullScreen || FClosedFromFullScreen ? FWindowedPlace : FMainPlace->Place();
}

void TTideglassForm::LayoutFullScreen()
{
    if (!FInFullScreen)
        return;
    // The menu bar, when it shows, pushes the client down; the picture
    // stays where it is and the bar lies over it.
    const int top = centralWidget()->y();
    GameImgView->setGeometry(0, -top, width(), height());

    const TFitPlacement fit = GameImgView->Placement();
    if (fit.Empty())
        return;
    // The command line's place on the logical screen, scaled as the picture
    // is (device pixels of the widget, then its own).
    const qreal ratio = GameImgView->devicePixelRatioF();
    const auto mapX = [&](int x) { return (fit.Left + int64_t(x) * fit.Width / fit.SourceWidth) / ratio; };
    const auto mapY = [&](int y) { return (fit.Top + int64_t(y) * fit.Height / fit.SourceHeight) / ratio; };
    const int editTop = fit.SourceHeight - MainInputHeight - FInputGrowth - FMainInputLift;
    const int left = int(mapX(0));
    const int right = int(mapX(fit.SourceWidth));
    const int y0 = int(mapY(editTop));
    const int y1 = int(mapY(editTop + MainInputHeight + FInputGrowth));
    CmdEdit->setGeometry(left, y0 - top, right - left, y1 - y0);
    CmdEdit->raise();
}

void TTideglassForm::FullScreenPointerAt(int y)
{
    if (!FInFullScreen)
        return;
    const bool wanted = y < MenuBarRows;
    if (wanted == menuBar()->isVisible())
        return;
    menuBar()->setVisible(wanted);
    FEngine->GameImg().Invalidate();
}
