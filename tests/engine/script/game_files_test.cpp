// The game's files: a name gives the same bytes whether the game is a folder
// or a packed archive, and music to stream is a byte range of a file the
// audio library opens again.

#include <gtest/gtest.h>

#include <string>

#include "base/streams.h"
#include "engine/script/game_files.h"
#include "support/test_folder.h"
#include "tools/pack/pack_builder.h"

namespace {

std::string Text(const TMemoryStream& data)
{
    return std::string(data.Bytes().begin(), data.Bytes().end());
}

// The folder game in "src/", the same game packed as "game.tgp".
struct TTwoGames {
    TTestFolder F;
    TGameFiles Folder{""};
    TGameFiles Archive{""};

    TTwoGames()
    {
        F.MakeFolder("src");
        F.WriteScript("src/game.tgs", "*SCENE s\n");
        F.WriteBytes("src/Hit.WAV", "RIFF-hit");
        F.WriteBytes("src/theme.mid", "MThd-theme");
        F.WriteBytes("src/Song.OGG", "OggS-song");
        F.WriteBytes("src/bg.png", "png-bg");
        const std::string src = F.Dir() + "src/";
        BuildPackArchive(src + "game.tgs", {src + "Hit.WAV", src + "theme.mid", src + "Song.OGG", src + "bg.png"},
            F.Dir() + "game.tgp");
        Folder.SetScenario(src + "game.tgs");
        Archive.SetScenario(F.Dir() + "game.tgp");
        TMemoryStream script;
        EXPECT_TRUE(Archive.OpenArchive(F.Dir() + "game.tgp", script));
    }
};

TEST(GameFiles, EveryKindGivesTheSameBytesFromTheFolderAndTheArchive)
{
    TTwoGames g;
    const struct {
        std::string Name;
        TGameFileKind Kind;
        std::string Bytes; // empty: not found
    } cases[] = {
        {"hit", TGameFileKind::gkSound, "RIFF-hit"},
        {"HIT.wav", TGameFileKind::gkSound, "RIFF-hit"},
        {"theme.mid", TGameFileKind::gkSong, "MThd-theme"},
        {"bg.bmp", TGameFileKind::gkPicture, "png-bg"},
        {"none", TGameFileKind::gkSound, ""},
        {"none.mid", TGameFileKind::gkSong, ""},
        {"none.bmp", TGameFileKind::gkPicture, ""},
    };
    for (const auto& c : cases) {
        for (const TGameFiles* files : {&g.Folder, &g.Archive}) {
            SCOPED_TRACE(c.Name + (files->ArchiveMode() ? " archive" : " folder"));
            const TGameFile file = files->Read(c.Name, c.Kind);
            EXPECT_EQ(file.Found, !c.Bytes.empty());
            EXPECT_EQ(file.Found ? Text(file.Data) : "", c.Bytes);
            EXPECT_EQ(file.FailureText.empty(), file.Found);
        }
    }
}

TEST(GameFiles, StreamedMusicIsTheStoredEntryOfTheArchiveOrTheWholeFolderFile)
{
    TTwoGames g;
    const TStreamedFile packed = g.Archive.LocateStream("song.ogg");
    ASSERT_TRUE(packed.Found);
    EXPECT_EQ(packed.Path, g.Archive.ArchiveFileName());
    TMemoryStream archive;
    archive.LoadFromFile(packed.Path);
    EXPECT_EQ(Text(archive).substr(packed.Offset, packed.Length), "OggS-song");
    // A coded entry or none: silent, without a message.
    for (const char* name : {"theme.mid", "none.ogg"}) {
        const TStreamedFile silent = g.Archive.LocateStream(name);
        EXPECT_FALSE(silent.Found) << name;
        EXPECT_EQ(silent.FailureText, "") << name;
    }

    const TStreamedFile file = g.Folder.LocateStream("song.ogg");
    ASSERT_TRUE(file.Found);
    EXPECT_EQ(file.Path, g.F.Dir() + "src/Song.OGG");
    EXPECT_EQ(file.Offset, 0u);
    EXPECT_EQ(file.Length, 9u);
    EXPECT_EQ(g.Folder.LocateStream("none.ogg").FailureText, Sj("ファイルnone.oggが開けません"));
}

} // namespace
