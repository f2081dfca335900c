// TPicture: choosing the graphic class by extension and by content.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/streams.h"
#include "classlib/jpeg_image.h"
#include "classlib/picture.h"

namespace {

class TFakeGraphic : public TBitmap {
public:
    std::string ClassName() const override { return "TFakeGraphic"; }
    std::unique_ptr<TGraphic> CreateNew() const override { return std::make_unique<TFakeGraphic>(); }
    void LoadFromStream(TStream& stream) override
    {
        uint8_t b[4];
        stream.ReadBuffer(b, 4);
        SetSize(b[3], 1);
    }
};

std::unique_ptr<TGraphic> NewFake()
{
    return std::make_unique<TFakeGraphic>();
}
bool IsFake(const uint8_t* head, size_t size)
{
    return size >= 3 && head[0] == 'F' && head[1] == 'A' && head[2] == 'K';
}

std::vector<uint8_t> SmallBmp()
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 2);
    TMemoryStream stream;
    b.SaveToStream(stream);
    return stream.Bytes();
}

class PictureFiles : public testing::Test {
protected:
    void SetUp() override
    {
        FDir = std::filesystem::temp_directory_path() /
               ("tg_picture_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::filesystem::path path = FDir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::filesystem::path FDir;
};

} // namespace

TEST_F(PictureFiles, ChoosesTheClassByExtension)
{
    TPicture picture;
    picture.LoadFromFile(Write("a.BMP", SmallBmp()));
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 3);

    try {
        picture.LoadFromFile(Write("a.xyz", {1, 2, 3}));
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(picture.Width(), 3); // a failed load keeps the picture

    EXPECT_THROW(picture.LoadFromFile(Write("bad.jpeg", {0xFF, 0xD8, 0xFF, 0})), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 3);
}

TEST_F(PictureFiles, RegisteredClassesServeTheirExtensionUntilUnregistered)
{
    TPicture::RegisterFileFormat(".XYZ", "Fake", &NewFake, &IsFake);
    TPicture picture;
    picture.LoadFromFile(Write("b.xyz", {'F', 'A', 'K', 7}));
    EXPECT_EQ(picture.Graphic()->ClassName(), "TFakeGraphic");
    EXPECT_EQ(picture.Width(), 7);

    TMemoryStream stream;
    stream.WriteBuffer("FAK\x05", 4);
    stream.SetPosition(0);
    picture.LoadFromStream(stream);
    EXPECT_EQ(picture.Width(), 5);

    TPicture::UnregisterGraphicClass(&NewFake);
    EXPECT_THROW(picture.LoadFromFile(Write("c.xyz", {'F', 'A', 'K', 7})), EInvalidGraphic);
}

TEST(Picture, LoadsStreamsByTheirFirstBytes)
{
    const std::vector<uint8_t> bmp = SmallBmp();
    TMemoryStream stream(bmp.data(), bmp.size());
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromStream(stream);
    EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_GT(changes, 0);

    TMemoryStream unknown("GIF89a", 6);
    EXPECT_THROW(picture.LoadFromStream(unknown), EInvalidGraphic);
}

TEST(Picture, AssignCopiesTheGraphicAndBitmapReplacesOtherContent)
{
    TBitmap b;
    b.SetSize(4, 4);
    TPicture a;
    a.Assign(&b);
    ASSERT_NE(a.Graphic(), nullptr);
    EXPECT_NE(a.Graphic(), &b);
    EXPECT_EQ(a.Height(), 4);

    TPicture c;
    c.Assign(&a);
    EXPECT_EQ(c.Width(), 4);
    TBitmap out;
    c.AssignTo(&out);
    EXPECT_EQ(out.Width(), 4);

    c.SetGraphic(std::make_unique<TJPEGImage>());
    EXPECT_EQ(c.Bitmap()->Width(), 0);
    c.Assign(nullptr);
    EXPECT_EQ(c.Graphic(), nullptr);
}
