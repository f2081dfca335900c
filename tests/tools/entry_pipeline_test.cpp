#include "tools/pack/entry_pipeline.h"

#include "base/exceptions.h"
#include "base/streams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

const TkvCompressClass Lzss = TkvCompress::Create<TkvLZSSCompress>;

// Entries that finish out of order: later ones are quicker.
std::unique_ptr<TMemoryStream> SlowFirst(size_t i, size_t count)
{
    std::this_thread::sleep_for(std::chrono::microseconds(200 * (count - i)));
    auto entry = std::make_unique<TMemoryStream>();
    entry->WriteU32(uint32_t(i));
    return entry;
}

} // namespace

TEST(EntryPipeline, ConsumesInIndexOrderWhateverOrderEntriesFinish)
{
    for (unsigned threads : {1u, 3u, 8u}) {
        std::vector<size_t> order;
        MakeEntriesInOrder(
            40, Lzss, [](size_t i, TkvCompress&) { return SlowFirst(i, 40); },
            [&](size_t i, std::unique_ptr<TMemoryStream> e) {
                e->SetPosition(0);
                EXPECT_EQ(e->ReadU32(), i);
                order.push_back(i);
            },
            threads);
        ASSERT_EQ(order.size(), 40u) << threads;
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(order[i], i);
    }
}

TEST(EntryPipeline, ErrorOfAnEntryComesAfterTheEntriesBeforeIt)
{
    std::vector<size_t> consumed;
    try {
        MakeEntriesInOrder(
            30, Lzss,
            [](size_t i, TkvCompress&) {
                if (i == 7 || i == 20)
                    throw EReadError("entry " + std::to_string(i));
                return SlowFirst(i, 30);
            },
            [&](size_t i, std::unique_ptr<TMemoryStream>) { consumed.push_back(i); }, 4);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "entry 7");
    }
    EXPECT_EQ(consumed.size(), 7u);
}

TEST(EntryPipeline, ErrorWhileConsumingStopsTheWorkers)
{
    std::atomic<size_t> made{0};
    EXPECT_THROW(MakeEntriesInOrder(
                     1000, Lzss,
                     [&](size_t i, TkvCompress&) {
                         ++made;
                         return SlowFirst(i, i + 1);
                     },
                     [](size_t i, std::unique_ptr<TMemoryStream>) {
                         if (i == 2)
                             throw EWriteError("disk full");
                     },
                     4),
        EWriteError);
    // Workers stay within two entries each of what was written.
    EXPECT_LE(made.load(), 3u + 8u);
}

TEST(EntryPipeline, NothingToDoCallsNothing)
{
    MakeEntriesInOrder(
        0, Lzss, [](size_t, TkvCompress&) -> std::unique_ptr<TMemoryStream> { throw Exception("made"); },
        [](size_t, std::unique_ptr<TMemoryStream>) { throw Exception("consumed"); });
}
