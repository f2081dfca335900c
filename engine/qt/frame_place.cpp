#include "engine/qt/frame_place.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// How long after full screen the window manager may take to frame the
// window again.
constexpr std::chrono::milliseconds FramedWait{3000};
// The frame at its place this long is taken as framed for good.
constexpr std::chrono::milliseconds FramedQuiet{500};
constexpr int FramedLook = 20; // ms between looks
// A manager that keeps moving the window is not fought beyond this.
constexpr int FramedMovesAllowed = 3;

} // namespace

TFramePlace::TFramePlace(QWidget& window) : FWindow(window)
{
    FWindow.installEventFilter(this);
    FFramedTimer.setInterval(FramedLook);
    connect(&FFramedTimer, &QTimer::timeout, this, [this] { CheckFramed(); });
}

TFramePlace::~TFramePlace()
{
    FWindow.removeEventFilter(this);
    if (FHandle)
        FHandle->removeEventFilter(this);
}

void TFramePlace::Set(QPoint place)
{
    StopFramed();
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

void TFramePlace::Drop()
{
    StopFramed();
    FWanted.reset();
}

void TFramePlace::SetWhenFramed(QPoint place)
{
    FWanted = place;
    FFramedUntil = std::chrono::steady_clock::now() + FramedWait;
    FFramedSince.reset();
    FFramedMoves = 0;
    FFramedTimer.start();
}

void TFramePlace::StopFramed()
{
    if (!FFramedUntil)
        return;
    FFramedUntil.reset();
    FFramedSince.reset();
    FFramedTimer.stop();
    FWanted.reset();
}

void TFramePlace::CheckFramed()
{
    if (!FFramedUntil || !FWanted)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now > *FFramedUntil) {
        StopFramed();
        return;
    }
    // Until the manager has framed the window, where it stands says nothing.
    if (!FHandle || FWindow.isFullScreen() || FHandle->frameMargins().isNull()) {
        FFramedSince.reset();
        return;
    }
    if (FWindow.frameGeometry().topLeft() != *FWanted) {
        FFramedSince.reset();
        if (FFramedMoves < FramedMovesAllowed) {
            ++FFramedMoves;
            FWindow.move(*FWanted);
        }
        return;
    }
    if (!FFramedSince)
        FFramedSince = now;
    else if (now - *FFramedSince >= FramedQuiet)
        StopFramed();
}

bool TFramePlace::eventFilter(QObject* watched, QEvent* event)
{
    if (FFramedUntil) {
        CheckFramed();
        return QObject::eventFilter(watched, event);
    }
    if (watched == &FWindow && event->type() == QEvent::Show && !FHandle) {
        FHandle = FWindow.windowHandle();
        if (FHandle)
            FHandle->installEventFilter(this);
    } else if (watched == FHandle && event->type() == QEvent::Expose && FHandle->isExposed() && FWanted) {
        // The first expose may come before the manager has framed the
        // window, or before we have heard where it put the frame: the
        // frame is watched for as after full screen.
        SetWhenFramed(*FWanted);
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
