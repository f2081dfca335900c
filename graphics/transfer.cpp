#include "graphics/transfer.h"

#include <algorithm>
#include <vector>

#include "graphics/sampler.h"

namespace {

// Rectangle arithmetic in 64 bits, so that far-off positions and huge
// rectangles cannot wrap around into the bitmap.
struct TRect64 {
    int64_t Left, Top, Right, Bottom;
    explicit TRect64(const TRect& r) : Left(r.Left), Top(r.Top), Right(r.Right), Bottom(r.Bottom) {}
    TRect64(int64_t l, int64_t t, int64_t r, int64_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    TRect64 Intersect(const TRect64& o) const
    {
        return TRect64(
            std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom));
    }
    TRect64 Offset(int64_t dx, int64_t dy) const { return TRect64(Left + dx, Top + dy, Right + dx, Bottom + dy); }
    // Only for rectangles already cut to a bitmap.
    TRect ToRect() const { return TRect{int32_t(Left), int32_t(Top), int32_t(Right), int32_t(Bottom)}; }
};

int32_t WrapAdd(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}
int32_t WrapSub(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) - uint32_t(b));
}

struct TSourceRows {
    const TColor32* First;
    int64_t Stride;
};

void CombineSourceRow(
    const TColor32* s, TColor32* d, int32_t w, const TBitmap32& src, TDrawMode op, const TPixelCombineEvent& callBack)
{
    switch (op) {
    case dmOpaque: MoveLongword(s, d, w); break;
    case dmBlend:
        if (src.MasterAlpha() >= 255)
            BlendRowByMode[src.CombineMode()](s, d, w);
        else
            BlendRowMaskedByMode[src.CombineMode()](s, d, w, src.MasterAlpha());
        break;
    case dmTransparent: {
        const TColor32 key = src.OuterColor();
        for (int32_t i = 0; i < w; ++i)
            if (s[i] != key)
                d[i] = s[i];
        break;
    }
    case dmCustom: {
        const TColor32 m = src.MasterAlpha();
        for (int32_t i = 0; i < w; ++i)
            callBack(s[i], d[i], m);
        break;
    }
    }
}

void CombineRows(TBitmap32& dst, const TRect& dstRect, TSourceRows rows, const TBitmap32& src, TDrawMode op,
    const TPixelCombineEvent& callBack)
{
    const int32_t w = dstRect.Right - dstRect.Left;
    const TColor32* s = rows.First;
    for (int32_t y = dstRect.Top; y < dstRect.Bottom; ++y, s += rows.Stride)
        CombineSourceRow(s, dst.PixelPtr(dstRect.Left, y), w, src, op, callBack);
}

TRect64 Bounds64(const TBitmap32& b)
{
    return TRect64(0, 0, b.Width(), b.Height());
}

// Gathers one source row into the destination columns of a stretch. The
// column map decides every pixel; where it repeats each source column the
// same whole number of times (twice for the scale-2 window) the row is
// widened run by run without a lookup per pixel, which gives the very same
// pixels because the runs are read off the map itself.
class TRowWidener {
public:
    explicit TRowWidener(const std::vector<int32_t>& map) : FMap(map.data()), FCount(int32_t(map.size()))
    {
        if (FCount == 0)
            return;
        int32_t head = 1;
        while (head < FCount && map[size_t(head)] == map[0])
            ++head;
        if (head == FCount)
            return;
        int32_t factor = 1;
        while (head + factor < FCount && map[size_t(head + factor)] == map[size_t(head)])
            ++factor;
        // Every run after the first: the next column, `factor` times; only
        // the last may be cut short by the clip.
        int32_t i = head;
        int32_t column = map[0];
        while (i < FCount) {
            ++column;
            const int32_t run = std::min(factor, FCount - i);
            for (int32_t j = 0; j < run; ++j)
                if (map[size_t(i + j)] != column)
                    return;
            i += run;
        }
        FFactor = factor;
        FHead = head;
        FRuns = (FCount - head) / factor;
        FTail = FCount - head - FRuns * factor;
    }

    void Widen(const TColor32* srcRow, TColor32* d) const
    {
        if (FFactor == 0) {
            for (int32_t i = 0; i < FCount; ++i)
                d[i] = srcRow[FMap[i]];
            return;
        }
        const TColor32* s = srcRow + FMap[0];
        std::fill_n(d, FHead, *s++);
        d += FHead;
        switch (FFactor) {
        case 1: std::copy_n(s, FRuns, d); break;
        case 2:
            for (int32_t r = 0; r < FRuns; ++r) {
                d[2 * r] = s[r];
                d[2 * r + 1] = s[r];
            }
            break;
        default:
            for (int32_t r = 0; r < FRuns; ++r)
                std::fill_n(d + r * FFactor, FFactor, s[r]);
            break;
        }
        std::fill_n(d + FRuns * FFactor, FTail, s[FRuns]);
    }

private:
    const int32_t* FMap;
    int32_t FCount;
    int32_t FFactor = 0; // 0: a lookup per pixel
    int32_t FHead = 0;   // pixels of the first source column
    int32_t FRuns = 0;   // whole runs after it
    int32_t FTail = 0;   // pixels of the column cut short at the end
};

} // namespace

