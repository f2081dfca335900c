// The library's exported names. The calls the engine makes work as it
// relies on; every other name is there so that a binding finds the whole
// set, and answers failure (0) with the error "not available".

#include "sound/bass/bass_engine.h"

#include <cstdint>

#define BASS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

TBassEngine& Engine()
{
    return TBassEngine::Instance();
}

int32_t Bool(bool value)
{
    return value ? 1 : 0;
}

} // namespace

BASS_EXPORT uint32_t BASS_GetVersion()
{
    return 2; // 2.0: high word 0, low word 2
}

BASS_EXPORT int32_t BASS_ErrorGetCode()
{
    return Engine().LastError();
}

BASS_EXPORT int32_t BASS_Init(int32_t, uint32_t, uint32_t, void*, const void*)
{
    // Every device number plays into the program's one audio output.
    return Bool(Engine().Init());
}

BASS_EXPORT int32_t BASS_Free()
{
    return Bool(Engine().Free());
}

BASS_EXPORT uint32_t BASS_SampleLoad(
    int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags)
{
    return Engine().SampleLoad(mem != 0, file, offset, length, max, flags);
}

BASS_EXPORT uint32_t BASS_SamplePlayEx(uint32_t handle, uint32_t, int32_t, int32_t volume, int32_t pan, int32_t loop)
{
    const uint32_t channel = Engine().SamplePlayEx(handle, volume, pan, loop > 0);
    if (channel != 0)
        Engine().WakeOutput();
    return channel;
}

BASS_EXPORT int32_t BASS_SampleFree(uint32_t handle)
{
    return Bool(Engine().SampleFree(handle));
}

BASS_EXPORT uint32_t BASS_ChannelIsActive(uint32_t handle)
{
    return Engine().ChannelIsActive(handle);
}

BASS_EXPORT int32_t BASS_ChannelStop(uint32_t handle)
{
    return Bool(Engine().ChannelStop(handle));
}

BASS_EXPORT uint32_t BASS_StreamCreateFile(
    int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    return Engine().StreamCreateFile(mem != 0, file, offset, length, flags);
}

BASS_EXPORT int32_t BASS_StreamPlay(uint32_t handle, int32_t flush, uint32_t flags)
{
    const bool playing = Engine().StreamPlay(handle, flush != 0, flags);
    if (playing)
        Engine().WakeOutput();
    return Bool(playing);
}

BASS_EXPORT int32_t BASS_StreamFree(uint32_t handle)
{
    return Bool(Engine().StreamFree(handle));
}

BASS_EXPORT int32_t BASS_ChannelGetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan)
{
    return Bool(Engine().GetAttributes(handle, freq, volume, pan));
}

BASS_EXPORT int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan)
{
    return Bool(Engine().SetAttributes(handle, freq, volume, pan));
}

BASS_EXPORT void TGBASS_MixInto(float* out, int32_t frames)
{
    Engine().MixInto(out, frames);
}

BASS_EXPORT int32_t TGBASS_IsPlaying()
{
    return Bool(Engine().IsPlaying());
}

BASS_EXPORT void TGBASS_SetWake(TBassWake wake)
{
    Engine().SetWake(wake);
}

#define BASS_UNAVAILABLE(name)                                                                                         \
    BASS_EXPORT uint32_t name()                                                                                        \
    {                                                                                                                  \
        return 0;                                                                                                      \
    }

