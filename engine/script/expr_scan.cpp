// The evaluator's scanner: operators, variable letters, numbers, and strings
// with their {...} splices. Script text is Shift-JIS; the scanner looks at
// whole characters only, so a trail byte never counts as an operator, a
// brace or an apostrophe.

#include <array>
#include <vector>

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/script/expr.h"
#include "engine/script/expr_ops.h"

using namespace expr_ops;

namespace {

// Compared in this order; the first entry whose characters all match wins,
// so "<<=" is found before "<<" and "==" before "=".
constexpr std::array<std::string_view, 39> OperatorTable = {
    "&&",
    "||",
    "==",
    "<=",
    ">=",
    "!=",
    "<>",
    "=~",
    "!~",
    "+=",
    "-=",
    "*=",
    "/=",
    "%=",
    "<<=",
    ">>=",
    "&=",
    "|=",
    "^=",
    "<<",
    ">>",
    "|",
    "&",
    "?",
    ":",
    "^",
    "++",
    "--",
    "*",
    "/",
    "%",
    "+",
    "-",
    "<",
    ">",
    "=",
    "(",
    ")",
    "}",
};

// The table entries by their first character, still in table order, so a
// token needs only the few comparisons that can match.
struct OperatorIndex {
    std::array<std::vector<std::string_view>, 128> byFirst;
    OperatorIndex()
    {
        for (std::string_view op : OperatorTable)
            byFirst[static_cast<unsigned char>(op[0])].push_back(op);
    }
};

const OperatorIndex& Operators()
{
    static const OperatorIndex index;
    return index;
}

// The first character is known to match already.
bool Matches(const std::string& s, size_t pos, std::string_view op)
{
    if (pos + op.size() > s.size())
        return false;
    for (size_t i = 1; i < op.size(); ++i) {
        if (s[pos + i] != op[i])
            return false;
    }
    return true;
}

int HexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

void TExprConv::NextToken()
{
    const std::string& s = Source;
    const size_t n = s.size();
    // A '#' met at once ends the expression; after blanks it is text.
    if (Position >= n || s[Position] == '#') {
        Token.Kind = tkEnd;
        return;
    }
    while (Position < n && (s[Position] == ' ' || s[Position] == '\t'))
        ++Position;
    if (Position >= n) {
        Token.Kind = tkEnd;
        return;
    }

    const unsigned char c = static_cast<unsigned char>(s[Position]);
    if (c < 0x80) {
        for (std::string_view op : Operators().byFirst[c]) {
            if (Matches(s, Position, op)) {
                Token.Kind = Op(op);
                Position += op.size();
                return;
            }
        }
        const unsigned char upper = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
        if (upper == 'F' || upper == 'I' || upper == 'S' || upper == 'R' || upper == 'X') {
            Token.Kind = upper;
            ++Position;
            return;
        }
        if (c >= '0' && c <= '9') {
            ScanNumber();
            return;
        }
    }

    const bool quoted = c == '\'';
    if (quoted)
        ++Position;
    std::string text = ScanBareString(quoted);
    Token.Kind = tkString;
    Token.IntValue = 0;
    Token.StrValue = std::move(text);
}

void TExprConv::ScanNumber()
{
    const std::string& s = Source;
    const size_t n = s.size();
    uint32_t base = 10;
    // Only a lower-case x makes hexadecimal; "0X1F" is 0 followed by the letter X.
    if (s[Position] == '0' && Position + 1 < n && s[Position + 1] == 'x') {
        base = 16;
        Position += 2;
    }
    uint32_t value = 0;
    while (Position < n) {
        const unsigned char c = static_cast<unsigned char>(s[Position]);
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16)
            digit = HexDigit(c);
        if (digit < 0)
            break;
        value = value * base + static_cast<uint32_t>(digit);
        ++Position;
    }
    Token.Kind = tkNumber;
    Token.IntValue = static_cast<int32_t>(value);
    Token.StrValue.clear();
}

std::string TExprConv::ScanBareString(bool quoted)
{
    const std::string& s = Source;
    const size_t n = s.size();
    std::string text;
    while (Position < n) {
        // Copy the run of ordinary characters at once.
        size_t end = Position;
        while (end < n) {
            const char c = s[end];
            if (sjis::IsLeadByte(c)) {
                end += sjis::CharLen(s, end);
                continue;
            }
            if (c == '\'' || c == '{' || (!quoted && c == ')'))
                break;
            ++end;
        }
        if (text.size() + (end - Position) > MaxStringLength)
            RaiseError(SJ("文字列が長すぎます"));
        text.append(s, Position, end - Position);
        Position = end;
        if (Position >= n)
            break;

        if (s[Position] == '{') {
            ++Position;
            AppendSplice(text);
        } else if (s[Position] == '\'' && Position + 1 < n && s[Position + 1] == '\'') {
            text += '\'';
            Position += 2;
        } else {
            break; // the closing apostrophe, or the ')' that ends a bare string
        }
    }
    if (Position < n && s[Position] == '\'')
        ++Position;
    return text;
}

// A '{' inside a string: the text after it is a full expression that must
// end at '}'; its value is appended as text.
void TExprConv::AppendSplice(std::string& text)
{
    DepthGuard guard(*this);
    NextToken();
    ParseAssign();
    if (Token.Kind != Op("}"))
        RaiseError(SJ("}が閉じていません"));
    AppendValueText(text);
}

void TExprConv::AppendValueText(std::string& text)
{
    TExprValue value = Pop();
    ResolveValue(value);
    const std::string part = value.Kind == ekString ? std::move(value.StrValue) : IntToStr(value.IntValue);
    if (text.size() + part.size() > MaxStringLength)
        RaiseError(SJ("文字列が長すぎます"));
    text += part;
}
