#include "base/clock.h"
#include "base/inifile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tginiXXXXXX";
        dir = mkdtemp(tmpl);
        path = (dir / "tideglass.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read()
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
    std::string path;
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite)
{
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("WINDOW", "MainX", -1), -1);
    EXPECT_FALSE(ini.SectionExists("WINDOW"));
    ini.WriteInteger("WINDOW", "MainX", 40);
    EXPECT_EQ(Read(), "[WINDOW]\r\nMainX=40\r\n");
    EXPECT_EQ(ini.ReadInteger("window", "mainx", -1), 40);
}

TEST_F(IniFileTest, ReadsCaseInsensitivelyWithDefaults)
{
    Write("; comment\n[Mode]\nFullScreen = 1 \nScale=abc\nName=\"quoted value\"\nHex=0x10\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.ReadBool("MODE", "fullscreen", false));
    EXPECT_EQ(ini.ReadInteger("MODE", "Scale", 100), 100);
    EXPECT_EQ(ini.ReadString("mode", "NAME", ""), "quoted value");
    EXPECT_EQ(ini.ReadInteger("Mode", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadString("Mode", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Other", "Scale", "none"), "none");
    EXPECT_TRUE(ini.ValueExists("MODE", "SCALE"));
    EXPECT_EQ(ini.ReadSection("mode").size(), 4u);
}

TEST_F(IniFileTest, WritesInPlaceKeepingForeignContent)
{
    Write("; keep me\r\n[WINDOW]\r\nMainX=1\r\nOther=x\r\n\r\n[Foreign]\r\nK=V\r\n");
    TIniFile ini(path);
    ini.WriteInteger("window", "mainx", 250);
    ini.WriteInteger("WINDOW", "Width", 460);
    ini.WriteString("MODE", "Scale", "200");
    EXPECT_EQ(Read(), "; keep me\r\n[WINDOW]\r\nMainX=250\r\nOther=x\r\nWidth=460\r\n\r\n[Foreign]\r\nK=V\r\n"
                      "[MODE]\r\nScale=200\r\n");
    ini.DeleteKey("WINDOW", "Other");
    ini.EraseSection("foreign");
    EXPECT_EQ(Read(), "; keep me\r\n[WINDOW]\r\nMainX=250\r\nWidth=460\r\n\r\n[MODE]\r\nScale=200\r\n");
}

TEST(Clock, IntervalSurvivesWrap)
{
    EXPECT_TRUE(IntervalElapsed(100, 0, 100));
    EXPECT_FALSE(IntervalElapsed(99, 0, 100));
    EXPECT_TRUE(IntervalElapsed(50, 0xFFFFFFF0u, 60));
    EXPECT_FALSE(IntervalElapsed(40, 0xFFFFFFF0u, 60));
    // 24.9 days of uptime: the counter's sign bit flips; the test still holds.
    EXPECT_TRUE(IntervalElapsed(0x80000010u, 0x7FFFFFF0u, 32));
}

TEST(Clock, FakeClockIsInstalledAndRemoved)
{
    TFakeClock fake(0xFFFFFFFEu);
    SetClockSource(&fake);
    EXPECT_EQ(TimeGetTime(), 0xFFFFFFFEu);
    fake.Advance(3);
    EXPECT_EQ(TimeGetTime(), 1u);
    SetClockSource(nullptr);
    const uint32_t a = TimeGetTime();
    const uint32_t b = TimeGetTime();
    EXPECT_LE(static_cast<uint32_t>(b - a), 1000u);
}

} // namespace
