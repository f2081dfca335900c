// The evaluator's grammar: nine precedence levels, lowest first. Each level
// leaves one value on the stack. The levels recurse into one another for
// every parenthesis, unary operator, ternary branch and variable argument,
// so they keep nothing of their own on the machine stack: the operand work
// lives in the Apply and Push helpers, which return before the next descent.

#include "engine/script/expr.h"
#include "engine/script/expr_ops.h"

using namespace expr_ops;

namespace {

bool IsAssignOp(int32_t kind)
{
    switch (kind) {
    case Op("="):
    case Op("+="):
    case Op("-="):
    case Op("*="):
    case Op("/="):
    case Op("%="):
    case Op("&="):
    case Op("|="):
    case Op("^="):
    case Op("<<="):
    case Op(">>="): return true;
    default: return false;
    }
}

bool IsCompareOp(int32_t kind)
{
    switch (kind) {
    case Op("=="):
    case Op("!="):
    case Op("<>"):
    case Op("<"):
    case Op(">"):
    case Op("<="):
    case Op(">="):
    case Op("=~"):
    case Op("!~"): return true;
    default: return false;
    }
}

} // namespace

// Left-associative too: after F(1) = 2 the value 2 is no variable, so a
// second '=' raises instead of assigning from right to left.
void TExprConv::ParseAssign()
{
    DepthGuard guard(*this);
    ParseTernary();
    while (IsAssignOp(Token.Kind)) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseTernary();
        ApplyAssign(op);
    }
}

// Both branches are always evaluated, side effects included; only a
// condition of exactly 1 chooses the first.
void TExprConv::ParseTernary()
{
    ParseLogical();
    while (Token.Kind == Op("?")) {
        const bool first = PopCondition();
        NextToken();
        ParseAssign();
        Expect(Op(":"), SJ("三項演算子が不正です"));
        NextToken();
        ParseAssign();
        ApplyChoice(first);
    }
}

void TExprConv::ParseLogical()
{
    ParseBitwise();
    while (Token.Kind == Op("&&") || Token.Kind == Op("||")) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseBitwise();
        ApplyBinary(op);
    }
}

void TExprConv::ParseBitwise()
{
    ParseCompare();
    while (Token.Kind == Op("&") || Token.Kind == Op("|") || Token.Kind == Op("^")) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseCompare();
        ApplyBinary(op);
    }
}

void TExprConv::ParseCompare()
{
    ParseShift();
    while (IsCompareOp(Token.Kind)) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseShift();
        ApplyBinary(op);
    }
}

void TExprConv::ParseShift()
{
    ParseAdd();
    while (Token.Kind == Op("<<") || Token.Kind == Op(">>")) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseAdd();
        ApplyBinary(op);
    }
}

void TExprConv::ParseAdd()
{
    ParseMultiply();
    while (Token.Kind == Op("+") || Token.Kind == Op("-")) {
        const int32_t op = Token.Kind;
        NextToken();
        ParseMultiply();
        ApplyBinary(op);
    }
}

// Postfix "++" and "--" sit at this level and act on the operand so far:
// in 2 * F(1)++ they meet the product, a plain value, and change nothing.
void TExprConv::ParseMultiply()
{
    ParsePrimary();
    for (;;) {
        const int32_t op = Token.Kind;
        if (op == Op("++") || op == Op("--")) {
            ApplyStep(op == Op("++"), true);
            NextToken();
        } else if (op == Op("*") || op == Op("/") || op == Op("%")) {
            NextToken();
            ParsePrimary();
            ApplyBinary(op);
        } else {
            return;
        }
    }
}

void TExprConv::ParsePrimary()
{
    DepthGuard guard(*this);
    const int32_t kind = Token.Kind;
    switch (kind) {
    case tkNumber:
    case tkString:
        PushToken();
        NextToken();
        return;
    case Op("("):
        NextToken();
        ParseAssign();
        Expect(Op(")"), SJ("()の不一致があります"));
        NextToken();
        return;
    case Op("-"):
        NextToken();
        ParsePrimary();
        ApplyNegate();
        return;
    case Op("++"):
    case Op("--"):
        NextToken();
        ParsePrimary();
        ApplyStep(kind == Op("++"), false);
        return;
    case tkF:
    case tkS:
    case tkI:
    case tkR:
        NextToken();
        Expect(Op("("), SJ("変数の記述が不正です"));
        NextToken();
        ParseAssign();
        if (kind == tkR) {
            PushRandom();
            Expect(Op(")"), SJ("ランダムの()の不一致があります"));
        } else {
            if (kind == tkI)
                PushItemReference();
            else
                PushReference(kind == tkF ? ekFlag : ekSVar);
            Expect(Op(")"), SJ("変数の()の不一致があります"));
        }
        NextToken();
        return;
    case tkX:
        PushLastInput();
        NextToken();
        return;
    default: RaiseError(SJ("不正なトークンが使用されています"));
    }
}
