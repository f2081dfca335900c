#pragma once
// SDL's audio functions, from the SDL library opened when the audio output
// first opens (not at start-up). Without the library the output has no
// device and the program plays silently.

#include <SDL.h>

#include <string>

// clang-format off
#define TG_SDL_FUNCTIONS(X) \
    X(SDL_CloseAudioDevice) \
    X(SDL_GetAudioDeviceName) \
    X(SDL_GetCurrentAudioDriver) \
    X(SDL_GetDefaultAudioInfo) \
    X(SDL_GetError) \
    X(SDL_GetNumAudioDevices) \
    X(SDL_InitSubSystem) \
    X(SDL_OpenAudioDevice) \
    X(SDL_PauseAudioDevice) \
    X(SDL_QuitSubSystem) \
    X(SDL_SetHintWithPriority) \
    X(SDL_WasInit) \
    X(SDL_free)
// clang-format on

struct TSdlApi {
#define TG_SDL_DECLARE(name) decltype(&::name) name = nullptr;
    TG_SDL_FUNCTIONS(TG_SDL_DECLARE)
#undef TG_SDL_DECLARE
    // Why SDL cannot be used; empty when it can.
    std::string Failure;
};

const TSdlApi& SdlApi();
