#include "sound/bass_binding.h"

#include "platform/audio/audio_output.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace {

// Feeds the library's mixing call to the shared output. A library that
// cannot say whether it plays counts as always playing.
class TBassSource : public TAudioSource {
public:
    TBassSource(TBassMixInto mix, TBassIsPlaying playing) : FMix(mix), FPlaying(playing) {}
    void MixInto(float* out, int frames) override { FMix(out, frames); }
    bool Active() override { return FPlaying == nullptr || FPlaying() != 0; }

private:
    TBassMixInto FMix;
    TBassIsPlaying FPlaying;
};

void WakeOutput()
{
    TAudioOutput::Instance().Wake();
}

template <typename T>
T Bind(void* entry)
{
    return reinterpret_cast<T>(entry);
}

} // namespace

const char* const TBass::LibraryFileName = "libbass.so";

const std::array<const char*, TBass::EntryCount> TBass::EntryNames = {
    "BASS_SetConfig",
    "BASS_GetConfig",
    "BASS_GetVersion",
    "BASS_GetDeviceDescription",
    "BASS_ErrorGetCode",
    "BASS_Init",
    "BASS_SetDevice",
    "BASS_GetDevice",
    "BASS_Free",
    "BASS_GetDSoundObject",
    "BASS_GetInfo",
    "BASS_Update",
    "BASS_GetCPU",
    "BASS_Start",
    "BASS_Stop",
    "BASS_Pause",
    "BASS_SetVolume",
    "BASS_GetVolume",
    "BASS_Set3DFactors",
    "BASS_Get3DFactors",
    "BASS_Set3DPosition",
    "BASS_Get3DPosition",
    "BASS_Apply3D",
    "BASS_SetEAXParameters",
    "BASS_GetEAXParameters",
    "BASS_MusicLoad",
    "BASS_MusicFree",
    "BASS_MusicGetName",
    "BASS_MusicGetLength",
    "BASS_MusicPreBuf",
    "BASS_MusicPlay",
    "BASS_MusicPlayEx",
    "BASS_MusicSetAmplify",
    "BASS_MusicSetPanSep",
    "BASS_MusicSetPositionScaler",
    "BASS_MusicSetVolume",
    "BASS_MusicGetVolume",
    "BASS_SampleLoad",
    "BASS_SampleCreate",
    "BASS_SampleCreateDone",
    "BASS_SampleFree",
    "BASS_SampleGetInfo",
    "BASS_SampleSetInfo",
    "BASS_SamplePlay",
    "BASS_SamplePlayEx",
    "BASS_SamplePlay3D",
    "BASS_SamplePlay3DEx",
    "BASS_SampleStop",
    "BASS_StreamCreate",
    "BASS_StreamCreateFile",
    "BASS_StreamCreateURL",
    "BASS_StreamCreateFileUser",
    "BASS_StreamFree",
    "BASS_StreamGetLength",
    "BASS_StreamGetTags",
    "BASS_StreamPreBuf",
    "BASS_StreamPlay",
    "BASS_StreamGetFilePosition",
    "BASS_RecordGetDeviceDescription",
    "BASS_RecordInit",
    "BASS_RecordSetDevice",
    "BASS_RecordGetDevice",
    "BASS_RecordFree",
    "BASS_RecordGetInfo",
    "BASS_RecordGetInputName",
    "BASS_RecordSetInput",
    "BASS_RecordGetInput",
    "BASS_RecordStart",
    "BASS_ChannelBytes2Seconds",
    "BASS_ChannelSeconds2Bytes",
    "BASS_ChannelGetDevice",
    "BASS_ChannelIsActive",
    "BASS_ChannelGetInfo",
    "BASS_ChannelStop",
    "BASS_ChannelPause",
    "BASS_ChannelResume",
    "BASS_ChannelSetAttributes",
    "BASS_ChannelGetAttributes",
    "BASS_ChannelSlideAttributes",
    "BASS_ChannelIsSliding",
    "BASS_ChannelSet3DAttributes",
    "BASS_ChannelGet3DAttributes",
    "BASS_ChannelSet3DPosition",
    "BASS_ChannelGet3DPosition",
    "BASS_ChannelSetPosition",
    "BASS_ChannelGetPosition",
    "BASS_ChannelGetLevel",
    "BASS_ChannelGetData",
    "BASS_ChannelSetSync",
    "BASS_ChannelRemoveSync",
    "BASS_ChannelSetDSP",
    "BASS_ChannelRemoveDSP",
    "BASS_ChannelSetEAXMix",
    "BASS_ChannelGetEAXMix",
    "BASS_ChannelSetLink",
    "BASS_ChannelRemoveLink",
    "BASS_ChannelSetFX",
    "BASS_ChannelRemoveFX",
    "BASS_FXSetParameters",
    "BASS_FXGetParameters",
};

