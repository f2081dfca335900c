// The picture commands as scripts use them: pictures found on disk and in a
// packed archive or reported, optional arguments read by token count, the
// picture buffers and their in-use marks, and the wait, scroll-mark,
// message-window and about-box pictures replaced or kept.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/streams.h"
#include "codec/zeb_png.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "graphics/bitmap32_list.h"
#include "graphics/layers.h"
#include "support/engine_harness.h"
#include "support/jpeg_writer.h"
#include "tools/pack/pack_builder.h"

#include <jerror.h>

namespace {

using Lines = std::vector<std::string>;

constexpr TColor32 Blue = 0xFF0000FF;
constexpr TColor32 Red = 0xFFFF0000;
constexpr TColor32 Green = 0xFF00FF00;
constexpr TColor32 White = 0xFFFFFFFF;

// A w x h opaque picture in the format of `ext` (".bmp" or ".png").
std::string Picture(const std::string& ext, int w, int h, const std::function<TColor32(int x, int y)>& at)
{
    TBitmap32 b;
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, at(x, y));
    TMemoryStream s;
    TZEBPNG png;
    png.Image().Assign(&b);
    ext == ".png" ? png.SaveToStream(s) : b.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::string Solid(const std::string& ext, TColor32 c)
{
    return Picture(ext, 4, 4, [c](int, int) { return c; });
}

// Two pixels: the blue key, then red.
const std::string KeyBmp = Picture(".bmp", 2, 1, [](int x, int) { return x == 0 ? Blue : Red; });
// Two 24-pixel cells, red then green, and a mask that hides the second.
const std::string SheetBmp = Picture(".bmp", 48, 24, [](int x, int) { return x < 24 ? Red : Green; });
const std::string SheetMaskBmp = Picture(".bmp", 48, 24, [](int x, int) { return x < 24 ? White : 0xFF000000; });

// The message boxes shown (each with the engine halted) and the error
// reports, with "{dir}" for the scenario folder.
Lines Messages(const TEngineHarness& h)
{
    Lines texts;
    for (const auto& box : h.Host.Boxes) {
        EXPECT_TRUE(box.Halted) << box.Text;
        std::string text = box.Text;
        if (const size_t at = text.find(h.Dir()); at != std::string::npos)
            text.replace(at, h.Dir().size(), "{dir}");
        texts.push_back(text);
    }
    for (const std::string& error : h.Errors())
        texts.push_back(error);
    return texts;
}

std::vector<int> UsedBuffers(TEngine& e)
{
    std::vector<int> used;
    for (int n = 0; n < PictureBufferCount; ++n)
        if (e.Grp()->GetBufferUsed(n))
            used.push_back(n);
    return used;
}

} // namespace

TEST(PictureCommands, PicturesAreFoundOrReported)
{
    std::string bad = Solid(".png", Red);
    bad[20] ^= 1; // an impossible height
    const struct {
        std::string Line;
        TColor32 Shown;
        Lines Messages;
    } cases[] = {
        {"*PICTURE a", Red, {}}, // a.bmp, then a.png
        {"*PICTURE c.gif", White, {}},
        {"*PICTURE none", White, {"ファイル{dir}none.bmpが開けません"}},
        {"*PICTURE bad.png", White, {"Error! ( main.tgs : line 2 ) Read Header(PNG): Error Size"}},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("a.png", Solid(".png", Red));
        h.WriteBytes("c.gif", Solid(".png", Red));
        h.WriteBytes("bad.png", bad);
        TEngine& e = h.Run("*SCENE s\n" + c.Line + "\n");
        EXPECT_EQ(e.Grp()->GetPicture().Pixel(0, 0), c.Shown) << c.Line;
        EXPECT_EQ(Messages(h), c.Messages) << c.Line;
    }

    // From a packed archive (a BMP coded, PNGs stored), never from the folder.
    TEngineHarness h;
    h.MakeFolder("src");
    h.WriteScript("src/game.tgs", "*SCENE s\n*GLOAD 0 a.bmp\n*GLOAD 1 sub\\b\n*GLOAD 2 c.png 0 0 1\n*GLOAD 3 none\n");
    const Lines files = {h.Dir() + "src/a.png", h.Dir() + "src/b.bmp", h.Dir() + "src/c.png"};
    h.WriteBytes("src/a.png", Solid(".png", Red));
    h.WriteBytes("src/b.bmp", Solid(".bmp", Green));
    h.WriteBytes("src/c.png", Picture(".png", 2, 1, [](int x, int) { return x == 0 ? Blue : Red; }));
    h.WriteBytes("a.bmp", Solid(".bmp", Blue));
    BuildPackArchive(h.Dir() + "src/game.tgs", files, h.Dir() + "game.tgp");
    TEngine& e = h.Start(h.Dir() + "game.tgp");
    h.Tick();
    h.Settle();
    TTGGrp& g = *e.Grp();
    EXPECT_EQ(g.GetBuffer(0).Pixel(3, 3), Red);
    EXPECT_EQ(g.GetBuffer(1).Pixel(3, 3), Green);
    EXPECT_EQ(g.GetBuffer(2).Pixel(0, 0), 0u); // a PNG without alpha takes the blue key
    EXPECT_EQ(g.GetBuffer(2).Pixel(1, 0), Red);
    EXPECT_EQ(Messages(h), Lines{"データnone.bmpの読み込みに失敗しました"});
}

