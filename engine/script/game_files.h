#pragma once
// The game's files: where a scenario came from (its folder and name, the
// program's folder, the name asked to open) and the packed archive it was
// opened from. Every picture, sound effect, song and script of a running
// game is read through here, from the archive in archive mode and from the
// scenario folder otherwise; the names tried, their order and the text shown
// when none is found are decided in game_files.cpp alone.
//
// Script names are Shift-JIS and may hold folders separated by "\" or "/";
// the folder is searched without regard to case (base/file_lookup.h), the
// archive by its upper-cased entry names (pack_archive.h). Failure texts are
// Shift-JIS, with the name (and in the folder its path) as it was tried.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/streams.h"
#include "formats/pack/pack_archive.h"

class TFileStream;

// What a file is read for: it chooses the names tried and the failure text.
enum class TGameFileKind {
    gkPicture, // *PICTURE, *GLOAD and the skins: fallback extensions tried
    gkSound,   // *SE: ".wav" when the name has no extension
    gkSong,    // MIDI music of *BGM
};

// A file found for a script name, or the failure text to show.
struct TGameFile {
    bool Found = false;
    // The name that was found; a picture's extension chooses its decoder.
    std::string Name;
    // The file's bytes.
    TMemoryStream Data;
    // When not found: the message text, with the last name tried.
    std::string FailureText;
};

// Where music streamed by the outside audio library lies: a byte range of a
// file (the archive itself for music in the archive).
struct TStreamedFile {
    bool Found = false;
    std::string Path;
    uint32_t Offset = 0;
    uint32_t Length = 0;
    // When not found: the message text, or empty when the music is to be
    // silent without a word (absent from the archive, or packed there).
    std::string FailureText;
};

// The names an archive lookup tries for a script picture name, in order: the
// name itself (folder and all), then its file-name part with ".jpg", ".png"
// and ".bmp". Lookups upper-case them as the archive's names are.
std::array<std::string, 4> ArchivePictureNames(std::string_view Name);
// The names tried in the scenario folder, in order: the file-name part, then
// with ".png", ".jpg" and ".bmp" (".png" before ".jpg", unlike the archive).
std::array<std::string, 4> DiskPictureNames(std::string_view Name);

// Looks the picture candidates up in the archive through its index. An
// archive with a wrong magic holds nothing. Raises the archive's read and
// decode errors. The data is at position 0 when found.
TGameFile ReadArchivePicture(std::string_view Name, TStream& Archive, const TPackIndex& Index);
// Looks the picture candidates up in ScenarioDir (a file-system folder with
// its trailing "/"); a folder bearing the name counts as missing. A file that
// exists but cannot be opened fails with its path.
TGameFile ReadDiskPicture(std::string_view Name, const std::string& ScenarioDir);

class TGameFiles {
public:
    // `exeDir` is the program's folder with its trailing separator.
    explicit TGameFiles(std::string exeDir);
    ~TGameFiles();
    TGameFiles(const TGameFiles&) = delete;
    TGameFiles& operator=(const TGameFiles&) = delete;

    // File-system names (converted to Shift-JIS only where shown).
    const std::string& ScenarioDir() const { return FScenarioDir; }
    const std::string& ScenarioName() const { return FScenarioName; }
    const std::string& ExeDir() const { return FExeDir; }
    // The scenario a later tick is to open (command line, another program,
    // the default data files).
    const std::string& OpenFileName() const { return FOpenFileName; }
    void SetOpenFileName(std::string name) { FOpenFileName = std::move(name); }
    // The open came from the default data files.
    bool PlayerMode() const { return FPlayerMode; }
    void EnterPlayerMode() { FPlayerMode = true; }

    bool ArchiveMode() const { return FArchiveMode; }
    bool ArchiveOpen() const { return FArchiveStream != nullptr; }
    // The archive's path as it was opened.
    const std::string& ArchiveFileName() const { return FArchiveFileName; }

    // ---- opening a scenario
    // The file a name to open stands for: as given, else found without
    // regard to case; empty when there is none.
    static std::string FindScenario(const std::string& fileName);
    // The scenario at `path` becomes the game's: its folder (whole, so that
    // every message names a file of the game whole) and name; the previous
    // archive is closed, and a ".tgp" file puts the game in archive mode.
    void SetScenario(const std::string& path);
    // Opens the archive at `path` and reads its script into `script`. The
    // archive stays open with the scenario. False, with the archive closed
    // and archive mode left, when the file, its table or its script cannot
    // be read.
    bool OpenArchive(const std::string& path, TMemoryStream& script);
    // The bytes of a script file of the folder; nothing when it cannot be read.
    static std::optional<std::vector<uint8_t>> ReadScriptFile(const std::string& path);
    // The continuation files ("<name>1.tgs" to "<name>100.tgs") that exist,
    // in order; none unless the first does.
    std::vector<std::string> ContinuationFiles() const;

    // ---- reading while the game runs
    // The bytes of the file a script names, or the failure text. Raises the
    // archive's read and decode errors, and those of a sound or song file
    // that exists in the folder but cannot be read.
    TGameFile Read(std::string_view name, TGameFileKind kind) const;
    // Where music to stream lies.
    TStreamedFile LocateStream(std::string_view name) const;
    // A data file in the scenario folder: its file-system path, and its path
    // as messages show it (Shift-JIS).
    std::string FolderPath(std::string_view name) const;
    std::string ShownFolderPath(std::string_view name) const;

private:
    friend class TEngineProbe;

    std::string FScenarioDir;
    std::string FScenarioName;
    std::string FExeDir;
    std::string FOpenFileName;
    bool FPlayerMode = false;
    bool FArchiveMode = false;
    std::unique_ptr<TFileStream> FArchiveStream;
    // The entry table of FArchiveStream, read when the archive opens.
    TPackIndex FArchiveIndex;
    // Music streamed out of the archive opens this file again (its name need
    // not be the scenario name + ".tgp").
    std::string FArchiveFileName;
};
