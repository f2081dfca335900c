#include "platform/audio/audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// About 12 ms per callback: small enough that a sound effect starts with
// little delay, large enough for the synth to render in one go.
constexpr int RequestedFrames = 512;

} // namespace

TAudioOutput& TAudioOutput::Instance()
{
    static TAudioOutput output;
    return output;
}

TAudioOutput::TAudioOutput()
{
    if (!OpenDevice()) {
        std::fprintf(stderr, "tideglass: no sound device (%s); playing silently\n", SDL_GetError());
        // The dummy driver consumes audio in real time without a card, so
        // positions and song ends still move as they would with sound.
        // The hint outranks SDL_AUDIODRIVER, which named the driver that failed.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        OpenDevice();
    }
}

TAudioOutput::~TAudioOutput()
{
    if (FDevice != 0)
        SDL_CloseAudioDevice(FDevice);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TAudioOutput::OpenDevice()
{
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec want{};
    want.freq = SampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Channels;
    want.samples = RequestedFrames;
    want.callback = &TAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (FDevice == 0)
        return false;
    FPeriodFrames = have.samples;
    const char* driver = SDL_GetCurrentAudioDriver();
    FDriverName = driver ? driver : "";
    SDL_PauseAudioDevice(FDevice, 0);
    return true;
}

void TAudioOutput::AddSource(TAudioSource* source)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (std::find(FSources.begin(), FSources.end(), source) == FSources.end())
        FSources.push_back(source);
}

void TAudioOutput::RemoveSource(TAudioSource* source)
{
    // Taking the lock waits for a callback in flight, which holds it.
    std::lock_guard<std::mutex> lock(FLock);
    FSources.erase(std::remove(FSources.begin(), FSources.end(), source), FSources.end());
}

void TAudioOutput::Callback(void* self, uint8_t* stream, int len)
{
    const int frames = len / static_cast<int>(sizeof(float) * Channels);
    static_cast<TAudioOutput*>(self)->Fill(reinterpret_cast<float*>(stream), frames);
}

void TAudioOutput::Fill(float* out, int frames)
{
    std::fill(out, out + static_cast<size_t>(frames) * Channels, 0.0f);
    {
        std::lock_guard<std::mutex> lock(FLock);
        for (TAudioSource* source : FSources)
            source->MixInto(out, frames);
    }
    for (size_t i = 0, n = static_cast<size_t>(frames) * Channels; i < n; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}
