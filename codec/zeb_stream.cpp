#include "codec/zeb_stream.h"

#include <algorithm>
#include <cstring>

// ---- reading ----

TZEBCustomReadStream::TZEBCustomReadStream() = default;
TZEBCustomReadStream::~TZEBCustomReadStream() = default;

void TZEBCustomReadStream::AttachStream(TStream& source, int64_t size)
{
    FSource = &source;
    FStartPosition = source.Position();
    FDataLength = size > 0 ? size : source.Size() - FStartPosition;
    FCount = 0;
    FLeft = 0;
    FPtr = nullptr;
    FError = FDataLength <= 0;
    FStop = false;
    FMacBinarySkipped = false;
    FInPlace = false;
    if (FError)
        return;
    // A memory stream is read where it lies, which spares a copy of the file.
    if (auto* memory = dynamic_cast<TMemoryStream*>(&source)) {
        FDataLength = std::min(FDataLength, memory->Size() - FStartPosition);
        FError = FDataLength <= 0;
        FInPlace = true;
        FPtr = memory->Memory() + FStartPosition;
        FLeft = FError ? 0 : static_cast<size_t>(FDataLength);
    }
    if (!FError)
        SkipMacBinaryHeader();
}

void TZEBCustomReadStream::AttachBytes(std::span<const uint8_t> bytes)
{
    FSource = nullptr;
    FStartPosition = 0;
    FDataLength = static_cast<int64_t>(bytes.size());
    FCount = 0;
    FInPlace = true;
    FPtr = bytes.data();
    FLeft = bytes.size();
    FError = FDataLength <= 0;
    FStop = false;
    FMacBinarySkipped = false;
    if (!FError)
        SkipMacBinaryHeader();
}

void TZEBCustomReadStream::SkipMacBinaryHeader()
{
    constexpr size_t HeaderSize = 128;
    if (!FMacBinary || FDataLength <= static_cast<int64_t>(HeaderSize))
        return;
    if (FLeft < HeaderSize && !Fill())
        return;
    if (FLeft > 74 && FPtr[0] == 0 && FPtr[74] == 0) {
        Skip(HeaderSize);
        FMacBinarySkipped = true;
    }
}

// Tops up the buffer from a stream source, keeping what is still unread.
bool TZEBCustomReadStream::Fill()
{
    if (FInPlace || FSource == nullptr)
        return false;
    if (!FBuffer)
        FBuffer = std::make_unique<uint8_t[]>(BufferSize);
    if (FLeft > 0 && FPtr != FBuffer.get())
        std::memmove(FBuffer.get(), FPtr, FLeft);
    FPtr = FBuffer.get();
    const int64_t fetched = FCount + static_cast<int64_t>(FLeft);
    const int64_t wanted = std::min<int64_t>(static_cast<int64_t>(BufferSize - FLeft), FDataLength - fetched);
    if (wanted <= 0)
        return false;
    const int64_t got = FSource->Read(FBuffer.get() + FLeft, wanted);
    if (got <= 0)
        return false;
    FLeft += static_cast<size_t>(got);
    return true;
}

bool TZEBCustomReadStream::Read(void* dest, size_t count)
{
    if (FError || FStop)
        return false;
    if (static_cast<uint64_t>(FCount) + count > static_cast<uint64_t>(FDataLength)) {
        FError = true;
        return false;
    }
    auto* out = static_cast<uint8_t*>(dest);
    while (count > 0) {
        if (FLeft == 0) {
            // Long reads go straight to the stream rather than through the buffer.
            if (!FInPlace && FSource != nullptr && count >= BufferSize) {
                const size_t direct = count - count % BufferSize;
                if (FSource->Read(out, static_cast<int64_t>(direct)) != static_cast<int64_t>(direct)) {
                    FError = true;
                    return false;
                }
                FCount += static_cast<int64_t>(direct);
                out += direct;
                count -= direct;
                continue;
            }
            if (!Fill()) {
                FError = true;
                return false;
            }
        }
        const size_t n = std::min(count, FLeft);
        std::memcpy(out, FPtr, n);
        out += n;
        FPtr += n;
        FLeft -= n;
        FCount += static_cast<int64_t>(n);
        count -= n;
    }
    return true;
}

