#include "graphics/resample_ops.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct TTap {
    int32_t Pos;
    int32_t Weight; // 1/256
};
using TCluster = std::vector<TTap>;

// Weights are rounded to 1/256; a kernel returning absurd values is held to
// a range whose sums cannot overflow.
int32_t WeightOf(long double v)
{
    return int32_t(std::clamp<int64_t>(RoundEven(v * 256.0L), -65536, 65536));
}

// Tap lists for destination pixels clipLo..clipHi - 1 of dstLo..dstHi.
std::vector<TCluster> BuildMappingTable(int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi, int32_t srcLo,
    int32_t srcHi, const TCustomKernel& kernel)
{
    const int64_t srcW = int64_t(srcHi) - srcLo;
    const int64_t dstW = int64_t(dstHi) - dstLo;
    std::vector<TCluster> table(size_t(std::max(clipHi - clipLo, 0)));
    if (srcW <= 0 || dstW <= 0)
        return table;
    if (srcW == 1) {
        for (TCluster& c : table)
            c.push_back(TTap{srcLo, 256});
        return table;
    }
    const float scale = float(static_cast<long double>(dstW) / static_cast<long double>(srcW));
    const long double width = std::max(0.0f, kernel.GetWidth());
    const auto clampPos = [&](int64_t p) { return int32_t(std::clamp<int64_t>(p, srcLo, int64_t(srcHi) - 1)); };

    for (int32_t x = clipLo; x < clipHi; ++x) {
        TCluster& cluster = table[size_t(x - clipLo)];
        const long double i = static_cast<long double>(int64_t(x) - dstLo);
        const long double centre = (i + 0.5L) / scale + srcLo - 0.5L;
        if (scale >= 1) {
            for (int64_t tap = FloorTo(centre - width), hi = CeilTo(centre + width); tap <= hi; ++tap) {
                const int32_t w = WeightOf(kernel.Filter(float(centre - tap)));
                if (w != 0)
                    cluster.push_back(TTap{clampPos(tap), w});
            }
        } else {
            const long double wide = width / scale;
            for (int64_t tap = FloorTo(centre - wide), hi = CeilTo(centre + wide); tap <= hi; ++tap) {
                const int32_t w = WeightOf(scale * kernel.Filter(float((centre - tap) * scale)));
                if (w != 0)
                    cluster.push_back(TTap{clampPos(tap), w});
            }
        }
        if (cluster.empty())
            cluster.push_back(TTap{clampPos(FloorTo(centre)), 256});
        int32_t sum = 0;
        for (const TTap& t : cluster)
            sum += t.Weight;
        if (sum != 256)
            cluster[(cluster.size() - 1) / 2].Weight -= sum - 256;
    }
    return table;
}

uint32_t ChannelOf(int64_t sum, bool rangeCheck)
{
    const int64_t v = sum >> 16;
    if (rangeCheck)
        return uint32_t(std::clamp<int64_t>(v, 0, 255));
    return uint32_t(v) & 0xFF;
}

} // namespace

void CombineResampledPixel(
    TColor32 value, TColor32& d, const TBitmap32& src, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    switch (combineOp) {
    case dmOpaque: d = value; break;
    case dmBlend:
        BlendPixelMaskedInPlaceByMode[src.CombineMode()](value, d, std::min<uint32_t>(src.MasterAlpha(), 255));
        break;
    case dmCustom: combineCallBack(value, d, src.MasterAlpha()); break;
    case dmTransparent:
        if (value != src.OuterColor())
            d = value;
        break;
    }
}

