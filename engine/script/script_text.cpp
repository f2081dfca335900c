#include "engine/script/script_text.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include "base/sjis.h"

std::string CutComment(std::string_view line, bool& quoted)
{
    for (size_t i = 0; i < line.size(); i = sjis::NextChar(line, i)) {
        if (sjis::CharLen(line, i) != 1)
            continue;
        if (line[i] == '\'')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted)
            return std::string(line.substr(0, i));
    }
    return std::string(line);
}

namespace {

const std::string& UnbalancedBracesText()
{
    return SJ("Error : カッコがつりあっていません<");
}

const std::string& UnbalancedBracketsText()
{
    return SJ("Error : カッコ[ ]がつりあっていません<");
}

enum class TBracePass { Done, More, Unbalanced };

// A message line in the middle of its expansion: the text and, byte for
// byte, whether it is the player's own typing, which no search for braces
// or brackets may see.
class TMarkedText {
public:
    explicit TMarkedText(std::string text, bool verbatim = false)
        : FText(std::move(text)), FVerbatim(FText.size(), verbatim)
    {
    }

    const std::string& Text() const { return FText; }

    // The first `c` at or after `from` that is script text.
    size_t Find(char c, size_t from = 0) const
    {
        for (size_t at = sjis::Find(FText, c, from); at != sjis::npos; at = sjis::Find(FText, c, at + 1))
            if (!FVerbatim[at])
                return at;
        return sjis::npos;
    }

    TMarkedText Part(size_t pos, size_t count) const
    {
        TMarkedText part(FText.substr(pos, count));
        part.FVerbatim.assign(FVerbatim.begin() + static_cast<std::ptrdiff_t>(pos),
                              FVerbatim.begin() + static_cast<std::ptrdiff_t>(pos + count));
        return part;
    }

    void Replace(size_t pos, size_t count, const TMarkedText& with)
    {
        FText.replace(pos, count, with.FText);
        const auto at = FVerbatim.begin() + static_cast<std::ptrdiff_t>(pos);
        FVerbatim.erase(at, at + static_cast<std::ptrdiff_t>(count));
        FVerbatim.insert(FVerbatim.begin() + static_cast<std::ptrdiff_t>(pos), with.FVerbatim.begin(),
                         with.FVerbatim.end());
    }

    // The text between `prefix` and `suffix`, both script text.
    void Enclose(const std::string& prefix, const std::string& suffix)
    {
        Replace(0, 0, TMarkedText(prefix));
        Replace(FText.size(), 0, TMarkedText(suffix));
    }

    bool HoldsBrace() const { return Find('{') != sjis::npos; }

private:
    std::string FText;
    std::vector<bool> FVerbatim;
};

TBracePass ExpandBraces(TMarkedText& text, bool first, const TEvaluateText& evaluate)
{
    const size_t open = text.Find('{');
    if (open == sjis::npos) {
        if (first)
            return TBracePass::Done;
        TEvaluatedText value = evaluate(text.Text());
        text = TMarkedText(std::move(value.Text), value.Verbatim);
        return text.HoldsBrace() ? TBracePass::More : TBracePass::Done;
    }
    // The closing brace is looked for after the opening one: a "}" standing
    // before it closes nothing.
    const size_t close = text.Find('}', open + 1);
    if (close == sjis::npos) {
        text.Enclose(UnbalancedBracesText(), ">");
        return TBracePass::Unbalanced;
    }
    TMarkedText inner = text.Part(open + 1, close - open - 1);
    const TBracePass innerPass = ExpandBraces(inner, false, evaluate);
    text.Replace(open, close - open + 1, inner);
    if (innerPass == TBracePass::Unbalanced)
        return TBracePass::Unbalanced;
    return text.HoldsBrace() ? TBracePass::More : TBracePass::Done;
}

int CountBraces(std::string_view text)
{
    int count = 0;
    for (size_t i = sjis::Find(text, '{'); i != sjis::npos; i = sjis::Find(text, '{', i + 1))
        ++count;
    return count;
}

} // namespace

std::string ExpandText(std::string_view line, bool topLevel, const TEvaluateText& evaluate,
                       const TAddKeyword& addKeyword)
{
    TMarkedText text{std::string(line)};
    const int passes = CountBraces(line) + ExtraBracePasses;
    bool first = topLevel;
    for (int pass = 0; pass < passes; ++pass) {
        if (ExpandBraces(text, first, evaluate) != TBracePass::More)
            break;
        first = false;
    }

    for (;;) {
        const size_t open = text.Find('[');
        if (open == sjis::npos)
            break;
        const size_t close = text.Find(']', open + 1);
        if (close == sjis::npos) {
            text.Enclose(UnbalancedBracketsText(), ">");
            break;
        }
        if (addKeyword)
            addKeyword(text.Text().substr(open + 1, close - open - 1));
        text.Replace(close, 1, TMarkedText(""));
        text.Replace(open, 1, TMarkedText(""));
    }
    return text.Text();
}

std::string ConvertCondition(std::string_view condition)
{
    static constexpr std::array<std::string_view, 15> Operators = {
        "==", "<=", ">=", "!=", "+=", "-=", "*=", "/=", "%=", "<<=", ">>=", "&=", "|=", "^=", "=~",
    };
    std::string result;
    result.reserve(condition.size() + 8);
    size_t i = 0;
    while (i < condition.size()) {
        for (std::string_view op : Operators) {
            if (condition.substr(i, op.size()) == op) {
                result.append(op);
                i += op.size();
                break;
            }
        }
        if (i >= condition.size())
            break;
        const size_t len = sjis::CharLen(condition, i);
        const char c = condition[i];
        if (len == 1 && c == '\'') {
            // A quoted string, copied whole; two apostrophes inside stand for one.
            size_t end = i + 1;
            while (end < condition.size()) {
                if (condition[end] == '\'') {
                    if (end + 1 < condition.size() && condition[end + 1] == '\'') {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                end = sjis::NextChar(condition, end);
            }
            end = std::min(end, condition.size());
            result.append(condition.substr(i, end - i));
            i = end;
        } else if (len == 1 && c == '=') {
            result += "==";
            ++i;
        } else {
            result.append(condition.substr(i, len));
            i += len;
        }
    }
    return result;
}
