#pragma once
// The stretches behind the linear, draft and kernel resamplers.

#include "graphics/bitmap32.h"
#include "graphics/kernels.h"

// Each destination pixel of the clip filtered from the source through the
// kernel (mapping tables of weights in 1/256 per axis).
void KernelResample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    const TCustomKernel& kernel, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// Bilinear enlarging: each destination pixel mixes the 2 x 2 source pixels
// around its centre.
void LinearStretch(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// Reducing by averaging the block of source pixels each destination pixel
// covers.
void DraftBlockAverage(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// One computed pixel combined into the destination by the draw mode.
void CombineResampledPixel(
    TColor32 value, TColor32& d, const TBitmap32& src, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);
