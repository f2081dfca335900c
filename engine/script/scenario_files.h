#pragma once
// Parts of the file-system paths of a scenario, as the class library splits
// them. Finding the files a script names is base/file_lookup.h.

#include <string>
#include <string_view>

#include "base/file_lookup.h"

std::string ExtractFilePath(std::string_view path);  // folder with its trailing "/", or empty
std::string ExtractFileName(std::string_view path);  // name without folder
std::string ExtractFileExt(std::string_view path);   // ".ext" of the name, or empty
std::string ChangeFileExt(std::string_view path, std::string_view ext);
