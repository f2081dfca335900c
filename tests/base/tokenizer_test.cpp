#include "base/tokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> Tokens(const std::string& text, char sep = ' ')
{
    std::vector<std::string> out;
    const int n = CountTokens(text, sep);
    for (int i = 0; i < n; ++i)
        out.push_back(GetToken(text, sep, i));
    return out;
}

using V = std::vector<std::string>;

TEST(Tokenizer, BlankSeparatedCommandLines)
{
    EXPECT_EQ(Tokens("*PICTURE  'a b.png'  1"), (V{"*PICTURE", "'a b.png'", "1"}));
    EXPECT_EQ(GetToken("*WAIT  3", ' ', 1), "3");
    EXPECT_EQ(GetToken("*WAIT 3", ' ', 2), "");
    EXPECT_EQ(GetToken("*WAIT 3", ' ', 100), "");
}

TEST(Tokenizer, SeparatorsAtTheEnds)
{
    EXPECT_EQ(Tokens("a b "), (V{"a", "b", ""}));
    EXPECT_EQ(Tokens("a b   "), (V{"a", "b", ""}));
    EXPECT_EQ(Tokens("  a"), (V{"", "a"}));
    EXPECT_EQ(CountTokens("", ' '), 1);
    EXPECT_EQ(GetToken("", ' ', 0), "");
    EXPECT_EQ(CountTokens(" ", ' '), 2);
}

TEST(Tokenizer, QuotesAndParenthesesStayWhole)
{
    EXPECT_EQ(Tokens("*SET F( 1 ) = 'it''s a' x"), (V{"*SET", "F( 1 )", "=", "'it''s a'", "x"}));
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(Tokens("*MSG 'open ended text"), (V{"*MSG", "'open ended text"}));
    // Apostrophes are ordinary inside parentheses: the part ends at the first
    // closing parenthesis of the outer level, even inside a quoted string; the
    // stray apostrophe left behind then opens a quote of its own.
    EXPECT_EQ(Tokens("S(') x') y"), (V{"S(')", "x') y"}));
    EXPECT_EQ(Tokens("S('a b') y"), (V{"S('a b')", "y"}));
    EXPECT_EQ(Tokens("F((1) 2) z"), (V{"F((1) 2)", "z"}));
    // Unclosed parenthesis: to the end of the text.
    EXPECT_EQ(Tokens("a F(1 2 3"), (V{"a", "F(1 2 3"}));
    // Parentheses are ordinary inside quotes.
    EXPECT_EQ(Tokens("'(' b"), (V{"'('", "b"}));
    // A doubled apostrophe at the very end leaves the string open.
    EXPECT_EQ(Tokens("'a'' b"), (V{"'a'' b"}));
}

TEST(Tokenizer, OtherSeparators)
{
    EXPECT_EQ(Tokens("look/see (a/b)/'c/d'", '/'), (V{"look", "see (a/b)", "'c/d'"}));
    EXPECT_EQ(Tokens("F(1)F(2)", ')'), (V{"F(1)F(2)"}));
    EXPECT_EQ(Tokens("a)b)", ')'), (V{"a", "b", ""}));
}

TEST(Tokenizer, DoubleByteCharactersNeverSplit)
{
    // Shift-JIS characters whose trail bytes equal separators in other encodings
    // of the line are still single characters.
    const std::string so = "\x83\x5C";
    EXPECT_EQ(Tokens("*MSG " + so + so + " x"), (V{"*MSG", so + so, "x"}));
    const std::string wideSpace = "\x81\x40";
    EXPECT_EQ(Tokens("a" + wideSpace + "b c"), (V{"a" + wideSpace + "b", "c"}));
}

} // namespace
