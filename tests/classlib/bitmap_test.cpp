// TBitmap: formats, conversions, transparency, copies for 32-bit bitmaps,
// its canvas and the bitmap file writer.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "base/streams.h"
#include "classlib/bitmap.h"

namespace {

// A bitmap whose raw pixels follow a pattern that fits every depth.
std::unique_ptr<TBitmap> Patterned(TPixelFormat format, int w, int h)
{
    auto owned = std::make_unique<TBitmap>();
    TBitmap& b = *owned;
    b.SetPixelFormat(format);
    b.SetSize(w, h);
    const int bits = BitsPerPixelOf(format);
    if (bits <= 8) {
        TPalette p;
        for (int i = 0; i < (1 << bits); ++i)
            p.push_back(
                TRGBQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 5), 0});
        b.SetPalette(p);
    }
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int i = 0; i < (w * bits + 7) / 8; ++i)
            row[i] = static_cast<uint8_t>(y * 31 + i * 17 + 3);
        if ((w * bits) % 8 != 0) // keep the bits past the last pixel clear
            row[(w * bits) / 8] &= static_cast<uint8_t>(0xFF00 >> ((w * bits) % 8));
    }
    return owned;
}

std::unique_ptr<TBitmap> RoundTrip(TBitmap& b)
{
    TMemoryStream stream;
    b.SaveToStream(stream);
    stream.SetPosition(0);
    auto back = std::make_unique<TBitmap>();
    back->LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    return back;
}

} // namespace

TEST(BitmapFile, WritesAndReadsBackEveryFormat)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        auto owned = Patterned(f, 7, 5);
        TBitmap& b = *owned;
        const auto back = RoundTrip(b);
        ASSERT_EQ(back->PixelFormat(), f);
        ASSERT_EQ(back->Width(), 7);
        ASSERT_EQ(back->Height(), 5);
        EXPECT_EQ(back->Palette(), b.Palette());
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(
                std::memcmp(back->ScanLine(y), b.ScanLine(y), static_cast<size_t>((7 * BitsPerPixelOf(f) + 7) / 8)), 0)
                << "row " << y;
    }
}

TEST(BitmapFile, DeviceBitmapsAreWrittenAs32Bit)
{
    TBitmap b;
    b.SetSize(2, 1);
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    b.SetPixelColor(1, 0, RGB(1, 2, 3));
    const auto back = RoundTrip(b);
    EXPECT_EQ(back->PixelFormat(), pf32bit);
    EXPECT_EQ(back->PixelColor(1, 0), RGB(1, 2, 3));
}

TEST(BitmapFile, PaletteFormatWithoutEntriesStillReadsBack)
{
    auto owned = Patterned(pf8bit, 3, 2);
    TBitmap& b = *owned;
    b.SetPalette({});
    const auto back = RoundTrip(b);
    EXPECT_EQ(back->Palette().size(), 256u);
    EXPECT_EQ(back->RawPixel(2, 1), b.RawPixel(2, 1));
}

TEST(BitmapFile, EmptyBitmapRoundTrips)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    const auto back = RoundTrip(b);
    EXPECT_TRUE(back->Empty());
}

TEST(Bitmap, SizeChangesKeepTheOverlapAndClearTheRest)
{
    auto owned = Patterned(pf4bit, 5, 3);
    TBitmap& b = *owned;
    TBitmap before;
    before.Assign(&b);
    b.SetSize(3, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.RawPixel(x, y), y < 3 ? before.RawPixel(x, y) : 0u) << x << "," << y;
    b.SetWidth(-2);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Height(), 4);
}

TEST(Bitmap, RefusesSizesBeyondTheLimitsAndStaysAsItWas)
{
    auto owned = Patterned(pf24bit, 2, 2);
    TBitmap& b = *owned;
    EXPECT_THROW(b.SetSize(MaxBitmapSide + 1, 1), EInvalidGraphicOperation);
    EXPECT_THROW(b.SetSize(MaxBitmapSide, MaxBitmapSide), EInvalidGraphicOperation);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 2);
}

