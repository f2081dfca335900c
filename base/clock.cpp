#include "base/clock.h"

#include <atomic>
#include <chrono>

uint32_t TSystemClock::NowMs()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

namespace {
TSystemClock systemClock;
std::atomic<TClockSource*> currentClock{nullptr};
} // namespace

uint32_t TimeGetTime()
{
    TClockSource* source = currentClock.load(std::memory_order_acquire);
    return source != nullptr ? source->NowMs() : systemClock.NowMs();
}

void SetClockSource(TClockSource* source)
{
    currentClock.store(source, std::memory_order_release);
}
