#include "platform/rich_edit.h"

#include <QFont>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

#include "base/exceptions.h"
#include "base/sjis.h"

namespace {

constexpr int64_t LineBreakBytes = 2; // CR LF

int CountChars(std::string_view s)
{
    return static_cast<int>(sjis::CharCount(s));
}

// The view holds one UTF-16 unit per Shift-JIS character, so that character
// positions agree on both sides; every CP932 character lies in the basic
// plane, and one that does not convert shows as U+FFFD.
QString ToView(std::string_view text, int chars)
{
    QString whole = QString::fromUtf8(sjis::ToUtf8(text));
    if (whole.size() == chars)
        return whole;
    QString out;
    out.reserve(chars);
    for (size_t i = 0; i < text.size(); i = sjis::NextChar(text, i)) {
        const QString one = QString::fromUtf8(sjis::ToUtf8(text.substr(i, sjis::CharLen(text, i))));
        out.append(one.size() == 1 ? one.at(0) : QChar(0xFFFD));
    }
    return out;
}

// Longest stretch without a break that the view lays out as it stands; no
// box is that many characters wide.
constexpr int MaxUnbrokenChars = 256;

// Such a stretch may break after every this many characters: a wrapped
// line of it is at most that much shorter than the box.
constexpr int BreakEvery = 8;

constexpr char16_t ZeroWidthSpace = 0x200B;

// Characters of a line in one block of the view, at most.
constexpr int MaxBlockChars = 16384;

// The characters of `shown` that get a zero-width space before them: every
// BreakEvery-th of each stretch longer than MaxUnbrokenChars between two
// places where a line may break.
std::vector<TRichEditBreak> FindBreaks(const QString& shown)
{
    std::vector<TRichEditBreak> breaks;
    if (shown.size() <= MaxUnbrokenChars)
        return breaks;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, shown);
    int start = 0;
    int before = 0;
    while (start < shown.size()) {
        finder.setPosition(start);
        int next = static_cast<int>(finder.toNextBoundary());
        if (next <= start)
            next = static_cast<int>(shown.size());
        if (next - start > MaxUnbrokenChars) {
            for (int c = start + BreakEvery; c < next; c += BreakEvery) {
                breaks.push_back(TRichEditBreak{c, c + 1, before});
                ++before;
            }
        }
        start = next;
    }
    return breaks;
}

// The view of a line with its zero-width spaces.
QString WithBreaks(const QString& shown, const std::vector<TRichEditBreak>& breaks)
{
    if (breaks.empty())
        return shown;
    QString out;
    out.reserve(shown.size() + breaks.back().Before + (breaks.back().B - breaks.back().A));
    int done = 0;
    for (const TRichEditBreak& range : breaks) {
        out.append(QStringView(shown).mid(done, range.A - done));
        for (int c = range.A; c < range.B; ++c) {
            out.append(QChar(ZeroWidthSpace));
            out.append(shown.at(c));
        }
        done = range.B;
    }
    out.append(QStringView(shown).mid(done));
    return out;
}

// Byte offset of character `charIndex` of `text` (its length for the end).
size_t ByteOfChar(std::string_view text, int charIndex)
{
    size_t i = 0;
    for (int c = 0; c < charIndex && i < text.size(); ++c)
        i = sjis::NextChar(text, i);
    return i;
}

std::string OneLine(std::string_view text)
{
    std::string s(text);
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return s;
}

} // namespace

TRichEdit::TRichEdit(QWidget* parent) : FWidget(new QTextEdit(parent))
{
    FWidget->setReadOnly(true);
    FWidget->setUndoRedoEnabled(false);
    FWidget->setAcceptRichText(false);
    FWidget->setLineWrapMode(QTextEdit::WidgetWidth);
}

TRichEdit::~TRichEdit()
{
    if (FWidget && !FWidget->parent())
        delete FWidget.data();
}

QTextEdit* TRichEdit::Widget() const
{
    return FWidget.data();
}