void KernelResample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    const TCustomKernel& kernel, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    if (combineOp == dmCustom && !combineCallBack)
        combineOp = dmOpaque;
    if (combineOp == dmBlend && src.MasterAlpha() == 0)
        return;
    if (!IntersectRect(dstClip, dstClip, dst.BoundsRect()) || !IntersectRect(dstClip, dstClip, dstRect) ||
        IsRectEmpty(dstClip))
        return;

    const auto columns = BuildMappingTable(
        dstRect.Left, dstRect.Right, dstClip.Left, dstClip.Right, srcRect.Left, srcRect.Right, kernel);
    const auto rows = BuildMappingTable(
        dstRect.Top, dstRect.Bottom, dstClip.Top, dstClip.Bottom, srcRect.Top, srcRect.Bottom, kernel);
    // The source columns the horizontal taps reach.
    int32_t colLo = INT32_MAX, colHi = INT32_MIN;
    for (const TCluster& c : columns)
        for (const TTap& t : c) {
            colLo = std::min(colLo, t.Pos);
            colHi = std::max(colHi, t.Pos);
        }
    const bool rangeCheck = kernel.RangeCheck();
    std::vector<int64_t> acc(size_t(colHi - colLo + 1) * 4);

    for (int32_t y = dstClip.Top; y < dstClip.Bottom; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        for (const TTap& r : rows[size_t(y - dstClip.Top)]) {
            const TColor32* s = src.ScanLine(r.Pos);
            for (int32_t x = colLo; x <= colHi; ++x) {
                int64_t* a = &acc[size_t(x - colLo) * 4];
                const TColor32 c = s[x];
                for (int ch = 0; ch < 4; ++ch)
                    a[ch] += int64_t((c >> (8 * ch)) & 0xFF) * r.Weight;
            }
        }
        TColor32* d = dst.PixelPtr(dstClip.Left, y);
        for (int32_t x = dstClip.Left; x < dstClip.Right; ++x, ++d) {
            int64_t sum[4] = {0, 0, 0, 0};
            for (const TTap& t : columns[size_t(x - dstClip.Left)]) {
                const int64_t* a = &acc[size_t(t.Pos - colLo) * 4];
                for (int ch = 0; ch < 4; ++ch)
                    sum[ch] += a[ch] * t.Weight;
            }
            TColor32 value = 0;
            for (int ch = 0; ch < 4; ++ch)
                value |= ChannelOf(sum[ch], rangeCheck) << (8 * ch);
            CombineResampledPixel(value, *d, src, combineOp, combineCallBack);
        }
    }
}

namespace {

struct TLinearTap {
    int32_t Pos;
    uint32_t Weight; // of Pos; Pos + 1 gets 256 - Weight
};

std::vector<TLinearTap> LinearTaps(
    int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi, int32_t srcLo, int32_t srcHi, int32_t srcSize)
{
    const long double srcW = static_cast<long double>(int64_t(srcHi) - srcLo);
    const long double dstW = static_cast<long double>(int64_t(dstHi) - dstLo);
    std::vector<TLinearTap> taps(size_t(clipHi - clipLo));
    for (int32_t x = clipLo; x < clipHi; ++x) {
        float p = float((static_cast<long double>(int64_t(x) - dstLo) + 0.5L) * srcW / dstW - 0.5L + srcLo);
        if (p < 0)
            p = 0;
        if (p > float(srcSize - 1))
            p = float(srcSize - 1);
        const long double fl = std::floor(static_cast<long double>(p));
        TLinearTap t{int32_t(fl), uint32_t(256 - RoundEven((static_cast<long double>(p) - fl) * 256.0L))};
        // The last column is read alone, so nothing right of it is touched.
        if (t.Pos >= srcHi - 1) {
            t.Pos = srcHi - 2;
            t.Weight = 0;
        }
        taps[size_t(x - clipLo)] = t;
    }
    return taps;
}

// (b * 256 + (a - b) * w) shr 8 per channel, which is (a*w + b*(256-w)) shr 8.
TColor32 Lerp(TColor32 a, TColor32 b, uint32_t w)
{
    TColor32 r = 0;
    for (int ch = 0; ch < 32; ch += 8)
        r |= ((((a >> ch) & 0xFF) * w + ((b >> ch) & 0xFF) * (256 - w)) >> 8) << ch;
    return r;
}

} // namespace

