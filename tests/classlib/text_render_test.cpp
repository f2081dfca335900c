// GDI text on 32-bit pixels: exact output through the box glyph source, and
// properties of the real IPA faces.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "base/sjis.h"
#include "classlib/glyph_source.h"
#include "classlib/text_render.h"

using namespace gdi;

namespace {

constexpr uint32_t Fill = 0x11223344;

struct TPixels {
    int32_t Width, Height;
    std::vector<uint32_t> Data;
    TPixels(int32_t w, int32_t h, uint32_t fill = Fill) : Width(w), Height(h), Data(static_cast<size_t>(w * h), fill) {}
    TDIB32 Dib() { return TDIB32{reinterpret_cast<uint8_t*>(Data.data()), Width, Height, Width * 4}; }
    uint32_t& At(int x, int y) { return Data[static_cast<size_t>(y * Width + x)]; }
};

HFONT Font(int32_t height, uint8_t quality = NONANTIALIASED_QUALITY, int32_t weight = FW_NORMAL, const char* face = "x")
{
    TLogFont lf;
    lf.Height = height;
    lf.Quality = quality;
    lf.Weight = weight;
    lf.FaceName = face;
    return CreateFontIndirect(lf);
}

TTextContext Context(const HFONT& font, TColor color)
{
    TTextContext dc;
    dc.Font = font;
    dc.TextColor = color;
    dc.TransparentBackground = true;
    return dc;
}

// Fills the expected pixels of boxes at the given column ranges over rows.
void Box(TPixels& p, int x0, int x1, int y0, int y1, uint32_t value)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            p.At(x, y) = value;
}

class BoxText : public testing::Test {
protected:
    TGlyphSourceScope FScope{CreateBoxGlyphSource()};
};

} // namespace

TEST_F(BoxText, DrawsGlyphBoxesAtTheirAdvancesLeavingAlphaZero)
{
    TPixels p(24, 12);
    const std::string text = "A" + SJ("あ") + " B";
    ExtTextOut(p.Dib(), Context(Font(-8), RGB(0x10, 0x20, 0x30)), 1, 2, 0, nullptr, text);
    // em 8: half-width advance 4 (box 3 wide), full-width 8 (box 7), cell 8 high.
    TPixels expected(24, 12);
    Box(expected, 1, 4, 2, 10, 0x00102030);
    Box(expected, 5, 12, 2, 10, 0x00102030);
    Box(expected, 17, 20, 2, 10, 0x00102030);
    EXPECT_EQ(p.Data, expected.Data);
    EXPECT_EQ(GetTextExtentPoint32(Font(-8), text), (TSize{20, 8}));
}

TEST_F(BoxText, AntialiasedEdgesMixByCoverageAndTheBlueByteIsCoverage)
{
    TPixels p(8, 8, 0);
    ExtTextOut(p.Dib(), Context(Font(-8, ANTIALIASED_QUALITY), clWhite), 0, 0, 0, nullptr, "AB");
    for (int x = 0; x < 8; ++x) {
        const uint32_t expected = x == 3 || x == 7 ? 0 : x % 4 == 2 ? 0x00808080 : 0x00FFFFFF;
        EXPECT_EQ(p.At(x, 4), expected) << x;
    }
    // Over a coloured pixel the edge mixes 128/255 ink, alpha cleared.
    TPixels q(4, 8, 0xFF0000FF);
    ExtTextOut(q.Dib(), Context(Font(-8, ANTIALIASED_QUALITY), RGB(255, 0, 0)), 0, 0, 0, nullptr, "A");
    EXPECT_EQ(q.At(2, 0), 0x0080007Fu);
    EXPECT_EQ(q.At(3, 0), 0xFF0000FFu);
}

TEST_F(BoxText, ClipRectangleOnlyWithEtoClipped)
{
    const TRect clip{3, 4, 9, 7};
    TPixels clipped(16, 10);
    ExtTextOut(clipped.Dib(), Context(Font(-8), clBlack), 0, 0, ETO_CLIPPED, &clip, SJ("ああ"));
    TPixels expected(16, 10);
    Box(expected, 3, 7, 4, 7, 0); // first box spans columns 0-6
    Box(expected, 8, 9, 4, 7, 0); // second begins at 8
    EXPECT_EQ(clipped.Data, expected.Data);

    TPixels unclipped(16, 10);
    ExtTextOut(unclipped.Dib(), Context(Font(-8), clBlack), 0, 0, 0, &clip, SJ("ああ"));
    EXPECT_EQ(unclipped.At(0, 0), 0u);
}

