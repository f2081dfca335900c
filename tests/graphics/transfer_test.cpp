#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/resamplers.h"
#include "graphics/transfer.h"

namespace {

// Every pixel a distinct value: column in the low 16 bits, row in the high.
void FillCoordinates(TBitmap32& b, TColor32 alpha = 0xFF000000)
{
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, alpha | (TColor32(y) << 12) | TColor32(x));
}

int32_t ColumnOf(TColor32 c)
{
    return int32_t(c & 0xFFF);
}
int32_t RowOf(TColor32 c)
{
    return int32_t((c >> 12) & 0xFFF);
}

struct AreaLog {
    std::vector<TRect> Areas;
    explicit AreaLog(TBitmap32& b)
    {
        b.OnAreaChanged = [this](TObject*, const TRect& r, uint32_t) { Areas.push_back(r); };
    }
};

// The source columns a stretch of `srcW` columns into `dstW` picks.
std::vector<int32_t> StretchedColumns(int32_t srcW, int32_t dstW)
{
    TBitmap32 src, dst;
    src.SetSize(srcW, 1);
    FillCoordinates(src);
    dst.SetSize(dstW, 1);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    std::vector<int32_t> cols;
    for (int32_t x = 0; x < dstW; ++x)
        cols.push_back(ColumnOf(dst.Pixel(x, 0)));
    return cols;
}

} // namespace

TEST(BlockTransfer, NegativeOffsetCopiesTheVisiblePartAndReportsTheWholeTarget)
{
    TBitmap32 src, dst;
    src.SetSize(100, 100);
    FillCoordinates(src);
    dst.SetSize(200, 200);
    dst.Clear(0x11111111);
    AreaLog log(dst);
    dst.Draw(-50, -50, &src);
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(50, 50));
    EXPECT_EQ(dst.Pixel(49, 49), src.Pixel(99, 99));
    EXPECT_EQ(dst.Pixel(50, 0), 0x11111111u);
    EXPECT_EQ(dst.Pixel(0, 50), 0x11111111u);
    ASSERT_EQ(log.Areas.size(), 1u);
    EXPECT_EQ(log.Areas[0], (TRect{-50, -50, 50, 50}));
}

TEST(BlockTransfer, ClippedAwayStillReportsStretchReportsNothing)
{
    TBitmap32 src, dst;
    src.SetSize(10, 10);
    FillCoordinates(src);
    dst.SetSize(50, 50);
    dst.SetClipRect(TRect{0, 0, 20, 20});
    AreaLog log(dst);
    dst.Draw(30, 30, &src);
    EXPECT_EQ(dst.Pixel(35, 35), 0u);
    ASSERT_EQ(log.Areas.size(), 1u);
    EXPECT_EQ(log.Areas[0], (TRect{30, 30, 40, 40}));
    dst.Draw(TRect{30, 30, 45, 45}, src.BoundsRect(), &src);
    EXPECT_EQ(log.Areas.size(), 1u);
}

TEST(Transfers, MeasuringModeReportsWithoutDrawing)
{
    TBitmap32 src, dst;
    src.SetSize(10, 10);
    FillCoordinates(src);
    dst.SetSize(50, 50);
    std::vector<TRect> measured;
    dst.BeginMeasuring([&](TObject*, const TRect& r, uint32_t) { measured.push_back(r); });
    dst.Draw(5, 6, &src);
    dst.Draw(TRect{0, 0, 20, 30}, TRect{0, 0, 5, 5}, &src);
    // Also a target outside the bitmap: stretch reports it while measuring.
    dst.Draw(TRect{100, 100, 120, 130}, TRect{0, 0, 5, 5}, &src);
    dst.EndMeasuring();
    for (int32_t i = 0; i < 2500; ++i)
        ASSERT_EQ(dst.Bits()[i], 0u);
    ASSERT_EQ(measured.size(), 3u);
    EXPECT_EQ(measured[0], (TRect{5, 6, 15, 16}));
    EXPECT_EQ(measured[1], (TRect{0, 0, 20, 30}));
    EXPECT_EQ(measured[2], (TRect{100, 100, 120, 130}));
}

