#include "sound/wave_read.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/audio/shared_library.h"

namespace {

uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

struct TChunk {
    size_t Data = 0; // offset of the chunk's data
    uint32_t Size = 0;
};

// Finds the chunk `id` among the chunks in [pos, end), as a descend that
// searches does: chunks are skipped by their size, padded to even.
bool FindChunk(std::span<const uint8_t> image, size_t pos, size_t end, const char* id, TChunk& found)
{
    while (pos + 8 <= end) {
        const uint8_t* head = image.data() + pos;
        const uint32_t size = Le32(head + 4);
        if (std::memcmp(head, id, 4) == 0) {
            found = {pos + 8, size};
            return true;
        }
        const uint64_t next = static_cast<uint64_t>(pos) + 8 + size + (size & 1);
        if (next > end)
            return false;
        pos = static_cast<size_t>(next);
    }
    return false;
}

// libsndfile reads the image from memory through these.
struct TMemoryFile {
    std::span<const uint8_t> Bytes;
    sf_count_t Pos = 0;
};

sf_count_t MemLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<TMemoryFile*>(user)->Bytes.size());
}

sf_count_t MemSeek(sf_count_t offset, int whence, void* user)
{
    auto* f = static_cast<TMemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(f->Bytes.size());
    sf_count_t pos = offset;
    if (whence == SEEK_CUR)
        pos += f->Pos;
    else if (whence == SEEK_END)
        pos += size;
    f->Pos = std::clamp<sf_count_t>(pos, 0, size);
    return f->Pos;
}

sf_count_t MemRead(void* buffer, sf_count_t count, void* user)
{
    auto* f = static_cast<TMemoryFile*>(user);
    const sf_count_t n = std::min(count, static_cast<sf_count_t>(f->Bytes.size()) - f->Pos);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, f->Bytes.data() + f->Pos, static_cast<size_t>(n));
    f->Pos += n;
    return n;
}

sf_count_t MemWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t MemTell(void* user)
{
    return static_cast<TMemoryFile*>(user)->Pos;
}

// libsndfile, opened with the first compressed wave rather than linked,
// like the other libraries only sound needs.
struct TSndFileApi {
    decltype(&::sf_open_virtual) sf_open_virtual = nullptr;
    decltype(&::sf_readf_short) sf_readf_short = nullptr;
    decltype(&::sf_close) sf_close = nullptr;
    bool Usable = false;
};

const TSndFileApi& SndFile()
{
    static const TSndFileApi api = [] {
        TSndFileApi loaded;
        TSharedLibrary library(TG_SNDFILE_SONAME);
        library.Find(loaded.sf_open_virtual, "sf_open_virtual");
        library.Find(loaded.sf_readf_short, "sf_readf_short");
        library.Find(loaded.sf_close, "sf_close");
        loaded.Usable = library.Failure().empty();
        if (!loaded.Usable)
            std::fprintf(stderr, "tideglass: compressed waves cannot be read (%s)\n", library.Failure().c_str());
        return loaded;
    }();
    return api;
}

// Decodes a compressed image to 16-bit PCM at its own rate and channels.
TWaveData DecodeCompressed(std::span<const uint8_t> image)
{
    const TSndFileApi& Sf = SndFile();
    if (!Sf.Usable)
        throw ESndMixError("File format not supported");
    TMemoryFile file{image, 0};
    SF_VIRTUAL_IO io{&MemLength, &MemSeek, &MemRead, &MemWrite, &MemTell};
    SF_INFO info{};
    SNDFILE* sf = Sf.sf_open_virtual(&io, SFM_READ, &info, &file);
    if (sf == nullptr)
        throw ESndMixError("File format not supported");
    if (info.channels <= 0 || info.channels > 255 || info.samplerate <= 0) {
        Sf.sf_close(sf);
        throw ESndMixError("File format not supported");
    }
    TWaveData out;
    const auto channels = static_cast<uint16_t>(info.channels);
    out.Format = {WAVE_FORMAT_PCM, channels, static_cast<uint32_t>(info.samplerate),
        static_cast<uint32_t>(info.samplerate) * channels * 2u, static_cast<uint16_t>(channels * 2), 16};
    std::vector<short> frames(4096u * channels);
    for (;;) {
        const sf_count_t got = Sf.sf_readf_short(sf, frames.data(), 4096);
        if (got <= 0)
            break;
        const size_t bytes = static_cast<size_t>(got) * channels * 2;
        const size_t at = out.Data.size();
        out.Data.resize(at + bytes);
        for (size_t i = 0; i < static_cast<size_t>(got) * channels; ++i) {
            const auto v = static_cast<uint16_t>(frames[i]);
            out.Data[at + 2 * i] = static_cast<uint8_t>(v & 0xFF);
            out.Data[at + 2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    Sf.sf_close(sf);
    if (out.Data.empty())
        throw ESndMixError("Failed to read data chunk");
    return out;
}

} // namespace

TWaveData ReadWaveImage(std::span<const uint8_t> image)
{
    // The RIFF chunk of form "WAVE" among the top-level chunks.
    size_t pos = 0;
    size_t riffStart = 0;
    size_t riffEnd = 0;
    for (;;) {
        TChunk riff;
        if (!FindChunk(image, pos, image.size(), "RIFF", riff))
            throw ESndMixError("This is not a WAVE file");
        if (riff.Data + 4 <= image.size() && std::memcmp(image.data() + riff.Data, "WAVE", 4) == 0) {
            riffStart = riff.Data + 4;
            riffEnd = static_cast<size_t>(std::min<uint64_t>(image.size(), uint64_t{riff.Data} + riff.Size));
            break;
        }
        pos = static_cast<size_t>(std::min<uint64_t>(image.size(), uint64_t{riff.Data} + riff.Size + (riff.Size & 1)));
    }

    TChunk fmt;
    if (!FindChunk(image, riffStart, riffEnd, "fmt ", fmt) || fmt.Size < 16 || uint64_t{fmt.Data} + fmt.Size > riffEnd)
        throw ESndMixError("WAVE file is corrupted");
    const uint8_t* f = image.data() + fmt.Data;
    TWaveData wave;
    wave.Format = {Le16(f), Le16(f + 2), Le32(f + 4), Le32(f + 8), Le16(f + 12), Le16(f + 14)};

    TChunk data;
    if (!FindChunk(image, fmt.Data + fmt.Size + (fmt.Size & 1), riffEnd, "data", data))
        throw ESndMixError("WAVE file has no data chunk");
    if (data.Size == 0)
        throw ESndMixError("The data chunk has no data");
    // The size is checked against the file before anything is allocated.
    if (uint64_t{data.Data} + data.Size > image.size())
        throw ESndMixError("Failed to read data chunk");

    if (wave.Format.FormatTag != WAVE_FORMAT_PCM)
        return DecodeCompressed(image);
    wave.Data.assign(image.begin() + static_cast<ptrdiff_t>(data.Data),
        image.begin() + static_cast<ptrdiff_t>(data.Data + data.Size));
    return wave;
}
