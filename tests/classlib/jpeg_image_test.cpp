// TJPEGImage over files written here with libjpeg.

#include <gtest/gtest.h>

#include <vector>

#include "base/streams.h"
#include "classlib/jpeg_image.h"
#include "support/jpeg_writer.h"

namespace {

std::vector<uint8_t> WriteJpeg(
    int width, int height, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& pixels, int quality = 95)
{
    return WriteJpeg(width, height, components, space, pixels.data(), quality);
}

std::vector<uint8_t> Gradient(int w, int h)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            rgb.push_back(static_cast<uint8_t>(x * 255 / (w - 1)));
            rgb.push_back(static_cast<uint8_t>(y * 255 / (h - 1)));
            rgb.push_back(static_cast<uint8_t>(128));
        }
    return rgb;
}

void Load(TJPEGImage& image, const std::vector<uint8_t>& data)
{
    TMemoryStream stream(data.data(), data.size());
    image.LoadFromStream(stream);
}

} // namespace

TEST(JpegImage, DecodesToA24BitBitmapWithinTolerance)
{
    const int w = 64, h = 48;
    const std::vector<uint8_t> rgb = Gradient(w, h);
    TJPEGImage image;
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    Load(image, WriteJpeg(w, h, 3, JCS_RGB, rgb));
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(image.Width(), w);
    ASSERT_EQ(image.Height(), h);
    EXPECT_FALSE(image.Grayscale());
    EXPECT_EQ(image.Bitmap().PixelFormat(), pf24bit);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = image.Bitmap().ScanLine(y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) // bitmap rows are B, G, R
                worst = std::max(worst, std::abs(row[3 * x + c] - rgb[static_cast<size_t>((y * w + x) * 3 + 2 - c)]));
    }
    EXPECT_LE(worst, 8);
}

TEST(JpegImage, GreyAndCmykFilesBecomeRgb)
{
    std::vector<uint8_t> grey(16 * 8, 200);
    TJPEGImage g;
    Load(g, WriteJpeg(16, 8, 1, JCS_GRAYSCALE, grey));
    EXPECT_TRUE(g.Grayscale());
    const uint8_t* p = g.Bitmap().ScanLine(3) + 3 * 5;
    EXPECT_NEAR(p[0], 200, 2);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);

    // Adobe-style inverted CMYK: stored 0 for cyan means full cyan ink.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 16 * 8; ++i)
        cmyk.insert(cmyk.end(), {0, 255, 255, 255});
    TJPEGImage c;
    Load(c, WriteJpeg(16, 8, 4, JCS_CMYK, cmyk));
    const uint8_t* q = c.Bitmap().ScanLine(4) + 3 * 8;
    EXPECT_NEAR(q[0], 255, 3); // blue
    EXPECT_NEAR(q[1], 255, 3); // green
    EXPECT_NEAR(q[2], 0, 3);   // red
}

TEST(JpegImage, BadDataRaisesAndKeepsTheImage)
{
    TJPEGImage image;
    Load(image, WriteJpeg(8, 8, 3, JCS_RGB, Gradient(8, 8)));
    std::vector<std::vector<uint8_t>> bad = {
        {},
        {0xFF, 0xD8, 0xFF},
        {'B', 'M', 0, 0, 0, 0},
    };
    std::vector<uint8_t> garbled = WriteJpeg(8, 8, 3, JCS_RGB, Gradient(8, 8));
    for (size_t i = 2; i < 200 && i < garbled.size(); ++i)
        garbled[i] = static_cast<uint8_t>(i * 37);
    bad.push_back(garbled);
    // Cut inside the entropy-coded data.
    const std::vector<uint8_t> whole = WriteJpeg(64, 64, 3, JCS_RGB, Gradient(64, 64));
    bad.emplace_back(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(whole.size() / 2));
    for (const auto& data : bad) {
        try {
            Load(image, data);
            ADD_FAILURE() << "no error for " << data.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
        }
        EXPECT_EQ(image.Width(), 8);
    }
}

TEST(JpegImage, SavesTheDataItWasLoadedFromAndGivesItsPicture)
{
    const std::vector<uint8_t> data = WriteJpeg(10, 6, 3, JCS_RGB, Gradient(10, 6));
    TJPEGImage image;
    Load(image, data);
    TMemoryStream saved;
    image.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), data);

    TBitmap bitmap;
    bitmap.Assign(&image);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.PixelColor(9, 5), image.Bitmap().PixelColor(9, 5));

    TJPEGImage copy;
    copy.Assign(&image);
    EXPECT_EQ(copy.Height(), 6);
    EXPECT_THROW(copy.SetWidth(3), EInvalidGraphicOperation);
}
