#pragma once
// The calls of the outside audio library that the engine makes, as plain C
// functions with fixed-width types: handles are 32-bit, Booleans 32-bit
// (non-zero true). Our own build of the library (sound/bass/) implements
// them; TBass binds them by name.

#include <cstdint>

extern "C" {
using TBassGetVersion = uint32_t (*)();
using TBassInit = int32_t (*)(int32_t device, uint32_t freq, uint32_t flags, void* window, const void* clsid);
using TBassFree = int32_t (*)();
using TBassSampleLoad = uint32_t (*)(
    int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags);
using TBassSamplePlayEx = uint32_t (*)(
    uint32_t handle, uint32_t start, int32_t freq, int32_t volume, int32_t pan, int32_t loop);
using TBassChannelIsActive = uint32_t (*)(uint32_t handle);
using TBassSampleFree = int32_t (*)(uint32_t handle);
using TBassStreamCreateFile = uint32_t (*)(
    int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
using TBassStreamPlay = int32_t (*)(uint32_t handle, int32_t flush, uint32_t flags);
using TBassStreamFree = int32_t (*)(uint32_t handle);
using TBassChannelGetAttributes = int32_t (*)(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan);
using TBassChannelSetAttributes = int32_t (*)(uint32_t handle, int32_t freq, int32_t volume, int32_t pan);
// Ours, beyond the library's names: adds the library's sound (44100 Hz
// float stereo, interleaved) into `out`. The binding feeds it to the shared
// audio output, so the library opens no device of its own.
using TBassMixInto = void (*)(float* out, int32_t frames);
// Whether anything still plays (non-zero) or the library is silent until a
// channel starts.
using TBassIsPlaying = int32_t (*)();
// Registers the call the library makes when a channel starts to play, so
// that a sleeping output wakes up; null for none.
using TBassWake = void (*)();
using TBassSetWake = void (*)(TBassWake wake);
}

constexpr uint32_t BASS_VERSION_2_0 = 2;
constexpr uint32_t BASS_SAMPLE_LOOP = 4;
constexpr uint32_t BASS_SAMPLE_OVER_POS = 0x20000;
constexpr uint32_t BASS_ACTIVE_STOPPED = 0;
constexpr uint32_t BASS_ACTIVE_PLAYING = 1;
