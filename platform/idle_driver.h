#pragma once
// The engine's idle loop: a 1 ms timer that calls its handler again and
// again for as long as it runs. Being a timer of the thread's event loop, it
// also fires inside the nested loops of modal dialogs and message boxes,
// which the engine relies on to keep its background script and music fade
// going while a dialog is up.

#include <QObject>
#include <functional>
#include <memory>

class QTimer;

class TIdleDriver {
public:
    TIdleDriver();
    ~TIdleDriver();
    TIdleDriver(const TIdleDriver&) = delete;
    TIdleDriver& operator=(const TIdleDriver&) = delete;

    void Start();
    void Stop();
    bool Active() const;

    // Called on every pass; the owner clears it before it goes away.
    std::function<void()> OnIdle;

private:
    std::unique_ptr<QTimer> FTimer;
};
