// Values of expressions: every operator, its precedence and associativity,
// 32-bit wraparound, numbers and strings.

#include <gtest/gtest.h>

#include "expr_env.h"

namespace {

struct Case {
    const char* expr;
    const char* expected;
};

void ExpectValues(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        ExprEnv env;
        EXPECT_EQ(env.Eval(c.expr), c.expected) << "expression: " << c.expr;
    }
}

TEST(TExprConv, LogicalOperatorsAreBitwiseOnIntegers)
{
    ExpectValues({
        {"1 && 2", "0"},
        {"3 || 4", "7"},
        {"1 == 1 && 2", "0"},
        {"3 && 6", "2"},
        {"6 & 3", "2"},
        {"6 | 3", "7"},
        {"6 ^ 3", "5"},
    });
}

TEST(TExprConv, PrecedenceFollowsTheNineLevels)
{
    ExpectValues({
        {"1 + 2 * 3", "7"}, {"(1 + 2) * 3", "9"}, {"10 - 2 * 3", "4"}, {"1 << 2 + 1", "8"}, // additive above shift
        {"2 < 1 << 2", "1"},                                                                // shift above comparison
        {"1 + 1 == 2", "1"}, {"4 | 2 == 2", "5"},                                           // comparison above bitwise
        {"4 || 1 & 2", "4"},                                                                // bitwise above logical
        {"1 && 1 ? 5 : 6", "5"},                                                            // logical above ternary
        {"-2 * 3", "-6"}, {"- 1 + 2", "1"},                              // unary minus binds tighter than '+'
        {"2 - -1", "3"}, {"-(2 + 3)", "-5"}, {"F(1) = 2 + 3 * 4", "14"}, // assignment lowest
    });
}

TEST(TExprConv, BinaryLevelsAreLeftAssociative)
{
    ExpectValues({
        {"10 - 3 - 2", "5"},
        {"100 / 10 / 5", "2"},
        {"7 % 4 % 2", "1"},
        {"2 << 1 << 1", "8"},
        {"256 >> 2 >> 1", "32"},
        {"3 > 2 > 1", "0"},
        {"1 == 1 == 1", "1"},
        {"12 & 6 | 1", "5"},
        {"1 || 2 && 4", "0"},
        {"'a' + 1 + 2", "a12"},
        {"1 + 2 + 'a'", "3a"},
    });
}

TEST(TExprConv, TernaryIsTrueOnlyForExactlyOne)
{
    ExpectValues({
        {"1 ? 'a' : 'b'", "a"},
        {"2 ? 'a' : 'b'", "b"},
        {"0 ? 'a' : 'b'", "b"},
        {"-1 ? 'a' : 'b'", "b"},
        {"'1' ? 'a' : 'b'", "b"},
        {"1 ? 2 : 0 ? 3 : 4", "2"},
        {"0 ? 2 : 0 ? 3 : 4", "4"},
        {"0 ? 2 : 1 ? 3 : 4", "3"},
    });
}

TEST(TExprConv, IntegerArithmeticWrapsAt32Bits)
{
    ExpectValues({
        {"0x7FFFFFFF + 1", "-2147483648"},
        {"2147483647 + 1", "-2147483648"},
        {"-2147483647 - 2", "2147483647"},
        {"65536 * 65536", "0"},
        {"65537 * 65537", "131073"},
        {"-(0x80000000)", "-2147483648"},
        {"0x80000000 / -1", "-2147483648"},
        {"0x80000000 % -1", "0"},
        {"2147483648", "-2147483648"},
        {"4294967297", "1"},
        {"0xFFFFFFFF", "-1"},
        {"0x1FFFFFFFF", "-1"},
    });
}

TEST(TExprConv, DivisionTruncatesTowardZero)
{
    ExpectValues({
        {"-7 / 2", "-3"},
        {"-7 % 2", "-1"},
        {"7 / -2", "-3"},
        {"7 % -2", "1"},
        {"-7 % -2", "-1"},
        {"6 / 3", "2"},
    });
}

TEST(TExprConv, ShiftCountsUseTheLowFiveBits)
{
    ExpectValues({
        {"1 << 33", "2"},
        {"-1 >> 28", "15"},
        {"1 << 31", "-2147483648"},
        {"1 << -1", "-2147483648"},
        {"5 >> 32", "5"},
        {"0x80000000 >> 31", "1"},
        {"-8 >> 1", "2147483644"},
    });
}

TEST(TExprConv, NumbersAreDecimalOrLowerCaseHex)
{
    ExpectValues({
        {"0xff", "255"},
        {"0xFf", "255"},
        {"0XFF", "0"}, // the number 0, then the letter X ends the expression
        {"0x", "0"},
        {"0x1g", "1"},
        {"007", "7"},
        {"12abc", "12"},
        {"1 2", "1"}, // text after a complete expression is ignored
        {"1}", "1"},
    });
}

TEST(TExprConv, ComparisonsOfStringsAndIntegers)
{
    ExpectValues({
        {"'abc' == 'ABC'", "0"},
        {"'abc' == 'abc'", "1"},
        {"'5' == 5", "1"},
        {"5 == '05'", "0"},
        {"'5' != 5", "0"},
        {"'5' <> 6", "1"},
        {"3 <> 3", "0"},
        {"-1 < 0", "1"},
        {"0x80000000 < 0", "1"},
        {"2 <= 2", "1"},
        {"2 >= 3", "0"},
        {"'abc' =~ 'B'", "1"},
        {"'abc' =~ 'bd'", "0"},
        {"'abc' !~ 'B'", "0"},
        {"'abc' !~ 'x'", "1"},
        {"1234 =~ 23", "1"},
        {"'abc' =~ ''", "0"},
        {"'abc' !~ ''", "1"},
    });
}

TEST(TExprConv, PlusJoinsTextsWhenEitherSideIsAString)
{
    ExpectValues({
        {"5 + 'x'", "5x"}, {"'x' + 5", "x5"}, {"'ab' + 'cd'", "abcd"}, {"-3 + ''", "-3"},
        {"'ab' - 1", "-1"}, // '-' takes the integer parts
    });
}

TEST(TExprConv, StringsQuotedAndBare)
{
    ExpectValues({
        {"'it''s'", "it's"},
        {"''''", "'"},
        {"''", ""},
        {"'abc", "abc"}, // an unclosed quote runs to the end
        {"'a)b'", "a)b"},
        {"abc + 1", "abc + 1"}, // a bare string takes blanks and operators
        {"ab''c", "ab'c"},
        {"(abc)", "abc"},
        {"(abc) + 1", "abc1"},
        {"'a' 'b'", "a"},
        {"1 + #", "1#"}, // '#' after blanks is text
        {"  7", "7"},
        {"\t7", "7"},
    });
}

TEST(TExprConv, BracesSpliceValuesIntoStrings)
{
    ExpectValues({
        {"'a{1+2}b'", "a3b"},
        {"a{1+2}b", "a3b"},
        {"'{1}{2}{3}'", "123"},
        {"'x{'y{1+1}'}z'", "xy2z"},
        {"'{F(1) = 4}:{F(1)}'", "4:4"},
        {"'{'q'}'", "q"},
        {"{-5}", "-5"},
    });
}

TEST(TExprConv, IncrementOfAPlainValueLeavesIt)
{
    ExpectValues({
        {"++5", "5"},
        {"--5", "5"},
        {"5++", "5"},
        {"5--", "5"},
        {"(2 + 3)++", "5"},
    });
}

} // namespace
