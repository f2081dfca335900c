// TZEBPNG: loading into the class library's bitmaps, saving as the engine
// does, assignment and the alpha channel.
#include "base/streams.h"
#include "codec/zeb_png.h"
#include "codec/zeb_png_error.h"
#include "classlib/picture.h"
#include "png_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace pngtest;

namespace {

// 2x2 RGBA, alpha 0, 85, 170, 255.
Bytes AlphaFile()
{
    return PngBuilder()
        .IHDR(2, 2, 8, 6)
        .IDAT({0, 1, 2, 3, 0, 4, 5, 6, 85, 0, 7, 8, 9, 170, 10, 11, 12, 255})
        .IEND()
        .Data();
}

// 4x1 palette picture, indexes 0..3; entries 1 and 3 share a colour and
// only entry 3 is clear.
Bytes KeyedPaletteFile()
{
    return PngBuilder()
        .IHDR(4, 1, 8, 3)
        .Add("PLTE", {10, 20, 30, 7, 7, 7, 70, 80, 90, 7, 7, 7})
        .Add("tRNS", {255, 255, 255, 0})
        .IDAT({0, 0, 1, 2, 3})
        .IEND()
        .Data();
}

Bytes OpaqueFile()
{
    return PngBuilder().IHDR(2, 1, 8, 2).IDAT({0, 1, 2, 3, 4, 5, 6}).IEND().Data();
}

void Load(TZEBPNG& png, const Bytes& file)
{
    TMemoryStream stream(file.data(), file.size());
    png.LoadFromStream(stream);
}

Bytes Save(TZEBPNG& png)
{
    TMemoryStream stream;
    png.SaveToStream(stream);
    return stream.Bytes();
}

const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& type)
{
    for (const Chunk& c : chunks)
        if (c.Type == type)
            return &c;
    return nullptr;
}

// A 32-bit bitmap as the screen layers hand it over.
void FillScreen(TBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width * 4; ++x)
            bitmap.ScanLine(y)[x] = static_cast<uint8_t>(x * 7 + y * 13);
}

} // namespace

TEST(ZEBPNG, NewObjectIsEmptyWithoutAlpha)
{
    TZEBPNG png;
    EXPECT_TRUE(png.Empty());
    EXPECT_FALSE(png.GetAlphaBitmap());
    TBitmap dest;
    EXPECT_FALSE(png.GetAlphaBitmap(&dest));
    EXPECT_EQ(png.CompressionLevel(), -1);
    EXPECT_EQ(png.IDATSize(), 32768);
    EXPECT_DOUBLE_EQ(png.Gamma(), 0.45455);
    EXPECT_GT(png.TimeRecord().Year, 2000);
}

TEST(ZEBPNG, AlphaChannelIsAMaskOfTheAlpha)
{
    TZEBPNG png;
    Load(png, AlphaFile());
    EXPECT_TRUE(png.HasAlpha());
    TBitmap alpha;
    ASSERT_TRUE(png.GetAlphaBitmap(&alpha));
    EXPECT_EQ(alpha.PixelFormat(), pf8bit);
    EXPECT_EQ(alpha.ScanLine(0)[0], 255);
    EXPECT_EQ(alpha.ScanLine(0)[1], 170);
    EXPECT_EQ(alpha.ScanLine(1)[0], 85);
    EXPECT_EQ(alpha.ScanLine(1)[1], 0);
    EXPECT_EQ(png.Image().PixelFormat(), pf24bit);
    EXPECT_EQ(png.Image().PixelColor(1, 1), RGB(10, 11, 12));
}

TEST(ZEBPNG, LoadWithoutAlphaAfterOneWithAlphaHasNone)
{
    TZEBPNG png;
    Load(png, AlphaFile());
    Load(png, OpaqueFile());
    EXPECT_FALSE(png.HasAlpha());
    TBitmap dest;
    EXPECT_FALSE(png.GetAlphaBitmap(&dest));
    EXPECT_TRUE(dest.Empty());
}

TEST(ZEBPNG, LoadWithoutKeyAfterAKeyedOneIsOpaque)
{
    TZEBPNG png;
    Load(png, KeyedPaletteFile());
    EXPECT_TRUE(png.Transparent());
    Load(png, OpaqueFile());
    EXPECT_FALSE(png.Image().Transparent());
    EXPECT_FALSE(png.Transparent());
    EXPECT_EQ(png.TransparentValue(), -1);
}

TEST(ZEBPNG, AssignedToABitmapGivesPixelsPaletteAndKeyedIndex)
{
    TZEBPNG png;
    Load(png, KeyedPaletteFile());
    TBitmap bitmap;
    bitmap.Assign(&png);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    ASSERT_EQ(bitmap.Palette().size(), 4u);
    EXPECT_EQ(bitmap.Palette()[2], (TRGBQuad{90, 80, 70, 0}));
    EXPECT_EQ(bitmap.PixelColor(2, 0), RGB(70, 80, 90));
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), PaletteIndex(3));
    EXPECT_EQ(png.TransparentValue(), 0x01000003);
    // Only the pixels of the clear entry are keyed, not those that share its
    // colour or whose red matches the index.
    EXPECT_FALSE(bitmap.IsTransparentPixel(0, 0));
    EXPECT_FALSE(bitmap.IsTransparentPixel(1, 0));
    EXPECT_TRUE(bitmap.IsTransparentPixel(3, 0));
    EXPECT_FALSE(png.GetAlphaBitmap());
}

