// A stand-in for the outside audio library that records the calls it gets
// and answers them with numbered handles. Built twice: whole, and without BASS_SamplePlayEx (FAKE_BASS_PARTIAL)
// to stand for a library that lacks a call the engine makes. Tests steer it
// through the FakeBass_ functions.

#include <cstdint>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string Log;
uint32_t Version = 2;
int32_t InitResult = 1;
// What the playing calls answer: whether a sample still plays, the volume
// of a music stream, and whether loads fail.
uint32_t Active = 1;
uint32_t Volume = 100;
bool Fails = false;
uint32_t LastHandle = 0;

void Record(const std::string& call)
{
    Log += call + ";";
}

} // namespace

FAKE_EXPORT void FakeBass_Set(uint32_t version, int32_t initResult)
{
    Version = version;
    InitResult = initResult;
    Active = 1;
    Volume = 100;
    Fails = false;
    LastHandle = 0;
    Log.clear();
}

// Whether samples still play (1) or have ended (0); the volume a music
// stream reports; loads and stream creations fail when `fails` is nonzero.
FAKE_EXPORT void FakeBass_SetPlay(uint32_t active, uint32_t volume, int32_t fails)
{
    Active = active;
    Volume = volume;
    Fails = fails != 0;
}

FAKE_EXPORT const char* FakeBass_Log()
{
    return Log.c_str();
}

FAKE_EXPORT uint32_t BASS_GetVersion()
{
    Record("GetVersion");
    return Version;
}

FAKE_EXPORT int32_t BASS_Init(int32_t device, uint32_t freq, uint32_t flags, void*, const void* clsid)
{
    Record("Init(" + std::to_string(device) + "," + std::to_string(freq) + "," + std::to_string(flags) + "," +
           (clsid == nullptr ? "nil" : "clsid") + ")");
    return InitResult;
}

FAKE_EXPORT int32_t BASS_Free()
{
    Record("Free");
    return 1;
}

FAKE_EXPORT uint32_t BASS_SampleLoad(
    int32_t mem, const void*, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags)
{
    const uint32_t handle = Fails ? 0 : ++LastHandle;
    Record("SampleLoad(" + std::to_string(mem) + "," + std::to_string(offset) + "," + std::to_string(length) + "," +
           std::to_string(max) + "," + std::to_string(flags) + ")=" + std::to_string(handle));
    return handle;
}

#ifndef FAKE_BASS_PARTIAL
FAKE_EXPORT uint32_t BASS_SamplePlayEx(
    uint32_t handle, uint32_t start, int32_t freq, int32_t volume, int32_t pan, int32_t loop)
{
    Record("SamplePlayEx(" + std::to_string(handle) + "," + std::to_string(start) + "," + std::to_string(freq) + "," +
           std::to_string(volume) + "," + std::to_string(pan) + "," + std::to_string(loop) + ")");
    return handle;
}
#endif

FAKE_EXPORT uint32_t BASS_ChannelIsActive(uint32_t)
{
    return Active;
}

FAKE_EXPORT int32_t BASS_SampleFree(uint32_t handle)
{
    Record("SampleFree(" + std::to_string(handle) + ")");
    return 1;
}

FAKE_EXPORT uint32_t BASS_StreamCreateFile(
    int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    const uint32_t handle = Fails ? 0 : ++LastHandle;
    Record("StreamCreateFile(" + std::to_string(mem) + "," + static_cast<const char*>(file) + "," +
           std::to_string(offset) + "," + std::to_string(length) + "," + std::to_string(flags) +
           ")=" + std::to_string(handle));
    return handle;
}

FAKE_EXPORT int32_t BASS_StreamPlay(uint32_t handle, int32_t flush, uint32_t flags)
{
    Record("StreamPlay(" + std::to_string(handle) + "," + std::to_string(flush) + "," + std::to_string(flags) + ")");
    return 1;
}

FAKE_EXPORT int32_t BASS_StreamFree(uint32_t handle)
{
    Record("StreamFree(" + std::to_string(handle) + ")");
    return 1;
}

FAKE_EXPORT int32_t BASS_ChannelGetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan)
{
    Record("ChannelGetAttributes(" + std::to_string(handle) + ")");
    *freq = 44100;
    *volume = Volume;
    *pan = 0;
    return 1;
}

FAKE_EXPORT int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan)
{
    Record("ChannelSetAttributes(" + std::to_string(handle) + "," + std::to_string(freq) + "," +
           std::to_string(volume) + "," + std::to_string(pan) + ")");
    return 1;
}