TEST(PictureCommands, DamagedAndOversizedPicturesAreScriptErrors)
{
    // A JPEG of 96 x 96 noisy pixels, some 20 KB.
    std::vector<uint8_t> rgb(96 * 96 * 3);
    uint32_t seed = 1;
    for (uint8_t& v : rgb)
        v = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    const std::vector<uint8_t> jpeg = WriteJpeg(96, 96, 3, JCS_RGB, rgb.data(), 90);
    ASSERT_GT(jpeg.size(), 6000u);
    std::string scan(jpeg.begin(), jpeg.end());
    scan.replace(scan.size() / 2, 2, "\xFF\xD0"); // a marker inside the scan's data

    // 70 bytes of a Windows bitmap that claims 8238 x 6144 pixels in RLE8.
    std::string huge = "BM" + std::string(68, '\0');
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            huge[at + size_t(i)] = char(v >> (8 * i));
    };
    put32(2, 70);           // file size
    put32(10, 62);          // pixels after the two colours
    put32(14, 40);          // header size
    put32(18, 8238);        // width
    put32(22, 6144);        // height
    put32(26, 1 | 8 << 16); // one plane of 8 bits
    put32(30, 1);           // RLE8
    put32(46, 2);           // colours
    // A run of 16, the end of a line and of the picture.
    huge.replace(62, 8, "\x10\x01\0\0\0\x01\0\0", 8);

    const std::string at = "Error! ( main.tgs : line 2 ) ";
    const struct {
        std::string Name, Bytes, Message, Detail;
    } cases[] = {
        {"trunc.jpg", std::string(jpeg.begin(), jpeg.begin() + 3000),
            at + "JPEG error #" + std::to_string(JWRN_JPEG_EOF) + ": Premature end of JPEG file", ""},
        {"scan.jpg", scan, at + "JPEG error #", "Corrupt JPEG data"},
        {"huge.bmp", huge, at + "Bitmap image is not valid: the picture is too large (8238 x 6144)", ""},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes(c.Name, c.Bytes);
        TEngine& e = h.Run("*SCENE s\n*PICTURE " + c.Name + "\n");
        EXPECT_EQ(e.Grp()->GetPicture().Pixel(0, 0), White) << c.Name;
        const std::string shown = Messages(h).empty() ? "" : Messages(h).back();
        EXPECT_EQ(Messages(h).size(), 1u) << c.Name;
        if (c.Detail.empty())
            EXPECT_EQ(shown, c.Message);
        else
            EXPECT_TRUE(shown.rfind(c.Message, 0) == 0 && shown.find(c.Detail) != std::string::npos) << shown;
    }
}

