#include "platform/idle_driver.h"

#include <QTimer>

TIdleDriver::TIdleDriver() : FTimer(std::make_unique<QTimer>())
{
    // A precise 1 ms period stands in for the original's "idle, then Sleep(1)":
    // about a thousand passes a second, each of them cheap.
    FTimer->setTimerType(Qt::PreciseTimer);
    FTimer->setInterval(1);
    QObject::connect(FTimer.get(), &QTimer::timeout, [this] {
        if (OnIdle)
            OnIdle();
    });
}

TIdleDriver::~TIdleDriver()
{
    FTimer->stop();
}

void TIdleDriver::Start()
{
    FTimer->start();
}

void TIdleDriver::Stop()
{
    FTimer->stop();
}

bool TIdleDriver::Active() const
{
    return FTimer->isActive();
}
