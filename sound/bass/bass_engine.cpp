#include "sound/bass/bass_engine.h"

#include <algorithm>

namespace {

// Handles name their kind in the top bits; a channel of a sample carries the
// sample's number and the voice.
constexpr uint32_t KindMask = 0xF0000000;
constexpr uint32_t SampleKind = 0x10000000;
constexpr uint32_t ChannelKind = 0x20000000;
constexpr uint32_t StreamKind = 0x30000000;
constexpr uint32_t MaxVoices = 0xFF;
constexpr uint32_t SampleLoop = 4;
constexpr uint32_t OverPosition = 0x20000;
// A sample is decoded whole into memory: at most ten minutes of it.
constexpr size_t MaxSampleFrames = size_t{600} * 44100;

uint32_t ChannelHandle(uint32_t sample, uint32_t voice)
{
    return ChannelKind | ((sample & 0x000FFFFF) << 8) | voice;
}

} // namespace

TBassEngine& TBassEngine::Instance()
{
    static TBassEngine engine;
    return engine;
}

bool TBassEngine::Fail(int32_t code)
{
    FError = code;
    return false;
}

bool TBassEngine::Init()
{
    std::lock_guard<std::mutex> guard(FLock);
    if (FInit)
        return Fail(BASS_ERROR_ALREADY);
    FInit = true;
    FError = BASS_OK;
    return true;
}

bool TBassEngine::Free()
{
    std::lock_guard<std::mutex> guard(FLock);
    if (!FInit)
        return Fail(BASS_ERROR_INIT);
    FSamples.clear();
    FStreams.clear();
    FInit = false;
    FError = BASS_OK;
    return true;
}

uint32_t TBassEngine::SampleLoad(
    bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags)
{
    // Decoding happens before the lock: it may take a while, and the audio
    // thread must not wait for it.
    std::unique_ptr<TBassDecoder> decoder;
    if (mem)
        decoder =
            file != nullptr ? TBassDecoder::FromMemory(static_cast<const uint8_t*>(file) + offset, length) : nullptr;
    else
        decoder = TBassDecoder::FromFile(static_cast<const char*>(file), offset, length);
    TSample sample;
    bool tooLong = false;
    if (decoder) {
        float chunk[2 * 1024];
        for (int got; !tooLong && (got = decoder->Read(chunk, 1024)) > 0;) {
            sample.Frames.insert(sample.Frames.end(), chunk, chunk + 2 * got);
            tooLong = sample.Frames.size() > 2 * MaxSampleFrames;
        }
    }
    std::lock_guard<std::mutex> guard(FLock);
    if (!FInit)
        return Fail(BASS_ERROR_INIT), 0;
    if (max < 1 || max > MaxVoices)
        return Fail(BASS_ERROR_ILLPARAM), 0;
    if (!decoder)
        return Fail(mem ? BASS_ERROR_FILEFORM : BASS_ERROR_FILEOPEN), 0;
    if (tooLong)
        return Fail(BASS_ERROR_MEM), 0;
    if (sample.Frames.empty())
        return Fail(BASS_ERROR_FILEFORM), 0;
    sample.Flags = flags;
    sample.Voices.resize(max);
    const uint32_t handle = SampleKind | (FNextId++ & 0x000FFFFF);
    FSamples[handle] = std::move(sample);
    FError = BASS_OK;
    return handle;
}

bool TBassEngine::SampleFree(uint32_t handle)
{
    std::lock_guard<std::mutex> guard(FLock);
    if (FSamples.erase(handle) == 0)
        return Fail(BASS_ERROR_HANDLE);
    FError = BASS_OK;
    return true;
}

