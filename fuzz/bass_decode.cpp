// Raw bytes through the decoder of our build of the outside audio library,
// as a sound loaded from memory: Ogg Vorbis and Opus, MP3, FLAC and the other
// formats libsndfile reads, turned into 44100 Hz stereo, then rewound and
// read again as a looping stream does.

#include "sound/bass/bass_decoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Enough to pass every seed's end, and few enough that a sound at the
// lowest rate cannot make one input take long.
constexpr int MaxFrames = 1 << 18;

void ReadAll(TBassDecoder& decoder)
{
    static float out[2 * 1024];
    for (int got, total = 0; total < MaxFrames && (got = decoder.Read(out, 1024)) > 0; total += got)
        if (got > 1024)
            __builtin_trap();
}

} // namespace

// libsndfile 1.2 gives up on a damaged Vorbis header without freeing the
// Vorbis stream information it had set up: a leak of the system library,
// not of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<TBassDecoder> decoder = TBassDecoder::FromMemory(data, size);
    if (!decoder)
        return 0;
    if (decoder->NativeRate() < TBassDecoder::MinRate || decoder->NativeRate() > TBassDecoder::MaxRate)
        __builtin_trap();
    ReadAll(*decoder);
    if (decoder->Rewind())
        ReadAll(*decoder);
    return 0;
}
