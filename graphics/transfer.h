#pragma once
// The only paths by which pixels move from one TBitmap32 into another: an
// unscaled block transfer to a point, and a stretch transfer to a rectangle
// that hands scaling to a resampler. Both combine by the given draw mode,
// keep inside the destination's clip rectangle and report the touched area
// to the destination.

#include "base/exceptions.h"
#include "graphics/bitmap32.h"

class EBitmapException : public Exception {
public:
    using Exception::Exception;
};

class ESrcInvalidException : public Exception {
public:
    using Exception::Exception;
};

// Raises EBitmapException "Destination bitmap is nil" / "Source bitmap is nil".
void CheckBitmaps(const TBitmap32* dst, const TBitmap32* src);
// False for an empty srcRect; raises ESrcInvalidException "Source rectangle
// is invalid" for one reaching outside src.
bool CheckSrcRect(const TBitmap32& src, const TRect& srcRect);

// Combines the rows of dstRect (already clipped to dst) with the source rows
// from (srcX, srcY). Source and destination may be the same bitmap.
void BlockTransferRows(TBitmap32& dst, const TRect& dstRect, const TBitmap32& src, int32_t srcX, int32_t srcY,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// srcRect of src with its top-left corner at (dstX, dstY), within dstClip.
// Reports the unclipped target (dstX, dstY) + the size of srcRect as given.
void BlockTransfer(TBitmap32* dst, int32_t dstX, int32_t dstY, TRect dstClip, TBitmap32* src, TRect srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack = {});

// srcRect of src mapped onto dstRect, within dstClip; equal sizes are copied
// unscaled, others go to the resampler. Reports dstRect unless the clipped
// target is empty.
void StretchTransfer(TBitmap32* dst, const TRect& dstRect, TRect dstClip, TBitmap32* src, const TRect& srcRect,
    TCustomResampler* resampler, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack = {});

// The nearest-neighbour stretch: destination column x takes source column
// Trunc((x - dstRect.Left) * ScaleX + srcRect.Left), ScaleX held in single
// precision as the original did. Reports nothing. Raises Exception "Invalid
// SrcRect" for a srcRect reaching outside src.
void StretchNearest(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack);

// How StretchNearest maps one axis: destination index -> source index.
class TNearestAxis {
public:
    TNearestAxis(int32_t dstLo, int32_t dstHi, int32_t srcLo, int32_t srcHi);
    int32_t Map(int32_t dst) const;

private:
    int64_t FDstLo;
    int32_t FSrcLo;
    int32_t FSrcHi;
    bool FSingle;
    float FScale;
};
