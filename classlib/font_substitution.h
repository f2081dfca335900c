#pragma once
// Windows face names and the installed families that stand in for them.

#include <string>
#include <string_view>

namespace gdi {

// The family that replaces a Windows face name (UTF-8), or an empty string
// when the name stands for the default face ("MS Sans Serif", "Default",
// "System", no name). Any other name is returned unchanged.
std::string SubstituteFace(std::string_view faceName);

// Families tried, in order, for the default face.
constexpr const char* DefaultFamilies[] = {"IPAPGothic", "IPAGothic", "DejaVu Sans"};
constexpr const char* DefaultFixedFamilies[] = {"IPAGothic", "DejaVu Sans Mono", "IPAPGothic", "DejaVu Sans"};
// Families tried for characters the chosen face lacks (Japanese text in a
// Latin face).
constexpr const char* FallbackFamilies[] = {"IPAPGothic", "IPAGothic"};

} // namespace gdi
