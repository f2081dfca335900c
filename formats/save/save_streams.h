#pragma once
// The save file's container and the byte forms inside its state stream.
//
// A save file is the magic "TGS\0", a 32-bit stream count and that many
// streams, each a 32-bit byte count and its bytes. Integers are 32-bit
// little-endian; a string is a 32-bit length and that many Shift-JIS bytes.

#include "base/exceptions.h"
#include "base/streams.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr uint8_t SaveMagic[4] = {'T', 'G', 'S', 0};

// Writes the stream count High + 1, then each of Streams[0..High] as its byte
// count and its whole content.
void WriteSaveStreams(TStream& Target, const std::vector<std::vector<uint8_t>>& Streams, int High);
// With File just after the magic: reads and ignores the stream count, skips
// K streams by their byte counts, then copies the next stream into Out
// (emptied first) and sets Out's position to 0. A byte count beyond what the
// file holds raises EReadError before anything is allocated.
void ReadSaveStream(int K, TStream& File, TMemoryStream& Out);

void WriteSaveString(TStream& Stream, const std::string& Text);
// A length that is negative or beyond the bytes left in the stream raises
// EReadError.
std::string ReadSaveString(TStream& Stream);

// The streams of a whole file, without copying: every count is checked
// against the bytes left; bytes after the last stream are ignored. Raises
// ESaveFormatError for a wrong magic or a count that does not fit.
std::vector<std::span<const uint8_t>> SplitSaveStreams(std::span<const uint8_t> File);

// Reads the state stream's fields, each checked against the bytes left, so a
// corrupt count never reads past the end or allocates more than the stream
// could hold. Raises ESaveFormatError naming the field.
class TSaveFieldReader {
public:
    explicit TSaveFieldReader(std::span<const uint8_t> Bytes) : FBytes(Bytes) {}

    int32_t ReadI32(const char* Field);
    uint16_t ReadU16(const char* Field);
    uint8_t ReadU8(const char* Field);
    std::string ReadString(const char* Field);
    // A count of records of at least MinBytes each: not negative, not above
    // Limit and not more than the bytes left can hold.
    int32_t ReadCount(const char* Field, int64_t MinBytes, int64_t Limit);
    size_t Left() const { return FBytes.size() - FPos; }

private:
    const uint8_t* Take(size_t Count, const char* Field);

    std::span<const uint8_t> FBytes;
    size_t FPos = 0;
};

// Stream 1's form (and the old screen stream's): the uncompressed byte count,
// then the bytes coded by the LZSS block coder.
std::vector<uint8_t> EncodeSaveLzss(std::span<const uint8_t> Plain);
// Refuses a count that the coded bytes could not give back (every 19-bit
// match token yields at most 66 bytes) before allocating it; a coded stream
// that ends early or reaches outside its history raises ESaveFormatError too.
std::vector<uint8_t> DecodeSaveLzss(std::span<const uint8_t> Stream, const char* What);
