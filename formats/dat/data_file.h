#pragma once
// Data files (.dat): the values a game keeps across games, as the engine's
// data-file commands and the data maker write them. No header, no magic, no
// record count: records back to back, then the CRC-32 (start 0, no
// inversion) of every byte before it, little-endian. The last 4 bytes are
// always the checksum; a file without records is 4 zero bytes.
//
// A record is a type byte (0 integer, anything else string; we write 1) and
// either a signed 32-bit value or an unsigned 32-bit byte count L followed by
// L Shift-JIS bytes.
//
// TDatFile holds the data-file state of the script commands: at most one
// file open, for writing (records appended) or reading (records taken in
// order). A file being read is opened and closed again by every call. A
// file being written goes to a temporary beside it that replaces the old
// file only when it is closed, checksum and all, so a full disk or a killed
// process never leaves a data file cut short or without its checksum.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TSafeFileStream;
class TStream;

struct TDatRecord {
    uint8_t DatValueType = 0; // 0 integer; any other value a string
    int32_t Value = 0;
    std::string Text;

    bool IsString() const { return DatValueType != 0; }
};

TDatRecord DatInteger(int32_t Value);
TDatRecord DatString(std::string Text);

// The checksum of Size bytes.
uint32_t DatChecksum(const void* Data, size_t Size);
// Crc carried on over Size more bytes, for a file written piece by piece.
void AddDatChecksum(uint32_t& Crc, const void* Data, size_t Size);
// Ends a data file: the checksum of all its records, after the last one.
void WriteDatChecksum(TStream& Target, uint32_t Crc);

// Appends one record at Target's position.
void WriteDatRecord(TStream& Target, const TDatRecord& Record);

// Reads the record at Data's position. Records end at DataEnd (the offset of
// the checksum): a record that would reach past it is not read and the
// result is false, with Data's position unspecified.
bool ReadDatRecord(TStream& Data, int64_t DataEnd, TDatRecord& Record);

// The whole of Data (from offset 0) against its last 4 bytes. A file of 0 to
// 3 bytes counts as storing 0 and passes; a 4-byte file passes when all its
// bytes are 0.
bool DatChecksumMatches(TStream& Data);

// What a data-file operation came to. Every value but dsOk has a fixed text
// the engine shows the player (engine/script/data_messages.h); the last four
// are the commands' own refusals, never results of TDatFile.
enum class TDatStatus {
    dsOk,
    dsNotOpenForWrite,
    dsWriteInReadMode,
    dsNotOpenForRead,
    dsReadInWriteMode,
    dsNoData,
    dsTampered,
    dsMissing,
    dsStringToNonString, // a string record for a target that is no string variable
    dsIntegerForString,  // *DATREADS met an integer while filling string variables
    dsStringForInteger,  // *DATREADS met a string while filling flag variables
    dsWritesTarget,      // *DATWRITES given something other than F or S
    dsReadsTarget,       // *DATREADS given something other than F or S
};

class TDatFile {
public:
    // Called for each record read, in order; may raise, and then the read
    // position stays where it was.
    using TDatAssign = std::function<void(int32_t Index, const TDatRecord& Record)>;

    TDatFile();
    ~TDatFile();
    TDatFile(const TDatFile&) = delete;
    TDatFile& operator=(const TDatFile&) = delete;

    // File-system path of the open data file; empty when none is open.
    const std::string& FileName() const { return FDatFileName; }
    bool IsOpen() const { return !FDatFileName.empty(); }
    // 1 when the open file was opened for writing, 0 for reading.
    uint8_t WriteMode() const { return FDatWriteMode; }
    // Offset of the next record to read.
    int64_t ReadPos() const { return FDatReadPos; }

    // *DATOPEN. Closes an open file as Close does, then opens Path: for
    // writing, a new empty file that takes the place of one of that name at
    // Close (dsOk; a file that cannot be created raises EFCreateError and
    // leaves nothing open); for reading, after checking the checksum: dsOk,
    // dsMissing or dsTampered, the last two leaving nothing open. Reading
    // needs only read access.
    // A game's folder could carry symbolic links to anywhere: no part of
    // Path from NameStart on (the parts the script named) may be one, nor
    // the last part in any case. Such a path raises EFCreateError or
    // EFOpenError as a file that cannot be opened does.
    TDatStatus Open(const std::string& Path, bool ForWrite, size_t NameStart = std::string::npos);

    // *DATCLOSE. After writing, appends the checksum and puts the file in
    // place of the old one. Nothing is open afterwards, even when that fails
    // and raises; the old file is then as it was.
    void Close();

    // The mode checks that *DATWRITE/*DATWRITES and *DATREAD/*DATREADS make
    // before they evaluate their arguments.
    TDatStatus CanWrite() const;
    TDatStatus CanRead() const;

    // *DATWRITE and *DATWRITES: appends the records (none for an empty list).
    // Returns CanWrite()'s status when that is not dsOk. A write that fails
    // raises and drops the file: nothing is open afterwards and the old
    // file stays as it was.
    TDatStatus Write(const std::vector<TDatRecord>& Records);

    // *DATREAD: the next record to Assign (index 0). dsNoData when no whole
    // record is left before the checksum; the read position moves past the
    // record once Assign returns.
    TDatStatus Read(const TDatAssign& Assign);

    // *DATREADS: the next Count records to Assign, index 0 .. Count - 1.
    // dsNoData, before any record, when none is left, and also when a record
    // would reach into the checksum (records assigned before it stay
    // assigned). The read position moves only when all Count are done.
    TDatStatus ReadRecords(int32_t Count, const TDatAssign& Assign);

private:
    std::string FDatFileName;
    uint8_t FDatWriteMode = 0;
    int64_t FDatReadPos = 0;
    // Where the parts of FDatFileName that must be no links begin.
    size_t FNameStart = 0;
    // The file being written and the checksum of what it holds.
    std::unique_ptr<TSafeFileStream> FWriting;
    uint32_t FWriteCrc = 0;
};
