#pragma once
// The MIDI-out device of a Linux desktop: one FluidSynth synthesizer per
// process, made on first use and kept (loading a sound font takes a tenth of
// a second), rendering into the shared audio output while an output is open
// and while what a closed one released dies away.
//
// The synth answers to device id 16, so the GS and XG resets that songs
// send are honoured. Opening an output resets the synth to its power-on
// state: levels a fade left behind must not carry into the next song.
//
// Messages wait in a queue that the synth takes a few at a time before each
// block it renders; an output is not Ready while that queue is long, so a
// song of countless events is slowed down, never lost in an overrun.
//
// The FluidSynth library itself is opened with the synth, not at start-up,
// and on a thread of its own, which the first song waits for instead of the
// window; without it (or without a sound font) music plays silently, in time.
//
// The sound font is $TIDEGLASS_SOUNDFONT when set, else the system's default
// General MIDI font, else TimGM6mb; without any the synth plays silence.

#include <memory>

#include "platform/audio/midi_out.h"

class TFluidSynthDriver : public TMidiOutDriver {
public:
    // A driver whose outputs do not feed the audio output renders only
    // through Render (offline use).
    explicit TFluidSynthDriver(bool toAudioOutput = true) : FToAudioOutput(toAudioOutput) {}

    int DeviceCount() override { return 1; }
    bool DeviceCaps(int deviceId, TMidiOutCaps& caps) override;
    std::unique_ptr<TMidiOut> CreateOut() override;

    // Adds `frames` stereo frames of the synth's output into `out`, once
    // the synth has loaded.
    static void Render(float* out, int frames);
    // The sound font the synth loaded (waiting for the load); empty when
    // none could be loaded.
    static std::string SoundFont();

private:
    bool FToAudioOutput;
};
