// Background music: *BGM, *BGMSTOP and the operations a load shares with
// them. Standard MIDI files play through the sequencer; other music is
// streamed by the outside audio library and is silent without it. What
// plays is remembered (FBgmPlaying, FBgmLoop, FBgmName) so that a save
// records it.

#include <algorithm>
#include <cstdint>

#include "base/clock.h"
#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/tokenizer.h"
#include "classlib/message_flags.h"
#include "engine/script/engine.h"
#include "formats/pack/pack_archive.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "sound/bass_binding.h"
#include "sound/midi_play.h"

namespace {

// The same music that loops already plays: asking for it again does nothing.
// A fade that runs would stop it, so then the music starts afresh instead.
bool SameLoopingMusic(bool playing, bool fading, const std::string& playingName, uint8_t playingLoop,
                      const std::string& name, uint8_t loop)
{
    return playing && !fading && playingName == name && playingLoop == 1 && loop == 1;
}

// Only ".mid" exactly goes to the sequencer: ".MID" is music for the library.
bool IsMidiExt(const std::string& name)
{
    return ExtractFileExt(name) == ".mid";
}

} // namespace

TCommandRows TEngine::BgmCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*BGM", cmBgm, cgFirst, &TEngine::CmdBgm},
        {"*BGMSTOP", cmBgmStop, cgFirst, &TEngine::CmdBgmStop},
    };
    return rows;
}

void TEngine::StartMusicDevices()
{
    FMidi = std::make_unique<TMidiPlayV>(FHost.Sound.MidiOutDriver());
    FMidi->PlayDevices.Add(MIDI_MAPPER, 0);

    const std::string library = FHost.Sound.AudioLibraryPath();
    if (library.empty())
        return;
    FBass = std::make_unique<TBass>(library);
    // A missing library, another version or a failed start: effects go to
    // the wave mixer and only MIDI music plays, without a message.
    FBassUsable = FBass->Start(nullptr);
}

void TEngine::CmdBgm(const std::string& line)
{
    std::string name = EvalName(GetToken(line, ' ', 1));
    if (ExtractFileExt(name).empty())
        name += ".mid";
    uint8_t loop = 1;
    if (CountTokens(line, ' ') >= 3)
        loop = EvalInteger(GetToken(line, ' ', 2)) != 0 ? 1 : 0;

    if (IsMidiExt(name)) {
        StartMidiBgm(name, loop);
        // A song that plays once is not restored by a load.
        if (loop == 0)
            FBgmName.clear();
        return;
    }
    PlayBassBgm(name, loop);
}

void TEngine::CmdBgmStop(const std::string& line)
{
    if (CountTokens(line, ' ') < 2) {
        StopBgm();
        return;
    }
    const int32_t steps = EvalInteger(GetToken(line, ' ', 1));
    // No steps to fade over: the music stops at once.
    if (steps <= 0) {
        StopBgm();
        return;
    }
    FFadeStep = 0;
    FFadeSteps = steps;
    FFadeTickLast = TimeGetTime();
    FFadeActive = true;
    FSounds.BaseVolume = 0;
    if (FBassUsable && FSounds.Music != 0) {
        uint32_t freq = 0;
        uint32_t volume = 0;
        int32_t pan = 0;
        FBass->BASS_ChannelGetAttributes(FSounds.Music, &freq, &volume, &pan);
        FSounds.BaseVolume = volume;
    }
}

void TEngine::StopBgm()
{
    if (FBassUsable && FSounds.Music != 0) {
        FBass->BASS_StreamFree(FSounds.Music);
        FSounds.Music = 0;
    }
    if (FMidi) {
        FMidi->Stop();
        FMidi->CloseDevices();
    }
    FFadeActive = false;
    FBgmPlaying = false;
    FBgmLoop = 0;
    FBgmName.clear();
}

