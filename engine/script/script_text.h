#pragma once
// Transformations of script text that need no engine state: cutting
// comments at load time, expanding braces and square brackets in message
// lines, and turning a condition's lone "=" into "==". All of them walk
// Shift-JIS text by characters, so a trail byte never counts as "#", "{",
// "}", "[", "]", "=" or an apostrophe.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

// Where the comment of the line begins (npos when it has none): an
// apostrophe toggles `quoted`, and a "#" while it is off starts it.
size_t CommentStart(std::string_view line, bool& quoted);

// The line with its comment cut: an apostrophe toggles `quoted`, and a "#"
// while it is off ends the line. `quoted` carries over from one line to the
// next for a whole load.
std::string CutComment(std::string_view line, bool& quoted);

// What the evaluation of a brace pair gives a message line: its text, and
// whether that text holds what the player typed. Such a text is shown as
// typed: its braces and square brackets are never expanded.
struct TEvaluatedText {
    // A plain text converts, so that an evaluator may answer just the text.
    TEvaluatedText(std::string text, bool verbatim = false) : Text(std::move(text)), Verbatim(verbatim) {}
    std::string Text;
    bool Verbatim = false;
};

using TEvaluateText = std::function<TEvaluatedText(const std::string& expression)>;
using TAddKeyword = std::function<void(const std::string& word)>;

// Upper bound on the brace passes beyond one per "{" of the line: a value
// whose text holds braces again is expanded again, but a value that keeps
// reproducing itself must not hold the engine forever.
constexpr int ExtraBracePasses = 64;

// Expands a message line: each "{...}" is replaced by the value of what it
// holds (first "{" with the first "}" after it, not nested), and each
// "[word]" by the word, which also goes to `addKeyword`. With `topLevel`
// off, a text without braces is evaluated as a whole. Unbalanced braces or
// brackets give an inline error text in place of the line. Errors of the
// evaluation pass through. A value marked verbatim is passed over by every
// later search for braces and brackets. Every pass costs what it looks at
// and what its value adds, not the length of the line; words of nested
// brackets that overlap are offered as long as all words of the line stay
// within its length and a fixed margin.
std::string ExpandText(
    std::string_view line, bool topLevel, const TEvaluateText& evaluate, const TAddKeyword& addKeyword);

// The condition with every lone "=" doubled; operators that hold "=" and
// everything inside apostrophes stay as they are.
std::string ConvertCondition(std::string_view condition);
