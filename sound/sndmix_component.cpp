#include "sound/sndmix_component.h"

#include <cstdio>

TSndMix::TSndMix()
{
    FSession = SndMixInit();
    if (FSession == nullptr)
        throw ESndMixError("Initialization failed (SndMixInit)");
    FPlay.Size = 24;
    FPlay.Session = FSession;
}

TSndMix::~TSndMix()
{
    try {
        SetChannels(0);
        SetActivated(false);
        SndMixCloseSession(FSession);
    } catch (const Exception& e) {
        // A destructor cannot pass it on; the session is gone either way.
        std::fprintf(stderr, "tideglass: closing the wave mixer: %s\n", e.what());
    }
}

void TSndMix::SetActivated(bool value)
{
    if (value == FActivated)
        return;
    SndMixActivate(FSession, value);
    FActivated = value;
}

void TSndMix::SetChannels(uint8_t mask)
{
    if (mask == FChannels)
        return;
    if (mask == 255) {
        SndMixOpenChannel(FSession, 0, 1);
    } else if (mask == 0) {
        SndMixCloseChannel(FSession, 0, 1);
    } else {
        for (int c = 0; c < 8; ++c) {
            const uint8_t bit = static_cast<uint8_t>(1u << c);
            if ((mask & bit) == (FChannels & bit))
                continue;
            if (mask & bit)
                SndMixOpenChannel(FSession, c, 0);
            else
                SndMixCloseChannel(FSession, c, 0);
        }
    }
    FChannels = mask;
}

uint8_t TSndMix::GetBusyChannels() const
{
    return SndMixBusyChannels(FSession);
}

TWaveRecord* TSndMix::OpenWaveFromMemory(const TMMIOInfo& info)
{
    TWaveSourceArg source;
    source.Memory = &info;
    return SndMixOpenWave(FSession, source, nullptr, smwMemory);
}

void TSndMix::FreeWave(TWaveRecord* wave)
{
    SndMixFreeWave(FSession, wave);
}

void TSndMix::Play(int channel, TWaveRecord* wave, uint16_t loops, uint32_t flags, TSndMixNotify* notify)
{
    FPlay.Channel = channel;
    FPlay.Wave = wave;
    FPlay.Loops = loops;
    FPlay.Flags = flags;
    FPlay.NotifyWindow = notify;
    SndMixPlay(&FPlay);
}
