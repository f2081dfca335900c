#pragma once
// Parts of the file-system paths of a scenario, as the class library splits
// them. Finding the files a script names is base/file_lookup.h.

#include <string>
#include <string_view>

#include "base/file_lookup.h"

// The folder part of a file-system path: up to and with its last "/", or empty.
std::string ExtractFilePath(std::string_view path);

// Parts of a script name (Shift-JIS) or a file-system path. The name begins
// after the last "\" or "/"; a "\" that is the trail byte of a double-byte
// character ("表", "ソ") separates nothing.
std::string ExtractFileName(std::string_view path); // name without folder
std::string ExtractFileExt(std::string_view path);  // ".ext" of the name, or empty
std::string ChangeFileExt(std::string_view path, std::string_view ext);
