#include "platform/rich_edit.h"

#include <QTextEdit>
#include <gtest/gtest.h>

#include "base/sjis.h"

namespace {

using TRuns = std::vector<TRichEditRun>;

TEST(RichEdit, LinesCountShiftJisBytesWithLineBreaks)
{
    TRichEdit log;
    log.AddLine("ab");
    log.AddLine(SJ("あい"));
    EXPECT_EQ(log.LineCount(), 2);
    EXPECT_EQ(log.Text(), "ab\r\n" + SJ("あい") + "\r\n");
    EXPECT_EQ(log.TextByteLength(), 10);
    EXPECT_EQ(log.TextCharLength(), 8);
    EXPECT_EQ(log.Widget()->toPlainText().toStdString(), "ab\n" + sjis::ToUtf8(SJ("あい")));
    EXPECT_EQ(log.CharToBytePos(5), 6);
    EXPECT_EQ(log.CharToBytePos(3), 3); // between CR and LF
    log.AddLine("a\r\nb");
    EXPECT_EQ(log.LineCount(), 3); // one call, one line
}

TEST(RichEdit, SelectionFormatsTheCharactersAtByteRanges)
{
    TRichEdit log;
    log.AddLine("plain");
    const int64_t base = log.TextByteLength();
    log.AddLine(SJ("赤い") + "x");
    log.SetSelStart(base + 2);
    log.SetSelLength(3);
    log.SetSelColor(clRed);
    log.SetSelBold(true);
    log.SetSelLength(0);
    EXPECT_EQ(log.LineRuns(0), (TRuns{{0, 5, clBlack, false}}));
    EXPECT_EQ(log.LineRuns(1), (TRuns{{0, 1, clBlack, false}, {1, 2, clRed, true}}));
}

TEST(RichEdit, NewLinesStartInTheDefaultFormat)
{
    TRichEdit log;
    log.AddLine("abc");
    log.SetSelStart(0);
    log.SetSelLength(3);
    log.SetSelColor(clBlue);
    log.AddLine("def");
    EXPECT_EQ(log.LineRuns(1), (TRuns{{0, 3, clBlack, false}}));
}

TEST(RichEdit, ClearingFromTheStartRemovesLinesAndAHead)
{
    TRichEdit log;
    log.AddLine("one");
    log.AddLine("two");
    log.AddLine(SJ("三四"));
    log.SetReadOnly(false);
    log.SetSelStart(0);
    log.SetSelLength(log.CharToBytePos(7)); // "one\r\ntw"
    log.ClearSelection();
    log.SetReadOnly(true);
    EXPECT_EQ(log.LineCount(), 2);
    EXPECT_EQ(log.Line(0), "o");
    EXPECT_EQ(log.Line(1), SJ("三四"));
    EXPECT_EQ(log.TextByteLength(), 3 + 6);
    EXPECT_EQ(log.Widget()->toPlainText().toStdString(), "o\n" + sjis::ToUtf8(SJ("三四")));
}

TEST(RichEdit, ClearEmptiesEverything)
{
    TRichEdit log;
    log.AddLine("x");
    log.Clear();
    EXPECT_EQ(log.LineCount(), 0);
    EXPECT_EQ(log.TextByteLength(), 0);
    log.AddLine("y");
    EXPECT_EQ(log.Text(), "y\r\n");
}

} // namespace
