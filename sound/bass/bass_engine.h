#pragma once
// The library's state behind its exported calls: samples decoded whole at
// load, streams decoded as they play, all mixed on demand into the caller's
// 44100 Hz float stereo buffer. Calls come from the UI thread, mixing from
// the audio thread; one lock keeps them apart.

#include "sound/bass/bass_decoder.h"
#include "sound/bass_api.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// Error codes the library reports through its error call.
enum : int32_t {
    BASS_OK = 0,
    BASS_ERROR_MEM = 1,
    BASS_ERROR_FILEOPEN = 2,
    BASS_ERROR_HANDLE = 5,
    BASS_ERROR_INIT = 8,
    BASS_ERROR_ALREADY = 14,
    BASS_ERROR_NOCHAN = 18,
    BASS_ERROR_ILLPARAM = 20,
    BASS_ERROR_FILEFORM = 41,
    BASS_ERROR_NOTAVAIL = 37,
};

class TBassEngine {
public:
    static TBassEngine& Instance();

    int32_t LastError() const { return FError; }
    bool Init();
    bool Free();
    uint32_t SampleLoad(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags);
    bool SampleFree(uint32_t handle);
    uint32_t SamplePlayEx(uint32_t handle, int32_t volume, int32_t pan, bool loop);
    uint32_t StreamCreateFile(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
    bool StreamPlay(uint32_t handle, bool flush, uint32_t flags);
    bool StreamFree(uint32_t handle);
    uint32_t ChannelIsActive(uint32_t handle);
    bool ChannelStop(uint32_t handle);
    bool GetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan);
    bool SetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan);
    void MixInto(float* out, int frames);
    // Whether a sample voice or a stream plays.
    bool IsPlaying();
    // The output's wake-up call, made when a channel starts.
    void SetWake(TBassWake wake) { FWake = wake; }
    void WakeOutput()
    {
        if (TBassWake wake = FWake)
            wake();
    }

private:
    struct TVoice {
        bool Active = false;
        size_t Pos = 0; // frame
        float Volume = 1.0f;
        int32_t Pan = 0;
        bool Loop = false;
    };
    struct TSample {
        std::vector<float> Frames; // 44100 Hz stereo
        uint32_t Flags = 0;
        int DefaultVolume = 100;
        std::vector<TVoice> Voices;
    };
    struct TStream {
        std::unique_ptr<TBassDecoder> Decoder;
        bool Playing = false;
        bool Loop = false;
        int Volume = 100;
        int32_t Pan = 0;
    };

    bool Fail(int32_t code);
    TVoice* FindVoice(uint32_t handle);
    static void AddFrames(float* out, const float* in, int frames, float volume, int32_t pan);

    std::mutex FLock;
    bool FInit = false;
    int32_t FError = BASS_OK;
    uint32_t FNextId = 1;
    std::map<uint32_t, TSample> FSamples;
    std::map<uint32_t, TStream> FStreams;
    std::vector<float> FScratch;
    std::atomic<TBassWake> FWake{nullptr};
};
