#include "sound/midi_window.h"

void TMidiWindow::Post(const TMidiWindowMessage& message)
{
    std::lock_guard<std::mutex> lock(FLock);
    FQueue.push_back(message);
}

int TMidiWindow::Drain(const std::function<void(const TMidiWindowMessage&)>& wndProc)
{
    std::deque<TMidiWindowMessage> batch;
    {
        std::lock_guard<std::mutex> lock(FLock);
        batch.swap(FQueue);
    }
    for (const TMidiWindowMessage& m : batch)
        wndProc(m);
    return static_cast<int>(batch.size());
}

void TMidiWindow::Clear()
{
    std::lock_guard<std::mutex> lock(FLock);
    FQueue.clear();
}

bool TMidiWindow::Pending() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FQueue.empty();
}
