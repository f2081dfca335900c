// *SAVE and *LOAD at the file level against the bare PNG work on the same
// pictures in the same run.
//
// The game: a 640x480 screen, 33 used 640x480 buffers (photographic and
// flat-colour content, every third one transparent with clear areas), 8192
// named flags and 1024 strings.
//   Write   - the whole save file: pictures, state, LZSS, container.
//   Encode  - the 34 pictures encoded one after the other by the PNG codec
//             with the same settings (the reference for Write).
//   Read    - staging the whole file: container, state, every picture.
//   Decode  - the 34 PNG streams decoded one after the other by the PNG
//             codec (the reference for Read).
//   SaveCommand - *SAVE of that game in the engine: gathering the game,
//             the whole file, and writing it safely to disk (against Encode).
//   LoadCommand - *LOAD of that file in the engine: reading, staging and
//             applying it (against Decode).
// The targets: Write and SaveCommand at most 1.15 x Encode, Read and
// LoadCommand at most 1.15 x Decode.

#include "bench/bench_folder.h"
#include "codec/png_codec.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "formats/save/save_file.h"
#include "formats/save/save_streams.h"
#include "engine/script/variables.h"
#include "testkit/fake_engine_host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

const TPNGTime Stamp{2026, 1, 2, 3, 4, 5};

// Smooth colour with noise, as a photograph compresses.
void Photographic(TBitmap32& b, uint32_t seed)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            seed = seed * 1664525 + 1013904223;
            const int n = int(seed >> 28) - 8;
            auto c = [&](double f, double p) {
                return uint8_t(std::clamp(128 + 100 * std::sin(x * f + y * p) + n, 0.0, 255.0));
            };
            b.SetPixel(x, y, Color32(c(0.011, 0.007), c(0.005, 0.013), c(0.017, 0.003)));
        }
}

// Solid areas with sharp edges, as drawn pictures and text windows are.
void Flat(TBitmap32& b, uint32_t seed, bool transparent)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const int cell = (x / 80 + y / 60 + int(seed)) % 5;
            const TColor32 colours[5] = {Color32(250, 240, 200), Color32(30, 60, 120), Color32(200, 30, 40),
                transparent ? 0u : Color32(0, 0, 0), Color32(90, 160, 90)};
            b.SetPixel(x, y, colours[cell]);
        }
}

struct TGame {
    std::vector<std::unique_ptr<TBitmap32>> Pictures; // screen, then buffers 0..32
    TSaveGame Save;
    std::vector<uint8_t> File;
    std::vector<std::unique_ptr<PngImage>> Rows; // the same pixels for the bare codec
    std::vector<std::vector<uint8_t>> Pngs;      // the file's picture streams

    TGame()
    {
        for (int i = 0; i < 34; ++i) {
            auto b = std::make_unique<TBitmap32>();
            b->SetSize(640, 480);
            const bool transparent = i > 0 && i % 3 == 0;
            if (i % 2 == 0)
                Photographic(*b, uint32_t(i));
            else
                Flat(*b, uint32_t(i), transparent);
            b->SetDrawMode(transparent ? dmBlend : dmOpaque);
            auto rows = std::make_unique<PngImage>(640, 480, 32);
            std::memcpy(rows->ScanLine(0), b->Bits(), size_t(640) * 480 * 4);
            Rows.push_back(std::move(rows));
            Pictures.push_back(std::move(b));
        }
        Save.Screen = Pictures[0].get();
        for (int n = 0; n < 33; ++n)
            Save.Buffers.push_back({n, Pictures[size_t(n) + 1]->DrawMode() == dmBlend, Pictures[size_t(n) + 1].get()});
        Save.Scene = "town";
        Save.FlagValues.resize(16384);
        Save.FlagNames.resize(16384);
        for (int i = 0; i < 16384; ++i)
            Save.FlagValues[size_t(i)] = i * 7;
        for (int i = 8192; i < 16384; ++i)
            Save.FlagNames[size_t(i)] = "FLAG" + std::to_string(i);
        for (int i = 0; i < 1024; ++i) {
            Save.StringValues.push_back("value of string " + std::to_string(i));
            Save.StringNames.push_back(i >= 512 ? "S" + std::to_string(i) : "");
        }
        Save.ItemCounts.assign(40, 1);
        File = BuildSaveFile(Save, Stamp);
        const auto streams = SplitSaveStreams(File);
        Pngs.emplace_back(streams[0].begin(), streams[0].end());
        for (size_t i = 2; i < streams.size(); ++i)
            Pngs.emplace_back(streams[i].begin(), streams[i].end());
    }
};