void TEngine::StartMidiBgm(const std::string& name, uint8_t loop)
{
    if (PlayMidiBgm(name, loop))
        return;
    FMidi->SetPosition(0);
    FMidi->Play();
}

bool TEngine::PlayMidiBgm(const std::string& name, uint8_t loop)
{
    if (SameLoopingMusic(FBgmPlaying, FFadeActive, FBgmName, FBgmLoop, name, loop))
        return true;
    if (FBgmPlaying)
        StopBgm();
    FBgmLoop = loop;
    FFadeActive = false;
    FBgmName = name;

    TMemoryStream song;
    if (FArchiveMode) {
        if (!FArchiveStream ||
            ReadPackEntry(PackEntryName(name), *FArchiveStream, FArchiveIndex, song) != peFound) {
            FBgmName.clear();
            FHalted = true;
            throw EScriptError(SJ("データ") + name + SJ("の読み込みに失敗しました"));
        }
    } else {
        const std::string path = ScriptNameToPath(FScenarioDir, name);
        if (!FileExists(path)) {
            FBgmName.clear();
            FHalted = true;
            throw EScriptError(SJ("ファイル") + sjis::FromUtf8(FScenarioDir) + name + SJ("が開けません"));
        }
        song.LoadFromFile(path);
    }
    try {
        FMidi->LoadFromStream(song);
    } catch (...) {
        // A file that is no song plays nothing and is not remembered.
        StopBgm();
        throw;
    }
    FMidi->OpenDevices();
    if (loop != 0)
        FMidi->AddLoop(FMidi->GetEndTime(), 0, true);
    FBgmPlaying = true;
    return false;
}

bool TEngine::PlayBassBgm(const std::string& name, uint8_t loop)
{
    if (SameLoopingMusic(FBgmPlaying, FFadeActive, FBgmName, FBgmLoop, name, loop))
        return true;
    if (FBgmPlaying)
        StopBgm();
    FBgmLoop = loop;
    FFadeActive = false;
    FBgmName = name;
    // Without the library the music is silent, but it is the music the game
    // has now: the old one stopped and this one is what a save records.
    if (!FBassUsable) {
        FBgmPlaying = true;
        return false;
    }

    std::string path;
    uint32_t offset = 0;
    uint32_t length = 0;
    if (FArchiveMode) {
        // Streamed out of the archive as it was opened. An entry that is
        // absent or LZSS-coded has no music the library could play.
        TPackEntryHeader entry;
        bool found = false;
        try {
            found = FArchiveStream &&
                    FArchiveIndex.Find(PackEntryName(name), *FArchiveStream, entry) == peFound &&
                    entry.PackCompressed == 0;
        } catch (const std::exception&) {
            found = false;
        }
        if (!found) {
            FBgmPlaying = true;
            return false;
        }
        path = FArchiveFileName;
        offset = static_cast<uint32_t>(entry.PayloadOffset);
        length = static_cast<uint32_t>(entry.PackDataSize);
    } else {
        path = ScriptNameToPath(FScenarioDir, name);
        int64_t size = -1;
        if (FileExists(path)) {
            try {
                TFileStream file(path, fmOpenRead | fmShareDenyWrite);
                size = file.Size();
            } catch (const std::exception&) {
                size = -1;
            }
        }
        if (size < 0) {
            FBgmName.clear();
            HaltedMessageBox(SJ("ファイル") + name + SJ("が開けません"), "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        length = static_cast<uint32_t>(std::min<int64_t>(size, UINT32_MAX));
    }
    FSounds.Music = FBass->BASS_StreamCreateFile(0, path.c_str(), offset, length, BASS_SAMPLE_LOOP);
    // A format the library cannot play: no music, but it counts as playing.
    if (FSounds.Music != 0)
        FBass->BASS_StreamPlay(FSounds.Music, 0, loop != 0 ? BASS_SAMPLE_LOOP : 0);
    FBgmPlaying = true;
    return false;
}
