#pragma once
// What the data-file commands tell the player. The commands write the
// message-window texts (they begin with a colon) as DatErrorLine;
// dsIntegerForString and dsStringForInteger, and the two target errors, are
// the texts of script errors instead.

#include "formats/dat/data_file.h"

#include <cstdint>
#include <string>
#include <string_view>

// The fixed text of a status (Shift-JIS). dsMissing puts Path (Shift-JIS,
// the full path) inside its text.
std::string DatStatusText(TDatStatus Status, std::string_view Path = {});
// "Error", the line number (1-based over the whole script) and the text.
std::string DatErrorLine(int32_t LineNumber, std::string_view Text);
