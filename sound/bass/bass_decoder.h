#pragma once
// A sound file decoded through libsndfile (WAV, FLAC, Ogg Vorbis/Opus, MP3
// as libsndfile reads them) into 44100 Hz float stereo: mono is doubled,
// channels past the second are left out, other rates are resampled linearly.

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class TBassDecoder {
public:
    // Native rates a sound card can mean; files at other rates are refused.
    static constexpr int MinRate = 1000;
    static constexpr int MaxRate = 192000;

    // A copy of `length` bytes; nullptr when libsndfile cannot read them.
    static std::unique_ptr<TBassDecoder> FromMemory(const void* data, uint64_t length);
    // `length` bytes of the file from `offset` (0: to the end of the file).
    static std::unique_ptr<TBassDecoder> FromFile(const char* path, uint64_t offset, uint64_t length);
    ~TBassDecoder();
    TBassDecoder(const TBassDecoder&) = delete;
    TBassDecoder& operator=(const TBassDecoder&) = delete;

    // Writes up to `frames` stereo frames; fewer only at the end.
    int Read(float* out, int frames);
    bool Rewind();
    int NativeRate() const { return FInfo.samplerate; }

    // The I/O that libsndfile reads through: a byte range of memory or a file.
    struct TSource {
        std::vector<uint8_t> Bytes;
        FILE* File = nullptr;
        int64_t Offset = 0;
        int64_t Length = 0;
        int64_t Pos = 0;
    };

private:
    TBassDecoder() = default;
    bool Open();
    bool NextNative(float frame[2]);

    TSource FSource;
    SNDFILE* FSnd = nullptr;
    SF_INFO FInfo{};
    std::vector<float> FRaw;    // native frames as read, all channels
    std::vector<float> FNative; // native frames as stereo
    size_t FNativeAt = 0;
    size_t FNativeCount = 0;
    bool FPrimed = false;
    bool FHaveNext = false;
    float FPrev[2] = {};
    float FNext[2] = {};
    int64_t FPhase = 0; // between FPrev and FNext, in 1/44100 of a source frame
    bool FEnded = false;
};
