#include "base/file_lookup.h"

#include <dirent.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

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

// The code points of `utf8`; false when it is no well-formed UTF-8.
bool DecodeUtf8(std::string_view utf8, std::u32string& out)
{
    out.clear();
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int more = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(more) >= utf8.size() && more > 0)
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto t = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((t & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8.
        if ((more == 2 && c < 0x800) || (more == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        out.push_back(c);
        i += static_cast<size_t>(more) + 1;
    }
    return true;
}

// The upper-case mapping of the Unicode tables, whatever locale the
// program runs in; ASCII alone when the system has no UTF-8 locale.
locale_t UnicodeLocale()
{
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// A name as the comparison sees it: its characters upper-cased one by one.
// A name that is no UTF-8 is a name in Shift-JIS bytes.
std::u32string FoldedName(std::string_view name)
{
    std::u32string chars;
    if (!DecodeUtf8(name, chars))
        DecodeUtf8(sjis::ToUtf8(name), chars);
    const locale_t locale = UnicodeLocale();
    for (char32_t& c : chars) {
        if (locale != static_cast<locale_t>(nullptr))
            c = static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), locale));
        else if (c >= U'a' && c <= U'z')
            c -= 0x20;
    }
    return chars;
}

// The entry of `folder` that stands for `name`: the name itself when it
// exists; else the entry whose bytes are `rawName` (a script's Shift-JIS
// name) or whose folded name equals the name's, the first in byte order;
// empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name, const std::string& rawName)
{
    if (PathExists(JoinPath(folder, name)))
        return name;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    const std::u32string wanted = FoldedName(name);
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (!found.empty() && entryName >= found)
            continue;
        if ((!rawName.empty() && entryName == rawName) || FoldedName(entryName) == wanted)
            found = entryName;
    }
    ::closedir(dir);
    return found;
}

std::string Resolve(
    const std::string& folder, const std::vector<std::string>& names, const std::vector<std::string>& rawNames)
{
    std::string path = folder;
    bool found = true;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty() || name == ".")
            continue;
        std::string entry;
        if (found && name != "..")
            entry = FindEntry(path, name, rawNames[i]);
        if (entry.empty()) {
            if (name != "..")
                found = false;
            entry = name;
        }
        path = JoinPath(path, entry);
    }
    return path;
}

// Splits at "\" and "/" standing as characters of their own.
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

} // namespace

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

std::string ScriptNameToPath(const std::string& folder, std::string_view sjisName)
{
    std::vector<std::string> rawParts = SplitSjisPath(sjisName);
    std::vector<std::string> names;
    names.reserve(rawParts.size());
    for (const std::string& part : rawParts)
        names.push_back(sjis::ToUtf8(part));
    return Resolve(folder, names, rawParts);
}
