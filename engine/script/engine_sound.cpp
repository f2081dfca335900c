#include "engine/script/engine_sound.h"

#include <cstdio>
#include <exception>

#include "base/clock.h"
#include "engine/script/host_sound.h"
#include "platform/audio/ui_mailbox.h"
#include "sound/bass_binding.h"
#include "sound/midi_play.h"
#include "sound/sndmix_component.h"

TEngineSound::TEngineSound() = default;

TEngineSound::~TEngineSound() = default;

void TEngineSound::OpenHostDevices()
{
    FDevicesOpened = true;
    StartWaveMixer(FHost->WaveOutDevice());
    StartMusicDevices(FHost->MidiOutDriver(), FHost->AudioLibraryPath());
}

void TEngineSound::StartWaveMixer(TWaveOut* device)
{
    if (device == nullptr)
        return;
    SndMixSetDevice(device);
    try {
        SndMix1 = std::make_unique<TSndMix>();
        SndMix1->SetActivated(true);
        SndMix1->SetChannels(255);
    } catch (const std::exception& e) {
        // No wave output: the game runs, its effects are silent.
        std::fprintf(stderr, "tideglass: no sound effects: %s\n", e.what());
        SndMix1.reset();
        SndMixSetDevice(nullptr);
    }
}

void TEngineSound::StartMusicDevices(TMidiOutDriver& driver, const std::string& libraryPath)
{
    FMidi = std::make_unique<TMidiPlayV>(driver);
    FMidi->PlayDevices.Add(MIDI_MAPPER, 0);

    if (libraryPath.empty())
        return;
    FBass = std::make_unique<TBass>(libraryPath);
    // A missing library, another version or a failed start: effects go to
    // the wave mixer and only MIDI music plays, without a message.
    FBassUsable = FBass->Start(nullptr);
}

void TEngineSound::CloseDevices()
{
    FDevicesOpened = true;
    for (TSoundSlot& slot : FSounds.Slots) {
        if (slot.Sample != 0 && FBassUsable)
            FBass->BASS_SampleFree(slot.Sample);
        slot.Sample = 0;
        slot.Stream.reset();
    }
    if (FBassUsable) {
        if (FSounds.Music != 0)
            FBass->BASS_StreamFree(FSounds.Music);
        FSounds.Music = 0;
        FBass->Stop();
    }
    FBassUsable = false;
    FBass.reset();
    for (TWaveRecord*& wave : FWaves) {
        if (wave != nullptr && SndMix1) {
            try {
                SndMix1->FreeWave(wave);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "tideglass: freeing a sound effect: %s\n", e.what());
            }
        }
        wave = nullptr;
    }
    if (SndMix1) {
        SndMix1.reset();
        SndMixSetDevice(nullptr);
    }
    // A notification still on its way must not reach a freed engine.
    UiMailbox::Cancel(static_cast<TSndMixNotify*>(this));
    if (FMidi) {
        FMidi->Stop();
        FMidi.reset();
    }
}

void TEngineSound::ProcessMidiMessages()
{
    if (FMidi)
        FMidi->ProcessMessages();
}

TSoundSlot* TEngineSound::EffectSlot()
{
    OpenDevices();
    if (FBassUsable) {
        for (int i = 0; i < FSounds.Used; ++i) {
            TSoundSlot& slot = FSounds.Slots[static_cast<size_t>(i)];
            if (slot.Sample != 0 && FBass->BASS_ChannelIsActive(slot.Sample) != BASS_ACTIVE_PLAYING) {
                FBass->BASS_SampleFree(slot.Sample);
                slot.Sample = 0;
                slot.Stream.reset();
                return &slot;
            }
        }
        for (int i = 0; i < SoundSlotCount; ++i) {
            TSoundSlot& slot = FSounds.Slots[static_cast<size_t>(i)];
            if (slot.Sample == 0) {
                if (FSounds.Used < i + 1)
                    FSounds.Used = i + 1;
                return &slot;
            }
        }
        return nullptr;
    }

    int channel = FindFreeWaveChannel();
    if (channel < 0) {
        if (FWaves[0] != nullptr)
            SndMix1->FreeWave(FWaves[0]);
        FWaves[0] = nullptr;
        channel = 0;
    }
    return &FSounds.Slots[static_cast<size_t>(channel)];
}

