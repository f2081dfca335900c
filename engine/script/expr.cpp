// The evaluator's values: the stack, resolution of variable references,
// the operators, assignment, and the re-evaluation of results that hold a
// brace.

#include "engine/script/expr.h"

#include <cstdint>
#include <random>
#include <stdexcept>

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/script/expr_ops.h"
#include "engine/script/script_error.h"
#include "engine/script/variables.h"

using namespace expr_ops;

namespace {

// Scripts compute in 32-bit two's complement and wrap silently; the
// arithmetic goes through unsigned values so that no result is undefined.
int32_t Wrap(uint32_t v)
{
    return static_cast<int32_t>(v);
}
uint32_t U(int32_t v)
{
    return static_cast<uint32_t>(v);
}
int32_t AddI(int32_t a, int32_t b)
{
    return Wrap(U(a) + U(b));
}
int32_t SubI(int32_t a, int32_t b)
{
    return Wrap(U(a) - U(b));
}
int32_t MulI(int32_t a, int32_t b)
{
    return Wrap(U(a) * U(b));
}
int32_t NegI(int32_t a)
{
    return Wrap(0u - U(a));
}
int32_t ShlI(int32_t a, int32_t count)
{
    return Wrap(U(a) << (U(count) & 31u));
}
int32_t ShrI(int32_t a, int32_t count)
{
    return Wrap(U(a) >> (U(count) & 31u));
}

// The divisor is never 0 here (the callers raise first). The one quotient
// that overflows, INT_MIN / -1, wraps to INT_MIN with remainder 0.
int32_t DivI(int32_t a, int32_t b)
{
    return (a == INT32_MIN && b == -1) ? INT32_MIN : a / b;
}
int32_t ModI(int32_t a, int32_t b)
{
    return (b == -1) ? 0 : a % b;
}

const std::string& DivideByZeroText()
{
    return SJ("0で割ることは出来ません");
}

std::string ValueText(const TExprValue& v)
{
    return v.Kind == ekString ? v.StrValue : IntToStr(v.IntValue);
}

TExprValue IntValue(int32_t v)
{
    TExprValue r;
    r.IntValue = v;
    return r;
}

TExprValue StringValue(std::string text)
{
    TExprValue r;
    r.Kind = ekString;
    r.StrValue = std::move(text);
    return r;
}

// Case-insensitive in the single-byte letters only, and never matching
// from the middle of a double-byte character.
bool ContainsText(const std::string& text, const std::string& part)
{
    if (part.empty())
        return false;
    return sjis::Find(sjis::UpperCase(text), sjis::UpperCase(part)) != sjis::npos;
}

} // namespace

void TExprConv::SetLists(TItemList* items, TFlagList* flags, TSVarList* strVars)
{
    Items = items;
    Flags = flags;
    StrVars = strVars;
}

void TExprConv::RaiseError(const std::string& message) const
{
    throw EScriptError(message);
}

std::string TExprConv::Evaluate(std::string_view text)
{
    if (!Items || !Flags || !StrVars)
        throw std::logic_error("TExprConv::Evaluate before SetLists");

    Source.assign(text);
    LastInputRead = false;
    for (int pass = 0;; ++pass) {
        StackIndex = 1;
        Position = 0;
        FDepth = 0;
        NextToken();
        ParseAssign();
        TExprValue value = Pop();
        // The caller asks which variable its own text named, so the
        // reference is taken from the first pass, not from a re-evaluation.
        if (pass == 0)
            RawResult = value;
        ResolveValue(value);
        // The player's text is data: a brace typed into the command line
        // must not run as script.
        const bool again =
            value.Kind == ekString && pass < 64 && !LastInputRead && sjis::Find(value.StrValue, '{') != sjis::npos;
        if (again)
            Source = value.StrValue;
        Result = std::move(value);
        if (!again)
            return ValueText(Result);
    }
}

void TExprConv::Push(TExprValue&& value)
{
    // Slot 0 is never used and the push that would fill slot 63 overflows:
    // the stack holds 62 values.
    if (StackIndex >= static_cast<int>(Stack.size()) - 1)
        RaiseError(SJ("スタックが溢れました"));
    Stack[static_cast<size_t>(StackIndex)] = std::move(value);
    ++StackIndex;
}

TExprValue TExprConv::Pop()
{
    --StackIndex;
    if (StackIndex < 1) {
        StackIndex = 1;
        RaiseError(SJ("スタックに値がありません"));
    }
    return std::move(Stack[static_cast<size_t>(StackIndex)]);
}

void TExprConv::Expect(int32_t kind, const std::string& message)
{
    if (Token.Kind != kind)
        RaiseError(message);
}

