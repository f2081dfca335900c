// The reader's own choices: chunk handling, bitmap formats, transparency,
// limits, and how it refuses damaged files.
#include "base/streams.h"
#include "codec/png_codec.h"
#include "codec/zeb_png_read.h"
#include "png_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using namespace pngtest;

namespace {

// Raw rows of an 8-bit grey image, filter None, value x + y.
Bytes GreyRows(uint32_t width, uint32_t height)
{
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (uint32_t x = 0; x < width; ++x)
            raw.push_back(static_cast<uint8_t>(x + y));
    }
    return raw;
}

Bytes GreyFile(uint32_t width, uint32_t height)
{
    return PngBuilder().IHDR(width, height, 8, 0).IDAT(GreyRows(width, height)).IEND().Data();
}

std::string DecodeError(const Bytes& file)
{
    PngImage image, alpha;
    try {
        DecodePNG(file, image, &alpha);
    } catch (const EZEBPNG& e) {
        return e.Message();
    }
    return "";
}

// A 4x1 8-bit palette image showing indexes 0..3 with the given tRNS.
Bytes PaletteFile(const Bytes& trns, const Bytes& plte = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120})
{
    PngBuilder b;
    b.IHDR(4, 1, 8, 3).Add("PLTE", plte);
    if (!trns.empty())
        b.Add("tRNS", trns);
    return b.IDAT({0, 0, 1, 2, 3}).IEND().Data();
}

} // namespace

TEST(PngRead, RefusesWhatIsNoPNG)
{
    EXPECT_EQ(DecodeError({}), "PNG LoadStream: Not PNG Format");
    EXPECT_EQ(DecodeError({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}), "PNG LoadStream: Not PNG Format");
    TMemoryStream empty;
    TZEBPNGReadStream reader;
    PngImage image;
    EXPECT_THROW(reader.LoadFromStream(&image, empty), EZEBPNG);
}

TEST(PngRead, HeaderErrorsInTheirOrder)
{
    struct Case {
        uint8_t Depth, ColorType, Compression, Filter, Interlace;
        const char* Message;
    };
    const Case cases[] = {
        {8, 1, 0, 0, 0, "Read Header(PNG): Error ColorType"},
        {8, 5, 9, 9, 9, "Read Header(PNG): Error ColorType"},
        {8, 0, 2, 9, 9, "Read Header(PNG): not support Compression"},
        {8, 0, 1, 2, 9, "Read Header(PNG): not supprt Filter"},
        {8, 0, 0, 1, 2, "Read Header(PNG): not interlace type"},
        {3, 0, 0, 0, 0, "Read Header(PNG): Error Bitdepth"},
        {4, 4, 0, 0, 0, "Read Header(PNG): not Use AlphaChannel"},
        {4, 2, 0, 0, 0, "Read Header(PNG): Error BitDepth"},
        {16, 3, 0, 0, 0, "Read Header(PNG): Error BitDepth"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        Bytes ihdr = U32(2);
        const Bytes h = U32(2);
        ihdr.insert(ihdr.end(), h.begin(), h.end());
        ihdr.insert(ihdr.end(), {c.Depth, c.ColorType, c.Compression, c.Filter, c.Interlace});
        const Bytes file = PngBuilder().Add("IHDR", ihdr).Add("PLTE", {0, 0, 0}).IDAT({0, 0, 0, 0}).IEND().Data();
        EXPECT_EQ(DecodeError(file), c.Message);
    }
}

TEST(PngRead, SecondIHDRIsRefused)
{
    const Bytes file = PngBuilder().IHDR(1, 1, 8, 0).IHDR(1, 1, 8, 0).IDAT({0, 0}).IEND().Data();
    EXPECT_EQ(DecodeError(file), "Read Header(PNG): appear two IHDR");
}

TEST(PngRead, ColorTypeKeepsItsLowThreeBits)
{
    EXPECT_EQ(
        DecodeError(PngBuilder().IHDR(1, 1, 8, 9).IDAT({0, 0}).IEND().Data()), "Read Header(PNG): Error ColorType");
    PngImage image;
    DecodePNG(PngBuilder().IHDR(1, 1, 8, 10).IDAT({0, 1, 2, 3}).IEND().Data(), image);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.ScanLine(0)[0], 3); // blue
    EXPECT_EQ(image.ScanLine(0)[2], 1); // red
}

