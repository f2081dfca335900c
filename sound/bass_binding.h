#pragma once
// TBass: the outside audio library bound at run time, so that the engine
// runs without it. Our own build of it ("libbass.so") is looked for in the
// program's folder, then in the private library folder of an installation
// (lib/tideglass/ beside the program's bin/); every one of its 100 names is
// bound by name, and a name the library lacks leaves its entry empty.
//
// The engine uses the library only when Start succeeds: every call the
// engine makes is bound, the version is 2.0 and the library initialises.
// Otherwise sound effects go to the wave mixer and music other than MIDI
// stays silent.

#include "sound/bass_api.h"

#include <array>
#include <memory>
#include <string>

class TAudioSource;

class TBass {
public:
    static constexpr int EntryCount = 100;
    static const std::array<const char*, EntryCount> EntryNames;
    // The library's file name in the program's folder.
    static const char* const LibraryFileName;

    // The library for the program in `programFolder` (ending in "/"): the
    // one beside the program, else the one in the private folder of an
    // installation; the path beside the program when neither is there.
    static std::string LibraryPath(const std::string& programFolder);

    // Loads the library found for this program (LibraryPath).
    TBass();
    // Loads the library at `path`.
    explicit TBass(const std::string& path);
    ~TBass();
    TBass(const TBass&) = delete;
    TBass& operator=(const TBass&) = delete;

    bool IsLoaded() const { return FHandle != nullptr; }
    // Every call the engine makes is bound.
    bool HasEngineCalls() const;
    // Checks the version (2), calls BASS_Init(1, 44100, 0, window, nullptr)
    // and, on success, feeds the library's sound to the shared audio output.
    // No message either way.
    bool Start(void* window);
    // BASS_Free when Start succeeded.
    void Stop();
    bool Started() const { return FStarted; }

    // The bound entry of EntryNames[index], nullptr when the library lacks it.
    void* Entry(int index) const { return FEntries[static_cast<size_t>(index)]; }

    // The calls the engine makes.
    TBassGetVersion BASS_GetVersion = nullptr;
    TBassInit BASS_Init = nullptr;
    TBassFree BASS_Free = nullptr;
    TBassSampleLoad BASS_SampleLoad = nullptr;
    TBassSamplePlayEx BASS_SamplePlayEx = nullptr;
    TBassChannelIsActive BASS_ChannelIsActive = nullptr;
    TBassSampleFree BASS_SampleFree = nullptr;
    TBassStreamCreateFile BASS_StreamCreateFile = nullptr;
    TBassStreamPlay BASS_StreamPlay = nullptr;
    TBassStreamFree BASS_StreamFree = nullptr;
    TBassChannelGetAttributes BASS_ChannelGetAttributes = nullptr;
    TBassChannelSetAttributes BASS_ChannelSetAttributes = nullptr;

private:
    void Load(const std::string& path);

    void* FHandle = nullptr;
    std::array<void*, EntryCount> FEntries{};
    TBassMixInto FMixInto = nullptr;
    TBassIsPlaying FIsPlaying = nullptr;
    TBassSetWake FSetWake = nullptr;
    std::unique_ptr<TAudioSource> FSource;
    bool FStarted = false;
};

// The folder of the running program, with a trailing separator.
std::string ProgramFolder();
