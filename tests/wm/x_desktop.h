#pragma once
// A desktop for the window tests: a bare X server of its own, a window
// manager (openbox) started and stopped by the test that wants one, and
// what the tests read and do from outside the program: where a window's
// frame stands on the screen, the pointer dragging a title bar, keys typed
// as a player types them. Every wait is bounded.

#include <QElapsedTimer>
#include <QRect>
#include <QStringList>
#include <QTest>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

class QWidget;

inline void PrintTo(const QPoint& p, std::ostream* os)
{
    *os << "(" << p.x() << ", " << p.y() << ")";
}

inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

// A program started for the tests that ends with them: it gets a signal
// when the test process dies, however it dies.
class TChildProgram {
public:
    TChildProgram() = default;
    TChildProgram(const TChildProgram&) = delete;
    TChildProgram& operator=(const TChildProgram&) = delete;
    ~TChildProgram() { Stop(); }

    // `keepFd` stays open in the program (-1: none). False when it could
    // not be started.
    bool Start(const std::vector<std::string>& argv, int keepFd = -1);
    void Stop();
    bool Running() const { return FPid > 0; }

private:
    pid_t FPid = -1;
};

class TXServer {
public:
    // An empty text when the server is up, else what went wrong.
    std::string Start();
    // ":<n>"
    const std::string& Display() const { return FDisplay; }

private:
    TChildProgram FServer;
    std::string FDisplay;
};

class TWindowManager {
public:
    ~TWindowManager() { Stop(); }
    // True once the manager has taken the screen.
    bool Start();
    void Stop();

private:
    TChildProgram FManager;
};

// Waits, handling the program's events, until `done` holds or `ms` pass.
template <class F>
bool WaitFor(F&& done, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QTest::qWait(10);
    return done();
}

// The outermost window of `window` on the screen (the manager's frame, or
// the window itself without one), in screen pixels, as the X server has
// it now.
QRect FrameOnScreen(const QWidget& window);
// The frame once it has stopped moving: the same place over a quiet spell
// (the manager frames a new window and the program may then set its place).
QRect SettledFrame(const QWidget& window);
// The window functions a window asks its manager for (the Motif hints
// functions field: minimise 8, maximise 16, close 32); -1 when it states
// none.
long AskedFunctions(const QWidget& window);
// The window the X server gives the keys to now.
bool HasInputFocus(const QWidget& window);

// Runs the input tool with `args` and waits for it (bounded); true when it
// succeeded.
bool Xdotool(const QStringList& args);
// The pointer presses at `from`, moves to `to` and lets go.
bool Drag(QPoint from, QPoint to);
