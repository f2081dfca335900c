#include "tools/pack/entry_pipeline.h"

#include "base/scope_exit.h"
#include "base/streams.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct TSlot {
    std::unique_ptr<TMemoryStream> Entry;
    std::exception_ptr Error;
    bool Ready = false;
};

class TPipeline {
public:
    TPipeline(size_t Count, size_t Window, const TMakeEntry& Make) : FSlots(Count), FWindow(Window), FMake(Make) {}

    void Work(TkvCompress& Coder)
    {
        for (;;) {
            size_t i;
            {
                std::unique_lock<std::mutex> lock(FLock);
                FChanged.wait(lock, [&] { return FStop || FNext >= FSlots.size() || FNext < FConsumed + FWindow; });
                if (FStop || FNext >= FSlots.size())
                    return;
                i = FNext++;
            }
            TSlot result;
            try {
                result.Entry = FMake(i, Coder);
            } catch (...) {
                result.Error = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> lock(FLock);
                FSlots[i].Entry = std::move(result.Entry);
                FSlots[i].Error = result.Error;
                FSlots[i].Ready = true;
            }
            FChanged.notify_all();
        }
    }

    std::unique_ptr<TMemoryStream> Take(size_t i)
    {
        TSlot slot;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FChanged.wait(lock, [&] { return FSlots[i].Ready; });
            slot = std::move(FSlots[i]);
        }
        if (slot.Error)
            std::rethrow_exception(slot.Error);
        return std::move(slot.Entry);
    }

    void Consumed(size_t count)
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FConsumed = count;
        }
        FChanged.notify_all();
    }

    void Stop()
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FStop = true;
        }
        FChanged.notify_all();
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<TSlot> FSlots;
    const size_t FWindow;
    const TMakeEntry& FMake;
    size_t FNext = 0;
    size_t FConsumed = 0;
    bool FStop = false;
};

} // namespace

void MakeEntriesInOrder(size_t Count, TkvCompressClass CompressClass, const TMakeEntry& Make,
    const TConsumeEntry& Consume, unsigned Threads)
{
    if (Count == 0)
        return;
    if (Threads == 0)
        Threads = std::max(1u, std::thread::hardware_concurrency());
    Threads = unsigned(std::min<size_t>(Threads, Count));

    // Coders are made here, so a worker never fails before it takes work.
    std::vector<std::unique_ptr<TkvCompress>> coders;
    for (unsigned t = 0; t < Threads; ++t)
        coders.push_back(CompressClass());

    TPipeline pipeline(Count, 2 * size_t(Threads), Make);
    std::vector<std::thread> workers;
    const auto finish = [&] {
        pipeline.Stop();
        for (std::thread& w : workers)
            w.join();
    };
    const TScopeExit done(finish);
    for (unsigned t = 0; t < Threads; ++t)
        workers.emplace_back([&pipeline, coder = coders[t].get()] { pipeline.Work(*coder); });
    for (size_t i = 0; i < Count; ++i) {
        Consume(i, pipeline.Take(i));
        pipeline.Consumed(i + 1);
    }
}
