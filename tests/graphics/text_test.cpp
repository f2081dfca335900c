#include <gtest/gtest.h>

#include "base/sjis.h"
#include "graphics/bitmap32.h"
#include "classlib/glyph_source.h"
#include "classlib/graphic.h"

namespace {

// Glyphs are solid boxes: with height -12 a single-byte character advances
// 6 pixels and covers 5 columns of the 12-pixel cell.
class BoxText : public ::testing::Test {
protected:
    gdi::TGlyphSourceScope Boxes{gdi::CreateBoxGlyphSource()};
};

void Prepare(TBitmap32& b, TColor32 fill, int32_t w = 40, int32_t h = 30)
{
    b.SetSize(w, h);
    b.Clear(fill);
    b.Font().SetHeight(-12);
}

bool InBox(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height)
{
    return x >= left && x < left + width && y >= top && y < top + height;
}

} // namespace

TEST_F(BoxText, TextExtentAndTextOut)
{
    TBitmap32 b;
    Prepare(b, 0xFF000000);
    EXPECT_EQ(b.TextExtent("AB"), (TSize{12, 12}));
    EXPECT_EQ(b.TextWidth(sjis::FromUtf8("あ")), 12);
    std::vector<TRect> areas;
    b.OnAreaChanged = [&](TObject*, const TRect& r, uint32_t) { areas.push_back(r); };
    b.Font().SetColor(clRed);
    b.TextOut(3, 4, "A");
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0], (TRect{3, 4, 10, 17}));
    // GDI leaves the text colour with alpha 0.
    EXPECT_EQ(b.Pixel(3, 4), 0x00FF0000u);
    EXPECT_EQ(b.Pixel(8, 4), 0xFF000000u);
}

TEST_F(BoxText, RenderTextLevel0IsExact)
{
    TBitmap32 b;
    Prepare(b, 0xFF000000);
    b.RenderText(2, 3, "AB", 0, 0xFF3366CC);
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const bool ink = InBox(x, y, 2, 3, 5, 12) || InBox(x, y, 8, 3, 5, 12);
            ASSERT_EQ(b.Pixel(x, y), ink ? 0xFF3366CCu : 0xFF000000u) << x << "," << y;
        }

    // Colour alpha 128 weighs the ink through the master alpha.
    TBitmap32 half;
    Prepare(half, 0xFF000000);
    half.RenderText(0, 0, "A", 0, 0x803366CC);
    TColor32 expected = 0xFF000000;
    const TColor32 ink = 0xFF3366CC;
    BlendRowMasked(&ink, &expected, 1, 128);
    EXPECT_EQ(half.Pixel(0, 0), expected);
    EXPECT_EQ(half.Pixel(5, 0), 0xFF000000u);
}