bool TZEBCustomReadStream::Skip(uint64_t count)
{
    if (FError || FStop)
        return false;
    if (static_cast<uint64_t>(FCount) + count > static_cast<uint64_t>(FDataLength)) {
        FError = true;
        return false;
    }
    const size_t buffered = static_cast<size_t>(std::min<uint64_t>(count, FLeft));
    FPtr += buffered;
    FLeft -= buffered;
    FCount += static_cast<int64_t>(buffered);
    count -= buffered;
    if (count > 0) {
        // Only a stream source gets here: the data lies past the buffer.
        const int64_t target = FStartPosition + FCount + static_cast<int64_t>(count);
        if (FSource == nullptr || FSource->Seek(target, soBeginning) != target) {
            FError = true;
            return false;
        }
        FCount += static_cast<int64_t>(count);
    }
    return true;
}

uint8_t TZEBCustomReadStream::ReadByte()
{
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint16_t TZEBCustomReadStream::ReadU16()
{
    uint8_t b[2] = {};
    if (!Read(b, 2))
        return 0;
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t TZEBCustomReadStream::ReadU32()
{
    uint8_t b[4] = {};
    if (!Read(b, 4))
        return 0;
    return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

std::span<const uint8_t> TZEBCustomReadStream::ReadInPlace(size_t max)
{
    if (FError || FStop || max == 0)
        return {};
    if (FLeft == 0 && !Fill()) {
        FError = true;
        return {};
    }
    const size_t n = std::min(max, FLeft);
    std::span<const uint8_t> bytes(FPtr, n);
    FPtr += n;
    FLeft -= n;
    FCount += static_cast<int64_t>(n);
    return bytes;
}

void TZEBCustomReadStream::DetachSource()
{
    if (FSource != nullptr)
        FSource->Seek(FStartPosition + FCount, soBeginning);
    FSource = nullptr;
    FPtr = nullptr;
    FLeft = 0;
    FBuffer.reset();
}

// ---- writing ----

TZEBCustomWriteStream::TZEBCustomWriteStream() : FBuffer(std::make_unique<uint8_t[]>(BufferSize))
{
}
TZEBCustomWriteStream::~TZEBCustomWriteStream() = default;

void TZEBCustomWriteStream::AttachStream(TStream& target)
{
    FTarget = &target;
    FTargetBytes = nullptr;
    FBuffered = 0;
    FTotal = 0;
    FStop = false;
}

void TZEBCustomWriteStream::AttachBytes(std::vector<uint8_t>& target)
{
    FTarget = nullptr;
    FTargetBytes = &target;
    FBuffered = 0;
    FTotal = 0;
    FStop = false;
}

void TZEBCustomWriteStream::DetachTarget()
{
    FTarget = nullptr;
    FTargetBytes = nullptr;
    FBuffered = 0;
}

void TZEBCustomWriteStream::Emit(const uint8_t* data, size_t count)
{
    if (FTarget != nullptr)
        FTarget->WriteBuffer(data, static_cast<int64_t>(count));
    else if (FTargetBytes != nullptr)
        FTargetBytes->insert(FTargetBytes->end(), data, data + count);
}

void TZEBCustomWriteStream::Flush()
{
    if (FBuffered == 0)
        return;
    // Emptied first: a stream that raises must not see these bytes twice.
    const size_t n = FBuffered;
    FBuffered = 0;
    Emit(FBuffer.get(), n);
}

void TZEBCustomWriteStream::Write(const void* data, size_t count)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (count < 65520) {
        if (FBuffered + count > BufferSize - 1)
            Flush();
        std::memcpy(FBuffer.get() + FBuffered, bytes, count);
        FBuffered += count;
    } else {
        Flush();
        Emit(bytes, count);
    }
    FTotal += static_cast<int64_t>(count);
}

void TZEBCustomWriteStream::WriteU16(uint16_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Write(b, 2);
}

void TZEBCustomWriteStream::WriteU32(uint32_t value)
{
    const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
        static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Write(b, 4);
}
