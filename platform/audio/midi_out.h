#pragma once
// The MIDI-out device: what the sequencer plays on. A driver lists the
// machine's outputs and makes output objects; an output is opened on one
// device, takes short (channel) and long (system-exclusive) messages, can
// be reset (every sounding note released) and is closed.
//
// Long messages are handed over in a header that stays the sender's; the
// output reports each one it has finished with through the done callback
// given to Open, from whatever thread it runs on.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The device id that stands for the system's chosen output.
constexpr int MIDI_MAPPER = -1;

// Capabilities of one output, as a device catalogue shows them.
struct TMidiOutCaps {
    uint16_t Mid = 0; // manufacturer id
    uint16_t Pid = 0; // product id
    uint8_t DriverMajor = 0;
    uint8_t DriverMinor = 0;
    std::string Name; // at most 31 characters
    uint16_t Technology = 0;
    uint16_t Voices = 0;
    uint16_t Notes = 0;
    uint16_t ChannelMask = 0;
    uint32_t Support = 0;
};

enum : uint16_t { MOD_MIDIPORT = 1, MOD_SYNTH = 2, MOD_SWSYNTH = 7 };

// One long message: its bytes (status first) while the output has it.
struct TMidiHdr {
    std::vector<uint8_t> Data;
};

class TMidiOut;
using TMidiOutDone = std::function<void(TMidiOut* out, TMidiHdr* header)>;

class TMidiOut {
public:
    virtual ~TMidiOut() = default;
    // Opens `deviceId` (MIDI_MAPPER for the system's choice); false when it
    // cannot be opened.
    virtual bool Open(int deviceId, TMidiOutDone done) = 0;
    // A channel message packed as data 2 × 65536 + data 1 × 256 + status.
    virtual void ShortMsg(uint32_t message) = 0;
    // A long message; done(this, header) follows once the output has it.
    virtual void LongMsg(TMidiHdr* header) = 0;
    // Whether the output takes more messages now. A sender holds back what
    // it has while the answer is no (a synth that has not yet rendered what
    // it was given); messages sent all the same are still taken.
    virtual bool Ready() const { return true; }
    // Whether the output is still getting ready to sound (a synth loading
    // its sound font). What it is sent meanwhile waits for it, and a song
    // does not start until it can be heard.
    virtual bool Loading() const { return false; }
    // Whether what the output is sent sounds through the shared audio
    // output, so that a sender may take its timing from that output's clock.
    virtual bool RendersOnAudioOutput() const { return false; }
    // Releases every sounding note (sustain pedal up, all notes off).
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

class TMidiOutDriver {
public:
    virtual ~TMidiOutDriver() = default;
    virtual int DeviceCount() = 0;
    // False when the device cannot be asked.
    virtual bool DeviceCaps(int deviceId, TMidiOutCaps& caps) = 0;
    virtual std::unique_ptr<TMidiOut> CreateOut() = 0;
};
