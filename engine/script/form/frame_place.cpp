#include "engine/script/form/frame_place.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// How long after full screen the window manager may take to frame the
// window again.
constexpr std::chrono::milliseconds FramedWait{1000};

} // namespace

TFramePlace::TFramePlace(QWidget& window) : FWindow(window)
{
    FWindow.installEventFilter(this);
}

TFramePlace::~TFramePlace()
{
    FWindow.removeEventFilter(this);
    if (FHandle)
        FHandle->removeEventFilter(this);
}

void TFramePlace::Set(QPoint place)
{
    FWanted = place;
    FFramedUntil.reset();
    if (FHandle && FHandle->isExposed()) {
        Apply();
        return;
    }
    // Before the window is shown, Qt takes the place for the frame's when
    // it can; the window manager decides what it makes of that.
    if (QWindow* handle = FWindow.windowHandle())
        handle->setFramePosition(place);
    else
        FWindow.move(place);
}

QPoint TFramePlace::Place() const
{
    return FWanted.value_or(FWindow.pos());
}

void TFramePlace::SetWhenFramed(QPoint place)
{
    FWanted = place;
    FFramedUntil = std::chrono::steady_clock::now() + FramedWait;
}

bool TFramePlace::eventFilter(QObject* watched, QEvent* event)
{
    if (FFramedUntil) {
        if (std::chrono::steady_clock::now() > *FFramedUntil) {
            FFramedUntil.reset();
            FWanted.reset();
        } else if (FHandle && !FWindow.isFullScreen() && !FHandle->frameMargins().isNull() &&
                   FWindow.frameGeometry().topLeft() != *FWanted) {
            const QPoint wanted = *FWanted;
            FFramedUntil.reset();
            FWanted.reset();
            FWindow.move(wanted);
        }
        return QObject::eventFilter(watched, event);
    }
    if (watched == &FWindow && event->type() == QEvent::Show && !FHandle) {
        FHandle = FWindow.windowHandle();
        if (FHandle)
            FHandle->installEventFilter(this);
    } else if (watched == FHandle && event->type() == QEvent::Expose && FHandle->isExposed()) {
        Apply();
    }
    return QObject::eventFilter(watched, event);
}

void TFramePlace::Apply()
{
    if (!FWanted)
        return;
    const QPoint wanted = *FWanted;
    FWanted.reset();
    if (FWindow.isFullScreen() || FWindow.frameGeometry().topLeft() == wanted)
        return;
    FWindow.move(wanted);
}
