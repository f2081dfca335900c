#pragma once
// Paths of the files a scenario names. Scripts name files in Shift-JIS with
// "\" (or "/") between folders and were written for a file system that does
// not care about case; here every part of such a name is looked up in its
// folder without regard to case, and a name that is still in Shift-JIS on
// disk (files copied from Windows unconverted) is found as well.

#include <string>
#include <string_view>

// The path of `sjisName` (Shift-JIS, relative to `folder`, which is a
// file-system path with or without a trailing separator; empty means the
// current folder). Parts that exist on disk are taken as they are found
// there; the first missing part and the rest are taken as written, so the
// result of a missing file is still the path a message can show.
std::string ScriptNameToPath(const std::string& folder, std::string_view sjisName);

// The same lookup for a name that is a file-system name already.
std::string ResolveFileName(const std::string& folder, std::string_view fileName);

bool FileExists(const std::string& path);

// The folder part of a file-system path: up to and with its last "/", or empty.
std::string ExtractFilePath(std::string_view path);

// Parts of a script name (Shift-JIS) or a file-system path. The name begins
// after the last "\" or "/"; a "\" that is the trail byte of a double-byte
// character ("表", "ソ") separates nothing.
std::string ExtractFileName(std::string_view path);  // name without folder
std::string ExtractFileExt(std::string_view path);   // ".ext" of the name, or empty
std::string ChangeFileExt(std::string_view path, std::string_view ext);
