#include "engine/script/script_text.h"

#include <array>

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

bool HoldsBrace(const std::string& text)
{
    return sjis::Find(text, '{') != sjis::npos;
}

TBracePass ExpandBraces(std::string& text, bool first, const TEvaluateText& evaluate)
{
    const size_t open = sjis::Find(text, '{');
    if (open == sjis::npos) {
        if (first)
            return TBracePass::Done;
        text = evaluate(text);
        return HoldsBrace(text) ? TBracePass::More : TBracePass::Done;
    }
    // The closing brace is looked for after the opening one: a "}" standing
    // before it closes nothing.
    const size_t close = sjis::Find(text, '}', open + 1);
    if (close == sjis::npos) {
        text = UnbalancedBracesText() + text + ">";
        return TBracePass::Unbalanced;
    }
    std::string inner = text.substr(open + 1, close - open - 1);
    const TBracePass innerPass = ExpandBraces(inner, false, evaluate);
    text = text.substr(0, open) + inner + text.substr(close + 1);
    if (innerPass == TBracePass::Unbalanced)
        return TBracePass::Unbalanced;
    return HoldsBrace(text) ? TBracePass::More : TBracePass::Done;
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
    std::string text(line);
    const int passes = CountBraces(text) + ExtraBracePasses;
    bool first = topLevel;
    for (int pass = 0; pass < passes; ++pass) {
        if (ExpandBraces(text, first, evaluate) != TBracePass::More)
            break;
        first = false;
    }

    for (;;) {
        const size_t open = sjis::Find(text, '[');
        if (open == sjis::npos)
            break;
        const size_t close = sjis::Find(text, ']', open + 1);
        if (close == sjis::npos) {
            text = UnbalancedBracketsText() + text + ">";
            break;
        }
        std::string word = text.substr(open + 1, close - open - 1);
        if (addKeyword)
            addKeyword(word);
        text = text.substr(0, open) + word + text.substr(close + 1);
    }
    return text;
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
