#include "base/inifile.h"

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/streams.h"

#include <string_view>

namespace {

// A settings file is a few hundred bytes. One far larger is no settings file
// of ours (garbage, or something else under its name): it reads as absent,
// so nothing waits on reading it, and a write replaces it with a new file.
constexpr int64_t MaxIniFileSize = 256 * 1024;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// The text without the blanks around it, as sjis::Trim, without a copy: a
// lookup passes every line, and lines may be long.
std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SectionName(std::string_view line, std::string_view& name)
{
    const std::string_view t = TrimView(line);
    if (t.size() < 2 || t[0] != '[')
        return false;
    const size_t close = t.find(']');
    if (close == std::string_view::npos)
        return false;
    name = TrimView(t.substr(1, close - 1));
    return true;
}

bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value)
{
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    if (line.empty() || line[0] == ';')
        return false;
    const size_t eq = sjis::Find(line, '=');
    if (eq == sjis::npos)
        return false;
    key = TrimView(line.substr(0, eq));
    value = TrimView(line.substr(eq + 1));
    // The profile calls drop one pair of enclosing quotes.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return true;
}

// Calls Visit with each line of a file's text, as TStringList splits them
// (CR LF, a lone CR and a lone LF each end one), until it returns false.
template <class TVisit>
void ForEachLine(std::string_view text, TVisit Visit)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        if (!Visit(text.substr(start, end - start)))
            return;
        if (end < text.size() && text[end] == '\r')
            ++end;
        if (end < text.size() && text[end] == '\n')
            ++end;
        start = end;
    }
}

// Calls Visit with each line of the first section of this name (after its
// header), until it returns false. Reading goes over the text once, with
// no line copied.
template <class TVisit>
void ForEachLineOfSection(std::string_view text, const std::string& section, TVisit Visit)
{
    bool inside = false;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view name;
        if (SectionName(line, name)) {
            if (inside)
                return false;
            inside = sjis::SameText(name, section);
            return true;
        }
        return !inside || Visit(line);
    });
}

// Index of the line of the first section with this name, or -1.
int FindSection(const std::vector<std::string>& lines, const std::string& section)
{
    std::string_view name;
    for (size_t i = 0; i < lines.size(); ++i)
        if (SectionName(lines[i], name) && sjis::SameText(name, section))
            return static_cast<int>(i);
    return -1;
}

// One past the last line belonging to the section that starts at `header`.
int SectionEnd(const std::vector<std::string>& lines, int header)
{
    std::string_view name;
    int i = header + 1;
    while (i < static_cast<int>(lines.size()) && !SectionName(lines[static_cast<size_t>(i)], name))
        ++i;
    return i;
}

int FindKey(const std::vector<std::string>& lines, int header, const std::string& key)
{
    if (header < 0)
        return -1;
    const int end = SectionEnd(lines, header);
    std::string_view k, v;
    for (int i = header + 1; i < end; ++i)
        if (KeyValue(lines[static_cast<size_t>(i)], k, v) && sjis::SameText(k, key))
            return i;
    return -1;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName))
{
}

std::string TIniFile::LoadText() const
{
    if (!FileExists(FFileName))
        return {};
    try {
        TFileStream file(FFileName, fmOpenRead | fmShareDenyWrite);
        const int64_t size = file.Size();
        if (size > MaxIniFileSize)
            return {};
        std::string text(static_cast<size_t>(size), '\0');
        text.resize(static_cast<size_t>(file.Read(text.data(), size)));
        return text;
    } catch (const EStreamError&) {
        return {};
    }
}

std::vector<std::string> TIniFile::LoadLines() const
{
    std::vector<std::string> lines;
    ForEachLine(LoadText(), [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

void TIniFile::StoreLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    WriteFileAtomically(FFileName, text.data(), text.size());
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    std::string value = def;
    ForEachLineOfSection(LoadText(), section, [&](std::string_view line) {
        std::string_view k, v;
        if (!KeyValue(line, k, v) || !sjis::SameText(k, key))
            return true;
        value = v;
        return false;
    });
    return value;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    auto lines = LoadLines();
    const int header = FindSection(lines, section);
    if (header < 0) {
        lines.push_back("[" + section + "]");
        lines.push_back(key + "=" + value);
        StoreLines(lines);
        return;
    }
    const int at = FindKey(lines, header, key);
    if (at >= 0) {
        std::string_view k, v;
        KeyValue(lines[static_cast<size_t>(at)], k, v);
        lines[static_cast<size_t>(at)] = std::string(k) + "=" + value;
    } else {
        // After the section's last non-blank line, so blank separators stay below it.
        int insertAt = SectionEnd(lines, header);
        while (insertAt - 1 > header && TrimView(lines[static_cast<size_t>(insertAt - 1)]).empty())
            --insertAt;
        lines.insert(lines.begin() + insertAt, key + "=" + value);
    }
    StoreLines(lines);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const
{
    bool found = false;
    ForEachLine(LoadText(), [&](std::string_view line) {
        std::string_view name;
        found = SectionName(line, name) && sjis::SameText(name, section);
        return !found;
    });
    return found;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    bool found = false;
    ForEachLineOfSection(LoadText(), section, [&](std::string_view line) {
        std::string_view k, v;
        found = KeyValue(line, k, v) && sjis::SameText(k, key);
        return !found;
    });
    return found;
}

void TIniFile::EraseSection(const std::string& section)
{
    auto lines = LoadLines();
    int header = FindSection(lines, section);
    if (header < 0)
        return;
    while (header >= 0) {
        lines.erase(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
        header = FindSection(lines, section);
    }
    StoreLines(lines);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key)
{
    auto lines = LoadLines();
    const int at = FindKey(lines, FindSection(lines, section), key);
    if (at < 0)
        return;
    lines.erase(lines.begin() + at);
    StoreLines(lines);
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const
{
    std::vector<std::string> keys;
    ForEachLineOfSection(LoadText(), section, [&](std::string_view line) {
        std::string_view k, v;
        if (KeyValue(line, k, v))
            keys.emplace_back(k);
        return true;
    });
    return keys;
}
