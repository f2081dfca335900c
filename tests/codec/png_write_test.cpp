// The writer's file layout: chunk order and contents, IDAT splitting,
// options, and round trips through the reader.
#include "codec/png_codec.h"
#include "codec/zeb_png_read.h"
#include "codec/zeb_png_write.h"
#include "png_test_util.h"

#include <gtest/gtest.h>

using namespace pngtest;

namespace {

std::vector<std::string> Types(const std::vector<Chunk>& chunks)
{
    std::vector<std::string> types;
    for (const Chunk& c : chunks)
        types.push_back(c.Type);
    return types;
}

const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& type)
{
    for (const Chunk& c : chunks)
        if (c.Type == type)
            return &c;
    return nullptr;
}

Bytes Encode(TZEBPNGWriteStream& writer, const PngBitmap& image)
{
    Bytes out;
    writer.SaveToBytes(image, out);
    return out;
}

// The writer without a clock: no tIME, so two runs give the same bytes.
Bytes EncodeTimeless(const PngBitmap& image, int level = -1, int filter = 1, const PngBitmap* alpha = nullptr)
{
    TZEBPNGWriteStream writer;
    writer.SetCurrentTime(false);
    writer.SetCompressionLevel(level);
    writer.SetFilterMode(filter);
    writer.SetAlphaBitmap(alpha);
    return Encode(writer, image);
}

PngImage Decode(const Bytes& file, PngImage* alpha = nullptr)
{
    PngImage image;
    DecodePNG(file, image, alpha);
    return image;
}

} // namespace

