#pragma once
// The wave mixer's records and unit-wide state, shared by its source files.

#include "platform/audio/wave_out.h"
#include "sound/sndmix.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

constexpr int SndMixChannelCount = 8;
constexpr int SndMixPoolSize = 99;
constexpr int SndMixBlockCount = 6;
constexpr uint32_t SndMixBlockData = 16384;
constexpr uint16_t SndMixSessionTag = 0x5432;
// End of a play that never ends (loops FFFFh).
constexpr int64_t SndMixForever = std::numeric_limits<int64_t>::max();

// Positions are byte offsets in the output stream since the clock last
// restarted; 64 bits, so neither the clock (milliseconds times bytes per
// second) nor a long loop ((loops + 1) times the length) can overflow.
struct TPlayNode {
    TPlayNode* Next = nullptr;
    TSndMixPlayRecord Play;
    TWaveRecord* Wave = nullptr;
    uint32_t Length = 0;
    int64_t Start = 0;
    int64_t End = 0; // start + (loops + 1) x length - 1
    const uint8_t* Data = nullptr;
    const uint8_t* Last = nullptr;
};

struct TOutputBlock {
    TWaveHeader Header;
    bool Free = true;
    int64_t Position = 0;
    TSndMixSession* Owner = nullptr;
    TOutputBlock* NextWritten = nullptr;
    uint8_t Data[SndMixBlockData];
};

using TRemixProc = void (*)(TSndMixSession* s, int64_t position, TPlayNode* node);

struct TSndMixSession {
    uint16_t TagStart = SndMixSessionTag;
    bool Active = false;
    bool DeviceOpen = false;
    int DeviceId = WAVE_MAPPER;
    std::string DeviceName;
    bool ChannelOpen[SndMixChannelCount] = {};
    TPlayNode* Queue[SndMixChannelCount] = {};
    int OpenChannels = 0;
    uint32_t Stamps[SndMixChannelCount] = {};
    uint32_t PlayCounter = 0;
    TPcmWaveFormat Format;
    uint32_t BlockLength = 0;
    int Blocks = 0;
    int64_t MixPosition = 0;
    uint32_t ClockStart = 0;
    int64_t PositionOffset = 0;
    bool GoodWavePos = false;
    TRemixProc Remix = nullptr;
    TPlayNode* PendingTail = nullptr; // circular: the tail links to the head
    uint16_t TagEnd = SndMixSessionTag;
};

// A done notification on its way to its receiver. Freeing the wave voids
// it: the receiver has already let the wave go, and the record's address may
// belong to a newer wave by the time the notification arrives.
struct TSndMixNotice {
    const TWaveRecord* Wave = nullptr;
    std::weak_ptr<bool> Void;
};

struct TSndMixUnit {
    TSndMixSession* Session = nullptr; // the one session that exists
    TSndMixSession* Current = nullptr;
    TSndMixSession* DeviceHolder = nullptr;
    TPlayNode Pool[SndMixPoolSize];
    TPlayNode* FreeNodes = nullptr;
    std::unique_ptr<TOutputBlock> Blocks[SndMixBlockCount];
    TOutputBlock* WrittenHead = nullptr;
    TOutputBlock* WrittenTail = nullptr;
    int Debug = 0;
    TWaveOut* Device = nullptr;
    std::string IniFileName = "SNDMIX.INI";
    std::vector<TSndMixNotice> Notices;
};

TSndMixUnit& SndMixUnit();
TWaveOut& SndMixDevice();
[[noreturn]] void SndMixRaise(const std::string& message);

// Play position: from the device or from the clock (GoodWavePos).
int64_t SndMixGetPosition(TSndMixSession* s);
// The device's byte position with the session's offset applied.
int64_t SndMixDevicePosition(TSndMixSession* s);
void SndMixSyncClock(TSndMixSession* s, int64_t position);
void SndMixResetDevice(TSndMixSession* s);
void SndMixOpenDevice(TSndMixSession* s);
void SndMixCloseDevice(TSndMixSession* s);

TOutputBlock* SndMixFreeBlock(TSndMixSession* s);
void SndMixAppendWritten(TOutputBlock* b);
void SndMixDropWritten(TOutputBlock* b);
bool SndMixFillBlock(TSndMixSession* s, TOutputBlock* block, bool write);
void SndMixFillAll(TSndMixSession* s);
void SndMixMixSamples(uint8_t* out, const uint8_t* const* sources, int count, int64_t length);
void SndMixRemix(TSndMixSession* s, int64_t position, TPlayNode* node);
void SndMixShiftPlay(TSndMixSession* s, int64_t position, TPlayNode* node);
void SndMixPump();
void SndMixReleaseFinished(TSndMixSession* s);

void SndMixResetPool();
TPlayNode* SndMixTakeNode();
void SndMixReturnNode(TPlayNode* node);
// Returns a whole queue to the pool; the number of nodes returned.
int SndMixReturnQueue(TPlayNode* head);
