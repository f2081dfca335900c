#pragma once
// Blending of 32-bit colours. Every routine is reached through a pointer that
// BlendDispatchInit fills once, so drawing code never tests the processor per
// pixel. Both formulas of the original exist:
//  - the fast one (the original's MMX arithmetic, here SSE2 or scalar code
//    with identical results): c = (F*W + B*(256-W) + 128) shr 8;
//  - the plain one: c = ((F*W + 128) shr 8) + ((B*(255-W) + 128) shr 8).
// All four channels, alpha included, use the same formula.

#include <cstdint>

#include "graphics/color32.h"

// cmBlend selects the blend routines, cmMerge the merge routines.
enum TCombineMode { cmBlend, cmMerge };

using TBlendPixel = TColor32 (*)(TColor32 f, TColor32 b);
using TBlendPixelInPlace = void (*)(TColor32 f, TColor32& b);
using TBlendPixelMasked = TColor32 (*)(TColor32 f, TColor32 b, TColor32 m);
using TBlendPixelMaskedInPlace = void (*)(TColor32 f, TColor32& b, TColor32 m);
using TBlendRow = void (*)(const TColor32* src, TColor32* dst, int32_t count);
using TBlendRowMasked = void (*)(const TColor32* src, TColor32* dst, int32_t count, TColor32 m);
using TCombinePixel = TColor32 (*)(TColor32 x, TColor32 y, TColor32 w);
using TCombinePixelInPlace = void (*)(TColor32 x, TColor32& y, TColor32 w);
using TCombineRow = void (*)(const TColor32* src, TColor32* dst, int32_t count, TColor32 w);
using TColorAlgebra = TColor32 (*)(TColor32 a, TColor32 b);

// Weight Fa; Fa = 0 leaves B, Fa = 255 gives F exactly.
extern TBlendPixel BlendPixel;
extern TBlendPixelInPlace BlendPixelInPlace;
// Weight ((M + 1) * Fa) shr 8; Fa = 0 or weight 0 leaves B.
extern TBlendPixelMasked BlendPixelMasked;
extern TBlendPixelMaskedInPlace BlendPixelMaskedInPlace;
// BlendPixelInPlace over Count pixels.
extern TBlendRow BlendRow;
// Masked blend over Count pixels. The plain routine weighs as the pixel
// forms; the fast one as ((Fa + 1) * M) shr 8, which differs now and then by
// one level, as the original's did.
extern TBlendRowMasked BlendRowMasked;
// Weighted mix by an explicit W: W = 0 gives Y, W = 255 gives X exactly.
extern TCombinePixel CombinePixel;
extern TCombinePixelInPlace CombinePixelInPlace;
extern TCombineRow CombineRow;

// Colour algebra over all four channels (graphics/color_algebra.cpp).
extern TColorAlgebra ColorAdd;
extern TColorAlgebra ColorSub;
extern TColorAlgebra ColorDiv;
extern TColorAlgebra ColorModulate;
extern TColorAlgebra ColorMax;
extern TColorAlgebra ColorMin;
extern TColorAlgebra ColorDifference;
extern TColorAlgebra ColorExclusion;
extern TColorAlgebra ColorAverage;
// Each channel of C times W (0..256 and beyond) shr 8, at most 255.
extern TColorAlgebra ColorScale;

// The routine of each form for a combine mode, indexed by TCombineMode.
extern TBlendPixel BlendPixelByMode[2];
extern TBlendPixelInPlace BlendPixelInPlaceByMode[2];
extern TBlendPixelMasked BlendPixelMaskedByMode[2];
extern TBlendPixelMaskedInPlace BlendPixelMaskedInPlaceByMode[2];
extern TBlendRow BlendRowByMode[2];
extern TBlendRowMasked BlendRowMaskedByMode[2];

// The original released the MMX state here before floating-point work; the
// SSE2 routines leave nothing to release. Kept so that callers read as the
// original's do.
inline void EndMMX()
{
}

enum TBlendVariant { bvPlain, bvFast };

// Fills every routine table for the processor: the fast formula everywhere
// the original would have had MMX, which is every processor this builds for.
// Builds the merge tables first. Runs at load time; calling it again is
// harmless.
void BlendDispatchInit();
// Chooses the formula explicitly (tests, and a build that wants the plain
// one). The merge routines have one variant only.
void SelectBlendVariant(TBlendVariant variant);
TBlendVariant CurrentBlendVariant();
// Whether the fast rows run on SSE2 (otherwise scalar code, same results).
bool BlendUsesSSE2();
