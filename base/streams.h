#pragma once
// Byte streams as the class library has them: a file stream, a memory
// stream, and the checked ReadBuffer/WriteBuffer that raise on short transfers.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    // Transfer up to `count` bytes; return how many moved (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    virtual int64_t Size();
    // Changes the size (file streams truncate or extend).
    virtual void SetSize(int64_t newSize);

    // Raise EReadError ("Stream read error") / EWriteError ("Stream write
    // error") when fewer than `count` bytes move.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);

    // Copies `count` bytes from source's position; count 0 copies the whole
    // source from its start. Returns the count copied.
    int64_t CopyFrom(TStream& source, int64_t count);

    // Little-endian helpers over ReadBuffer/WriteBuffer.
    uint8_t ReadU8();
    uint32_t ReadU32();
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    void WriteU8(uint8_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
};

// Open modes of the original; the sharing flags are accepted and ignored
// (Linux locks are advisory).
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF, // create or truncate, then read/write
};

// Reads up to `count` bytes from an open file descriptor, retrying
// interrupted and partial reads; fewer only at the end of the file. Raises
// EReadError on a read failure. Shared by the streams over descriptors.
int64_t ReadFromHandle(int handle, void* buffer, int64_t count);

class TFileStream : public TStream {
public:
    // `fileName` is a file-system path (UTF-8 on Linux). Raises EFOpenError
    // ("Cannot open file \"<name>\". <reason>") or EFCreateError ("Cannot
    // create file \"<name>\". <reason>"). Without `followLink` a symbolic
    // link as the last part of the path is not followed: the open fails.
    TFileStream(const std::string& fileName, uint16_t mode, bool followLink = true);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    const std::string& FileName() const { return FFileName; }

private:
    int FHandle = -1;
    std::string FFileName;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    // A stream holding a copy of the bytes, positioned at 0.
    TMemoryStream(const void* data, size_t size);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t newSize) override;

    void Clear();
    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    std::vector<uint8_t>& Bytes() { return FData; }
    const std::vector<uint8_t>& Bytes() const { return FData; }

    void LoadFromStream(TStream& stream); // whole stream from its start
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& fileName);

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// Reads a whole file into memory; raises EFOpenError.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
// Writes through a temporary file in the same folder renamed into place, so a
// failure leaves any existing file as it was. Raises EFCreateError/EWriteError.
void WriteFileAtomically(const std::string& fileName, const void* data, size_t size);
