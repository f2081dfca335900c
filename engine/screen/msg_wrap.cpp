#include "engine/screen/msg_wrap.h"

#include <algorithm>
#include <string>

#include "base/sjis.h"

using namespace std::string_view_literals;

const std::u16string_view LineStartForbidden =
    // ASCII
    u"\u0021\u0025\u0029\u002C\u002E\u003A\u003B\u003F\u005D\u007D"
    // half-width forms
    u"\uFF61\uFF63\uFF64\uFF65\uFF9E\uFF9F"
    // punctuation, iteration and prolonged-sound marks
    u"\u3001\u3002\uFF0C\uFF0E\u30FB\uFF1A\uFF1B\uFF1F\uFF01\u309B\u309C\u30FD\u30FE\u309D\u309E\u3005\u30FC"
    // closing quotes and brackets
    u"\u2019\u201D\uFF09\u3015\uFF3D\uFF5D\u3009\u300B\u300D\u300F\u3011"
    // units and signs
    u"\u00B0\u2032\u2033\u2103\uFFE0\uFF05\u2030"
    // small hiragana
    u"\u3041\u3043\u3045\u3047\u3049\u3063\u3083\u3085\u3087\u308E"
    // small katakana
    u"\u30A1\u30A3\u30A5\u30A7\u30A9\u30C3\u30E3\u30E5\u30E7\u30EE\u30F5\u30F6"
    // half-width small katakana and the prolonged mark
    u"\uFF67\uFF68\uFF69\uFF6A\uFF6B\uFF6C\uFF6D\uFF6E\uFF6F\uFF70"sv;

bool IsLineStartForbidden(char32_t c)
{
    if (c > 0xFFFF)
        return false;
    return LineStartForbidden.find(static_cast<char16_t>(c)) != std::u16string_view::npos;
}

namespace {

// The first code point of a UTF-8 text (U+FFFD when there is none).
char32_t FirstCodePoint(std::string_view s, size_t& i)
{
    if (i >= s.size())
        return 0xFFFD;
    const auto b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (n < 0) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
    ++i;
    for (; n > 0; --n, ++i) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    }
    return c;
}

char32_t CodeOfOne(std::string_view sjisChar)
{
    const std::string utf8 = sjis::ToUtf8(sjisChar);
    size_t i = 0;
    return FirstCodePoint(utf8, i);
}

} // namespace

std::vector<TTextChar> DecodeChars(std::string_view sjisText)
{
    std::vector<TTextChar> chars;
    chars.reserve(sjisText.size());
    for (size_t i = 0; i < sjisText.size(); i = sjis::NextChar(sjisText, i))
        chars.push_back(TTextChar{static_cast<uint32_t>(i), static_cast<uint32_t>(sjis::CharLen(sjisText, i)), 0});

    // One conversion for the whole text; CP932 gives one code point per
    // character (an unconvertible one becomes one U+FFFD), so the two walks
    // line up. Should they not, each character is converted on its own.
    const std::string utf8 = sjis::ToUtf8(sjisText);
    size_t u = 0;
    size_t k = 0;
    while (u < utf8.size() && k < chars.size())
        chars[k++].Code = FirstCodePoint(utf8, u);
    if (k != chars.size() || u != utf8.size()) {
        for (TTextChar& c : chars)
            c.Code = CodeOfOne(sjisText.substr(c.Pos, c.Len));
    }
    return chars;
}

bool TCharReader::ReadPiece(std::vector<TTextChar>& chars)
{
    // Bytes of a chunk, about; it ends at a character's end.
    constexpr size_t PieceBytes = 1 << 16;
    if (FPos >= FText.size())
        return false;
    size_t end = FPos;
    while (end < FText.size() && end - FPos < PieceBytes)
        end = sjis::NextChar(FText, end);
    const size_t first = chars.size();
    const std::vector<TTextChar> chunk = DecodeChars(FText.substr(FPos, end - FPos));
    chars.insert(chars.end(), chunk.begin(), chunk.end());
    for (size_t i = first; i < chars.size(); ++i)
        chars[i].Pos += static_cast<uint32_t>(FPos);
    FPos = end;
    return true;
}

int WrapCapacity(int areaWidth, int lineHeight)
{
    const int half = std::max(1, lineHeight / 2);
    return (areaWidth - half - 1) / half;
}

size_t NextLineEnd(const std::vector<TTextChar>& chars, size_t begin, int capacity, bool& full)
{
    int units = 0;
    full = false;
    size_t i = begin;
    while (i < chars.size()) {
        units += CharUnits(chars[i].Code);
        ++i;
        if (units >= capacity) {
            full = true;
            if (i < chars.size() && IsLineStartForbidden(chars[i].Code))
                ++i;
            return i;
        }
    }
    return i;
}
