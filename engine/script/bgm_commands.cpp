// Background music: *BGM, *BGMSTOP and the operations a load shares with
// them. Standard MIDI files play through the sequencer; other music is
// streamed by the outside audio library and is silent without it. The music
// itself is the sound part's (engine_sound.h); its files are found through
// the game files.

#include "base/tokenizer.h"
#include "classlib/message_flags.h"
#include "engine/script/engine.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"

namespace {

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
            FSound.ForgetBgmName();
        return;
    }
    PlayBassBgm(name, loop);
}

void TEngine::CmdBgmStop(const std::string& line)
{
    if (CountTokens(line, ' ') < 2) {
        FSound.StopBgm();
        return;
    }
    const int32_t steps = EvalInteger(GetToken(line, ' ', 1));
    // No steps to fade over: the music stops at once.
    if (steps <= 0) {
        FSound.StopBgm();
        return;
    }
    FSound.StartFade(steps);
}

void TEngine::StartMidiBgm(const std::string& name, uint8_t loop)
{
    if (PlayMidiBgm(name, loop))
        return;
    FSound.RestartMidi();
}

bool TEngine::PlayMidiBgm(const std::string& name, uint8_t loop)
{
    if (FSound.SameLoopingMusic(name, loop))
        return true;
    FSound.BeginBgm(name, loop);
    TGameFile song = FFiles.Read(name, TGameFileKind::gkSong);
    if (!song.Found) {
        FSound.ForgetBgmName();
        FHalted = true;
        throw EScriptError(song.FailureText);
    }
    FSound.PlayMidi(song.Data, loop);
    return false;
}

bool TEngine::PlayBassBgm(const std::string& name, uint8_t loop)
{
    if (FSound.SameLoopingMusic(name, loop))
        return true;
    FSound.BeginBgm(name, loop);
    // Without the library the music is silent, but it is the music the game
    // has now: the old one stopped and this one is what a save records.
    if (!FSound.BassUsable()) {
        FSound.PlaySilently();
        return false;
    }
    const TStreamedFile file = FFiles.LocateStream(name);
    if (!file.Found) {
        if (file.FailureText.empty()) {
            FSound.PlaySilently();
            return false;
        }
        FSound.ForgetBgmName();
        HaltedMessageBox(file.FailureText, "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    FSound.PlayStream(file.Path, file.Offset, file.Length, loop);
    return false;
}
