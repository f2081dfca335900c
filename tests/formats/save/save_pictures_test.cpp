// The pictures of a save: the bytes the graphic class would write, and live
// buffers that a save must leave as they are.

#include "classlib/bitmap.h"
#include "codec/zeb_png.h"
#include "formats/save/save_file.h"
#include "formats/save/save_pictures.h"
#include "formats/save/save_streams.h"

#include <gtest/gtest.h>

namespace {

const TPNGTime Stamp{2026, 12, 9, 10, 11, 12};

std::unique_ptr<TBitmap32> Picture(int w, int h, std::initializer_list<TColor32> pixels = {})
{
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(w, h);
    for (int i = 0; i < w * h; ++i)
        b->Bits()[i] = Color32(uint8_t(i * 7), uint8_t(i * 13), uint8_t(255 - i), uint8_t(i));
    int i = 0;
    for (TColor32 p : pixels)
        b->Bits()[i++] = p;
    return b;
}

std::vector<TColor32> Pixels(const TBitmap32& b)
{
    return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
}

} // namespace

TEST(SavePictures, WrittenAsTheGraphicClassWritesABitmapAtLevel9)
{
    // Wide enough for more than one IDAT chunk with noise that level 9
    // cannot squeeze.
    auto picture = Picture(300, 200);
    uint32_t seed = 1;
    for (int i = 0; i < 300 * 200; ++i)
        picture->Bits()[i] = (seed = seed * 1103515245 + 12345);

    TBitmap bitmap;
    picture->AssignTo(&bitmap);
    TZEBPNG png;
    png.SetCompressionLevel(9);
    png.Assign(&bitmap);
    png.SetCurrentTime(false);
    png.TimeRecord() = Stamp;
    TMemoryStream expected;
    png.SaveToStream(expected);

    EXPECT_EQ(WriteBufferPng(*picture, false, Stamp), expected.Bytes());
}

TEST(SavePictures, SaveLeavesLiveBuffersAsTheyAreAndEmptyOnesOut)
{
    auto screen = Picture(6, 4);
    // Transparent: a clear pixel and an opaque blue one, which the load
    // cannot tell apart.
    auto clearAndBlue = Picture(3, 2, {0x00000000, 0xFF0000FF, 0x00000000});
    clearAndBlue->SetDrawMode(dmBlend);
    auto empty = std::make_unique<TBitmap32>();
    auto opaqueBlue = Picture(2, 2, {0xFF0000FF});
    const std::vector<TColor32> before = Pixels(*clearAndBlue);

    TSaveGame game;
    game.Screen = screen.get();
    game.Buffers = {{1, true, clearAndBlue.get()}, {2, false, empty.get()}, {4, false, opaqueBlue.get()}};
    const std::vector<uint8_t> file = BuildSaveFile(game, Stamp);

    EXPECT_EQ(Pixels(*clearAndBlue), before);
    EXPECT_EQ(SplitSaveStreams(file).size(), 4u); // screen, state, buffers 1 and 4

    const TStagedLoad s = StageSaveFile(file, TSaveReadContext{});
    ASSERT_EQ(s.Buffers.size(), 2u);
    EXPECT_EQ(s.Buffers[0].Number, 1);
    EXPECT_EQ(s.Buffers[0].Picture->DrawMode(), dmBlend);
    std::vector<TColor32> keyed = before;
    keyed[1] = 0;
    for (size_t i = 3; i < keyed.size(); ++i)
        keyed[i] |= 0xFF000000;
    EXPECT_EQ(Pixels(*s.Buffers[0].Picture), keyed);
    EXPECT_EQ(s.Buffers[1].Number, 4);
    EXPECT_EQ(s.Buffers[1].Picture->DrawMode(), dmOpaque);
    EXPECT_EQ(s.Buffers[1].Picture->Pixel(0, 0), 0xFF0000FFu);
    // The screen keeps its colours and loses its alpha, as through a bitmap
    // file without alpha.
    EXPECT_EQ(s.Screen->Pixel(5, 3), Pixels(*screen)[23] | 0xFF000000);
}

TEST(SavePictures, BufferNumbersMustRiseWithin0To32)
{
    auto screen = Picture(2, 2);
    auto buffer = Picture(1, 1);
    for (const auto& numbers : std::vector<std::vector<int32_t>>{{33}, {-1}, {5, 5}, {6, 2}}) {
        TSaveGame game;
        game.Screen = screen.get();
        for (int32_t n : numbers)
            game.Buffers.push_back({n, false, buffer.get()});
        EXPECT_ANY_THROW(BuildSaveFile(game, Stamp)) << numbers[0];
    }
}
