#include "graphics/blend.h"

#include "graphics/blend_routines.h"

namespace {

// Both formulas keep two channels in one 32-bit word (red/blue, alpha/green);
// each 16-bit field holds at most 255*256 + 128, so nothing carries over.
constexpr uint32_t kPairMask = 0x00FF00FF;
constexpr uint32_t kPairBias = 0x00800080;

struct TFastMix {
    static TColor32 Mix(TColor32 f, TColor32 b, uint32_t w)
    {
        const uint32_t iw = 256 - w;
        const uint32_t rb = (((f & kPairMask) * w + (b & kPairMask) * iw + kPairBias) >> 8) & kPairMask;
        const uint32_t ag = (((f >> 8) & kPairMask) * w + ((b >> 8) & kPairMask) * iw + kPairBias) & ~kPairMask;
        return rb | ag;
    }
    // The MMX row weighs the mask by the alpha, not the alpha by the mask.
    static uint32_t RowMaskWeight(TColor32 f, TColor32 m) { return (((f >> 24) + 1) * m) >> 8; }
};

struct TPlainMix {
    static uint32_t ScalePair(uint32_t pair, uint32_t w)
    {
        return (((pair & kPairMask) * w + kPairBias) >> 8) & kPairMask;
    }
    static TColor32 Mix(TColor32 f, TColor32 b, uint32_t w)
    {
        const uint32_t iw = 255 - w;
        const uint32_t rb = ScalePair(f, w) + ScalePair(b, iw);
        const uint32_t ag = ScalePair(f >> 8, w) + ScalePair(b >> 8, iw);
        return rb | (ag << 8);
    }
    static uint32_t RowMaskWeight(TColor32 f, TColor32 m) { return ((m + 1) * (f >> 24)) >> 8; }
};

inline uint32_t PixelMaskWeight(TColor32 f, TColor32 m)
{
    return ((m + 1) * (f >> 24)) >> 8;
}

template <class M>
struct TBlendForms {
    static TColor32 BlendPixel(TColor32 f, TColor32 b)
    {
        const uint32_t fa = f >> 24;
        if (fa == 0)
            return b;
        if (fa == 255)
            return f;
        return M::Mix(f, b, fa);
    }
    static void BlendPixelInPlace(TColor32 f, TColor32& b)
    {
        const uint32_t fa = f >> 24;
        if (fa != 0)
            b = fa == 255 ? f : M::Mix(f, b, fa);
    }
    static TColor32 BlendPixelMasked(TColor32 f, TColor32 b, TColor32 m)
    {
        const uint32_t w = PixelMaskWeight(f, m);
        return w == 0 ? b : M::Mix(f, b, w);
    }
    static void BlendPixelMaskedInPlace(TColor32 f, TColor32& b, TColor32 m)
    {
        const uint32_t w = PixelMaskWeight(f, m);
        if (w != 0)
            b = M::Mix(f, b, w);
    }
    static void BlendRow(const TColor32* src, TColor32* dst, int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            BlendPixelInPlace(src[i], dst[i]);
    }
    static void BlendRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m)
    {
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t w = M::RowMaskWeight(src[i], m);
            if (w != 0)
                dst[i] = M::Mix(src[i], dst[i], w);
        }
    }
    static TColor32 CombinePixel(TColor32 x, TColor32 y, TColor32 w)
    {
        if (w == 0)
            return y;
        if (w >= 255)
            return x;
        return M::Mix(x, y, w);
    }
    static void CombinePixelInPlace(TColor32 x, TColor32& y, TColor32 w) { y = CombinePixel(x, y, w); }
    static void CombineRow(const TColor32* src, TColor32* dst, int32_t count, TColor32 w)
    {
        if (w == 0)
            return;
        for (int32_t i = 0; i < count; ++i)
            dst[i] = w >= 255 ? src[i] : M::Mix(src[i], dst[i], w);
    }

    static constexpr TBlendRoutines Routines{BlendPixel, BlendPixelInPlace, BlendPixelMasked, BlendPixelMaskedInPlace,
        BlendRow, BlendRowMasked, CombinePixel, CombinePixelInPlace, CombineRow};
};

} // namespace

const TBlendRoutines PlainBlendRoutines = TBlendForms<TPlainMix>::Routines;
const TBlendRoutines FastBlendRoutines = TBlendForms<TFastMix>::Routines;

