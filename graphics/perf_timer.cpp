#include "graphics/perf_timer.h"

#include <chrono>

#include "base/clock.h"

namespace {

int64_t NowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void TPerfTimer::Start()
{
    FStart = NowNanoseconds();
}

int64_t TPerfTimer::ReadValue()
{
    FStop = NowNanoseconds();
    const int64_t ns = FStop - FStart;
    // Round half to even, as the original's Round.
    int64_t us = ns / 1000;
    const int64_t rest = ns % 1000;
    if (rest > 500 || (rest == 500 && (us & 1)))
        ++us;
    return us;
}

uint32_t GetTickCount()
{
    return TimeGetTime();
}
