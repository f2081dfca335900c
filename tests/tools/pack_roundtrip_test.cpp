// Archives written by the packer, read back through the engine's reader.

#include "base/streams.h"
#include "formats/pack/pack_archive.h"
#include "temp_folder.h"
#include "tools/pack/pack_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TSample {
    const char* Name;
    std::string Data;
    bool Coded;
};

std::string Read(TStream& archive, const std::string& name, int& result)
{
    TMemoryStream out;
    result = ReadPackEntry(name, archive, out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

} // namespace

TEST(PackRoundTrip, EveryEntryComesBackAsItsFile)
{
    TTempFolder dir;
    const std::vector<TSample> samples = {
        {"pic.bmp", SampleBytes(70000, 3), true},
        {"song.mid", SampleBytes(5000, 4), true},
        {"bg.png", SampleBytes(3000, 5), false},
        {"se.wav", SampleBytes(12345, 6), false},
        {"bgm.ogg", SampleBytes(4097, 7), false},
        {"face.jpg", SampleBytes(1, 8), false},
        {"m.mp3", SampleBytes(4096, 9), false},
        {"readme.txt", "text\r\n", true},
        {"empty.wav", "", false},
        {"empty.bmp", "", true},
    };
    std::vector<std::string> files;
    for (const TSample& s : samples) {
        dir.Put(s.Name, s.Data);
        files.push_back(dir.Path(s.Name));
    }
    dir.Put("game.tgs", "*SCENE start\r\n");
    BuildPackArchive(dir.Path("game.tgs"), files, dir.Path("game.tgp"));

    TFileStream archive(dir.Path("game.tgp"), fmOpenRead);
    int result = -1;
    EXPECT_EQ(Read(archive, "*SCRIPT*", result), "*SCENE start\r\n");
    EXPECT_EQ(result, peFound);
    for (const TSample& s : samples) {
        const std::string name = PackEntryName(s.Name);
        EXPECT_EQ(Read(archive, name, result), s.Data) << s.Name;
        EXPECT_EQ(result, peFound) << s.Name;
        TPackEntryHeader entry;
        ASSERT_EQ(FindPackEntry(name, archive, entry), peFound);
        EXPECT_EQ(entry.PackCompressed, s.Coded ? 1 : 0) << s.Name;
        EXPECT_EQ(entry.PackDataSize, int32_t(s.Data.size())) << s.Name;
    }
    EXPECT_EQ(Read(archive, "pic.bmp", result), "");
    EXPECT_EQ(result, peNotFound);
}

TEST(PackRoundTrip, StoredEntriesStreamFromTheirOffset)
{
    TTempFolder dir;
    const std::string music = SampleBytes(50000, 11);
    dir.Put("game.tgs", "x");
    dir.Put("a.bmp", SampleBytes(8000, 12));
    dir.Put("bgm.ogg", music);
    BuildPackArchive(dir.Path("game.tgs"), {dir.Path("a.bmp"), dir.Path("bgm.ogg")}, dir.Path("game.tgp"));

    TFileStream archive(dir.Path("game.tgp"), fmOpenRead);
    const int64_t offset = GetPackEntryInfo("BGM.OGG", archive, piOffset);
    const int64_t size = GetPackEntryInfo("BGM.OGG", archive, piDataSize);
    ASSERT_EQ(size, int64_t(music.size()));
    std::string raw(size_t(size), '\0');
    archive.SetPosition(offset);
    archive.ReadBuffer(raw.data(), size);
    EXPECT_EQ(raw, music);
}
