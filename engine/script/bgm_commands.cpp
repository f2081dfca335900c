// Background music: what the engine remembers of the music that plays, so
// that a save records it and a load restores it. The devices behind it (the
// MIDI sequencer and the outside audio library) are not bound yet: music is
// looked up and remembered but not heard.

#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "engine/script/engine.h"
#include "engine/script/pack_archive.h"
#include "engine/script/script_error.h"

namespace {

// The same music that loops already plays: asking for it again does nothing.
bool SameLoopingMusic(bool playing, const std::string& playingName, uint8_t playingLoop, const std::string& name,
                      uint8_t loop)
{
    return playing && playingName == name && playingLoop == 1 && loop == 1;
}

} // namespace

void TEngine::StopBgm()
{
    FFadeActive = false;
    FBgmPlaying = false;
    FBgmLoop = 0;
    FBgmName.clear();
}

bool TEngine::PlayMidiBgm(const std::string& name, uint8_t loop)
{
    if (SameLoopingMusic(FBgmPlaying, FBgmName, FBgmLoop, name, loop))
        return true;
    if (FBgmPlaying)
        StopBgm();
    FBgmLoop = loop;
    FFadeActive = false;
    FBgmName = name;

    TMemoryStream song;
    if (FArchiveMode) {
        if (!FArchiveStream || ReadPackEntry(sjis::UpperCase(name), *FArchiveStream, song) != peFound) {
            FHalted = true;
            throw EScriptError(SJ("データ") + name + SJ("の読み込みに失敗しました"));
        }
    } else {
        const std::string path = ScriptNameToPath(FScenarioDir, name);
        if (!FileExists(path)) {
            FHalted = true;
            throw EScriptError(SJ("ファイル") + sjis::FromUtf8(FScenarioDir) + name + SJ("が開けません"));
        }
    }
    FBgmPlaying = true;
    return false;
}

bool TEngine::PlayBassBgm(const std::string& name, uint8_t loop)
{
    if (SameLoopingMusic(FBgmPlaying, FBgmName, FBgmLoop, name, loop))
        return true;
    if (FBgmPlaying)
        StopBgm();
    FBgmLoop = loop;
    FFadeActive = false;
    FBgmName = name;
    FBgmPlaying = true;
    return false;
}
