#pragma once
// A MIDI-out driver that plays nothing and writes down everything sent to
// its outputs, with the song position and the engine clock at that moment.
// Long messages are returned to the sender at once.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/audio/midi_out.h"

struct TMidiOutRecord {
    enum TKind { rkOpen, rkShort, rkLong, rkReset, rkClose };
    TKind Kind = rkShort;
    int Output = 0;             // which output object, in creation order
    int DeviceId = 0;           // as given to Open
    int64_t Position = 0;       // from PositionSource, 0 without one
    uint32_t WallMs = 0;        // engine clock (TimeGetTime)
    std::vector<uint8_t> Bytes; // short: status and its data bytes; long: the message
};

class TMidiOutRecorder : public TMidiOutDriver {
public:
    // Asked for the position stamped on every record.
    std::function<int64_t()> PositionSource;
    // Device ids whose Open fails.
    std::vector<int> FailingDevices;
    // While set, every output says it is still loading.
    std::atomic<bool> Loading{false};

    int DeviceCount() override { return 1; }
    bool DeviceCaps(int deviceId, TMidiOutCaps& caps) override;
    std::unique_ptr<TMidiOut> CreateOut() override;

    std::vector<TMidiOutRecord> Records() const;
    // Only the records of one kind.
    std::vector<TMidiOutRecord> Records(TMidiOutRecord::TKind kind) const;
    void Clear();

private:
    friend class TRecordingMidiOut;
    void Append(TMidiOutRecord record);

    mutable std::mutex FLock;
    std::vector<TMidiOutRecord> FRecords;
    int FOutputs = 0;
};
