#pragma once
// Token codes and limits of the evaluator, shared by its scanner and its parser.
// An operator's code is its characters packed into one integer, the first
// character in the highest byte ("<<=" is 3C3C3Dh).

#include <cstdint>
#include <string>
#include <string_view>

#include "base/sjis.h"
#include "engine/script/expr.h"

namespace expr_ops {

constexpr int32_t Op(std::string_view text)
{
    int32_t code = 0;
    for (char c : text)
        code = (code << 8) | static_cast<unsigned char>(c);
    return code;
}

constexpr int32_t tkEnd = -1;
constexpr int32_t tkNumber = 0;
constexpr int32_t tkString = 1;
// The variable letters are tokens of their own, whatever case they were written in.
constexpr int32_t tkF = 'F';
constexpr int32_t tkI = 'I';
constexpr int32_t tkR = 'R';
constexpr int32_t tkS = 'S';
constexpr int32_t tkX = 'X';

// Longest string value the evaluator builds. Splices, '+' and '+=' can
// double a text with every use, and results are evaluated again; without a
// bound a short script line could exhaust memory.
constexpr size_t MaxStringLength = 1u << 20;

// How deep the parser may nest: parentheses, unary operators, ternary
// branches, variable arguments and string splices each go one level deeper
// on the machine stack. Far beyond any script, far below the stack's size.
constexpr int MaxDepth = 256;

} // namespace expr_ops

class TExprConv::DepthGuard {
public:
    explicit DepthGuard(TExprConv& conv) : FConv(conv)
    {
        if (++FConv.FDepth > expr_ops::MaxDepth)
            FConv.RaiseError(SJ("スタックが溢れました"));
    }
    ~DepthGuard() { --FConv.FDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    TExprConv& FConv;
};
