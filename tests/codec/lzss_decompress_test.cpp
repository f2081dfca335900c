#include "codec/kv_compress.h"

#include "base/streams.h"
#include "codec/kv_bit_stream.h"
#include "tests/codec/lzss_util.h"
#include "testkit/codec/sample_data.h"

#include <gtest/gtest.h>

#include <functional>

using lzss_util::Bytes;
using lzss_util::Compress;
using lzss_util::Decompress;

namespace {

// A hand-made token stream, for the streams the coder would never write.
std::vector<uint8_t> Tokens(const std::function<void(TkvBitWriter&)>& put)
{
    TMemoryStream out;
    TkvBitWriter writer(out);
    put(writer);
    writer.Finish();
    return out.Bytes();
}

void Literal(TkvBitWriter& w, uint8_t b)
{
    w.PutBits(b, 9);
}

void Match(TkvBitWriter& w, int length, int position)
{
    w.PutBits((1u << 18) | (uint32_t(length - 3) << 12) | uint32_t(position), 19);
}

} // namespace

TEST(TkvLZSSDecompress, WritesAtTheTargetsPositionWithoutClearingIt)
{
    const auto coded = Compress(Bytes("AAAAAAAA"));
    TMemoryStream src(coded.data(), coded.size());
    TMemoryStream dst;
    dst.Write("0123456789", 10);
    dst.SetPosition(1);
    EXPECT_EQ(TkvLZSSCompress().Decompress(src, dst, 8), 8);
    EXPECT_EQ(dst.Bytes(), Bytes("0AAAAAAAA9"));
}

TEST(TkvLZSSDecompress, ReadsTheSourceAheadInWholeChunks)
{
    // Archive entries follow one another; the read-ahead runs into the next
    // one, and callers seek to each entry themselves.
    const auto input = sample_data::ScriptText(20000, 2);
    auto stream = Compress(input);
    const size_t codedSize = stream.size();
    stream.resize(codedSize + 10000, 0xEE);
    TMemoryStream src(stream.data(), stream.size());
    TMemoryStream dst;
    TkvLZSSCompress().Decompress(src, dst, 20000);
    EXPECT_EQ(dst.Bytes(), input);
    EXPECT_EQ(size_t(src.Position()), (codedSize / 4096 + 1) * 4096);

    // Size 0 writes nothing but still takes the first chunk.
    src.SetPosition(0);
    TMemoryStream none;
    EXPECT_EQ(TkvLZSSCompress().Decompress(src, none, 0), 0);
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(src.Position(), 4096);
}

TEST(TkvLZSSDecompress, RestartsTheHistoryAtEachBlock)
{
    // Position 0 in the second block names the second block's first byte.
    const auto coded = Tokens([](TkvBitWriter& w) {
        for (int i = 0; i < 4096; ++i)
            Literal(w, 'a');
        Literal(w, 'x');
        Literal(w, 'y');
        Literal(w, 'z');
        Match(w, 3, 0);
    });
    std::vector<uint8_t> expected(4096, 'a');
    for (char c : std::string("xyzxyz"))
        expected.push_back(uint8_t(c));
    EXPECT_EQ(Decompress(coded, 4102), expected);
}

TEST(TkvLZSSDecompress, StopsAtSizeWhenTheLastMatchRunsPastIt)
{
    const auto coded = Compress(Bytes("AAAAAAAA"));
    EXPECT_EQ(Decompress(coded, 4), Bytes("AAAA"));
    EXPECT_EQ(Decompress(coded, 5), Bytes("AAAAA"));
}

TEST(TkvLZSSDecompress, RaisesForMatchesOutsideTheHistory)
{
    struct TCase {
        const char* name;
        std::vector<uint8_t> coded;
        int32_t size;
    };
    const TCase cases[] = {
        {"match before any byte", Tokens([](TkvBitWriter& w) { Match(w, 3, 0); }), 3},
        {"source past the decoded bytes", Tokens([](TkvBitWriter& w) {
             for (int i = 0; i < 4; ++i)
                 Literal(w, 'q');
             Match(w, 5, 0);
         }),
            9},
        {"source past the history's end", Tokens([](TkvBitWriter& w) {
             for (int i = 0; i < 10; ++i)
                 Literal(w, 'q');
             Match(w, 66, 4095);
         }),
            76},
        {"target past the block's end", Tokens([](TkvBitWriter& w) {
             for (int i = 0; i < 4094; ++i)
                 Literal(w, 'q');
             Match(w, 3, 0);
         }),
            5000},
        {"second block refers to the first", Tokens([](TkvBitWriter& w) {
             for (int i = 0; i < 4096; ++i)
                 Literal(w, 'q');
             Match(w, 3, 100);
         }),
            4099},
    };
    for (const auto& c : cases)
        EXPECT_THROW(Decompress(c.coded, c.size), EkvCompressError) << c.name;
}

TEST(TkvLZSSDecompress, RaisesWhenTheSourceEndsEarly)
{
    const std::vector<uint8_t> inputs[] = {
        Bytes("A"), sample_data::ScriptText(9000, 4), sample_data::BitmapPixels(5000, 4)};
    for (const auto& input : inputs) {
        const auto coded = Compress(input);
        for (size_t cut = 0; cut < coded.size(); cut += 1 + cut / 8) {
            const std::vector<uint8_t> truncated(coded.begin(), coded.begin() + long(cut));
            EXPECT_THROW(Decompress(truncated, int32_t(input.size())), EkvCompressError) << "cut at " << cut;
        }
        // Asking for more than was coded runs into the end as well.
        EXPECT_THROW(Decompress(coded, int32_t(input.size()) + 1), EkvCompressError);
    }
}

TEST(TkvLZSSDecompress, DecodesStreamsEndingInsideOrAtTheEndOfTheirLastByte)
{
    // 9 bits: one literal and seven padding bits.
    EXPECT_EQ(Decompress({0x20, 0x80}, 1), Bytes("A"));

    // 3624 literals and 8 matches fill exactly 4096 bytes, so the reader's
    // read-ahead after the last bit finds nothing, which is no error.
    const auto coded = Tokens([](TkvBitWriter& w) {
        for (int i = 0; i < 3624; ++i)
            Literal(w, uint8_t(i));
        for (int i = 0; i < 8; ++i)
            Match(w, 3, 0);
    });
    ASSERT_EQ(coded.size(), 4096u);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 3624; ++i)
        expected.push_back(uint8_t(i));
    for (int i = 0; i < 8; ++i)
        expected.insert(expected.end(), {0, 1, 2});
    EXPECT_EQ(Decompress(coded, int32_t(expected.size())), expected);
}

TEST(TkvLZSSDecompress, EndsOrRaisesOnDamagedStreams)
{
    const auto input = sample_data::ScriptText(10000, 9);
    const auto coded = Compress(input);
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        auto damaged = coded;
        const int flips = 1 + int(rng() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[rng() % damaged.size()] ^= uint8_t(1u << (rng() % 8));
        const int32_t size = int32_t(rng() % 20000);
        try {
            EXPECT_EQ(Decompress(damaged, size).size(), size_t(size));
        } catch (const EkvCompressError&) {
        }
    }
}
