#pragma once
// The wave mixer (unit SndMix): up to eight sound effects at once on the
// wave-out device, mixed into 8-bit unsigned mono PCM at 11025, 22050 or
// 44100 bytes per second. One session at a time; everything runs on the
// user-interface thread, where the device's done notifications arrive
// through the UI mailbox.
//
// Every refusal raises ESndMixError with the mixer's own English text.

#include "base/exceptions.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TWaveOut;

class ESndMixError : public Exception {
public:
    using Exception::Exception;
};

struct TPcmWaveFormat {
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
};
constexpr uint16_t WAVE_FORMAT_PCM = 1;

// A sound loaded and converted to the session's format by SndMixOpenWave;
// plays refer to it until SndMixFreeWave frees it.
struct TWaveRecord {
    TPcmWaveFormat Format;
    std::vector<uint8_t> Data;
    char Name[16] = {};
    uint32_t Length() const { return static_cast<uint32_t>(Data.size()); }
};

// Receives MM_WOM_DONE when a play that named it ends: the channel and the
// wave that play played. Posted through the UI mailbox with the receiver as
// owner, so it runs after the mixer's own handler; a receiver that goes away
// first calls UiMailbox::Cancel(this). A notification whose wave is freed
// before it arrives is dropped, so the wave it names is always a live one.
class TSndMixNotify {
public:
    virtual ~TSndMixNotify() = default;
    virtual void MMWomDone(int channel, TWaveRecord* wave) = 0;
};

struct TSndMixSession;
using HSNDMIX = TSndMixSession*;

// Play flags.
enum : uint32_t {
    smpClearChannel = 1, // drop the channel's queued plays first
    smpLeastRecent = 2,  // use the least recently used open channel
    smpStartNow = 4,     // start at the play position, not after what is mixed
    smpWait = 8,         // start together with the next play without this flag
};
// Loops value that repeats for ever.
constexpr uint16_t SndMixLoopForever = 0xFFFF;

struct TSndMixPlayRecord {
    uint16_t Size = 24;
    HSNDMIX Session = nullptr;
    int32_t Channel = 0; // set to the chosen channel with smpLeastRecent
    TWaveRecord* Wave = nullptr;
    TSndMixNotify* NotifyWindow = nullptr;
    uint32_t Flags = 0;
    uint16_t Loops = 0;
};

// A memory wave source: fccIOProc "MEM " over the image's bytes.
constexpr uint32_t FOURCC_MEM = 0x204D454D;
struct TMMIOInfo {
    uint32_t fccIOProc = 0;
    const uint8_t* pchBuffer = nullptr;
    int32_t cchBuffer = 0;
};

// The "WAVE" resources of a module, by name (compared upper-cased) and by number.
struct TWaveModule {
    std::map<std::string, std::vector<uint8_t>> Named;
    std::map<int, std::vector<uint8_t>> Numbered;
};

// What SndMixOpenWave reads, chosen by its flags.
struct TWaveSourceArg {
    std::string Name;    // file name, or resource name
    int ResourceId = -1; // numeric resource id when not negative
    const TMMIOInfo* Memory = nullptr;
};
enum : uint32_t {
    smwResource = 2,
    smwMemory = 4,
};

// Window message of a finished block or play.
constexpr uint32_t MM_WOM_DONE = 0x3BD;

HSNDMIX SndMixInit();
void SndMixActivate(HSNDMIX session, bool activate);
// mode 0: one channel (0-7); 1: every closed channel; 2: channels 0..count-1.
void SndMixOpenChannel(HSNDMIX session, int channel, int mode);
// mode 0: one channel; 1: all eight.
void SndMixCloseChannel(HSNDMIX session, int channel, int mode);
// flags: 1 all channels, 2 no remix.
void SndMixFlushChannel(HSNDMIX session, int channel, uint32_t flags);
void SndMixPlay(TSndMixPlayRecord* record);
void SndMixFreeWave(HSNDMIX session, TWaveRecord* wave);
void SndMixCloseSession(HSNDMIX session);
HSNDMIX SndMixCheckSession(HSNDMIX session);
// The callback object's message handler ("SndMix32"): MM_WOM_DONE pumps.
intptr_t SndMixWndProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

TWaveRecord* SndMixOpenWave(HSNDMIX session, const TWaveSourceArg& source, const TWaveModule* module, uint32_t flags);

// Bit i set when channel i is open and has a queued play.
uint8_t SndMixBusyChannels(HSNDMIX session);

// The device the next session plays through (not owned); nullptr restores
// the system's device.
void SndMixSetDevice(TWaveOut* device);
// Where "SNDMIX.INI" is read; the engine puts it beside its own INI file.
void SndMixSetIniFileName(const std::string& fileName);