void CheckBitmaps(const TBitmap32* dst, const TBitmap32* src)
{
    if (!dst)
        throw EBitmapException("Destination bitmap is nil");
    if (!src)
        throw EBitmapException("Source bitmap is nil");
}

bool CheckSrcRect(const TBitmap32& src, const TRect& srcRect)
{
    if (IsRectEmpty(srcRect))
        return false;
    if (srcRect.Left < 0 || srcRect.Right > src.Width() || srcRect.Top < 0 || srcRect.Bottom > src.Height())
        throw ESrcInvalidException("Source rectangle is invalid");
    return true;
}

void BlockTransferRows(TBitmap32& dst, const TRect& dstRect, const TBitmap32& src, int32_t srcX, int32_t srcY,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    const int32_t w = dstRect.Right - dstRect.Left;
    const int32_t h = dstRect.Bottom - dstRect.Top;
    if (w <= 0 || h <= 0)
        return;
    const TRect srcArea{srcX, srcY, srcX + w, srcY + h};
    TRect overlap;
    if (&dst == &src && IntersectRect(overlap, srcArea, dstRect) && !IsRectEmpty(overlap)) {
        // Reading rows that this very transfer has already written would
        // smear the picture; work from a copy of the source area instead.
        std::vector<TColor32> copy(size_t(w) * size_t(h));
        for (int32_t y = 0; y < h; ++y)
            std::copy_n(src.PixelPtr(srcX, srcY + y), w, copy.data() + size_t(y) * size_t(w));
        CombineRows(dst, dstRect, TSourceRows{copy.data(), w}, src, combineOp, combineCallBack);
        return;
    }
    CombineRows(dst, dstRect, TSourceRows{src.PixelPtr(srcX, srcY), src.Width()}, src, combineOp, combineCallBack);
}

void BlockTransfer(TBitmap32* dst, int32_t dstX, int32_t dstY, TRect dstClip, TBitmap32* src, TRect srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    CheckBitmaps(dst, src);
    if (dst->Empty() || src->Empty())
        return;
    if (combineOp == dmBlend && src->MasterAlpha() == 0)
        return;

    const int32_t srcW = WrapSub(srcRect.Right, srcRect.Left);
    const int32_t srcH = WrapSub(srcRect.Bottom, srcRect.Top);

    if (!dst->MeasuringMode()) {
        if (combineOp == dmCustom && !combineCallBack)
            combineOp = dmOpaque;
        const int64_t dx = int64_t(dstX) - srcRect.Left;
        const int64_t dy = int64_t(dstY) - srcRect.Top;
        const TRect64 clip = TRect64(dstClip).Intersect(Bounds64(*dst));
        const TRect64 source = TRect64(srcRect).Intersect(Bounds64(*src));
        const TRect64 target = source.Offset(dx, dy).Intersect(clip);
        if (!source.Empty() && !target.Empty())
            BlockTransferRows(*dst, target.ToRect(), *src, int32_t(target.Left - dx), int32_t(target.Top - dy),
                combineOp, combineCallBack);
    }

    dst->AreaChanged(TRect{dstX, dstY, WrapAdd(dstX, srcW), WrapAdd(dstY, srcH)}, AREAINFO_RECT);
}

void StretchTransfer(TBitmap32* dst, const TRect& dstRect, TRect dstClip, TBitmap32* src, const TRect& srcRect,
    TCustomResampler* resampler, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    CheckBitmaps(dst, src);
    if (src->Empty() || dst->Empty())
        return;
    if (combineOp == dmBlend && src->MasterAlpha() == 0)
        return;
    if (!CheckSrcRect(*src, srcRect))
        return;

    if (!dst->MeasuringMode()) {
        const TRect64 clip = TRect64(dstClip).Intersect(Bounds64(*dst)).Intersect(TRect64(dstRect));
        if (clip.Empty())
            return;
        dstClip = clip.ToRect();
        if (combineOp == dmCustom && !combineCallBack)
            combineOp = dmOpaque;

        const int64_t dstW = int64_t(dstRect.Right) - dstRect.Left;
        const int64_t dstH = int64_t(dstRect.Bottom) - dstRect.Top;
        if (dstW == srcRect.Width() && dstH == srcRect.Height()) {
            BlockTransferRows(*dst, dstClip, *src, int32_t(srcRect.Left + (dstClip.Left - int64_t(dstRect.Left))),
                int32_t(srcRect.Top + (dstClip.Top - int64_t(dstRect.Top))), combineOp, combineCallBack);
        } else {
            TRect overlap;
            if (dst == src && IntersectRect(overlap, srcRect, dstClip) && !IsRectEmpty(overlap)) {
                // Stretching a bitmap into itself would read pixels already
                // written; resample from a copy of the source area.
                TBitmap32 copy;
                copy.SetSize(srcRect.Width(), srcRect.Height());
                for (int32_t y = 0; y < srcRect.Height(); ++y)
                    std::copy_n(src->PixelPtr(srcRect.Left, srcRect.Top + y), srcRect.Width(), copy.ScanLine(y));
                copy.SetMasterAlpha(src->MasterAlpha());
                copy.SetCombineMode(src->CombineMode());
                copy.SetWrapMode(src->WrapMode());
                copy.SetOuterColor(src->OuterColor());
                const TRect copyRect = copy.BoundsRect();
                if (resampler)
                    resampler->Resample(*dst, dstRect, dstClip, copy, copyRect, combineOp, combineCallBack);
                else
                    StretchNearest(*dst, dstRect, dstClip, copy, copyRect, combineOp, combineCallBack);
            } else if (resampler) {
                resampler->Resample(*dst, dstRect, dstClip, *src, srcRect, combineOp, combineCallBack);
            } else {
                StretchNearest(*dst, dstRect, dstClip, *src, srcRect, combineOp, combineCallBack);
            }
        }
    }

    dst->AreaChanged(dstRect, AREAINFO_RECT);
}

