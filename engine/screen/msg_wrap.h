#pragma once
// Word wrap of message text: widths in half-width units (a character whose
// code is at most 255 counts 1, any other 2), and the characters that may
// not begin a wrapped line, one of which may hang past the line's end.

#include <cstdint>
#include <string_view>
#include <vector>

// The 83 characters that may not begin a wrapped line.
extern const std::u16string_view LineStartForbidden;

bool IsLineStartForbidden(char32_t c);

inline int CharUnits(char32_t c)
{
    return c <= 255 ? 1 : 2;
}

// One character of a Shift-JIS text: where it starts, its byte length and
// its Unicode code point (U+FFFD when it has none).
struct TTextChar {
    uint32_t Pos = 0;
    uint32_t Len = 0;
    char32_t Code = 0;
};

std::vector<TTextChar> DecodeChars(std::string_view sjisText);

// Decodes a long text a chunk at a time, so that only a chunk's characters
// are held at once.
class TCharReader {
public:
    explicit TCharReader(std::string_view sjisText) : FText(sjisText) {}
    // Appends the characters of the next chunk, their positions counted from
    // the start of the whole text; false when none are left.
    bool ReadPiece(std::vector<TTextChar>& chars);

private:
    std::string_view FText;
    size_t FPos = 0;
};

// Half-width units a line of the message area holds: (width - h div 2 - 1)
// div (h div 2), with h div 2 at least 1.
int WrapCapacity(int areaWidth, int lineHeight);

// Index one past the last character of the line that starts at `begin`:
// characters are taken until their units reach or pass `capacity` (`full`
// is then set), and one following forbidden character joins the line too.
// Returns chars.size() with `full` clear when the rest of the text fits
// without reaching the capacity. At least one character is taken whatever
// the capacity.
size_t NextLineEnd(const std::vector<TTextChar>& chars, size_t begin, int capacity, bool& full);
