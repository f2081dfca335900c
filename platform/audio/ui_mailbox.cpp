#include "platform/audio/ui_mailbox.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

namespace {

struct TPosted {
    const void* Owner;
    std::function<void()> Task;
};

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::deque<TPosted>& Queue()
{
    static std::deque<TPosted> queue;
    return queue;
}

std::atomic<UiMailbox::TWakeUp> WakeUp{nullptr};

} // namespace

void UiMailbox::Post(const void* owner, std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> guard(Lock());
        Queue().push_back({owner, std::move(task)});
    }
    if (UiMailbox::TWakeUp wake = WakeUp.load())
        wake();
}

void UiMailbox::SetWakeUp(TWakeUp wakeUp)
{
    WakeUp = wakeUp;
}

void UiMailbox::Cancel(const void* owner)
{
    std::lock_guard<std::mutex> guard(Lock());
    std::erase_if(Queue(), [owner](const TPosted& p) { return p.Owner == owner; });
}

int UiMailbox::Drain()
{
    int ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(Lock());
            if (Queue().empty())
                return ran;
            task = std::move(Queue().front().Task);
            Queue().pop_front();
        }
        task();
        ++ran;
    }
}
