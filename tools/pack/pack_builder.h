#pragma once
// Building a scenario archive (.tgp) from a script and a list of data files,
// without a window: entry 0 "*SCRIPT*" holds the script with its numbered
// continuation files, always LZSS-coded; one entry per data file follows, in
// list order, named after the file (folder cut off, letters a-z upper-cased)
// and coded or stored by its extension. The archive's layout, its reader and
// its writer are in formats/pack/.
//
// Paths are file-system paths (UTF-8). Entry names are Shift-JIS: a file
// whose name has no Shift-JIS form cannot be packed.

#include "base/exceptions.h"
#include "codec/kv_compress.h"
#include "formats/pack/pack_writer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TMemoryStream;
class TSafeFileStream;

// The extensions the packer knows and whether entries of each are coded.
inline constexpr std::array<std::string_view, 7> DatExtTable = {".BMP", ".JPG", ".PNG", ".WAV", ".MID", ".MP3", ".OGG"};
inline constexpr std::array<uint8_t, 7> DatCompressFlags = {1, 0, 0, 0, 1, 0, 0};

// A data file that cannot go into an archive. The text is the Japanese
// message with the file's path between its two parts.
class EPackFileError : public Exception {
public:
    // Before and After are Shift-JIS; Path is the file-system path.
    EPackFileError(std::string_view Before, std::string Path, std::string_view After);
    const std::string& Path() const { return FPath; }
    // The whole text in UTF-8, the path as the file system has it.
    std::string Utf8Text() const;

private:
    std::string FBefore;
    std::string FPath;
    std::string FAfter;
};

// The extension of the file name (from its last '.', folders aside),
// upper-cased in the letters a-z.
std::string UpperFileExt(std::string_view FileName);
// True when the extension is one of DatExtTable's.
bool DatExtCheck(std::string_view FileName);
// Whether entries of this file are LZSS-coded: the table's flag, and true
// for an extension the table does not know.
bool DatCompressCheck(std::string_view FileName);

// The entry name of a data file: its name without folder, in Shift-JIS,
// upper-cased in a-z only. False when the name has no Shift-JIS form.
bool PackNameFromPath(std::string_view Path, std::string& Name);

// The script text of entry 0: the script's lines, then those of every
// existing file "<folder><base>N.tgs" for N = 1 .. 100 when "<base>1.tgs"
// exists (gaps are skipped), each line followed by CR LF. A continuation
// file differing from that name only in letter case is found too.
std::string AssembleScript(const std::string& ScriptFile);

// The entry of a data file, read whole and coded by its extension. Raises
// as TPackBuilder::AddDataFile does.
std::unique_ptr<TMemoryStream> MakeDataEntry(const std::string& FileName, TkvCompress& Coder);

// Writes an archive entry by entry into a temporary file beside Target,
// which takes Target's place at Commit. Destroyed without Commit, it leaves
// no file and any existing Target untouched.
class TPackBuilder {
public:
    // Raises EFCreateError when Target's folder takes no new file.
    explicit TPackBuilder(
        const std::string& Target, TkvCompressClass CompressClass = TkvCompress::Create<TkvLZSSCompress>);
    ~TPackBuilder();
    TPackBuilder(const TPackBuilder&) = delete;
    TPackBuilder& operator=(const TPackBuilder&) = delete;

    // Raises EPackFileError for the first data file whose name has no
    // Shift-JIS form; run before anything is written.
    static void CheckNames(const std::vector<std::string>& DataFiles);

    // Entry 0, from the script file and its continuation files.
    void AddScript(const std::string& ScriptFile);
    // The next entry, from a data file read whole. Raises EPackFileError for
    // a name without Shift-JIS form or a file too large for an entry, and
    // the file layer's errors when it cannot be read.
    void AddDataFile(const std::string& FileName);
    // The next entries, one per file in order, coded on worker threads.
    // Progress (if set) runs on the calling thread after each entry is
    // written, with the number written so far. Errors as AddDataFile's, for
    // the first file in list order that fails.
    void AddDataFiles(const std::vector<std::string>& FileNames, const std::function<void(size_t Done)>& Progress = {});
    // The entry count, then the file into place.
    void Commit();

    int32_t EntryCount() const { return FWriter->Count(); }

private:
    std::unique_ptr<TSafeFileStream> FTarget;
    std::unique_ptr<TPackWriter> FWriter;
    TkvCompressClass FCompressClass;
    std::unique_ptr<TkvCompress> FCoder;
};

// The whole run: script, data files in order, Target written in one go.
void BuildPackArchive(
    const std::string& ScriptFile, const std::vector<std::string>& DataFiles, const std::string& Target);