TEST(PngRead, SizeMustBeWithinLimits)
{
    const std::pair<uint32_t, uint32_t> bad[] = {
        {0, 1}, {1, 0}, {16385, 1}, {1, 16385}, {0x80000000u, 1}, {16384, 16384}, {4097, 4096}};
    for (const auto& [w, h] : bad) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        EXPECT_EQ(
            DecodeError(PngBuilder().IHDR(w, h, 8, 0).IDAT({0, 0}).IEND().Data()), "Read Header(PNG): Error Size");
    }
    PngImage image;
    EXPECT_NO_THROW(DecodePNG(GreyFile(16384, 1), image));
    EXPECT_EQ(image.Width(), 16384);
}

TEST(PngRead, ShortIHDRIsRefused)
{
    EXPECT_EQ(DecodeError(PngBuilder().Add("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8}).IDAT({0, 0}).IEND().Data()),
        "Read Header(PNG): Error Length");
}

TEST(PngRead, MissingOrCutImageDataIsAnError)
{
    EXPECT_EQ(DecodeError(PngBuilder().IHDR(4, 4, 8, 0).IEND().Data()), "Read Image (PNG): No Image Data");
    EXPECT_EQ(DecodeError(PngBuilder().IHDR(4, 4, 8, 0).Data()), "Read Image (PNG): Read Error");
    // IDAT before IHDR is no image data either.
    EXPECT_EQ(DecodeError(PngBuilder().IDAT(GreyRows(4, 4)).IHDR(4, 4, 8, 0).IEND().Data()),
        "Read Image (PNG): No Image Data");

    const Bytes whole = GreyFile(40, 40);
    const std::vector<Chunk> chunks = SplitChunks(whole);
    const Bytes z = ConcatIDAT(chunks);
    // Rows missing from the compressed data.
    const Bytes shortRows = PngBuilder().IHDR(40, 41, 8, 0).Add("IDAT", z).IEND().Data();
    EXPECT_EQ(DecodeError(shortRows), "Read Image (PNG): Read Error");
    // The file cut anywhere inside the image data.
    for (size_t cut = 8 + 25 + 8; cut < whole.size() - 12 - 8; cut += 7) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(DecodeError(Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut))),
            "Read Image (PNG): Read Error");
    }
}

TEST(PngRead, FileCutAfterTheImageStillDecodes)
{
    const Bytes whole = GreyFile(5, 5);
    PngImage image;
    EXPECT_NO_THROW(DecodePNG(Bytes(whole.begin(), whole.end() - 12), image));
    EXPECT_EQ(image.ScanLine(4)[4], 8);
}

TEST(PngRead, ChunkCRCsAreReadButNotCompared)
{
    // Pictures from tools that wrote wrong CRCs show as their sound twins.
    const Bytes plte = {1, 2, 3, 4, 5, 6};
    const auto file = [&plte](const std::string& spoilt, const Bytes& idat) {
        PngBuilder b;
        const auto add = [&](const std::string& type, const Bytes& data) {
            type == spoilt ? b.AddBadCRC(type, data) : b.Add(type, data);
        };
        add("IHDR", {0, 0, 0, 2, 0, 0, 0, 2, 8, 3, 0, 0, 0});
        add("tEXt", {'a', 0, 'b'});
        add("PLTE", plte);
        add("IDAT", idat);
        add("IEND", {});
        return b.Data();
    };
    const Bytes zlib = Zlib({0, 0, 1, 0, 1, 0});
    PngImage expected;
    DecodePNG(file("", zlib), expected);
    for (const char* type : {"IHDR", "tEXt", "PLTE", "IDAT", "IEND"}) {
        SCOPED_TRACE(type);
        PngImage image;
        ASSERT_NO_THROW(DecodePNG(file(type, zlib), image));
        EXPECT_EQ(image, expected);
    }
    // Damaged image data is still caught by zlib's own check.
    Bytes spoilt = zlib;
    spoilt.back() ^= 1;
    EXPECT_EQ(DecodeError(file("", spoilt)), "Read Image (PNG): Read Error");
}

