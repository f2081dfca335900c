#include "base/conv.h"
#include "base/exceptions.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(StrToInt, AcceptedForms)
{
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"  12", 12},
        {"$1F", 31},
        {"0x1f", 31},
        {"0XFF", 255},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {"007", 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST(StrToInt, RejectedFormsRaiseWithMessage)
{
    for (const char* text :
        {"", " ", "-", "$", "0x", "12 ", "1a", "2147483648", "-2147483649", "$100000000", "\t5", "1.5", "ab"}) {
        int32_t v = 99;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_EQ(v, 99);
        EXPECT_EQ(StrToIntDef(text, -5), -5);
    }
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x1' is not a valid integer value");
    }
}

TEST(Conversions, IntToStrAndHex)
{
    EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
}

TEST(Conversions, RoundIsTiesToEven)
{
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(2.5000001), 3);
    EXPECT_EQ(Round(230.0L * 1.5L), 345);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(1e300), INT64_MAX);
}

TEST(Conversions, FloatToStrGeneralFormat)
{
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(-2), "-2");
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(0.00001), "0.00001");
    EXPECT_EQ(FloatToStr(0.000001), "1E-6");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
}

} // namespace