int TExprConv::FlagIndex(const TExprValue& ref)
{
    int index = ref.IntValue;
    if (index < 0 && !ref.StrValue.empty())
        Flags->IndexOfName(ref.StrValue, index);
    if (index < 0 || index > FlagIndexMax)
        RaiseError(SJ("フラグ変数のインデックスが不正です (") + IntToStr(index) + "/" + IntToStr(FlagIndexMax) + ")");
    return index;
}

int TExprConv::SVarIndex(const TExprValue& ref)
{
    int index = ref.IntValue;
    if (index < 0 && !ref.StrValue.empty())
        StrVars->IndexOfName(ref.StrValue, index);
    if (index < 0 || index > SVarIndexMax)
        RaiseError(SJ("文字列変数のインデックスが不正です(") + IntToStr(index) + "/" + IntToStr(SVarIndexMax) + ")");
    return index;
}

int TExprConv::ItemIndex(const std::string& name)
{
    int index = -1;
    if (!Items->Find(name, index))
        RaiseError(SJ("アイテム") + name + SJ("がありません"));
    return index;
}

void TExprConv::ResolveValue(TExprValue& value)
{
    switch (value.Kind) {
    case ekFlag: value = IntValue(Flags->GetItem(FlagIndex(value))->Value); break;
    case ekItem: value = IntValue(Items->GetItem(ItemIndex(value.StrValue))->Count); break;
    case ekSVar: value = StringValue(StrVars->GetItem(SVarIndex(value))->Value); break;
    default: break;
    }
}

int32_t TExprConv::NextRandom(int32_t n)
{
    if (n <= 0)
        return 0;
    uint32_t word;
    if (OnRandom) {
        word = OnRandom();
    } else {
        if (FRandSeed == 0)
            FRandSeed = std::random_device{}() | 1u;
        FRandSeed = FRandSeed * 0x08088405u + 1u;
        word = FRandSeed;
    }
    // The run-time's scaling: the high half of word * n, always in 0..n-1.
    return static_cast<int32_t>((static_cast<uint64_t>(word) * static_cast<uint32_t>(n)) >> 32);
}

// Increments or decrements the variable the reference names and leaves in
// `ref` what the expression yields: the new value (prefix) or the old one
// (postfix). A plain integer stays as it is.
void TExprConv::StepVariable(TExprValue& ref, bool increment, bool postfix)
{
    const int32_t delta = increment ? 1 : -1;
    switch (ref.Kind) {
    case ekFlag: {
        TFlagRec* rec = Flags->GetItem(FlagIndex(ref));
        const int32_t old = rec->Value;
        rec->Value = AddI(old, delta);
        ref = IntValue(postfix ? old : rec->Value);
        break;
    }
    case ekItem: {
        TItemRec* rec = Items->GetItem(ItemIndex(ref.StrValue));
        const int32_t old = rec->Count;
        rec->Count = AddI(old, delta);
        ref = IntValue(postfix ? old : rec->Count);
        break;
    }
    case ekString:
    case ekSVar: RaiseError(increment ? SJ("文字列はインクリメント出来ません") : SJ("文字列はデクリメント出来ません"));
    default: break;
    }
}

void TExprConv::ApplyAssign(int32_t op)
{
    TExprValue right = Pop();
    TExprValue target = Pop();
    if (target.Kind != ekFlag && target.Kind != ekItem && target.Kind != ekSVar)
        RaiseError(SJ("代入先が変数ではありません"));

    // The target is read first: that binds a new name and reports a
    // missing item before the right side is looked at.
    int index = 0;
    if (target.Kind == ekFlag)
        index = FlagIndex(target);
    else if (target.Kind == ekSVar)
        index = SVarIndex(target);
    else
        index = ItemIndex(target.StrValue);
    ResolveValue(right);

    if (target.Kind == ekSVar) {
        TSVarRec* rec = StrVars->GetItem(index);
        std::string text = ValueText(right);
        if (op == Op("+=")) {
            if (rec->Value.size() + text.size() > MaxStringLength)
                RaiseError(SJ("文字列が長すぎます"));
            text.insert(0, rec->Value);
        }
        rec->Value = text;
        Push(StringValue(std::move(text)));
        return;
    }

    int32_t& store = target.Kind == ekFlag ? Flags->GetItem(index)->Value : Items->GetItem(index)->Count;
    const int32_t r = right.Kind == ekString ? StrToInt(right.StrValue) : right.IntValue;
    const int32_t old = store;
    int32_t value = r;
    switch (op) {
    case Op("+="): value = AddI(old, r); break;
    case Op("-="): value = SubI(old, r); break;
    case Op("*="): value = MulI(old, r); break;
    case Op("/="):
        if (r == 0)
            RaiseError(DivideByZeroText());
        value = DivI(old, r);
        break;
    case Op("%="):
        if (r == 0)
            RaiseError(DivideByZeroText());
        value = ModI(old, r);
        break;
    case Op("&="): value = old & r; break;
    case Op("|="): value = old | r; break;
    case Op("^="): value = old ^ r; break;
    case Op("<<="): value = ShlI(old, r); break;
    case Op(">>="): value = ShrI(old, r); break;
    default: break;
    }
    store = value;
    Push(IntValue(value));
}

