#include "codec/kv_bit_stream.h"

#include "base/streams.h"
#include "codec/kv_error.h"

namespace {

constexpr uint8_t BitMask[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

uint32_t LoadBigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void StoreBigEndian32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

} // namespace

// ---- writer ----

TkvBitWriter::TkvBitWriter(TStream& AStream) : Stream(&AStream)
{
}

void TkvBitWriter::Advance(int32_t Bits)
{
    const int32_t total = BitIndex + Bits;
    ByteIndex += total >> 3;
    BitIndex = total & 7;
    if (ByteIndex == kvBitBufferSize) {
        ByteIndex = 0;
        Flush();
    }
}

void TkvBitWriter::PutBit(bool Bit)
{
    if (Bit)
        Buffer[ByteIndex] |= BitMask[BitIndex];
    else
        Buffer[ByteIndex] &= uint8_t(~BitMask[BitIndex]);
    Advance(1);
}

void TkvBitWriter::PutByte(uint8_t Value)
{
    PutBits(Value, 8);
}

void TkvBitWriter::PutBits(uint32_t Value, int Count)
{
    // At most 7 + 24 bits from the current byte on: four bytes hold them,
    // and the advance cannot reach the buffer's end, so no flush falls inside.
    if (ByteIndex + 4 <= kvBitBufferSize) {
        const int shift = 32 - BitIndex - Count;
        const uint32_t mask = ((uint32_t(1) << Count) - 1) << shift;
        uint8_t* p = Buffer.data() + ByteIndex;
        StoreBigEndian32(p, (LoadBigEndian32(p) & ~mask) | ((Value << shift) & mask));
        Advance(Count);
        return;
    }
    for (int i = Count - 1; i >= 0; --i)
        PutBit(((Value >> i) & 1) != 0);
}

void TkvBitWriter::Flush()
{
    const int32_t n = (ByteIndex == 0 && BitIndex == 0) ? kvBitBufferSize : ByteIndex + (BitIndex != 0 ? 1 : 0);
    Stream->WriteBuffer(Buffer.data(), n);
}

void TkvBitWriter::Finish()
{
    if (ByteIndex != 0 || BitIndex != 0)
        Flush();
}

// ---- reader ----

TkvBitReader::TkvBitReader(TStream& AStream) : Stream(&AStream)
{
    ReadChunk();
}

void TkvBitReader::ReadChunk()
{
    // Streams that deliver less than asked before their end (pipes) would
    // otherwise shift every later bit.
    int32_t got = 0;
    while (got < kvBitBufferSize) {
        const int64_t n = Stream->Read(Buffer.data() + got, kvBitBufferSize - got);
        if (n <= 0)
            break;
        got += int32_t(n);
    }
    Count = got;
}

void TkvBitReader::DataEndsEarly() const
{
    throw EkvCompressError("LZSS Decompress: Data ends early");
}

bool TkvBitReader::GetBit()
{
    if (ByteIndex >= Count)
        DataEndsEarly();
    const bool bit = (Buffer[ByteIndex] & BitMask[BitIndex]) != 0;
    if (++BitIndex == 8) {
        BitIndex = 0;
        if (++ByteIndex == kvBitBufferSize) {
            ByteIndex = 0;
            ReadChunk();
        }
    }
    return bit;
}

uint8_t TkvBitReader::GetByte()
{
    return uint8_t(GetBits(8));
}

uint32_t TkvBitReader::GetBits(int Bits)
{
    // Four whole data bytes ahead hold every requested bit, and the advance
    // stays short of the chunk's end, so no read falls inside.
    if (ByteIndex + 4 <= Count) {
        const uint32_t v = LoadBigEndian32(Buffer.data() + ByteIndex) << BitIndex;
        const int32_t total = BitIndex + Bits;
        ByteIndex += total >> 3;
        BitIndex = total & 7;
        return v >> (32 - Bits);
    }
    uint32_t value = 0;
    for (int i = 0; i < Bits; ++i)
        value = (value << 1) | (GetBit() ? 1 : 0);
    return value;
}