TEST(ZEBPNG, SavesAsTheEngineDoes)
{
    TBitmap screen;
    FillScreen(screen, 7, 5);
    TZEBPNG png;
    png.SetCompressionLevel(9);
    png.Assign(&screen);
    const Bytes file = Save(png);
    const std::vector<Chunk> chunks = SplitChunks(file);
    EXPECT_EQ(chunks[0].Data[9], 2);
    EXPECT_EQ(Find(chunks, "tRNS"), nullptr);
    EXPECT_EQ(Find(chunks, "bKGD"), nullptr);
    ASSERT_NE(Find(chunks, "tIME"), nullptr);
    ASSERT_NE(Find(chunks, "gAMA"), nullptr);
    EXPECT_EQ(Find(chunks, "gAMA")->Data, (Bytes{0x00, 0x00, 0xB1, 0x8F}));

    TZEBPNG back;
    Load(back, file);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            ASSERT_EQ(back.Image().PixelColor(x, y), screen.PixelColor(x, y));
    EXPECT_FALSE(back.GetAlphaBitmap());
}

TEST(ZEBPNG, RoundTripKeepsAlphaAndOptions)
{
    TZEBPNG png;
    Load(png, AlphaFile());
    png.SetComment("note");
    png.SetInterlace(1);
    png.SetFilterMode(0);
    png.SetPhysical(1, 3780, 3780);
    TZEBPNG back;
    Load(back, Save(png));
    EXPECT_TRUE(back.HasAlpha());
    EXPECT_EQ(back.Comment(), "note\r\n");
    EXPECT_EQ(back.Interlace(), 1);
    EXPECT_EQ(back.PhysX(), 3780);
    TBitmap a, b;
    png.GetAlphaBitmap(&a);
    back.GetAlphaBitmap(&b);
    for (int32_t y = 0; y < 2; ++y)
        EXPECT_EQ(a.ScanLine(y)[0] | a.ScanLine(y)[1] << 8, b.ScanLine(y)[0] | b.ScanLine(y)[1] << 8);
}

TEST(ZEBPNG, BadIDATSizeWritesNothing)
{
    TBitmap screen;
    FillScreen(screen, 2, 2);
    TZEBPNG png;
    png.Assign(&screen);
    png.SetIDATSize(255);
    TMemoryStream stream;
    EXPECT_THROW(png.SaveToStream(stream), EZEBPNG);
    EXPECT_EQ(stream.Size(), 0);
}

TEST(ZEBPNG, FailedLoadRaisesTheReadersError)
{
    TZEBPNG png;
    try {
        Load(png, Bytes{'n', 'o', 'p', 'e'});
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "PNG LoadStream: Not PNG Format");
    }
}

TEST(ZEBPNG, AssignFromAnotherCopiesPicturesAndOptions)
{
    TZEBPNG png;
    Load(png, AlphaFile());
    png.SetCompressionLevel(9);
    png.SetComment("c");
    png.SetBackground(0x112233);
    TZEBPNG copy;
    copy.Assign(&png);
    EXPECT_EQ(copy.CompressionLevel(), 9);
    EXPECT_EQ(copy.Comment(), "c");
    EXPECT_EQ(copy.Background(), 0x112233);
    EXPECT_EQ(copy.Width(), 2);
    EXPECT_TRUE(copy.GetAlphaBitmap());
    EXPECT_EQ(SplitChunks(Save(copy))[0].Data[9], 6);

    // From a plain bitmap only the picture changes.
    TBitmap screen;
    FillScreen(screen, 3, 3);
    copy.Assign(&screen);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Comment(), "c");
}

TEST(ZEBPNG, ResizingLeavesAnEmptyAlphaEmpty)
{
    TZEBPNG png;
    Load(png, OpaqueFile());
    png.SetWidth(5);
    EXPECT_EQ(png.Width(), 5);
    EXPECT_TRUE(png.Alpha().Empty());
    Load(png, AlphaFile());
    png.SetHeight(4);
    EXPECT_EQ(png.Alpha().Height(), 4);
}

TEST(ZEBPNG, PictureLoadsPNGFilesByExtensionAndContent)
{
    const Bytes file = AlphaFile();
    char path[] = "/tmp/zebpngXXXXXX.png";
    const int fd = mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    close(fd);
    TPicture picture;
    picture.LoadFromFile(path);
    unlink(path);
    ASSERT_NE(dynamic_cast<TZEBPNG*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 2);

    TPicture sniffed;
    TMemoryStream stream(file.data(), file.size());
    sniffed.LoadFromStream(stream);
    EXPECT_NE(dynamic_cast<TZEBPNG*>(sniffed.Graphic()), nullptr);
}

TEST(ZEBPNG, FifteenBitBitmapKeepsItsColours)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf15bit);
    bitmap.SetSize(1, 1);
    bitmap.ScanLine(0)[0] = 0x1F; // blue 31
    bitmap.ScanLine(0)[1] = 0x7C; // red 31
    TZEBPNG png;
    png.Assign(&bitmap);
    TZEBPNG back;
    Load(back, Save(png));
    EXPECT_EQ(back.Image().PixelColor(0, 0), RGB(255, 0, 255));
}