TEST(PngRead, PaletteImageNeedsItsPalette)
{
    EXPECT_EQ(
        DecodeError(PngBuilder().IHDR(1, 1, 8, 3).IDAT({0, 0}).IEND().Data()), "Read Header(PNG): not found PLTE");
}

TEST(PngRead, BadFilterTypeIsAReadError)
{
    EXPECT_EQ(DecodeError(PngBuilder().IHDR(1, 1, 8, 0).IDAT({5, 0}).IEND().Data()), "Read Image (PNG): Read Error");
}

TEST(PngRead, MacBinaryHeaderIsSkipped)
{
    Bytes file(128, 0x41);
    file[0] = 0;
    file[74] = 0;
    const Bytes png = GreyFile(3, 3);
    file.insert(file.end(), png.begin(), png.end());
    PngImage plain, wrapped;
    DecodePNG(png, plain);
    DecodePNG(file, wrapped);
    EXPECT_EQ(plain, wrapped);

    TZEBPNGReadStream reader;
    reader.SetMacBinary(false);
    PngImage image;
    EXPECT_THROW(reader.LoadFromBytes(&image, file), EZEBPNG);
}

TEST(PngRead, IDATSplitAnyWayDecodesTheSame)
{
    const Bytes raw = GreyRows(17, 9);
    PngImage whole, slices, withEmpty;
    DecodePNG(PngBuilder().IHDR(17, 9, 8, 0).IDAT(raw).IEND().Data(), whole);
    DecodePNG(PngBuilder().IHDR(17, 9, 8, 0).IDAT(raw, 1).IEND().Data(), slices);
    const Bytes z = Zlib(raw);
    PngBuilder b;
    b.IHDR(17, 9, 8, 0).Add("IDAT", {});
    for (size_t i = 0; i < z.size(); i += 5)
        b.Add("IDAT", Bytes(z.begin() + static_cast<ptrdiff_t>(i),
                          z.begin() + static_cast<ptrdiff_t>(std::min(z.size(), i + 5))))
            .Add("IDAT", {});
    DecodePNG(b.IEND().Data(), withEmpty);
    EXPECT_EQ(whole, slices);
    EXPECT_EQ(whole, withEmpty);
    EXPECT_EQ(whole.ScanLine(8)[16], 24);
}

