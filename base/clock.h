#pragma once
// The millisecond clock the engine ticks by: a wrapping 32-bit count of
// milliseconds from a monotonic source. Tests install a fake clock.

#include <cstdint>

class TClockSource {
public:
    virtual ~TClockSource() = default;
    virtual uint32_t NowMs() = 0;
};

// The system clock: milliseconds since an arbitrary start, wrapping at 2^32.
class TSystemClock : public TClockSource {
public:
    uint32_t NowMs() override;
};

// A clock that moves only when told to.
class TFakeClock : public TClockSource {
public:
    explicit TFakeClock(uint32_t start = 0) : FNow(start) {}
    uint32_t NowMs() override { return FNow; }
    void Advance(uint32_t ms) { FNow += ms; }
    void Set(uint32_t ms) { FNow = ms; }

private:
    uint32_t FNow;
};

// The clock every caller reads; the system clock unless one is installed.
uint32_t TimeGetTime();
// Installs a clock (not owned); nullptr restores the system clock.
void SetClockSource(TClockSource* source);

// True when at least `interval` ms have passed from `since` to `now`, counted
// modulo 2^32, so the test keeps working when the counter wraps.
inline bool IntervalElapsed(uint32_t now, uint32_t since, uint32_t interval)
{
    return static_cast<uint32_t>(now - since) >= interval;
}
