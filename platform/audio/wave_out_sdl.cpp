#include "platform/audio/wave_out_sdl.h"

#include "platform/audio/ui_mailbox.h"

#include "platform/audio/sdl_api.h"

#include <cstring>

#include <algorithm>

namespace {

constexpr size_t MaxProductName = 31;

bool RateSupported(uint32_t samplesPerSec)
{
    return samplesPerSec == 11025 || samplesPerSec == 22050 || samplesPerSec == 44100;
}

} // namespace

TWaveOut& SystemWaveOut()
{
    static TSdlWaveOut device;
    return device;
}

TSdlWaveOut::TSdlWaveOut(bool attach) : FAttach(attach)
{
    // The output must outlive the device, which may still be open at exit.
    if (FAttach)
        TAudioOutput::Instance();
}

TSdlWaveOut::~TSdlWaveOut()
{
    Close();
}

int TSdlWaveOut::GetNumDevs()
{
    TAudioOutput& output = TAudioOutput::Instance();
    if (!output.IsOpen())
        return 0;
    // The dummy driver lists nothing yet plays: it still counts as a device.
    return std::max(1, SdlApi().SDL_GetNumAudioDevices(0));
}

int TSdlWaveOut::GetDevCaps(int deviceId, TWaveOutCaps& caps)
{
    if (!TAudioOutput::Instance().IsOpen())
        return MMSYSERR_BADDEVICEID;
    char* defaultName = nullptr;
    const char* name = nullptr;
    if (deviceId == WAVE_MAPPER) {
        SDL_AudioSpec spec{};
        if (SdlApi().SDL_GetDefaultAudioInfo(&defaultName, &spec, 0) == 0)
            name = defaultName;
    } else if (deviceId >= 0 && deviceId < SdlApi().SDL_GetNumAudioDevices(0)) {
        name = SdlApi().SDL_GetAudioDeviceName(deviceId, 0);
    }
    if (name == nullptr)
        return MMSYSERR_BADDEVICEID;
    caps.ProductName.assign(name, std::min(MaxProductName, std::strlen(name)));
    caps.Support = 0;
    SdlApi().SDL_free(defaultName);
    return MMSYSERR_NOERROR;
}

int TSdlWaveOut::QueryFormat(int deviceId, uint32_t samplesPerSec)
{
    if (deviceId < WAVE_MAPPER || deviceId >= GetNumDevs())
        return MMSYSERR_BADDEVICEID;
    return RateSupported(samplesPerSec) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

int TSdlWaveOut::Open(int deviceId, uint32_t samplesPerSec, std::function<void()> onDone)
{
    if (int rc = QueryFormat(deviceId, samplesPerSec); rc != MMSYSERR_NOERROR)
        return rc;
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (FOpen)
            return MMSYSERR_ALLOCATED;
        FOpen = true;
        FPaused = false;
        FRepeat = static_cast<int>(TAudioOutput::SampleRate / samplesPerSec);
        FRepeatDone = 0;
        FOffset = 0;
        FPosition = 0;
        FQueue.clear();
        FOnDone = std::move(onDone);
    }
    if (FAttach)
        TAudioOutput::Instance().AddSource(this);
    return MMSYSERR_NOERROR;
}

int TSdlWaveOut::Write(TWaveHeader* header)
{
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (!FOpen)
            return MMSYSERR_INVALHANDLE;
        header->Done = false;
        FQueue.push_back(header);
    }
    if (FAttach)
        TAudioOutput::Instance().Wake();
    return MMSYSERR_NOERROR;
}

int TSdlWaveOut::Reset()
{
    int returned = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (!FOpen)
            return MMSYSERR_INVALHANDLE;
        for (TWaveHeader* h : FQueue)
            h->Done = true;
        returned = static_cast<int>(FQueue.size());
        FQueue.clear();
        FOffset = 0;
        FRepeatDone = 0;
        FPosition = 0;
        FPaused = false;
    }
    PostDone(returned);
    return MMSYSERR_NOERROR;
}

int TSdlWaveOut::Pause()
{
    std::lock_guard<std::mutex> guard(FLock);
    FPaused = true;
    return FOpen ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

int TSdlWaveOut::Restart()
{
    bool open = false;
    {
        std::lock_guard<std::mutex> guard(FLock);
        FPaused = false;
        open = FOpen;
    }
    if (FAttach && open)
        TAudioOutput::Instance().Wake();
    return open ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

bool TSdlWaveOut::Active()
{
    std::lock_guard<std::mutex> guard(FLock);
    return FOpen && !FPaused && !FQueue.empty();
}

uint64_t TSdlWaveOut::GetPosition()
{
    std::lock_guard<std::mutex> guard(FLock);
    return FPosition;
}

int TSdlWaveOut::Close()
{
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (!FOpen)
            return MMSYSERR_INVALHANDLE;
    }
    // After this no callback touches the queue or the blocks.
    if (FAttach)
        TAudioOutput::Instance().RemoveSource(this);
    std::lock_guard<std::mutex> guard(FLock);
    for (TWaveHeader* h : FQueue)
        h->Done = true;
    FQueue.clear();
    FOpen = false;
    FOnDone = nullptr;
    UiMailbox::Cancel(this);
    return MMSYSERR_NOERROR;
}

void TSdlWaveOut::PostDone(int blocks)
{
    for (int i = 0; i < blocks; ++i)
        UiMailbox::Post(this, FOnDone);
}

void TSdlWaveOut::MixInto(float* out, int frames)
{
    int finished = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (!FOpen || FPaused)
            return;
        int f = 0;
        while (f < frames && !FQueue.empty()) {
            TWaveHeader* head = FQueue.front();
            if (FOffset >= head->BufferLength) {
                head->Done = true;
                FQueue.pop_front();
                FOffset = 0;
                ++finished;
                continue;
            }
            const float level = (static_cast<int>(head->Data[FOffset]) - 128) / 128.0f;
            const int run = std::min(FRepeat - FRepeatDone, frames - f);
            for (int i = 0; i < run; ++i, ++f) {
                out[2 * f] += level;
                out[2 * f + 1] += level;
            }
            FRepeatDone += run;
            if (FRepeatDone == FRepeat) {
                FRepeatDone = 0;
                ++FOffset;
                ++FPosition;
            }
        }
        // A block whose last byte just played goes back now, not a period later.
        if (!FQueue.empty() && FOffset >= FQueue.front()->BufferLength) {
            FQueue.front()->Done = true;
            FQueue.pop_front();
            FOffset = 0;
            ++finished;
        }
    }
    PostDone(finished);
}