void LinearStretch(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    if (combineOp == dmCustom && !combineCallBack)
        combineOp = dmOpaque;
    if (!IntersectRect(dstClip, dstClip, dst.BoundsRect()) || !IntersectRect(dstClip, dstClip, dstRect) ||
        IsRectEmpty(dstClip) || srcRect.Width() < 2 || srcRect.Height() < 2)
        return;
    const auto cols =
        LinearTaps(dstRect.Left, dstRect.Right, dstClip.Left, dstClip.Right, srcRect.Left, srcRect.Right, src.Width());
    const auto rows =
        LinearTaps(dstRect.Top, dstRect.Bottom, dstClip.Top, dstClip.Bottom, srcRect.Top, srcRect.Bottom, src.Height());
    for (int32_t y = dstClip.Top; y < dstClip.Bottom; ++y) {
        const TLinearTap& r = rows[size_t(y - dstClip.Top)];
        const TColor32* s0 = src.ScanLine(r.Pos);
        const TColor32* s1 = src.ScanLine(r.Pos + 1);
        TColor32* d = dst.PixelPtr(dstClip.Left, y);
        for (int32_t x = dstClip.Left; x < dstClip.Right; ++x, ++d) {
            const TLinearTap& c = cols[size_t(x - dstClip.Left)];
            const TColor32 top = Lerp(s0[c.Pos], s0[c.Pos + 1], c.Weight);
            const TColor32 bottom = Lerp(s1[c.Pos], s1[c.Pos + 1], c.Weight);
            CombineResampledPixel(Lerp(top, bottom, r.Weight), *d, src, combineOp, combineCallBack);
        }
    }
}

namespace {

// Block edges b(k) along one axis, as source indices; entry k is where
// destination pixel k of the clip starts, the last entry where the last ends.
std::vector<int32_t> BlockEdges(
    int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi, int32_t srcLo, int32_t srcHi)
{
    const float s =
        float(static_cast<long double>(int64_t(srcHi) - srcLo) / static_cast<long double>(int64_t(dstHi) - dstLo));
    const int64_t step = TruncTo(static_cast<long double>(s) * 65536.0L);
    const int64_t start = srcLo + TruncTo(static_cast<long double>(int64_t(clipLo) - dstLo) * s);
    std::vector<int32_t> edges(size_t(clipHi - clipLo) + 1);
    for (int32_t k = 0; k <= clipHi - clipLo; ++k)
        edges[size_t(k)] = int32_t(std::clamp<int64_t>(start + ((int64_t(k) * step) >> 16), srcLo, srcHi));
    return edges;
}

} // namespace

void DraftBlockAverage(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
    TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    if (combineOp == dmCustom && !combineCallBack)
        combineOp = dmOpaque;
    if (!IntersectRect(dstClip, dstClip, dst.BoundsRect()) || !IntersectRect(dstClip, dstClip, dstRect) ||
        IsRectEmpty(dstClip))
        return;
    const auto xs = BlockEdges(dstRect.Left, dstRect.Right, dstClip.Left, dstClip.Right, srcRect.Left, srcRect.Right);
    const auto ys = BlockEdges(dstRect.Top, dstRect.Bottom, dstClip.Top, dstClip.Bottom, srcRect.Top, srcRect.Bottom);
    for (int32_t j = 0; j + 1 < int32_t(ys.size()); ++j) {
        // Rounding of the single-precision scale must not leave a block empty.
        const int32_t y0 = std::min(ys[size_t(j)], srcRect.Bottom - 1);
        const int32_t y1 = std::max(ys[size_t(j) + 1], y0 + 1);
        TColor32* d = dst.PixelPtr(dstClip.Left, dstClip.Top + j);
        for (int32_t i = 0; i + 1 < int32_t(xs.size()); ++i, ++d) {
            const int32_t x0 = std::min(xs[size_t(i)], srcRect.Right - 1);
            const int32_t x1 = std::max(xs[size_t(i) + 1], x0 + 1);
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int32_t y = y0; y < y1; ++y) {
                const TColor32* s = src.ScanLine(y);
                for (int32_t x = x0; x < x1; ++x)
                    for (int ch = 0; ch < 4; ++ch)
                        sum[ch] += (s[x] >> (8 * ch)) & 0xFF;
            }
            const uint64_t factor = 0x1000000u / (uint64_t(x1 - x0) * uint64_t(y1 - y0));
            TColor32 value = 0;
            for (int ch = 0; ch < 4; ++ch)
                value |= TColor32(std::min<uint64_t>((sum[ch] * factor) >> 24, 255)) << (8 * ch);
            CombineResampledPixel(value, *d, src, combineOp, combineCallBack);
        }
    }
}