TEST(PictureCommands, OptionalArgumentsAreReadByTokenCount)
{
    const int screen = -1;
    const struct {
        std::string Lines;
        int Target, X, Y;
        TColor32 Expected;
    } cases[] = {
        {"*PICTURE key 2 1", screen, 2, 1, Blue},
        {"*PICTURE key 2 1 1", screen, 2, 1, Green},                      // keyed: the background shows
        {"*PICTURE key 2 1 1 1", screen, 2, 1, Blue},                     // trans only at exactly 5 tokens
        {"*PICTURE key 2", screen, 0, 0, Blue},                           // x and y from 4 tokens on
        {"*PICTURE key.bmp 2 1 1\n*PICTURE key 0 1", screen, 0, 1, Blue}, // the flag comes back
        {"*GTRANS -1 1\n*PICTURE key 2 1 0", screen, 2, 1, Green},        // 0 does not switch it off
        {"*IFPICTURE 1=1 key 2 1 1", screen, 2, 1, Green},
        {"*IFPICTURE 1=2 key", screen, 0, 0, Green},
        {"*GLOAD 5 key", 5, 0, 0, Blue},
        {"*GLOAD 5 key 1 0", 5, 1, 0, Blue},
        {"*GLOAD 5 key 0 0 1 9", 5, 0, 0, 0},
        {"*GLOAD 5 key 0 0 0 9", 5, 0, 0, Blue},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("key.bmp", KeyBmp);
        h.WriteBytes("bg.bmp", Solid(".bmp", Green));
        TEngine& e = h.Run("*SCENE s\n*PICTURE bg\n" + c.Lines + "\n");
        EXPECT_EQ(Messages(h), Lines{}) << c.Lines;
        const TBitmap32& target = c.Target == screen ? e.Grp()->GetPicture() : e.Grp()->GetBuffer(c.Target);
        EXPECT_EQ(target.Pixel(c.X, c.Y), c.Expected) << c.Lines;
    }
}

TEST(PictureCommands, BuffersAreMarkedByLoadAndPutOnlyAndNumbersAreChecked)
{
    const std::string loads = "*SCENE s\n*GLOAD 0 key\n*GLOAD 3 key\n*GLOAD 32 key\n";
    const std::string error = "Error! ( main.tgs : line 5 ) ";
    const struct {
        std::string Line;
        std::vector<int> Used;
        std::string Error;
    } cases[] = {
        // *GGET and a *GPUT to the screen mark nothing.
        {"*GGET 1 0 0 2 1 0\n*GPUT 1 0 0 2\n*GPUT 1 0 0", {0, 2, 3, 32}, ""},
        {"*GFREE 3", {0, 32}, ""},
        {"*GFREE 5 2", {0, 3, 32}, ""},
        {"*GFREE 0 99", {}, ""},
        {"*GFREE -5 3", {32}, ""},
        {"*GLOAD 33 key", {0, 3, 32}, "GLOADのビットマップ番号が不正です"},
        {"*GLOAD -1 key", {0, 3, 32}, "GLOADのビットマップ番号が不正です"},
        {"*GGET -1 0 0 1 1", {0, 3, 32}, "GGETのビットマップ番号が不正です"},
        {"*GGET 0 0 0 1 1 33", {0, 3, 32}, "GGET/GPUTのビットマップ番号が不正です"},
        {"*GPUT 33 0 0", {0, 3, 32}, "GPUTのビットマップ番号が不正です"},
        {"*GPUT 0 0 0 -2", {0, 3, 32}, "GGET/GPUTのビットマップ番号が不正です"},
        {"*GTRANS -2 1", {0, 3, 32}, "GTRANSのビットマップ番号が不正です"},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("key.bmp", KeyBmp);
        TEngine& e = h.Run(loads + c.Line + "\n");
        EXPECT_EQ(h.Errors(), c.Error.empty() ? Lines{} : Lines{error + c.Error}) << c.Line;
        EXPECT_EQ(UsedBuffers(e), c.Used) << c.Line;
        EXPECT_EQ(e.Grp()->GetBuffer(0).Pixel(0, 0), Blue) << c.Line;
    }

    // A keyed buffer keeps its cleared pixels when keying is switched off.
    TEngineHarness h;
    h.WriteBytes("key.bmp", KeyBmp);
    TEngine& e = h.Run("*SCENE s\n*GLOAD 0 key\n*GGET 1 0 0 2 1 0\n*GTRANS 1 1\n*GTRANS 1 0\n*GPUT 1 3 3\n");
    EXPECT_EQ(e.Grp()->GetBuffer(1).DrawMode(), dmOpaque);
    EXPECT_EQ(e.Grp()->GetPicture().Pixel(3, 3), 0u);
    EXPECT_EQ(e.Grp()->GetPicture().Pixel(4, 3), Red);
}

