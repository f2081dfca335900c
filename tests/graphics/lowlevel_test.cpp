#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "graphics/color32.h"
#include "graphics/lowlevel.h"
#include "graphics/rects.h"
#include "classlib/colors.h"

TEST(Color32, BuildAndConvert)
{
    EXPECT_EQ(Color32(255, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Color32(1, 2, 3, 4), 0x04010203u);
    EXPECT_EQ(Color32FromWinColor(0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(Color32FromWinColor(0x00123456), 0xFF563412u);
    // The top byte of the Windows value is dropped.
    EXPECT_EQ(Color32FromWinColor(0x02123456), 0xFF563412u);
    // System colours are looked up first.
    EXPECT_EQ(Color32FromWinColor(clBtnFace), Color32FromWinColor(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(WinColor(0x80563412), 0x00123456);
}

TEST(Color32, IntensityAndSetAlpha)
{
    EXPECT_EQ(Intensity(0xFFFFFFFF), 255);
    EXPECT_EQ(Intensity(Color32(100, 0, 0)), (100 * 61) >> 8);
    EXPECT_EQ(SetAlpha(0x12345678, 300), 0xFF345678u);
    EXPECT_EQ(SetAlpha(0x12345678, -5), 0x00345678u);
    EXPECT_EQ(SetAlpha(0x12345678, 7), 0x07345678u);
}

TEST(LowLevel, ClampConstrainWrapMirror)
{
    struct Case {
        int32_t (*fn)(int32_t, int32_t, int32_t);
        int32_t v, lo, hi, expected;
    };
    const Case cases[] = {
        {Constrain, -4, 0, 9, 0},
        {Constrain, 12, 0, 9, 9},
        {Constrain, 5, 0, 9, 5},
        {Wrap, -1, 0, 9, 9},
        {Wrap, 10, 0, 9, 0},
        {Wrap, 25, 0, 9, 5},
        {Wrap, -11, 0, 9, 9},
        {Wrap, 7, 5, 8, 7},
        {Wrap, 3, 5, 8, 7},
        {Mirror, 10, 0, 9, 9},
        {Mirror, -1, 0, 9, 0},
        {Mirror, 19, 0, 9, 0},
        {Mirror, 20, 0, 9, 0},
        {Mirror, 4, 0, 9, 4},
        {Mirror, -12, 0, 9, 8},
        // An empty range answers its low end instead of dividing by zero.
        {Wrap, 5, 3, 2, 3},
        {Mirror, 5, 3, 2, 3},
        {Wrap, 5, 0, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fn(c.v, c.lo, c.hi), c.expected) << c.v << " in " << c.lo << ".." << c.hi;
    EXPECT_EQ(ClampByte(-3), 0);
    EXPECT_EQ(ClampByte(300), 255);
    EXPECT_EQ(Clamp(12, 10), 10);
    EXPECT_EQ(Clamp(-1, 10), 0);
    EXPECT_EQ(Wrap(INT32_MIN, 0, INT32_MAX), Wrap(INT32_MIN, 0, INT32_MAX)); // no overflow trap
}

TEST(LowLevel, FixedPoint)
{
    EXPECT_EQ(Fixed(2.5f), 0x28000);
    EXPECT_EQ(Fixed(3), 0x30000);
    EXPECT_EQ(Fixed(-1), -0x10000);
    EXPECT_EQ(FixedRound(0x18000), 1);
    EXPECT_EQ(FixedRound(0x18001), 2);
    EXPECT_EQ(FixedFloor(-0x8000), -1);
    EXPECT_EQ(FixedCeil(0x10001), 2);
    EXPECT_EQ(FixedMul(Fixed(3), Fixed(2.5f)), Fixed(7.5f));
    EXPECT_EQ(FixedDiv(Fixed(3), Fixed(2)), Fixed(1.5f));
    EXPECT_THROW(FixedDiv(1, 0), Exception);
}

TEST(LowLevel, FillAndMoveLongword)
{
    uint32_t a[6] = {1, 2, 3, 4, 5, 6};
    MoveLongword(a, a + 1, 4); // overlapping
    EXPECT_EQ(a[1], 1u);
    EXPECT_EQ(a[4], 4u);
    FillLongword(a, 0, 9);
    FillLongword(a, -2, 9);
    EXPECT_EQ(a[0], 1u);
    FillLongword(a, 3, 9);
    EXPECT_EQ(a[2], 9u);
    EXPECT_EQ(a[3], 3u);
    int32_t x = 5, y = 2;
    TestSwap(x, y);
    EXPECT_EQ(x, 2);
    TestSwap(x, y);
    EXPECT_EQ(x, 2);
}

TEST(Rects, IntersectCountsZeroWidthAsMeeting)
{
    TRect r;
    EXPECT_TRUE(IntersectRect(r, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
    EXPECT_EQ(r, (TRect{10, 0, 10, 10}));
    EXPECT_FALSE(IntersectRect(r, TRect{0, 0, 10, 10}, TRect{11, 0, 20, 10}));
    EXPECT_EQ(r, (TRect{0, 0, 0, 0}));
    EXPECT_TRUE(IsRectEmpty(TRect{10, 0, 10, 10}));
    EXPECT_FALSE(IsRectEmpty(TRect{0, 0, 1, 1}));
    TRect g{10, 10, 20, 20};
    InflateRect(g, 2, 3);
    EXPECT_EQ(g, (TRect{8, 7, 22, 23}));
    OffsetRect(g, -8, 1);
    EXPECT_EQ(g, (TRect{0, 8, 14, 24}));
}

TEST(Rects, MakeRectRoundings)
{
    const TFloatRect f{10.5f, 11.5f, 20.5f, 21.5f};
    EXPECT_EQ(MakeRect(f, rrClosest), (TRect{10, 12, 20, 22})); // ties to even
    EXPECT_EQ(MakeRect(TFloatRect{-0.5f, 0.2f, 1.7f, 2.5f}, rrOutside), (TRect{-1, 0, 2, 3}));
    EXPECT_EQ(MakeRect(TFloatRect{0.2f, 0.2f, 0.7f, 3.5f}, rrInside), (TRect{1, 1, 1, 3}));
    const TFixedRect x{0x18000, 0x18001, 0x28000, -0x8000};
    EXPECT_EQ(MakeRect(x, rrClosest), (TRect{1, 2, 2, -1}));
    EXPECT_EQ(MakeRect(x, rrOutside), (TRect{1, 1, 3, 0}));
    EXPECT_EQ(FixedRect(TRect{1, 2, 3, 4}), (TFixedRect{0x10000, 0x20000, 0x30000, 0x40000}));
    EXPECT_EQ(FloatRect(TRect{1, 2, 3, 4}), (TFloatRect{1, 2, 3, 4}));
    // Nothing that is no number or out of range leads to undefined behaviour.
    const TRect huge = MakeRect(TFloatRect{1e30f, -1e30f, 0, 0}, rrClosest);
    EXPECT_EQ(huge.Right, 0);
}
