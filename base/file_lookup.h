#pragma once
// Finding the files a game names. Games were written for a file system that
// does not tell letter case apart, and their files are often copied from
// Windows with names in either case, or with names still in Shift-JIS bytes.
// Every part of a name is therefore looked up in its folder as that file
// system compared names: each character upper-cased (full-width and other
// non-ASCII letters included) and names on disk that are no UTF-8 read as
// Shift-JIS. The engine and the packer both find files this way, so they
// always pick the same file.

#include <string>
#include <string_view>

// True when `path` names a regular file (symbolic links followed).
bool FileExists(const std::string& path);

// The path of `fileName` (a file-system name, "/" between folders) relative
// to `folder` (empty means the current folder; an absolute name ignores it).
// Each part is the entry of its folder of exactly that name when there is
// one, else the entry equal to it without regard to case (of several, the
// first in byte order). The first part that matches no entry and the rest
// are taken as written, so the path of a missing file is still the path a
// message can show.
std::string ResolveFileName(const std::string& folder, std::string_view fileName);

// The same for a name as a script writes it: Shift-JIS, with "\" or "/"
// between folders (a trail byte 5Ch belongs to its character).
std::string ScriptNameToPath(const std::string& folder, std::string_view sjisName);
