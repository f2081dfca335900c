// Where saves are written and found, and how they reach the disk.

#include "base/exceptions.h"
#include "codec/crc32.h"
#include "engine/script/save/save_location.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

class SaveLocation : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        FOldXdg = old != nullptr ? old : "";
        FHadXdg = old != nullptr;
        setenv("XDG_DATA_HOME", (Root() + "xdg").c_str(), 1);
        fs::create_directories(Root() + "game");
        fs::create_directories(Root() + "program");
    }
    void TearDown() override
    {
        if (FHadXdg)
            setenv("XDG_DATA_HOME", FOldXdg.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

    std::string Root() const { return FDir.path().toStdString() + "/"; }
    TSavePlace Place(int32_t n, int32_t where) const
    {
        return TSavePlace{Root() + "game/", "data", Root() + "program/", n, where};
    }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string Get(const std::string& path)
    {
        std::ifstream f(path);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    std::string KeyedFolder(const std::string& scenarioDir) const
    {
        uint32_t crc = 0;
        UpdateCRC32(scenarioDir.data(), uint32_t(scenarioDir.size()), crc);
        char key[9];
        std::snprintf(key, sizeof key, "%08X", crc);
        return Root() + "xdg/tideglass/saves/data-" + key + "/";
    }

private:
    QTemporaryDir FDir;
    std::string FOldXdg;
    bool FHadXdg = false;
};

} // namespace

TEST_F(SaveLocation, TheOriginalPlaceComesFirst)
{
    fs::create_directories(Root() + "program/save");
    const struct {
        int32_t N, Where;
        std::string Path;
    } cases[] = {
        {3, 0, "game/data3.sav"},
        {-1, 0, "game/data-1.sav"},
        {3, 1, "program/save/data3.sav"},
        {0, -7, "program/save/data0.sav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SaveWritePath(Place(c.N, c.Where)), Root() + c.Path) << c.N << " " << c.Where;
}

TEST_F(SaveLocation, MissingSaveFolderFallsBackToAKeyedDataFolder)
{
    const std::string keyed = KeyedFolder(Root() + "game/");
    EXPECT_EQ(SaveWritePath(Place(3, 1)), keyed + "save/data3.sav");
    EXPECT_TRUE(fs::is_directory(keyed + "save"));
    // Another game of the same base name gets its own folder.
    TSavePlace other = Place(3, 1);
    other.ScenarioDir = Root() + "other";
    EXPECT_NE(FallbackSaveFolder(other), FallbackSaveFolder(Place(3, 1)));
    // A relative scenario folder keys as its absolute form.
    const fs::path cwd = fs::current_path();
    fs::current_path(Root());
    other.ScenarioDir = "game";
    EXPECT_EQ(FallbackSaveFolder(other), keyed + "save/");
    fs::current_path(cwd);
}

TEST_F(SaveLocation, LoadFindsTheNameInAnyCaseWriteLocationFirst)
{
    const std::string keyed = KeyedFolder(Root() + "game/");
    fs::create_directories(keyed + "save");
    fs::create_directories(Root() + "game/data5.sav"); // a folder is no save
    Put(Root() + "game/DATA1.SAV", "scenario folder");
    Put(keyed + "Data1.sav", "data folder");
    Put(keyed + "save/data2.sav", "beside the program, fallback");
    Put(keyed + "data5.sav", "regular file");

    EXPECT_EQ(FindSaveFile(Place(1, 0)), Root() + "game/DATA1.SAV");
    EXPECT_EQ(FindSaveFile(Place(2, 1)), keyed + "save/data2.sav");
    EXPECT_EQ(FindSaveFile(Place(5, 0)), keyed + "data5.sav");
    EXPECT_EQ(FindSaveFile(Place(9, 0)), "");
    // A save is written over under the name it already has.
    EXPECT_EQ(SaveWritePath(Place(1, 0)), Root() + "game/DATA1.SAV");
}

TEST_F(SaveLocation, OnlyRegularFilesUpTo256MiBAreRead)
{
    Put(Root() + "game/data1.sav", "TGS");
    EXPECT_EQ(ReadSaveFileBytes(Root() + "game/data1.sav").size(), 3u);
    fs::resize_file(Root() + "game/data1.sav", SaveFileMaxBytes + 1);
    EXPECT_THROW(ReadSaveFileBytes(Root() + "game/data1.sav"), EFOpenError);
    EXPECT_THROW(ReadSaveFileBytes(Root() + "game"), EFOpenError);
    EXPECT_THROW(ReadSaveFileBytes(Root() + "game/none.sav"), EFOpenError);
}

TEST_F(SaveLocation, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const std::string path = Root() + "game/data1.sav";
    Put(path, "old save");
    std::string error;

    // A disk that fills up half way: the file size limit makes the write fail.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteSaveFileBytes(path, std::vector<uint8_t>(5000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(error.find("data1.sav"), std::string::npos) << error;
    EXPECT_EQ(Get(path), "old save");
    EXPECT_EQ(std::distance(fs::directory_iterator(Root() + "game"), fs::directory_iterator()), 1);

    EXPECT_FALSE(WriteSaveFileBytes(Root() + "missing/data1.sav", {1, 2, 3}, &error));
    EXPECT_TRUE(WriteSaveFileBytes(path, {'n', 'e', 'w'}, &error));
    EXPECT_EQ(Get(path), "new");
}
