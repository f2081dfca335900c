// TFont sizes and handles, and a canvas over 32-bit memory.

#include <gtest/gtest.h>

#include <vector>

#include "base/sjis.h"
#include "classlib/canvas.h"
#include "classlib/glyph_source.h"
#include "classlib/graphic_base.h"

TEST(MulDiv, RoundsHalfAwayFromZero)
{
    struct TCase {
        int32_t A, B, C, Result;
    };
    const TCase cases[] = {
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, -1, 2, -3},
        {7, 1, 0, -1},
        {-12, 72, 96, -9},
        {-11, 72, 96, -8},
        {-13, 72, 96, -10},
        {9, 96, 72, 12},
        {10, 96, 72, 13},
        {INT32_MAX, 2, 1, -1},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MulDiv(c.A, c.B, c.C), c.Result) << c.A << " " << c.B << " " << c.C;
}

TEST(Font, SizeAndHeightFollowEachOtherAt96Dpi)
{
    TFont f;
    EXPECT_EQ(f.Name(), "MS Sans Serif");
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    const std::pair<int32_t, int32_t> pairs[] = {{9, -12}, {18, -24}, {10, -13}, {12, -16}, {36, -48}};
    for (const auto& [size, height] : pairs) {
        f.SetSize(size);
        EXPECT_EQ(f.Height(), height) << size;
        EXPECT_EQ(f.Size(), size) << size;
    }
    f.SetHeight(13); // a positive height is a cell height; Size turns negative
    EXPECT_EQ(f.Size(), -10);
}

TEST(Font, ChangesSignalAndRebuildTheHandle)
{
    gdi::TGlyphSourceScope boxes(gdi::CreateBoxGlyphSource());
    TFont f;
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    const gdi::HFONT before = f.Handle();
    f.SetStyle({fsBold, fsUnderline});
    f.SetName(SJ("ＭＳ ゴシック"));
    f.SetColor(clRed);
    f.SetColor(clRed);
    EXPECT_EQ(changes, 3);
    const gdi::TLogFont& lf = gdi::GetLogFont(f.Handle());
    EXPECT_NE(f.Handle(), before);
    EXPECT_EQ(lf.Weight, gdi::FW_BOLD);
    EXPECT_TRUE(lf.Underline);
    EXPECT_EQ(lf.FaceName, SJ("ＭＳ ゴシック"));

    TFont g;
    g.SetName("Default");
    EXPECT_EQ(gdi::GetLogFont(g.Handle()).FaceName, "MS Sans Serif");
    g.Assign(&f);
    EXPECT_EQ(g.Name(), f.Name());
    EXPECT_EQ(g.Color(), clRed);
    EXPECT_EQ(g.Style(), (TFontStyles{fsBold, fsUnderline}));
}

TEST(Font, AdoptedHandleSetsTheProperties)
{
    gdi::TGlyphSourceScope boxes(gdi::CreateBoxGlyphSource());
    gdi::TLogFont lf;
    lf.Height = -20;
    lf.Weight = gdi::FW_BOLD;
    lf.Italic = true;
    lf.Quality = gdi::ANTIALIASED_QUALITY;
    lf.PitchAndFamily = gdi::FIXED_PITCH;
    lf.FaceName = "Box";
    TFont f;
    f.SetColor(clBlue);
    f.SetHandle(gdi::CreateFontIndirect(lf));
    EXPECT_EQ(f.Height(), -20);
    EXPECT_EQ(f.Name(), "Box");
    EXPECT_EQ(f.Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(f.Pitch(), fpFixed);
    EXPECT_EQ(f.Color(), clBlue);
    EXPECT_EQ(gdi::GetLogFont(f.Handle()).Quality, gdi::ANTIALIASED_QUALITY);
}

TEST(Canvas, WithoutPixelsItRefusesToDraw)
{
    TCanvas c;
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_THROW(c.FillRect(TRect{0, 0, 1, 1}), EInvalidGraphicOperation);
    EXPECT_THROW(c.TextOut(0, 0, "A"), EInvalidGraphicOperation);
}

TEST(Canvas, DrawsOnMemoryLikeGdi)
{
    gdi::TGlyphSourceScope boxes(gdi::CreateBoxGlyphSource());
    std::vector<uint32_t> px(12 * 8, 0xFFFFFFFF);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y * 12 + x)]; };
    TCanvas c;
    c.SetHandle(gdi::TDIB32{reinterpret_cast<uint8_t*>(px.data()), 12, 8, 0});
    int changes = 0;
    c.OnChange = [&](TObject*) { ++changes; };

    c.Brush().SetColor(clBtnFace);
    c.FillRect(TRect{-5, 6, 3, 99});
    EXPECT_EQ(at(0, 6), 0x00F0F0F0u); // system colour resolved, alpha 0
    EXPECT_EQ(at(3, 7), 0xFFFFFFFFu);

    // The default quality draws antialiased: the box's last column is half ink.
    c.Font().SetHeight(-8);
    c.Font().SetColor(clRed);
    c.Brush().SetStyle(bsClear);
    c.TextOut(5, 0, "A");
    EXPECT_EQ(at(5, 0), 0x00FF0000u);
    EXPECT_EQ(at(7, 0), 0x00FF7F7Fu);
    EXPECT_EQ(at(8, 0), 0xFFFFFFFFu);
    EXPECT_EQ(c.TextExtent("AB"), (TSize{8, 8}));

    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clBlack);
    c.TextRect(TRect{0, 0, 4, 8}, 0, 0, "AB");
    EXPECT_EQ(at(1, 3), 0x00FF0000u);
    EXPECT_EQ(at(2, 3), 0x00800000u); // half ink over the black cell
    EXPECT_EQ(at(3, 3), 0x00000000u); // the cell's background
    EXPECT_EQ(at(4, 3), 0xFFFFFFFFu); // outside the clip
    EXPECT_EQ(c.Pixels(0, 0), clRed);
    EXPECT_EQ(c.Pixels(-1, 0), -1);
    EXPECT_EQ(changes, 3);
}
