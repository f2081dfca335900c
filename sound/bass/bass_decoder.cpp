#include "sound/bass/bass_decoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int OutputRate = 44100;
constexpr int ChunkFrames = 1024;

using TSource = TBassDecoder::TSource;

sf_count_t SourceLength(void* user)
{
    return static_cast<TSource*>(user)->Length;
}

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user)
{
    auto* s = static_cast<TSource*>(user);
    sf_count_t pos = offset;
    if (whence == SEEK_CUR)
        pos += s->Pos;
    else if (whence == SEEK_END)
        pos += s->Length;
    s->Pos = std::clamp<sf_count_t>(pos, 0, s->Length);
    return s->Pos;
}

sf_count_t SourceRead(void* buffer, sf_count_t count, void* user)
{
    auto* s = static_cast<TSource*>(user);
    const sf_count_t n = std::min(count, s->Length - s->Pos);
    if (n <= 0)
        return 0;
    sf_count_t got = 0;
    if (s->File == nullptr) {
        std::memcpy(buffer, s->Bytes.data() + s->Pos, static_cast<size_t>(n));
        got = n;
    } else if (fseeko(s->File, s->Offset + s->Pos, SEEK_SET) == 0) {
        got = static_cast<sf_count_t>(fread(buffer, 1, static_cast<size_t>(n), s->File));
    }
    s->Pos += got;
    return got;
}

sf_count_t SourceWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t SourceTell(void* user)
{
    return static_cast<TSource*>(user)->Pos;
}

} // namespace

std::unique_ptr<TBassDecoder> TBassDecoder::FromMemory(const void* data, uint64_t length)
{
    if (data == nullptr || length == 0)
        return nullptr;
    std::unique_ptr<TBassDecoder> d(new TBassDecoder);
    const auto* bytes = static_cast<const uint8_t*>(data);
    d->FSource.Bytes.assign(bytes, bytes + length);
    d->FSource.Length = static_cast<int64_t>(length);
    return d->Open() ? std::move(d) : nullptr;
}

std::unique_ptr<TBassDecoder> TBassDecoder::FromFile(const char* path, uint64_t offset, uint64_t length)
{
    if (path == nullptr)
        return nullptr;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<TBassDecoder> d(new TBassDecoder);
    d->FSource.File = file;
    int64_t size = 0;
    if (fseeko(file, 0, SEEK_END) == 0)
        size = ftello(file);
    const auto start = static_cast<int64_t>(offset);
    if (start >= size)
        return nullptr;
    const int64_t rest = size - start;
    d->FSource.Offset = start;
    d->FSource.Length = length == 0 ? rest : std::min(rest, static_cast<int64_t>(length));
    return d->Open() ? std::move(d) : nullptr;
}

TBassDecoder::~TBassDecoder()
{
    if (FSnd != nullptr)
        sf_close(FSnd);
    if (FSource.File != nullptr)
        std::fclose(FSource.File);
}

bool TBassDecoder::Open()
{
    static SF_VIRTUAL_IO io{&SourceLength, &SourceSeek, &SourceRead, &SourceWrite, &SourceTell};
    FSnd = sf_open_virtual(&io, SFM_READ, &FInfo, &FSource);
    if (FSnd == nullptr || FInfo.channels <= 0 || FInfo.channels > 64 || FInfo.samplerate < MinRate ||
        FInfo.samplerate > MaxRate)
        return false;
    FRaw.resize(static_cast<size_t>(ChunkFrames) * FInfo.channels);
    FNative.resize(static_cast<size_t>(ChunkFrames) * 2);
    return true;
}

bool TBassDecoder::NextNative(float frame[2])
{
    if (FNativeAt == FNativeCount) {
        const sf_count_t got = sf_readf_float(FSnd, FRaw.data(), ChunkFrames);
        if (got <= 0)
            return false;
        const int ch = FInfo.channels;
        for (sf_count_t i = 0; i < got; ++i) {
            const float* in = FRaw.data() + i * ch;
            FNative[2 * i] = in[0];
            FNative[2 * i + 1] = ch > 1 ? in[1] : in[0];
        }
        FNativeAt = 0;
        FNativeCount = static_cast<size_t>(got);
    }
    frame[0] = FNative[2 * FNativeAt];
    frame[1] = FNative[2 * FNativeAt + 1];
    ++FNativeAt;
    return true;
}

int TBassDecoder::Read(float* out, int frames)
{
    if (!FPrimed) {
        FPrimed = true;
        FEnded = !NextNative(FPrev);
        FHaveNext = !FEnded && NextNative(FNext);
    }
    int done = 0;
    while (done < frames && !FEnded) {
        for (int c = 0; c < 2; ++c)
            out[2 * done + c] =
                FHaveNext ? FPrev[c] + (FNext[c] - FPrev[c]) * static_cast<float>(FPhase) / OutputRate : FPrev[c];
        ++done;
        FPhase += FInfo.samplerate;
        while (FPhase >= OutputRate) {
            FPhase -= OutputRate;
            if (!FHaveNext) {
                FEnded = true;
                break;
            }
            FPrev[0] = FNext[0];
            FPrev[1] = FNext[1];
            FHaveNext = NextNative(FNext);
        }
    }
    return done;
}

bool TBassDecoder::Rewind()
{
    if (sf_seek(FSnd, 0, SEEK_SET) < 0)
        return false;
    FNativeAt = FNativeCount = 0;
    FPrimed = false;
    FHaveNext = false;
    FPhase = 0;
    FEnded = false;
    return true;
}
