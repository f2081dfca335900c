#include "screen_fixture.h"

#include <QTextEdit>
#include <cstring>

#include "base/exceptions.h"
#include "engine/screen/msg_colors.h"

namespace {

// With the box glyphs of a 12-pixel font a half-width character is a box of
// 5 x 12 pixels every 6 pixels, a full-width one 11 x 12 every 12.
constexpr int AreaLeft = 26;
constexpr int AreaTop = 304;

class TMsgTest : public TScreenTest {
protected:
    void SetUp() override
    {
        TScreenTest::SetUp();
        MakeMsg();
    }

    // The pixel inside half-width character `k` of row `row`.
    TColor32 CharPixel(int row, int k, int dx = 2)
    {
        return Text().Pixel(AreaLeft + 6 * k + dx, AreaTop + 12 * row + 6);
    }

    // How many half-width characters row `row` shows.
    int RowChars(int row)
    {
        int k = 0;
        while (k < 98 && CharPixel(row, k) != 0)
            ++k;
        return k;
    }

    // Line i of the fill is i + 1 characters long, so each row tells which
    // backlog line it shows.
    void AddNumberedLines(int count)
    {
        for (int i = 0; i < count; ++i)
            Msg->AddText(std::string(size_t(i % 90 + 1), 'x'));
    }

    std::vector<uint8_t> TextPixels()
    {
        const TBitmap32& b = Text();
        const auto* p = reinterpret_cast<const uint8_t*>(b.Bits());
        return std::vector<uint8_t>(p, p + size_t(b.Width()) * size_t(b.Height()) * 4);
    }

