// Faults: every message text byte for byte, conversion errors, and the
// bounds that keep hostile input from exhausting the stack or memory.

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "engine/script/script_error.h"
#include "expr_env.h"

namespace {

struct ErrorCase {
    const char* expr;
    const char* message; // UTF-8 of the Shift-JIS text
};

std::string ScriptErrorOf(ExprEnv& env, const std::string& sjisExpr)
{
    try {
        env.Expr.Evaluate(sjisExpr);
    } catch (const EScriptError& e) {
        return e.Message();
    }
    return "(no error)";
}

std::string Repeat(std::string_view part, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += part;
    return s;
}

TEST(TExprConv, EachFaultRaisesItsText)
{
    const ErrorCase cases[] = {
        {"", "不正なトークンが使用されています"},
        {"   ", "不正なトークンが使用されています"},
        {"#1", "不正なトークンが使用されています"},
        {"1+#2", "不正なトークンが使用されています"},
        {"1 +", "不正なトークンが使用されています"},
        {"*3", "不正なトークンが使用されています"},
        {"(1", "()の不一致があります"},
        {"(1 2)", "()の不一致があります"},
        {"1 ? 2", "三項演算子が不正です"},
        {"1 ? 2 3", "三項演算子が不正です"},
        {"'a{1+2b'", "}が閉じていません"},
        {"'a{1+2", "}が閉じていません"},
        {"{1", "}が閉じていません"},
        {"F(16384)", "フラグ変数のインデックスが不正です (16384/16383)"},
        {"F(-1)", "フラグ変数のインデックスが不正です (-1/16383)"},
        {"F('')", "フラグ変数のインデックスが不正です (-1/16383)"},
        {"F(16384) = 1", "フラグ変数のインデックスが不正です (16384/16383)"},
        {"S(-1)", "文字列変数のインデックスが不正です(-1/1023)"},
        {"S(1024)", "文字列変数のインデックスが不正です(1024/1023)"},
        {"S(1024) = 'a'", "文字列変数のインデックスが不正です(1024/1023)"},
        {"I(none)", "アイテムnoneがありません"},
        {"I(KEY)", "アイテムKEYがありません"},
        {"I(none) = 1", "アイテムnoneがありません"},
        {"++I(none)", "アイテムnoneがありません"},
        {"I(3)", "アイテム変数の記述が不正です"},
        {"I(S(1))", "アイテム変数の記述が不正です"},
        {"5 = 1", "代入先が変数ではありません"},
        {"'a' += 1", "代入先が変数ではありません"},
        {"F(1) = F(2) = 3", "代入先が変数ではありません"},
        {"F 1", "変数の記述が不正です"},
        {"S1", "変数の記述が不正です"},
        {"fred", "変数の記述が不正です"}, // no bare word may begin with F, I, S, R or X
        {"I 1", "変数の記述が不正です"},
        {"R 1", "変数の記述が不正です"},
        {"F(1", "変数の()の不一致があります"},
        {"S(1 2)", "変数の()の不一致があります"},
        {"I('key'", "変数の()の不一致があります"},
        {"R(5", "ランダムの()の不一致があります"},
        {"++'a'", "文字列はインクリメント出来ません"},
        {"++S(1)", "文字列はインクリメント出来ません"},
        {"S(1)++", "文字列はインクリメント出来ません"},
        {"--'a'", "文字列はデクリメント出来ません"},
        {"'a'--", "文字列はデクリメント出来ません"},
        {"--S(1)", "文字列はデクリメント出来ません"},
        {"X++", "文字列はインクリメント出来ません"},
        {"1 / 0", "0で割ることは出来ません"},
        {"1 % 0", "0で割ることは出来ません"},
        {"1 / 'a'", "0で割ることは出来ません"},
        {"F(1) /= 0", "0で割ることは出来ません"},
        {"F(1) %= 0", "0で割ることは出来ません"},
    };
    for (const ErrorCase& c : cases) {
        ExprEnv env;
        EXPECT_EQ(ScriptErrorOf(env, Sj(c.expr)), Sj(c.message)) << "expression: " << c.expr;
    }
}

TEST(TExprConv, NoIntegerWhereOneIsNeededIsAConversionError)
{
    for (const char* expr : {"F(1) = 'abc'", "F(1) += 'x'", "I(key) = ''", "R('ten')"}) {
        ExprEnv env;
        EXPECT_THROW(env.Expr.Evaluate(expr), EConvertError) << expr;
    }
}

TEST(TExprConv, WhatWasAssignedBeforeAFaultStays)
{
    ExprEnv env;
    env.Flag(2) = 9;
    EXPECT_THROW(env.Expr.Evaluate("F(1) = F(2) = 3"), EScriptError);
    EXPECT_EQ(env.Flag(1), 9);

    EXPECT_THROW(env.Expr.Evaluate("F(3) = 4 + I(none)"), EScriptError);
    EXPECT_EQ(env.Flag(3), 0);
    EXPECT_THROW(env.Expr.Evaluate("(F(3) = 4) + I(none)"), EScriptError);
    EXPECT_EQ(env.Flag(3), 4);
}

TEST(TExprConv, StackHoldsSixtyTwoValues)
{
    ExprEnv env;
    // k times "1+(" leaves k + 1 values on the stack at the innermost 1.
    const std::string fits = Repeat("1+(", 61) + "1" + Repeat(")", 61);
    EXPECT_EQ(env.Expr.Evaluate(fits), "62");
    const std::string overflows = Repeat("1+(", 62) + "1" + Repeat(")", 62);
    EXPECT_EQ(ScriptErrorOf(env, overflows), Sj("スタックが溢れました"));
}

TEST(TExprConv, DeepNestingRaisesStackOverflowInsteadOfCrashing)
{
    const std::string overflow = Sj("スタックが溢れました");
    const std::string nested[] = {
        Repeat("(", 100000) + "1" + Repeat(")", 100000),
        Repeat("-", 100000) + "1",
        Repeat("- ", 100000) + "1",
        Repeat("++", 100000) + "F(1)",
        Repeat("F(", 100000) + "1",
        Repeat("'{", 100000) + "1",
        Repeat("{", 100000) + "1",
        Repeat("1?", 100000) + "1",
        Repeat("R(", 100000),
    };
    for (const std::string& text : nested) {
        ExprEnv env;
        EXPECT_EQ(ScriptErrorOf(env, text), overflow) << text.substr(0, 8);
    }
    ExprEnv env;
    EXPECT_EQ(env.Expr.Evaluate(Repeat("(", 100) + "7" + Repeat(")", 100)), "7");
    EXPECT_EQ(env.Expr.Evaluate(Repeat("- ", 201) + "7"), "-7");
}

TEST(TExprConv, EvaluatorIsUsableAfterAFault)
{
    ExprEnv env;
    EXPECT_THROW(env.Expr.Evaluate(Repeat("(", 1000) + "1"), EScriptError);
    EXPECT_THROW(env.Expr.Evaluate("1 + (2"), EScriptError);
    EXPECT_EQ(env.Expr.Evaluate("1 + 2"), "3");
}

TEST(TExprConv, StringsThatDoubleOnEveryPassStopWithAnError)
{
    ExprEnv env;
    env.SVar(1) = "{S(1)}{S(1)}";
    EXPECT_EQ(ScriptErrorOf(env, "S(1)"), Sj("文字列が長すぎます"));

    ExprEnv grow;
    grow.SVar(1) = std::string(1000, 'a');
    const std::string doubling = "S(1) += S(1)";
    for (int i = 0; i < 6; ++i)
        grow.Expr.Evaluate(doubling);
    EXPECT_EQ(grow.SVar(1).size(), 64000u); // the longest text is 64 KiB
    EXPECT_EQ(ScriptErrorOf(grow, doubling), Sj("文字列が長すぎます"));
    EXPECT_EQ(ScriptErrorOf(grow, "S(1) + S(1)"), Sj("文字列が長すぎます"));
    EXPECT_EQ(ScriptErrorOf(grow, "'{S(1)}{S(1)}'"), Sj("文字列が長すぎます"));
    EXPECT_EQ(grow.SVar(1).size(), 64000u);
}

} // namespace
