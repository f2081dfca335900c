#include "engine/screen/msg_tags.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "base/sjis.h"

namespace {

struct TSplit {
    std::string Visible;
    TTagInfoList Runs;
    int Color = 0;
    bool Bold = false;
};

TSplit Split(std::string_view text, int color = 0, bool bold = false, int64_t byteBase = 0)
{
    TSplit s;
    s.Color = color;
    s.Bold = bold;
    SplitTags(text, s.Visible, s.Runs, byteBase, 0, s.Color, s.Bold);
    return s;
}

TTagInfo TagRun(int64_t startPos, int64_t endPos, int startChar, int endChar, int color, uint8_t bold)
{
    return TTagInfo{startPos, endPos, startChar, endChar, color, bold};
}

TEST(SplitTags, ColourAndBoldTagsMakeRunsUpToTheNextOne)
{
    const TSplit s = Split("<COL 0>a<COL 2>b<B>c</B>d", 0, false, 100);
    EXPECT_EQ(s.Visible, "abcd");
    ASSERT_EQ(s.Runs.Count(), 4);
    EXPECT_EQ(s.Runs.GetInfo(0), TagRun(100, 101, 0, 1, 0, 0));
    EXPECT_EQ(s.Runs.GetInfo(1), TagRun(101, 102, 1, 2, 2, 0));
    EXPECT_EQ(s.Runs.GetInfo(2), TagRun(102, 103, 2, 3, 2, 1));
    // The last run ends one character past the text.
    EXPECT_EQ(s.Runs.GetInfo(3), TagRun(103, 104, 3, 5, 2, 0));
    EXPECT_EQ(s.Color, 2);
    EXPECT_FALSE(s.Bold);
}

TEST(SplitTags, PositionsCountShiftJisBytesAndCharacters)
{
    const TSplit s = Split(SJ("あ<COL 3>い") + "x", 0, false, 10);
    EXPECT_EQ(s.Visible, SJ("あい") + "x");
    ASSERT_EQ(s.Runs.Count(), 1);
    EXPECT_EQ(s.Runs.GetInfo(0), TagRun(12, 15, 1, 4, 3, 0));
}

TEST(SplitTags, ColourTagKeepsTheBoldState)
{
    const TSplit s = Split("<col 5>x", 0, true);
    ASSERT_EQ(s.Runs.Count(), 1);
    EXPECT_EQ(s.Runs.GetInfo(0).ColorIndex, 5);
    EXPECT_EQ(s.Runs.GetInfo(0).Bold, 1);
}

TEST(SplitTags, TagsThatAreNotUnderstoodVanish)
{
    struct TCase {
        const char* Text;
        const char* Visible;
    };
    const TCase cases[] = {
        {"a<FOO 1>b", "ab"}, {"a<>b", "ab"}, {"a< COL 2>b", "ab"}, // the first word is empty
        {"a<COL 16>b", "ab"},                                      // no such colour
        {"a<COL -1>b", "ab"}, {"a<b", "a"},                        // never closed: the rest is hidden
        {"a<x<y>b", "ab"},                                         // a second "<" keeps collecting
        {"a>b", "a>b"},                                            // ">" outside a tag is text
    };
    for (const TCase& c : cases) {
        const TSplit s = Split(c.Text, 7, false);
        EXPECT_EQ(s.Visible, c.Visible) << c.Text;
        EXPECT_EQ(s.Runs.Count(), 0) << c.Text;
        EXPECT_EQ(s.Color, 7) << c.Text;
    }
}

TEST(SplitTags, NonNumericColourRaisesTheConversionError)
{
    EXPECT_THROW(Split("a<COL x>b"), EConvertError);
    EXPECT_THROW(Split("a<COL>b"), EConvertError);
}

TEST(TagInfoList, ShiftMovesRunsAndDropsThoseBehindTheStart)
{
    TTagInfoList list;
    list.Add(TagRun(0, 4, 0, 4, 1, 0));   // wholly before the new start: dropped
    list.Add(TagRun(4, 9, 4, 9, 2, 1));   // straddles it: starts at 0
    list.Add(TagRun(9, 12, 9, 13, 3, 0)); // after it: moved
    list.Shift(-1, -5);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetInfo(0), TagRun(3, 8, 0, 4, 2, 1));
    EXPECT_EQ(list.GetInfo(1), TagRun(8, 11, 4, 8, 3, 0));
}

TEST(TagInfoList, RunEndingAtTheLineEndStaysAtPositionZero)
{
    TTagInfoList list;
    list.Add(TagRun(0, 5, 0, 5, 4, 0));
    list.Shift(0, -5);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetInfo(0).StartChar, 0);
    EXPECT_EQ(list.GetInfo(0).EndChar, 0);
}

TEST(TagInfoList, CopyReplacesTheDestination)
{
    TTagInfoList a, b;
    a.Add(TagRun(0, 1, 0, 1, 1, 0));
    b.Add(TagRun(5, 6, 5, 6, 2, 1));
    b.Add(TagRun(6, 7, 6, 7, 3, 0));
    CopyTagInfoList(a, b);
    EXPECT_EQ(a.Items(), b.Items());
    CopyTagInfoList(a, a);
    EXPECT_EQ(a.Count(), 2);
}

} // namespace
