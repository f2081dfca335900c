#pragma once
// The unwrapped log of the message window (and the sub window's text box)
// as the message window writes it: lines of Shift-JIS text, a selection
// over byte positions of the whole text (every line followed by CR LF), and
// colour and bold for the selected characters. The windows' rich-edit boxes
// implement it; an engine without windows keeps a plain one.

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/colors.h"

class TMsgLog {
public:
    virtual ~TMsgLog() = default;

    virtual int LineCount() const = 0;
    // Line `index` (0 .. LineCount - 1) as it was added.
    virtual const std::string& Line(int index) const = 0;
    // Appends one line; line breaks inside the text count as blanks.
    virtual void AddLine(std::string_view text) = 0;
    virtual void Clear() = 0;

    // Bytes of the whole text, and its characters (CR and LF one each).
    virtual int64_t TextByteLength() const = 0;
    virtual int64_t TextCharLength() const = 0;
    // Byte position of character `charPos` of the whole text.
    virtual int64_t CharToBytePos(int64_t charPos) const = 0;

    // Setting the start empties the selection; both are clamped to the text.
    virtual void SetSelStart(int64_t value) = 0;
    virtual void SetSelLength(int64_t value) = 0;
    virtual void SetSelColor(TColor color) = 0;
    virtual void SetSelBold(bool bold) = 0;
    // Removes the selected text.
    virtual void ClearSelection() = 0;
    virtual void SetReadOnly(bool value) = 0;
    // Brings the selection start into view and hides the caret; a log no one
    // sees ignores both.
    virtual void ScrollCaret() = 0;
    virtual void HideCaret() = 0;
};
