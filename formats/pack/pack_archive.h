#pragma once
// The packed scenario archive (.tgp) and its reader; pack_writer.h writes
// it. All integers are 32-bit little-endian:
//
//   'T' 'G' 00h 01h            magic
//   entry count                signed; 0 or below means no entries
//   entries, back to back:
//     PackEntrySize            bytes after this field: 12 + name + payload
//     PackDataSize             the source file's size (decoded size if coded)
//     PackCompressed           1: payload is an LZSS stream; 0: stored bytes
//     PackNameLength, name     Shift-JIS, no terminator
//     payload
//
// Entry 0 is "*SCRIPT*", the whole scenario script, always coded. Entry names
// are file names without folder, upper-cased in the letters a-z only; lookups
// compare bytes exactly and the first entry of a name wins.

#include "base/exceptions.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>

class TStream;
class TMemoryStream;

inline constexpr uint8_t PackMagic[4] = {0x54, 0x47, 0x00, 0x01};
inline constexpr std::string_view PackScriptName = "*SCRIPT*";

// An entry table or entry that cannot be what the packer wrote: sizes that
// run past the end of the file or contradict one another. A kind of read
// error, so callers that handle a file cut short handle this too.
class EPackError : public EReadError {
public:
    using EReadError::EReadError;
};

// Results of ReadPackEntry.
enum : int {
    peFound = 0,
    peBadMagic = 1,
    peNotFound = 2,
};

// GetPackEntryInfo modes.
enum : int {
    piOffset = 0,   // file offset of the payload
    piDataSize = 1, // PackDataSize
};

// One entry's four fields and where its payload lies.
struct TPackEntryHeader {
    int32_t PackEntrySize = 0;
    int32_t PackDataSize = 0;
    int32_t PackCompressed = 0;
    int32_t PackNameLength = 0;
    int64_t PayloadOffset = 0;
    int64_t PayloadSize = 0;
};

// The archive's name for a file: the part after the last '\' or '/' (never a
// trail byte), upper-cased in the single-byte letters a-z only. Callers apply
// it to script names before ReadPackEntry and GetPackEntryInfo.
std::string PackEntryName(std::string_view FileName);

// Walks the entry table from the start of Archive for the entry named Name
// (exact bytes). Found: fills Entry and leaves Archive at the payload.
// Returns peFound, peBadMagic (fewer than 4 bytes, or not the magic) or
// peNotFound. Raises EReadError when the table is cut short and EPackError
// when it is corrupt.
int FindPackEntry(std::string_view Name, TStream& Archive, TPackEntryHeader& Entry);

// Puts the decoded bytes of entry Name into Out (emptied first) at position
// 0. Returns peFound, peBadMagic or peNotFound; Out is empty unless found.
// Besides FindPackEntry's errors, raises EkvCompressError for a coded payload
// that does not decode to its data size.
int ReadPackEntry(std::string_view Name, TStream& Archive, TMemoryStream& Out);

// Mode piOffset: the file offset of entry Name's payload; piDataSize: its
// PackDataSize. 0 for a wrong magic, a missing name or another mode. A coded
// entry's offset leads to its LZSS stream, not to the file's bytes.
int64_t GetPackEntryInfo(std::string_view Name, TStream& Archive, int Mode);

// The entry table read once, when the archive is opened, so that a lookup
// costs no walk through the file. Lookups answer as FindPackEntry does on the
// same file: the first entry of a name wins, and a table that breaks off
// (cut short or corrupt) still serves the entries before the break, while a
// name not among them raises the error the walk meets there.
class TPackIndex {
public:
    // An index of no archive: every lookup gives peBadMagic.
    TPackIndex() = default;
    // Reads Archive's table from the start; raises nothing itself (a wrong
    // magic or a broken table is kept for the lookups).
    explicit TPackIndex(TStream& Archive);

    // FindPackEntry without the walk: fills Entry and leaves Archive at the
    // payload when found. Archive must be the stream the index was read from.
    int Find(std::string_view Name, TStream& Archive, TPackEntryHeader& Entry) const;
    // Names indexed (the first entry of each).
    size_t Count() const { return FEntries.size(); }

private:
    bool FMagicOk = false;
    int64_t FFileSize = 0;
    std::unordered_map<std::string, TPackEntryHeader> FEntries;
    std::exception_ptr FBroken;
};

// ReadPackEntry and GetPackEntryInfo through an index of Archive.
int ReadPackEntry(std::string_view Name, TStream& Archive, const TPackIndex& Index, TMemoryStream& Out);
int64_t GetPackEntryInfo(std::string_view Name, TStream& Archive, const TPackIndex& Index, int Mode);
