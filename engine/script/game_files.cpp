#include "engine/script/game_files.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/file_lookup.h"
#include "base/sjis.h"
#include "engine/script/scenario_files.h"

namespace {

// Continuation files are numbered 1 to this.
constexpr int MaxContinuationFiles = 100;

// The folder of `path` as a whole path with its trailing "/", so that every
// message that names a file of the game names it whole, however the game was
// started. Only "." parts are dropped: ".." stays, as a folder reached
// through a link has its own parent.
std::string WholeFolder(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return ExtractFilePath(path);
    std::filesystem::path whole;
    for (const std::filesystem::path& part : absolute)
        if (part != ".")
            whole /= part;
    return ExtractFilePath(whole.string());
}

std::string ReadFailedText(const std::string& shownName)
{
    return SJ("データ") + shownName + SJ("の読み込みに失敗しました");
}

std::string CannotOpenText(const std::string& shownName)
{
    return SJ("ファイル") + shownName + SJ("が開けません");
}

} // namespace

std::array<std::string, 4> ArchivePictureNames(std::string_view Name)
{
    const std::string file = ExtractFileName(Name);
    return {std::string(Name), ChangeFileExt(file, ".jpg"), ChangeFileExt(file, ".png"), ChangeFileExt(file, ".bmp")};
}

std::array<std::string, 4> DiskPictureNames(std::string_view Name)
{
    const std::string file = ExtractFileName(Name);
    return {file, ChangeFileExt(file, ".png"), ChangeFileExt(file, ".jpg"), ChangeFileExt(file, ".bmp")};
}

TGameFile ReadArchivePicture(std::string_view Name, TStream& Archive, const TPackIndex& Index)
{
    TGameFile result;
    const std::array<std::string, 4> names = ArchivePictureNames(Name);
    for (const std::string& name : names) {
        if (ReadPackEntry(sjis::UpperCase(name), Archive, Index, result.Data) == peFound) {
            result.Found = true;
            result.Name = name;
            return result;
        }
    }
    result.FailureText = ReadFailedText(names.back());
    return result;
}

TGameFile ReadDiskPicture(std::string_view Name, const std::string& ScenarioDir)
{
    TGameFile result;
    const std::array<std::string, 4> names = DiskPictureNames(Name);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = ScriptNameToPath(ScenarioDir, names[i]);
        const bool last = i + 1 == names.size();
        if (!FileExists(path)) {
            if (!last)
                continue;
        } else {
            try {
                result.Data.LoadFromFile(path);
                result.Data.SetPosition(0);
                result.Found = true;
                result.Name = names[i];
                return result;
            } catch (const EFOpenError&) {
                // Shown below with the path that was tried.
            }
        }
        result.FailureText = CannotOpenText(sjis::FromUtf8(ScenarioDir) + names[i]);
        return result;
    }
    return result;
}

TGameFiles::TGameFiles(std::string exeDir) : FExeDir(std::move(exeDir))
{
}

TGameFiles::~TGameFiles() = default;

std::string TGameFiles::FindScenario(const std::string& fileName)
{
    // Names given on a command line, by another program or as the default
    // data files may differ in case from the file on disk.
    if (FileExists(fileName))
        return fileName;
    const std::string path = ResolveFileName("", fileName);
    return FileExists(path) ? path : std::string();
}

void TGameFiles::SetScenario(const std::string& path)
{
    FArchiveStream.reset();
    FArchiveIndex = TPackIndex();
    FArchiveFileName.clear();
    FArchiveMode = sjis::UpperCase(ExtractFileExt(path)) == ".TGP";
    FScenarioDir = WholeFolder(path);
    FScenarioName = ChangeFileExt(ExtractFileName(path), "");
}

bool TGameFiles::OpenArchive(const std::string& path, TMemoryStream& script)
{
    try {
        FArchiveStream = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite);
        FArchiveIndex = TPackIndex(*FArchiveStream);
        if (ReadPackEntry(PackScriptName, *FArchiveStream, FArchiveIndex, script) == peFound) {
            FArchiveFileName = path;
            return true;
        }
    } catch (const std::exception&) {
        // A file that cannot be read, a table cut short or corrupt, a script
        // that does not decode: all of them are a script that cannot be read.
    }
    // Nothing is read out of an archive without a script; the file is not
    // held either, so it can be replaced before the next open.
    FArchiveStream.reset();
    FArchiveIndex = TPackIndex();
    FArchiveMode = false;
    return false;
}

