#include "platform/audio/wave_out_fake.h"

#include "platform/audio/ui_mailbox.h"

#include <algorithm>

TFakeWaveOut::TFakeWaveOut()
{
    Devices.push_back({"Fake Wave Out", 0});
}

TFakeWaveOut::~TFakeWaveOut()
{
    UiMailbox::Cancel(this);
}

int TFakeWaveOut::GetNumDevs()
{
    return static_cast<int>(Devices.size());
}

int TFakeWaveOut::GetDevCaps(int deviceId, TWaveOutCaps& caps)
{
    if (deviceId == WAVE_MAPPER && !Devices.empty())
        deviceId = 0;
    if (deviceId < 0 || deviceId >= GetNumDevs())
        return MMSYSERR_BADDEVICEID;
    caps = Devices[static_cast<size_t>(deviceId)];
    return MMSYSERR_NOERROR;
}

int TFakeWaveOut::QueryFormat(int deviceId, uint32_t samplesPerSec)
{
    if (deviceId < WAVE_MAPPER || deviceId >= GetNumDevs() || Devices.empty())
        return MMSYSERR_BADDEVICEID;
    return samplesPerSec == 11025 || samplesPerSec == 22050 || samplesPerSec == 44100 ? MMSYSERR_NOERROR
                                                                                      : WAVERR_BADFORMAT;
}

int TFakeWaveOut::Open(int deviceId, uint32_t samplesPerSec, std::function<void()> onDone)
{
    if (int rc = QueryFormat(deviceId, samplesPerSec); rc != MMSYSERR_NOERROR)
        return rc;
    if (FOpen)
        return MMSYSERR_ALLOCATED;
    FOpen = true;
    FPaused = false;
    FSamplesPerSec = samplesPerSec;
    FOffset = 0;
    FPosition = 0;
    FQueue.clear();
    FOnDone = std::move(onDone);
    return MMSYSERR_NOERROR;
}

int TFakeWaveOut::Write(TWaveHeader* header)
{
    if (!FOpen)
        return MMSYSERR_INVALHANDLE;
    header->Done = false;
    FQueue.push_back({header, Checksum(header)});
    ++FWrites;
    return MMSYSERR_NOERROR;
}

int TFakeWaveOut::Reset()
{
    if (!FOpen)
        return MMSYSERR_INVALHANDLE;
    ++FResets;
    const size_t returned = FQueue.size();
    for (const TQueued& q : FQueue) {
        Check(q);
        q.Header->Done = true;
    }
    FQueue.clear();
    FOffset = 0;
    FPosition = 0;
    FPaused = false;
    for (size_t i = 0; i < returned; ++i)
        UiMailbox::Post(this, FOnDone);
    return MMSYSERR_NOERROR;
}

int TFakeWaveOut::Pause()
{
    FPaused = true;
    return FOpen ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

int TFakeWaveOut::Restart()
{
    FPaused = false;
    return FOpen ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

uint64_t TFakeWaveOut::GetPosition()
{
    return FPosition;
}

int TFakeWaveOut::Close()
{
    if (!FOpen)
        return MMSYSERR_INVALHANDLE;
    for (const TQueued& q : FQueue)
        q.Header->Done = true;
    FQueue.clear();
    FOpen = false;
    FOnDone = nullptr;
    UiMailbox::Cancel(this);
    return MMSYSERR_NOERROR;
}

uint32_t TFakeWaveOut::Consume(uint32_t bytes)
{
    uint32_t played = 0;
    while (FOpen && !FPaused && played < bytes && !FQueue.empty()) {
        const TQueued& head = FQueue.front();
        Check(head);
        const uint32_t take = std::min(bytes - played, head.Header->BufferLength - FOffset);
        FPlayed.insert(FPlayed.end(), head.Header->Data + FOffset, head.Header->Data + FOffset + take);
        FOffset += take;
        FPosition += take;
        played += take;
        if (FOffset == head.Header->BufferLength) {
            head.Header->Done = true;
            FQueue.pop_front();
            FOffset = 0;
            UiMailbox::Post(this, FOnDone);
        }
    }
    return played;
}

uint64_t TFakeWaveOut::QueuedBytes() const
{
    uint64_t n = 0;
    for (const TQueued& q : FQueue)
        n += q.Header->BufferLength;
    return n - FOffset;
}

uint64_t TFakeWaveOut::Checksum(const TWaveHeader* h)
{
    // FNV-1a: any change to a byte changes the sum.
    uint64_t sum = 1469598103934665603ull;
    for (uint32_t i = 0; i < h->BufferLength; ++i)
        sum = (sum ^ h->Data[i]) * 1099511628211ull;
    return sum;
}

void TFakeWaveOut::Check(const TQueued& q)
{
    if (Checksum(q.Header) != q.Sum)
        ++FTampered;
}
