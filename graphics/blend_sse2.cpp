// The fast blend rows four pixels at a time. Each channel is widened to a
// 16-bit lane and computed as ((F - B) * W + B * 256 + 128) shr 8: the true
// value lies in 0..65535, so the wrapping 16-bit arithmetic gives it exactly,
// bit for bit what the scalar routines compute.

#include "graphics/blend_routines.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// Mixes the two pixels held in the 16-bit lanes of f and b by the per-lane
// weights w: ((f - b) * w + (b shl 8) + 128) shr 8.
inline __m128i MixLanes(__m128i f, __m128i b, __m128i w)
{
    const __m128i bias = _mm_set1_epi16(128);
    __m128i r = _mm_mullo_epi16(_mm_sub_epi16(f, b), w);
    r = _mm_add_epi16(r, _mm_slli_epi16(b, 8));
    r = _mm_add_epi16(r, bias);
    return _mm_srli_epi16(r, 8);
}

// The alpha lane of each pixel copied into all four of its lanes.
inline __m128i BroadcastAlpha(__m128i lanes)
{
    lanes = _mm_shufflelo_epi16(lanes, _MM_SHUFFLE(3, 3, 3, 3));
    return _mm_shufflehi_epi16(lanes, _MM_SHUFFLE(3, 3, 3, 3));
}

template <class WeightOf>
inline __m128i MixFour(__m128i f, __m128i b, WeightOf weightOf)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i fLo = _mm_unpacklo_epi8(f, zero);
    const __m128i fHi = _mm_unpackhi_epi8(f, zero);
    const __m128i lo = MixLanes(fLo, _mm_unpacklo_epi8(b, zero), weightOf(fLo));
    const __m128i hi = MixLanes(fHi, _mm_unpackhi_epi8(b, zero), weightOf(fHi));
    return _mm_packus_epi16(lo, hi);
}

} // namespace

namespace blend_sse2 {

bool Available()
{
    return true;
}

void BlendRow(const TColor32* src, TColor32* dst, int32_t count)
{
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i fa = _mm_and_si128(f, alphaMask);
        // Fully transparent runs are common (text, sprites): leave them alone.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(fa, _mm_setzero_si128())) == 0xFFFF)
            continue;
        __m128i* d = reinterpret_cast<__m128i*>(dst + i);
        const __m128i b = _mm_loadu_si128(d);
        const __m128i mixed = MixFour(f, b, [](__m128i lanes) { return BroadcastAlpha(lanes); });
        // Alpha 255 copies the foreground exactly; alpha 0 already gives B.
        const __m128i opaque = _mm_cmpeq_epi32(fa, alphaMask);
        _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(opaque, f), _mm_andnot_si128(opaque, mixed)));
    }
    FastBlendRoutines.BlendRow(src + i, dst + i, count - i);
}

void BlendRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m)
{
    const __m128i mask = _mm_set1_epi16(int16_t(m & 0xFF));
    const __m128i one = _mm_set1_epi16(1);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i* d = reinterpret_cast<__m128i*>(dst + i);
        const __m128i b = _mm_loadu_si128(d);
        // ((Fa + 1) * M) shr 8 stays below 65536, so the unsigned lane holds it.
        const auto weightOf = [&](__m128i lanes) {
            return _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha(lanes), one), mask), 8);
        };
        _mm_storeu_si128(d, MixFour(f, b, weightOf));
    }
    FastBlendRoutines.BlendRowMasked(src + i, dst + i, count - i, m);
}

void CombineRow(const TColor32* src, TColor32* dst, int32_t count, TColor32 w)
{
    if (w == 0 || w >= 255) {
        FastBlendRoutines.CombineRow(src, dst, count, w);
        return;
    }
    const __m128i weight = _mm_set1_epi16(int16_t(w));
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i* d = reinterpret_cast<__m128i*>(dst + i);
        _mm_storeu_si128(d, MixFour(f, _mm_loadu_si128(d), [&](__m128i) { return weight; }));
    }
    FastBlendRoutines.CombineRow(src + i, dst + i, count - i, w);
}

} // namespace blend_sse2

#else

namespace blend_sse2 {
bool Available()
{
    return false;
}
void BlendRow(const TColor32* src, TColor32* dst, int32_t count)
{
    FastBlendRoutines.BlendRow(src, dst, count);
}
void BlendRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m)
{
    FastBlendRoutines.BlendRowMasked(src, dst, count, m);
}
void CombineRow(const TColor32* src, TColor32* dst, int32_t count, TColor32 w)
{
    FastBlendRoutines.CombineRow(src, dst, count, w);
}
} // namespace blend_sse2

#endif
