#pragma once
// The bit writer and bit reader under the LZSS coder. Bits run through each
// byte from its most significant bit down; both sides move their stream's
// data in whole 4096-byte chunks.

#include "base/classes.h"

#include <array>
#include <cstdint>

class TStream;

constexpr int32_t kvBitBufferSize = 4096;

class TkvBitWriter : public TObject {
public:
    // Stream is not owned and must outlive the writer.
    explicit TkvBitWriter(TStream& AStream);
    std::string ClassName() const override { return "TkvBitWriter"; }

    // Sets or clears the current bit, then advances; a full buffer is flushed.
    void PutBit(bool Bit);
    // Eight bits, most significant first.
    void PutByte(uint8_t Value);
    // The low Count bits of Value (Count 1..24), most significant first;
    // the same bytes as Count calls of PutBit.
    void PutBits(uint32_t Value, int Count);
    // Writes the buffer's filled part: all 4096 bytes right after a wrap,
    // otherwise up to and including a partly filled byte.
    void Flush();
    // Flushes what is pending, as the writer does when it is freed. The
    // output is complete only after this; the destructor writes nothing, so
    // a coder that fails midway leaves no misleading tail behind.
    void Finish();

private:
    TStream* Stream;
    // Never cleared between rounds: every bit is set or cleared explicitly,
    // so the unused low bits of a final byte keep what the previous round
    // left there. Stored streams carry those bits.
    std::array<uint8_t, kvBitBufferSize> Buffer{};
    int32_t BitIndex = 0; // 0 is the byte's most significant bit
    int32_t ByteIndex = 0;

    void Advance(int32_t Bits);
};

class TkvBitReader : public TObject {
public:
    // Reads the first chunk of up to 4096 bytes at once, so the source's
    // position runs ahead of the bits consumed by up to one chunk.
    explicit TkvBitReader(TStream& AStream);
    std::string ClassName() const override { return "TkvBitReader"; }

    // Each raises EkvCompressError when the source has no more bytes.
    bool GetBit();
    uint8_t GetByte();
    // 1..24 bits, the first read as the most significant.
    uint32_t GetBits(int Bits);

private:
    TStream* Stream;
    std::array<uint8_t, kvBitBufferSize> Buffer{};
    int32_t BitIndex = 0;
    int32_t ByteIndex = 0;
    // Bytes the last read delivered; what lies past them is not data.
    int32_t Count = 0;

    void ReadChunk();
    [[noreturn]] void DataEndsEarly() const;
};