TEST(PngWrite, DefaultTwentyFourBitLayout)
{
    const PngImage image = RandomImage(5, 3, 24, 1);
    const Bytes file = EncodePNG(image);
    const Bytes signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    const std::vector<Chunk> chunks = SplitChunks(file);
    EXPECT_EQ(Types(chunks), (std::vector<std::string>{"IHDR", "tIME", "tEXt", "tpNG", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].Data, (Bytes{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].Data.size(), 7u);
    const std::string software = "Software";
    Bytes text(software.begin(), software.end());
    text.push_back(0);
    const std::string version = "ZEBPNG ver 3.4";
    text.insert(text.end(), version.begin(), version.end());
    EXPECT_EQ(chunks[2].Data, text);
    EXPECT_EQ(chunks[3].Data, (Bytes{'Z', 'E', 'B', '3', 0, 0, 0, 0}));
    EXPECT_TRUE(chunks[5].Data.empty());
    // IEND's bytes are the same in every PNG file.
    const Bytes iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(iend.begin(), iend.end(), file.end() - 12));
    // Every row carries filter None.
    const Bytes raw = Inflate(ConcatIDAT(chunks));
    ASSERT_EQ(raw.size(), 3u * 16);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(raw[static_cast<size_t>(y) * 16], 0);
    EXPECT_EQ(raw[1], image.ScanLine(0)[2]);
    // libpng reads it (and checks every CRC).
    EXPECT_NO_THROW(DecodeWithLibpng(file));
}

TEST(PngWrite, AncillaryChunksInTheirFixedOrder)
{
    PngImage image = RandomImage(4, 4, 8, 2);
    TZEBPNGWriteStream writer;
    const TPNGTime time{2001, 2, 3, 4, 5, 6};
    const TPNGChromaticity chromaticity{31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
    const TPNGGIFg gifg{1, 0, 2, 0};
    writer.SetCurrentTime(false);
    writer.SetRecords(&time, &chromaticity, &gifg);
    writer.SetComment("hello");
    writer.SetGamma(0.45455);
    writer.SetSignificantBits(0x050505);
    writer.SetBackground(PngPaletteIndexMark + 2);
    writer.SetTransparent(PngPaletteIndexMark + 3);
    writer.SetPhysical(72, 72, 2);
    const std::vector<Chunk> chunks = SplitChunks(Encode(writer, image));
    EXPECT_EQ(Types(chunks), (std::vector<std::string>{"IHDR", "tIME", "tEXt", "tEXt", "tpNG", "gIFg", "gAMA", "cHRM",
                                 "sBIT", "PLTE", "bKGD", "tRNS", "pHYs", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[1].Data, (Bytes{0x07, 0xD1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Find(chunks, "gAMA")->Data, (Bytes{0x00, 0x00, 0xB1, 0x8F}));
    EXPECT_EQ(Find(chunks, "tRNS")->Data, (Bytes{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Find(chunks, "bKGD")->Data, (Bytes{2}));
    EXPECT_EQ(Find(chunks, "sBIT")->Data, (Bytes{5, 5, 5}));
    EXPECT_EQ(Find(chunks, "PLTE")->Data.size(), 256u * 3);
    // 72 dots per inch are 2834 dots per metre.
    EXPECT_EQ(Find(chunks, "pHYs")->Data, (Bytes{0, 0, 0x0B, 0x12, 0, 0, 0x0B, 0x12, 1}));
}

TEST(PngWrite, ColourValuesForEachKindOfImage)
{
    struct Case {
        int Bits;
        bool Grey;
        int32_t Color;
        Bytes Background;
    };
    const Case cases[] = {
        {24, false, 0x302010, {0, 0x10, 0, 0x20, 0, 0x30}},
        {24, true, 0x808080, {0, 0x80}},
        {1, true, 0xFFFFFF, {0, 1}},
        {4, true, 0x202020, {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bits);
        PngImage image = RandomImage(2, 2, c.Bits, 3);
        TZEBPNGWriteStream writer;
        writer.SetGrey(c.Grey);
        writer.SetBackground(c.Color);
        writer.SetTransparent(c.Color);
        const std::vector<Chunk> chunks = SplitChunks(Encode(writer, image));
        EXPECT_EQ(Find(chunks, "bKGD")->Data, c.Background);
        EXPECT_EQ(Find(chunks, "tRNS")->Data, c.Background);
    }
    // A palette colour is written as its nearest entry.
    PngImage palette(1, 1, 8, {{0, 0, 0}, {200, 10, 10}, {250, 250, 250}});
    TZEBPNGWriteStream writer;
    writer.SetBackground(0x0F0FC0);
    EXPECT_EQ(Find(SplitChunks(Encode(writer, palette)), "bKGD")->Data, (Bytes{1}));
}

TEST(PngWrite, IDATChunksHoldTheChosenSize)
{
    const PngImage image = RandomImage(64, 64, 24, 4);
    TZEBPNGWriteStream writer;
    writer.SetIDATSize(1000);
    const std::vector<Chunk> chunks = SplitChunks(Encode(writer, image));
    std::vector<size_t> sizes;
    for (const Chunk& c : chunks)
        if (c.Type == "IDAT")
            sizes.push_back(c.Data.size());
    ASSERT_GT(sizes.size(), 2u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 1000u);
    EXPECT_GT(sizes.back(), 0u);
    EXPECT_LT(sizes.back(), 1000u);
    EXPECT_EQ(Decode(EncodePNG(image)), Decode(Encode(writer, image)));
}

TEST(PngWrite, DataFillingWholeChunksEndsWithAFullOne)
{
    // Stored (level 0) data grows with the image: find a size whose
    // compressed data is an exact multiple of 256 bytes.
    for (int32_t width = 1; width < 400; ++width) {
        const PngImage image = RandomImage(width, 3, 8, 5);
        const size_t total = ConcatIDAT(SplitChunks(EncodeTimeless(image, 0))).size();
        if (total % 256 != 0)
            continue;
        TZEBPNGWriteStream writer;
        writer.SetCompressionLevel(0);
        writer.SetIDATSize(256);
        const std::vector<Chunk> chunks = SplitChunks(Encode(writer, image));
        size_t count = 0;
        for (const Chunk& c : chunks)
            if (c.Type == "IDAT") {
                EXPECT_EQ(c.Data.size(), 256u);
                ++count;
            }
        EXPECT_EQ(count, total / 256);
        EXPECT_EQ(Decode(Encode(writer, image)), image);
        return;
    }
    FAIL() << "no image size fills whole chunks";
}

TEST(PngWrite, IDATSizeLimits)
{
    TZEBPNGWriteStream writer;
    for (int size : {255, 100001, 0, -1}) {
        try {
            writer.SetIDATSize(size);
            ADD_FAILURE() << size;
        } catch (const EZEBPNG& e) {
            EXPECT_EQ(e.Message(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
        }
    }
    EXPECT_NO_THROW(writer.SetIDATSize(256));
    EXPECT_NO_THROW(writer.SetIDATSize(100000));
    EXPECT_EQ(writer.IDATSize(), 100000);
}

TEST(PngWrite, LevelsOutsideTheRangeUseTheDefault)
{
    const PngImage image = RandomImage(50, 20, 8, 6);
    const Bytes standard = EncodeTimeless(image, -1);
    EXPECT_EQ(EncodeTimeless(image, 10), standard);
    EXPECT_EQ(EncodeTimeless(image, -5), standard);
    EXPECT_NE(EncodeTimeless(image, 0), standard);
}

TEST(PngWrite, AlphaBitmapIsUsedOnlyWhenItFits)
{
    const PngImage image = RandomImage(6, 4, 24, 7);
    struct Case {
        PngImage Alpha;
        int ColorType;
    };
    const Case cases[] = {
        {RandomImage(6, 4, 8, 8), 6},
        {RandomImage(5, 4, 8, 8), 2},
        {RandomImage(6, 3, 8, 8), 2},
        {RandomImage(6, 4, 24, 8), 2},
        {PngImage(), 2},
    };
    for (const Case& c : cases) {
        const std::vector<Chunk> chunks = SplitChunks(EncodeTimeless(image, -1, 1, &c.Alpha));
        EXPECT_EQ(chunks[0].Data[9], c.ColorType);
    }
    // The image as its own alpha is no alpha.
    const PngImage grey = RandomImage(6, 4, 8, 9);
    TZEBPNGWriteStream writer;
    writer.SetGrey(true);
    writer.SetAlphaBitmap(&grey);
    EXPECT_EQ(SplitChunks(Encode(writer, grey))[0].Data[9], 0);
    // A transparent colour gives way to the alpha channel.
    TZEBPNGWriteStream keyed;
    const PngImage alpha = RandomImage(6, 4, 8, 8);
    keyed.SetAlphaBitmap(&alpha);
    keyed.SetTransparent(0x123456);
    EXPECT_EQ(Find(SplitChunks(Encode(keyed, image)), "tRNS"), nullptr);
}

TEST(PngWrite, HeaderForEachBitmapFormat)
{
    struct Case {
        int Bits;
        bool Grey;
        bool Alpha;
        uint8_t Depth, ColorType;
    };
    const Case cases[] = {
        {1, false, false, 1, 3},
        {4, false, false, 4, 3},
        {8, false, false, 8, 3},
        {15, false, false, 8, 2},
        {16, false, false, 8, 2},
        {24, false, false, 8, 2},
        {32, false, false, 8, 2},
        {32, false, true, 8, 6},
        {8, true, true, 8, 4},
        {24, true, true, 8, 4},
        {4, true, true, 4, 0},
        {24, true, false, 8, 0},
        {8, false, true, 8, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Bits) + (c.Grey ? " grey" : "") + (c.Alpha ? " alpha" : ""));
        const PngImage image = RandomImage(3, 2, c.Bits, 10);
        const PngImage alpha = RandomImage(3, 2, 8, 11);
        TZEBPNGWriteStream writer;
        writer.SetGrey(c.Grey);
        if (c.Alpha)
            writer.SetAlphaBitmap(&alpha);
        const Bytes file = Encode(writer, image);
        const std::vector<Chunk> chunks = SplitChunks(file);
        EXPECT_EQ(chunks[0].Data[8], c.Depth);
        EXPECT_EQ(chunks[0].Data[9], c.ColorType);
        EXPECT_NO_THROW(DecodeWithLibpng(file));
    }
}

TEST(PngWrite, PaletteBitmapWithoutPaletteIsWrittenGrey)
{
    const PngImage image(2, 1, 8);
    const std::vector<Chunk> chunks = SplitChunks(EncodeTimeless(image));
    EXPECT_EQ(chunks[0].Data[9], 0);
    EXPECT_EQ(Find(chunks, "PLTE"), nullptr);
}

TEST(PngWrite, FifteenAndSixteenBitPixelsWiden)
{
    PngImage image15(1, 1, 15), image16(1, 1, 16);
    image15.ScanLine(0)[0] = 0xFF; // 0 11111 11111 11111 ... low byte first
    image15.ScanLine(0)[1] = 0x03; // red 0, green 31, blue 31
    image16.ScanLine(0)[0] = 0x1F; // blue 31
    image16.ScanLine(0)[1] = 0x84; // red 16, green 32
    const std::vector<Chunk> c15 = SplitChunks(EncodeTimeless(image15));
    const std::vector<Chunk> c16 = SplitChunks(EncodeTimeless(image16));
    EXPECT_EQ(Find(c15, "sBIT")->Data, (Bytes{5, 5, 5}));
    EXPECT_EQ(Find(c16, "sBIT")->Data, (Bytes{5, 6, 5}));
    EXPECT_EQ(Inflate(ConcatIDAT(c15)), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(Inflate(ConcatIDAT(c16)), (Bytes{0, 132, 130, 255}));
}

TEST(PngWrite, GreyOptionMapsPaletteIndexesToLevels)
{
    // Entry 1 darker than entry 0: a 1-bit picture is inverted.
    PngImage bits(8, 1, 1, {{255, 255, 255}, {0, 0, 0}});
    bits.ScanLine(0)[0] = 0xF0;
    TZEBPNGWriteStream writer;
    writer.SetGrey(true);
    writer.SetCurrentTime(false);
    EXPECT_EQ(Inflate(ConcatIDAT(SplitChunks(Encode(writer, bits)))), (Bytes{0, 0x0F}));

    PngImage nibbles(2, 1, 4, {{0, 0, 0}, {255, 255, 255}, {128, 128, 128}});
    nibbles.ScanLine(0)[0] = 0x12;
    EXPECT_EQ(Inflate(ConcatIDAT(SplitChunks(Encode(writer, nibbles)))), (Bytes{0, 0xF8}));
}

TEST(PngWrite, AdaptiveFilteringKeepsNoneForAFlatRow)
{
    PngImage flat(100, 3, 24);
    const std::vector<Chunk> chunks = SplitChunks(EncodeTimeless(flat, 9, 0));
    const Bytes raw = Inflate(ConcatIDAT(chunks));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(raw[static_cast<size_t>(y) * 301], 0);
    // A smooth gradient is better served by a predicting filter.
    PngImage ramp(200, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 600; ++x)
            ramp.ScanLine(y)[x] = static_cast<uint8_t>(x / 3 + y);
    const Bytes rampRaw = Inflate(ConcatIDAT(SplitChunks(EncodeTimeless(ramp, 9, 0))));
    EXPECT_NE(rampRaw[0], 0);
}

TEST(PngWrite, RoundTripTwentyFourAndThirtyTwoBitAtEveryLevel)
{
    for (int bits : {24, 32})
        for (bool withAlpha : {false, true})
            for (int level = 0; level <= 9; ++level) {
                SCOPED_TRACE(std::to_string(bits) + (withAlpha ? " alpha " : " ") + std::to_string(level));
                const PngImage image = RandomImage(37, 11, bits, static_cast<uint32_t>(level + bits));
                const PngImage alpha = RandomImage(37, 11, 8, static_cast<uint32_t>(level));
                const Bytes file = EncodePNG(image, withAlpha ? &alpha : nullptr, level);
                PngImage decodedAlpha;
                const PngImage decoded = Decode(file, &decodedAlpha);
                ASSERT_EQ(decoded.BitsPerPixel(), 24);
                for (int32_t y = 0; y < 11; ++y)
                    for (int32_t x = 0; x < 37; ++x)
                        ASSERT_TRUE(std::equal(decoded.ScanLine(y) + 3 * x, decoded.ScanLine(y) + 3 * x + 3,
                            image.ScanLine(y) + (bits / 8) * x));
                if (withAlpha)
                    EXPECT_EQ(decodedAlpha.Pixels(), alpha.Pixels());
                else
                    EXPECT_TRUE(decodedAlpha.Empty());
            }
}

TEST(PngWrite, RoundTripEveryFormatFilterAndInterlace)
{
    for (int bits : {1, 4, 8, 24})
        for (int filter = 0; filter <= 6; ++filter)
            for (int interlace : {0, 1})
                for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {4, 4}, {13, 9}}) {
                    SCOPED_TRACE(std::to_string(bits) + " filter " + std::to_string(filter) + " interlace " +
                                 std::to_string(interlace) + " " + std::to_string(w) + "x" + std::to_string(h));
                    const PngImage image = RandomImage(w, h, bits, static_cast<uint32_t>(w * 7 + filter));
                    TZEBPNGWriteStream writer;
                    writer.SetFilterMode(filter);
                    writer.SetInterlace(interlace);
                    const Bytes file = Encode(writer, image);
                    EXPECT_EQ(Decode(file), image);
                    EXPECT_EQ(ToRgba(Decode(file), nullptr).Pixels, DecodeWithLibpng(file).Pixels);
                }
}

TEST(PngWrite, PaletteLongerThanItsDepthSurvivesARoundTrip)
{
    // 4 x 4 pictures whose PLTE, after gAMA and sBIT, holds more entries than
    // their depth can index: the picture keeps the entries it can show.
    for (uint8_t depth : {1, 2, 4}) {
        SCOPED_TRACE(int(depth));
        Bytes plte;
        for (int i = 0; i < 3 * ((1 << depth) + 3); ++i)
            plte.push_back(static_cast<uint8_t>(i * 29));
        // Rows of filter None and bytes of mixed indexes.
        Bytes raw;
        for (int y = 0; y < 4; ++y) {
            raw.push_back(0);
            for (int i = 0; i < (depth == 4 ? 2 : 1); ++i)
                raw.push_back(static_cast<uint8_t>(0x96 ^ (y * 0x3C) ^ (i * 0x5B)));
        }
        const Bytes file = PngBuilder()
                               .IHDR(4, 4, depth, 3)
                               .Add("gAMA", U32(45455))
                               .Add("sBIT", {5, 6, 5})
                               .Add("PLTE", plte)
                               .IDAT(raw)
                               .IEND()
                               .Data();
        const PngImage image = Decode(file);
        EXPECT_EQ(image.Palette().size(), size_t{1} << depth);
        EXPECT_EQ(ToRgba(image, nullptr).Pixels, DecodeWithLibpng(file).Pixels);
        const PngImage back = Decode(EncodePNG(image, nullptr, 1));
        EXPECT_EQ(back.Palette(), image.Palette());
        EXPECT_EQ(ToRgba(back, nullptr).Pixels, ToRgba(image, nullptr).Pixels);
    }
}

TEST(PngWrite, RowHookRunsWhenAKeyIsSet)
{
    const PngImage image = RandomImage(4, 3, 8, 12);
    const auto scramble = [](TObject*, uint8_t* row, const std::string& key, int32_t number, int32_t length) {
        for (int32_t i = 0; i < length; ++i)
            row[i] ^= static_cast<uint8_t>(key[0] + number);
    };
    TZEBPNGWriteStream writer;
    writer.SetKeyString("k");
    writer.SetOnWriteRow(scramble);
    const Bytes file = Encode(writer, image);
    EXPECT_EQ(Find(SplitChunks(file), "tpNG")->Data[4], 1);
    EXPECT_NE(Decode(file), image);

    TZEBPNGReadStream reader;
    reader.SetKeyString("k");
    reader.SetOnReadRow(scramble);
    PngImage decoded;
    reader.LoadFromBytes(&decoded, file);
    EXPECT_EQ(decoded, image);
}

TEST(PngWrite, EmptyBitmapIsRefusedBeforeAnythingIsWritten)
{
    TZEBPNGWriteStream writer;
    Bytes out;
    EXPECT_THROW(writer.SaveToBytes(PngImage(), out), EZEBPNG);
    EXPECT_TRUE(out.empty());
}
