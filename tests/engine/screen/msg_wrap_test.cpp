#include "engine/screen/msg_wrap.h"

#include <gtest/gtest.h>

#include "base/sjis.h"

namespace {

// The wrapped lines of `text` (Shift-JIS) at the given capacity.
std::vector<std::string> Wrap(const std::string& text, int capacity)
{
    const std::vector<TTextChar> chars = DecodeChars(text);
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < chars.size()) {
        bool full = false;
        const size_t end = NextLineEnd(chars, begin, capacity, full);
        const size_t to = end < chars.size() ? chars[end].Pos : text.size();
        lines.push_back(text.substr(chars[begin].Pos, to - chars[begin].Pos));
        begin = end;
    }
    return lines;
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(LineStartForbidden, HoldsTheEightyThreeCharacters)
{
    EXPECT_EQ(LineStartForbidden.size(), 83u);
    for (char32_t c : {U'!', U'%', U')', U'。', U'、', U'ー', U'ゃ', U'ッ', U'ｯ', U'°', U'‰', U'」'})
        EXPECT_TRUE(IsLineStartForbidden(c)) << uint32_t(c);
    for (char32_t c : {U'a', U'(', U'「', U'あ', U'ア', U' ', U'\U0001F600'})
        EXPECT_FALSE(IsLineStartForbidden(c)) << uint32_t(c);
}

TEST(DecodeChars, GivesEachShiftJisCharacterItsCodePoint)
{
    const std::string text = "a" + SJ("§あ") + "\xB1" + "\x81";
    const std::vector<TTextChar> chars = DecodeChars(text);
    ASSERT_EQ(chars.size(), 5u);
    EXPECT_EQ(chars[0].Code, U'a');
    EXPECT_EQ(chars[1].Code, U'§'); // double-byte, yet one unit wide
    EXPECT_EQ(chars[1].Len, 2u);
    EXPECT_EQ(chars[2].Code, U'あ');
    EXPECT_EQ(chars[3].Code, U'ｱ'); // half-width katakana: single byte, two units
    EXPECT_EQ(chars[4].Code, U'\uFFFD');
    EXPECT_EQ(chars[4].Pos, 6u);
    EXPECT_EQ(CharUnits(chars[1].Code), 1);
    EXPECT_EQ(CharUnits(chars[3].Code), 2);
}

TEST(WrapCapacity, DefaultAreaHoldsNinetySixUnits)
{
    EXPECT_EQ(WrapCapacity(588, 12), 96);
    EXPECT_EQ(WrapCapacity(588, 1), 586); // a tiny font still counts
    EXPECT_EQ(WrapCapacity(0, 12), -1);
}

TEST(NextLineEnd, FullWidthLineTakesOneForbiddenCharacterMore)
{
    const std::string a = SJ("あ");
    // 48 full-width characters fill the line; a 49th "。" still joins it; the
    // 50th begins the next line.
    auto lines = Wrap(Repeat(a, 48) + SJ("。") + a, 96);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Repeat(a, 48) + SJ("。"));
    EXPECT_EQ(lines[1], a);

    lines = Wrap(Repeat(a, 49), 96);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Repeat(a, 48));

    // Only one forbidden character hangs over.
    lines = Wrap(Repeat(a, 48) + SJ("。。"), 96);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], SJ("。"));
}

TEST(NextLineEnd, LineMayPassCapacityByThreeUnits)
{
    // A 2-unit character at capacity - 1 and a 2-unit forbidden one after it.
    const std::string text = Repeat("a", 95) + SJ("あ。") + "b";
    const auto lines = Wrap(text, 96);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Repeat("a", 95) + SJ("あ。"));
    EXPECT_EQ(lines[1], "b");
}

TEST(NextLineEnd, ShortTextIsTheRemainderAndTinyCapacityStillAdvances)
{
    bool full = true;
    const auto chars = DecodeChars("abc");
    EXPECT_EQ(NextLineEnd(chars, 0, 96, full), 3u);
    EXPECT_FALSE(full);
    EXPECT_EQ(Wrap("abc", 0), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Wrap("a!b", -5), (std::vector<std::string>{"a!", "b"}));
}

} // namespace