const std::string& TRichEdit::Line(int index) const
{
    if (index < 0 || index >= LineCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FLines[static_cast<size_t>(index)].Text;
}

void TRichEdit::AddLine(std::string_view text)
{
    TLineInfo line{OneLine(text), 0, {}, {}};

    QTextCursor cursor(FWidget->document());
    cursor.movePosition(QTextCursor::End);
    if (!FLines.empty())
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    else
        cursor.setBlockCharFormat(QTextCharFormat());
    // Block by block: a block is a paragraph of its own in the view, so its
    // breaks are found in it alone, and only one block's view is held at once.
    const std::string_view whole = line.Text;
    size_t at = 0;
    do {
        size_t end = at;
        int chars = 0;
        while (end < whole.size() && chars < MaxBlockChars) {
            end = sjis::NextChar(whole, end);
            ++chars;
        }
        if (at > 0) {
            line.Cuts.push_back(line.Chars);
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        }
        const QString shown = ToView(whole.substr(at, end - at), chars);
        std::vector<TRichEditBreak> breaks = FindBreaks(shown);
        cursor.insertText(WithBreaks(shown, breaks), QTextCharFormat());
        const int before =
            line.Breaks.empty() ? 0 : line.Breaks.back().Before + line.Breaks.back().B - line.Breaks.back().A;
        for (TRichEditBreak& range : breaks)
            line.Breaks.push_back(TRichEditBreak{range.A + line.Chars, range.B + line.Chars, range.Before + before});
        line.Chars += chars;
        at = end;
    } while (at < whole.size());

    FExtraBlocks += static_cast<int64_t>(line.Cuts.size());
    FByteLength += static_cast<int64_t>(line.Text.size()) + LineBreakBytes;
    FCharLength += line.Chars + LineBreakBytes;
    FLines.push_back(std::move(line));
}

void TRichEdit::Clear()
{
    FWidget->document()->clear();
    FLines.clear();
    FExtraBlocks = 0;
    FCharCache = TCharCache();
    FByteLength = 0;
    FCharLength = 0;
    FSelStart = 0;
    FSelLength = 0;
}

std::string TRichEdit::Text() const
{
    std::string s;
    s.reserve(static_cast<size_t>(FByteLength));
    for (const TLineInfo& line : FLines) {
        s += line.Text;
        s += "\r\n";
    }
    return s;
}

int64_t TRichEdit::CharToBytePos(int64_t charPos) const
{
    int64_t bytes = 0;
    int64_t chars = std::max<int64_t>(0, charPos);
    for (const TLineInfo& line : FLines) {
        if (chars <= line.Chars)
            return bytes + static_cast<int64_t>(ByteOfChar(line.Text, static_cast<int>(chars)));
        chars -= line.Chars;
        bytes += static_cast<int64_t>(line.Text.size());
        // The line break: CR, then LF.
        const int64_t breakChars = std::min<int64_t>(chars, LineBreakBytes);
        bytes += breakChars;
        chars -= breakChars;
        if (chars == 0)
            return bytes;
    }
    return bytes;
}

void TRichEdit::SetSelStart(int64_t value)
{
    FSelStart = std::clamp<int64_t>(value, 0, FByteLength);
    FSelLength = 0;
}

void TRichEdit::SetSelLength(int64_t value)
{
    FSelLength = std::clamp<int64_t>(value, 0, FByteLength - FSelStart);
}

int64_t TRichEdit::LineBytes(int index) const
{
    return static_cast<int64_t>(FLines[static_cast<size_t>(index)].Text.size()) + LineBreakBytes;
}

int64_t TRichEdit::LineStartByte(int index) const
{
    // Counted from the nearer end.
    int64_t pos = 0;
    if (index > LineCount() / 2) {
        pos = FByteLength;
        for (int i = LineCount() - 1; i >= index; --i)
            pos -= LineBytes(i);
    } else {
        for (int i = 0; i < index; ++i)
            pos += LineBytes(i);
    }
    return pos;
}

TRichEdit::TPlace TRichEdit::Locate(int64_t pos) const
{
    if (FLines.empty())
        return TPlace{};
    pos = std::clamp<int64_t>(pos, 0, FByteLength);
    // From the end: runs and the caret mostly concern the newest line.
    int index = LineCount() - 1;
    int64_t start = LineStartByte(index);
    while (index > 0 && pos < start) {
        --index;
        start -= LineBytes(index);
    }
    const TLineInfo& line = FLines[static_cast<size_t>(index)];
    const int64_t offset = pos - start;
    // A position inside the line break stands for the end of the line.
    const int charIndex =
        offset >= static_cast<int64_t>(line.Text.size()) ? line.Chars : CharAtByte(index, static_cast<size_t>(offset));
    return TPlace{index, charIndex};
}

int TRichEdit::CharAtByte(int index, size_t offset) const
{
    const std::string& text = FLines[static_cast<size_t>(index)].Text;
    size_t i = 0;
    int c = 0;
    if (FCharCache.Line == index && FCharCache.Byte <= offset) {
        i = FCharCache.Byte;
        c = FCharCache.Char;
    }
    for (; i < text.size() && i < offset; i = sjis::NextChar(text, i))
        ++c;
    FCharCache = TCharCache{index, i, c};
    return c;
}

int TRichEdit::FirstBlock(int index) const
{
    if (FExtraBlocks == 0)
        return index;
    int64_t block = FWidget->document()->blockCount();
    for (int i = LineCount() - 1; i >= index; --i)
        block -= static_cast<int64_t>(FLines[static_cast<size_t>(i)].Cuts.size()) + 1;
    return static_cast<int>(block);
}

int TRichEdit::ViewOffset(const TLineInfo& line, int charIndex)
{
    const auto after = std::upper_bound(line.Breaks.begin(), line.Breaks.end(), charIndex,
        [](int c, const TRichEditBreak& range) { return c <= range.A; });
    if (after == line.Breaks.begin())
        return charIndex;
    // The space before the character itself lies at the boundary.
    const TRichEditBreak& range = *(after - 1);
    return charIndex + range.Before + std::min(charIndex, range.B) - range.A;
}

int TRichEdit::CharOfViewOffset(const TLineInfo& line, int offset)
{
    // The last character whose boundary lies at or before the offset.
    int low = 0;
    int high = line.Chars;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (ViewOffset(line, mid) <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

int TRichEdit::DocumentPosition(int64_t pos) const
{
    if (FLines.empty())
        return 0;
    const TPlace place = Locate(pos);
    const TLineInfo& line = FLines[static_cast<size_t>(place.Line)];
    // One position for each block break of the line before the place.
    const auto blocksBefore = std::upper_bound(line.Cuts.begin(), line.Cuts.end(), place.Char) - line.Cuts.begin();
    return FWidget->document()->findBlockByNumber(FirstBlock(place.Line)).position() + ViewOffset(line, place.Char) +
           static_cast<int>(blocksBefore);
}

void TRichEdit::FormatSelection(bool setColor, TColor color, bool setBold, bool bold)
{
    if (FSelLength <= 0)
        return;
    const int from = DocumentPosition(FSelStart);
    const int to = DocumentPosition(FSelStart + FSelLength);
    if (to <= from)
        return;
    QTextCursor cursor(FWidget->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    if (setColor) {
        const TColor rgb = ColorToRGB(color);
        format.setForeground(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    }
    if (setBold)
        format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    cursor.mergeCharFormat(format);
}

void TRichEdit::SetSelColor(TColor color)
{
    FormatSelection(true, color, false, false);
}

void TRichEdit::SetSelBold(bool bold)
{
    FormatSelection(false, clBlack, true, bold);
}

void TRichEdit::ClearSelection()
{
    if (FSelLength <= 0 || FLines.empty())
        return;
    const TPlace head = Locate(FSelStart);
    const TPlace tail = Locate(FSelStart + FSelLength);
    const int from = DocumentPosition(FSelStart);
    const int to = DocumentPosition(FSelStart + FSelLength);
    if (to > from) {
        QTextCursor cursor(FWidget->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }

    // The same cut on the lines: the first line keeps its head and takes the
    // last line's tail; the lines between go.
    const std::string& headLine = FLines[static_cast<size_t>(head.Line)].Text;
    const std::string& tailLine = FLines[static_cast<size_t>(tail.Line)].Text;
    std::string merged =
        headLine.substr(0, ByteOfChar(headLine, head.Char)) + tailLine.substr(ByteOfChar(tailLine, tail.Char));
    for (int i = head.Line; i <= tail.Line; ++i) {
        FByteLength -= LineBytes(i);
        FCharLength -= FLines[static_cast<size_t>(i)].Chars + LineBreakBytes;
    }
    // The view kept the spaces before the head's characters and those from
    // the tail's first character on.
    std::vector<TRichEditBreak> breaks;
    int before = 0;
    auto keep = [&](int a, int b, int shift) {
        if (a >= b)
            return;
        breaks.push_back(TRichEditBreak{a + shift, b + shift, before});
        before += b - a;
    };
    for (const TRichEditBreak& range : FLines[static_cast<size_t>(head.Line)].Breaks)
        keep(range.A, std::min(range.B, head.Char), 0);
    for (const TRichEditBreak& range : FLines[static_cast<size_t>(tail.Line)].Breaks)
        keep(std::max(range.A, tail.Char), range.B, head.Char - tail.Char);
    // So do the block breaks: those before the head's place, and those after
    // the tail's.
    std::vector<int> cuts;
    for (int c : FLines[static_cast<size_t>(head.Line)].Cuts)
        if (c <= head.Char)
            cuts.push_back(c);
    for (int c : FLines[static_cast<size_t>(tail.Line)].Cuts)
        if (c > tail.Char)
            cuts.push_back(c + head.Char - tail.Char);
    for (int i = head.Line; i <= tail.Line; ++i)
        FExtraBlocks -= static_cast<int64_t>(FLines[static_cast<size_t>(i)].Cuts.size());
    FExtraBlocks += static_cast<int64_t>(cuts.size());
    FCharCache = TCharCache();
    FLines.erase(FLines.begin() + head.Line + 1, FLines.begin() + tail.Line + 1);
    TLineInfo& line = FLines[static_cast<size_t>(head.Line)];
    line.Breaks = std::move(breaks);
    line.Cuts = std::move(cuts);
    line.Text = std::move(merged);
    line.Chars = CountChars(line.Text);
    FByteLength += LineBytes(head.Line);
    FCharLength += line.Chars + LineBreakBytes;
    FSelLength = 0;
    FSelStart = std::min(FSelStart, FByteLength);
}

void TRichEdit::SetReadOnly(bool value)
{
    FReadOnly = value;
    FWidget->setReadOnly(value);
}

void TRichEdit::ScrollCaret()
{
    QTextCursor cursor(FWidget->document());
    cursor.setPosition(DocumentPosition(FSelStart));
    FWidget->setTextCursor(cursor);
    FWidget->ensureCursorVisible();
}

void TRichEdit::HideCaret()
{
    FWidget->setCursorWidth(0);
}

void TRichEdit::SetFontSize(int points)
{
    QFont font = FWidget->font();
    font.setPointSize(std::max(1, points));
    FWidget->setFont(font);
}

std::vector<TRichEditRun> TRichEdit::LineRuns(int index) const
{
    std::vector<TRichEditRun> runs;
    if (index < 0 || index >= LineCount())
        return runs;
    const TLineInfo& line = FLines[static_cast<size_t>(index)];
    const int first = FirstBlock(index);
    for (size_t k = 0; k <= line.Cuts.size(); ++k) {
        const QTextBlock block = FWidget->document()->findBlockByNumber(first + static_cast<int>(k));
        // Where the block starts in the view of the whole line.
        const int base = k == 0 ? 0 : ViewOffset(line, line.Cuts[k - 1]);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.length() == 0)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            TRichEditRun run;
            const int offset = base + fragment.position() - block.position();
            run.StartChar = CharOfViewOffset(line, offset);
            run.Length = CharOfViewOffset(line, offset + fragment.length()) - run.StartChar;
            if (run.Length == 0)
                continue;
            if (format.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor c = format.foreground().color();
                run.Color =
                    RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
            }
            run.Bold = format.fontWeight() >= QFont::Bold;
            if (!runs.empty() && runs.back().Color == run.Color && runs.back().Bold == run.Bold &&
                runs.back().StartChar + runs.back().Length == run.StartChar)
                runs.back().Length += run.Length;
            else
                runs.push_back(run);
        }
    }
    return runs;
}
