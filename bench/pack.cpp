// Packing a 50 MB set of game media (bitmaps and MIDI coded, PNG and WAV
// stored) against copying the same bytes into one file the same way (a
// temporary file flushed to disk and renamed), and opening the archive
// (finding and decoding its script, walking the whole table) against reading
// the loose script file.

#include "base/streams.h"
#include "base/stringlist.h"
#include "formats/pack/pack_archive.h"
#include "tools/pack/pack_builder.h"
#include "base/safe_file_stream.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void PutLE(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s += char(v >> (8 * i));
}

struct TRandom {
    uint32_t State;
    uint32_t Next()
    {
        State = State * 1664525u + 1013904223u;
        return State >> 8;
    }
};

// A 24-bit bitmap: soft gradients with shapes and a little grain, the way
// drawn backgrounds look.
std::string Bitmap(int width, int height, uint32_t seed)
{
    const int stride = (width * 3 + 3) & ~3;
    std::string s = "BM";
    PutLE(s, uint32_t(54 + stride * height), 4);
    PutLE(s, 0, 4);
    PutLE(s, 54, 4);
    PutLE(s, 40, 4);
    PutLE(s, uint32_t(width), 4);
    PutLE(s, uint32_t(height), 4);
    PutLE(s, 1, 2);
    PutLE(s, 24, 2);
    for (int i = 0; i < 6; ++i)
        PutLE(s, 0, 4);
    TRandom r{seed};
    for (int y = 0; y < height; ++y) {
        std::string row(size_t(stride), '\0');
        for (int x = 0; x < width; ++x) {
            const bool shape = ((x / 40 + y / 30 + int(seed)) % 5) == 0;
            const int grain = (r.Next() % 8 == 0) ? int(r.Next() % 5) : 0;
            row[size_t(x * 3)] = char(shape ? 200 : (x + int(seed)) / 3 + grain);
            row[size_t(x * 3 + 1)] = char(shape ? 80 : y / 2 + grain);
            row[size_t(x * 3 + 2)] = char(shape ? 40 : (x + y) / 5);
        }
        s += row;
    }
    return s;
}

// A standard MIDI file of one track of repeating phrases.
std::string Midi(size_t events, uint32_t seed)
{
    std::string track;
    TRandom r{seed};
    const uint8_t phrase[8] = {60, 62, 64, 65, 67, 65, 64, 62};
    for (size_t i = 0; i < events; ++i) {
        const uint8_t note = uint8_t(phrase[i % 8] + (i / 64) % 12);
        track += char(0x30);
        track += char(0x90);
        track += char(note);
        track += char(0x40 + r.Next() % 4);
        track += char(0x30);
        track += char(0x80);
        track += char(note);
        track += char(0x00);
    }
    std::string s = "MThd";
    PutLE(s, 0x06000000, 4);
    s += std::string("\x00\x00\x00\x01\x01\xE0", 6);
    s += "MTrk";
    const uint32_t n = uint32_t(track.size());
    s += char(n >> 24);
    s += char(n >> 16);
    s += char(n >> 8);
    s += char(n);
    return s + track;
}

// Deflated picture data is as good as random to the coder; PNGs are stored.
std::string Png(size_t size, uint32_t seed)
{
    std::string s("\x89PNG\r\n\x1A\n", 8);
    TRandom r{seed};
    while (s.size() < size)
        s += char(r.Next());
    return s;
}

std::string Wave(size_t samples, uint32_t seed)
{
    std::string s = "RIFF";
    PutLE(s, uint32_t(36 + samples * 4), 4);
    s += "WAVEfmt ";
    PutLE(s, 16, 4);
    PutLE(s, 1, 2);
    PutLE(s, 2, 2);
    PutLE(s, 44100, 4);
    PutLE(s, 44100 * 4, 4);
    PutLE(s, 4, 2);
    PutLE(s, 16, 2);
    s += "data";
    PutLE(s, uint32_t(samples * 4), 4);
    TRandom r{seed};
    for (size_t i = 0; i < samples; ++i) {
        const int v = int(8000 * std::sin(double(i) * 0.031 * (1 + seed % 5))) + int(r.Next() % 512) - 256;
        PutLE(s, uint32_t(uint16_t(v)), 2);
        PutLE(s, uint32_t(uint16_t(v / 2)), 2);
    }
    return s;
}

