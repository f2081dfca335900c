// The wave mixer's session: set-up from SNDMIX.INI, the device, channels,
// the clock and the done-notification pump.

#include "sound/sndmix_internal.h"

#include "base/clock.h"
#include "base/inifile.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

const char* const OutOfMemoryText =
    "Unable to allocate memory for waveform data.  Try making more memory available by closing other applications.";

void CheckChannel(TSndMixSession* s, int channel)
{
    if (channel < 0 || channel >= SndMixChannelCount)
        SndMixRaise("Invalid channel number");
    if (!s->ChannelOpen[channel])
        SndMixRaise("The specified channel was not open");
}

void OpenOne(TSndMixSession* s, int channel)
{
    s->ChannelOpen[channel] = true;
    s->Queue[channel] = nullptr;
    ++s->OpenChannels;
}

uint32_t RateFromSetting(int value)
{
    if (value == 22)
        return 22050;
    if (value == 44)
        return 44100;
    return 11025;
}

} // namespace

TSndMixUnit& SndMixUnit()
{
    static TSndMixUnit unit;
    return unit;
}

TWaveOut& SndMixDevice()
{
    TSndMixUnit& u = SndMixUnit();
    return u.Device != nullptr ? *u.Device : SystemWaveOut();
}

void SndMixRaise(const std::string& message)
{
    throw ESndMixError(message);
}

void SndMixSetDevice(TWaveOut* device)
{
    SndMixUnit().Device = device;
}

void SndMixSetIniFileName(const std::string& fileName)
{
    SndMixUnit().IniFileName = fileName;
}

void SndMixResetPool()
{
    TSndMixUnit& u = SndMixUnit();
    for (int i = 0; i < SndMixPoolSize; ++i) {
        u.Pool[i] = TPlayNode{};
        u.Pool[i].Next = i + 1 < SndMixPoolSize ? &u.Pool[i + 1] : nullptr;
    }
    u.FreeNodes = &u.Pool[0];
}

TPlayNode* SndMixTakeNode()
{
    TSndMixUnit& u = SndMixUnit();
    TPlayNode* node = u.FreeNodes;
    if (node == nullptr)
        SndMixRaise("Not enough memory");
    u.FreeNodes = node->Next;
    *node = TPlayNode{};
    return node;
}

void SndMixReturnNode(TPlayNode* node)
{
    TSndMixUnit& u = SndMixUnit();
    node->Next = u.FreeNodes;
    u.FreeNodes = node;
}

int SndMixReturnQueue(TPlayNode* head)
{
    int count = 0;
    while (head != nullptr) {
        TPlayNode* next = head->Next;
        SndMixReturnNode(head);
        head = next;
        ++count;
    }
    return count;
}

HSNDMIX SndMixInit()
{
    TSndMixUnit& u = SndMixUnit();
    if (u.Session != nullptr)
        SndMixRaise("Session already initialized");
    const TIniFile ini(u.IniFileName);
    u.Debug = ini.ReadInteger("general", "debug", 0);
    SndMixResetPool();
    TWaveOut& device = SndMixDevice();
    const int devices = device.GetNumDevs();
    if (devices <= 0)
        SndMixRaise("No wave output devices available");

    auto s = std::make_unique<TSndMixSession>();
    s->Format = {WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8};

    const int remix = ini.ReadInteger("default", "Remix", 1);
    const int goodWavePos = ini.ReadInteger("default", "GoodWavePos", 0);
    const int blocks = ini.ReadInteger("default", "WaveBlocks", 3);
    const int blockLen = ini.ReadInteger("default", "WaveBlockLen", 0) & 0xFFFC;
    const int rate = ini.ReadInteger("default", "SamplesPerSec", 44);

    s->DeviceId = ini.ReadInteger("general", "WaveOutDevice", WAVE_MAPPER);
    if (s->DeviceId < WAVE_MAPPER || s->DeviceId >= devices)
        s->DeviceId = WAVE_MAPPER;
    TWaveOutCaps caps;
    if (device.GetDevCaps(s->DeviceId, caps) == MMSYSERR_NOERROR)
        s->DeviceName = caps.ProductName.substr(0, 31);
    else
        s->DeviceName = "Unknown Device";

    if (caps.Support & WAVECAPS_SYNC)
        SndMixRaise(s->DeviceName + " is a syncronous (blocking) " +
                    "wave output device.  This will not permit audio to play while other " +
                    "applications are running");
    if (ini.ReadInteger("not compatible", s->DeviceName, 0) != 0)
        SndMixRaise(s->DeviceName + " is not compatible with " + "the realtime sndmixer");

    const std::string& own = s->DeviceName;
    s->Remix = ini.ReadInteger(own, "Remix", remix) == 2 ? &SndMixShiftPlay : &SndMixRemix;
    s->GoodWavePos = ini.ReadInteger(own, "GoodWavePos", goodWavePos) != 0;
    s->Blocks = std::clamp(ini.ReadInteger(own, "WaveBlocks", blocks), 2, SndMixBlockCount);
    s->Format.SamplesPerSec = RateFromSetting(ini.ReadInteger(own, "SamplesPerSec", rate));
    s->Format.AvgBytesPerSec = s->Format.SamplesPerSec;
    // The device's own length when it gives one, else the default section's;
    // a zero in either place means "not given".
    const int ownLen = ini.ReadInteger(own, "WaveBlockLen", 0);
    const int length = ownLen != 0 ? ownLen : blockLen;
    if (length != 0)
        s->BlockLength = static_cast<uint32_t>(std::clamp(length, 2048, static_cast<int>(SndMixBlockData)));
    else
        s->BlockLength = s->Format.SamplesPerSec / 11025 * 2048;

    u.Session = s.release();
    u.Current = u.Session;
    return u.Session;
}