BASS_UNAVAILABLE(BASS_SetConfig)
BASS_UNAVAILABLE(BASS_GetConfig)
BASS_UNAVAILABLE(BASS_GetDeviceDescription)
BASS_UNAVAILABLE(BASS_SetDevice)
BASS_UNAVAILABLE(BASS_GetDevice)
BASS_UNAVAILABLE(BASS_GetDSoundObject)
BASS_UNAVAILABLE(BASS_GetInfo)
BASS_UNAVAILABLE(BASS_Update)
BASS_UNAVAILABLE(BASS_GetCPU)
BASS_UNAVAILABLE(BASS_Start)
BASS_UNAVAILABLE(BASS_Stop)
BASS_UNAVAILABLE(BASS_Pause)
BASS_UNAVAILABLE(BASS_SetVolume)
BASS_UNAVAILABLE(BASS_GetVolume)
BASS_UNAVAILABLE(BASS_Set3DFactors)
BASS_UNAVAILABLE(BASS_Get3DFactors)
BASS_UNAVAILABLE(BASS_Set3DPosition)
BASS_UNAVAILABLE(BASS_Get3DPosition)
BASS_UNAVAILABLE(BASS_Apply3D)
BASS_UNAVAILABLE(BASS_SetEAXParameters)
BASS_UNAVAILABLE(BASS_GetEAXParameters)
BASS_UNAVAILABLE(BASS_MusicLoad)
BASS_UNAVAILABLE(BASS_MusicFree)
BASS_UNAVAILABLE(BASS_MusicGetName)
BASS_UNAVAILABLE(BASS_MusicGetLength)
BASS_UNAVAILABLE(BASS_MusicPreBuf)
BASS_UNAVAILABLE(BASS_MusicPlay)
BASS_UNAVAILABLE(BASS_MusicPlayEx)
BASS_UNAVAILABLE(BASS_MusicSetAmplify)
BASS_UNAVAILABLE(BASS_MusicSetPanSep)
BASS_UNAVAILABLE(BASS_MusicSetPositionScaler)
BASS_UNAVAILABLE(BASS_MusicSetVolume)
BASS_UNAVAILABLE(BASS_MusicGetVolume)
BASS_UNAVAILABLE(BASS_SampleCreate)
BASS_UNAVAILABLE(BASS_SampleCreateDone)
BASS_UNAVAILABLE(BASS_SampleGetInfo)
BASS_UNAVAILABLE(BASS_SampleSetInfo)
BASS_UNAVAILABLE(BASS_SamplePlay)
BASS_UNAVAILABLE(BASS_SamplePlay3D)
BASS_UNAVAILABLE(BASS_SamplePlay3DEx)
BASS_UNAVAILABLE(BASS_SampleStop)
BASS_UNAVAILABLE(BASS_StreamCreate)
BASS_UNAVAILABLE(BASS_StreamCreateURL)
BASS_UNAVAILABLE(BASS_StreamCreateFileUser)
BASS_UNAVAILABLE(BASS_StreamGetLength)
BASS_UNAVAILABLE(BASS_StreamGetTags)
BASS_UNAVAILABLE(BASS_StreamPreBuf)
BASS_UNAVAILABLE(BASS_StreamGetFilePosition)
BASS_UNAVAILABLE(BASS_RecordGetDeviceDescription)
BASS_UNAVAILABLE(BASS_RecordInit)
BASS_UNAVAILABLE(BASS_RecordSetDevice)
BASS_UNAVAILABLE(BASS_RecordGetDevice)
BASS_UNAVAILABLE(BASS_RecordFree)
BASS_UNAVAILABLE(BASS_RecordGetInfo)
BASS_UNAVAILABLE(BASS_RecordGetInputName)
BASS_UNAVAILABLE(BASS_RecordSetInput)
BASS_UNAVAILABLE(BASS_RecordGetInput)
BASS_UNAVAILABLE(BASS_RecordStart)
BASS_UNAVAILABLE(BASS_ChannelBytes2Seconds)
BASS_UNAVAILABLE(BASS_ChannelSeconds2Bytes)
BASS_UNAVAILABLE(BASS_ChannelGetDevice)
BASS_UNAVAILABLE(BASS_ChannelGetInfo)
BASS_UNAVAILABLE(BASS_ChannelPause)
BASS_UNAVAILABLE(BASS_ChannelResume)
BASS_UNAVAILABLE(BASS_ChannelSlideAttributes)
BASS_UNAVAILABLE(BASS_ChannelIsSliding)
BASS_UNAVAILABLE(BASS_ChannelSet3DAttributes)
BASS_UNAVAILABLE(BASS_ChannelGet3DAttributes)
BASS_UNAVAILABLE(BASS_ChannelSet3DPosition)
BASS_UNAVAILABLE(BASS_ChannelGet3DPosition)
BASS_UNAVAILABLE(BASS_ChannelSetPosition)
BASS_UNAVAILABLE(BASS_ChannelGetPosition)
BASS_UNAVAILABLE(BASS_ChannelGetLevel)
BASS_UNAVAILABLE(BASS_ChannelGetData)
BASS_UNAVAILABLE(BASS_ChannelSetSync)
BASS_UNAVAILABLE(BASS_ChannelRemoveSync)
BASS_UNAVAILABLE(BASS_ChannelSetDSP)
BASS_UNAVAILABLE(BASS_ChannelRemoveDSP)
BASS_UNAVAILABLE(BASS_ChannelSetEAXMix)
BASS_UNAVAILABLE(BASS_ChannelGetEAXMix)
BASS_UNAVAILABLE(BASS_ChannelSetLink)
BASS_UNAVAILABLE(BASS_ChannelRemoveLink)
BASS_UNAVAILABLE(BASS_ChannelSetFX)
BASS_UNAVAILABLE(BASS_ChannelRemoveFX)
BASS_UNAVAILABLE(BASS_FXSetParameters)
BASS_UNAVAILABLE(BASS_FXGetParameters)
