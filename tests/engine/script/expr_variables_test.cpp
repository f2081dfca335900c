// Variable terms of the evaluator: references, assignment, increments,
// named variables, the result records, re-evaluation and Shift-JIS text.

#include <gtest/gtest.h>

#include "engine/script/script_error.h"
#include "expr_env.h"

namespace {

TEST(TExprConv, PostfixYieldsOldValuePrefixYieldsNew)
{
    ExprEnv env;
    EXPECT_EQ(env.Eval("F(3) = 5"), "5");
    EXPECT_EQ(env.Eval("F(3)++"), "5");
    EXPECT_EQ(env.Flag(3), 6);
    EXPECT_EQ(env.Eval("++F(3)"), "7");
    EXPECT_EQ(env.Eval("F(3)--"), "7");
    EXPECT_EQ(env.Eval("--F(3)"), "5");
    EXPECT_EQ(env.Flag(3), 5);
    EXPECT_EQ(env.Eval("I(key)++"), "1");
    EXPECT_EQ(env.Eval("++I(key)"), "3");
    EXPECT_EQ(env.ItemCount("key"), 3);
    EXPECT_EQ(env.Eval("(F(4))++"), "0"); // parentheses keep the reference
    EXPECT_EQ(env.Flag(4), 1);
}

TEST(TExprConv, IncrementWrapsAt32Bits)
{
    ExprEnv env;
    env.Flag(1) = INT32_MAX;
    env.Flag(2) = INT32_MIN;
    EXPECT_EQ(env.Eval("++F(1)"), "-2147483648");
    EXPECT_EQ(env.Eval("F(2)--"), "-2147483648");
    EXPECT_EQ(env.Flag(2), INT32_MAX);
    EXPECT_EQ(env.Eval("-F(2) - 1"), "-2147483648");
}

TEST(TExprConv, PostfixAtMultiplicativeLevelMeetsTheProduct)
{
    ExprEnv env;
    env.Flag(1) = 3;
    EXPECT_EQ(env.Eval("2 * F(1)++"), "6");
    EXPECT_EQ(env.Flag(1), 3);
    EXPECT_EQ(env.Eval("F(1)++ * 2"), "6");
    EXPECT_EQ(env.Flag(1), 4);
}

TEST(TExprConv, TernaryEvaluatesBothBranches)
{
    ExprEnv env;
    EXPECT_EQ(env.Eval("1 ? F(1)++ : F(2)++"), "0");
    EXPECT_EQ(env.Flag(1), 1);
    EXPECT_EQ(env.Flag(2), 1);
    EXPECT_EQ(env.Eval("0 ? F(1) = 7 : F(2) = 8"), "8");
    EXPECT_EQ(env.Flag(1), 7);
}

TEST(TExprConv, CompoundAssignmentOnFlagsAndItems)
{
    struct Step {
        const char* expr;
        int32_t after;
    };
    const Step steps[] = {
        {"F(1) = 12", 12},
        {"F(1) += 5", 17},
        {"F(1) -= 5", 12},
        {"F(1) *= 2", 24},
        {"F(1) /= 5", 4},
        {"F(1) %= 3", 1},
        {"F(1) |= 14", 15},
        {"F(1) &= 10", 10},
        {"F(1) ^= 3", 9},
        {"F(1) <<= 33", 18},
        {"F(1) >>= 1", 9},
        {"F(1) = -1", -1},
        {"F(1) >>= 28", 15},
        {"F(1) = '42'", 42},
        {"F(1) -= '-8'", 50},
        {"F(1) = 0x7FFFFFFF", INT32_MAX},
        {"F(1) += 1", INT32_MIN},
        {"F(1) /= -1", INT32_MIN},
        {"F(1) %= -1", 0},
    };
    ExprEnv env;
    for (const Step& s : steps) {
        EXPECT_EQ(env.Expr.Evaluate(s.expr), std::to_string(s.after)) << s.expr;
        EXPECT_EQ(env.Flag(1), s.after) << s.expr;
    }
    EXPECT_EQ(env.Eval("I(lamp) += 4"), "4");
    EXPECT_EQ(env.Eval("I(lamp) <<= 2"), "16");
    EXPECT_EQ(env.ItemCount("lamp"), 16);
}

TEST(TExprConv, StringVariableAssignment)
{
    ExprEnv env;
    EXPECT_EQ(env.Eval("S(1) = 'ab'"), "ab");
    EXPECT_EQ(env.Eval("S(1) += 'c'"), "abc");
    EXPECT_EQ(env.SVar(1), "abc");
    EXPECT_EQ(env.Eval("S(1) -= 'z'"), "z"); // every other operator assigns
    EXPECT_EQ(env.SVar(1), "z");
    EXPECT_EQ(env.Eval("S(2) = 12"), "12");
    EXPECT_EQ(env.SVar(2), "12");
    EXPECT_EQ(env.Eval("S(2) += -3"), "12-3");
    EXPECT_EQ(env.Eval("S(3) = S(1) + S(2)"), "z12-3");
    EXPECT_EQ(env.Expr.Result.Kind, ekString);
}

TEST(TExprConv, NumericTextIndexesAndNamesBindFromTheirRanges)
{
    ExprEnv env;
    env.Eval("F('12') = 3");
    EXPECT_EQ(env.Flag(12), 3);
    env.Eval("F(' 13') = 4");
    EXPECT_EQ(env.Flag(13), 4);

    EXPECT_EQ(env.Eval("F(apple) = 1"), "1");
    EXPECT_EQ(env.Flags.GetItem(8192)->Name, "apple");
    EXPECT_EQ(env.Flag(8192), 1);
    ASSERT_EQ(env.Warnings.size(), 1u);
    EXPECT_EQ(env.Warnings[0], Sj("変数F(apple)が初めて使われました。"));
    EXPECT_EQ(env.Eval("F(apple)"), "1");
    EXPECT_EQ(env.Eval("F(8192)"), "1");
    EXPECT_EQ(env.Warnings.size(), 1u);

    EXPECT_EQ(env.Eval("S(name) = 'x'"), "x");
    EXPECT_EQ(env.StrVars.GetItem(512)->Name, "name");
    ASSERT_EQ(env.Warnings.size(), 2u);
    EXPECT_EQ(env.Warnings[1], Sj("文字列変数S(name)が初めて使われました。"));
}

TEST(TExprConv, EachNamedReferenceKeepsItsOwnName)
{
    ExprEnv env;
    env.Eval("F(a) = 1");
    env.Eval("F(b) = 2");
    env.Flag(0) = 10;
    env.Flag(1) = 20;
    EXPECT_EQ(env.Eval("F(a)+F(b)"), "3");
    EXPECT_EQ(env.Eval("F(0)+F(1)"), "30");
    EXPECT_EQ(env.Eval("F(a) = F(b) + 5"), "7");
    EXPECT_EQ(env.Flag(8192), 7);
    EXPECT_EQ(env.Flag(8193), 2);
}

TEST(TExprConv, FullNamedRangeGivesTheIndexError)
{
    ExprEnv env;
    for (int i = FlagNameFirst; i <= FlagNameLast; ++i)
        env.Flags.GetItem(i)->Name = "n" + std::to_string(i);
    try {
        env.Expr.Evaluate("F(late) = 1");
        FAIL() << "no error";
    } catch (const EScriptError& e) {
        EXPECT_EQ(e.Message(), Sj("フラグ変数のインデックスが不正です (-1/16383)"));
    }
    ASSERT_EQ(env.Warnings.size(), 1u);
    EXPECT_EQ(env.Flags.GetItem(FlagRecordCount - 1)->Name, "");
}

TEST(TExprConv, ResultAndRawResultTellTheCallerWhatWasNamed)
{
    struct Case {
        const char* expr;
        int32_t rawKind;
        int32_t rawInt;
        const char* rawName;
        int32_t resultKind;
    };
    const Case cases[] = {
        {"F(12)", ekFlag, 12, "", ekInteger},
        {"S(3)", ekSVar, 3, "", ekString},
        {"F(name)", ekFlag, -1, "name", ekInteger},
        {"S('x')", ekSVar, -1, "x", ekString},
        {"I(key)", ekItem, 0, "key", ekInteger},
        {"(F(2))", ekFlag, 2, "", ekInteger},
        {"1 ? F(5) : F(6)", ekFlag, 5, "", ekInteger},
        {"F(1) + 0", ekInteger, 0, "", ekInteger},
        {"F(1)++", ekInteger, 0, "", ekInteger},
        {"'abc'", ekString, 0, "abc", ekString},
        {"7", ekInteger, 7, "", ekInteger},
    };
    for (const Case& c : cases) {
        ExprEnv env;
        env.Expr.Evaluate(c.expr);
        EXPECT_EQ(env.Expr.RawResult.Kind, c.rawKind) << c.expr;
        EXPECT_EQ(env.Expr.RawResult.IntValue, c.rawInt) << c.expr;
        EXPECT_EQ(env.Expr.RawResult.StrValue, c.rawName) << c.expr;
        EXPECT_EQ(env.Expr.Result.Kind, c.resultKind) << c.expr;
    }
}

TEST(TExprConv, ResultsHoldingABraceAreEvaluatedAgain)
{
    ExprEnv env;
    env.SVar(1) = "Hello {S(2)}";
    env.SVar(2) = "World";
    EXPECT_EQ(env.Eval("S(1)"), "Hello World");
    EXPECT_EQ(env.Expr.RawResult.Kind, ekSVar); // the caller's own reference
    EXPECT_EQ(env.Expr.RawResult.IntValue, 1);

    env.SVar(3) = "{S(4)}";
    env.SVar(4) = "{1+1}";
    EXPECT_EQ(env.Eval("S(3)"), "2");
    EXPECT_EQ(env.Expr.Result.Kind, ekString); // a splice always yields text

    // A result that begins with a variable letter is parsed as one.
    env.SVar(5) = "Say {S(2)}";
    EXPECT_THROW(env.Expr.Evaluate("S(5)"), EScriptError);
}

TEST(TExprConv, ReEvaluationStopsAfterSixtyFourPasses)
{
    ExprEnv env;
    env.SVar(1) = "{S(1)}";
    EXPECT_EQ(env.Eval("S(1)"), "{S(1)}");
    // The player's text is never evaluated again, whatever it holds.
    env.LastInput = "{X}";
    EXPECT_EQ(env.Eval("X"), "{X}");
    EXPECT_EQ(env.LastInputReads, 1);
}

TEST(TExprConv, RandomTermScalesTheInjectedWord)
{
    struct Case {
        uint32_t word;
        const char* expr;
        const char* expected;
    };
    const Case cases[] = {
        {0x80000000u, "R(10)", "5"},
        {0xFFFFFFFFu, "R(10)", "9"},
        {0u, "R(10)", "0"},
        {0xFFFFFFFFu, "R(1)", "0"},
        {0xFFFFFFFFu, "R(0)", "0"},
        {0xFFFFFFFFu, "R(-5)", "0"},
        {0x80000000u, "R('10')", "5"},
        {0x80000000u, "R(5+5)", "5"},
        {0xFFFFFFFFu, "R(0x7FFFFFFF)", "2147483646"},
    };
    for (const Case& c : cases) {
        ExprEnv env;
        env.RandomWord = c.word;
        EXPECT_EQ(env.Eval(c.expr), c.expected) << c.expr;
    }
}

TEST(TExprConv, DefaultRandomStaysInRange)
{
    ExprEnv env;
    env.Expr.OnRandom = nullptr;
    for (int i = 0; i < 200; ++i) {
        const int v = std::stoi(env.Expr.Evaluate("R(6)"));
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 6);
    }
}

