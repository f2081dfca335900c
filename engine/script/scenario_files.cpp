#include "engine/script/scenario_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QString>
#include <vector>

#include "base/sjis.h"

namespace {

bool PathExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The entry of `folder` that stands for `name`: the name itself when it
// exists, else an entry equal to it without regard to case, or one whose
// bytes are `sjisName`; empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name, const std::string& sjisName)
{
    if (PathExists(JoinPath(folder, name)))
        return name;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    const QString wanted = QString::fromUtf8(name);
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (QString::fromUtf8(entryName).compare(wanted, Qt::CaseInsensitive) == 0 ||
            (!sjisName.empty() && sjis::SameText(entryName, sjisName))) {
            found = entryName;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Splits at "\" and "/" standing as characters of their own (a trail byte
// 5Ch belongs to its character).
std::vector<std::string> SplitSjisPath(std::string_view name)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < name.size();) {
        const size_t len = sjis::CharLen(name, i);
        if (len == 1 && (name[i] == '\\' || name[i] == '/'))
            parts.emplace_back();
        else
            parts.back().append(name.substr(i, len));
        i += len;
    }
    return parts;
}

std::string Resolve(const std::string& folder, const std::vector<std::string>& names,
                    const std::vector<std::string>& sjisNames)
{
    std::string path = folder;
    bool found = true;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty() || name == ".")
            continue;
        std::string entry;
        if (found && name != "..")
            entry = FindEntry(path, name, sjisNames[i]);
        if (entry.empty()) {
            if (name != "..")
                found = false;
            entry = name;
        }
        path = JoinPath(path, entry);
    }
    return path;
}

} // namespace

std::string ScriptNameToPath(const std::string& folder, std::string_view sjisName)
{
    std::vector<std::string> sjisParts = SplitSjisPath(sjisName);
    std::vector<std::string> names;
    names.reserve(sjisParts.size());
    for (const std::string& part : sjisParts)
        names.push_back(sjis::ToUtf8(part));
    return Resolve(folder, names, sjisParts);
}

std::string ResolveFileName(const std::string& folder, std::string_view fileName)
{
    std::vector<std::string> names(1);
    for (char c : fileName) {
        if (c == '/')
            names.emplace_back();
        else
            names.back() += c;
    }
    std::string base = folder;
    if (!fileName.empty() && fileName[0] == '/')
        base.assign(1, '/');
    return Resolve(base, names, std::vector<std::string>(names.size()));
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

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
