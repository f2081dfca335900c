#pragma once
// A temporary folder for one test that is also its current folder and the
// home of its per-user files (XDG data, config and runtime folders), so that
// nothing a test does reaches the machine's own settings.

#include <string>
#include <utility>
#include <vector>

class TTestFolder {
public:
    TTestFolder();
    ~TTestFolder();
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    // The folder, with a trailing "/".
    std::string Dir() const { return FDir + "/"; }
    // Writes `utf8Text` as Shift-JIS into the folder; "\n" in the text
    // becomes `eol`.
    void WriteScript(const std::string& name, const std::string& utf8Text, const std::string& eol = "\r\n") const;
    void WriteBytes(const std::string& name, const std::string& bytes) const;
    void MakeFolder(const std::string& name) const;

private:
    std::string FDir;
    std::string FOldCurrent;
    std::vector<std::pair<std::string, std::string>> FOldEnv;
};

// UTF-8 text as Shift-JIS bytes.
std::string Sj(const std::string& utf8);
