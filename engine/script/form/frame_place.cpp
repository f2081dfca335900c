#include "engine/script/form/frame_place.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

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

bool TFramePlace::eventFilter(QObject* watched, QEvent* event)
{
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
