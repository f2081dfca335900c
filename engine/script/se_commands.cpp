// Sound effects (*SE): through the outside audio library when it is usable,
// with up to 129 effects at once, else through the eight channels of the
// wave mixer. Also the start-up and shutdown of the effect devices.

#include <cstdio>

#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/script/engine.h"
#include "formats/pack/pack_archive.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "platform/ui_mailbox.h"
#include "sound/bass_binding.h"
#include "sound/midi_play.h"
#include "sound/sndmix_component.h"

TCommandRows TEngine::SeCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SE", cmSe, cgFirst, &TEngine::CmdSe},
    };
    return rows;
}

void TEngine::StartWaveMixer()
{
    TWaveOut* device = FHost.Sound.WaveOutDevice();
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

void TEngine::CloseSoundDevices()
{
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

int TEngine::FindFreeWaveChannel() const
{
    const uint8_t busy = SndMix1 ? SndMix1->GetBusyChannels() : 0;
    for (int channel = 0; channel < WaveChannelCount; ++channel)
        if ((busy & (1u << channel)) == 0)
            return channel;
    return -1;
}

void TEngine::MMWomDone(int channel, TWaveRecord* wave)
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

void TEngine::LoadSoundEffect(const std::string& line, TSoundSlot& slot)
{
    std::string name = EvalName(GetToken(line, ' ', 1));
    if (ExtractFileExt(name).empty())
        name += ".wav";
    slot.Stream = std::make_unique<TMemoryStream>();
    TMemoryStream& data = *slot.Stream;
    if (FArchiveMode) {
        if (!FArchiveStream || ReadPackEntry(PackEntryName(name), *FArchiveStream, FArchiveIndex, data) != peFound) {
            slot.Stream.reset();
            FHalted = true;
            throw EScriptError(SJ("データ") + name + SJ("の読み込みに失敗しました"));
        }
        return;
    }
    const std::string path = ScriptNameToPath(FScenarioDir, name);
    if (!FileExists(path)) {
        slot.Stream.reset();
        FHalted = true;
        throw EScriptError(SJ("データ") + sjis::FromUtf8(FScenarioDir) + name + SJ("の読み込みに失敗しました"));
    }
    try {
        data.LoadFromFile(path);
    } catch (...) {
        slot.Stream.reset();
        throw;
    }
}

void TEngine::CmdSe(const std::string& line)
{
    if (FBassUsable) {
        // A slot whose sample has finished, else the lowest never used; when
        // all 129 still play, the effect is left out.
        int chosen = -1;
        for (int i = 0; i < FSounds.Used && chosen < 0; ++i) {
            TSoundSlot& slot = FSounds.Slots[static_cast<size_t>(i)];
            if (slot.Sample != 0 && FBass->BASS_ChannelIsActive(slot.Sample) != BASS_ACTIVE_PLAYING) {
                FBass->BASS_SampleFree(slot.Sample);
                slot.Sample = 0;
                slot.Stream.reset();
                chosen = i;
            }
        }
        for (int i = 0; i < SoundSlotCount && chosen < 0; ++i) {
            if (FSounds.Slots[static_cast<size_t>(i)].Sample == 0) {
                chosen = i;
                if (FSounds.Used < i + 1)
                    FSounds.Used = i + 1;
            }
        }
        if (chosen < 0)
            return;

        TSoundSlot& slot = FSounds.Slots[static_cast<size_t>(chosen)];
        LoadSoundEffect(line, slot);
        const std::vector<uint8_t>& bytes = slot.Stream->Bytes();
        slot.Sample = FBass->BASS_SampleLoad(1, bytes.data(), 0, static_cast<uint32_t>(bytes.size()), 1,
                                             BASS_SAMPLE_OVER_POS);
        if (slot.Sample != 0)
            FBass->BASS_SamplePlayEx(slot.Sample, 0, -1, -1, 0, 0);
        else
            slot.Stream.reset();
        return;
    }

    int channel = FindFreeWaveChannel();
    if (channel < 0) {
        // All eight play: the effect on channel 0 gives way.
        if (FWaves[0] != nullptr)
            SndMix1->FreeWave(FWaves[0]);
        FWaves[0] = nullptr;
        channel = 0;
    }
    TSoundSlot& slot = FSounds.Slots[static_cast<size_t>(channel)];
    LoadSoundEffect(line, slot);
    // Without a wave-out device the effect is read but not heard.
    if (!SndMix1)
        return;
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
