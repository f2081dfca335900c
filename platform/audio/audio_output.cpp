#include "platform/audio/audio_output.h"

#include "platform/audio/sdl_api.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// About 23 ms per callback: a sound effect starts within one, while the
// audio thread wakes 43 times a second; music keeps its own timing inside
// the block (the ticks).
constexpr int RequestedFrames = 1024;
// Below this a sample counts as silence (about -120 dB): a synth's reverb
// dies away towards zero without ever quite reaching it.
constexpr float SilenceLevel = 1.0e-6f;

} // namespace

TAudioOutput& TAudioOutput::Instance()
{
    static TAudioOutput output;
    return output;
}

TAudioOutput::TAudioOutput()
{
    const TSdlApi& Sdl = SdlApi();
    if (!Sdl.Failure.empty()) {
        std::fprintf(stderr, "tideglass: no sound device (%s); playing silently\n", Sdl.Failure.c_str());
        return;
    }
    if (!OpenDevice()) {
        std::fprintf(stderr, "tideglass: no sound device (%s); playing silently\n", Sdl.SDL_GetError());
        // The dummy driver consumes audio in real time without a card, so
        // positions and song ends still move as they would with sound.
        // The hint outranks SDL_AUDIODRIVER, which named the driver that failed.
        Sdl.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        Sdl.SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        OpenDevice();
    }
}

TAudioOutput::~TAudioOutput()
{
    // Closing the device waits for the audio thread, which must not sleep.
    FClosing = true;
    Wake();
    const TSdlApi& Sdl = SdlApi();
    if (!Sdl.Failure.empty())
        return;
    if (FDevice != 0)
        Sdl.SDL_CloseAudioDevice(FDevice);
    Sdl.SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TAudioOutput::OpenDevice()
{
    const TSdlApi& Sdl = SdlApi();
    if (Sdl.SDL_WasInit(SDL_INIT_AUDIO) == 0 && Sdl.SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec want{};
    want.freq = SampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Channels;
    want.samples = RequestedFrames;
    want.callback = &TAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    FDevice = Sdl.SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (FDevice == 0)
        return false;
    FPeriodFrames = have.samples;
    const char* driver = Sdl.SDL_GetCurrentAudioDriver();
    FDriverName = driver ? driver : "";
    Sdl.SDL_PauseAudioDevice(FDevice, 0);
    return true;
}

void TAudioOutput::AddSource(TAudioSource* source)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (std::find(FSources.begin(), FSources.end(), source) == FSources.end())
            FSources.push_back(source);
    }
    Wake();
}

void TAudioOutput::Wake()
{
    // Either this sees the audio thread asleep, or the thread, about to
    // sleep, sees the new count and does not: both sides use sequentially
    // consistent order.
    FWakes.fetch_add(1);
    if (FAsleep.load()) {
        std::lock_guard<std::mutex> lock(FSleepLock);
        FWoken.notify_one();
    }
}

void TAudioOutput::SleepUntilWoken(uint64_t wakes)
{
    std::unique_lock<std::mutex> lock(FSleepLock);
    FAsleep = true;
    FWoken.wait(lock, [&] { return FWakes.load() != wakes || FClosing.load(); });
    FAsleep = false;
}

void TAudioOutput::RemoveSource(TAudioSource* source)
{
    // Taking the lock waits for a callback in flight, which holds it.
    std::lock_guard<std::mutex> lock(FLock);
    FSources.erase(std::remove(FSources.begin(), FSources.end(), source), FSources.end());
}

namespace {

// The output whose ticks this thread is running, if any.
thread_local const TAudioOutput* TickingOutput = nullptr;
// The frame the block being mixed on this thread starts at.
thread_local uint64_t MixingAt = 0;

uint64_t FrameOfMs(uint64_t ms)
{
    return (ms * TAudioOutput::SampleRate + 999) / 1000;
}

} // namespace

