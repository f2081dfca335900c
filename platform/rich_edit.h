#pragma once
// The class library's rich-edit box over a Qt rich-text view: a read-only
// log of Shift-JIS lines whose characters carry a colour and a bold flag.
//
// Positions are byte positions in the box's whole text as the engine counts
// it: the lines in Shift-JIS, each followed by CR LF. A run added for the
// line just appended therefore starts at the byte length the text had before
// the line was added. The selection works on such positions; what it covers
// is mapped onto the characters of the view.
//
// The view lays a line out as text that wraps at word boundaries. A stretch
// with no break in it longer than any box shows would cost time growing with
// the square of its length; the view gets a zero-width space every few of
// its characters instead, where it may wrap at once. A line longer than a
// block of the view is shown in several blocks, one after the other: the
// view lays out and draws a block whole, so its cost and memory follow the
// length of the block, not that of the line.

#include <QPointer>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/colors.h"

class QTextEdit;
class QWidget;

// One stretch of equally formatted characters of a line.
struct TRichEditRun {
    int StartChar = 0;
    int Length = 0;
    TColor Color = clBlack;
    bool Bold = false;
    friend bool operator==(const TRichEditRun&, const TRichEditRun&) = default;
};

// Characters A up to B (not included) of a line each have a zero-width
// space before them in the view; Before counts those of the line's earlier
// ranges.
struct TRichEditBreak {
    int A = 0;
    int B = 0;
    int Before = 0;
};

class TRichEdit {
public:
    explicit TRichEdit(QWidget* parent = nullptr);
    ~TRichEdit();
    TRichEdit(const TRichEdit&) = delete;
    TRichEdit& operator=(const TRichEdit&) = delete;

    // The view, for the form that places it. It belongs to its parent widget
    // when it has one, otherwise to this object.
    QTextEdit* Widget() const;

    // The lines (Lines.Count, Lines[i], Lines.Add, Lines.Clear).
    int LineCount() const { return static_cast<int>(FLines.size()); }
    const std::string& Line(int index) const;
    // Appends one line in the box's default format. Line breaks inside the
    // text are shown as blanks, so one call is always one line.
    void AddLine(std::string_view text);
    void Clear();

    // The whole text: every line followed by CR LF.
    std::string Text() const;
    int64_t TextByteLength() const { return FByteLength; }
    // Characters of the whole text; CR and LF count one each.
    int64_t TextCharLength() const { return FCharLength; }
    // Byte position of character `charPos` of the whole text.
    int64_t CharToBytePos(int64_t charPos) const;

    int64_t SelStart() const { return FSelStart; }
    int64_t SelLength() const { return FSelLength; }
    // Clamped to the text; setting the start empties the selection.
    void SetSelStart(int64_t value);
    void SetSelLength(int64_t value);
    // Formats the selected characters.
    void SetSelColor(TColor color);
    void SetSelBold(bool bold);
    // Removes the selected text. The box takes this also while read-only,
    // as the engine clears text it trims only with read-only lifted.
    void ClearSelection();

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);

    // Scrolls the view so that the caret (the selection start) shows.
    void ScrollCaret();
    void HideCaret();
    void SetFontSize(int points);

    // The formatting of line `index`, as runs covering all its characters.
    std::vector<TRichEditRun> LineRuns(int index) const;

private:
    struct TLineInfo {
        std::string Text;
        int Chars = 0;
        // Where the view breaks a stretch too long to be laid out as one word.
        std::vector<TRichEditBreak> Breaks;
        // The characters that begin a further block of the view, ascending.
        std::vector<int> Cuts;
    };
    // A line and a character in it (its character count for the line's end).
    struct TPlace {
        int Line = 0;
        int Char = 0;
    };
    // Where byte position `pos` of the whole text lies; a position inside a
    // line break stands for the end of that line.
    TPlace Locate(int64_t pos) const;
    int DocumentPosition(int64_t pos) const;
    // Number of the view's first block of line `index`.
    int FirstBlock(int index) const;
    // Character of `line` at byte `offset` (inside it), from where the last
    // lookup in the same line ended when that lies before: runs are
    // coloured in the order of their positions.
    int CharAtByte(int index, size_t offset) const;
    // Offset in the view's block of the boundary before character `charIndex`
    // of line `line`, and back.
    static int ViewOffset(const TLineInfo& line, int charIndex);
    static int CharOfViewOffset(const TLineInfo& line, int offset);
    // Bytes of line `index` with its line break, and where it starts.
    int64_t LineBytes(int index) const;
    int64_t LineStartByte(int index) const;
    void FormatSelection(bool setColor, TColor color, bool setBold, bool bold);

    QPointer<QTextEdit> FWidget;
    std::vector<TLineInfo> FLines;
    int64_t FByteLength = 0;
    int64_t FCharLength = 0;
    int64_t FSelStart = 0;
    int64_t FSelLength = 0;
    bool FReadOnly = true;
    // Blocks of the view beyond one per line.
    int64_t FExtraBlocks = 0;
    struct TCharCache {
        int Line = -1;
        size_t Byte = 0;
        int Char = 0;
    };
    mutable TCharCache FCharCache;
};
