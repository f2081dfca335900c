#pragma once
// THostSound: the sound devices the desktop gives the engine.

#include <string>

class TMidiOutDriver;
class TWaveOut;

class THostSound {
public:
    virtual ~THostSound() = default;

    // The wave-out device the wave mixer plays sound effects through;
    // nullptr when there is none (effects without the outside audio library
    // are then silent). Its done notifications reach the engine on the
    // thread that drains the UI mailbox.
    virtual TWaveOut* WaveOutDevice() = 0;
    // The MIDI outputs the music sequencer plays on; it outlives the engine.
    virtual TMidiOutDriver& MidiOutDriver() = 0;
    // Where the outside audio library is loaded from; empty for none.
    virtual std::string AudioLibraryPath() const = 0;
};