TGame& Game()
{
    static TGame game;
    return game;
}

void Write(benchmark::State& state)
{
    TGame& g = Game();
    state.counters["bytes"] = double(g.File.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSaveFile(g.Save, Stamp));
}
BENCHMARK(Write)->Unit(benchmark::kMillisecond)->UseRealTime();

void Encode(benchmark::State& state)
{
    TGame& g = Game();
    for (auto _ : state)
        for (const auto& rows : g.Rows)
            benchmark::DoNotOptimize(EncodePNG(*rows, nullptr, 9, 1));
}
BENCHMARK(Encode)->Unit(benchmark::kMillisecond)->UseRealTime();

void Read(benchmark::State& state)
{
    TGame& g = Game();
    TSaveReadContext context;
    context.ItemCount = 40;
    for (auto _ : state)
        benchmark::DoNotOptimize(StageSaveFile(g.File, context));
}
BENCHMARK(Read)->Unit(benchmark::kMillisecond)->UseRealTime();

void Decode(benchmark::State& state)
{
    TGame& g = Game();
    PngImage image;
    for (auto _ : state)
        for (const auto& png : g.Pngs)
            benchmark::DoNotOptimize(DecodePNG(png, image));
}
BENCHMARK(Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same game in the engine, its script waiting for "save" or "load".
struct TCommandGame {
    TCommandGame() : Engine(Host, {Folder.Write("bench.tgs", Script)}, Folder.Path + "/")
    {
        Engine.CreateScreenObjects();
        while (Engine.State() != esCommandWait && !Engine.Halted())
            Engine.MainTick();
        const TGame& g = Game();
        TTGGrp& grp = *Engine.Grp();
        grp.GetPicture().Assign(g.Pictures[0].get());
        for (int n = 0; n < 33; ++n) {
            grp.GetBuffer(n).Assign(g.Pictures[size_t(n) + 1].get());
            grp.SetBufferUsed(n, true);
        }
        for (int i = 0; i < 16384; ++i) {
            TFlagRec* flag = Engine.Flags().GetItem(i);
            flag->Value = g.Save.FlagValues[size_t(i)];
            flag->Name = g.Save.FlagNames[size_t(i)];
        }
        for (int i = 0; i < 1024; ++i) {
            Engine.SVars().GetItem(i)->Value = g.Save.StringValues[size_t(i)];
            Engine.SVars().GetItem(i)->Name = g.Save.StringNames[size_t(i)];
        }
    }
    // Types the command and runs the engine until the game waits again.
    bool Type(const char* command)
    {
        Engine.SubmitCommand(command);
        while (Engine.State() == esRun && !Engine.Halted())
            Engine.MainTick();
        return Engine.State() == esCommandWait && !Engine.Halted() && Host.Boxes.empty();
    }

    static constexpr const char* Script =
        "*SCENE town\r\n>save\r\n*SAVE 1 0 1\r\n*END\r\n>load\r\n*LOAD 1\r\n*END\r\n*SCENEEND\r\n";
    TBenchFolder Folder;
    TFakeEngineHost Host;
    TEngine Engine;
};

void SaveCommand(benchmark::State& state)
{
    TCommandGame game;
    for (auto _ : state)
        if (!game.Type("save"))
            state.SkipWithError("the save failed");
}
BENCHMARK(SaveCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadCommand(benchmark::State& state)
{
    TCommandGame game;
    if (!game.Type("save"))
        state.SkipWithError("the save failed");
    for (auto _ : state)
        if (!game.Type("load"))
            state.SkipWithError("the load failed");
}
BENCHMARK(LoadCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
