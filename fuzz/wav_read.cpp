// Raw bytes through the wave reader and the conversion to the mixer's
// format. The first byte picks the session rate; the rest is the image, so
// both PCM data and the compressed formats decoded through libsndfile are
// reached.

#include "sound/wave_convert.h"
#include "sound/wave_read.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const uint32_t rates[3] = {11025, 22050, 44100};
    const uint32_t rate = rates[data[0] % 3];
    try {
        TWaveData wave = ReadWaveImage({data + 1, size - 1});
        SndMixConvertFormat(wave, rate);
        if (wave.Data.empty() || wave.Format.SamplesPerSec != rate || wave.Format.BitsPerSample != 8)
            __builtin_trap();
    } catch (const ESndMixError&) {
    }
    return 0;
}
