#include "codec/kv_compress.h"

#include "base/exceptions.h"
#include "base/streams.h"
#include "testkit/codec/lzss_reference.h"
#include "tests/codec/lzss_util.h"
#include "testkit/codec/sample_data.h"

#include <gtest/gtest.h>

using lzss_util::Bytes;
using lzss_util::Compress;
using lzss_util::Decompress;

namespace {

struct TVector {
    const char* name;
    std::vector<uint8_t> input;
    std::vector<uint8_t> coded;
};

} // namespace

TEST(TkvLZSSCompress, CodesKnownVectors)
{
    const TVector vectors[] = {
        {"empty", {}, {}},
        {"one byte", Bytes("A"), {0x20, 0x80}},
        // Literals at 0..2, a 3-byte match at position 0, literals at 6 and 7:
        // the match may not reach its own position, and the last byte stays a literal.
        {"eight equal bytes", Bytes("AAAAAAAA"), {0x20, 0x90, 0x48, 0x30, 0x00, 0x00, 0x82, 0x41}},
        {"repeated triple", Bytes("abcabcabcX"), {0x30, 0x98, 0x8C, 0x70, 0x00, 0x02, 0x00, 0x00, 0x16, 0x00}},
        {"repeated pair", Bytes("abababab"), {0x30, 0x98, 0x8C, 0x26, 0x28, 0x00, 0x00, 0x62}},
    };
    for (const auto& v : vectors) {
        EXPECT_EQ(Compress(v.input), v.coded) << v.name;
        EXPECT_EQ(Decompress(v.coded, int32_t(v.input.size())), v.input) << v.name;
    }
}

TEST(TkvLZSSCompress, CodesASecondBlockOnItsOwn)
{
    // 4096 zeros: three literals, then matches from position 0 capped at 66
    // (and shorter ones where the distance back limits them), ending in a
    // literal; the 4097th byte is a block of its own, one literal.
    const std::vector<uint8_t> zeros(4097, 0);
    const auto coded = Compress(zeros);
    EXPECT_EQ(coded.size(), 163u);
    EXPECT_EQ(coded, lzss_reference::Compress(zeros));
    EXPECT_EQ(Decompress(coded, 4097), zeros);
}

TEST(TkvLZSSCompress, RoundTripsAtBlockEdges)
{
    const int32_t sizes[] = {0, 1, 2, 3, 4095, 4096, 4097, 8197};
    for (int32_t size : sizes) {
        const std::vector<uint8_t> inputs[] = {sample_data::Random(size_t(size), 7),
            sample_data::ScriptText(size_t(size), 7), sample_data::BitmapPixels(size_t(size), 7)};
        for (const auto& input : inputs) {
            const auto coded = Compress(input);
            EXPECT_EQ(Decompress(coded, size), input) << "size " << size;
        }
    }
}

TEST(TkvLZSSCompress, MakesTheExhaustiveSearchChoices)
{
    struct TCase {
        const char* name;
        std::vector<uint8_t> input;
    };
    std::vector<TCase> cases = {
        {"script text", sample_data::ScriptText(3 * 4096 + 100, 11)},
        {"pixels", sample_data::BitmapPixels(2 * 4096, 12)},
        {"random", sample_data::Random(4096 + 17, 13)},
        {"two symbols", sample_data::SmallAlphabet(2 * 4096, "ab", 14)},
        {"four symbols", sample_data::SmallAlphabet(4096, std::string("\x00\x01\xFF\xFE", 4), 15)},
        {"zeros", std::vector<uint8_t>(4096 + 70, 0)},
        {"short tail block", sample_data::SmallAlphabet(4096 + 5, "xy", 16)},
    };
    // Long repeats with small edits: many candidates of equal length.
    std::vector<uint8_t> edited = sample_data::SmallAlphabet(4096, "abc", 17);
    for (size_t i = 0; i + 200 < edited.size(); i += 200)
        std::copy(edited.begin() + 10, edited.begin() + 110, edited.begin() + long(i) + 100);
    cases.push_back({"edited repeats", edited});
    // Every period from 1 to 80, so the 66 cap and the distance cap both bite.
    std::vector<uint8_t> periods;
    for (int period = 1; periods.size() < 4096; ++period)
        for (int i = 0; i < 3 * period + 70; ++i)
            periods.push_back(uint8_t('A' + i % period));
    cases.push_back({"periods", periods});

    for (const auto& c : cases)
        EXPECT_EQ(Compress(c.input), lzss_reference::Compress(c.input)) << c.name;
}

TEST(TkvLZSSCompress, ReadsSizeBytesFromTheSourcesPositionAndAppends)
{
    const auto data = Bytes("xxAAAAAAAAyyyy");
    TMemoryStream src(data.data(), data.size());
    src.SetPosition(2);
    TMemoryStream dst;
    dst.Write("\x01\x02", 2);
    EXPECT_EQ(TkvLZSSCompress().Compress(src, dst, 8), 8);
    EXPECT_EQ(src.Position(), 10); // the rest is not coded
    EXPECT_EQ(dst.Bytes(), (std::vector<uint8_t>{0x01, 0x02, 0x20, 0x90, 0x48, 0x30, 0x00, 0x00, 0x82, 0x41}));

    EXPECT_EQ(TkvLZSSCompress().Compress(src, dst, 0), 0);
    EXPECT_EQ(src.Position(), 10);
    EXPECT_EQ(dst.Size(), 10);
}

TEST(TkvLZSSCompress, RaisesWhenTheSourceHoldsLessThanSize)
{
    const auto data = sample_data::ScriptText(100, 3);
    TMemoryStream src(data.data(), data.size());
    TMemoryStream dst;
    EXPECT_THROW(TkvLZSSCompress().Compress(src, dst, 101), EReadError);
}

TEST(TkvLZSSCompress, IsCreatedThroughAClassReference)
{
    TkvCompressClass compressClass = TkvCompress::Create<TkvLZSSCompress>;
    std::unique_ptr<TkvCompress> coder = compressClass();
    EXPECT_EQ(coder->ClassName(), "TkvLZSSCompress");

    const auto data = sample_data::BitmapPixels(6000, 5);
    TMemoryStream src(data.data(), data.size());
    TMemoryStream coded;
    EXPECT_EQ(coder->Compress(src, coded, int32_t(data.size())), 6000);
    coded.SetPosition(0);
    TMemoryStream out;
    EXPECT_EQ(coder->Decompress(coded, out, 6000), 6000);
    EXPECT_EQ(out.Bytes(), data);
}
