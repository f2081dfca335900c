// SndMixOpenWave: a wave from a file, a module's "WAVE" resource or memory,
// read and converted to the session's format.

#include "sound/sndmix_internal.h"
#include "sound/wave_convert.h"
#include "sound/wave_read.h"

#include "base/streams.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <new>

namespace {

// mmioOpen's error for a memory file it cannot open.
constexpr int MMIOERR_CANNOTOPEN = 259;

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void SetName(TWaveRecord& wave, const std::string& name)
{
    std::memset(wave.Name, 0, sizeof wave.Name);
    std::memcpy(wave.Name, name.data(), std::min<size_t>(name.size(), 15));
}

std::span<const uint8_t> ResourceBytes(const TWaveSourceArg& source, const TWaveModule* module)
{
    const std::vector<uint8_t>* bytes = nullptr;
    if (module != nullptr) {
        if (source.ResourceId >= 0) {
            auto it = module->Numbered.find(source.ResourceId);
            bytes = it != module->Numbered.end() ? &it->second : nullptr;
        } else {
            for (const auto& [name, data] : module->Named)
                if (UpperAscii(name) == UpperAscii(source.Name))
                    bytes = &data;
        }
    }
    if (bytes == nullptr)
        SndMixRaise("Failed to open \"WAVE\" resource " +
                    (source.ResourceId >= 0 ? std::to_string(source.ResourceId) : source.Name));
    return *bytes;
}

std::span<const uint8_t> MemoryBytes(const TMMIOInfo* info)
{
    if (info == nullptr || info->fccIOProc != FOURCC_MEM || info->cchBuffer < 0 ||
        (info->pchBuffer == nullptr && info->cchBuffer > 0))
        SndMixRaise("Failed to open memory file, mmioOpen error=" + std::to_string(MMIOERR_CANNOTOPEN) +
                    ".\rMay need to make sure memory is read-write");
    return {info->pchBuffer, static_cast<size_t>(info->cchBuffer)};
}

} // namespace

TWaveRecord* SndMixOpenWave(HSNDMIX session, const TWaveSourceArg& source, const TWaveModule* module, uint32_t flags)
{
    TSndMixSession* s = SndMixCheckSession(session);
    if (SndMixDevice().QueryFormat(s->DeviceId, s->Format.SamplesPerSec) != MMSYSERR_NOERROR)
        SndMixRaise("The waveform device can\xB4t play this format");
    std::unique_ptr<TWaveRecord> wave(new (std::nothrow) TWaveRecord);
    if (!wave)
        SndMixRaise("Unable to allocate memory for waveform data.  Try making more memory available by "
                    "closing other applications.");

    std::vector<uint8_t> fileBytes;
    std::span<const uint8_t> image;
    if (flags & smwResource) {
        image = ResourceBytes(source, module);
        SetName(*wave, source.ResourceId >= 0 ? "res#" + std::to_string(source.ResourceId) : source.Name);
    } else if (flags & smwMemory) {
        image = MemoryBytes(source.Memory);
    } else {
        try {
            fileBytes = ReadFileBytes(source.Name);
        } catch (const EStreamError&) {
            SndMixRaise("Failed to open wave file " + source.Name);
        }
        image = fileBytes;
        SetName(*wave, source.Name);
    }

    TWaveData data = ReadWaveImage(image);
    SndMixConvertFormat(data, s->Format.SamplesPerSec);
    wave->Format = data.Format;
    wave->Data = std::move(data.Data);
    return wave.release();
}