uint32_t TBassEngine::SamplePlayEx(uint32_t handle, int32_t volume, int32_t pan, bool loop)
{
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FSamples.find(handle);
    if (it == FSamples.end())
        return Fail(BASS_ERROR_HANDLE), 0;
    TSample& sample = it->second;
    auto voice = std::find_if(sample.Voices.begin(), sample.Voices.end(), [](const TVoice& v) { return !v.Active; });
    if (voice == sample.Voices.end()) {
        if (!(sample.Flags & OverPosition))
            return Fail(BASS_ERROR_NOCHAN), 0;
        // Every playback is busy: the one furthest along starts again.
        voice = std::max_element(
            sample.Voices.begin(), sample.Voices.end(), [](const TVoice& a, const TVoice& b) { return a.Pos < b.Pos; });
    }
    voice->Active = true;
    voice->Pos = 0;
    voice->Volume = (volume < 0 ? sample.DefaultVolume : std::min(volume, 100)) / 100.0f;
    voice->Pan = std::clamp(pan, -100, 100);
    voice->Loop = loop || (sample.Flags & SampleLoop);
    FError = BASS_OK;
    return ChannelHandle(handle, static_cast<uint32_t>(voice - sample.Voices.begin()));
}

uint32_t TBassEngine::StreamCreateFile(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    std::unique_ptr<TBassDecoder> decoder =
        mem ? (file != nullptr ? TBassDecoder::FromMemory(static_cast<const uint8_t*>(file) + offset, length) : nullptr)
            : TBassDecoder::FromFile(static_cast<const char*>(file), offset, length);
    std::lock_guard<std::mutex> guard(FLock);
    if (!FInit)
        return Fail(BASS_ERROR_INIT), 0;
    if (!decoder)
        return Fail(BASS_ERROR_FILEFORM), 0;
    const uint32_t handle = StreamKind | (FNextId++ & 0x0FFFFFFF);
    TStream& stream = FStreams[handle];
    stream.Decoder = std::move(decoder);
    stream.Loop = (flags & SampleLoop) != 0;
    FError = BASS_OK;
    return handle;
}

bool TBassEngine::StreamPlay(uint32_t handle, bool flush, uint32_t flags)
{
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FStreams.find(handle);
    if (it == FStreams.end())
        return Fail(BASS_ERROR_HANDLE);
    if (flush && !it->second.Decoder->Rewind())
        return Fail(BASS_ERROR_NOTAVAIL);
    // The play call's flags decide the looping, whatever the stream was made with.
    it->second.Loop = (flags & SampleLoop) != 0;
    it->second.Playing = true;
    FError = BASS_OK;
    return true;
}

bool TBassEngine::StreamFree(uint32_t handle)
{
    std::unique_ptr<TBassDecoder> decoder; // closed after the lock is released
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FStreams.find(handle);
    if (it == FStreams.end())
        return Fail(BASS_ERROR_HANDLE);
    decoder = std::move(it->second.Decoder);
    FStreams.erase(it);
    FError = BASS_OK;
    return true;
}

TBassEngine::TVoice* TBassEngine::FindVoice(uint32_t handle)
{
    for (auto& [id, sample] : FSamples)
        if ((id & 0x000FFFFF) == ((handle >> 8) & 0x000FFFFF)) {
            const uint32_t v = handle & 0xFF;
            return v < sample.Voices.size() ? &sample.Voices[v] : nullptr;
        }
    return nullptr;
}

uint32_t TBassEngine::ChannelIsActive(uint32_t handle)
{
    std::lock_guard<std::mutex> guard(FLock);
    FError = BASS_OK;
    switch (handle & KindMask) {
    case SampleKind: {
        auto it = FSamples.find(handle);
        if (it == FSamples.end())
            return Fail(BASS_ERROR_HANDLE), BASS_ACTIVE_STOPPED;
        const bool any =
            std::any_of(it->second.Voices.begin(), it->second.Voices.end(), [](const TVoice& v) { return v.Active; });
        return any ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }
    case ChannelKind: {
        const TVoice* v = FindVoice(handle);
        return v != nullptr && v->Active ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }
    case StreamKind: {
        auto it = FStreams.find(handle);
        return it != FStreams.end() && it->second.Playing ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }
    default: return Fail(BASS_ERROR_HANDLE), BASS_ACTIVE_STOPPED;
    }
}

bool TBassEngine::ChannelStop(uint32_t handle)
{
    std::lock_guard<std::mutex> guard(FLock);
    if (auto it = FStreams.find(handle); it != FStreams.end()) {
        it->second.Playing = false;
        return true;
    }
    if (auto it = FSamples.find(handle); it != FSamples.end()) {
        for (TVoice& v : it->second.Voices)
            v.Active = false;
        return true;
    }
    if (TVoice* v = FindVoice(handle)) {
        v->Active = false;
        return true;
    }
    return Fail(BASS_ERROR_HANDLE);
}

