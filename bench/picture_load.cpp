// *GLOAD of a stored 640 x 480 PNG that is the last of 2000 archive entries
// (looked up, read, decoded, drawn into a buffer freshly set to 1 x 1),
// against decoding the same PNG bytes alone. Beside them: the same load
// walking the entry table instead of using the index, the missing picture
// (four lookups, then the failure text) both ways, reading the index when
// the archive opens, and both loads as the engine runs them from a script
// line (the line's arguments, the buffer's marks, the message box of the
// missing picture and the layout update). Apart: a run-length coded BMP of
// the largest size a picture may have (4096 x 4096) decoded and drawn,
// against making one fresh frame of its size.

#include "base/streams.h"
#include "codec/zeb_png.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "formats/pack/pack_archive.h"
#include "engine/script/game_files.h"
#include "engine/script/picture_load.h"
#include "engine/script/scenario_files.h"
#include "graphics/bitmap32.h"
#include "testkit/fake_engine_host.h"
#include "tools/pack/pack_builder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <malloc.h>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int EntryCount = 2000; // "*SCRIPT*", 1998 small pictures and sounds, the PNG

// A drawn-looking background: soft gradients, a few shapes, a little grain.
std::string BackgroundPng()
{
    TZEBPNG png;
    TBitmap& b = png.Image();
    b.SetPixelFormat(pf24bit);
    b.SetSize(640, 480);
    uint32_t seed = 7;
    for (int y = 0; y < 480; ++y) {
        uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < 640; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29);
            const bool shape = ((x / 64 + y / 48) % 7) == 0;
            p[0] = uint8_t(shape ? 200 : 120 + y / 4 + grain);
            p[1] = uint8_t(shape ? 90 : 60 + (x + y) / 8 + grain);
            p[2] = uint8_t(shape ? 40 : 30 + x / 5 + grain);
        }
    }
    png.SetCompressionLevel(9);
    TMemoryStream s;
    png.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

struct TArchive {
    std::string Dir;
    std::string Png;
    std::unique_ptr<TFileStream> Stream;
    std::unique_ptr<TPackIndex> Index;

