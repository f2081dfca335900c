// The public PNG conformance suite: every valid file decodes to libpng's
// pixels (after the codec's own reductions), every damaged one is refused
// but those whose only fault is a wrong chunk CRC.
#include "codec/png_codec.h"
#include "codec/zeb_png_error.h"
#include "png_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace pngtest;

namespace {

std::vector<std::string> SuiteFiles(bool valid)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SuiteDir())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && (name[0] != 'x') == valid)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// 16-bit files key their tRNS colour by the high bytes only, so more pixels
// may be keyed than libpng clears; the ones libpng clears must be keyed.
bool SixteenBitKey(const std::string& name)
{
    return name.rfind("16") == name.size() - 6 && name.find("tb") == 0;
}

} // namespace

TEST(PngSuite, ValidFilesMatchLibpng)
{
    const std::vector<std::string> files = SuiteFiles(true);
    ASSERT_GT(files.size(), 150u);
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFile(SuiteDir() + name);
        PngImage image, alpha;
        ASSERT_NO_THROW(DecodePNG(file, image, &alpha));
        const Rgba ours = ToRgba(image, &alpha);
        const Rgba theirs = DecodeWithLibpng(file);
        ASSERT_EQ(ours.Width, theirs.Width);
        ASSERT_EQ(ours.Height, theirs.Height);
        int colorDiffs = 0, alphaDiffs = 0;
        for (int32_t y = 0; y < ours.Height; ++y)
            for (int32_t x = 0; x < ours.Width; ++x) {
                const uint8_t* a = ours.At(x, y);
                const uint8_t* b = theirs.At(x, y);
                colorDiffs += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
                if (SixteenBitKey(name))
                    alphaDiffs += b[3] == 0 && a[3] != 0;
                else
                    alphaDiffs += a[3] != b[3];
            }
        EXPECT_EQ(colorDiffs, 0);
        EXPECT_EQ(alphaDiffs, 0);
    }
}

TEST(PngSuite, DamagedFilesAreRefusedWithTheirReason)
{
    const std::map<std::string, std::string> expected = {
        {"xc1n0g08.png", "Read Header(PNG): Error ColorType"},
        {"xc9n2c08.png", "Read Header(PNG): Error ColorType"},
        {"xcrn0g04.png", "PNG LoadStream: Not PNG Format"},
        {"xd0n2c08.png", "Read Header(PNG): Error BitDepth"},
        {"xd3n2c08.png", "Read Header(PNG): Error BitDepth"},
        {"xd9n2c08.png", "Read Header(PNG): Error BitDepth"},
        {"xdtn0g01.png", "Read Image (PNG): No Image Data"},
        {"xlfn0g04.png", "PNG LoadStream: Not PNG Format"},
        {"xs1n0g01.png", "PNG LoadStream: Not PNG Format"},
        {"xs2n0g01.png", "PNG LoadStream: Not PNG Format"},
        {"xs4n0g01.png", "PNG LoadStream: Not PNG Format"},
        {"xs7n0g01.png", "PNG LoadStream: Not PNG Format"},
    };
    // Wrong chunk CRCs are not compared: these show as the files they came from.
    const std::map<std::string, std::string> twins = {
        {"xcsn0g01.png", "basn0g01.png"}, {"xhdn0g08.png", "basn0g08.png"}};
    const std::vector<std::string> files = SuiteFiles(false);
    EXPECT_EQ(files.size(), expected.size() + twins.size());
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFile(SuiteDir() + name);
        PngImage image, alpha;
        if (const auto twin = twins.find(name); twin != twins.end()) {
            PngImage sound;
            DecodePNG(ReadFile(SuiteDir() + twin->second), sound);
            ASSERT_NO_THROW(DecodePNG(file, image, &alpha));
            EXPECT_EQ(image, sound);
            continue;
        }
        try {
            DecodePNG(file, image, &alpha);
            ADD_FAILURE() << "decoded";
        } catch (const EZEBPNG& e) {
            const auto it = expected.find(name);
            ASSERT_NE(it, expected.end());
            EXPECT_EQ(e.Message(), it->second);
        }
    }
}