// Constant-initialised so that drawing works even before the dispatch ran.
TBlendPixel BlendPixel = TBlendForms<TFastMix>::BlendPixel;
TBlendPixelInPlace BlendPixelInPlace = TBlendForms<TFastMix>::BlendPixelInPlace;
TBlendPixelMasked BlendPixelMasked = TBlendForms<TFastMix>::BlendPixelMasked;
TBlendPixelMaskedInPlace BlendPixelMaskedInPlace = TBlendForms<TFastMix>::BlendPixelMaskedInPlace;
TBlendRow BlendRow = TBlendForms<TFastMix>::BlendRow;
TBlendRowMasked BlendRowMasked = TBlendForms<TFastMix>::BlendRowMasked;
TCombinePixel CombinePixel = TBlendForms<TFastMix>::CombinePixel;
TCombinePixelInPlace CombinePixelInPlace = TBlendForms<TFastMix>::CombinePixelInPlace;
TCombineRow CombineRow = TBlendForms<TFastMix>::CombineRow;

TColorAlgebra ColorAdd = color_algebra::Add;
TColorAlgebra ColorSub = color_algebra::Sub;
TColorAlgebra ColorDiv = color_algebra::Div;
TColorAlgebra ColorModulate = color_algebra::Modulate;
TColorAlgebra ColorMax = color_algebra::Max;
TColorAlgebra ColorMin = color_algebra::Min;
TColorAlgebra ColorDifference = color_algebra::Difference;
TColorAlgebra ColorExclusion = color_algebra::Exclusion;
TColorAlgebra ColorAverage = color_algebra::Average;
TColorAlgebra ColorScale = color_algebra::Scale;

TBlendPixel BlendPixelByMode[2] = {TBlendForms<TFastMix>::BlendPixel, blend_merge::MergePixel};
TBlendPixelInPlace BlendPixelInPlaceByMode[2] = {
    TBlendForms<TFastMix>::BlendPixelInPlace, blend_merge::MergePixelInPlace};
TBlendPixelMasked BlendPixelMaskedByMode[2] = {TBlendForms<TFastMix>::BlendPixelMasked, blend_merge::MergePixelMasked};
TBlendPixelMaskedInPlace BlendPixelMaskedInPlaceByMode[2] = {
    TBlendForms<TFastMix>::BlendPixelMaskedInPlace, blend_merge::MergePixelMaskedInPlace};
TBlendRow BlendRowByMode[2] = {TBlendForms<TFastMix>::BlendRow, blend_merge::MergeRow};
TBlendRowMasked BlendRowMaskedByMode[2] = {TBlendForms<TFastMix>::BlendRowMasked, blend_merge::MergeRowMasked};

namespace {

TBlendVariant gVariant = bvFast;

void Install(TBlendVariant variant)
{
    gVariant = variant;
    TBlendRoutines r = variant == bvPlain ? PlainBlendRoutines : FastBlendRoutines;
    if (variant == bvFast && blend_sse2::Available()) {
        r.BlendRow = blend_sse2::BlendRow;
        r.BlendRowMasked = blend_sse2::BlendRowMasked;
        r.CombineRow = blend_sse2::CombineRow;
    }
    BlendPixel = r.BlendPixel;
    BlendPixelInPlace = r.BlendPixelInPlace;
    BlendPixelMasked = r.BlendPixelMasked;
    BlendPixelMaskedInPlace = r.BlendPixelMaskedInPlace;
    BlendRow = r.BlendRow;
    BlendRowMasked = r.BlendRowMasked;
    CombinePixel = r.CombinePixel;
    CombinePixelInPlace = r.CombinePixelInPlace;
    CombineRow = r.CombineRow;

    BlendPixelByMode[cmBlend] = BlendPixel;
    BlendPixelInPlaceByMode[cmBlend] = BlendPixelInPlace;
    BlendPixelMaskedByMode[cmBlend] = BlendPixelMasked;
    BlendPixelMaskedInPlaceByMode[cmBlend] = BlendPixelMaskedInPlace;
    BlendRowByMode[cmBlend] = BlendRow;
    BlendRowMaskedByMode[cmBlend] = BlendRowMasked;
}

struct TBlendStartup {
    TBlendStartup() { BlendDispatchInit(); }
} gBlendStartup;

} // namespace

void BlendDispatchInit()
{
    blend_merge::BuildTables();
    Install(bvFast);
}

void SelectBlendVariant(TBlendVariant variant)
{
    Install(variant);
}

TBlendVariant CurrentBlendVariant()
{
    return gVariant;
}

bool BlendUsesSSE2()
{
    return gVariant == bvFast && blend_sse2::Available();
}