TEST(Bitmap, ScanLineOutsideTheBitmapRaises)
{
    auto owned = Patterned(pf8bit, 2, 2);
    TBitmap& b = *owned;
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
    TBitmap device;
    device.SetSize(1, 1);
    device.ScanLine(0);
    EXPECT_EQ(device.PixelFormat(), pf32bit); // direct access needs a DIB
    EXPECT_EQ(device.HandleType(), bmDIB);
}

TEST(Bitmap, FormatConversionsKeepColours)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 1);
    b.SetPixelColor(0, 0, RGB(255, 0, 0));
    b.SetPixelColor(1, 0, RGB(250, 250, 250));
    b.SetPixelColor(2, 0, RGB(0, 0, 130));
    b.SetPixelFormat(pf4bit); // nearest of the 16 VGA colours
    EXPECT_EQ(b.PixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(b.PixelColor(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(b.PixelColor(2, 0), RGB(0, 0, 128));
    b.SetPixelFormat(pf8bit); // more entries: the palette and the indices stay
    EXPECT_EQ(b.Palette().size(), 16u);
    EXPECT_EQ(b.PixelColor(2, 0), RGB(0, 0, 128));
    b.SetPixelFormat(pf32bit);
    EXPECT_EQ(b.RawPixel(0, 0), 0x00FF0000u);
    b.SetPixelFormat(pf1bit);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.PixelColor(1, 0), clWhite);
    EXPECT_EQ(b.PixelColor(2, 0), clBlack);
}

TEST(Bitmap, PaletteSetBeforeThePaletteFormatIsKept)
{
    const TPalette grey = {
        TRGBQuad{0, 0, 0, 0}, TRGBQuad{85, 85, 85, 0}, TRGBQuad{170, 170, 170, 0}, TRGBQuad{255, 255, 255, 0}};
    TBitmap b;
    b.SetPalette(grey);
    b.SetPixelFormat(pf4bit);
    b.SetSize(1, 1);
    EXPECT_EQ(b.Palette(), grey);
}

TEST(Bitmap, CopyTo32BitKeepsAlphaOnlyFrom32BitPixels)
{
    for (TPixelFormat f : {pf8bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(2, 2);
        if (f == pf8bit)
            b.SetPalette({TRGBQuad{0, 0, 0, 0}, TRGBQuad{30, 20, 10, 0}});
        b.SetPixelColor(1, 1, f == pf8bit ? PaletteIndex(1) : RGB(8, 20, 33));
        if (f == pf32bit)
            b.ScanLine(1)[7] = 0x80;
        uint8_t out[2 * 2 * 4 + 4];
        std::memset(out, 0xEE, sizeof out);
        b.CopyToDIB32(out, 8);
        const uint8_t expected[4] = {static_cast<uint8_t>(f == pf8bit ? 30 : 33), static_cast<uint8_t>(20),
            static_cast<uint8_t>(f == pf8bit ? 10 : 8), static_cast<uint8_t>(f == pf32bit ? 0x80 : 0)};
        EXPECT_EQ(std::memcmp(out + 12, expected, 4), 0) << static_cast<int>(f);
        EXPECT_EQ(out[16], 0xEE); // nothing past the last pixel
    }
}

TEST(BitmapTransparency, PaletteIndexKeysThatEntryNotARedLevel)
{
    // Entry 1 has red 3; the key names entry 3, whose colour entry 4 shares.
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(5, 1);
    b.SetPalette({TRGBQuad{0, 0, 0, 0}, TRGBQuad{0, 0, 3, 0}, TRGBQuad{9, 9, 9, 0}, TRGBQuad{50, 60, 70, 0},
        TRGBQuad{50, 60, 70, 0}});
    for (int x = 0; x < 5; ++x)
        b.ScanLine(0)[x] = static_cast<uint8_t>(x);
    b.SetTransparent(true);
    b.SetTransparentColor(PaletteIndex(3));
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), PaletteIndex(3));
    uint8_t out[5 * 4];
    b.CopyToDIB32(out, 20);
    for (int x = 0; x < 5; ++x)
        out[4 * x + 3] = 255;
    b.ClearTransparentAlpha(out, 20);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(out[4 * x + 3], x == 3 ? 0 : 255) << x;
}

