#pragma once
// The wave-out device the wave mixer plays through: 8-bit unsigned mono PCM
// at 11025, 22050 or 44100 bytes per second, fed as a queue of blocks.
//
// A written block belongs to the device until it is done; the device then
// sets its Done flag and posts the owner's done handler to the UI thread
// (UiMailbox), once per finished block. The byte position counts only bytes
// of written blocks that have been played: a starved device plays silence
// without moving it. Reset hands every queued block back at once.
//
// Results are the system's error numbers: 0 for success.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

enum : int {
    MMSYSERR_NOERROR = 0,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_ALLOCATED = 4,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_NODRIVER = 6,
    WAVERR_BADFORMAT = 32,
};

// The device's capability bit that the mixer refuses: it blocks the caller.
constexpr uint32_t WAVECAPS_SYNC = 0x0010;
// The device id that lets the system choose.
constexpr int WAVE_MAPPER = -1;

struct TWaveOutCaps {
    std::string ProductName; // at most 31 characters
    uint32_t Support = 0;
};

struct TWaveHeader {
    uint8_t* Data = nullptr;
    uint32_t BufferLength = 0;
    // Set by the device when the block is played or handed back.
    std::atomic<bool> Done{true};
};

class TWaveOut {
public:
    virtual ~TWaveOut() = default;

    virtual int GetNumDevs() = 0;
    virtual int GetDevCaps(int deviceId, TWaveOutCaps& caps) = 0;
    // Asks whether the device plays 8-bit mono at `samplesPerSec` without
    // opening it.
    virtual int QueryFormat(int deviceId, uint32_t samplesPerSec) = 0;

    // Opens the device; `onDone` is posted to the UI thread for every block
    // that comes back. A device is opened by one owner at a time.
    virtual int Open(int deviceId, uint32_t samplesPerSec, std::function<void()> onDone) = 0;
    virtual int Write(TWaveHeader* header) = 0;
    // Stops, hands back every queued block and sets the position to 0.
    virtual int Reset() = 0;
    virtual int Pause() = 0;
    virtual int Restart() = 0;
    // Bytes played of written blocks since the open or the last Reset.
    virtual uint64_t GetPosition() = 0;
    // Closes the device; done handlers not yet run are dropped.
    virtual int Close() = 0;
};

// The process's real device: it plays into the shared audio output.
TWaveOut& SystemWaveOut();
