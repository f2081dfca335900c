#pragma once
// TSndMix: the wave mixer as the main window holds it. One session for the
// component's life; the engine sets Activated to true and Channels to 255
// (in that order) right after creating it, plays its sound effects through
// it and frees each wave when its MM_WOM_DONE arrives.

#include "sound/sndmix.h"

#include <cstdint>

class TSndMix {
public:
    // Raises ESndMixError when no session can be made.
    TSndMix();
    ~TSndMix();
    TSndMix(const TSndMix&) = delete;
    TSndMix& operator=(const TSndMix&) = delete;

    bool Activated() const { return FActivated; }
    void SetActivated(bool value);
    // Bit mask of open channels 0-7.
    uint8_t Channels() const { return FChannels; }
    void SetChannels(uint8_t mask);

    // Bit i set when channel i is open and has a queued play.
    uint8_t GetBusyChannels() const;
    TWaveRecord* OpenWaveFromMemory(const TMMIOInfo& info);
    // Purges the wave's plays and frees it.
    void FreeWave(TWaveRecord* wave);
    // `notify` (may be nullptr) receives MM_WOM_DONE when the play ends.
    void Play(int channel, TWaveRecord* wave, uint16_t loops, uint32_t flags, TSndMixNotify* notify);

    HSNDMIX Session() const { return FSession; }

private:
    TSndMixPlayRecord FPlay;
    HSNDMIX FSession = nullptr;
    bool FActivated = false;
    uint8_t FChannels = 0;
};
