#pragma once
// Where save files live. The original's place comes first: the scenario's
// folder, or with a nonzero `where` the "save/" folder beside the program.
// An installed engine cannot write there, so when that folder is missing or
// not writable the saves go below $XDG_DATA_HOME/tideglass/saves/, in a
// folder keyed by the scenario's base name and the CRC-32 of its absolute
// folder: every player-mode game is called "data", and the key keeps them
// apart. Paths are file-system strings.

#include <cstdint>
#include <string>
#include <vector>

struct TSavePlace {
    std::string ScenarioDir; // the scenario's folder (empty: the current one)
    std::string BaseName;    // the scenario's name without extension
    std::string ProgramDir;  // the program's folder
    int32_t Number = 0;      // n of *SAVE and *LOAD, negative ones included
    int32_t Where = 0;       // nonzero: beside the program
};

// Save files larger than this are no saved game and are not read.
inline constexpr int64_t SaveFileMaxBytes = int64_t(256) << 20;

// Base name + n + ".sav", so -1 gives "game-1.sav".
std::string SaveFileName(const TSavePlace& Place);
// The original's folder, with a trailing "/".
std::string PrimarySaveFolder(const TSavePlace& Place);
// $XDG_DATA_HOME/tideglass/saves/<base name>-<8 hex digits>/ (plus "save/"
// for a nonzero `where`); $HOME/.local/share stands in for an unset or
// relative $XDG_DATA_HOME.
std::string FallbackSaveFolder(const TSavePlace& Place);

// The path *SAVE writes: in the original's folder when it is a writable
// folder, else in the fallback folder, which is created here. A file that
// exists there under the name in another letter case is written over.
std::string SaveWritePath(const TSavePlace& Place);
// The save file *LOAD reads and the overwrite question asks about: the
// write location first, then the other, the name in any letter case, regular
// files only. Empty when there is none.
std::string FindSaveFile(const TSavePlace& Place);

// The file's bytes. Raises EFOpenError when it cannot be read, is not a
// regular file or is larger than SaveFileMaxBytes.
std::vector<uint8_t> ReadSaveFileBytes(const std::string& Path);
// Writes the file through a temporary one renamed into place, so a failure
// (no folder, no permission, a full disk) leaves any old file as it was and
// no temporary behind. False on failure, with the reason in Error.
bool WriteSaveFileBytes(const std::string& Path, const std::vector<uint8_t>& Bytes, std::string* Error = nullptr);