// Every binary operator of levels 3 to 8: both operands resolved, left first.
// "&&" and "||" are the bitwise operators of the integer parts; '+' joins
// texts as soon as one side is a string; ">>" is the logical shift.
void TExprConv::ApplyBinary(int32_t op)
{
    TExprValue b = Pop();
    TExprValue a = Pop();
    ResolveValue(a);
    ResolveValue(b);
    const int32_t x = a.IntValue;
    const int32_t y = b.IntValue;
    const bool text = a.Kind == ekString || b.Kind == ekString;
    int32_t v = 0;
    switch (op) {
    case Op("&&"):
    case Op("&"): v = x & y; break;
    case Op("||"):
    case Op("|"): v = x | y; break;
    case Op("^"): v = x ^ y; break;
    case Op("=="): v = text ? ValueText(a) == ValueText(b) : x == y; break;
    case Op("!="):
    case Op("<>"): v = text ? ValueText(a) != ValueText(b) : x != y; break;
    case Op("<"): v = x < y; break;
    case Op(">"): v = x > y; break;
    case Op("<="): v = x <= y; break;
    case Op(">="): v = x >= y; break;
    case Op("=~"): v = ContainsText(ValueText(a), ValueText(b)); break;
    case Op("!~"): v = !ContainsText(ValueText(a), ValueText(b)); break;
    case Op("<<"): v = ShlI(x, y); break;
    case Op(">>"): v = ShrI(x, y); break;
    case Op("+"):
        if (text) {
            std::string left = ValueText(a);
            const std::string right = ValueText(b);
            if (left.size() + right.size() > MaxStringLength)
                RaiseError(SJ("文字列が長すぎます"));
            Push(StringValue(left.append(right)));
            return;
        }
        v = AddI(x, y);
        break;
    case Op("-"): v = SubI(x, y); break;
    case Op("*"): v = MulI(x, y); break;
    case Op("/"):
    case Op("%"):
        if (y == 0)
            RaiseError(DivideByZeroText());
        v = op == Op("/") ? DivI(x, y) : ModI(x, y);
        break;
    default: break;
    }
    Push(IntValue(v));
}

void TExprConv::ApplyNegate()
{
    TExprValue v = Pop();
    ResolveValue(v);
    Push(IntValue(NegI(v.IntValue)));
}

void TExprConv::ApplyStep(bool increment, bool postfix)
{
    TExprValue v = Pop();
    StepVariable(v, increment, postfix);
    Push(std::move(v));
}

bool TExprConv::PopCondition()
{
    TExprValue cond = Pop();
    ResolveValue(cond);
    return cond.IntValue == 1;
}

void TExprConv::ApplyChoice(bool first)
{
    TExprValue second = Pop();
    TExprValue chosen = Pop();
    if (!first)
        chosen = std::move(second);
    Push(std::move(chosen));
}

// F(...) and S(...): a text that reads as an integer is an index ('12' is
// flag 12); any other text is a name. The reference stays unresolved.
void TExprConv::PushReference(int32_t kind)
{
    TExprValue arg = Pop();
    ResolveValue(arg);
    TExprValue ref;
    ref.Kind = kind;
    if (arg.Kind != ekString) {
        ref.IntValue = arg.IntValue;
    } else if (!TryStrToInt(arg.StrValue, ref.IntValue)) {
        ref.IntValue = -1;
        ref.StrValue = std::move(arg.StrValue);
    }
    Push(std::move(ref));
}

// I(...): the argument must be a text, taken as written (not resolved).
void TExprConv::PushItemReference()
{
    TExprValue arg = Pop();
    if (arg.Kind != ekString)
        RaiseError(SJ("アイテム変数の記述が不正です"));
    TExprValue ref;
    ref.Kind = ekItem;
    ref.StrValue = std::move(arg.StrValue);
    Push(std::move(ref));
}

void TExprConv::PushRandom()
{
    TExprValue arg = Pop();
    ResolveValue(arg);
    const int32_t n = arg.Kind == ekString ? StrToInt(arg.StrValue) : arg.IntValue;
    Push(IntValue(NextRandom(n)));
}

void TExprConv::PushToken()
{
    Push(std::move(Token));
}

void TExprConv::PushLastInput()
{
    LastInputRead = true;
    Push(StringValue(OnLastInput ? OnLastInput() : std::string()));
}
