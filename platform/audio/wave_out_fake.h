#pragma once
// A wave-out device stepped by hand for tests: nothing plays until Consume
// is called. It keeps every byte it played, and a checksum of every block
// taken at Write and checked whenever the block is played from or handed
// back, so a caller that writes into a block the device still owns is caught.

#include "platform/audio/wave_out.h"

#include <deque>
#include <vector>

class TFakeWaveOut : public TWaveOut {
public:
    TFakeWaveOut();
    ~TFakeWaveOut() override;

    // The device list; the default is one device, "Fake Wave Out".
    std::vector<TWaveOutCaps> Devices;

    int GetNumDevs() override;
    int GetDevCaps(int deviceId, TWaveOutCaps& caps) override;
    int QueryFormat(int deviceId, uint32_t samplesPerSec) override;
    int Open(int deviceId, uint32_t samplesPerSec, std::function<void()> onDone) override;
    int Write(TWaveHeader* header) override;
    int Reset() override;
    int Pause() override;
    int Restart() override;
    uint64_t GetPosition() override;
    int Close() override;

    // Plays up to `bytes` bytes of the queued blocks; returns how many played.
    // Blocks that finish are marked done and their handler posted.
    uint32_t Consume(uint32_t bytes);

    bool IsOpen() const { return FOpen; }
    bool IsPaused() const { return FPaused; }
    uint32_t SamplesPerSec() const { return FSamplesPerSec; }
    size_t QueuedBlocks() const { return FQueue.size(); }
    // Bytes queued and not yet played.
    uint64_t QueuedBytes() const;
    // Everything played since the open.
    const std::vector<uint8_t>& Played() const { return FPlayed; }
    void ClearPlayed() { FPlayed.clear(); }
    // Blocks found changed while the device owned them.
    int Tampered() const { return FTampered; }
    int Writes() const { return FWrites; }
    int Resets() const { return FResets; }

private:
    struct TQueued {
        TWaveHeader* Header;
        uint64_t Sum;
    };
    static uint64_t Checksum(const TWaveHeader* h);
    void Check(const TQueued& q);

    bool FOpen = false;
    bool FPaused = false;
    uint32_t FSamplesPerSec = 0;
    uint32_t FOffset = 0;
    uint64_t FPosition = 0;
    std::deque<TQueued> FQueue;
    std::function<void()> FOnDone;
    std::vector<uint8_t> FPlayed;
    int FTampered = 0;
    int FWrites = 0;
    int FResets = 0;
};