void TEngineSound::PlayEffect(TSoundSlot& slot)
{
    OpenDevices();
    if (FBassUsable) {
        const std::vector<uint8_t>& bytes = slot.Stream->Bytes();
        slot.Sample =
            FBass->BASS_SampleLoad(1, bytes.data(), 0, static_cast<uint32_t>(bytes.size()), 1, BASS_SAMPLE_OVER_POS);
        if (slot.Sample != 0)
            FBass->BASS_SamplePlayEx(slot.Sample, 0, -1, -1, 0, 0);
        else
            slot.Stream.reset();
        return;
    }

    if (!SndMix1)
        return;
    const int channel = static_cast<int>(&slot - FSounds.Slots.data());
    // A wave the channel finished before its notification came is freed now,
    // not overwritten.
    TWaveRecord*& held = FWaves[static_cast<size_t>(channel)];
    if (held != nullptr) {
        SndMix1->FreeWave(held);
        held = nullptr;
    }
    const std::vector<uint8_t>& bytes = slot.Stream->Bytes();
    TMMIOInfo info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = bytes.data();
    info.cchBuffer = static_cast<int32_t>(bytes.size());
    held = SndMix1->OpenWaveFromMemory(info);
    SndMix1->Play(channel, held, 0, 0, this);
}

int TEngineSound::FindFreeWaveChannel() const
{
    const uint8_t busy = SndMix1 ? SndMix1->GetBusyChannels() : 0;
    for (int channel = 0; channel < WaveChannelCount; ++channel)
        if ((busy & (1u << channel)) == 0)
            return channel;
    return -1;
}

void TEngineSound::MMWomDone(int channel, TWaveRecord* wave)
{
    if (channel < 0 || channel >= WaveChannelCount)
        return;
    TWaveRecord*& held = FWaves[static_cast<size_t>(channel)];
    // The channel may already play a newer effect, which is not this one's
    // to free.
    if (held == nullptr || held != wave)
        return;
    held = nullptr;
    if (!SndMix1)
        return;
    try {
        SndMix1->FreeWave(wave);
    } catch (const std::exception& e) {
        // A notification has no caller to report to.
        std::fprintf(stderr, "tideglass: freeing a sound effect: %s\n", e.what());
    }
}

bool TEngineSound::SameLoopingMusic(const std::string& name, uint8_t loop) const
{
    return FBgmPlaying && !FFadeActive && FBgmName == name && FBgmLoop == 1 && loop == 1;
}

void TEngineSound::BeginBgm(const std::string& name, uint8_t loop)
{
    if (FBgmPlaying)
        StopBgm();
    FBgmLoop = loop;
    FFadeActive = false;
    FBgmName = name;
}

void TEngineSound::PlayMidi(TStream& song, uint8_t loop)
{
    OpenDevices();
    try {
        FMidi->LoadFromStream(song);
    } catch (...) {
        StopBgm();
        throw;
    }
    FMidi->OpenDevices();
    if (loop != 0)
        FMidi->AddLoop(FMidi->GetEndTime(), 0, true);
    FBgmPlaying = true;
}

void TEngineSound::RestartMidi()
{
    OpenDevices();
    FMidi->SetPosition(0);
    FMidi->Play();
}

void TEngineSound::PlayStream(const std::string& path, uint32_t offset, uint32_t length, uint8_t loop)
{
    OpenDevices();
    FSounds.Music = FBass->BASS_StreamCreateFile(0, path.c_str(), offset, length, BASS_SAMPLE_LOOP);
    if (FSounds.Music != 0)
        FBass->BASS_StreamPlay(FSounds.Music, 0, loop != 0 ? BASS_SAMPLE_LOOP : 0);
    FBgmPlaying = true;
}

void TEngineSound::StopBgm()
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

void TEngineSound::StartFade(int32_t steps)
{
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

void TEngineSound::FadeTimerTimer()
{
    FFadeTickLast = TimeGetTime();
    // A fade of no steps has nothing to fade: it ends at once.
    if (FFadeSteps <= 0) {
        FFadeActive = false;
        return;
    }
    // In 64 bits: a fade of millions of steps must not wrap to silence.
    const int64_t left = int64_t(FFadeSteps) - FFadeStep;
    if (FMidi && FMidi->Playing())
        FMidi->SetVolume(static_cast<int>(left * 127 / FFadeSteps));
    if (FBassUsable && FSounds.Music != 0) {
        const int64_t volume = int64_t(FSounds.BaseVolume) * left / FFadeSteps;
        FBass->BASS_ChannelSetAttributes(FSounds.Music, 0, static_cast<int32_t>(volume), 0);
    }
    ++FFadeStep;
    if (FFadeStep >= FFadeSteps)
        StopBgm();
}