TNearestAxis::TNearestAxis(int32_t dstLo, int32_t dstHi, int32_t srcLo, int32_t srcHi)
    : FDstLo(dstLo), FSrcLo(srcLo), FSrcHi(srcHi)
{
    const int64_t dstW = int64_t(dstHi) - dstLo;
    const int64_t srcW = int64_t(srcHi) - srcLo;
    FSingle = dstW <= 1;
    // The quotient is held in single precision, as the original stored it:
    // 14 -> 20 maps column 10 to 6, where the exact quotient would give 7.
    FScale = FSingle ? 0.0f : float(static_cast<long double>(srcW) / static_cast<long double>(dstW));
}

int32_t TNearestAxis::Map(int32_t dst) const
{
    if (FSingle)
        return int32_t((int64_t(FSrcLo) + FSrcHi - 1) / 2);
    // The product in extended precision, truncated toward zero.
    const long double p = static_cast<long double>(int64_t(dst) - FDstLo) * static_cast<long double>(FScale) +
                          static_cast<long double>(FSrcLo);
    const int64_t index = TruncTo(p);
    // Only a destination millions of pixels wide could push the rounded
    // scale past the last column; keep the read inside the source anyway.
    return int32_t(std::clamp<int64_t>(index, FSrcLo, int64_t(FSrcHi) - 1));
}

void StretchNearest(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    const TRect64 clip = TRect64(dstClip).Intersect(Bounds64(dst)).Intersect(TRect64(dstRect));
    if (clip.Empty())
        return;
    dstClip = clip.ToRect();
    if (srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src.Width() || srcRect.Bottom > src.Height())
        throw Exception("Invalid SrcRect");
    if (IsRectEmpty(srcRect))
        return;

    const int64_t dstW = int64_t(dstRect.Right) - dstRect.Left;
    const int64_t dstH = int64_t(dstRect.Bottom) - dstRect.Top;
    if (dstW == srcRect.Width() && dstH == srcRect.Height()) {
        BlockTransferRows(dst, dstClip, src, int32_t(srcRect.Left + (dstClip.Left - int64_t(dstRect.Left))),
            int32_t(srcRect.Top + (dstClip.Top - int64_t(dstRect.Top))), combineOp, combineCallBack);
        return;
    }

    const int32_t clipW = dstClip.Right - dstClip.Left;
    const TNearestAxis columns(dstRect.Left, dstRect.Right, srcRect.Left, srcRect.Right);
    const TNearestAxis rows(dstRect.Top, dstRect.Bottom, srcRect.Top, srcRect.Bottom);
    std::vector<int32_t> map(static_cast<size_t>(clipW));
    for (int32_t i = 0; i < clipW; ++i)
        map[size_t(i)] = columns.Map(dstClip.Left + i);
    const TRowWidener widener(map);

    int32_t prevRow = -1;
    if (combineOp == dmOpaque) {
        for (int32_t y = dstClip.Top; y < dstClip.Bottom; ++y) {
            const int32_t sy = rows.Map(y);
            TColor32* d = dst.PixelPtr(dstClip.Left, y);
            if (sy == prevRow) {
                MoveLongword(d - dst.Width(), d, clipW);
            } else {
                widener.Widen(src.ScanLine(sy), d);
                prevRow = sy;
            }
        }
        return;
    }

    std::vector<TColor32> buffer(static_cast<size_t>(clipW));
    for (int32_t y = dstClip.Top; y < dstClip.Bottom; ++y) {
        const int32_t sy = rows.Map(y);
        if (sy != prevRow) {
            widener.Widen(src.ScanLine(sy), buffer.data());
            prevRow = sy;
        }
        CombineSourceRow(buffer.data(), dst.PixelPtr(dstClip.Left, y), clipW, src, combineOp, combineCallBack);
    }
}
