#pragma once
// TMidiFileStream: the whole file in memory, read chunk by chunk. Every read
// is bounded by the bytes left in the current chunk (and by the file), so a
// lying length can never move a reader into the next chunk or past the end.

#include <cstdint>
#include <string>

#include "base/exceptions.h"
#include "base/streams.h"

class TMidiFileStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;

    // Bytes left in the current chunk.
    int64_t Left() const { return FLeft; }
    // Starts a chunk of `length` bytes at the current position; a length
    // beyond the file is cut at the file's end.
    void BeginChunk(int64_t length);

    // Each raises EMidiReadError when the chunk has too few bytes left.
    uint8_t ReadByte();
    // Big-endian unsigned integer of n (1 to 4) bytes.
    uint32_t ReadInt(int n);
    // Variable-length quantity: 7 bits per byte, most significant first, at
    // most four bytes (28 bits) as the file format allows.
    uint32_t ReadVarLen();
    std::string ReadChars(int64_t n);
    // Gives the last byte back (running status).
    void StepBack();

private:
    int64_t FLeft = 0;
};

// A read past the current chunk: ends the track being read, not the load.
class EMidiReadError : public EReadError {
public:
    using EReadError::EReadError;
};
