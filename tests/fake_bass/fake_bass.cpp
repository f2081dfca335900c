// A stand-in for the outside audio library that only records the calls it
// gets. Built twice: whole, and without BASS_SamplePlayEx (FAKE_BASS_PARTIAL)
// to stand for a library that lacks a call the engine makes. Tests steer it
// through the FakeBass_ functions.

#include <cstdint>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string Log;
uint32_t Version = 2;
int32_t InitResult = 1;

void Record(const std::string& call)
{
    Log += call + ";";
}

} // namespace

FAKE_EXPORT void FakeBass_Set(uint32_t version, int32_t initResult)
{
    Version = version;
    InitResult = initResult;
    Log.clear();
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

#define FAKE_CALL(name)                                                                                        \
    FAKE_EXPORT uint32_t name()                                                                                \
    {                                                                                                          \
        Record(#name);                                                                                         \
        return 0;                                                                                              \
    }

FAKE_CALL(BASS_SampleLoad)
#ifndef FAKE_BASS_PARTIAL
FAKE_CALL(BASS_SamplePlayEx)
#endif
FAKE_CALL(BASS_ChannelIsActive)
FAKE_CALL(BASS_SampleFree)
FAKE_CALL(BASS_StreamCreateFile)
FAKE_CALL(BASS_StreamPlay)
FAKE_CALL(BASS_StreamFree)
FAKE_CALL(BASS_ChannelGetAttributes)
FAKE_CALL(BASS_ChannelSetAttributes)