HSNDMIX SndMixCheckSession(HSNDMIX session)
{
    // Only the unit's own session is accepted; a stray pointer is never read.
    TSndMixUnit& u = SndMixUnit();
    if (session == nullptr || session != u.Session || session->TagStart != SndMixSessionTag ||
        session->TagEnd != SndMixSessionTag)
        SndMixRaise("Invalid Session handle");
    u.Current = session;
    return session;
}

void SndMixActivate(HSNDMIX session, bool activate)
{
    TSndMixSession* s = SndMixCheckSession(session);
    TSndMixUnit& u = SndMixUnit();
    if (activate) {
        if (u.DeviceHolder != nullptr) {
            if (u.DeviceHolder == s)
                return;
            SndMixRaise("Resource is already allocated to a process");
        }
        u.DeviceHolder = s;
        try {
            SndMixOpenDevice(s);
        } catch (...) {
            u.DeviceHolder = nullptr;
            throw;
        }
        s->Active = true;
        SndMixSyncClock(s, s->MixPosition);
        SndMixFillAll(s);
    } else {
        if (s->Active) {
            s->MixPosition = SndMixGetPosition(s);
            SndMixCloseDevice(s);
            s->Active = false;
        }
        if (u.DeviceHolder == s)
            u.DeviceHolder = nullptr;
    }
}

void SndMixOpenDevice(TSndMixSession* s)
{
    TSndMixUnit& u = SndMixUnit();
    TWaveOut& device = SndMixDevice();
    // The device posts its done notifications to the UI thread, where they
    // reach the mixer's message handler as they reached its "SndMix32"
    // callback window.
    const int rc = device.Open(s->DeviceId, s->Format.SamplesPerSec, [] { SndMixWndProc(MM_WOM_DONE, 0, 0); });
    if (rc != MMSYSERR_NOERROR)
        SndMixRaise("Failed to open waveform output device #" + std::to_string(rc));
    for (auto& block : u.Blocks) {
        block.reset(new (std::nothrow) TOutputBlock);
        if (!block) {
            for (auto& b : u.Blocks)
                b.reset();
            device.Close();
            SndMixRaise(OutOfMemoryText);
        }
        block->Owner = s;
        block->Header.Data = block->Data;
    }
    u.WrittenHead = u.WrittenTail = nullptr;
    s->DeviceOpen = true;
}

void SndMixCloseDevice(TSndMixSession* s)
{
    TSndMixUnit& u = SndMixUnit();
    TWaveOut& device = SndMixDevice();
    const int64_t position = SndMixGetPosition(s);
    device.Reset();
    SndMixSyncClock(s, position);
    u.WrittenHead = u.WrittenTail = nullptr;
    device.Close();
    for (auto& b : u.Blocks)
        b.reset();
    s->DeviceOpen = false;
}

void SndMixOpenChannel(HSNDMIX session, int channel, int mode)
{
    TSndMixSession* s = SndMixCheckSession(session);
    if (mode < 0 || mode > 2)
        SndMixRaise("Invalid Flags");
    if (mode == 0) {
        if (channel < 0 || channel >= SndMixChannelCount)
            SndMixRaise("Invalid channel number");
        if (s->ChannelOpen[channel])
            SndMixRaise("The channel has already been opened");
        OpenOne(s, channel);
        return;
    }
    int last = SndMixChannelCount;
    if (mode == 2) {
        if (channel < 1 || channel > SndMixChannelCount)
            SndMixRaise("Invalid number of channels");
        last = channel;
    }
    for (int c = 0; c < last; ++c)
        if (!s->ChannelOpen[c])
            OpenOne(s, c);
}

