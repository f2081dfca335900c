#include <gtest/gtest.h>

#include "graphics/bitmap32.h"
#include "classlib/graphic.h"

namespace {

void Make24Bit(TBitmap& bmp)
{
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(3, 2);
    bmp.SetPixelColor(0, 0, RGB(255, 0, 0));
    bmp.SetPixelColor(1, 0, RGB(0, 0, 255));
    bmp.SetPixelColor(2, 0, RGB(1, 2, 3));
    bmp.SetPixelColor(0, 1, RGB(0, 0, 255));
    bmp.SetPixelColor(1, 1, RGB(9, 9, 9));
    bmp.SetPixelColor(2, 1, RGB(0, 0, 255));
}

} // namespace

TEST(Bitmap32Assign, From24BitBitmapGivesOpaquePixels)
{
    TBitmap bmp;
    Make24Bit(bmp);
    TBitmap32 b;
    b.Assign(&bmp);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(b.Pixel(2, 0), 0xFF010203u);
    // The bitmap's canvas font comes along.
    EXPECT_EQ(b.Font().Name(), bmp.Canvas()->Font().Name());
}

TEST(Bitmap32Assign, TransparentColourLosesItsAlphaOnly)
{
    TBitmap bmp;
    Make24Bit(bmp);
    bmp.SetTransparent(true);
    bmp.SetTransparentColor(RGB(0, 0, 255));
    TBitmap32 b;
    b.Assign(&bmp);
    EXPECT_EQ(b.Pixel(1, 0), 0x000000FFu);
    EXPECT_EQ(b.Pixel(2, 1), 0x000000FFu);
    EXPECT_EQ(b.Pixel(0, 0), 0xFFFF0000u);
}

TEST(Bitmap32Assign, PaletteIndexTransparencyKeysThatEntry)
{
    TBitmap bmp;
    bmp.SetPixelFormat(pf8bit);
    TPalette palette(4);
    palette[0] = TRGBQuad{0, 0, 3, 0};    // red equals the keyed index
    palette[3] = TRGBQuad{30, 20, 10, 0}; // the keyed entry
    bmp.SetPalette(palette);
    bmp.SetSize(2, 1);
    uint8_t* row = static_cast<uint8_t*>(bmp.ScanLine(0));
    row[0] = 3;
    row[1] = 0;
    bmp.SetTransparent(true);
    bmp.SetTransparentColor(PaletteIndex(3));
    TBitmap32 b;
    b.Assign(&bmp);
    EXPECT_EQ(b.Pixel(0, 0), 0x000A141Eu);
    EXPECT_EQ(b.Pixel(1, 0), 0xFF030000u);
}

TEST(Bitmap32Assign, ThirtyTwoBitBitmapsKeepTheirAlphaBothWays)
{
    TBitmap32 a;
    a.SetSize(2, 2);
    a.SetPixel(0, 0, 0x80FF0000);
    a.SetPixel(1, 0, 0x00123456);
    a.SetPixel(0, 1, 0xFFFFFFFF);
    a.SetPixel(1, 1, 0x01020304);
    TBitmap bmp;
    a.AssignTo(&bmp);
    EXPECT_EQ(bmp.PixelFormat(), pf32bit);
    EXPECT_EQ(bmp.RawPixel(0, 0), 0x80FF0000u);
    TBitmap32 b;
    b.Assign(&bmp);
    EXPECT_TRUE(std::equal(a.Bits(), a.Bits() + 4, b.Bits()));

    TPicture picture;
    a.AssignTo(&picture);
    ASSERT_NE(picture.Graphic(), nullptr);
    TBitmap32 c;
    c.Assign(&picture);
    EXPECT_TRUE(std::equal(a.Bits(), a.Bits() + 4, c.Bits()));
}

TEST(Bitmap32Assign, WindowsBitmapFileRoundTrip)
{
    TBitmap32 a;
    a.SetSize(5, 3);
    for (int32_t i = 0; i < 15; ++i)
        a.Bits()[i] = 0x01030507u * TColor32(i + 1);
    TMemoryStream s;
    a.SaveToStream(s);
    EXPECT_EQ(s.Bytes()[0], 'B');
    EXPECT_EQ(s.Bytes()[1], 'M');
    s.SetPosition(0);
    TBitmap32 b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.LoadFromStream(s);
    EXPECT_GE(changes, 1);
    EXPECT_TRUE(std::equal(a.Bits(), a.Bits() + 15, b.Bits()));
}

TEST(Bitmap32Assign, BadFileRaisesAndStillNotifies)
{
    const uint8_t junk[] = {'B', 'M', 1, 2, 3};
    TMemoryStream s(junk, sizeof junk);
    TBitmap32 b;
    b.SetSize(2, 2);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.Width(), 2);
}

TEST(Bitmap32Assign, OtherGraphicsAreDrawnOpaque)
{
    // A TBitmap inside a TPicture is taken as a bitmap; an empty picture
    // empties the target.
    TPicture picture;
    Make24Bit(*picture.Bitmap());
    TBitmap32 b;
    b.Assign(&picture);
    EXPECT_EQ(b.Pixel(1, 1), 0xFF090909u);
    TPicture none;
    b.Assign(&none);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32Assign, DataIsWrittenUnlessTheAncestorIsEqual)
{
    TBitmap32 a, same, other, empty;
    a.SetSize(2, 1);
    a.Clear(0x80102030);
    same.Assign(&a);
    other.SetSize(2, 1);
    EXPECT_TRUE(a.DataNeedsWriting(nullptr));
    EXPECT_FALSE(empty.DataNeedsWriting(nullptr));
    EXPECT_FALSE(a.DataNeedsWriting(&same));
    EXPECT_TRUE(a.DataNeedsWriting(&other));
    EXPECT_FALSE(empty.DataNeedsWriting(&empty));
}

TEST(Bitmap32Assign, CanvasDrawsOnThePixelsAndFollowsResizes)
{
    TBitmap32 b;
    b.SetSize(4, 4);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Canvas().Brush().SetColor(RGB(0, 255, 0));
    b.Canvas().FillRect(TRect{0, 0, 2, 2});
    EXPECT_EQ(b.Pixel(1, 1) & 0x00FFFFFF, 0x0000FF00u);
    EXPECT_GE(changes, 1);
    // A size change frees the canvas; the next one draws on the new pixels.
    b.SetSize(8, 8);
    b.Canvas().Brush().SetColor(RGB(0, 255, 0));
    b.Canvas().FillRect(TRect{6, 6, 8, 8});
    EXPECT_EQ(b.Pixel(7, 7) & 0x00FFFFFF, 0x0000FF00u);
}
