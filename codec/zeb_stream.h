#pragma once
// Buffered byte reading and writing for the picture codecs. The reader takes
// a stream (a memory stream is read in place) or a span of bytes; it never
// reads past the length it was given and, instead of raising, sets an error
// flag that stops every later read. The writer collects small writes in a
// 64 KB buffer. Multi-byte values are big-endian, as in PNG files.

#include "base/classes.h"
#include "base/streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TZEBCustomReadStream : public TObject {
public:
    static constexpr size_t BufferSize = 65536;

    TZEBCustomReadStream();
    ~TZEBCustomReadStream() override;
    TZEBCustomReadStream(const TZEBCustomReadStream&) = delete;
    TZEBCustomReadStream& operator=(const TZEBCustomReadStream&) = delete;
    std::string ClassName() const override { return "TZEBCustomReadStream"; }

    // Skips a 128-byte MacBinary header in front of the data (on by default).
    bool MacBinary() const { return FMacBinary; }
    void SetMacBinary(bool value) { FMacBinary = value; }
    bool MacBinarySkipped() const { return FMacBinarySkipped; }

    // Bytes taken from the source so far, a skipped MacBinary header included.
    int64_t Consumed() const { return FCount; }

protected:
    // `size` bytes of `source` from its position; the rest of it when size <= 0.
    void AttachStream(TStream& source, int64_t size);
    void AttachBytes(std::span<const uint8_t> bytes);
    // Leaves a stream source just after the bytes consumed, however far the
    // buffer read ahead, and forgets the source.
    void DetachSource();

    // Each returns false (or 0) and reads nothing when the data would run out.
    bool Read(void* dest, size_t count);
    bool Skip(uint64_t count);
    uint8_t ReadByte();
    uint16_t ReadU16();
    uint32_t ReadU32();
    // Up to `max` bytes where they lie, without copying; empty at the end.
    std::span<const uint8_t> ReadInPlace(size_t max);

    virtual void Progress(int /*percent*/) {}

    int FProgressPercent = 0;
    TStream* FSource = nullptr;
    int64_t FStartPosition = 0;
    int64_t FDataLength = 0;
    int64_t FCount = 0;
    const uint8_t* FPtr = nullptr;
    std::unique_ptr<uint8_t[]> FBuffer;
    size_t FLeft = 0;
    bool FError = false;
    bool FStop = false;
    bool FMacBinary = true;
    bool FMacBinarySkipped = false;

private:
    bool Fill();
    void SkipMacBinaryHeader();

    bool FInPlace = false; // the whole data lies in memory
};

class TZEBCustomWriteStream : public TObject {
public:
    static constexpr size_t BufferSize = 65536;

    TZEBCustomWriteStream();
    ~TZEBCustomWriteStream() override;
    TZEBCustomWriteStream(const TZEBCustomWriteStream&) = delete;
    TZEBCustomWriteStream& operator=(const TZEBCustomWriteStream&) = delete;
    std::string ClassName() const override { return "TZEBCustomWriteStream"; }

    int64_t Written() const { return FTotal; }

protected:
    void AttachStream(TStream& target);
    void AttachBytes(std::vector<uint8_t>& target);
    // Writes out what the buffer holds; stream errors pass through.
    void Flush();
    void DetachTarget();

    void Write(const void* data, size_t count);
    void WriteByte(uint8_t value) { Write(&value, 1); }
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);

    // Returns true when the caller asked to stop.
    virtual bool Progress(int /*percent*/) { return false; }

    int FProgressPercent = 0;
    std::unique_ptr<uint8_t[]> FBuffer;
    size_t FBuffered = 0;
    int64_t FTotal = 0;
    TStream* FTarget = nullptr;
    std::vector<uint8_t>* FTargetBytes = nullptr;
    bool FStop = false;

private:
    void Emit(const uint8_t* data, size_t count);
};
