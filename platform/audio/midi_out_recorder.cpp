#include "platform/audio/midi_out_recorder.h"

#include <algorithm>

#include "base/clock.h"

class TRecordingMidiOut : public TMidiOut {
public:
    TRecordingMidiOut(TMidiOutRecorder& owner, int index) : FOwner(owner), FIndex(index) {}

    bool Open(int deviceId, TMidiOutDone done) override
    {
        const auto& failing = FOwner.FailingDevices;
        if (std::find(failing.begin(), failing.end(), deviceId) != failing.end())
            return false;
        FDeviceId = deviceId;
        FDone = std::move(done);
        Record(TMidiOutRecord::rkOpen, {});
        return true;
    }
    void ShortMsg(uint32_t message) override
    {
        const uint8_t status = message & 0xFF;
        std::vector<uint8_t> bytes{status, uint8_t(message >> 8), uint8_t(message >> 16)};
        // Program change and channel pressure carry one data byte.
        if ((status & 0xE0) == 0xC0)
            bytes.pop_back();
        Record(TMidiOutRecord::rkShort, std::move(bytes));
    }
    void LongMsg(TMidiHdr* header) override
    {
        Record(TMidiOutRecord::rkLong, header->Data);
        if (FDone)
            FDone(this, header);
    }
    bool Loading() const override { return FOwner.Loading; }
    void Reset() override { Record(TMidiOutRecord::rkReset, {}); }
    void Close() override { Record(TMidiOutRecord::rkClose, {}); }

private:
    void Record(TMidiOutRecord::TKind kind, std::vector<uint8_t> bytes)
    {
        TMidiOutRecord r;
        r.Kind = kind;
        r.Output = FIndex;
        r.DeviceId = FDeviceId;
        r.Position = FOwner.PositionSource ? FOwner.PositionSource() : 0;
        r.WallMs = TimeGetTime();
        r.Bytes = std::move(bytes);
        FOwner.Append(std::move(r));
    }

    TMidiOutRecorder& FOwner;
    int FIndex;
    int FDeviceId = 0;
    TMidiOutDone FDone;
};

bool TMidiOutRecorder::DeviceCaps(int deviceId, TMidiOutCaps& caps)
{
    if (deviceId != 0)
        return false;
    caps = TMidiOutCaps{};
    caps.Name = "Recorder";
    caps.Technology = MOD_MIDIPORT;
    caps.ChannelMask = 0xFFFF;
    return true;
}

std::unique_ptr<TMidiOut> TMidiOutRecorder::CreateOut()
{
    std::lock_guard<std::mutex> lock(FLock);
    return std::make_unique<TRecordingMidiOut>(*this, FOutputs++);
}

std::vector<TMidiOutRecord> TMidiOutRecorder::Records() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FRecords;
}

std::vector<TMidiOutRecord> TMidiOutRecorder::Records(TMidiOutRecord::TKind kind) const
{
    std::lock_guard<std::mutex> lock(FLock);
    std::vector<TMidiOutRecord> out;
    for (const TMidiOutRecord& r : FRecords)
        if (r.Kind == kind)
            out.push_back(r);
    return out;
}

void TMidiOutRecorder::Clear()
{
    std::lock_guard<std::mutex> lock(FLock);
    FRecords.clear();
}

void TMidiOutRecorder::Append(TMidiOutRecord record)
{
    std::lock_guard<std::mutex> lock(FLock);
    FRecords.push_back(std::move(record));
}