struct TMediaSet {
    std::string Folder;
    std::string Script;
    std::vector<std::string> Files;
    int64_t Bytes = 0;

    TMediaSet()
    {
        char tmpl[] = "/tmp/bench_pack.XXXXXX";
        Folder = ::mkdtemp(tmpl);
        TStringList lines;
        for (int i = 0; i < 2000; ++i)
            lines.Add("*PICTURE 0 'bg" + std::to_string(i % 22) + ".bmp'\r\nMessage line " + std::to_string(i));
        Script = Folder + "/game.tgs";
        Add("game.tgs", lines.Text(), false);
        for (uint32_t i = 0; i < 22; ++i)
            Add("bg" + std::to_string(i) + ".bmp", Bitmap(640, 480, i), true);
        for (uint32_t i = 0; i < 24; ++i)
            Add("cg" + std::to_string(i) + ".png", Png(500000, i), true);
        for (uint32_t i = 0; i < 8; ++i)
            Add("se" + std::to_string(i) + ".wav", Wave(500000, i), true);
        for (uint32_t i = 0; i < 40; ++i)
            Add("bgm" + std::to_string(i) + ".mid", Midi(6000, i), true);
    }
    ~TMediaSet() { std::filesystem::remove_all(Folder); }

    void Add(const std::string& name, const std::string& data, bool listed)
    {
        WriteFileAtomically(Folder + "/" + name, data.data(), data.size());
        if (listed) {
            Files.push_back(Folder + "/" + name);
            Bytes += int64_t(data.size());
        }
    }
};

TMediaSet& Media()
{
    static TMediaSet media;
    return media;
}

void BM_PackArchive(benchmark::State& state)
{
    TMediaSet& m = Media();
    const std::string target = m.Folder + "/game.tgp";
    for (auto _ : state)
        BuildPackArchive(m.Script, m.Files, target);
    state.SetBytesProcessed(int64_t(state.iterations()) * m.Bytes);
    state.counters["MB"] = double(m.Bytes) / 1e6;
    state.counters["ratio"] = double(std::filesystem::file_size(target)) / double(m.Bytes);
}
BENCHMARK(BM_PackArchive)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: the same files read whole and written one after another
// into one file, through the same temporary-file-and-rename path.
void BM_PlainCopyReference(benchmark::State& state)
{
    TMediaSet& m = Media();
    const std::string target = m.Folder + "/copy.bin";
    for (auto _ : state) {
        TSafeFileStream out(target);
        for (const std::string& file : m.Files) {
            TMemoryStream data;
            data.LoadFromFile(file);
            data.SaveToStream(out);
        }
        out.Commit();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * m.Bytes);
}
BENCHMARK(BM_PlainCopyReference)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the engine does when it opens a packed scenario: the script entry,
// then a lookup that walks the whole table (the last entry).
void BM_OpenArchive(benchmark::State& state)
{
    TMediaSet& m = Media();
    const std::string target = m.Folder + "/open.tgp";
    BuildPackArchive(m.Script, m.Files, target);
    const std::string last = PackEntryName(m.Files.back());
    for (auto _ : state) {
        TFileStream archive(target, fmOpenRead);
        TMemoryStream script;
        if (ReadPackEntry("*SCRIPT*", archive, script) != peFound || GetPackEntryInfo(last, archive, piOffset) == 0)
            state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(script.Memory());
    }
}
BENCHMARK(BM_OpenArchive)->Unit(benchmark::kMicrosecond);

// The reference: reading the loose script file the archive's entry holds.
void BM_OpenLooseScriptReference(benchmark::State& state)
{
    TMediaSet& m = Media();
    for (auto _ : state) {
        TMemoryStream script;
        script.LoadFromFile(m.Script);
        benchmark::DoNotOptimize(script.Memory());
    }
}
BENCHMARK(BM_OpenLooseScriptReference)->Unit(benchmark::kMicrosecond);

} // namespace
