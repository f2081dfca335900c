#include "engine/script/scenario_files.h"

#include "base/sjis.h"

std::string ExtractFilePath(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

namespace {

// Where the file name of `path` begins. 2Fh is never the trail byte of a
// Shift-JIS character (nor part of a UTF-8 sequence), so every "/" counts;
// a "\" counts only as a character of its own, which is searched for after
// the last "/" because that is a character start in either encoding.
size_t FileNameStart(std::string_view path)
{
    const size_t slash = path.rfind('/');
    const size_t from = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t back = sjis::FindLast(path.substr(from), '\\');
    return back == sjis::npos ? from : from + back + 1;
}

} // namespace

std::string ExtractFileName(std::string_view path)
{
    return std::string(path.substr(FileNameStart(path)));
}

std::string ExtractFileExt(std::string_view path)
{
    // No trail byte is 2Eh, so the last '.' byte is a character of its own.
    const std::string_view name = path.substr(FileNameStart(path));
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const size_t start = FileNameStart(path);
    const size_t dot = path.substr(start).rfind('.');
    const size_t cut = dot == std::string_view::npos ? path.size() : start + dot;
    return std::string(path.substr(0, cut)) + std::string(ext);
}
