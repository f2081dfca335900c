// The multimedia timer: elapsed time across the clock's wrap, and stopping
// from its own callback and from another thread while a callback runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "base/clock.h"
#include "sound/mm_timer.h"

namespace {

using namespace std::chrono_literals;

// Waits up to a generous limit for a condition; the suite runs loaded.
template <class F>
bool WaitFor(F done)
{
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(MMTimer, ElapsedCountsAcrossTheClocksWrap)
{
    TFakeClock clock(0xFFFFFFF0u);
    SetClockSource(&clock);
    TMMTimer timer;
    timer.SetEnabled(true);
    EXPECT_EQ(timer.GetElapsed(), 0u);
    clock.Advance(0x25);
    EXPECT_EQ(timer.GetElapsed(), 0x25u);
    clock.Advance(7);
    EXPECT_EQ(timer.GetElapsed(), 7u);
    // Setting Enabled to the value it has still restarts the count.
    clock.Advance(50);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.GetElapsed(), 0u);
    SetClockSource(nullptr);
}

TEST(MMTimer, StartsOnlyWithAnIntervalAndAHandler)
{
    TMMTimer timer;
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.Id(), 0u); // no OnTimer
    std::atomic<int> calls{0};
    timer.SetEnabled(false);
    timer.OnTimer = [&](TObject*) { ++calls; };
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.Id(), 0u);
    timer.SetInterval(2);
    EXPECT_NE(timer.Id(), 0u);
    EXPECT_TRUE(WaitFor([&] { return calls >= 3; }));
    timer.SetEnabled(false);
    EXPECT_EQ(timer.Id(), 0u);
}

TEST(MMTimer, DisablingInsideItsOwnCallbackStopsIt)
{
    TMMTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(1);
    std::atomic<int> calls{0};
    timer.OnTimer = [&](TObject*) {
        ++calls;
        timer.SetEnabled(false); // as the song's end does
    };
    timer.SetEnabled(true);
    auto watchdog = std::async(std::launch::async, [&] {
        EXPECT_TRUE(WaitFor([&] { return calls >= 1; }));
        std::this_thread::sleep_for(30ms);
    });
    ASSERT_EQ(watchdog.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(timer.Id(), 0u);
    // It starts again from another thread, and stops again from inside.
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return calls >= 2; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls, 2);
}

TEST(MMTimer, DisablingWaitsForACallbackInFlight)
{
    TMMTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(1);
    std::atomic<int> started{0}, finished{0};
    timer.OnTimer = [&](TObject*) {
        ++started;
        std::this_thread::sleep_for(20ms);
        ++finished;
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return started >= 1; }));
    timer.SetEnabled(false);
    EXPECT_EQ(started, finished);
    const int calls = started;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(started, calls);
}

} // namespace
