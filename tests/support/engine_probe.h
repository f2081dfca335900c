#pragma once
// Puts the engine into states that no script reaches yet (the commands that
// would set them come with later families) or that a test needs to start
// from. Every change asks the engine for its next pass afresh, as the
// command that made it would.

#include "base/clock.h"
#include "engine/script/engine.h"
#include "formats/save/save_record.h"
#include "sound/midi_play.h"

class TEngineProbe {
public:
    explicit TEngineProbe(TEngine& engine) : E(engine) {}
    ~TEngineProbe() { E.ScheduleNextTick(); }
    TEngineProbe(const TEngineProbe&) = delete;
    TEngineProbe& operator=(const TEngineProbe&) = delete;

    TEngineState& State() { return E.FRunner.FState; }
    TEngineState& PrevState() { return E.FRunner.FPrevState; }
    bool& Halted() { return E.FRunner.FHalted; }
    TScriptContext& Main() { return E.FRunner.FMain; }
    uint8_t& IfState() { return E.FRunner.FIfState; }
    bool& InEvent() { return E.FRunner.FInEvent; }
    bool& IfMode() { return E.FOptions.FIfMode; }
    bool& StrictMatch() { return E.FCmdInput.FStrictMatch; }
    int& WarningLevel() { return E.FOptions.FWarningLevel; }
    int& PendingInputLine() { return E.FCmdInput.FPendingInputLine; }
    TSubWinHolder& SubWinHolder() { return E.FDisplay.FSubWinHolder; }
    int& SubWinMode() { return E.FDisplay.FSubWinMode; }
    bool& TabHideEnabled() { return E.FDisplay.FTabHideEnabled; }
    bool& MsgHidden() { return E.FDisplay.FMsgHidden; }
    bool& FuncBarShown() { return E.FDisplay.FFuncBarShown; }
    std::string& OpenFileName() { return E.FFiles.FOpenFileName; }
    int& RunSliceLines() { return E.FRunner.FRunSliceLines; }
    TScriptContext& Bg() { return E.FRunner.FBg; }
    bool& BassUsable()
    {
        E.FSound.OpenDevices();
        return E.FSound.FBassUsable;
    }
    TGameState& Game() { return E.FGame; }
    // *SAVE and *LOAD of that line outside a run (a script that cannot hold
    // the line without changing its checksum); Load answers whether a game
    // was loaded.
    void Save(const std::string& line) { E.CmdSave(line); }
    bool Load(const std::string& line) { return E.CmdLoad(line); }
    // The game as *SAVE would write it, for a test to change before writing.
    TSaveGame SaveGame() const { return E.CollectSaveGame(); }
    // Music as *BGM starts it (MIDI through the sequencer, else the library).
    bool PlayMidiBgm(const std::string& name, uint8_t loop) { return E.PlayMidiBgm(name, loop); }
    bool PlayBassBgm(const std::string& name, uint8_t loop) { return E.PlayBassBgm(name, loop); }
    // The sound devices: the sequencer, and the wave mixer's wave on a channel.
    TMidiPlayV& Midi()
    {
        E.FSound.OpenDevices();
        return *E.FSound.FMidi;
    }
    TWaveRecord* Wave(int channel) { return E.FSound.FWaves[static_cast<size_t>(channel)]; }
    // A music fade of `steps` steps, its last step now.
    void StartFade(int steps)
    {
        TEngineSound& sound = E.FSound;
        sound.FFadeActive = true;
        sound.FFadeSteps = steps;
        sound.FFadeStep = 0;
        sound.FFadeTickLast = TimeGetTime();
    }

private:
    TEngine& E;
};
