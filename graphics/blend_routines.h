#pragma once
// The concrete routines behind the pointers of graphics/blend.h, one set per
// formula; the dispatch and the tests that compare the variants use them.

#include "graphics/blend.h"

// One complete set of the blend forms of one formula.
struct TBlendRoutines {
    TBlendPixel BlendPixel;
    TBlendPixelInPlace BlendPixelInPlace;
    TBlendPixelMasked BlendPixelMasked;
    TBlendPixelMaskedInPlace BlendPixelMaskedInPlace;
    TBlendRow BlendRow;
    TBlendRowMasked BlendRowMasked;
    TCombinePixel CombinePixel;
    TCombinePixelInPlace CombinePixelInPlace;
    TCombineRow CombineRow;
};

// The original's plain routines.
extern const TBlendRoutines PlainBlendRoutines;
// The original's MMX arithmetic in portable scalar code.
extern const TBlendRoutines FastBlendRoutines;

// The rows of the fast arithmetic four pixels at a time; only where the
// compiler targets SSE2 (Available tells).
namespace blend_sse2 {
bool Available();
void BlendRow(const TColor32* src, TColor32* dst, int32_t count);
void BlendRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m);
void CombineRow(const TColor32* src, TColor32* dst, int32_t count, TColor32 w);
} // namespace blend_sse2

namespace blend_merge {
TColor32 MergePixel(TColor32 f, TColor32 b);
void MergePixelInPlace(TColor32 f, TColor32& b);
TColor32 MergePixelMasked(TColor32 f, TColor32 b, TColor32 m);
void MergePixelMaskedInPlace(TColor32 f, TColor32& b, TColor32 m);
void MergeRow(const TColor32* src, TColor32* dst, int32_t count);
void MergeRowMasked(const TColor32* src, TColor32* dst, int32_t count, TColor32 m);
// Builds the product and reciprocal tables.
void BuildTables();
// Round(a * b / 255) and the low byte of Round(a * 255 / b) (0 for b = 0).
uint8_t ProductTable(uint8_t a, uint8_t b);
uint8_t ReciprocalTable(uint8_t a, uint8_t b);
} // namespace blend_merge

namespace color_algebra {
TColor32 Add(TColor32 a, TColor32 b);
TColor32 Sub(TColor32 a, TColor32 b);
TColor32 Div(TColor32 a, TColor32 b);
TColor32 Modulate(TColor32 a, TColor32 b);
TColor32 Max(TColor32 a, TColor32 b);
TColor32 Min(TColor32 a, TColor32 b);
TColor32 Difference(TColor32 a, TColor32 b);
TColor32 Exclusion(TColor32 a, TColor32 b);
TColor32 Average(TColor32 a, TColor32 b);
TColor32 Scale(TColor32 c, TColor32 w);
} // namespace color_algebra
