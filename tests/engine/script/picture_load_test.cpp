// Script pictures: which file a name finds in a packed archive and in the
// scenario folder, how each format is decoded and keyed, how the target
// bitmap grows, and how sheets are cut into wait and scroll-mark cells.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "base/streams.h"
#include "classlib/bitmap.h"
#include "codec/zeb_png.h"
#include "formats/pack/pack_archive.h"
#include "engine/script/game_files.h"
#include "engine/script/picture_load.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "graphics/bitmap32.h"
#include "support/jpeg_writer.h"
#include "tools/pack/pack_builder.h"

namespace {

using Pixels = std::vector<TColor32>;

constexpr TColor32 Blue = 0xFF0000FF;
constexpr TColor32 Red = 0xFFFF0000;
constexpr TColor32 Green = 0xFF00FF00;

std::string Bytes(TMemoryStream& s)
{
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

void Fill24(TBitmap& b, int w, int h, const Pixels& px)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            const TColor32 c = px[size_t(y * w + x)];
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
}

std::string Bmp(int w, int h, const Pixels& px)
{
    TBitmap b;
    Fill24(b, w, h, px);
    TMemoryStream s;
    b.SaveToStream(s);
    return Bytes(s);
}

// With withAlpha, the alpha bytes of px go into the file's alpha channel.
std::string Png(int w, int h, const Pixels& px, bool withAlpha)
{
    TZEBPNG png;
    Fill24(png.Image(), w, h, px);
    if (withAlpha) {
        TBitmap& a = png.Alpha();
        a.SetPixelFormat(pf8bit);
        TPalette grey(256);
        for (int i = 0; i < 256; ++i)
            grey[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        a.SetPalette(grey);
        a.SetSize(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                a.ScanLine(y)[x] = uint8_t(255 - (px[size_t(y * w + x)] >> 24));
        png.SetHasAlpha(true);
    }
    TMemoryStream s;
    png.SaveToStream(s);
    return Bytes(s);
}

std::string Jpeg(int w, int h, const Pixels& px)
{
    std::vector<uint8_t> rgb;
    for (TColor32 c : px)
        rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    const std::vector<uint8_t> file = WriteJpeg(w, h, 3, JCS_RGB, rgb.data(), 100);
    return std::string(file.begin(), file.end());
}

// A w x h picture of one colour, in the format the extension names.
std::string Solid(const std::string& ext, int w, int h, TColor32 c)
{
    const Pixels px(size_t(w * h), c);
    return ext == ".png" ? Png(w, h, px, false) : ext == ".jpg" ? Jpeg(w, h, px) : Bmp(w, h, px);
}

class TFolder {
public:
    std::string Dir() const { return FDir.path().toStdString() + "/"; }
    // `name` is UTF-8; a Shift-JIS name is written with its own bytes.
    std::string Put(const std::string& name, const std::string& bytes) const
    {
        QDir().mkpath(QString::fromStdString(ExtractFilePath(Dir() + name)));
        WriteFileAtomically(Dir() + name, bytes.data(), bytes.size());
        return Dir() + name;
    }

private:
    QTemporaryDir FDir;
};

// The first pixel of the picture the name finds, or the failure text.
std::string Found(TGameFile file)
{
    if (!file.Found)
        return sjis::ToUtf8(file.FailureText);
    TBitmap32 target;
    EXPECT_TRUE(DrawPicture(file.Data, ExtractFileExt(file.Name), false, target, 0, 0));
    // JPEG colours come back within the coder's rounding.
    const TColor32 c = target.Pixel(0, 0);
    return file.Name + ((c >> 16 & 0xFF) > 0xF0 ? " red" : (c >> 8 & 0xFF) > 0xF0 ? " green" : " other");
}

} // namespace

TEST(PicturePaths, NamesSplitAtEitherSeparatorButNeverOnATrailByte)
{
    const std::string hyo = "\x95\x5C", so = "\x83\x5C"; // 表, ソ: trail byte 5Ch
    const struct {
        std::string Path, Name, Ext, NoExt, WithExt;
    } cases[] = {
        {"sub\\a.bmp", "a.bmp", ".bmp", "sub\\a", "sub\\a.bmp"},
        {"dir.v2\\pic", "pic", "", "dir.v2\\pic", "dir.v2\\pic.bmp"},
        {"a/b.c\\d", "d", "", "a/b.c\\d", "a/b.c\\d.bmp"},
        {hyo + ".bmp", hyo + ".bmp", ".bmp", hyo, hyo + ".bmp"},
        {"cg\\" + so + ".png", so + ".png", ".png", "cg\\" + so, "cg\\" + so + ".png"},
        {hyo + "\\" + so, so, "", hyo + "\\" + so, hyo + "\\" + so + ".bmp"},
        // File-system paths in UTF-8: "あ" ends in 82h, a Shift-JIS lead byte.
        {"/g/あ/data.tgs", "data.tgs", ".tgs", "/g/あ/data", "/g/あ/data.tgs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileName(c.Path), c.Name) << c.Path;
        EXPECT_EQ(ExtractFileExt(c.Path), c.Ext) << c.Path;
        EXPECT_EQ(ChangeFileExt(c.Path, ""), c.NoExt) << c.Path;
        EXPECT_EQ(WithPictureExt(c.Path), c.WithExt) << c.Path;
    }
    using Names = std::array<std::string, 4>;
    EXPECT_EQ(ArchivePictureNames("sub\\a.bmp"), (Names{"sub\\a.bmp", "a.jpg", "a.png", "a.bmp"}));
    EXPECT_EQ(DiskPictureNames("sub\\a.bmp"), (Names{"a.bmp", "a.png", "a.jpg", "a.bmp"}));
}

TEST(PicturePaths, ArchiveFindsTheFirstCandidateItHolds)
{
    TFolder f;
    f.Put("game.tgs", "*SCENE s\r\n");
    const std::string a = f.Put("src/a.png", Solid(".png", 2, 2, Red));
    const std::string aJpg = f.Put("both/a.jpg", Solid(".jpg", 2, 2, Green));
    const std::string aPng = f.Put("both/a.png", Solid(".png", 2, 2, Red));
    const std::string sub = f.Put("src/SUB.BMP", Solid(".bmp", 2, 2, Green));
    const struct {
        std::vector<std::string> Files;
        std::string Name, Expected;
    } cases[] = {
        {{a}, "a.bmp", "a.png red"},
        {{a}, "A", "A.png red"},
        {{aJpg, aPng}, "a.bmp", "a.jpg green"},
        {{aPng, aJpg}, "a.png", "a.png red"},
        // The folder stays in the first lookup ("SUB\A.BMP"), which no entry
        // bears, and the file-name part goes on.
        {{sub, a}, "sub\\a.bmp", "a.png red"},
        // Entries as the packer writes them: BMP coded, PNG stored.
        {{sub, a}, "sub.bmp", "sub.bmp green"},
        {{sub}, "pic\\b.gif", "データb.bmpの読み込みに失敗しました"},
    };
    for (const auto& c : cases) {
        BuildPackArchive(f.Dir() + "game.tgs", c.Files, f.Dir() + "game.tgp");
        TFileStream archive(f.Dir() + "game.tgp", fmOpenRead);
        const TPackIndex index(archive);
        EXPECT_EQ(Found(ReadArchivePicture(c.Name, archive, index)), c.Expected) << c.Name;
    }
    // An archive with the wrong magic holds nothing.
    TMemoryStream bad("PK\3\4", 4);
    EXPECT_EQ(Found(ReadArchivePicture("a.png", bad, TPackIndex(bad))), "データa.bmpの読み込みに失敗しました");
}

TEST(PicturePaths, FolderIsSearchedWithoutRegardToCaseAndWithoutSubfolders)
{
    TFolder f;
    f.Put("a.png", Solid(".png", 2, 2, Red));
    f.Put("a.jpg", Solid(".jpg", 2, 2, Green));
    f.Put("Up.PNG", Solid(".png", 2, 2, Red));
    f.Put("表.bmp", Solid(".bmp", 2, 2, Green)); // names as the file system has them
    f.Put("ソ.png", Solid(".png", 2, 2, Red));
    QDir(QString::fromStdString(f.Dir())).mkdir("dir.bmp");
    f.Put("sub/only.png", Solid(".png", 2, 2, Red));
    const std::string dir = f.Dir();
    const struct {
        std::string Name, Expected;
    } cases[] = {
        {"a.bmp", "a.png red"},
        {"a.jpg", "a.jpg green"},
        {"sub\\a.bmp", "a.png red"},
        {"up.png", "up.png red"},
        {"UP", "UP.png red"},
        {sjis::FromUtf8("表.bmp"), sjis::FromUtf8("表.bmp") + " green"},
        {sjis::FromUtf8("ソ"), sjis::FromUtf8("ソ.png") + " red"},
        {"dir.v2\\pic", "ファイル" + dir + "pic.bmpが開けません"},
        {"dir", "ファイル" + dir + "dir.bmpが開けません"},
        {"sub\\only.png", "ファイル" + dir + "only.bmpが開けません"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Found(ReadDiskPicture(c.Name, f.Dir())), c.Expected) << c.Name;
}

TEST(PictureDecoding, BlueIsKeyedOnlyWithLoadTransparencyAndNeverInJpeg)
{
    const Pixels px = {Blue, Red, 0x80FFFFFF, 0x01000000};
    const struct {
        std::string Ext, File;
        bool LoadTrans;
        Pixels Expected;
        TDrawMode Mode;
    } cases[] = {
        {".bmp", Bmp(4, 1, px), false, {Blue, Red, 0xFFFFFFFF, 0xFF000000}, dmOpaque},
        {".BMP", Bmp(4, 1, px), true, {0, Red, 0xFFFFFFFF, 0xFF000000}, dmBlend},
        {".png", Png(4, 1, px, false), true, {0, Red, 0xFFFFFFFF, 0xFF000000}, dmBlend},
        {".png", Png(4, 1, px, true), false, {Blue, Red, 0xFFFFFFFF, 0xFF000000}, dmOpaque},
        // The alpha channel exactly, and no blue key beside it.
        {".Png", Png(4, 1, px, true), true, {Blue, Red, 0x80FFFFFF, 0x01000000}, dmBlend},
        {".jpg", Jpeg(4, 1, {Blue, Blue, Blue, Blue}), true, {Blue, Blue, Blue, Blue}, dmOpaque},
    };
    for (const auto& c : cases) {
        TMemoryStream data(c.File.data(), c.File.size());
        const std::unique_ptr<TBitmap32> picture = DecodePicture(data, c.Ext, c.LoadTrans);
        ASSERT_NE(picture, nullptr) << c.Ext;
        Pixels got(picture->Bits(), picture->Bits() + 4);
        if (c.Ext == ".jpg")
            for (TColor32& p : got) // within the coder's rounding
                p = (p & 0xFFF0F0F0) == 0xFF0000F0 ? Blue : p;
        EXPECT_EQ(got, c.Expected) << c.Ext << " " << c.LoadTrans;
        EXPECT_EQ(picture->DrawMode(), c.Mode) << c.Ext << " " << c.LoadTrans;
    }
}

TEST(PictureDecoding, TargetGrowsClearedNeverShrinksAndFailuresLeaveIt)
{
    const auto target = [](int w, int h) {
        auto t = std::make_unique<TBitmap32>();
        t->SetSize(w, h);
        t->Clear(Green);
        return t;
    };
    const auto draw = [](TBitmap32& t, const std::string& ext, const std::string& file, int x, int y) {
        TMemoryStream data(file.data(), file.size());
        return DrawPicture(data, ext, false, t, x, y);
    };
    // A smaller picture keeps the size and the pixels it does not cover.
    auto small = target(4, 4);
    EXPECT_TRUE(draw(*small, ".bmp", Solid(".bmp", 2, 2, Red), 1, 1));
    EXPECT_EQ(small->Width(), 4);
    EXPECT_EQ(small->Pixel(0, 0), Green);
    EXPECT_EQ(small->Pixel(2, 2), Red);
    EXPECT_EQ(small->Pixel(3, 3), Green);
    // A wider one grows the target to at least its size, cleared to 0.
    auto grown = target(4, 4);
    EXPECT_TRUE(draw(*grown, ".png", Solid(".png", 6, 2, Red), 0, 1));
    EXPECT_EQ(grown->Width(), 6);
    EXPECT_EQ(grown->Height(), 4);
    EXPECT_EQ(grown->Pixel(0, 0), 0u);
    EXPECT_EQ(grown->Pixel(5, 2), Red);
    // Unknown extensions draw nothing and say nothing; damaged files raise
    // their decoder's error. Either way the target stays as it was.
    auto kept = target(3, 3);
    EXPECT_FALSE(draw(*kept, ".gif", Solid(".png", 8, 8, Red), 0, 0));
    std::string damaged = Solid(".png", 8, 8, Red);
    damaged[20] ^= 1; // the header's checksum no longer holds
    EXPECT_THROW(draw(*kept, ".png", damaged, 0, 0), Exception);
    EXPECT_THROW(draw(*kept, ".bmp", "BM-not-a-bitmap", 0, 0), Exception);
    EXPECT_THROW(draw(*kept, ".jpeg", "\xFF\xD8\xFF garbage", 0, 0), Exception);
    EXPECT_EQ(kept->Width(), 3);
    EXPECT_EQ(kept->Pixel(1, 1), Green);
}

TEST(PictureCells, SheetsAreCutRowByRowIntoCellsThatFit)
{
    // 3 x 2 cells of 2 pixels, each cell filled with its own number.
    TBitmap32 sheet;
    sheet.SetSize(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            sheet.SetPixel(x, y, 0xFF000000 | uint32_t((y / 2) * 3 + x / 2));
    const auto numbers = [](const std::vector<std::unique_ptr<TBitmap32>>& cells) {
        std::vector<uint32_t> n;
        for (const auto& c : cells) {
            EXPECT_EQ(c->Pixel(0, 0), c->Pixel(c->Width() - 1, c->Height() - 1));
            n.push_back(c->Pixel(0, 0) & 0xFF);
        }
        return n;
    };
    using N = std::vector<uint32_t>;
    EXPECT_EQ(numbers(CutPictureCells(sheet, 2)), (N{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(numbers(CutPictureCells(sheet, 2, 2)), (N{0, 1}));
    EXPECT_EQ(CutPictureCells(sheet, 5).size(), 0u);
    EXPECT_EQ(CutPictureCells(sheet, 100000).size(), 0u); // no 40 GB cell
    sheet.SetDrawMode(dmBlend);
    EXPECT_EQ(CutPictureCells(sheet, 2)[0]->DrawMode(), dmBlend);

    TBitmap32 wait; // the *LOADWAIT sheet of two 24-pixel frames
    wait.SetSize(48, 24);
    EXPECT_EQ(CutPictureCells(wait, 24).size(), 2u);
    for (int size : {0, -24})
        EXPECT_THROW(CutPictureCells(wait, size), EScriptError) << size;
    wait.SetSize(MaxPictureCells + 1, 1);
    EXPECT_THROW(CutPictureCells(wait, 1), EScriptError);
    EXPECT_EQ(CutPictureCells(wait, 1, 2).size(), 2u);

    EXPECT_EQ(WaitFrameInterval(5), 500);
    EXPECT_EQ(WaitFrameInterval(2147483647), 2147483647);
    EXPECT_EQ(WaitFrameInterval(-2147483647 - 1), -2147483647 - 1);
}

TEST(PictureDecoding, DemoPicturesReadBackWithTheirTransparency)
{
    const std::string demo = std::string(TG_TESTDATA_DIR) + "/../../examples/demo/";
    const struct {
        std::string File;
        int Width, Height;
        bool SeeThrough; // some pixels transparent with load transparency
    } cases[] = {
        {"beach.png", 640, 480, false},
        {"cliff.jpg", 640, 480, false},
        {"lighthouse.png", 640, 480, false},
        {"float.png", 64, 64, true},
        {"shell.bmp", 48, 40, true},
        {"wait.bmp", 96, 24, false},
        {"msgwin.bmp", 36, 36, false},
        {"msgwinmask.bmp", 36, 36, false},
    };
    for (const auto& c : cases) {
        TMemoryStream data;
        data.LoadFromFile(demo + c.File);
        const std::unique_ptr<TBitmap32> p = DecodePicture(data, ExtractFileExt(c.File), true);
        ASSERT_NE(p, nullptr) << c.File;
        EXPECT_EQ(p->Width(), c.Width) << c.File;
        EXPECT_EQ(p->Height(), c.Height) << c.File;
        EXPECT_EQ(p->Pixel(0, 0) >> 24 == 0, c.SeeThrough) << c.File;
    }
}
