#include "classlib/font_substitution.h"

#include <algorithm>
#include <cctype>

namespace gdi {

namespace {

struct TSubstitute {
    const char* Windows;
    const char* Linux;
};

// The Japanese faces every Windows installation had, and the IPA faces drawn
// to the same metrics. Written both with full-width letters, as Japanese
// scripts name them, and in their English forms.
constexpr TSubstitute Substitutes[] = {
    {"ＭＳゴシック", "IPAGothic"},
    {"ＭＳ ゴシック", "IPAGothic"},
    {"MS Gothic", "IPAGothic"},
    {"ＭＳＰゴシック", "IPAPGothic"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS PGothic", "IPAPGothic"},
    {"MS UI Gothic", "IPAPGothic"},
    {"ＭＳ明朝", "IPAMincho"},
    {"ＭＳ 明朝", "IPAMincho"},
    {"MS Mincho", "IPAMincho"},
    {"ＭＳＰ明朝", "IPAPMincho"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS PMincho", "IPAPMincho"},
};

constexpr const char* DefaultNames[] = {"", "MS Sans Serif", "Default", "System", "MS Shell Dlg", "MS Shell Dlg 2"};

bool SameAscii(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string SubstituteFace(std::string_view faceName)
{
    while (!faceName.empty() && faceName.back() == ' ')
        faceName.remove_suffix(1);
    for (const char* name : DefaultNames)
        if (SameAscii(faceName, name))
            return {};
    for (const TSubstitute& s : Substitutes)
        if (SameAscii(faceName, s.Windows))
            return s.Linux;
    return std::string(faceName);
}

} // namespace gdi
