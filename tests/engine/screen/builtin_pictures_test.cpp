#include "engine/screen/builtin_pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "builtin_pictures_drawing.h"
#include "graphics/bitmap32.h"
#include "graphics/resamplers.h"

namespace {

// Set TG_WRITE_BUILTIN_PICTURES to the engine/screen folder to write the
// embedded copies again after changing the shapes.
TEST(BuiltInPictures, EmbeddedBytesAreTheDrawnShapes)
{
    if (const char* dir = std::getenv("TG_WRITE_BUILTIN_PICTURES")) {
        const std::string folder(dir);
        std::ofstream(folder + "/builtin_wait_frames_data.cpp") << BuiltInPictureSource(0, 1);
        std::ofstream(folder + "/builtin_msg_skin_data.cpp") << BuiltInPictureSource(2, 2);
        std::ofstream(folder + "/builtin_scroll_marks_data.cpp") << BuiltInPictureSource(3, 4);
    }
    for (int i = 0; i < BuiltInPictureCount; ++i) {
        const std::span<const uint8_t> data = BuiltInPictureData(i);
        EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), DrawBuiltInPicture(i)) << i;
    }
    EXPECT_TRUE(BuiltInPictureData(5).empty());
}

TEST(BuiltInPictures, LoadWithTheirSizesAndDrawModes)
{
    struct TCase {
        int Index, Size;
        TDrawMode Mode;
    };
    const TCase cases[] = {{biWaitFrame0, 24, dmBlend}, {biWaitFrame1, 24, dmBlend}, {biMsgSkin, 36, dmOpaque},
        {biUpMark, 24, dmBlend}, {biDownMark, 24, dmBlend}};
    for (const TCase& c : cases) {
        TBitmap32 b;
        LoadBuiltInPicture(c.Index, b);
        EXPECT_EQ(b.Width(), c.Size) << c.Index;
        EXPECT_EQ(b.Height(), c.Size) << c.Index;
        EXPECT_EQ(b.DrawMode(), c.Mode) << c.Index;
        EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
    }
}

TEST(BuiltInPictures, SkinCellsJoinAtAnySize)
{
    TBitmap32 skin;
    LoadBuiltInPicture(biMsgSkin, skin);
    // The outer corner is clear, the pane is translucent and uniform, and each
    // edge cell is the same along its length.
    EXPECT_EQ(AlphaComponent(skin.Pixel(0, 0)), 0);
    const TColor32 pane = skin.Pixel(18, 18);
    EXPECT_GT(AlphaComponent(pane), 128);
    EXPECT_LT(AlphaComponent(pane), 255);
    for (int y = 12; y < 24; ++y)
        for (int x = 12; x < 24; ++x)
            ASSERT_EQ(skin.Pixel(x, y), pane);
    for (int y = 0; y < 12; ++y)
        for (int x = 12; x < 24; ++x)
            ASSERT_EQ(skin.Pixel(x, y), skin.Pixel(12, y));
    for (int x = 0; x < 12; ++x)
        for (int y = 12; y < 24; ++y)
            ASSERT_EQ(skin.Pixel(x, y), skin.Pixel(x, 12));
}

} // namespace