TEST_F(BoxText, OpaqueBackgroundFillsTheTextCell)
{
    TPixels p(12, 10);
    TTextContext dc = Context(Font(-8), clWhite);
    dc.TransparentBackground = false;
    dc.BackgroundColor = RGB(1, 2, 3);
    ExtTextOut(p.Dib(), dc, 1, 1, 0, nullptr, "A ");
    TPixels expected(12, 10);
    Box(expected, 1, 9, 1, 9, 0x00010203);
    Box(expected, 1, 4, 1, 9, 0x00FFFFFF);
    EXPECT_EQ(p.Data, expected.Data);
}

TEST_F(BoxText, UnderlineStrikeOutAndBold)
{
    TLogFont lf;
    lf.Height = -8;
    lf.Quality = NONANTIALIASED_QUALITY;
    lf.Underline = true;
    lf.StrikeOut = true;
    TPixels p(12, 10, 0);
    ExtTextOut(p.Dib(), Context(CreateFontIndirect(lf), clWhite), 0, 0, 0, nullptr, "  ");
    // Baseline 6: underline 1 below it, strike-out 2 above, across both blanks.
    TPixels expected(12, 10, 0);
    Box(expected, 0, 8, 7, 8, 0x00FFFFFF);
    Box(expected, 0, 8, 4, 5, 0x00FFFFFF);
    EXPECT_EQ(p.Data, expected.Data);

    // Simulated bold: each glyph smeared one pixel right, one pixel more advance.
    TPixels b(12, 8, 0);
    ExtTextOut(b.Dib(), Context(Font(-8, NONANTIALIASED_QUALITY, FW_BOLD), clWhite), 0, 0, 0, nullptr, "AB");
    TPixels boldExpected(12, 8, 0);
    Box(boldExpected, 0, 4, 0, 8, 0x00FFFFFF);
    Box(boldExpected, 5, 9, 0, 8, 0x00FFFFFF);
    EXPECT_EQ(b.Data, boldExpected.Data);
    EXPECT_EQ(GetTextExtentPoint32(Font(-8, NONANTIALIASED_QUALITY, FW_BOLD), "AB").cx, 10);
}