TEST(PictureCommands, WaitFramesAreReplacedOrKept)
{
    const std::string before = "*SCENE s\n*LOADWAIT sheet '' 16 3\n";
    const struct {
        std::string Line;
        int Count, Interval, Cell;
        TDrawMode Mode;
        Lines Messages;
    } cases[] = {
        {"*LOADWAIT sheet", 2, 500, 24, dmOpaque, {}},
        {"*LOADWAIT sheet mask 24 2", 2, 200, 24, dmBlend, {}},
        {"*LOADWAIT tiny", 0, 500, 0, dmOpaque, {}},
        // Failures keep the frames of the line before.
        {"*LOADWAIT none '' 24 1", 3, 300, 16, dmOpaque, {"ファイル{dir}none.bmpが開けません"}},
        {"*LOADWAIT sheet none 24 1", 3, 300, 16, dmOpaque, {"ファイル{dir}none.bmpが開けません"}},
        {"*LOADWAIT sheet '' 0", 3, 300, 16, dmOpaque,
            {"Error! ( main.tgs : line 3 ) LOADWAIT/LOADARROWのサイズが不正です"}},
    };
    for (const auto& c : cases) {
        TEngineHarness h;
        h.WriteBytes("sheet.bmp", SheetBmp);
        h.WriteBytes("mask.bmp", SheetMaskBmp);
        h.WriteBytes("tiny.bmp", Solid(".bmp", Red));
        TEngine& e = h.Run(before + c.Line + "\n");
        EXPECT_EQ(Messages(h), c.Messages) << c.Line;
        TTGGrp& g = *e.Grp();
        EXPECT_EQ(g.FWaitCount, c.Count) << c.Line;
        EXPECT_EQ(g.FWaitInterval, c.Interval) << c.Line;
        // The mark shows the current frame in a place of its own size.
        const TFloatRect place = g.WaitLayer()->Location();
        EXPECT_EQ(place.Right - place.Left, float(c.Cell)) << c.Line;
        if (c.Count > 0) {
            EXPECT_EQ(g.WaitLayer()->Bitmap().Pixel(0, 0), Red) << c.Line;
            const TBitmap32& second = e.WaitGrpList().Bitmap(1);
            EXPECT_EQ(second.DrawMode(), c.Mode) << c.Line;
            EXPECT_EQ(second.Pixel(c.Cell - 1, 0) >> 24, c.Mode == dmBlend ? 0u : 0xFFu) << c.Line;
        }
    }
}

TEST(PictureCommands, ScrollMarksFrameAndAboutPictureAreReplacedOrKept)
{
    TEngineHarness h;
    h.WriteBytes("sheet.bmp", SheetBmp);
    TEngine& e = h.Run("*SCENE s\n*LOADARROW sheet '' 24\n*LOADMSGWIN sheet\n*LOADABOUT sheet\n");
    EXPECT_EQ(e.Grp()->UpMarkLayer()->Bitmap().Pixel(0, 0), Red);
    EXPECT_EQ(e.Grp()->DownMarkLayer()->Bitmap().Pixel(23, 23), Green);
    EXPECT_EQ(e.Msg()->Skin().Width(), 48);
    EXPECT_EQ((std::array{h.Host.AboutWidth, h.Host.AboutHeight}), (std::array{48, 24}));

    TEngineHarness missing;
    TEngine& m = missing.Run("*SCENE s\n*LOADARROW none\n*LOADMSGWIN none\n*LOADABOUT none\n");
    EXPECT_EQ(Messages(missing).size(), 3u);
    EXPECT_EQ(m.Grp()->UpMarkLayer()->Bitmap().Width(), 24);
    EXPECT_EQ(m.Msg()->Skin().Width(), 36);
    EXPECT_EQ(missing.Host.AboutWidth, 0);
}
