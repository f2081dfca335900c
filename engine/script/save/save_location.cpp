#include "engine/script/save/save_location.h"

#include "base/exceptions.h"
#include "base/safe_file_stream.h"
#include "codec/crc32.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string WithSlash(std::string dir)
{
    if (dir.empty())
        return "./";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsWritableFolder(const std::string& dir)
{
    return IsFolder(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

// Letter case is ignored for a-z only, as for script file names; other bytes
// (UTF-8 sequences included) must be equal.
bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The regular file in `dir` named `name` in any letter case: the exact name
// first, then the first match in the folder; empty when there is none.
std::string FindInFolder(const std::string& dir, const std::string& name)
{
    if (IsRegularFile(dir + name))
        return dir + name;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return {};
    std::string found;
    while (const dirent* e = ::readdir(d)) {
        if (SameName(e->d_name, name) && IsRegularFile(dir + e->d_name)) {
            found = dir + e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::string DataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return WithSlash(xdg);
    const char* home = std::getenv("HOME");
    return WithSlash(std::string(home != nullptr ? home : "") + "/.local/share");
}

std::string AbsoluteFolder(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(dir.empty() ? "." : dir, ec);
    return WithSlash(p.lexically_normal().string());
}

} // namespace

std::string SaveFileName(const TSavePlace& Place)
{
    return Place.BaseName + std::to_string(Place.Number) + ".sav";
}

std::string PrimarySaveFolder(const TSavePlace& Place)
{
    return Place.Where != 0 ? WithSlash(Place.ProgramDir) + "save/" : WithSlash(Place.ScenarioDir);
}

std::string FallbackSaveFolder(const TSavePlace& Place)
{
    const std::string folder = AbsoluteFolder(Place.ScenarioDir);
    uint32_t crc = 0;
    UpdateCRC32(folder.data(), static_cast<uint32_t>(folder.size()), crc);
    char key[9];
    std::snprintf(key, sizeof key, "%08X", crc);
    std::string dir = DataHome() + "tideglass/saves/" + Place.BaseName + "-" + key + "/";
    return Place.Where != 0 ? dir + "save/" : dir;
}

std::string SaveWritePath(const TSavePlace& Place)
{
    std::string dir = PrimarySaveFolder(Place);
    if (!IsWritableFolder(dir)) {
        dir = FallbackSaveFolder(Place);
        std::error_code ec;
        // A folder that cannot be made shows up as the write's failure.
        std::filesystem::create_directories(dir, ec);
    }
    const std::string existing = FindInFolder(dir, SaveFileName(Place));
    return existing.empty() ? dir + SaveFileName(Place) : existing;
}

std::string FindSaveFile(const TSavePlace& Place)
{
    const std::string primary = PrimarySaveFolder(Place);
    const std::string fallback = FallbackSaveFolder(Place);
    const bool primaryFirst = IsWritableFolder(primary);
    for (const std::string& dir : {primaryFirst ? primary : fallback, primaryFirst ? fallback : primary}) {
        std::string path = FindInFolder(dir, SaveFileName(Place));
        if (!path.empty())
            return path;
    }
    return {};
}

std::vector<uint8_t> ReadSaveFileBytes(const std::string& Path)
{
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > SaveFileMaxBytes)
        throw EFOpenError("Cannot open file \"" + Path + "\". Not a save file");
    TFileStream file(Path, fmOpenRead | fmShareDenyWrite);
    // The size is checked again on the open file: it may have changed since.
    const int64_t size = file.Size();
    if (size > SaveFileMaxBytes)
        throw EFOpenError("Cannot open file \"" + Path + "\". Not a save file");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    return bytes;
}

bool WriteSaveFileBytes(const std::string& Path, const std::vector<uint8_t>& Bytes, std::string* Error)
{
    try {
        TSafeFileStream file(Path);
        file.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        file.Commit();
        return true;
    } catch (const EStreamError& e) {
        if (Error != nullptr)
            *Error = e.what();
        return false;
    }
}