TEST_F(BoxText, HeightSemanticsAndExtents)
{
    struct TCase {
        int32_t Height;
        std::string Text;
        TSize Extent;
    };
    const TCase cases[] = {
        {-8, "A", {4, 8}},
        {-8, "", {0, 8}},
        {10, SJ("あ"), {10, 10}},
        {0, "A", {8, 16}},
        {-9, "\xB1\xB2", {8, 9}}, // half-width katakana
        {-12, "A" + SJ("漢"), {18, 12}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(GetTextExtentPoint32(Font(c.Height), c.Text), c.Extent) << c.Height << " " << c.Text;
    const TTextMetric tm = GetTextMetrics(Font(-12));
    EXPECT_EQ(tm.Height, 12);
    EXPECT_EQ(tm.Ascent, 9);
    EXPECT_EQ(tm.Descent, 3);
}

TEST_F(BoxText, EqualFontsAreRealisedOnce)
{
    EXPECT_EQ(Font(-8).get(), Font(-8).get());
    EXPECT_NE(Font(-8).get(), Font(-8, ANTIALIASED_QUALITY).get());
}

TEST_F(BoxText, OddInputDrawsSafely)
{
    TPixels p(8, 8);
    const TTextContext dc = Context(Font(-4), clWhite);
    ExtTextOut(p.Dib(), dc, INT_MAX - 3, INT_MAX - 3, 0, nullptr, "ABCDEF");
    ExtTextOut(p.Dib(), dc, INT_MIN, 0, 0, nullptr, "ABCDEF");
    EXPECT_EQ(p.Data, TPixels(8, 8).Data);
    // A lead byte at the end stands for a character of its own.
    ExtTextOut(p.Dib(), dc, 0, 0, 0, nullptr, "\x82");
    EXPECT_NE(p.At(0, 0), Fill);
    ExtTextOut(TDIB32{}, dc, 0, 0, 0, nullptr, "A");
    const TRect empty{5, 5, 2, 2};
    ExtTextOut(p.Dib(), dc, 0, 4, ETO_CLIPPED, &empty, "A");
    EXPECT_EQ(p.At(0, 4), Fill);
}

TEST_F(BoxText, CoverageVisitorSeesTheSamePixels)
{
    std::vector<std::pair<int, int>> seen;
    ForEachTextPixel(Font(-4), 1, 0, TRect{0, 0, 100, 100}, "AB", [&](int32_t x, int32_t y, uint8_t c) {
        EXPECT_EQ(c, 255);
        seen.emplace_back(x, y);
    });
    // Two glyphs of 1 x 4 pixels, at columns 1 and 3.
    const std::vector<std::pair<int, int>> expected = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {3, 0}, {3, 1}, {3, 2}, {3, 3}};
    EXPECT_EQ(seen, expected);
}

TEST_F(BoxText, CoveragePlaneHoldsTheBlueBytesOfWhiteText)
{
    // Overlapping, clipped draws over varied bytes, antialiased edges mixing
    // into them, and underline and strike-out runs.
    TLogFont lined;
    lined.Height = -8;
    lined.Quality = NONANTIALIASED_QUALITY;
    lined.Underline = lined.StrikeOut = true;
    for (const HFONT& font : {Font(-12, ANTIALIASED_QUALITY), Font(-9, DEFAULT_QUALITY), CreateFontIndirect(lined)}) {
        TPixels dib(23, 17);
        const int32_t stride = dib.Width + 3;
        std::vector<uint8_t> plane(static_cast<size_t>(stride * dib.Height), 0xEE);
        for (int y = 0; y < dib.Height; ++y)
            for (int x = 0; x < dib.Width; ++x) {
                dib.At(x, y) = static_cast<uint32_t>(x * 11 + y * 7) & 0xFF;
                plane[static_cast<size_t>(y * stride + x)] = static_cast<uint8_t>(dib.At(x, y));
            }
        const TTextContext dc = Context(font, clWhite);
        for (const TPoint at : {TPoint{0, 0}, TPoint{3, 2}, TPoint{-4, 9}, TPoint{17, -3}}) {
            ExtTextOut(dib.Dib(), dc, at.X, at.Y, 0, nullptr, "Ab\x82\xA0");
            DrawTextCoverage(TPlane8{plane.data(), dib.Width, dib.Height, stride}, font, at.X, at.Y, "Ab\x82\xA0");
            for (int y = 0; y < dib.Height; ++y) {
                for (int x = 0; x < dib.Width; ++x)
                    ASSERT_EQ(plane[static_cast<size_t>(y * stride + x)], dib.At(x, y) & 0xFF) << x << "," << y;
                for (int x = dib.Width; x < stride; ++x)
                    ASSERT_EQ(plane[static_cast<size_t>(y * stride + x)], 0xEE); // the gap is never touched
            }
        }
    }
}

namespace {

bool HaveIpaFonts()
{
    TLogFont lf;
    lf.FaceName = "MS Gothic";
    return GetFaceName(CreateFontIndirect(lf)) == "IPAGothic";
}

HFONT Face(
    const std::string& name, int32_t height = -12, uint8_t quality = DEFAULT_QUALITY, uint8_t pitch = DEFAULT_PITCH)
{
    TLogFont lf;
    lf.FaceName = name;
    lf.Height = height;
    lf.Quality = quality;
    lf.PitchAndFamily = pitch;
    return CreateFontIndirect(lf);
}

} // namespace

TEST(IpaText, WindowsFaceNamesMapToTheIpaFaces)
{
    if (!HaveIpaFonts())
        GTEST_SKIP() << "IPA fonts are not installed";
    const std::pair<std::string, std::string> cases[] = {
        {SJ("ＭＳゴシック"), "IPAGothic"},
        {SJ("ＭＳ ゴシック"), "IPAGothic"},
        {"MS Gothic", "IPAGothic"},
        {SJ("ＭＳ Ｐゴシック"), "IPAPGothic"},
        {SJ("ＭＳ 明朝"), "IPAMincho"},
        {"MS Sans Serif", "IPAPGothic"},
        {"Default", "IPAPGothic"},
        {"No Such Face", "IPAPGothic"},
        {"DejaVu Sans", "DejaVu Sans"},
    };
    for (const auto& [name, family] : cases)
        EXPECT_EQ(GetFaceName(Face(name)), family) << name;
    EXPECT_EQ(GetFaceName(Face("No Such Face", -12, DEFAULT_QUALITY, FIXED_PITCH)), "IPAGothic");
}

TEST(IpaText, AdvancesAndCellAtMinus12)
{
    if (!HaveIpaFonts())
        GTEST_SKIP() << "IPA fonts are not installed";
    for (uint8_t quality : {DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY}) {
        const HFONT f = Face(SJ("ＭＳ ゴシック"), -12, quality);
        const TTextMetric tm = GetTextMetrics(f);
        EXPECT_EQ(GetTextExtentPoint32(f, "A").cx, 6);
        EXPECT_EQ(GetTextExtentPoint32(f, SJ("あ")).cx, 12);
        EXPECT_EQ(GetTextExtentPoint32(f, "Ab" + SJ("漢字カナ")), (TSize{60, tm.Height}));
        EXPECT_EQ(tm.Height, tm.Ascent + tm.Descent);
        EXPECT_GE(tm.Height, 12);
        EXPECT_LE(tm.Height, 14);
    }
    // A positive height is the whole cell.
    EXPECT_EQ(GetTextMetrics(Face(SJ("ＭＳ ゴシック"), 16)).Height, 16);
    EXPECT_EQ(GetTextMetrics(Face(SJ("ＭＳ Ｐゴシック"), 25)).Height, 25);
}

TEST(IpaText, NothingDrawnOutsideTheClipRectangle)
{
    if (!HaveIpaFonts())
        GTEST_SKIP() << "IPA fonts are not installed";
    const TRect clip{10, 3, 40, 11};
    for (uint8_t quality : {NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY}) {
        TPixels p(60, 16);
        ExtTextOut(p.Dib(), Context(Face(SJ("ＭＳ ゴシック"), -12, quality), clWhite), -3, -2, ETO_CLIPPED, &clip,
            SJ("あいうえおかきくけこ") + "gjpqy");
        int inside = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 60; ++x) {
                const bool in = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
                if (!in)
                    EXPECT_EQ(p.At(x, y), Fill) << x << "," << y;
                else if (p.At(x, y) != Fill)
                    ++inside;
            }
        EXPECT_GT(inside, 20);
    }
}

