#pragma once
// The expression evaluator: every command argument, every {...} in message
// text and every expression typed into the debug window goes through it.
// Infix operators over 32-bit integers and Shift-JIS strings, the script's
// variables F(n), S(n), I(name), the random term R(n) and the last typed
// text X. Every fault raises EScriptError with its Japanese text; a text
// that is no integer where one is needed raises the run-time's
// EConvertError, which the interpreter reports as a conversion error.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/classes.h"
#include "base/expr_value.h"

class TItemList;
class TFlagList;
class TSVarList;

class TExprConv : public TObject {
public:
    std::string ClassName() const override { return "TExprConv"; }

    // Binds the three lists (not owned); must come before Evaluate.
    void SetLists(TItemList* items, TFlagList* flags, TSVarList* strVars);

    // Evaluates the text and answers its value as text (integers in decimal).
    // A result that holds a '{' is evaluated again, at most 64 more times,
    // unless it took the player's text.
    // Afterwards Result holds the resolved value and RawResult the value
    // before resolution: a reference when the given text was a bare
    // variable reference such as F(12), S(3) or I(name).
    std::string Evaluate(std::string_view text);

    TExprValue Result;
    TExprValue RawResult;
    // The last Evaluate read the player's text (X). Its result then holds
    // what the player typed, braces and all: it was not evaluated again, and
    // nobody may evaluate it again.
    bool LastInputRead = false;

    // Source of R(n): a uniformly distributed 32-bit word per call; R(n)
    // takes the high half of word * n, so it lies in 0..n-1 (0 for n <= 0).
    // Unset: a generator of our own, seeded from the system.
    std::function<uint32_t()> OnRandom;
    // The text the player last typed, for X. Unset: empty.
    std::function<std::string()> OnLastInput;

private:
    class DepthGuard;

    // Parse levels, lowest precedence first; each leaves one value on the stack.
    void ParseAssign();
    void ParseTernary();
    void ParseLogical();
    void ParseBitwise();
    void ParseCompare();
    void ParseShift();
    void ParseAdd();
    void ParseMultiply();
    void ParsePrimary();

    // Operand work, kept out of the recursive levels so that their frames
    // stay small; each pops its operands and pushes its result.
    void ApplyAssign(int32_t op);
    void ApplyBinary(int32_t op);
    void ApplyNegate();
    void ApplyStep(bool increment, bool postfix);
    bool PopCondition();
    void ApplyChoice(bool first);
    void PushReference(int32_t kind);
    void PushItemReference();
    void PushRandom();
    void PushToken();
    void PushLastInput();

    void Push(TExprValue&& value);
    TExprValue Pop();
    void ResolveValue(TExprValue& value);
    int FlagIndex(const TExprValue& ref);
    int SVarIndex(const TExprValue& ref);
    int ItemIndex(const std::string& name);
    void StepVariable(TExprValue& ref, bool increment, bool postfix);
    void Expect(int32_t kind, const std::string& message);
    int32_t NextRandom(int32_t n);

    void NextToken();
    std::string ScanBareString(bool quoted);
    void AppendSplice(std::string& text);
    void AppendValueText(std::string& text);
    void ScanNumber();

    [[noreturn]] void RaiseError(const std::string& message) const;

    TItemList* Items = nullptr;
    TFlagList* Flags = nullptr;
    TSVarList* StrVars = nullptr;

    std::string Source;
    TExprValue Token;
    std::array<TExprValue, 64> Stack;
    int StackIndex = 1;
    size_t Position = 0; // byte offset of the next character of Source
    int FDepth = 0;      // nesting of the parser, see DepthGuard
    uint32_t FRandSeed = 0;
};
