#include "sound/mm_timer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

#include "base/clock.h"

struct TMMTimer::TRun {
    TMMTimer* Owner = nullptr;
    std::thread Thread;
    std::mutex Lock;
    std::condition_variable Wake;
    bool Killed = false;    // told to stop by another thread, which joins it
    bool SelfStop = false;  // disabled from inside its own callback
    bool Done() const { return Killed || SelfStop; }
    std::chrono::milliseconds Period{0};
};

namespace {

std::atomic<uint32_t> NextTimerId{1};
// The run whose callback this thread is executing, if any.
thread_local void* CurrentRun = nullptr;

} // namespace

TMMTimer::TMMTimer() = default;

TMMTimer::~TMMTimer()
{
    FEnabled = false;
    std::lock_guard<std::mutex> guard(FControl);
    KillTimer();
}

void TMMTimer::SetEnabled(bool value)
{
    FFirstElapsed = true;
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TMMTimer::SetInterval(uint32_t value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TMMTimer::UpdateTimer()
{
    TRun* own = static_cast<TRun*>(CurrentRun);
    if (own && own->Owner == this) {
        // From inside the callback: the thread stops after it, or simply
        // goes on when the timer is to run again. Nothing here waits, so a
        // thread that is joining this one meanwhile cannot deadlock.
        // A stop from another thread stays a stop whatever is decided here.
        std::lock_guard<std::mutex> lock(own->Lock);
        own->SelfStop = !ShouldRun();
        own->Period = std::chrono::milliseconds(FInterval.load());
        if (own->SelfStop)
            FId = 0;
        return;
    }
    std::lock_guard<std::mutex> guard(FControl);
    KillTimer();
    if (!ShouldRun())
        return;
    auto run = std::make_unique<TRun>();
    run->Owner = this;
    run->Period = std::chrono::milliseconds(FInterval.load());
    try {
        run->Thread = std::thread(&TMMTimer::ThreadProc, this, run.get());
    } catch (const std::system_error&) {
        throw EMMTimerError("No timer available");
    }
    FRun = std::move(run);
    uint32_t id = NextTimerId.fetch_add(1);
    if (id == 0)
        id = NextTimerId.fetch_add(1);
    FId = id;
}

void TMMTimer::KillTimer()
{
    if (!FRun)
        return;
    {
        std::lock_guard<std::mutex> lock(FRun->Lock);
        FRun->Killed = true;
    }
    FRun->Wake.notify_all();
    FRun->Thread.join();
    FRun.reset();
    FId = 0;
}

void TMMTimer::ThreadProc(TMMTimer* self, TRun* run)
{
    using Clock = std::chrono::steady_clock;
    CurrentRun = run;
    Clock::time_point next = Clock::now() + run->Period;
    std::unique_lock<std::mutex> lock(run->Lock);
    while (!run->Done()) {
        if (run->Wake.wait_until(lock, next, [run] { return run->Done(); }))
            break;
        lock.unlock();
        try {
            self->Timer();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tideglass: timer callback failed: %s\n", e.what());
        }
        lock.lock();
        next += run->Period;
        const Clock::time_point now = Clock::now();
        if (next <= now)
            next += ((now - next) / run->Period + 1) * run->Period;
    }
    CurrentRun = nullptr;
}

void TMMTimer::Timer()
{
    if (!OnTimer || FBusy.exchange(true))
        return;
    struct TClearBusy {
        std::atomic<bool>& Busy;
        ~TClearBusy() { Busy = false; }
    } clear{FBusy};
    OnTimer(this);
}

uint32_t TMMTimer::GetElapsed()
{
    const uint32_t now = TimeGetTime();
    if (FFirstElapsed.exchange(false)) {
        FLastTick = now;
        return 0;
    }
    const uint32_t elapsed = now - FLastTick;
    FLastTick = now;
    return elapsed;
}