TEST(IpaText, NonAntialiasedTextIsTwoLevelAntialiasedIsNot)
{
    if (!HaveIpaFonts())
        GTEST_SKIP() << "IPA fonts are not installed";
    auto levels = [](uint8_t quality) {
        TPixels p(80, 16, 0);
        ExtTextOut(p.Dib(), Context(Face(SJ("ＭＳ ゴシック"), -12, quality), clWhite), 0, 0, 0, nullptr,
            SJ("漢字のテスト") + "Ag");
        bool partial = false, full = false;
        for (uint32_t v : p.Data) {
            EXPECT_EQ(v >> 24, 0u);
            partial |= v != 0 && v != 0x00FFFFFF;
            full |= v == 0x00FFFFFF;
        }
        return std::make_pair(partial, full);
    };
    EXPECT_EQ(levels(NONANTIALIASED_QUALITY), std::make_pair(false, true));
    EXPECT_TRUE(levels(ANTIALIASED_QUALITY).first);
}

TEST(IpaText, JapaneseInALatinFaceFallsBackToAJapaneseFace)
{
    if (!HaveIpaFonts())
        GTEST_SKIP() << "IPA fonts are not installed";
    const HFONT f = Face("DejaVu Sans", -12, NONANTIALIASED_QUALITY);
    if (GetFaceName(f) != "DejaVu Sans")
        GTEST_SKIP() << "DejaVu Sans is not installed";
    TPixels p(16, 16, 0);
    ExtTextOut(p.Dib(), Context(f, clWhite), 0, 0, 0, nullptr, SJ("漢"));
    EXPECT_EQ(GetTextExtentPoint32(f, SJ("漢")).cx, 12);
    EXPECT_GT(std::count(p.Data.begin(), p.Data.end(), 0x00FFFFFFu), 20);
}
