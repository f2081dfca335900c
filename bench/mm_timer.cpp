// Lateness of the multimedia timer's calls, idle and with eight threads
// spinning, against a bare loop sleeping to the same absolute deadlines in
// the same run. Both follow one rule: a call is due one period after the
// previous one was due, or at the first period boundary after it when that
// has passed already (missed periods are skipped). `wakes_per_call` counts
// the times the calling thread went to sleep per call (its voluntary
// context switches): one is the least a periodic timer can do.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sound/mm_timer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Period = std::chrono::milliseconds(5);
constexpr int Calls = 400; // two seconds

// Lateness in ms of each call, from the call times and the start.
std::vector<double> Lateness(Clock::time_point start, const std::vector<Clock::time_point>& calls)
{
    std::vector<double> late;
    Clock::time_point due = start + Period;
    for (size_t i = 0; i < calls.size(); ++i) {
        late.push_back(std::chrono::duration<double, std::milli>(calls[i] - due).count());
        due += Period;
        if (due <= calls[i])
            due += ((calls[i] - due) / Period + 1) * Period;
    }
    return late;
}

// Voluntary context switches of the calling thread so far.
long Sleeps()
{
    std::ifstream status("/proc/thread-self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    return 0;
}

void Report(benchmark::State& state, std::vector<double> late)
{
    std::sort(late.begin(), late.end());
    state.counters["p99_ms"] = late[late.size() * 99 / 100];
    state.counters["max_ms"] = late.back();
}

class TBusyThreads {
public:
    explicit TBusyThreads(int n)
    {
        for (int i = 0; i < n; ++i)
            FThreads.emplace_back([this] {
                volatile uint64_t x = 0;
                while (!FStop)
                    x = x + 1;
            });
    }
    ~TBusyThreads()
    {
        FStop = true;
        for (auto& t : FThreads)
            t.join();
    }

private:
    std::atomic<bool> FStop{false};
    std::vector<std::thread> FThreads;
};

void BM_TimerLateness(benchmark::State& state)
{
    TBusyThreads busy(int(state.range(0)));
    std::vector<double> late;
    for (auto _ : state) {
        std::vector<Clock::time_point> calls;
        calls.reserve(Calls);
        std::atomic<bool> done{false};
        long firstSleeps = 0, lastSleeps = 0;
        TMMTimer timer;
        timer.SetEnabled(false);
        timer.SetInterval(uint32_t(Period.count()));
        timer.OnTimer = [&](TObject*) {
            if (calls.empty())
                firstSleeps = Sleeps();
            if (calls.size() < Calls) {
                calls.push_back(Clock::now());
            } else if (!done) {
                lastSleeps = Sleeps();
                done = true;
            }
        };
        const Clock::time_point start = Clock::now();
        timer.SetEnabled(true);
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        timer.SetEnabled(false);
        late = Lateness(start, calls);
        state.counters["wakes_per_call"] = double(lastSleeps - firstSleeps) / Calls;
    }
    Report(state, late);
}
BENCHMARK(BM_TimerLateness)->Arg(0)->Arg(8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_BareSleepLoopLateness(benchmark::State& state)
{
    TBusyThreads busy(int(state.range(0)));
    std::vector<double> late;
    for (auto _ : state) {
        std::vector<Clock::time_point> calls;
        const Clock::time_point start = Clock::now();
        Clock::time_point next = start + Period;
        const long firstSleeps = Sleeps();
        while (calls.size() < Calls) {
            std::this_thread::sleep_until(next);
            calls.push_back(Clock::now());
            next += Period;
            const Clock::time_point now = Clock::now();
            if (next <= now)
                next += ((now - next) / Period + 1) * Period;
        }
        state.counters["wakes_per_call"] = double(Sleeps() - firstSleeps) / Calls;
        late = Lateness(start, calls);
    }
    Report(state, late);
}
BENCHMARK(BM_BareSleepLoopLateness)->Arg(0)->Arg(8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