std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string TBass::LibraryPath(const std::string& programFolder)
{
    const std::string beside = programFolder + LibraryFileName;
#ifdef TG_BASS_PRIVATE_DIR
    const std::string installed = programFolder + TG_BASS_PRIVATE_DIR "/" + LibraryFileName;
    if (::access(beside.c_str(), F_OK) != 0 && ::access(installed.c_str(), F_OK) == 0)
        return installed;
#endif
    return beside;
}

TBass::TBass()
{
    Load(LibraryPath(ProgramFolder()));
}

TBass::TBass(const std::string& path)
{
    Load(path);
}

TBass::~TBass()
{
    Stop();
    // No callback may run library code once it is unloaded.
    if (FSource) {
        if (FSetWake != nullptr)
            FSetWake(nullptr);
        TAudioOutput::Instance().RemoveSource(FSource.get());
    }
    if (FHandle != nullptr)
        dlclose(FHandle);
}

void TBass::Load(const std::string& path)
{
    FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle == nullptr)
        return;
    for (size_t i = 0; i < EntryNames.size(); ++i)
        FEntries[i] = dlsym(FHandle, EntryNames[i]);
    auto entry = [this](const char* name) {
        for (size_t i = 0; i < EntryNames.size(); ++i)
            if (std::string_view(EntryNames[i]) == name)
                return FEntries[i];
        return static_cast<void*>(nullptr);
    };
    BASS_GetVersion = Bind<TBassGetVersion>(entry("BASS_GetVersion"));
    BASS_Init = Bind<TBassInit>(entry("BASS_Init"));
    BASS_Free = Bind<TBassFree>(entry("BASS_Free"));
    BASS_SampleLoad = Bind<TBassSampleLoad>(entry("BASS_SampleLoad"));
    BASS_SamplePlayEx = Bind<TBassSamplePlayEx>(entry("BASS_SamplePlayEx"));
    BASS_ChannelIsActive = Bind<TBassChannelIsActive>(entry("BASS_ChannelIsActive"));
    BASS_SampleFree = Bind<TBassSampleFree>(entry("BASS_SampleFree"));
    BASS_StreamCreateFile = Bind<TBassStreamCreateFile>(entry("BASS_StreamCreateFile"));
    BASS_StreamPlay = Bind<TBassStreamPlay>(entry("BASS_StreamPlay"));
    BASS_StreamFree = Bind<TBassStreamFree>(entry("BASS_StreamFree"));
    BASS_ChannelGetAttributes = Bind<TBassChannelGetAttributes>(entry("BASS_ChannelGetAttributes"));
    BASS_ChannelSetAttributes = Bind<TBassChannelSetAttributes>(entry("BASS_ChannelSetAttributes"));
    FMixInto = Bind<TBassMixInto>(dlsym(FHandle, "TGBASS_MixInto"));
    // Both or neither: a library that could sleep but not wake the output
    // would leave it asleep.
    FIsPlaying = Bind<TBassIsPlaying>(dlsym(FHandle, "TGBASS_IsPlaying"));
    FSetWake = Bind<TBassSetWake>(dlsym(FHandle, "TGBASS_SetWake"));
    if (FIsPlaying == nullptr || FSetWake == nullptr)
        FIsPlaying = nullptr, FSetWake = nullptr;
}

bool TBass::HasEngineCalls() const
{
    return BASS_GetVersion && BASS_Init && BASS_Free && BASS_SampleLoad && BASS_SamplePlayEx && BASS_ChannelIsActive &&
           BASS_SampleFree && BASS_StreamCreateFile && BASS_StreamPlay && BASS_StreamFree &&
           BASS_ChannelGetAttributes && BASS_ChannelSetAttributes;
}

bool TBass::Start(void* window)
{
    if (FStarted)
        return true;
    // A library that lacks a call the engine makes is not used at all: the
    // engine must never reach an empty entry.
    if (!IsLoaded() || !HasEngineCalls() || BASS_GetVersion() != BASS_VERSION_2_0)
        return false;
    if (BASS_Init(1, 44100, 0, window, nullptr) == 0)
        return false;
    FStarted = true;
    if (FMixInto != nullptr && !FSource) {
        FSource = std::make_unique<TBassSource>(FMixInto, FIsPlaying);
        if (FSetWake != nullptr)
            FSetWake(&WakeOutput);
        TAudioOutput::Instance().AddSource(FSource.get());
    }
    return true;
}

void TBass::Stop()
{
    if (!FStarted)
        return;
    FStarted = false;
    BASS_Free();
}