TEST(Transfers, NothingDrawnOrReported)
{
    TBitmap32 src, dst, empty;
    src.SetSize(4, 4);
    src.Clear(0xFFFFFFFF);
    dst.SetSize(8, 8);
    AreaLog log(dst);
    src.SetDrawMode(dmBlend);
    src.SetMasterAlpha(0);
    dst.Draw(0, 0, &src);
    dst.Draw(TRect{0, 0, 8, 8}, src.BoundsRect(), &src);
    dst.Draw(0, 0, &empty);
    dst.Draw(TRect{0, 0, 8, 8}, TRect{0, 0, 0, 0}, &empty);
    empty.Draw(0, 0, &src);
    // An empty source rectangle is no error and does nothing.
    src.SetMasterAlpha(255);
    dst.Draw(TRect{0, 0, 8, 8}, TRect{2, 2, 2, 4}, &src);
    EXPECT_TRUE(log.Areas.empty());
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
}

TEST(Transfers, ErrorTexts)
{
    TBitmap32 b;
    b.SetSize(4, 4);
    const auto message = [](auto fn) {
        try {
            fn();
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(
        message([&] { BlockTransfer(nullptr, 0, 0, TRect{}, &b, TRect{}, dmOpaque); }), "Destination bitmap is nil");
    EXPECT_EQ(message([&] { BlockTransfer(nullptr, 0, 0, TRect{}, nullptr, TRect{}, dmOpaque); }),
        "Destination bitmap is nil");
    EXPECT_EQ(message([&] { StretchTransfer(&b, TRect{}, TRect{}, nullptr, TRect{}, nullptr, dmOpaque); }),
        "Source bitmap is nil");
    EXPECT_EQ(message([&] { b.Draw(TRect{0, 0, 8, 8}, TRect{-1, 0, 2, 2}, &b); }), "Source rectangle is invalid");
    EXPECT_EQ(message([&] { b.Draw(TRect{0, 0, 8, 8}, TRect{0, 0, 2, 5}, &b); }), "Source rectangle is invalid");
    EXPECT_EQ(message([&] {
        StretchNearest(b, TRect{0, 0, 8, 8}, b.BoundsRect(), b, TRect{0, 0, 5, 2}, dmOpaque, {});
    }),
        "Invalid SrcRect");
    EXPECT_THROW(b.Draw(TRect{0, 0, 8, 8}, TRect{-1, 0, 2, 2}, &b), ESrcInvalidException);
}

TEST(Transfers, DrawModes)
{
    TBitmap32 src, dst;
    src.SetSize(4, 1);
    src.SetPixel(0, 0, 0xFF102030);
    src.SetPixel(1, 0, 0x80FFFFFF);
    src.SetPixel(2, 0, 0x00FFFFFF);
    src.SetPixel(3, 0, 0x01000000);
    src.SetOuterColor(0x00FFFFFF);
    dst.SetSize(4, 1);

    dst.Clear(0xFF000000);
    src.SetDrawMode(dmTransparent);
    dst.Draw(0, 0, &src);
    EXPECT_EQ(dst.Pixel(1, 0), 0x80FFFFFFu);
    EXPECT_EQ(dst.Pixel(2, 0), 0xFF000000u); // the key colour, all 32 bits
    EXPECT_EQ(dst.Pixel(3, 0), 0x01000000u); // differs only in alpha: copied

    dst.Clear(0xFF000000);
    src.SetDrawMode(dmBlend);
    dst.Draw(0, 0, &src);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(dst.Pixel(1, 0), BlendPixel(0x80FFFFFF, 0xFF000000));
    EXPECT_EQ(dst.Pixel(2, 0), 0xFF000000u);

    dst.Clear(0xFF000000);
    src.SetMasterAlpha(128);
    dst.Draw(0, 0, &src);
    TColor32 expected = 0xFF000000;
    BlendRowMasked(src.Bits() + 1, &expected, 1, 128);
    EXPECT_EQ(dst.Pixel(1, 0), expected);

    // dmCustom without a callback is opaque; with one, the callback decides.
    src.SetDrawMode(dmCustom);
    dst.Draw(0, 0, &src);
    EXPECT_EQ(dst.Pixel(2, 0), 0x00FFFFFFu);
    src.OnPixelCombine = [](TColor32 f, TColor32& b, TColor32 m) { b = (f & 0xFF) + m; };
    dst.Draw(0, 0, &src);
    EXPECT_EQ(dst.Pixel(0, 0), 0x30u + 128);
}

TEST(StretchNearest, ColumnMapsKeepTheSinglePrecisionScale)
{
    struct Case {
        int32_t srcW, dstW;
        std::vector<int32_t> first;
    };
    const Case cases[] = {
        {100, 200, {0, 0, 1, 1, 2, 2}},
        {200, 100, {0, 2, 4, 6}},
        {230, 345, {0, 0, 1, 2, 2, 3, 4, 4}},
        {7, 10, {0, 0, 1, 2, 2, 3, 4, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        const auto cols = StretchedColumns(c.srcW, c.dstW);
        for (size_t i = 0; i < c.first.size(); ++i)
            EXPECT_EQ(cols[i], c.first[i]) << c.srcW << "->" << c.dstW << " at " << i;
    }
    // 14 -> 20: 10 * 0.7f = 6.99999988, so column 10 reads column 6.
    EXPECT_EQ(StretchedColumns(14, 20)[10], 6);
    EXPECT_EQ(StretchedColumns(10, 1)[0], 4);
    EXPECT_EQ(StretchedColumns(11, 1)[0], 5);
}

TEST(StretchNearest, OnePixelHighTargetTakesTheMiddleRow)
{
    TBitmap32 src, dst;
    src.SetSize(3, 10);
    FillCoordinates(src);
    dst.SetSize(3, 1);
    dst.Draw(TRect{0, 0, 6, 1}, TRect{0, 0, 3, 10}, &src);
    EXPECT_EQ(RowOf(dst.Pixel(0, 0)), 4);
    dst.Draw(TRect{0, 0, 6, 1}, TRect{0, 0, 3, 9}, &src);
    EXPECT_EQ(RowOf(dst.Pixel(0, 0)), 4);
}

TEST(StretchNearest, ClippingDoesNotShiftTheMapping)
{
    TBitmap32 src;
    src.SetSize(23, 17);
    FillCoordinates(src, 0x80000000);
    src.SetDrawMode(dmBlend);
    for (TDrawMode mode : {dmOpaque, dmBlend}) {
        src.SetDrawMode(mode);
        TBitmap32 whole, halves;
        whole.SetSize(80, 60);
        halves.SetSize(80, 60);
        const TRect target{-7, 3, 71, 58};
        whole.Draw(target, src.BoundsRect(), &src);
        halves.SetClipRect(TRect{0, 0, 33, 60});
        halves.Draw(target, src.BoundsRect(), &src);
        halves.SetClipRect(TRect{33, 0, 80, 41});
        halves.Draw(target, src.BoundsRect(), &src);
        halves.SetClipRect(TRect{33, 41, 80, 60});
        halves.Draw(target, src.BoundsRect(), &src);
        ASSERT_TRUE(std::equal(whole.Bits(), whole.Bits() + 80 * 60, halves.Bits())) << mode;
    }
}

TEST(StretchTransfer, EqualSizesCopyExactlyWhateverTheResampler)
{
    TBitmap32 src;
    src.SetSize(9, 7);
    FillCoordinates(src, 0x7F000000);
    src.SetDrawMode(dmBlend);
    TBitmap32 block;
    block.SetSize(20, 20);
    block.Clear(0xFF445566);
    block.Draw(4, 5, &src);
    for (const char* name : {"TNearestResampler", "TLinearResampler", "TDraftResampler", "TKernelResampler"}) {
        src.SetResamplerClassName(name);
        TBitmap32 stretched;
        stretched.SetSize(20, 20);
        stretched.Clear(0xFF445566);
        stretched.Draw(TRect{4, 5, 13, 12}, src.BoundsRect(), &src);
        EXPECT_TRUE(std::equal(block.Bits(), block.Bits() + 400, stretched.Bits())) << name;
    }
}

TEST(Transfers, SameBitmapOverlapCopiesThroughATemporary)
{
    TBitmap32 b, reference, copy;
    b.SetSize(20, 20);
    FillCoordinates(b);
    reference.Assign(&b);
    copy.Assign(&b);
    // Shifted down and right by 3 within itself.
    BlockTransfer(&b, 3, 3, b.ClipRect(), &b, TRect{0, 0, 15, 15}, dmOpaque);
    BlockTransfer(&reference, 3, 3, reference.ClipRect(), &copy, TRect{0, 0, 15, 15}, dmOpaque);
    EXPECT_TRUE(std::equal(b.Bits(), b.Bits() + 400, reference.Bits()));

    // A stretch of a bitmap into an overlapping part of itself.
    b.Assign(&copy);
    reference.Assign(&copy);
    b.Draw(TRect{2, 2, 20, 20}, TRect{0, 0, 9, 9}, &b);
    reference.Draw(TRect{2, 2, 20, 20}, TRect{0, 0, 9, 9}, &copy);
    EXPECT_TRUE(std::equal(b.Bits(), b.Bits() + 400, reference.Bits()));
}

TEST(Transfers, FarOffPositionsNeitherWrapNorCrash)
{
    TBitmap32 src, dst;
    src.SetSize(10, 10);
    src.Clear(0xFFFFFFFF);
    dst.SetSize(10, 10);
    AreaLog log(dst);
    dst.Draw(INT32_MAX - 5, INT32_MIN + 2, &src);
    BlockTransfer(&dst, 0, 0, dst.ClipRect(), &src, TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, dmOpaque);
    dst.Draw(TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, src.BoundsRect(), &src);
    dst.Draw(TRect{-3, -3, INT32_MAX, 4}, src.BoundsRect(), &src);
    EXPECT_EQ(log.Areas.size(), 4u);
}

// The stretch widens runs of repeated columns and copies repeated rows; the
// pixels must be the ones the column and row maps pick one by one, for every
// scale the engine draws with and for clips that cut runs in half.
TEST(StretchNearest, WidenedRowsMatchThePerPixelMapping)
{
    struct Case {
        int32_t srcW, srcH;
        TRect dstRect, clip;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 1280, 960}, {0, 0, 1280, 960}},                               // the scale-2 window
        {7, 5, {0, 0, 14, 10}, {0, 0, 14, 10}}, {7, 5, {-3, -1, 11, 9}, {1, 0, 10, 8}}, // clip starts inside a run
        {23, 17, {0, 0, 69, 51}, {5, 4, 68, 50}},                                       // three times
        {13, 9, {2, 3, 54, 39}, {0, 0, 60, 40}},                                        // four times
        {230, 176, {0, 0, 241, 185}, {0, 0, 241, 185}},                                 // *SCALE 105
        {230, 176, {0, 0, 345, 264}, {0, 0, 345, 264}},                                 // 150 %
        {31, 29, {0, 0, 15, 14}, {0, 0, 15, 14}},                                       // reducing
        {33, 1, {0, 0, 1, 66}, {0, 0, 1, 66}},                                          // one column wide
        {14, 3, {0, 0, 20, 6}, {0, 0, 20, 6}},                                          // single-precision quirk
    };
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (const Case& c : cases)
        for (TDrawMode mode : {dmOpaque, dmTransparent}) {
            TBitmap32 src, dst;
            src.SetSize(c.srcW, c.srcH);
            src.SetOuterColor(0xFF0000FF);
            for (int32_t y = 0; y < c.srcH; ++y)
                for (int32_t x = 0; x < c.srcW; ++x)
                    src.SetPixel(x, y, next() % 5 == 0 ? src.OuterColor() : next());
            const int32_t w = std::max(c.dstRect.Right, c.clip.Right), h = std::max(c.dstRect.Bottom, c.clip.Bottom);
            dst.SetSize(w, h);
            dst.Clear(0x12345678);
            StretchNearest(dst, c.dstRect, c.clip, src, src.BoundsRect(), mode, {});

            const TNearestAxis columns(c.dstRect.Left, c.dstRect.Right, 0, c.srcW);
            const TNearestAxis rows(c.dstRect.Top, c.dstRect.Bottom, 0, c.srcH);
            TRect inside;
            IntersectRect(inside, c.clip, c.dstRect);
            int32_t wrong = 0;
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    TColor32 expected = 0x12345678;
                    if (x >= inside.Left && x < inside.Right && y >= inside.Top && y < inside.Bottom) {
                        const TColor32 s = src.Pixel(columns.Map(x), rows.Map(y));
                        if (mode == dmOpaque || s != src.OuterColor())
                            expected = s;
                    }
                    wrong += dst.Pixel(x, y) != expected;
                }
            EXPECT_EQ(wrong, 0) << c.srcW << "x" << c.srcH << " -> " << c.dstRect.Right - c.dstRect.Left << "x"
                                << c.dstRect.Bottom - c.dstRect.Top << " mode " << mode;
        }
}
