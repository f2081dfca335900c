#include "support/test_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/sjis.h"

std::string Sj(const std::string& utf8)
{
    return sjis::FromUtf8(utf8);
}

TTestFolder::TTestFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tgtest-XXXXXX").string();
    FDir = ::mkdtemp(pattern.data()) ? pattern : std::string();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const char* old = std::getenv(name);
        FOldEnv.emplace_back(name, old ? old : "");
        const std::string dir = FDir + "/." + name;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        setenv(name, dir.c_str(), 1);
    }
    FOldCurrent = std::filesystem::current_path().string();
    std::filesystem::current_path(FDir);
}

TTestFolder::~TTestFolder()
{
    std::error_code ignored;
    std::filesystem::current_path(FOldCurrent, ignored);
    for (const auto& [name, value] : FOldEnv) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    // Tests may leave read-only entries behind; the owner can always open
    // them up again before removing them.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FDir, ignored))
        std::filesystem::permissions(
            entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FDir, ignored);
}

void TTestFolder::WriteScript(const std::string& name, const std::string& utf8Text, const std::string& eol) const
{
    std::string text;
    for (char c : Sj(utf8Text)) {
        if (c == '\n')
            text += eol;
        else
            text += c;
    }
    WriteBytes(name, text);
}

void TTestFolder::WriteBytes(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(Dir() + name, std::ios::binary);
    out << bytes;
}

void TTestFolder::MakeFolder(const std::string& name) const
{
    std::filesystem::create_directories(Dir() + name);
}
