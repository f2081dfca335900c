#include "codec/kv_bit_stream.h"

#include "base/streams.h"
#include "codec/kv_error.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace {

// Bit groups (value, width) of random widths 1..24, summing to `bits` or more.
std::vector<std::pair<uint32_t, int>> RandomGroups(int bits, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::pair<uint32_t, int>> groups;
    for (int total = 0; total < bits;) {
        const int width = 1 + int(rng() % 24);
        groups.emplace_back(rng() & ((1u << width) - 1), width);
        total += width;
    }
    return groups;
}

} // namespace

TEST(TkvBitWriter, PutBitsWritesWhatSingleBitsWrite)
{
    // Three buffer rounds, so groups straddle the 4096-byte flushes.
    const auto groups = RandomGroups(3 * 4096 * 8 + 13, 1);
    TMemoryStream bulk, single;
    {
        TkvBitWriter a(bulk), b(single);
        for (const auto& [value, width] : groups) {
            a.PutBits(value, width);
            for (int i = width - 1; i >= 0; --i)
                b.PutBit(((value >> i) & 1) != 0);
        }
        a.Finish();
        b.Finish();
    }
    EXPECT_EQ(bulk.Bytes(), single.Bytes());
}

TEST(TkvBitWriter, KeepsStalePaddingBitsAfterTheFirstRound)
{
    // A full round of ones, then one zero bit: the final byte's seven low
    // bits are left from the first round, not cleared.
    TMemoryStream out;
    TkvBitWriter writer(out);
    for (int i = 0; i < 4096; ++i)
        writer.PutByte(0xFF);
    EXPECT_EQ(out.Size(), 4096); // flushed when the buffer wrapped
    writer.PutBit(false);
    writer.Finish();
    ASSERT_EQ(out.Size(), 4097);
    EXPECT_EQ(out.Bytes().back(), 0x7F);
}

TEST(TkvBitWriter, PadsWithZerosInTheFirstRoundAndWritesNothingWhenEmpty)
{
    TMemoryStream out;
    TkvBitWriter writer(out);
    writer.Finish();
    EXPECT_EQ(out.Size(), 0);
    writer.PutBits(0x5, 3);
    writer.Finish();
    EXPECT_EQ(out.Bytes(), std::vector<uint8_t>{0xA0});
}

TEST(TkvBitReader, GetBitsReadsWhatSingleBitsRead)
{
    const auto groups = RandomGroups(2 * 4096 * 8 + 100, 2);
    TMemoryStream data;
    {
        TkvBitWriter writer(data);
        for (const auto& [value, width] : groups)
            writer.PutBits(value, width);
        writer.Finish();
    }
    data.SetPosition(0);
    TkvBitReader bulk(data);
    TMemoryStream copy(data.Memory(), size_t(data.Size()));
    TkvBitReader single(copy);
    for (const auto& [value, width] : groups) {
        EXPECT_EQ(bulk.GetBits(width), value);
        uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v = (v << 1) | (single.GetBit() ? 1 : 0);
        ASSERT_EQ(v, value);
    }
}

TEST(TkvBitReader, ReadsAheadInWholeChunks)
{
    std::vector<uint8_t> bytes(10000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7);
    TMemoryStream src(bytes.data(), bytes.size());
    TkvBitReader reader(src);
    EXPECT_EQ(src.Position(), 4096);
    for (int i = 0; i < 4095; ++i)
        EXPECT_EQ(reader.GetByte(), bytes[size_t(i)]);
    EXPECT_EQ(src.Position(), 4096);
    reader.GetByte(); // the chunk's last byte: the next chunk comes in at once
    EXPECT_EQ(src.Position(), 8192);
    EXPECT_EQ(reader.GetByte(), bytes[4096]);
}

TEST(TkvBitReader, RaisesPastTheEndOfTheData)
{
    const uint8_t bytes[] = {0xC3};
    TMemoryStream src(bytes, 1);
    TkvBitReader reader(src);
    EXPECT_EQ(reader.GetBits(7), 0x61u);
    EXPECT_TRUE(reader.GetBit());
    EXPECT_THROW(reader.GetBit(), EkvCompressError);

    TMemoryStream empty;
    TkvBitReader none(empty);
    EXPECT_THROW(none.GetByte(), EkvCompressError);
}