TEST_F(BoxText, RenderTextLevel1SupersamplesTwiceTheSize)
{
    // Size 9 pt doubled is 18 pt = 24 pixels: boxes of 11 columns every 12,
    // so the sixth output column of each glyph is half covered.
    TBitmap32 b;
    Prepare(b, 0xFF000000);
    b.RenderText(1, 2, "AB", 1, 0xFFFFFFFF);
    const TColor32 full = 0xFFFFFFFF;
    TColor32 half = 0xFF000000;
    const TColor32 halfInk = 0x7FFFFFFF; // (2 * 255) shr 2 = 127
    BlendRow(&halfInk, &half, 1);
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            TColor32 expected = 0xFF000000;
            if (y >= 2 && y < 14) {
                const int32_t cx = x - 1;
                if ((cx >= 0 && cx < 5) || (cx >= 6 && cx < 11))
                    expected = full;
                else if (cx == 5 || cx == 11)
                    expected = half;
            }
            ASSERT_EQ(b.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(BoxText, RenderTextLevelsAreConstrainedAndAlphaZeroDrawsNothing)
{
    TBitmap32 four;
    Prepare(four, 0xFF102030, 60, 40);
    TBitmap32 nine;
    Prepare(nine, 0xFF102030, 60, 40);
    four.RenderText(0, 0, "Ab", 4, 0xFF00FF00);
    nine.RenderText(0, 0, "Ab", 9, 0xFF00FF00);
    EXPECT_TRUE(std::equal(four.Bits(), four.Bits() + 2400, nine.Bits()));

    TBitmap32 minus1;
    Prepare(minus1, 0xFF102030);
    TBitmap32 minus7;
    Prepare(minus7, 0xFF102030);
    minus1.RenderText(0, 0, "Ab", -1, 0xFF00FF00);
    minus7.RenderText(0, 0, "Ab", -7, 0xFF00FF00);
    EXPECT_TRUE(std::equal(minus1.Bits(), minus1.Bits() + 1200, minus7.Bits()));
    // Level -1 uses the rasteriser's anti-aliasing: the box's last column is
    // drawn at half coverage.
    TColor32 edge = 0xFF102030;
    const TColor32 edgeInk = 0x8000FF00;
    BlendRow(&edgeInk, &edge, 1);
    EXPECT_EQ(minus1.Pixel(4, 0), edge);

    TBitmap32 none;
    Prepare(none, 0xFF102030);
    int changes = 0;
    none.OnChange = [&](TObject*) { ++changes; };
    none.RenderText(0, 0, "Ab", 1, 0x00FFFFFF);
    EXPECT_EQ(none.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(changes, 0);
}

TEST_F(BoxText, RenderTextLeavesTheFontAsItWas)
{
    TBitmap32 b;
    Prepare(b, 0);
    b.Font().SetName("Default");
    b.RenderText(0, 0, "x", 1, 0xFFFFFFFF);
    EXPECT_EQ(gdi::GetLogFont(b.Font().Handle()).Quality, gdi::DEFAULT_QUALITY);
    EXPECT_EQ(b.Font().Height(), -12);

    TBitmap32 empty;
    empty.RenderText(0, 0, "x", 1, 0xFFFFFFFF); // nothing to draw on
    EXPECT_TRUE(empty.Empty());
}

namespace {

// Glyphs that draw nothing, to tell fonts of an earlier source from the
// current one.
class TBlankSource final : public gdi::TGlyphSource {
    class TFace final : public gdi::TGlyphFace {
    public:
        explicit TFace(int32_t height) { FMetrics.EmHeight = FMetrics.Ascent = height < 0 ? -height : 16; }
        const gdi::TFaceMetrics& Metrics() const override { return FMetrics; }
        void RenderGlyph(char32_t, gdi::TGlyphImage& out) override
        {
            out = gdi::TGlyphImage{};
            out.Advance = FMetrics.EmHeight;
        }
        std::string FamilyName() const override { return "Blank"; }

    private:
        gdi::TFaceMetrics FMetrics;
    };

public:
    std::unique_ptr<gdi::TGlyphFace> OpenFace(const gdi::TLogFont& lf) override
    {
        return std::make_unique<TFace>(lf.Height);
    }
};

} // namespace

TEST(RenderTextFonts, EveryDrawMatchesAFreshBitmapWhateverWasDrawnBefore)
{
    struct TDraw {
        int32_t Height;
        TFontStyles Style;
        int32_t Level;
        TColor32 Color;
    };
    const TDraw draws[] = {
        {-12, {}, 1, 0xFFFFFFFF},
        {-16, {fsBold}, 1, 0xFF3366CC},
        {-12, {}, 0, 0x80FF0000},
        {-12, {fsUnderline}, 1, 0xFF00FF00},
        {-16, {fsBold}, 2, 0xC0102030},
        {-12, {}, -1, 0xFFFFFFFF},
        {-9, {fsStrikeOut}, 1, 0xFF808080},
    };
    auto draw = [](TBitmap32& b, const TDraw& d) {
        b.Clear(0xFF000000);
        b.Font().SetHeight(d.Height);
        b.Font().SetStyle(d.Style);
        b.RenderText(1, 2, "Ab", d.Level, d.Color);
        return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
    };
    // Each draw alone, on a new bitmap with glyphs no font was made from before.
    std::vector<std::vector<TColor32>> expected;
    for (const TDraw& d : draws) {
        gdi::TGlyphSourceScope fresh{gdi::CreateBoxGlyphSource()};
        TBitmap32 b;
        Prepare(b, 0, 50, 30);
        expected.push_back(draw(b, d));
    }

    TBitmap32 shared;
    Prepare(shared, 0, 50, 30);
    {
        // Fonts made from other glyphs first: none of them may be drawn with
        // once their source is gone.
        gdi::TGlyphSourceScope blank{std::make_unique<TBlankSource>()};
        for (const TDraw& d : draws)
            draw(shared, d);
    }
    gdi::TGlyphSourceScope boxes{gdi::CreateBoxGlyphSource()};
    for (int round = 0; round < 3; ++round)
        for (size_t i = 0; i < std::size(draws); ++i) {
            // Another bitmap drawing with every font in between.
            TBitmap32 other;
            Prepare(other, 0, 50, 30);
            draw(other, draws[(i + 3) % std::size(draws)]);
            ASSERT_EQ(draw(shared, draws[i]), expected[i]) << round << " " << i;
        }
}

TEST(RealFontText, RenderTextStaysInsideItsExtentAndColour)
{
    for (int level : {0, 1}) {
        TBitmap32 b;
        b.SetSize(200, 40);
        b.Clear(0xFF000000);
        b.Font().SetName(sjis::FromUtf8("ＭＳ ゴシック"));
        b.Font().SetHeight(-16);
        const std::string text = sjis::FromUtf8("テスト文字");
        const TSize extent = b.TextExtent(text + " ");
        b.RenderText(10, 5, text, level, 0xFF00FF00);
        int inked = 0;
        for (int32_t y = 0; y < b.Height(); ++y)
            for (int32_t x = 0; x < b.Width(); ++x) {
                const TColor32 c = b.Pixel(x, y);
                if (c == 0xFF000000)
                    continue;
                ++inked;
                // Green over black only (alpha is blended too), and inside
                // the text's cell (level 1 rounds its cell up).
                ASSERT_EQ(c & 0x00FF00FF, 0u) << level;
                ASSERT_GE(x, 10);
                ASSERT_LT(x, 10 + extent.cx + 2);
                ASSERT_GE(y, 5);
                ASSERT_LT(y, 5 + extent.cy + 2);
            }
        EXPECT_GT(inked, 50) << level;
    }
}