bool TBassEngine::GetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan)
{
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FStreams.find(handle);
    if (it != FStreams.end()) {
        if (freq != nullptr)
            *freq = static_cast<uint32_t>(it->second.Decoder->NativeRate());
        if (volume != nullptr)
            *volume = static_cast<uint32_t>(it->second.Volume);
        if (pan != nullptr)
            *pan = it->second.Pan;
        FError = BASS_OK;
        return true;
    }
    if (const TVoice* v = FindVoice(handle)) {
        if (freq != nullptr)
            *freq = 44100;
        if (volume != nullptr)
            *volume = static_cast<uint32_t>(v->Volume * 100.0f + 0.5f);
        if (pan != nullptr)
            *pan = v->Pan;
        FError = BASS_OK;
        return true;
    }
    return Fail(BASS_ERROR_HANDLE);
}

bool TBassEngine::SetAttributes(uint32_t handle, int32_t, int32_t volume, int32_t pan)
{
    // The rate stays as the file has it; -1 leaves volume and pan alone.
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FStreams.find(handle);
    if (it != FStreams.end()) {
        if (volume >= 0)
            it->second.Volume = std::min(volume, 100);
        if (pan >= -100 && pan <= 100)
            it->second.Pan = pan;
        FError = BASS_OK;
        return true;
    }
    if (TVoice* v = FindVoice(handle)) {
        if (volume >= 0)
            v->Volume = std::min(volume, 100) / 100.0f;
        if (pan >= -100 && pan <= 100)
            v->Pan = pan;
        FError = BASS_OK;
        return true;
    }
    return Fail(BASS_ERROR_HANDLE);
}

void TBassEngine::AddFrames(float* out, const float* in, int frames, float volume, int32_t pan)
{
    const float left = volume * (pan > 0 ? (100 - pan) / 100.0f : 1.0f);
    const float right = volume * (pan < 0 ? (100 + pan) / 100.0f : 1.0f);
    for (int i = 0; i < frames; ++i) {
        out[2 * i] += in[2 * i] * left;
        out[2 * i + 1] += in[2 * i + 1] * right;
    }
}

bool TBassEngine::IsPlaying()
{
    std::lock_guard<std::mutex> guard(FLock);
    if (!FInit)
        return false;
    for (const auto& [id, sample] : FSamples)
        for (const TVoice& v : sample.Voices)
            if (v.Active)
                return true;
    for (const auto& [id, stream] : FStreams)
        if (stream.Playing)
            return true;
    return false;
}

void TBassEngine::MixInto(float* out, int frames)
{
    std::lock_guard<std::mutex> guard(FLock);
    if (!FInit)
        return;
    for (auto& [id, sample] : FSamples) {
        const size_t length = sample.Frames.size() / 2;
        for (TVoice& v : sample.Voices) {
            int done = 0;
            while (v.Active && done < frames) {
                const int run = static_cast<int>(std::min<size_t>(frames - done, length - v.Pos));
                AddFrames(out + 2 * done, sample.Frames.data() + 2 * v.Pos, run, v.Volume, v.Pan);
                done += run;
                v.Pos += static_cast<size_t>(run);
                if (v.Pos == length) {
                    v.Pos = 0;
                    v.Active = v.Loop;
                }
            }
        }
    }
    FScratch.resize(static_cast<size_t>(frames) * 2);
    for (auto& [id, stream] : FStreams) {
        int done = 0;
        bool rewound = false;
        while (stream.Playing && done < frames) {
            const int got = stream.Decoder->Read(FScratch.data(), frames - done);
            AddFrames(out + 2 * done, FScratch.data(), got, stream.Volume / 100.0f, stream.Pan);
            done += got;
            if (done == frames)
                break;
            // The stream ended inside this period; a loop starts it again,
            // unless it gave nothing even from its start.
            if (!stream.Loop || (got == 0 && rewound) || !stream.Decoder->Rewind())
                stream.Playing = false;
            rewound = true;
        }
    }
}
