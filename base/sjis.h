#pragma once
// Byte strings in Shift-JIS (code page 932), as every script text, name and
// message is held. Searching, casing and trimming never look at a trail byte
// as if it were a character of its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace sjis {

constexpr size_t npos = std::string_view::npos;

// 81h-9Fh and E0h-FCh begin a double-byte character.
constexpr bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool IsLeadByte(char c)
{
    return IsLeadByte(static_cast<unsigned char>(c));
}

// Length in bytes of the character starting at s[i]: 2 for a lead byte
// followed by another byte, otherwise 1 (a lead byte at the very end is one
// character of its own).
size_t CharLen(std::string_view s, size_t i);

// Index of the character start that follows the one at i.
inline size_t NextChar(std::string_view s, size_t i)
{
    return i + CharLen(s, i);
}

// True when i is the start of a character (scanning from the beginning).
bool IsCharStart(std::string_view s, size_t i);

// First position >= from where `c` stands as a character of its own (never
// a trail byte), or npos. `from` must be a character start.
size_t Find(std::string_view s, char c, size_t from = 0);
// First character start >= from where `sub` begins, or npos.
size_t Find(std::string_view s, std::string_view sub, size_t from = 0);
// Last character start where `c` stands, or npos.
size_t FindLast(std::string_view s, char c);

// ASCII letters a-z / A-Z only; double-byte characters are copied unchanged.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Case-insensitive comparison in the same sense (for file names, keys).
bool SameText(std::string_view a, std::string_view b);

// Removes bytes <= 20h at both ends / the start / the end. The full-width
// space (81h 40h) is a character and stays.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Number of characters (a double-byte character counts once).
size_t CharCount(std::string_view s);

// Conversions at the edges (drawing, widgets, file names), through iconv's
// CP932. Bytes that cannot be converted become U+FFFD / "?" respectively.
std::string ToUtf8(std::string_view sjis);
std::string FromUtf8(std::string_view utf8);
// Strict form: false (and `out` untouched) when any character has no CP932 form.
bool TryFromUtf8(std::string_view utf8, std::string& out);

} // namespace sjis

// A Japanese literal written in UTF-8 in the source, as Shift-JIS bytes,
// converted once per call site.
#define SJ(utf8_literal)                                                                                               \
    ([]() -> const std::string& {                                                                                      \
        static const std::string converted_ = ::sjis::FromUtf8(utf8_literal);                                          \
        return converted_;                                                                                             \
    }())
