#pragma once
// The place of a window's frame, kept until the window manager has framed
// the window. A window not shown yet has no frame, and a window manager that
// puts the client where the frame was asked for would make the window creep
// by its frame's size at every start; so the frame is put at its place once
// the window is first on the screen and framed. It is looked at for a few
// seconds and set right at most a few times, so that a manager that places
// windows itself is not fought.

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <chrono>
#include <optional>

class QWidget;
class QWindow;

class TFramePlace : public QObject {
public:
    explicit TFramePlace(QWidget& window);
    ~TFramePlace() override;

    // The frame at `place`: at once when the window is on the screen, else
    // when it comes there.
    void Set(QPoint place);
    // The place asked for and not yet honoured, else the frame's.
    QPoint Place() const;
    // The place is no longer to be made good (full screen takes the window).
    void Drop();
    // The frame at `place` once the window manager has framed the window
    // again: a window coming back from full screen has no frame yet, and the
    // manager puts it back where it likes a moment later. For a few seconds
    // the frame is looked at and set right when seen elsewhere, until it has
    // stood at its place for a moment.
    void SetWhenFramed(QPoint place);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();
    void CheckFramed();
    void StopFramed();

    QWidget& FWindow;
    QWindow* FHandle = nullptr;
    std::optional<QPoint> FWanted;
    // SetWhenFramed's place is watched for until this time.
    std::optional<std::chrono::steady_clock::time_point> FFramedUntil;
    // Since when the frame has stood at SetWhenFramed's place.
    std::optional<std::chrono::steady_clock::time_point> FFramedSince;
    int FFramedMoves = 0;
    QTimer FFramedTimer;
};
