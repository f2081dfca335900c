#include "platform/ui_mailbox_wakeup.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>

#include "platform/audio/ui_mailbox.h"

namespace {

// One wake-up in the Qt queue at a time is enough: it drains everything.
std::atomic<bool> WakePending{false};

void WakeEventLoop()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || WakePending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        app,
        [] {
            WakePending = false;
            UiMailbox::Drain();
        },
        Qt::QueuedConnection);
}

} // namespace

void InstallUiMailboxWakeUp()
{
    UiMailbox::SetWakeUp(&WakeEventLoop);
}
