#pragma once
// The engine's sound: the devices (the wave mixer, the MIDI sequencer and
// the outside audio library), the sound effects playing on them, the music
// the game has now and its fade. Effects go through the library when it is
// usable, with up to 129 at once, else through the eight channels of the wave
// mixer. What plays is remembered (FBgmPlaying, FBgmLoop, FBgmName) so that
// a save records it.
//
// The devices open when the game first plays an effect or music, not at
// start-up: opening the audio output and loading the synth take longer than
// showing the window, and a game may never use them.
//
// Nothing here reads a file: the engine's sound and music commands find the
// bytes through the game files and hand them over.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "base/streams.h"
#include "sound/sndmix.h"

class TBass;
class THostSound;
class TMidiOutDriver;
class TMidiPlayV;
class TSndMix;
class TWaveOut;

// A sound slot: a sound effect's bytes and, with the library, its sample.
struct TSoundSlot {
    std::unique_ptr<TMemoryStream> Stream;
    uint32_t Sample = 0;
};

class TEngineSound : public TSndMixNotify {
public:
    static constexpr int SoundSlotCount = 129;
    static constexpr int WaveChannelCount = 8;

    TEngineSound();
    ~TEngineSound() override;
    TEngineSound(const TEngineSound&) = delete;
    TEngineSound& operator=(const TEngineSound&) = delete;

    // ---- devices
    // Where the devices come from when they are first needed; nothing is
    // opened yet.
    void UseDevicesOf(THostSound& host) { FHost = &host; }
    // Every sound effect and the music freed, the devices closed; they do
    // not open again.
    void CloseDevices();
    // Long MIDI messages the outputs have finished with.
    void ProcessMidiMessages();

    bool BgmPlaying() const { return FBgmPlaying; }
    uint8_t BgmLoop() const { return FBgmLoop; }
    const std::string& BgmName() const { return FBgmName; }
    // The outside audio library was found, is of version 2 and started
    // (the devices open first).
    bool BassUsable()
    {
        OpenDevices();
        return FBassUsable;
    }
    bool FadeActive() const { return FFadeActive; }
    int FadeStep() const { return FFadeStep; }
    uint32_t FadeTickLast() const { return FFadeTickLast; }
    int FadeInterval() const { return FFadeInterval; }

    // ---- sound effects
    // The slot the next effect is read into. With the library: one whose
    // sample has finished (freed now), else the lowest never used; nullptr
    // when all 129 still play. With the mixer: the slot of the lowest free
    // channel; when all eight play, the effect on channel 0 gives way.
    TSoundSlot* EffectSlot();
    // Plays the effect read into `slot` (one EffectSlot gave). Without a
    // wave-out device the effect is read but not heard.
    void PlayEffect(TSoundSlot& slot);
    // The lowest wave-mixer channel that plays nothing, or -1.
    int FindFreeWaveChannel() const;
    // The mixer has finished `wave` on `channel`: it is freed unless the
    // channel has been given another wave since.
    void MMWomDone(int channel, TWaveRecord* wave) override;

    // ---- music
    // The same music that loops already plays: asking for it again does
    // nothing. A fade that runs would stop it, so then the music starts
    // afresh instead.
    bool SameLoopingMusic(const std::string& name, uint8_t loop) const;
    // The music playing stops; `name` is now the game's music, not yet
    // playing.
    void BeginBgm(const std::string& name, uint8_t loop);
    // The music is not remembered (it cannot be found, or it plays once).
    void ForgetBgmName() { FBgmName.clear(); }
    // Music that cannot be heard (no library, or not playable out of the
    // archive) still is the game's music: a save records it.
    void PlaySilently() { FBgmPlaying = true; }
    // The song in `song` through the sequencer, looping unless `loop` is 0.
    // A file that is no song plays nothing and is not remembered: the error
    // propagates.
    void PlayMidi(TStream& song, uint8_t loop);
    // The sequencer from the beginning.
    void RestartMidi();
    // Music streamed by the library out of `length` bytes of `path` from
    // `offset`. A format the library cannot play: no music, but it counts as
    // playing.
    void PlayStream(const std::string& path, uint32_t offset, uint32_t length, uint8_t loop);
    // Stops all music at once and forgets it.
    void StopBgm();
    // A fade of the music over `steps` fade ticks from now.
    void StartFade(int32_t steps);
    // One fade step, due now; the last one stops the music.
    void FadeTimerTimer();

private:
    // Tests set up states that no script reaches yet.
    friend class TEngineProbe;

    // The devices of the host, once: the wave mixer (none when there is no
    // wave-out device), the sequencer on the host's MIDI outputs and the
    // outside audio library when it is usable.
    void OpenDevices()
    {
        if (FHost != nullptr && !FDevicesOpened)
            OpenHostDevices();
    }
    void OpenHostDevices();
    void StartWaveMixer(TWaveOut* device);
    void StartMusicDevices(TMidiOutDriver& driver, const std::string& libraryPath);

    THostSound* FHost = nullptr;
    bool FDevicesOpened = false;

    bool FBgmPlaying = false;
    // Nonzero loops.
    uint8_t FBgmLoop = 1;
    // The music as the script named it; empty for a MIDI file that does not
    // loop.
    std::string FBgmName;
    bool FBassUsable = false;
    struct TSounds {
        std::array<TSoundSlot, SoundSlotCount> Slots;
        // Slots ever used, from slot 0 upward.
        int Used = 0;
        // The library's music stream, and its volume when a fade started.
        uint32_t Music = 0;
        uint32_t BaseVolume = 0;
    } FSounds;
    // The wave mixer's wave on each channel (with no library); nullptr when none.
    std::array<TWaveRecord*, WaveChannelCount> FWaves{};
    std::unique_ptr<TSndMix> SndMix1;
    std::unique_ptr<TMidiPlayV> FMidi;
    std::unique_ptr<TBass> FBass;

    // The music fade (ms of TimeGetTime).
    bool FFadeActive = false;
    int FFadeStep = 0;
    int FFadeSteps = 0;
    uint32_t FFadeTickLast = 0;
    int FFadeInterval = 100;
};