TEST(PngRead, DataAfterThePictureIsSkipped)
{
    // Image data complete in the first IDAT; a second IDAT after the image is skipped.
    const Bytes z = Zlib(GreyRows(3, 3));
    const Bytes file = PngBuilder()
                           .IHDR(3, 3, 8, 0)
                           .Add("IDAT", z)
                           .Add("IDAT", {1, 2, 3})
                           .Add("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'})
                           .IEND()
                           .Data();
    TZEBPNGReadStream reader;
    PngImage image;
    reader.LoadFromBytes(&image, file);
    EXPECT_EQ(reader.Comment(), "x\r\n");
}

TEST(PngRead, TwoBitGreyBecomesFourBitWithAFourGreyPalette)
{
    PngImage image;
    DecodePNG(PngBuilder().IHDR(5, 1, 2, 0).IDAT({0, 0b00011011, 0b11000000}).IEND().Data(), image);
    EXPECT_EQ(image.BitsPerPixel(), 4);
    const std::vector<PngColor> expected = {{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}};
    EXPECT_EQ(image.Palette(), expected);
    EXPECT_EQ(image.ScanLine(0)[0], 0x01);
    EXPECT_EQ(image.ScanLine(0)[1], 0x23);
    EXPECT_EQ(image.ScanLine(0)[2] >> 4, 3);
}

TEST(PngRead, SingleClearPaletteEntryKeysThatIndex)
{
    // Entries 1 and 3 share a colour; only index 3 is clear.
    PngImage image, alpha;
    const bool hasAlpha =
        DecodePNG(PaletteFile({255, 255, 255, 0}, {10, 20, 30, 7, 7, 7, 70, 80, 90, 7, 7, 7}), image, &alpha);
    EXPECT_FALSE(hasAlpha);
    EXPECT_TRUE(alpha.Empty());
    EXPECT_TRUE(image.Transparent());
    EXPECT_EQ(image.TransparentColor(), 0x01000003u);
    const Rgba rgba = ToRgba(image, &alpha);
    EXPECT_EQ(rgba.At(1, 0)[3], 255);
    EXPECT_EQ(rgba.At(3, 0)[3], 0);
}

TEST(PngRead, OtherPaletteTransparencyBecomesAMask)
{
    const Bytes tables[] = {{0, 0}, {255, 128}, {255, 255, 255, 255}};
    for (const Bytes& trns : tables) {
        PngImage image, alpha;
        EXPECT_TRUE(DecodePNG(PaletteFile(trns), image, &alpha));
        EXPECT_FALSE(image.Transparent());
        ASSERT_EQ(alpha.BitsPerPixel(), 8);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(alpha.ScanLine(0)[x], x < static_cast<int>(trns.size()) ? 255 - trns[x] : 0);
    }
}

TEST(PngRead, GreyAndColourKeysAreBitmapColours)
{
    struct Case {
        Bytes File;
        uint32_t Key;
    };
    const Case cases[] = {
        {PngBuilder().IHDR(8, 1, 1, 0).Add("tRNS", {0, 1}).IDAT({0, 0xF0}).IEND().Data(), 0xFFFFFF},
        {PngBuilder().IHDR(2, 1, 4, 0).Add("tRNS", {0, 2}).IDAT({0, 0x20}).IEND().Data(), 0x222222},
        {PngBuilder().IHDR(1, 1, 8, 2).Add("tRNS", {0, 1, 0, 2, 0, 3}).IDAT({0, 1, 2, 3}).IEND().Data(), 0x030201},
        {PngBuilder().IHDR(1, 1, 16, 2).Add("tRNS", {1, 9, 2, 9, 3, 9}).IDAT({0, 1, 9, 2, 9, 3, 9}).IEND().Data(),
            0x030201},
    };
    for (const Case& c : cases) {
        PngImage image;
        DecodePNG(c.File, image);
        EXPECT_TRUE(image.Transparent());
        EXPECT_EQ(image.TransparentColor(), c.Key);
    }
}

TEST(PngRead, FileValuesReachTheOwner)
{
    const Bytes file = PngBuilder()
                           .Add("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'o', 'n', 'e'})
                           .IHDR(1, 1, 8, 2, 1)
                           .Add("gAMA", U32(45455))
                           .Add("sBIT", {5, 6, 5})
                           .Add("cHRM", Bytes(32, 1))
                           .Add("tIME", {0x07, 0xD0, 1, 2, 3, 4, 5})
                           .Add("bKGD", {0, 1, 0, 2, 0, 3})
                           .Add("pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1})
                           .Add("tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x'})
                           .Add("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 't', 'w', 'o'})
                           .IDAT({0, 1, 2, 3})
                           .IEND()
                           .Data();
    TZEBPNGReadStream reader;
    TPNGTime time;
    TPNGChromaticity chromaticity{};
    TPNGGIFg gifg{};
    reader.SetRecords(&time, &chromaticity, &gifg);
    PngImage image;
    reader.LoadFromBytes(&image, file);
    EXPECT_EQ(reader.Comment(), "one\r\n\r\ntwo\r\n");
    EXPECT_DOUBLE_EQ(reader.Gamma(), 0.45455);
    EXPECT_EQ(reader.SignificantBits(), 0x050605u);
    EXPECT_EQ(chromaticity[7], 0x01010101u);
    EXPECT_EQ(time, (TPNGTime{2000, 1, 2, 3, 4, 5}));
    EXPECT_EQ(reader.Background(), 0x030201);
    EXPECT_EQ(reader.PhysicalX(), 2835u);
    EXPECT_EQ(reader.PhysicalUnit(), 1);
    EXPECT_EQ(reader.Interlace(), 1);
    EXPECT_EQ(reader.BitDepth(), 8);
    EXPECT_FALSE(reader.Grey());
}

TEST(PngRead, ShortOrUnterminatedChunksAreLeftAlone)
{
    // A keyword with no end, values shorter than their chunk says: none may
    // be read past its chunk.
    const Bytes file = PngBuilder()
                           .IHDR(1, 1, 8, 2)
                           .Add("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't'})
                           .Add("tRNS", {0, 1})
                           .Add("bKGD", {0})
                           .Add("gAMA", {0, 1})
                           .Add("pHYs", {0, 0, 0, 1})
                           .Add("tIME", {7, 208, 1})
                           .IDAT({0, 1, 2, 3})
                           .IEND()
                           .Data();
    TZEBPNGReadStream reader;
    PngImage image;
    reader.LoadFromBytes(&image, file);
    EXPECT_EQ(reader.Comment(), "");
    EXPECT_EQ(reader.Transparent(), -1);
    EXPECT_EQ(reader.Background(), -1);
    EXPECT_EQ(reader.Gamma(), 0);
    EXPECT_EQ(image.ScanLine(0)[0], 3);
}

TEST(PngRead, SixteenBitRGBMayBecomeFiveSixFive)
{
    const Bytes file = PngBuilder().IHDR(1, 1, 8, 2).Add("sBIT", {5, 5, 5}).IDAT({0, 0xFF, 0x84, 0x08}).IEND().Data();
    TZEBPNGReadStream reader;
    reader.SetDecode1516(true);
    PngImage image;
    reader.LoadFromBytes(&image, file);
    EXPECT_EQ(image.BitsPerPixel(), 16);
    EXPECT_EQ(reader.BitDepth(), 15);
    EXPECT_EQ(image.ScanLine(0)[0] | image.ScanLine(0)[1] << 8, 31 << 11 | 33 << 5 | 1);
}

TEST(PngRead, SourceIsLeftJustAfterThePicture)
{
    Bytes data = GreyFile(300, 300);
    const size_t end = data.size();
    data.insert(data.end(), 70000, 0xEE);

    TMemoryStream memory(data.data(), data.size());
    TZEBPNGReadStream reader;
    PngImage image;
    reader.LoadFromStream(&image, memory);
    EXPECT_EQ(memory.Position(), static_cast<int64_t>(end));

    char path[] = "/tmp/pngreadXXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fd);
    {
        TFileStream file(path, fmOpenRead);
        TZEBPNGReadStream fileReader;
        PngImage fromFile;
        fileReader.LoadFromStream(&fromFile, file);
        EXPECT_EQ(file.Position(), static_cast<int64_t>(end));
        EXPECT_EQ(fromFile, image);
    }
    unlink(path);
}

TEST(PngRead, RowHookSeesRowsOnlyWhenTheFileAsksForIt)
{
    const Bytes keyed = PngBuilder()
                            .IHDR(2, 2, 8, 0)
                            .Add("tpNG", {'Z', 'E', 'B', '3', 1, 0, 0, 0})
                            .IDAT({2, 1, 2, 2, 1, 1})
                            .IEND()
                            .Data();
    TZEBPNGReadStream reader;
    std::vector<int32_t> rows;
    reader.SetKeyString("secret");
    reader.SetOnKeyRequest([](TObject*, std::string& key) { key += "!"; });
    reader.SetOnReadRow([&](TObject*, uint8_t* row, const std::string& key, int32_t number, int32_t length) {
        EXPECT_EQ(key, "secret!");
        EXPECT_EQ(length, 2);
        rows.push_back(number);
        row[0] ^= 0x80;
    });
    PngImage image;
    reader.LoadFromBytes(&image, keyed);
    EXPECT_EQ(rows, (std::vector<int32_t>{0, 1}));
    // Row 1 is unfiltered (Up) against row 0 as stored, before the hook.
    EXPECT_EQ(image.ScanLine(0)[0], 0x81);
    EXPECT_EQ(image.ScanLine(1)[0], 0x82);

    rows.clear();
    PngImage plain;
    TZEBPNGReadStream other;
    other.SetKeyString("secret");
    other.SetOnReadRow([&](TObject*, uint8_t*, const std::string&, int32_t n, int32_t) { rows.push_back(n); });
    other.LoadFromBytes(&plain, PngBuilder().IHDR(2, 2, 8, 0).IDAT({0, 1, 2, 0, 1, 1}).IEND().Data());
    EXPECT_TRUE(rows.empty());
}
