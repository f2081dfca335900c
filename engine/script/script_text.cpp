#include "engine/script/script_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <utility>
#include <vector>

#include "base/sjis.h"

size_t CommentStart(std::string_view line, bool& quoted)
{
    for (size_t i = 0; i < line.size(); i = sjis::NextChar(line, i)) {
        if (sjis::CharLen(line, i) != 1)
            continue;
        if (line[i] == '\'')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

std::string CutComment(std::string_view line, bool& quoted)
{
    return std::string(line.substr(0, CommentStart(line, quoted)));
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

// What a byte of a line in the middle of its expansion is: script text, the
// player's own typing (which no search for braces or brackets may see), or
// a bracket the keyword passes have taken out.
enum TByteKind : uint8_t { bkScript, bkVerbatim, bkRemoved };

// A text with the kind of each of its bytes.
struct TMarkedText {
    std::string Text;
    std::vector<uint8_t> Kinds;

    void Append(std::string_view text, const uint8_t* kinds)
    {
        Text.append(text);
        Kinds.insert(Kinds.end(), kinds, kinds + text.size());
    }
    void Append(std::string_view text, TByteKind kind)
    {
        Text.append(text);
        Kinds.insert(Kinds.end(), text.size(), kind);
    }
};

// The first script-text `c` of `text` from `from` (a character start) on.
size_t FindScript(std::string_view text, const std::vector<uint8_t>& kinds, char c, size_t from)
{
    for (size_t at = sjis::Find(text, c, from); at != sjis::npos; at = sjis::Find(text, c, at + 1))
        if (kinds[at] == bkScript)
            return at;
    return sjis::npos;
}

// The brace passes. Each pass replaces the first "{" and the first "}"
// after it, with what lies between, by the value of that part; the text
// before the "{" is then final, as it holds no "{" any more. So the text
// is kept as a final part and the rest, which starts with the last value:
// a pass costs the length of what it looks at and of its value, never that
// of the whole line.
class TBraceExpansion {
public:
    TBraceExpansion(std::string_view line, const TEvaluateText& evaluate) : FEvaluate(evaluate)
    {
        FRest.assign(line);
        FRestKinds.assign(line.size(), bkScript);
    }

    // Runs up to `passes` passes; with `topLevel` off, a line without
    // braces is evaluated as a whole by the first.
    TMarkedText Run(bool topLevel, int passes)
    {
        size_t open = FindScript(FRest, FRestKinds, '{', 0);
        if (open == sjis::npos) {
            if (topLevel || passes <= 0)
                return Result();
            TEvaluatedText value = FEvaluate(FRest);
            SetRest(FRest.size(), value);
            open = FindScript(FRest, FRestKinds, '{', FStart);
            --passes;
        }
        for (; passes > 0 && open != sjis::npos; --passes) {
            // The closing brace is looked for after the opening one: a "}"
            // standing before it closes nothing.
            const size_t close = FindScript(FRest, FRestKinds, '}', open + 1);
            if (close == sjis::npos)
                return Enclosed(Result());
            FDone.Append(std::string_view(FRest).substr(FStart, open - FStart), &FRestKinds[FStart]);
            const std::string_view inner = std::string_view(FRest).substr(open + 1, close - open - 1);
            if (FindInPart(inner, FRestKinds, '{', open + 1) != sjis::npos) {
                // A "{" inside has no "}" of its own: that part alone gets
                // the error text, and the passes end.
                TMarkedText part;
                part.Append(UnbalancedBracesText(), bkScript);
                part.Append(inner, &FRestKinds[open + 1]);
                part.Append(">", bkScript);
                FDone.Append(part.Text, part.Kinds.data());
                FStart = close + 1;
                return Result();
            }
            TEvaluatedText value = FEvaluate(std::string(inner));
            SetRest(close + 1, value);
            open = FindScript(FRest, FRestKinds, '{', FStart);
        }
        return Result();
    }

private:
    // The search on a part of the rest that begins at `base`, its characters
    // counted from its own start.
    static size_t FindInPart(std::string_view part, const std::vector<uint8_t>& kinds, char c, size_t base)
    {
        for (size_t at = sjis::Find(part, c, 0); at != sjis::npos; at = sjis::Find(part, c, at + 1))
            if (kinds[base + at] == bkScript)
                return at;
        return sjis::npos;
    }

    // The rest up to `to` becomes the value (what it held before the brace
    // pair is final by now).
    void SetRest(size_t to, const TEvaluatedText& value)
    {
        const size_t n = value.Text.size();
        const uint8_t kind = value.Verbatim ? bkVerbatim : bkScript;
        if (n <= to) {
            FStart = to - n;
            std::copy(value.Text.begin(), value.Text.end(), FRest.begin() + static_cast<std::ptrdiff_t>(FStart));
            std::fill_n(FRestKinds.begin() + static_cast<std::ptrdiff_t>(FStart), n, kind);
            return;
        }
        // No room before the rest: it moves into a new buffer with as much
        // room again in front of it, so that moves stay rare.
        const size_t tail = FRest.size() - to;
        const size_t room = n + tail;
        std::string text(room, '\0');
        text.append(value.Text);
        text.append(FRest, to, tail);
        std::vector<uint8_t> kinds(room + n, kind);
        kinds.insert(kinds.end(), FRestKinds.begin() + static_cast<std::ptrdiff_t>(to), FRestKinds.end());
        FRest = std::move(text);
        FRestKinds = std::move(kinds);
        FStart = room;
    }

    TMarkedText Result()
    {
        if (FDone.Text.empty() && FStart == 0) {
            FDone.Text = std::move(FRest);
            FDone.Kinds = std::move(FRestKinds);
            FRest.clear();
            FRestKinds.clear();
            return std::move(FDone);
        }
        FDone.Append(std::string_view(FRest).substr(FStart), FRestKinds.data() + FStart);
        FStart = FRest.size();
        return std::move(FDone);
    }

    static TMarkedText Enclosed(TMarkedText text)
    {
        TMarkedText out;
        out.Append(UnbalancedBracesText(), bkScript);
        out.Append(text.Text, text.Kinds.data());
        out.Append(">", bkScript);
        return out;
    }

    const TEvaluateText& FEvaluate;
    TMarkedText FDone;
    std::string FRest;
    std::vector<uint8_t> FRestKinds;
    size_t FStart = 0;
};

// The keyword passes: each takes the first "[" and the first "]" after it
// out of the text and offers what lay between as a keyword. The search for
// the next "[" starts where the last one stood (the word may hold one); the
// search for its "]" starts after the last "]" at the earliest, as the word
// before it holds none. Brackets are only marked as taken out, and taken
// out of the text once at the end.
class TKeywordExpansion {
public:
    TKeywordExpansion(TMarkedText text, const TAddKeyword& addKeyword)
        : FText(std::move(text)), FAddKeyword(addKeyword), FWordBudget(FText.Text.size() + KeywordBudgetSlack)
    {
    }

    std::string Run()
    {
        const std::string_view text = FText.Text;
        size_t from = 0;
        size_t closeFrom = 0;
        for (;;) {
            const size_t open = FindScript(text, FText.Kinds, '[', from);
            if (open == sjis::npos)
                break;
            const size_t close = FindScript(text, FText.Kinds, ']', std::max(open + 1, closeFrom));
            if (close == sjis::npos)
                return UnbalancedBracketsText() + Visible() + ">";
            OfferWord(open, close);
            FText.Kinds[open] = bkRemoved;
            FText.Kinds[close] = bkRemoved;
            if (!FGaps.empty() && FGaps.back().End == close) {
                ++FGaps.back().End;
            } else {
                FGaps.push_back(TGap{close, close + 1, FRemovedBefore});
            }
            FRemovedBefore += 1;
            from = open + 1;
            closeFrom = close + 1;
        }
        return Visible();
    }

private:
    // Words of nested brackets overlap, and their total length could grow
    // with the square of the line's; once a word would take the words of
    // the line past its own length and this many bytes more, no further
    // word is offered.
    static constexpr size_t KeywordBudgetSlack = 65536;

    // A stretch of "]" bytes taken out, with how many were taken out before it.
    struct TGap {
        size_t Begin;
        size_t End;
        size_t Before;
    };

    // The word between `open` and `close` without the "]" bytes taken out
    // of it (the "[" bytes taken out all lie before `open`).
    void OfferWord(size_t open, size_t close)
    {
        while (FFirstGap < FGaps.size() && FGaps[FFirstGap].End <= open)
            ++FFirstGap;
        const size_t removed = FFirstGap < FGaps.size() ? FRemovedBefore - FGaps[FFirstGap].Before : 0;
        const size_t length = close - open - 1 - removed;
        if (!FAddKeyword || FWordsStopped)
            return;
        if (length > FWordBudget) {
            FWordsStopped = true;
            return;
        }
        FWordBudget -= length;
        std::string word;
        word.reserve(length);
        size_t at = open + 1;
        for (size_t g = FFirstGap; g < FGaps.size(); ++g) {
            word.append(FText.Text, at, FGaps[g].Begin - at);
            at = FGaps[g].End;
        }
        word.append(FText.Text, at, close - at);
        FAddKeyword(word);
    }

    std::string Visible() const
    {
        std::string out;
        out.reserve(FText.Text.size());
        for (size_t i = 0; i < FText.Text.size(); ++i)
            if (FText.Kinds[i] != bkRemoved)
                out += FText.Text[i];
        return out;
    }

    TMarkedText FText;
    const TAddKeyword& FAddKeyword;
    size_t FWordBudget;
    bool FWordsStopped = false;
    std::vector<TGap> FGaps;
    size_t FFirstGap = 0;
    size_t FRemovedBefore = 0;
};

int CountBraces(std::string_view text)
{
    int count = 0;
    for (size_t i = sjis::Find(text, '{'); i != sjis::npos; i = sjis::Find(text, '{', i + 1))
        ++count;
    return count;
}

} // namespace

std::string ExpandText(
    std::string_view line, bool topLevel, const TEvaluateText& evaluate, const TAddKeyword& addKeyword)
{
    // Most lines hold neither; they need no second copy, let alone the kinds
    // of their bytes.
    if (topLevel && sjis::Find(line, '{') == sjis::npos && sjis::Find(line, '[') == sjis::npos)
        return std::string(line);
    const int passes = CountBraces(line) + ExtraBracePasses;
    TMarkedText text = TBraceExpansion(line, evaluate).Run(topLevel, passes);
    return TKeywordExpansion(std::move(text), addKeyword).Run();
}

std::string ConvertCondition(std::string_view condition)
{
    static constexpr std::array<std::string_view, 15> Operators = {
        "==",
        "<=",
        ">=",
        "!=",
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
        "=~",
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