    const TColor32 White = Color32(255, 255, 255, 255);
    const TColor32 Red = Color32(255, 0, 0, 255);
};

using TRuns = std::vector<TRichEditRun>;

TEST_F(TMsgTest, DefaultWindowGeometry)
{
    EXPECT_EQ(Msg->Rows(), 10);
    EXPECT_EQ(Msg->Right(), 26 + 588);
    EXPECT_EQ(Msg->Bottom(), 304 + 120);
    EXPECT_EQ(Msg->LineHeight(), 12);
    EXPECT_EQ(Grp->WindowLayer()->Location(), FloatRect(14, 292, 626, 436));
    EXPECT_EQ(Grp->WindowLayer()->Bitmap().Width(), 612);
    EXPECT_EQ(Msg->GetColor(2), clRed);
    EXPECT_EQ(Msg->GetColor(8), clBlack);
}

TEST_F(TMsgTest, FortyEightFullWidthCharactersFillALine)
{
    std::string a48;
    for (int i = 0; i < 48; ++i)
        a48 += SJ("あ");
    Msg->AddText(a48 + SJ("。") + SJ("い"));
    ASSERT_EQ(Msg->Backlog().Count(), 2);
    EXPECT_EQ(Msg->Backlog()[0], a48 + SJ("。"));
    EXPECT_EQ(Msg->Backlog()[1], SJ("い"));
    EXPECT_EQ(Log.LineCount(), 1);
    // The hanging "。" is drawn past the area's last full column.
    EXPECT_EQ(Text().Pixel(AreaLeft + 48 * 12 + 2, AreaTop + 6), White);
}

TEST_F(TMsgTest, TagsMakeRunsOnScreenInTheBacklogAndInTheLog)
{
    Msg->FTagMode = true;
    Msg->AddText("a <COL 2> b <B> c </B> d");
    ASSERT_EQ(Msg->Backlog().Count(), 1);
    EXPECT_EQ(Msg->Backlog()[0], "a  b  c  d");
    const TTagInfoList& runs = Msg->LineRuns(0);
    ASSERT_EQ(runs.Count(), 4);
    const int starts[] = {0, 2, 5, 8};
    const int colors[] = {0, 2, 2, 2};
    const int bolds[] = {0, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(runs.GetInfo(i).StartChar, starts[i]) << i;
        EXPECT_EQ(runs.GetInfo(i).ColorIndex, colors[i]) << i;
        EXPECT_EQ(runs.GetInfo(i).Bold, bolds[i]) << i;
    }
    // a in the font colour, b plain red, c red and bold (drawn again one
    // pixel to the right), d plain red.
    EXPECT_EQ(CharPixel(0, 0), White);
    EXPECT_EQ(CharPixel(0, 3), Red);
    EXPECT_EQ(CharPixel(0, 6), Red);
    EXPECT_EQ(CharPixel(0, 6, 5), Red);
    EXPECT_EQ(CharPixel(0, 9), Red);
    EXPECT_EQ(CharPixel(0, 9, 5), 0u);
    EXPECT_EQ(Log.LineRuns(0),
        (TRuns{{0, 2, clBlack, false}, {2, 3, clRed, false}, {5, 3, clRed, true}, {8, 2, clRed, false}}));
    // The next text starts in colour 2, not bold.
    Msg->AddText("e");
    EXPECT_EQ(Msg->CurColor(), 2);
    EXPECT_EQ(CharPixel(1, 0), Red);
    EXPECT_EQ(Log.LineRuns(1), (TRuns{{0, 1, clRed, false}}));
}

TEST_F(TMsgTest, ColourZeroIsTheFontColourOnScreenButBlackInTheLog)
{
    Msg->FTagMode = true;
    Msg->AddText("<COL 3>x<COL 0>y");
    EXPECT_EQ(CharPixel(0, 1), White);
    EXPECT_EQ(Log.LineRuns(0), (TRuns{{0, 1, clPurple, false}, {1, 1, clBlack, false}}));
}

TEST_F(TMsgTest, TagErrorsAndLiteralTags)
{
    Msg->FTagMode = true;
    EXPECT_THROW(Msg->AddText("a<COL x>b"), EConvertError);
    EXPECT_EQ(Log.LineCount(), 0); // the error comes before the log line
    Msg->AddText("a<COL 99>b<WHAT>c<d");
    EXPECT_EQ(Msg->Backlog()[0], "abc");
    EXPECT_EQ(Msg->CurColor(), 0);
    Msg->FTagMode = false;
    Msg->AddText("<B>");
    EXPECT_EQ(Msg->Backlog()[1], "<B>");
    EXPECT_FALSE(Msg->CurBold());
}

TEST_F(TMsgTest, LineBreaksInATextStartNewLines)
{
    Msg->AddText("one\r\ntwo\nthree\r");
    EXPECT_EQ(Msg->Backlog().Items(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(Log.LineCount(), 3);
    Msg->AddText("");
    EXPECT_EQ(Log.LineCount(), 4); // an empty text is a log line, not a backlog line
    EXPECT_EQ(Msg->Backlog().Count(), 3);
}

TEST_F(TMsgTest, BacklogTrimKeepsTheNewestLinesAndTheirRuns)
{
    Msg->FTagMode = true;
    for (int i = 0; i < 951; ++i)
        Msg->AddText("<COL " + std::to_string(i % 16) + ">L" + std::to_string(i));
    ASSERT_EQ(Msg->Backlog().Count(), 951);
    Msg->AddText("last");
    // 951 + 50 > 1000: the oldest 202 go before the text is wrapped.
    ASSERT_EQ(Msg->Backlog().Count(), 750);
    EXPECT_EQ(Msg->Backlog()[0], "L202");
    for (int k : {0, 1, 500, 748}) {
        const TTagInfoList& runs = Msg->LineRuns(k);
        ASSERT_GT(runs.Count(), 0) << k;
        EXPECT_EQ(runs.GetInfo(runs.Count() - 1).ColorIndex, (k + 202) % 16) << k;
    }
    EXPECT_EQ(Msg->FirstLine(), 740);
    EXPECT_EQ(Msg->Row(), 10);
    EXPECT_EQ(RowChars(9), 4); // "last" on the bottom row
}

TEST_F(TMsgTest, LogTrimDropsTheFirstQuarterOfItsCharacters)
{
    for (int i = 0; i < 1001; ++i)
        Msg->AddText("abcdefgh");
    // 1001 lines of 10 characters: 2502 characters go, 250 lines and "ab".
    ASSERT_EQ(Log.LineCount(), 751);
    EXPECT_EQ(Log.Line(0), "cdefgh");
    EXPECT_EQ(Log.Line(1), "abcdefgh");
    EXPECT_TRUE(Log.ReadOnly());
}

TEST_F(TMsgTest, ScrollingReportsWhatLiesAboveAndBelow)
{
    AddNumberedLines(15);
    EXPECT_EQ(Msg->FirstLine(), 5);
    EXPECT_EQ(RowChars(0), 6);

    EXPECT_EQ(Msg->ScrollUp(1), 3);
    EXPECT_TRUE(Msg->FScrolled);
    EXPECT_EQ(RowChars(0), 5);
    EXPECT_EQ(RowChars(9), 14);
    for (int i = 0; i < 3; ++i)
        Msg->ScrollUp(1);
    EXPECT_EQ(Msg->ScrollUp(1), 2);
    EXPECT_EQ(Msg->FirstLine(), 0);
    // At the first line nothing moves, and the window is still scrolled back.
    EXPECT_EQ(Msg->ScrollUp(1), 2);
    EXPECT_TRUE(Msg->FScrolled);
    EXPECT_EQ(RowChars(0), 1);

    EXPECT_EQ(Msg->ScrollDown(1), 3);
    EXPECT_EQ(RowChars(0), 2);
    for (int i = 0; i < 3; ++i)
        Msg->ScrollDown(1);
    // Onto the last line: both marks go and scroll-back ends.
    EXPECT_EQ(Msg->ScrollDown(1), 0);
    EXPECT_FALSE(Msg->FScrolled);
    EXPECT_EQ(Msg->FirstLine(), 5);
    EXPECT_EQ(RowChars(9), 15);
    EXPECT_EQ(Msg->ScrollDown(1), 0);
}

TEST_F(TMsgTest, ScrollingByMoreThanOneLine)
{
    AddNumberedLines(30);
    EXPECT_EQ(Msg->ScrollUp(25), 2);
    EXPECT_EQ(Msg->FirstLine(), 0);
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(RowChars(r), r + 1) << r;
    Msg->ScrollDown(3);
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(RowChars(r), r + 4) << r;
}

TEST_F(TMsgTest, TextAddedWhileScrolledBackWaitsForTheEnd)
{
    AddNumberedLines(15);
    Msg->ScrollUp(1);
    Msg->ScrollUp(1);
    const std::vector<uint8_t> view = TextPixels();
    Msg->FTagMode = true;
    Msg->AddText("<COL 2>new");
    EXPECT_EQ(TextPixels(), view);
    EXPECT_TRUE(Msg->FScrolled);
    EXPECT_EQ(Msg->FirstLine(), 3);
    ASSERT_EQ(Msg->Backlog().Count(), 16);
    EXPECT_EQ(Msg->LineRuns(15).GetInfo(Msg->LineRuns(15).Count() - 1).ColorIndex, 2);

    // Scrolling down reaches the new line with its colour.
    for (int i = 0; i < 3; ++i)
        Msg->ScrollDown(1);
    EXPECT_EQ(Msg->FirstLine(), 6);
    EXPECT_FALSE(Msg->FScrolled);
    EXPECT_EQ(CharPixel(9, 0), Red);
    EXPECT_EQ(RowChars(8), 15);
    Msg->AddText("more");
    EXPECT_EQ(RowChars(9), 4);
    EXPECT_EQ(RowChars(8), 3);
}

TEST_F(TMsgTest, ScrollToEndShowsTheNewestRowsAndHidesTheMarks)
{
    AddNumberedLines(15);
    Msg->ScrollUp(3);
    Grp->UpMarkLayer()->SetVisible(true);
    Msg->ScrollToEnd();
    EXPECT_FALSE(Msg->FScrolled);
    EXPECT_FALSE(Grp->UpMarkLayer()->Visible());
    EXPECT_EQ(RowChars(0), 6);
}

TEST_F(TMsgTest, SubWindowModeSendsTextOnlyThere)
{
    Host.SubWin = 1;
    Msg->AddText("<COL 1>blue<B>bold");
    EXPECT_EQ(Host.Sub.LineCount(), 1);
    EXPECT_EQ(Host.Sub.Line(0), "bluebold");
    EXPECT_EQ(Host.Sub.LineRuns(0), (TRuns{{0, 4, clBlue, false}, {4, 4, clBlue, true}}));
    EXPECT_EQ(Log.LineCount(), 0);
    EXPECT_EQ(Msg->Backlog().Count(), 0);
    EXPECT_EQ(Text().Pixel(AreaLeft + 2, AreaTop + 6), 0u);
    EXPECT_EQ(Msg->CurColor(), 1);

    Host.SubWin = 0;
    Msg->AddText("here");
    Host.SubWin = 1;
    Msg->Clear();
    EXPECT_EQ(Host.Sub.LineCount(), 0);
    EXPECT_EQ(Msg->Backlog().Count(), 1);
}

TEST_F(TMsgTest, ClearEmptiesWindowBacklogAndLogButKeepsTheTagState)
{
    Msg->FTagMode = true;
    Msg->AddText("<COL 4><B>x");
    Msg->Clear();
    EXPECT_EQ(Msg->Backlog().Count(), 0);
    EXPECT_EQ(Log.LineCount(), 0);
    EXPECT_EQ(Text().Pixel(AreaLeft + 2, AreaTop + 6), 0u);
    EXPECT_EQ(Msg->CurColor(), 4);
    EXPECT_TRUE(Msg->CurBold());
}

// A skin whose cells are each one colour: cell (cx, cy) is colour 3cy + cx.
std::unique_ptr<TBitmap32> CellSkin(int w, int h)
{
    auto skin = std::make_unique<TBitmap32>();
    skin->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            skin->SetPixel(x, y, Color32(uint8_t(30 * (3 * (y * 3 / h) + x * 3 / w)), 0, 0, 255));
    return skin;
}

TColor32 CellColor(int cx, int cy)
{
    return Color32(uint8_t(30 * (3 * cy + cx)), 0, 0, 255);
}

// Checks the middle of each cell of the frame's corners, edges and centre.
void ExpectFrameCells(const TBitmap32& frame, int h)
{
    const int xs[] = {h / 2, h + h / 2, frame.Width() - h + h / 2};
    const int ys[] = {h / 2, h + h / 2, frame.Height() - h + h / 2};
    for (int cy = 0; cy < 3; ++cy)
        for (int cx = 0; cx < 3; ++cx)
            EXPECT_EQ(frame.Pixel(xs[cx], ys[cy]), CellColor(cx, cy)) << cx << "," << cy << " h " << h;
}

TEST_F(TMsgTest, SkinIsStretchedToThreeCellsAndKeptAsGiven)
{
    const TBitmap32& frame = Grp->WindowLayer()->Bitmap();
    Msg->SetSkin(*CellSkin(30, 30));
    Msg->SetBounds(26, 304, 588, 120, MessageFont(12));
    EXPECT_EQ(Msg->Skin().Width(), 30);
    EXPECT_EQ(frame.Width(), 588 + 24);
    EXPECT_EQ(frame.Height(), 120 + 24);
    ExpectFrameCells(frame, 12);
    EXPECT_EQ(frame.DrawMode(), dmBlend);

    // Three cells wide but too low: stretched too, instead of raising.
    Msg->SetSkin(*CellSkin(36, 20));
    EXPECT_NO_THROW(Msg->SetBounds(26, 304, 588, 120, MessageFont(12)));
    ExpectFrameCells(frame, 12);

    // Another font size and back gives the same frame as before.
    Msg->SetSkin(*CellSkin(36, 36));
    Msg->SetBounds(26, 304, 588, 120, MessageFont(12));
    TBitmap32 before;
    before.Assign(&frame);
    Msg->SetBounds(26, 304, 588, 120, MessageFont(7));
    ExpectFrameCells(frame, 7);
    Msg->SetBounds(26, 304, 588, 120, MessageFont(12));
    ASSERT_EQ(frame.Width(), before.Width());
    EXPECT_EQ(std::memcmp(frame.Bits(), before.Bits(), size_t(frame.Width()) * size_t(frame.Height()) * 4), 0);
}

TEST_F(TMsgTest, TinyAndOddFontsAndAreasAreSafe)
{
    for (int height : {0, 1}) {
        Msg->SetBounds(26, 304, 588, 120, MessageFont(height));
        Msg->AddText("some text that wraps some text that wraps some text that wraps");
        EXPECT_GE(Msg->Rows(), 1);
    }
    Msg->SetBounds(26, 304, -10, -10, MessageFont(12));
    Msg->AddText("x");
    EXPECT_EQ(Msg->Rows(), 1);
    Msg->SetColor(16, clRed);
    Msg->SetColor(-1, clRed);
    EXPECT_EQ(Msg->GetColor(16), clBlack);
}

TEST_F(TMsgTest, LineRateSpacesRowsAndShiftsByThePitch)
{
    Msg->SetLineRate(1.5f);
    AddNumberedLines(12);
    // Rows lie 18 pixels apart; after two shifts the rows still show their
    // own lines.
    auto charsAt = [this](int row) {
        int k = 0;
        while (k < 98 && Text().Pixel(AreaLeft + 6 * k + 2, AreaTop + 18 * row + 6) != 0)
            ++k;
        return k;
    };
    EXPECT_EQ(charsAt(0), 3);
    EXPECT_EQ(charsAt(9), 12);
}

TEST_F(TMsgTest, HiddenWindowKeepsTheBacklogAndShowsItWhenShown)
{
    Msg->SetVisible(false);
    EXPECT_FALSE(Grp->WindowLayer()->Visible());
    EXPECT_FALSE(Grp->TextLayer()->Visible());
    Text().Clear(0);
    AddNumberedLines(3);
    EXPECT_EQ(Text().Pixel(AreaLeft + 2, AreaTop + 6), 0u);
    Msg->SetVisible(true);
    EXPECT_EQ(RowChars(2), 3);
}

} // namespace

namespace {

// The view's text without the zero-width spaces it may break long stretches at.
std::string ShownText(const TRichEdit& log)
{
    return log.Widget()->toPlainText().remove(QChar(0x200B)).toStdString();
}

} // namespace

TEST_F(TMsgTest, LongUnbrokenRunKeepsCharactersAndColours)
{
    // 300 characters with no place to break, half of them double-byte.
    std::string word;
    for (int i = 0; i < 150; ++i)
        word += "x" + SJ("α");
    Msg->FTagMode = true;
    Msg->AddText("a<COL 2>" + word + "<B>" + word + "</B>b");
    const std::string visible = "a" + word + word + "b";

    // Log: one line, its characters, colours on the right characters, and
    // the same text in the view.
    ASSERT_EQ(Log.LineCount(), 1);
    EXPECT_EQ(Log.Line(0), visible);
    EXPECT_EQ(ShownText(Log), sjis::ToUtf8(visible));
    EXPECT_EQ(Log.LineRuns(0),
        (TRuns{{0, 1, clBlack, false}, {1, 300, clRed, false}, {301, 300, clRed, true}, {601, 1, clRed, false}}));

    // Message window: wrapped lines that put the text together again, each
    // ending on a whole character, and each character in its run's colour.
    std::string joined;
    int first = 0;
    for (int i = 0; i < Msg->Backlog().Count(); ++i) {
        const std::string& line = Msg->Backlog()[i];
        size_t end = 0;
        int chars = 0;
        for (; end < line.size(); end = sjis::NextChar(line, end))
            ++chars;
        EXPECT_EQ(end, line.size()) << i;
        joined += line;
        const TTagInfoList& runs = Msg->LineRuns(i);
        for (int k = 0; k < chars; ++k) {
            const int g = first + k;
            const TTagInfo* run = nullptr;
            for (const TTagInfo& info : runs.Items())
                if (info.StartChar <= k)
                    run = &info;
            ASSERT_NE(run, nullptr) << i;
            EXPECT_EQ(run->ColorIndex, g == 0 ? 0 : 2) << g;
            EXPECT_EQ(run->Bold, g > 300 && g <= 600 ? 1 : 0) << g;
        }
        first += chars;
    }
    EXPECT_GT(Msg->Backlog().Count(), 5);
    EXPECT_EQ(joined, visible);
}
