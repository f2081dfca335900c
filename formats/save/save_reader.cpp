#include "formats/save/save_error.h"
#include "formats/save/save_file.h"
#include "formats/save/save_pictures.h"
#include "formats/save/save_streams.h"

#include <algorithm>
#include <array>

namespace {

// Deeper stacks than the engine lets *GOSUB build are not a saved game.
constexpr int32_t MaxSavedReturnPoints = 100000;
// The pictures of one save are decoded side by side; a few bytes of PNG
// header can ask for a picture of 2^26 pixels, so the header sizes of all of
// them together are held to what 33 full-HD buffers need, with room to spare.
constexpr int64_t MaxSavedPixels = int64_t(1) << 27;

// Width times height from a PNG's IHDR, 0 when the bytes are no PNG (the
// decoder then refuses them).
int64_t PngPixels(std::span<const uint8_t> Png)
{
    static constexpr uint8_t Head[16] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (Png.size() < 24 || !std::equal(Head, Head + 16, Png.begin()))
        return 0;
    auto be32 = [&](size_t at) {
        return int64_t(Png[at]) << 24 | int64_t(Png[at + 1]) << 16 | int64_t(Png[at + 2]) << 8 | Png[at + 3];
    };
    return be32(16) * be32(20);
}

bool FindLabel(const TSaveReadContext& Context, const std::string& Name, int32_t& Line, int32_t& SceneLine)
{
    return Context.FindLabel && Context.FindLabel(Name, Line, SceneLine);
}

void ReadVariables(TSaveFieldReader& r, TStagedLoad& s, const TSaveReadContext& Context)
{
    const int32_t flags = r.ReadCount("flag count", 4, Context.FlagListSize);
    s.FlagValues.resize(static_cast<size_t>(flags));
    for (auto& v : s.FlagValues)
        v = r.ReadI32("flag values");
    if (s.Version >= 10) {
        s.FlagNames.resize(static_cast<size_t>(flags));
        for (auto& n : s.FlagNames)
            n = r.ReadString("flag names");
    }

    const int32_t saved = r.ReadCount("item count", 4, INT32_MAX);
    s.ItemCountMismatch = saved > Context.ItemCount;
    for (int32_t i = 0; i < saved; ++i) {
        const int32_t count = r.ReadI32("items");
        if (i < Context.ItemCount)
            s.ItemCounts.push_back(count);
    }

    if (s.Version <= 8) {
        const int32_t depth = r.ReadCount("main stack", 8, MaxSavedReturnPoints);
        s.MainStack.resize(static_cast<size_t>(depth));
        for (auto& p : s.MainStack) {
            p.SceneLine = r.ReadI32("main stack");
            p.ReturnLine = r.ReadI32("main stack");
        }
    }

    if (s.Version >= 2) {
        const int32_t strings = r.ReadCount("string count", 4, Context.StringListSize);
        s.StringValues.resize(static_cast<size_t>(strings));
        for (auto& v : s.StringValues)
            v = r.ReadString("string values");
        if (s.Version >= 10) {
            s.StringNames.resize(static_cast<size_t>(strings));
            for (auto& n : s.StringNames)
                n = r.ReadString("string names");
        }
    }
}

struct TPair {
    int32_t Number;
    bool Transparent;
};

std::vector<TPair> ReadLaterFields(TSaveFieldReader& r, TStagedLoad& s, const TSaveReadContext& Context)
{
    if (s.Version >= 3) {
        const int32_t count = r.ReadCount("keyword count", 4, INT32_MAX);
        for (int32_t i = 0; i < count; ++i)
            s.Keywords.push_back(r.ReadString("keywords"));
    }

    std::vector<TPair> pairs;
    if (s.Version >= 6) {
        s.HasBackground = true;
        s.BgRunning = r.ReadU8("background running") != 0;
        s.BgLabel = r.ReadString("background label");
        s.BgInterval = r.ReadI32("background interval");
        if (s.BgRunning)
            s.BgLabelFound = FindLabel(Context, s.BgLabel, s.BgLine, s.BgSceneLine);

        const int32_t count = r.ReadCount("buffer count", 8, SaveBufferCount);
        std::array<bool, SaveBufferCount> seen{};
        for (int32_t i = 0; i < count; ++i) {
            const int32_t number = r.ReadI32("buffer number");
            const bool transparent = r.ReadI32("buffer transparency") != 0;
            if (number < 0 || number >= SaveBufferCount)
                throw ESaveFormatError("buffer number " + std::to_string(number));
            if (seen[static_cast<size_t>(number)])
                throw ESaveFormatError("buffer " + std::to_string(number) + " twice");
            seen[static_cast<size_t>(number)] = true;
            pairs.push_back({number, transparent});
        }
    }

    if (s.Version >= 7) {
        s.HasColors = true;
        for (auto& c : s.Colors)
            c = static_cast<uint32_t>(r.ReadI32("message colours"));
    }

    if (s.Version >= 8) {
        s.HasMacros = true;
        const int32_t count = r.ReadCount("macro count", 6, INT32_MAX);
        s.Macros.resize(static_cast<size_t>(count));
        for (auto& m : s.Macros) {
            m.Key = r.ReadU16("macro key");
            m.Text = r.ReadString("macro text");
        }
    }
    return pairs;
}

TStagedLoad Stage(std::span<const uint8_t> File, const TSaveReadContext& Context)
{
    const auto streams = SplitSaveStreams(File);
    const std::vector<uint8_t> state = DecodeSaveLzss(streams[1], "state stream");
    TSaveFieldReader r(state);
    TStagedLoad s;

    s.Version = r.ReadI32("version");
    if (s.Version < 1 || s.Version > SaveVersion)
        throw ESaveFormatError("version " + std::to_string(s.Version));
    s.ScriptChecksum = static_cast<uint32_t>(r.ReadI32("script checksum"));
    s.Scene = r.ReadString("scene");
    int32_t sceneLabelLine = -1;
    s.SceneFound = FindLabel(Context, s.Scene, sceneLabelLine, s.SceneLine);
    s.Music.Playing = r.ReadI32("music playing") != 0;
    s.Music.Loop = r.ReadI32("music loop") != 0;
    s.Music.Name = r.ReadString("music name");

    ReadVariables(r, s, Context);
    const std::vector<TPair> pairs = ReadLaterFields(r, s, Context);
    // Whatever follows the last field is ignored, as the original reader does.

    for (size_t i = 0; i < pairs.size(); ++i) {
        if (2 + i >= streams.size())
            throw ESaveFormatError("buffer " + std::to_string(pairs[i].Number) + " has no stream");
        s.Buffers.push_back({pairs[i].Number, pairs[i].Transparent, nullptr});
    }
    int64_t pixels = s.Version >= 5 ? PngPixels(streams[0]) : 0;
    for (size_t i = 0; i < pairs.size(); ++i)
        pixels += PngPixels(streams[2 + i]);
    if (pixels > MaxSavedPixels)
        throw ESaveFormatError("pictures of " + std::to_string(pixels) + " pixels");
    ParallelFor(1 + pairs.size(), [&](size_t i) {
        if (i == 0) {
            s.Screen = DecodeScreenStream(streams[0], s.Version);
            return;
        }
        TStagedBuffer& b = s.Buffers[i - 1];
        b.Picture = ReadBufferPng(streams[1 + i], b.Transparent);
    });
    return s;
}

} // namespace

TStagedLoad StageSaveFile(std::span<const uint8_t> File, const TSaveReadContext& Context)
{
    try {
        return Stage(File, Context);
    } catch (const ESaveFormatError&) {
        throw;
    } catch (const Exception& e) {
        // Decoder and stream errors of a picture or the state end the load
        // the same way as a bad count: the game is untouched either way.
        throw ESaveFormatError(e.what());
    }
}