bool TAudioOutput::AddTicker(TAudioTicker* ticker, uint32_t periodMs)
{
    if (FDevice == 0 || periodMs == 0)
        return false;
    {
        // A tick adding one already holds the lock.
        std::unique_lock<std::mutex> lock(FTickLock, std::defer_lock);
        if (TickingOutput != this)
            lock.lock();
        FTickers.push_back({ticker, periodMs, uint64_t(ClockMs()) + periodMs, false});
        FHasTickers = true;
    }
    Wake();
    return true;
}

void TAudioOutput::RemoveTicker(TAudioTicker* ticker)
{
    if (TickingOutput == this) {
        // Inside a tick: the loop that runs them drops it when it is done.
        for (TTickerEntry& e : FTickers)
            if (e.Ticker == ticker)
                e.Removed = true;
        return;
    }
    std::lock_guard<std::mutex> lock(FTickLock);
    std::erase_if(FTickers, [&](const TTickerEntry& e) { return e.Ticker == ticker; });
    FHasTickers = !FTickers.empty();
}

uint32_t TAudioOutput::ClockMs() const
{
    const uint64_t frames = TickingOutput == this ? FTickFrame : FClockFrames.load();
    return static_cast<uint32_t>(frames * 1000 / SampleRate);
}

uint64_t TAudioOutput::TickFrame()
{
    return TickingOutput ? TickingOutput->FTickFrame : 0;
}

uint64_t TAudioOutput::MixingFrame()
{
    return MixingAt;
}

void TAudioOutput::RunTicksBefore(uint64_t end)
{
    std::lock_guard<std::mutex> lock(FTickLock);
    TickingOutput = this;
    // The earliest due first, each at its own time. By index: a tick may
    // add a ticker, which waits its period.
    for (;;) {
        TTickerEntry* next = nullptr;
        for (TTickerEntry& e : FTickers)
            if (!e.Removed && FrameOfMs(e.DueMs) < end && (!next || e.DueMs < next->DueMs))
                next = &e;
        if (!next)
            break;
        FTickFrame = std::max(FrameOfMs(next->DueMs), FClockFrames.load());
        next->DueMs += next->PeriodMs;
        next->Ticker->AudioTick();
    }
    TickingOutput = nullptr;
    std::erase_if(FTickers, [](const TTickerEntry& e) { return e.Removed; });
    FHasTickers = !FTickers.empty();
}

void TAudioOutput::Callback(void* self, uint8_t* stream, int len)
{
    const int frames = len / static_cast<int>(sizeof(float) * Channels);
    static_cast<TAudioOutput*>(self)->Fill(reinterpret_cast<float*>(stream), frames);
}

void TAudioOutput::Fill(float* out, int frames)
{
    // The previous block was silence and nothing was left to play: sleep
    // until a source may sound again. A Wake() since that block's start
    // means one may have started meanwhile, so no sleep then.
    if (FQuiet && !FClosing)
        SleepUntilWoken(FWakesSeen);
    FWakesSeen = FWakes.load();
    const size_t n = static_cast<size_t>(frames) * Channels;
    std::fill(out, out + n, 0.0f);
    // The ticks due within the block run before it is mixed, each at its
    // own time: what a tick sends carries that time (TickFrame), and a
    // source that honours it, the synth, makes it sound from that frame.
    const uint64_t start = FClockFrames;
    if (FHasTickers)
        RunTicksBefore(start + static_cast<uint64_t>(frames));
    MixingAt = start;
    bool active = MixSources(out, frames) || FHasTickers;
    MixingAt = 0;
    FClockFrames = start + static_cast<uint64_t>(frames);
    bool silent = true;
    for (size_t i = 0; i < n; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
        silent = silent && std::abs(out[i]) < SilenceLevel;
    }
    FQuiet = silent && !active;
}

bool TAudioOutput::MixSources(float* out, int frames)
{
    bool active = false;
    std::lock_guard<std::mutex> lock(FLock);
    for (TAudioSource* source : FSources) {
        source->MixInto(out, frames);
        active = source->Active() || active;
    }
    return active;
}