    TArchive()
    {
        // Freed pictures stay with the process for the next one: on virtual
        // machines where touching fresh pages is slow, giving them back and
        // faulting them in again buried the work measured here under noise.
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        std::string pattern = (std::filesystem::temp_directory_path() / "tg-picture-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        Dir = pattern;
        const std::string dir = Dir + "/";
        const auto put = [&](const std::string& name, const std::string& bytes) {
            WriteFileAtomically(dir + name, bytes.data(), bytes.size());
            return dir + name;
        };
        // The typed commands "go" and "miss" load the picture and a missing one.
        put("game.tgs", "*SCENE s\r\n>go\r\n*GLOAD 0 bg.png\r\n>miss\r\n*GLOAD 1 none.bmp\r\n*SCENEEND\r\n");
        std::vector<std::string> files;
        for (int i = 1; i < EntryCount - 1; ++i) {
            const char* ext = i % 3 == 0 ? ".wav" : i % 3 == 1 ? ".bmp" : ".png";
            files.push_back(put("e" + std::to_string(i) + ext, std::string(64 + i % 200, char('a' + i % 26))));
        }
        Png = BackgroundPng();
        files.push_back(put("bg.png", Png));
        BuildPackArchive(dir + "game.tgs", files, dir + "game.tgp");
        Stream = std::make_unique<TFileStream>(dir + "game.tgp", fmOpenRead);
        Index = std::make_unique<TPackIndex>(*Stream);
    }
    ~TArchive()
    {
        Stream.reset();
        std::filesystem::remove_all(Dir);
    }
};

TArchive& Archive()
{
    static TArchive archive;
    return archive;
}

// What *GLOAD does with the file it found.
void Draw(TGameFile& file, TBitmap32& buffer)
{
    if (!file.Found)
        std::abort();
    buffer.SetSize(1, 1);
    if (!DrawPicture(file.Data, ExtractFileExt(file.Name), false, buffer, 0, 0))
        std::abort();
}

// The decoding every picture load does: the PNG into a 32-bit picture.
void BM_DecodeAlone(benchmark::State& state)
{
    const std::string& png = Archive().Png;
    for (auto _ : state) {
        TMemoryStream data(png.data(), png.size());
        const std::unique_ptr<TBitmap32> picture = DecodePicture(data, ".png", false);
        benchmark::DoNotOptimize(picture->Bits());
    }
}
BENCHMARK(BM_DecodeAlone)->Unit(benchmark::kMillisecond);

void BM_GLoadLastEntry(benchmark::State& state)
{
    TArchive& a = Archive();
    TBitmap32 buffer;
    for (auto _ : state) {
        TGameFile file = ReadArchivePicture("bg.png", *a.Stream, *a.Index);
        Draw(file, buffer);
        benchmark::DoNotOptimize(buffer.Bits());
    }
}
BENCHMARK(BM_GLoadLastEntry)->Unit(benchmark::kMillisecond);

void BM_GLoadLastEntryWalkingTheTable(benchmark::State& state)
{
    TArchive& a = Archive();
    TBitmap32 buffer;
    for (auto _ : state) {
        TGameFile file;
        file.Name = "bg.png";
        file.Found = ReadPackEntry("BG.PNG", *a.Stream, file.Data) == peFound;
        Draw(file, buffer);
        benchmark::DoNotOptimize(buffer.Bits());
    }
}
BENCHMARK(BM_GLoadLastEntryWalkingTheTable)->Unit(benchmark::kMillisecond);

void BM_MissingPicture(benchmark::State& state)
{
    TArchive& a = Archive();
    for (auto _ : state) {
        TGameFile file = ReadArchivePicture("none.bmp", *a.Stream, *a.Index);
        benchmark::DoNotOptimize(file.FailureText.data());
    }
}
BENCHMARK(BM_MissingPicture)->Unit(benchmark::kMicrosecond);

void BM_MissingPictureWalkingTheTable(benchmark::State& state)
{
    TArchive& a = Archive();
    for (auto _ : state) {
        TMemoryStream out;
        for (const std::string& name : ArchivePictureNames("none.bmp"))
            benchmark::DoNotOptimize(ReadPackEntry(PackEntryName(name), *a.Stream, out));
    }
}
BENCHMARK(BM_MissingPictureWalkingTheTable)->Unit(benchmark::kMicrosecond);

void BM_IndexAtOpen(benchmark::State& state)
{
    TArchive& a = Archive();
    for (auto _ : state) {
        TPackIndex index(*a.Stream);
        benchmark::DoNotOptimize(index.Count());
    }
}
BENCHMARK(BM_IndexAtOpen)->Unit(benchmark::kMicrosecond);

// The engine without a window, the archive open and waiting for a command.
struct TArchiveEngine {
    TArchiveEngine() : Engine(Host, {Archive().Dir + "/game.tgp"}, Archive().Dir + "/")
    {
        Engine.CreateScreenObjects();
        while (Engine.State() != esCommandWait && !Engine.Halted())
            Engine.MainTick();
    }
    void Type(const std::string& command)
    {
        Engine.SubmitCommand(command);
        while (Engine.State() == esRun)
            Engine.MainTick();
    }
    TFakeEngineHost Host;
    TEngine Engine;
};

void BM_GLoadCommand(benchmark::State& state)
{
    TArchiveEngine e;
    for (auto _ : state) {
        e.Type("go");
        if (e.Engine.Grp()->GetBuffer(0).Width() != 640 || !e.Host.Boxes.empty())
            state.SkipWithError("the picture did not load");
    }
}
BENCHMARK(BM_GLoadCommand)->Unit(benchmark::kMillisecond);

void BM_MissingPictureCommand(benchmark::State& state)
{
    TArchiveEngine e;
    for (auto _ : state) {
        e.Type("miss");
        if (e.Host.Boxes.size() != 1)
            state.SkipWithError("no message box");
        e.Host.Boxes.clear();
    }
}
BENCHMARK(BM_MissingPictureCommand)->Unit(benchmark::kMicrosecond);

// A 4096 x 4096 RLE8 picture: bands of runs, 255 pixels long but for the
// last of each row, in colours that change from row to row.
std::string LargeRle8Bmp()
{
    constexpr int Side = 4096;
    std::string data;
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; x += 255) {
            data += char(std::min(255, Side - x));
            data += char((x / 255 + y / 16) & 255);
        }
        data += std::string("\0\0", 2);
    }
    data += std::string("\0\1", 2);
    std::string file = "BM" + std::string(52 + 1024, '\0');
    const auto put32 = [&file](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + size_t(i)] = char(v >> (8 * i));
    };
    put32(2, uint32_t(file.size() + data.size()));
    put32(10, uint32_t(file.size()));
    put32(14, 40);
    put32(18, Side);
    put32(22, Side);
    put32(26, 1 | 8 << 16);
    put32(30, 1); // RLE8
    put32(34, uint32_t(data.size()));
    for (int i = 0; i < 256; ++i)
        put32(54 + size_t(4 * i), uint32_t(i * 0x010203));
    return file + data;
}

void BM_LargeRle8PictureDrawn(benchmark::State& state)
{
    const std::string bmp = LargeRle8Bmp();
    TBitmap32 buffer;
    for (auto _ : state) {
        TMemoryStream data(bmp.data(), bmp.size());
        buffer.SetSize(1, 1);
        if (!DrawPicture(data, ".bmp", false, buffer, 0, 0) || buffer.Width() != 4096)
            std::abort();
        benchmark::DoNotOptimize(buffer.Bits());
    }
}
BENCHMARK(BM_LargeRle8PictureDrawn)->Unit(benchmark::kMillisecond);

// The least the load above can cost: one fresh, zeroed frame of 32-bit
// pixels of the picture's size (the load makes two, and the indexes).
void BM_LargePictureFreshFrameReference(benchmark::State& state)
{
    const size_t pixels = size_t(4096) * 4096;
    for (auto _ : state) {
        const std::unique_ptr<TColor32[]> frame(new TColor32[pixels]());
        benchmark::DoNotOptimize(frame.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LargePictureFreshFrameReference)->Unit(benchmark::kMillisecond);

} // namespace
