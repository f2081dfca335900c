#include "formats/save/save_streams.h"

#include "base/sjis.h"
#include "codec/kv_compress.h"
#include "formats/save/save_error.h"

#include <cstring>
#include <memory>

ESaveFormatError::ESaveFormatError(std::string reason)
    : Exception(SJ("セーブデータの形式が異なっています")), FReason(std::move(reason))
{
}

namespace {

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A byte count read from the stream, refused when the stream cannot hold it.
int64_t CheckedCount(TStream& Stream)
{
    const int32_t count = Stream.ReadI32();
    if (count < 0 || count > Stream.Size() - Stream.Position())
        throw EReadError("Stream read error");
    return count;
}

} // namespace

void WriteSaveStreams(TStream& Target, const std::vector<std::vector<uint8_t>>& Streams, int High)
{
    Target.WriteI32(High + 1);
    for (int i = 0; i <= High; ++i) {
        const auto& s = Streams[static_cast<size_t>(i)];
        Target.WriteI32(static_cast<int32_t>(s.size()));
        Target.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
    }
}

void ReadSaveStream(int K, TStream& File, TMemoryStream& Out)
{
    File.ReadI32();
    for (int i = 0; i < K; ++i)
        File.Seek(CheckedCount(File), soCurrent);
    const int64_t count = CheckedCount(File);
    Out.Clear();
    Out.SetSize(count);
    File.ReadBuffer(Out.Memory(), count);
    Out.SetPosition(0);
}

void WriteSaveString(TStream& Stream, const std::string& Text)
{
    Stream.WriteI32(static_cast<int32_t>(Text.size()));
    Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

std::string ReadSaveString(TStream& Stream)
{
    std::string text(static_cast<size_t>(CheckedCount(Stream)), '\0');
    Stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    return text;
}

std::vector<std::span<const uint8_t>> SplitSaveStreams(std::span<const uint8_t> File)
{
    if (File.size() < 8 || std::memcmp(File.data(), SaveMagic, sizeof SaveMagic) != 0)
        throw ESaveFormatError("not a save file (magic)");
    const auto count = static_cast<int32_t>(GetU32(File.data() + 4));
    // Every stream takes at least its 4-byte count.
    if (count < 2 || static_cast<uint64_t>(count) > (File.size() - 8) / 4)
        throw ESaveFormatError("stream count " + std::to_string(count));
    std::vector<std::span<const uint8_t>> streams;
    streams.reserve(static_cast<size_t>(count));
    size_t pos = 8;
    for (int32_t i = 0; i < count; ++i) {
        if (File.size() - pos < 4)
            throw ESaveFormatError("stream " + std::to_string(i) + " cut off");
        const auto size = static_cast<int32_t>(GetU32(File.data() + pos));
        pos += 4;
        if (size < 0 || static_cast<uint64_t>(size) > File.size() - pos)
            throw ESaveFormatError("stream " + std::to_string(i) + " size " + std::to_string(size));
        streams.push_back(File.subspan(pos, static_cast<size_t>(size)));
        pos += static_cast<size_t>(size);
    }
    return streams;
}

const uint8_t* TSaveFieldReader::Take(size_t Count, const char* Field)
{
    if (Count > Left())
        throw ESaveFormatError(std::string("state cut off in ") + Field);
    const uint8_t* p = FBytes.data() + FPos;
    FPos += Count;
    return p;
}

int32_t TSaveFieldReader::ReadI32(const char* Field)
{
    return static_cast<int32_t>(GetU32(Take(4, Field)));
}

uint16_t TSaveFieldReader::ReadU16(const char* Field)
{
    const uint8_t* p = Take(2, Field);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint8_t TSaveFieldReader::ReadU8(const char* Field)
{
    return *Take(1, Field);
}

std::string TSaveFieldReader::ReadString(const char* Field)
{
    const int32_t length = ReadI32(Field);
    if (length < 0)
        throw ESaveFormatError(std::string("negative length in ") + Field);
    const auto* p = reinterpret_cast<const char*>(Take(static_cast<size_t>(length), Field));
    return std::string(p, static_cast<size_t>(length));
}

int32_t TSaveFieldReader::ReadCount(const char* Field, int64_t MinBytes, int64_t Limit)
{
    const int32_t count = ReadI32(Field);
    if (count < 0 || count > Limit || count * MinBytes > static_cast<int64_t>(Left()))
        throw ESaveFormatError(std::string("count ") + std::to_string(count) + " in " + Field);
    return count;
}

std::vector<uint8_t> EncodeSaveLzss(std::span<const uint8_t> Plain)
{
    TMemoryStream src(Plain.data(), Plain.size());
    TMemoryStream dst;
    dst.WriteI32(static_cast<int32_t>(Plain.size()));
    std::unique_ptr<TkvCompress> coder = TkvCompressClass(TkvCompress::Create<TkvLZSSCompress>)();
    coder->Compress(src, dst, static_cast<int32_t>(Plain.size()));
    return std::move(dst.Bytes());
}

std::vector<uint8_t> DecodeSaveLzss(std::span<const uint8_t> Stream, const char* What)
{
    if (Stream.size() < 4)
        throw ESaveFormatError(std::string(What) + " has no size");
    const auto size = static_cast<int32_t>(GetU32(Stream.data()));
    const uint64_t codedBits = uint64_t(Stream.size() - 4) * 8;
    if (size < 0 || static_cast<uint64_t>(size) > (codedBits / 19 + 1) * 66)
        throw ESaveFormatError(std::string(What) + " size " + std::to_string(size) + " beyond its coded bytes");
    TMemoryStream src(Stream.data() + 4, Stream.size() - 4);
    TMemoryStream dst;
    dst.Bytes().reserve(static_cast<size_t>(size));
    try {
        std::unique_ptr<TkvCompress> coder = TkvCompressClass(TkvCompress::Create<TkvLZSSCompress>)();
        coder->Decompress(src, dst, size);
    } catch (const Exception& e) {
        throw ESaveFormatError(std::string(What) + ": " + e.what());
    }
    return std::move(dst.Bytes());
}
