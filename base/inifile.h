#pragma once
// INI files with the semantics of the Windows profile calls: section and key
// names compare case-insensitively (ASCII), a missing key gives the default,
// and every write goes to the file at once, editing it in place so comments,
// unknown sections and the order of everything else are kept.

#include <string>
#include <vector>

class TIniFile {
public:
    // `fileName` is a file-system path. A missing file reads as empty and is
    // created by the first write; so does a file of more than 256 KB, which
    // no settings file comes near, and the first write replaces it.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Non-numeric or missing values give the default (StrToIntDef rules).
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // "0" is false, any other integer true; non-numeric gives the default.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Raise EFCreateError when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& key);
    // Key names of a section, in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;

private:
    // The file's bytes; empty when it is missing, cannot be read or is too
    // large. Reading goes over its lines in place.
    std::string LoadText() const;
    std::vector<std::string> LoadLines() const;
    void StoreLines(const std::vector<std::string>& lines);

    std::string FFileName;
};