TEST(TExprConv, XIsTheLastTypedText)
{
    ExprEnv env;
    env.LastInput = Sj("北へ行く");
    EXPECT_EQ(env.Eval("X"), "北へ行く");
    EXPECT_EQ(env.Eval("x + '!'"), "北へ行く!");
    EXPECT_EQ(env.Eval("X == '北へ行く'"), "1");
    env.Expr.OnLastInput = nullptr;
    EXPECT_EQ(env.Eval("X"), "");
}

// ボ, マ, ー, ゾ end in the bytes 7Bh '{', 7Dh '}', 5Bh '[', 5Dh ']'; ソ in 5Ch '\'.
TEST(TExprConv, TrailBytesAreNeverBracesOrQuotes)
{
    struct Case {
        const char* expr;
        const char* expected;
    };
    const Case cases[] = {
        {"'ボマーゾ{1+1}ソ'", "ボマーゾ2ソ"},
        {"ボ{1}マ", "ボ1マ"},
        {"'{'ボ'}'", "ボ"},
        {"'ボ' + 1", "ボ1"},
        {"'ゾボ' == 'ゾボ'", "1"},
        {"'xボy' =~ 'ボ'", "1"},
        {"'ツ' =~ 'イ'", "0"}, // ツ is 83h 63h: its trail byte is no letter to upper-case
        {"'ab' =~ 'ＡＢ'", "0"},
        {"'ABC' =~ 'b'", "1"},
    };
    for (const Case& c : cases) {
        ExprEnv env;
        EXPECT_EQ(env.Eval(c.expr), c.expected) << c.expr;
    }

    ExprEnv env;
    env.SVar(1) = Sj("ボマ");
    EXPECT_EQ(env.Eval("S(1)"), "ボマ"); // no '{' of its own: no second pass
    env.SVar(2) = "{";
    EXPECT_EQ(env.Eval("'ボ' =~ S(2)"), "0");
    env.LastInput = Sj("ボ");
    EXPECT_EQ(env.Eval("X"), "ボ");
    EXPECT_EQ(env.Eval("F(ボ) = 3"), "3");
    EXPECT_EQ(env.Flags.GetItem(8192)->Name, Sj("ボ"));
    EXPECT_EQ(env.Eval("F(マ)"), "0");
    EXPECT_EQ(env.Flags.GetItem(8193)->Name, Sj("マ"));
}

TEST(TExprConv, ALeadByteAtTheEndIsACharacterOfItsOwn)
{
    ExprEnv env;
    EXPECT_EQ(env.Expr.Evaluate("'a\x83"), "a\x83");
    EXPECT_EQ(env.Expr.Evaluate("\x83"), "\x83");
    EXPECT_EQ(env.Expr.Evaluate("\x83{"), "\x83{"); // the brace is a trail byte
}

} // namespace
