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

namespace {

TEST(RichEdit, LongUnbrokenLineKeepsItsPositionsThroughFormatAndCut)
{
    // 400 characters without a place to break, a third double-byte.
    std::string word;
    for (int i = 0; i < 133; ++i)
        word += "xy" + SJ("α");
    word += "z";
    TRichEdit log;
    log.AddLine("head");
    const int64_t base = log.TextByteLength();
    log.AddLine(word);
    const auto shown = [&log] { return log.Widget()->toPlainText().remove(QChar(0x200B)).toStdString(); };
    EXPECT_EQ(shown(), "head\n" + sjis::ToUtf8(word));

    // Characters 100 to 299 (bytes 133 to 532 of the line) in red.
    log.SetSelStart(base + 133);
    log.SetSelLength(267);
    log.SetSelColor(clRed);
    log.SetSelLength(0);
    EXPECT_EQ(log.LineRuns(1), (TRuns{{0, 100, clBlack, false}, {100, 200, clRed, false}, {300, 100, clBlack, false}}));

    // Cutting the first line and 150 characters of the long one.
    log.SetReadOnly(false);
    log.SetSelStart(0);
    log.SetSelLength(base + 200);
    log.ClearSelection();
    log.SetReadOnly(true);
    ASSERT_EQ(log.LineCount(), 1);
    EXPECT_EQ(log.Line(0), word.substr(200));
    EXPECT_EQ(shown(), sjis::ToUtf8(word.substr(200)));
    EXPECT_EQ(log.LineRuns(0), (TRuns{{0, 150, clRed, false}, {150, 100, clBlack, false}}));
}

TEST(RichEdit, LineLongerThanABlockKeepsItsPositionsThroughFormatAndCut)
{
    // 40 000 characters of words, a quarter double-byte: several blocks of the view.
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "ab " + SJ("α");
    TRichEdit log;
    log.AddLine(text);
    const int64_t next = log.TextByteLength();
    log.AddLine("tail");
    const auto shown = [&log] { return log.Widget()->toPlainText().remove(QChar(0x200B)).remove('\n').toStdString(); };
    EXPECT_EQ(shown(), sjis::ToUtf8(text) + "tail");

    // Characters 16 000 to 17 000 (bytes 20 000 to 21 250), across a block's end, in red.
    log.SetSelStart(20000);
    log.SetSelLength(1250);
    log.SetSelColor(clRed);
    log.SetSelStart(next + 1);
    log.SetSelLength(2);
    log.SetSelBold(true);
    log.SetSelLength(0);
    EXPECT_EQ(log.LineRuns(0),
        (TRuns{{0, 16000, clBlack, false}, {16000, 1000, clRed, false}, {17000, 23000, clBlack, false}}));
    EXPECT_EQ(log.LineRuns(1), (TRuns{{0, 1, clBlack, false}, {1, 2, clBlack, true}, {3, 1, clBlack, false}}));

    // Cutting the first 16 500 characters, into the second block.
    log.SetReadOnly(false);
    log.SetSelStart(0);
    log.SetSelLength(20625);
    log.ClearSelection();
    log.SetReadOnly(true);
    ASSERT_EQ(log.LineCount(), 2);
    EXPECT_EQ(log.Line(0), text.substr(20625));
    EXPECT_EQ(shown(), sjis::ToUtf8(text.substr(20625)) + "tail");
    EXPECT_EQ(log.LineRuns(0), (TRuns{{0, 500, clRed, false}, {500, 23000, clBlack, false}}));
    EXPECT_EQ(log.LineRuns(1), (TRuns{{0, 1, clBlack, false}, {1, 2, clBlack, true}, {3, 1, clBlack, false}}));
}

} // namespace