TEST(BitmapTransparency, ColourKeyMatchesEveryPixelOfThatColour)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 1);
    b.SetPixelColor(0, 0, clBlue);
    b.SetPixelColor(2, 0, clBlue);
    b.SetTransparentColor(clBlue);
    EXPECT_TRUE(b.IsTransparentPixel(0, 0));
    EXPECT_FALSE(b.IsTransparentPixel(1, 0));
    EXPECT_TRUE(b.IsTransparentPixel(2, 0));
}

TEST(BitmapTransparency, AutoModeTakesTheBottomLeftPixel)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(2, 2);
    b.SetPixelColor(0, 1, RGB(1, 2, 3));
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), RGB(1, 2, 3));
    b.SetTransparentMode(tmFixed);
    b.SetPixelColor(0, 1, RGB(4, 5, 6));
    EXPECT_EQ(b.TransparentColor(), RGB(1, 2, 3)); // fixed at the colour it had
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
}

TEST(Bitmap, AssignCopiesEverythingAndSignalsOnce)
{
    auto owned = Patterned(pf4bit, 3, 3);
    TBitmap& source = *owned;
    source.SetTransparent(true);
    source.SetTransparentColor(PaletteIndex(2));
    TBitmap copy;
    int changes = 0;
    copy.OnChange = [&](TObject*) { ++changes; };
    copy.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.PixelFormat(), pf4bit);
    EXPECT_EQ(copy.Palette(), source.Palette());
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), PaletteIndex(2));
    EXPECT_EQ(std::memcmp(copy.ScanLine(2), source.ScanLine(2), 2), 0);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(BitmapCanvas, DrawsInTheBitmapsOwnFormat)
{
    TBitmap b;
    b.SetPixelFormat(pf4bit);
    b.SetSize(4, 2);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Canvas()->Brush().SetColor(RGB(250, 0, 0));
    b.Canvas()->FillRect(TRect{1, 0, 3, 5});
    EXPECT_GT(changes, 0);
    EXPECT_EQ(b.RawPixel(0, 0), 0u);
    EXPECT_EQ(b.PixelColor(1, 1), RGB(255, 0, 0)); // nearest VGA entry
    EXPECT_EQ(b.PixelColor(2, 0), RGB(255, 0, 0));
    EXPECT_EQ(b.RawPixel(3, 1), 0u);
    b.Canvas()->SetPixels(0, 1, clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(0, 1), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(9, 9), -1);
}

TEST(BitmapDraw, StretchesByNearestPixelAndLeavesTransparentPixelsOut)
{
    TBitmap src;
    src.SetPixelFormat(pf24bit);
    src.SetSize(2, 1);
    src.SetPixelColor(0, 0, RGB(10, 20, 30));
    src.SetPixelColor(1, 0, clBlue);

    TBitmap dst;
    dst.SetPixelFormat(pf32bit);
    dst.SetSize(5, 2);
    for (int y = 0; y < 2; ++y)
        std::memset(dst.ScanLine(y), 0x77, 20);
    dst.Canvas()->StretchDraw(TRect{0, 0, 4, 2}, &src);
    EXPECT_EQ(dst.RawPixel(1, 1), 0x000A141Eu); // copied colour, alpha 0 from a 24-bit source
    EXPECT_EQ(dst.RawPixel(2, 0), 0x000000FFu);
    EXPECT_EQ(dst.RawPixel(4, 0), 0x77777777u);

    src.SetTransparent(true);
    src.SetTransparentColor(clBlue);
    for (int y = 0; y < 2; ++y)
        std::memset(dst.ScanLine(y), 0x77, 20);
    dst.Canvas()->Draw(1, 0, &src);
    EXPECT_EQ(dst.RawPixel(1, 0), 0x000A141Eu);
    EXPECT_EQ(dst.RawPixel(2, 0), 0x77777777u);
}
