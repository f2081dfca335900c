#include "sound/mm_timer.h"

#include <semaphore.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

#include "base/clock.h"
#include "platform/audio/audio_output.h"

struct TMMTimer::TRun {
    TMMTimer* Owner = nullptr;
    std::thread Thread;
    std::mutex Lock;       // guards the fields below; never held across a sleep
    bool Killed = false;   // told to stop by another thread, which joins it
    bool SelfStop = false; // disabled from inside its own callback
    bool Done() const { return Killed || SelfStop; }
    std::chrono::milliseconds Period{0};
    // Posted once to cut the sleep short when the run is killed. A timed
    // wait on a semaphore is one system call per period; a condition
    // variable's also takes its mutex back contended, and so makes a second
    // call at every unlock.
    sem_t Wake;
    TRun() { sem_init(&Wake, 0, 0); }
    ~TRun() { sem_destroy(&Wake); }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;
};

namespace {

std::atomic<uint32_t> NextTimerId{1};
// The run whose callback this thread is executing, if any.
thread_local void* CurrentRun = nullptr;
// The audio-paced timer whose callback this thread is executing, if any.
thread_local TMMTimer* CurrentPaced = nullptr;

uint32_t NewTimerId()
{
    uint32_t id = NextTimerId.fetch_add(1);
    if (id == 0)
        id = NextTimerId.fetch_add(1);
    return id;
}

} // namespace

class TMMTimer::TAudioPace : public TAudioTicker {
public:
    explicit TAudioPace(TMMTimer& owner) : FOwner(owner) {}
    void AudioTick() override
    {
        CurrentPaced = &FOwner;
        try {
            FOwner.Timer();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tideglass: timer callback failed: %s\n", e.what());
        }
        CurrentPaced = nullptr;
    }

private:
    TMMTimer& FOwner;
};

TMMTimer::TMMTimer() : FPace(std::make_unique<TAudioPace>(*this))
{
}

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
    if (CurrentPaced == this) {
        // From inside the callback, on the audio thread: nothing here may
        // wait for the tick that is running.
        StopOnAudio();
        if (ShouldRun())
            StartOnAudio();
        return;
    }
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
    if (FAudioPaced && StartOnAudio())
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
    FId = NewTimerId();
}

bool TMMTimer::StartOnAudio()
{
    if (!TAudioOutput::Instance().AddTicker(FPace.get(), FInterval))
        return false;
    FOnAudio = true;
    FId = NewTimerId();
    return true;
}

void TMMTimer::StopOnAudio()
{
    if (FOnAudio.exchange(false)) {
        TAudioOutput::Instance().RemoveTicker(FPace.get());
        FId = 0;
    }
}

void TMMTimer::KillTimer()
{
    StopOnAudio();
    if (!FRun)
        return;
    {
        std::lock_guard<std::mutex> lock(FRun->Lock);
        FRun->Killed = true;
    }
    sem_post(&FRun->Wake);
    FRun->Thread.join();
    FRun.reset();
    FId = 0;
}

namespace {

using TTimerClock = std::chrono::steady_clock;

// Sleeps until `deadline` on the monotonic clock (steady_clock's own);
// true when the semaphore was posted first.
bool SleepUntil(sem_t& wake, TTimerClock::time_point deadline)
{
    const auto since = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    timespec at{};
    at.tv_sec = static_cast<time_t>(seconds.count());
    at.tv_nsec = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
    for (;;) {
        if (sem_clockwait(&wake, CLOCK_MONOTONIC, &at) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

} // namespace

void TMMTimer::ThreadProc(TMMTimer* self, TRun* run)
{
    CurrentRun = run;
    // Call k is due at start + k periods: the deadlines are absolute, so
    // the time a call takes and the lateness of a wake-up never add up.
    TTimerClock::duration period;
    {
        std::lock_guard<std::mutex> lock(run->Lock);
        period = run->Period;
    }
    TTimerClock::time_point next = TTimerClock::now() + period;
    for (;;) {
        if (SleepUntil(run->Wake, next))
            break; // killed
        {
            std::lock_guard<std::mutex> lock(run->Lock);
            if (run->Done())
                break;
        }
        try {
            self->Timer();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tideglass: timer callback failed: %s\n", e.what());
        }
        {
            std::lock_guard<std::mutex> lock(run->Lock);
            if (run->Done())
                break;
            period = run->Period;
        }
        // Periods already over are skipped, not made up in a burst: the
        // next call comes at the first deadline still ahead.
        next += period;
        const TTimerClock::time_point now = TTimerClock::now();
        if (next <= now)
            next += ((now - next) / period + 1) * period;
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
    const uint32_t now = FOnAudio ? TAudioOutput::Instance().ClockMs() : TimeGetTime();
    if (FFirstElapsed.exchange(false)) {
        FLastTick = now;
        return 0;
    }
    const uint32_t elapsed = now - FLastTick;
    FLastTick = now;
    return elapsed;
}