void SndMixCloseChannel(HSNDMIX session, int channel, int mode)
{
    TSndMixSession* s = SndMixCheckSession(session);
    if (mode == 0) {
        CheckChannel(s, channel);
        SndMixFlushChannel(s, channel, 2);
        s->ChannelOpen[channel] = false;
        --s->OpenChannels;
    } else if (mode == 1) {
        SndMixFlushChannel(s, 0, 1 | 2);
        for (int c = 0; c < SndMixChannelCount; ++c)
            if (s->ChannelOpen[c]) {
                s->ChannelOpen[c] = false;
                --s->OpenChannels;
            }
    } else {
        SndMixRaise("Invalid Flags");
    }
}

void SndMixFlushChannel(HSNDMIX session, int channel, uint32_t flags)
{
    TSndMixSession* s = SndMixCheckSession(session);
    int removed = 0;
    if (flags & 1) {
        for (int c = 0; c < SndMixChannelCount; ++c) {
            removed += SndMixReturnQueue(s->Queue[c]);
            s->Queue[c] = nullptr;
        }
    } else {
        CheckChannel(s, channel);
        removed = SndMixReturnQueue(s->Queue[channel]);
        s->Queue[channel] = nullptr;
    }
    if (removed > 0 && !(flags & 2) && s->Active)
        s->Remix(s, SndMixGetPosition(s), nullptr);
}

void SndMixCloseSession(HSNDMIX session)
{
    TSndMixSession* s = SndMixCheckSession(session);
    SndMixActivate(s, false);
    SndMixCloseChannel(s, 0, 1);
    if (s->PendingTail != nullptr) {
        TPlayNode* head = s->PendingTail->Next;
        s->PendingTail->Next = nullptr;
        SndMixReturnQueue(head);
    }
    TSndMixUnit& u = SndMixUnit();
    u.Session = nullptr;
    u.Current = nullptr;
    delete s;
}

intptr_t SndMixWndProc(uint32_t message, uintptr_t, intptr_t)
{
    if (message == MM_WOM_DONE)
        SndMixPump();
    return 0;
}

uint8_t SndMixBusyChannels(HSNDMIX session)
{
    TSndMixSession* s = SndMixCheckSession(session);
    uint8_t busy = 0;
    for (int c = 0; c < SndMixChannelCount; ++c)
        if (s->ChannelOpen[c] && s->Queue[c] != nullptr)
            busy |= static_cast<uint8_t>(1u << c);
    return busy;
}

int64_t SndMixDevicePosition(TSndMixSession* s)
{
    const int64_t device = s->DeviceOpen ? static_cast<int64_t>(SndMixDevice().GetPosition()) : 0;
    return device + s->PositionOffset;
}

int64_t SndMixGetPosition(TSndMixSession* s)
{
    if (s->GoodWavePos)
        return SndMixDevicePosition(s);
    const uint32_t elapsed = TimeGetTime() - s->ClockStart;
    auto position =
        static_cast<int64_t>(std::nearbyint(static_cast<double>(elapsed) * s->Format.AvgBytesPerSec / 1000.0));
    if ((position & 1) && s->Format.BlockAlign > 1)
        --position;
    return position;
}

void SndMixSyncClock(TSndMixSession* s, int64_t position)
{
    const int64_t device = s->DeviceOpen ? static_cast<int64_t>(SndMixDevice().GetPosition()) : 0;
    s->PositionOffset = position - device;
    s->ClockStart = TimeGetTime() - static_cast<uint32_t>(position * 1000 / s->Format.AvgBytesPerSec);
    s->MixPosition = position;
}

void SndMixResetDevice(TSndMixSession* s)
{
    const int64_t position = SndMixGetPosition(s);
    SndMixDevice().Reset();
    SndMixSyncClock(s, position);
}

void SndMixPump()
{
    TSndMixUnit& u = SndMixUnit();
    TSndMixSession* s = u.DeviceHolder;
    if (s == nullptr)
        return;
    u.Current = s;
    for (TOutputBlock* b = u.WrittenHead; b != nullptr;) {
        TOutputBlock* next = b->NextWritten;
        if (b->Header.Done)
            SndMixDropWritten(b);
        b = next;
    }
    SndMixReleaseFinished(s);
    SndMixFillAll(s);
}
