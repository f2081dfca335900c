#pragma once
// The sound devices as fakes: a wave-out device stepped by hand (none when
// HasWaveOut is off), MIDI outputs that record, and the outside audio
// library to load (none when empty).

#include <string>

#include "engine/script/host_sound.h"
#include "platform/audio/midi_out_recorder.h"
#include "platform/audio/wave_out_fake.h"

class TFakeHostSound : public THostSound {
public:
    TWaveOut* WaveOutDevice() override { return HasWaveOut ? &WaveOut : nullptr; }
    TMidiOutDriver& MidiOutDriver() override { return Midi; }
    std::string AudioLibraryPath() const override { return AudioLibrary; }

    TFakeWaveOut WaveOut;
    bool HasWaveOut = true;
    TMidiOutRecorder Midi;
    std::string AudioLibrary;
};