std::optional<std::vector<uint8_t>> TGameFiles::ReadScriptFile(const std::string& path)
{
    try {
        return ReadFileBytes(path);
    } catch (const EStreamError&) {
        return std::nullopt;
    }
}

std::vector<std::string> TGameFiles::ContinuationFiles() const
{
    std::vector<std::string> paths;
    if (!FileExists(ResolveFileName(FScenarioDir, FScenarioName + "1.tgs")))
        return paths;
    for (int n = 1; n <= MaxContinuationFiles; ++n) {
        const std::string path = ResolveFileName(FScenarioDir, FScenarioName + IntToStr(n) + ".tgs");
        if (FileExists(path))
            paths.push_back(path);
    }
    return paths;
}

TGameFile TGameFiles::Read(std::string_view name, TGameFileKind kind) const
{
    if (kind == TGameFileKind::gkPicture) {
        if (!FArchiveMode)
            return ReadDiskPicture(name, FScenarioDir);
        if (FArchiveStream)
            return ReadArchivePicture(name, *FArchiveStream, FArchiveIndex);
        // An archive that did not open holds nothing.
        TMemoryStream none;
        return ReadArchivePicture(name, none, TPackIndex());
    }

    TGameFile result;
    result.Name = name;
    if (kind == TGameFileKind::gkSound && ExtractFileExt(result.Name).empty())
        result.Name += ".wav";
    if (FArchiveMode) {
        if (FArchiveStream &&
            ReadPackEntry(PackEntryName(result.Name), *FArchiveStream, FArchiveIndex, result.Data) == peFound)
            result.Found = true;
        else
            result.FailureText = ReadFailedText(result.Name);
        return result;
    }
    const std::string path = ScriptNameToPath(FScenarioDir, result.Name);
    if (!FileExists(path)) {
        const std::string shown = ShownFolderPath(result.Name);
        result.FailureText = kind == TGameFileKind::gkSong ? CannotOpenText(shown) : ReadFailedText(shown);
        return result;
    }
    result.Data.LoadFromFile(path);
    result.Found = true;
    return result;
}

TStreamedFile TGameFiles::LocateStream(std::string_view name) const
{
    TStreamedFile result;
    if (FArchiveMode) {
        // Streamed out of the archive as it was opened. An entry that is
        // absent or LZSS-coded has no music the library could play.
        TPackEntryHeader entry;
        try {
            result.Found = FArchiveStream &&
                           FArchiveIndex.Find(PackEntryName(name), *FArchiveStream, entry) == peFound &&
                           entry.PackCompressed == 0;
        } catch (const std::exception&) {
            result.Found = false;
        }
        if (result.Found) {
            result.Path = FArchiveFileName;
            result.Offset = static_cast<uint32_t>(entry.PayloadOffset);
            result.Length = static_cast<uint32_t>(entry.PackDataSize);
        }
        return result;
    }
    const std::string path = ScriptNameToPath(FScenarioDir, name);
    int64_t size = -1;
    if (FileExists(path)) {
        try {
            TFileStream file(path, fmOpenRead | fmShareDenyWrite);
            size = file.Size();
        } catch (const std::exception&) {
            size = -1;
        }
    }
    if (size < 0) {
        result.FailureText = CannotOpenText(std::string(name));
        return result;
    }
    result.Found = true;
    result.Path = path;
    result.Length = static_cast<uint32_t>(std::min<int64_t>(size, UINT32_MAX));
    return result;
}

std::string TGameFiles::FolderPath(std::string_view name) const
{
    return ScriptNameToPath(FScenarioDir, name);
}

std::string TGameFiles::ShownFolderPath(std::string_view name) const
{
    return sjis::FromUtf8(FScenarioDir) + std::string(name);
}
