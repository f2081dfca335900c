#include "formats/save/save_file.h"

#include "codec/crc32.h"
#include "codec/zeb_png_error.h"
#include "formats/save/save_error.h"
#include "formats/save/save_pictures.h"
#include "formats/save/save_streams.h"

namespace {

// The state stream grows in one vector: 16384 flags with their names are
// most of it, and a stream object per field would cost more than the fields.
class TStateBytes {
public:
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            FBytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void U16(uint16_t v)
    {
        FBytes.push_back(static_cast<uint8_t>(v));
        FBytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U8(uint8_t v) { FBytes.push_back(v); }
    void Str(const std::string& s)
    {
        I32(static_cast<int32_t>(s.size()));
        FBytes.insert(FBytes.end(), s.begin(), s.end());
    }
    std::vector<uint8_t>& Bytes() { return FBytes; }

private:
    std::vector<uint8_t> FBytes;
};

template <class T>
T At(const std::vector<T>& v, int32_t i)
{
    return static_cast<size_t>(i) < v.size() ? v[static_cast<size_t>(i)] : T{};
}

// The buffers the file holds, in the order of their pairs and streams.
std::vector<const TSaveGame::Buffer*> BuffersToWrite(const TSaveGame& Game)
{
    std::vector<const TSaveGame::Buffer*> used;
    int32_t previous = -1;
    for (const auto& b : Game.Buffers) {
        if (b.Number <= previous || b.Number >= SaveBufferCount)
            throw ESaveFormatError("buffer " + std::to_string(b.Number) + " out of order");
        previous = b.Number;
        // A buffer marked in use but never filled has no picture to store.
        if (b.Picture != nullptr && !b.Picture->Empty())
            used.push_back(&b);
    }
    return used;
}

} // namespace

uint32_t ScriptChecksum(const std::vector<std::string>& Lines)
{
    static const char LineEnd[2] = {'\r', '\n'};
    uint32_t crc = 0;
    for (const auto& line : Lines) {
        UpdateCRC32(line.data(), static_cast<uint32_t>(line.size()), crc);
        UpdateCRC32(LineEnd, 2, crc);
    }
    return crc;
}

std::vector<uint8_t> BuildSaveState(const TSaveGame& Game)
{
    TStateBytes s;
    s.I32(SaveVersion);
    s.U32(Game.ScriptChecksum);
    s.Str(Game.Scene);
    s.I32(Game.Music.Playing ? 1 : 0);
    s.I32(Game.Music.Loop ? 1 : 0);
    s.Str(Game.Music.Playing ? Game.Music.Name : std::string());
    s.I32(SaveFlagCount);
    for (int32_t i = 0; i < SaveFlagCount; ++i)
        s.I32(At(Game.FlagValues, i));
    for (int32_t i = 0; i < SaveFlagCount; ++i)
        s.Str(At(Game.FlagNames, i));
    s.I32(static_cast<int32_t>(Game.ItemCounts.size()));
    for (int32_t count : Game.ItemCounts)
        s.I32(count);
    s.I32(SaveStringCount);
    for (int32_t i = 0; i < SaveStringCount; ++i)
        s.Str(At(Game.StringValues, i));
    for (int32_t i = 0; i < SaveStringCount; ++i)
        s.Str(At(Game.StringNames, i));
    s.I32(static_cast<int32_t>(Game.Keywords.size()));
    for (const auto& k : Game.Keywords)
        s.Str(k);
    s.U8(Game.BgRunning ? 1 : 0);
    s.Str(Game.BgLabel);
    s.I32(Game.BgInterval);
    const auto buffers = BuffersToWrite(Game);
    s.I32(static_cast<int32_t>(buffers.size()));
    for (const auto* b : buffers) {
        s.I32(b->Number);
        s.I32(b->Transparent ? 1 : 0);
    }
    for (uint32_t c : Game.Colors)
        s.U32(c);
    s.I32(static_cast<int32_t>(Game.Macros.size()));
    for (const auto& m : Game.Macros) {
        s.U16(m.Key);
        s.Str(m.Text);
    }
    return std::move(s.Bytes());
}

std::vector<uint8_t> BuildSaveFile(const TSaveGame& Game, const TPNGTime& Stamp)
{
    if (Game.Screen == nullptr)
        throw EZEBPNG("Write Image (PNG): Write Error");
    const auto buffers = BuffersToWrite(Game);
    std::vector<std::vector<uint8_t>> streams(buffers.size() + 2);
    // The state is coded while the pictures are: index 1 is the state.
    ParallelFor(streams.size(), [&](size_t i) {
        if (i == 0)
            streams[0] = WriteBufferPng(*Game.Screen, false, Stamp);
        else if (i == 1)
            streams[1] = EncodeSaveLzss(BuildSaveState(Game));
        else
            streams[i] = WriteBufferPng(*buffers[i - 2]->Picture, buffers[i - 2]->Transparent, Stamp);
    });
    // Sized once: growing a stream of many megabytes write by write costs
    // more than the copying itself.
    int64_t size = int64_t(sizeof SaveMagic) + 4;
    for (const auto& s : streams)
        size += 4 + int64_t(s.size());
    TMemoryStream file;
    file.SetSize(size);
    file.WriteBuffer(SaveMagic, sizeof SaveMagic);
    WriteSaveStreams(file, streams, static_cast<int>(streams.size()) - 1);
    return std::move(file.Bytes());
}
