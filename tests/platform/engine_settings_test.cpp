#include "platform/engine_settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <string>

#include "base/inifile.h"

namespace {

// The windows as they stand before the file is read.
TSettingsValues Current()
{
    TSettingsValues c;
    c.Main = {100, 80, 660, 540};
    c.Msg = {229, 376, 433, 182};
    c.Sub = {252, 313, 201, 149};
    return c;
}

// Two monitors side by side.
const std::vector<TWindowPlace> Screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};

TSettingsValues ReadBounded(const std::string& text)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("tideglass.ini").toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return BoundEngineSettings(ReadEngineSettings(TIniFile(path), Current()), Current(), Screens);
}

bool operator==(const TWindowPlace& a, const TWindowPlace& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}

} // namespace

TEST(EngineSettings, BadScaleAndSizesGiveTheDefaultsOthersAreHeldToBounds)
{
    struct Case {
        const char* ini;
        int scale, width, height;
    } const cases[] = {
        {"", 100, 230, 176},
        {"[MODE]\r\nScale=0\r\n[WINDOW]\r\nWidth=0\r\nHeight=0\r\n", 100, 230, 176},
        {"[MODE]\r\nScale=-150\r\n[WINDOW]\r\nWidth=-640\r\nHeight=-1\r\n", 100, 230, 176},
        {"[MODE]\r\nScale=big\r\n[WINDOW]\r\nWidth=wide\r\nHeight=\r\n", 100, 230, 176},
        {"[MODE]\r\nScale=150\r\n[WINDOW]\r\nWidth=640\r\nHeight=480\r\n", 150, 640, 480},
        {"[MODE]\r\nScale=5\r\n[WINDOW]\r\nWidth=9999\r\nHeight=1\r\n", 10, 2048, 1},
        {"[MODE]\r\nScale=900\r\n", 900, 230, 176},
        // 2048 at 500 % would be a picture 10240 wide.
        {"[MODE]\r\nScale=500\r\n[WINDOW]\r\nWidth=2048\r\nHeight=100\r\n", 100, 2048, 100},
        {"[mode]\r\nscale = 200\r\n", 200, 230, 176},
    };
    for (const Case& c : cases) {
        const TSettingsValues s = ReadBounded(c.ini);
        EXPECT_EQ(s.ScalePercent, c.scale) << c.ini;
        EXPECT_EQ(s.BaseWidth, c.width) << c.ini;
        EXPECT_EQ(s.BaseHeight, c.height) << c.ini;
    }
    EXPECT_TRUE(ReadBounded("[MODE]\r\nFullScreen=7\r\n").FullScreen);
    EXPECT_FALSE(ReadBounded("[MODE]\r\nFullScreen=yes\r\n").FullScreen);
}

TEST(EngineSettings, WindowsOnNoScreenKeepTheirPlace)
{
    const TSettingsValues current = Current();
    struct Case {
        const char* ini;
        TWindowPlace main, msg;
    } const cases[] = {
        {"[WINDOW]\r\nMainX=300\r\nMainY=200\r\nMsgX=2000\r\nMsgY=900\r\n", {300, 200, 660, 540},
            {2000, 900, 433, 182}},
        // Partly off the desktop is still on it.
        {"[WINDOW]\r\nMainX=-600\r\nMainY=-500\r\nMsgX=3190\r\nMsgY=1000\r\n", {-600, -500, 660, 540},
            {3190, 1000, 433, 182}},
        // Off every monitor: where the window stands now.
        {"[WINDOW]\r\nMainX=-5000\r\nMainY=10\r\nMsgX=3300\r\nMsgY=0\r\n", current.Main, current.Msg},
        {"[WINDOW]\r\nMainX=10\r\nMainY=1080\r\nMsgX=1900\r\nMsgY=1030\r\n", current.Main, {1900, 1030, 433, 182}},
        // Sizes: none or negative is the present size; tiny is the least.
        {"[WINDOW]\r\nMsgWidth=0\r\nMsgHeight=5\r\n", current.Main, {229, 376, 433, 16}},
        {"[WINDOW]\r\nMsgWidth=-20\r\nMsgHeight=99999\r\n", current.Main, {229, 376, 433, 8192}},
        {"[WINDOW]\r\nMainX=2147483647\r\nMainY=2147483647\r\n", current.Main, current.Msg},
    };
    for (const Case& c : cases) {
        const TSettingsValues s = ReadBounded(c.ini);
        EXPECT_TRUE(s.Main == c.main) << c.ini << " main " << s.Main.Left << "," << s.Main.Top;
        EXPECT_TRUE(s.Msg == c.msg) << c.ini << " msg " << s.Msg.Left << "," << s.Msg.Top << " " << s.Msg.Width << "x"
                                    << s.Msg.Height;
        EXPECT_TRUE(s.Sub == current.Sub) << c.ini;
    }
    // Nothing to judge by: the places stand as read.
    const TSettingsValues read = ReadEngineSettings(TIniFile("/nonexistent/x.ini"), current);
    TSettingsValues far = read;
    far.Main.Left = -5000;
    EXPECT_EQ(BoundEngineSettings(far, current, {}).Main.Left, -5000);
}
