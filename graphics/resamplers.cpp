#include "graphics/resamplers.h"

#include <algorithm>
#include <cmath>

#include "graphics/containers.h"
#include "graphics/resample_ops.h"
#include "graphics/transfer.h"

namespace {

TClassList<TResamplerClass>& ResamplerList()
{
    static TClassList<TResamplerClass> list;
    return list;
}

TClassList<TKernelClass>& KernelList()
{
    static TClassList<TKernelClass> list;
    return list;
}

template <class T>
TBitmap32Resampler* CreateResampler(TBitmap32& bitmap)
{
    return TBitmap32Resampler::Create<T>(bitmap);
}

template <class T>
std::unique_ptr<TCustomKernel> CreateKernel()
{
    return std::make_unique<T>();
}

struct TRegistryStartup {
    TRegistryStartup()
    {
        RegisterResampler({"TNearestResampler", CreateResampler<TNearestResampler>});
        RegisterResampler({"TLinearResampler", CreateResampler<TLinearResampler>});
        RegisterResampler({"TDraftResampler", CreateResampler<TDraftResampler>});
        RegisterResampler({"TKernelResampler", CreateResampler<TKernelResampler>});
        RegisterKernel({"TBoxKernel", CreateKernel<TBoxKernel>});
        RegisterKernel({"TLinearKernel", CreateKernel<TLinearKernel>});
        RegisterKernel({"TCosineKernel", CreateKernel<TCosineKernel>});
        RegisterKernel({"TSplineKernel", CreateKernel<TSplineKernel>});
        RegisterKernel({"TCubicKernel", CreateKernel<TCubicKernel>});
        RegisterKernel({"TMitchellKernel", CreateKernel<TMitchellKernel>});
        RegisterKernel({"TLanczosKernel", CreateKernel<TLanczosKernel>});
        RegisterKernel({"TGaussianKernel", CreateKernel<TGaussianKernel>});
        RegisterKernel({"TBlackmanKernel", CreateKernel<TBlackmanKernel>});
        RegisterKernel({"THannKernel", CreateKernel<THannKernel>});
        RegisterKernel({"THammingKernel", CreateKernel<THammingKernel>});
        RegisterKernel({"TSinshKernel", CreateKernel<TSinshKernel>});
        RegisterKernel({"THermiteKernel", CreateKernel<THermiteKernel>});
    }
} gRegistryStartup;

} // namespace

void RegisterResampler(const TResamplerClass& cls)
{
    ResamplerList().Add(cls);
}
void RegisterKernel(const TKernelClass& cls)
{
    KernelList().Add(cls);
}
const TResamplerClass* FindResamplerClass(std::string_view name)
{
    return ResamplerList().Find(name);
}
const TKernelClass* FindKernelClass(std::string_view name)
{
    return KernelList().Find(name);
}

// --- TBitmap32Resampler -----------------------------------------------------

void TBitmap32Resampler::SetPixelAccessMode(TPixelAccessMode value)
{
    if (FPixelAccessMode != value) {
        FPixelAccessMode = value;
        Changed();
    }
}

void TBitmap32Resampler::Changed()
{
    if (FBitmap)
        FBitmap->Changed();
}

void TBitmap32Resampler::AssignTo(TPersistent* dest) const
{
    if (auto* r = dynamic_cast<TBitmap32Resampler*>(dest)) {
        CopyPropertiesTo(*r);
        return;
    }
    TCustomResampler::AssignTo(dest);
}

void TBitmap32Resampler::CopyPropertiesTo(TBitmap32Resampler& dst) const
{
    dst.SetPixelAccessMode(FPixelAccessMode);
}

TFloatRect TBitmap32Resampler::GetSampleBounds() const
{
    if (!FBitmap)
        return TCustomResampler::GetSampleBounds();
    TFloatRect r = FloatRect(FBitmap->ClipRect());
    if (FPixelAccessMode == pamTransparentEdge) {
        r.Left -= 1;
        r.Top -= 1;
        r.Right += 1;
        r.Bottom += 1;
    }
    return r;
}

// --- TNearestResampler ------------------------------------------------------

void TNearestResampler::PrepareSampling()
{
    if (FBitmap)
        FClipRect = FBitmap->ClipRect();
    FBoundMode = FPixelAccessMode;
}

TColor32 TNearestResampler::GetTransparentEdge(int32_t x, int32_t y) const
{
    if (IsRectEmpty(FClipRect))
        return 0;
    const int32_t cx = Constrain(x, FClipRect.Left, FClipRect.Right - 1);
    const int32_t cy = Constrain(y, FClipRect.Top, FClipRect.Bottom - 1);
    const TColor32 c = FBitmap->Pixel(cx, cy);
    return (cx != x || cy != y) ? (c & 0x00FFFFFF) : c;
}

TColor32 TNearestResampler::Get(int32_t x, int32_t y) const
{
    if (!FBitmap)
        return 0;
    switch (FBoundMode) {
    case pamUnsafe: return FBitmap->Pixel(x, y);
    case pamSafe: return FBitmap->PixelS(x, y);
    case pamWrap: return FBitmap->PixelW(x, y);
    case pamTransparentEdge: return GetTransparentEdge(x, y);
    }
    return 0;
}

TColor32 TNearestResampler::GetSampleInt(int32_t x, int32_t y)
{
    return Get(x, y);
}

TColor32 TNearestResampler::GetSampleFixed(TFixed x, TFixed y)
{
    return Get(FixedRound(x), FixedRound(y));
}

TColor32 TNearestResampler::GetSampleFloat(float x, float y)
{
    return Get(int32_t(RoundEven(x)), int32_t(RoundEven(y)));
}

void TNearestResampler::Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src,
    const TRect& srcRect, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    StretchNearest(dst, dstRect, dstClip, src, srcRect, combineOp, combineCallBack);
}

// --- TLinearResampler -------------------------------------------------------

TLinearResampler::TLinearResampler() : FLinearKernel(std::make_unique<TLinearKernel>())
{
}

TLinearResampler::~TLinearResampler() = default;

void TLinearResampler::PrepareSampling()
{
    if (FBitmap)
        FClipRect = FBitmap->ClipRect();
    FBoundMode = FPixelAccessMode;
}

TColor32 TLinearResampler::GetTransparentEdge(TFixed x, TFixed y) const
{
    const TRect& c = FClipRect;
    if (IsRectEmpty(c))
        return 0;
    const int32_t ix = x / 65536;
    const int32_t iy = y / 65536;
    if (x >= Fixed(c.Left) && y >= Fixed(c.Top) && ix < c.Right - 1 && iy < c.Bottom - 1)
        return FBitmap->PixelX(x, y);
    if (int64_t(x) < int64_t(Fixed(c.Left)) - FixedOne || int64_t(y) < int64_t(Fixed(c.Top)) - FixedOne ||
        ix > c.Right - 1 || iy > c.Bottom - 1)
        return 0;
    // Along the edge: the neighbours outside the clip rectangle are read from
    // its edge and lose their alpha, so the picture fades out over one pixel.
    const int32_t fx = x >> 16;
    const int32_t fy = y >> 16;
    const auto read = [&](int32_t px, int32_t py) {
        const int32_t qx = Constrain(px, c.Left, c.Right - 1);
        const int32_t qy = Constrain(py, c.Top, c.Bottom - 1);
        const TColor32 v = FBitmap->Pixel(qx, qy);
        return (qx != px || qy != py) ? (v & 0x00FFFFFF) : v;
    };
    const TColor32 wx = GammaTable(uint8_t(255 - ((uint32_t(x) >> 8) & 255)));
    const TColor32 wy = GammaTable(uint8_t(255 - ((uint32_t(y) >> 8) & 255)));
    const TColor32 top = CombinePixel(read(fx, fy), read(fx + 1, fy), wx);
    const TColor32 bottom = CombinePixel(read(fx, fy + 1), read(fx + 1, fy + 1), wx);
    return CombinePixel(top, bottom, wy);
}

TColor32 TLinearResampler::GetSampleFixed(TFixed x, TFixed y)
{
    if (!FBitmap)
        return 0;
    switch (FBoundMode) {
    case pamUnsafe: return FBitmap->PixelX(x, y);
    case pamSafe: return FBitmap->PixelXS(x, y);
    case pamWrap: return FBitmap->PixelXW(x, y);
    case pamTransparentEdge: return GetTransparentEdge(x, y);
    }
    return 0;
}

TColor32 TLinearResampler::GetSampleFloat(float x, float y)
{
    return GetSampleFixed(TFixed(RoundEven(x * 65536.0L)), TFixed(RoundEven(y * 65536.0L)));
}

void TLinearResampler::Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src,
    const TRect& srcRect, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    if (dstRect.Width() > srcRect.Width() && dstRect.Height() > srcRect.Height() && srcRect.Width() >= 2 &&
        srcRect.Height() >= 2)
        LinearStretch(dst, dstRect, dstClip, src, srcRect, combineOp, combineCallBack);
    else
        KernelResample(dst, dstRect, dstClip, src, srcRect, *FLinearKernel, combineOp, combineCallBack);
}

void TDraftResampler::Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src,
    const TRect& srcRect, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    if (dstRect.Width() > srcRect.Width() || dstRect.Height() > srcRect.Height()) {
        if (srcRect.Width() < 2 || srcRect.Height() < 2)
            KernelResample(dst, dstRect, dstClip, src, srcRect, *FLinearKernel, combineOp, combineCallBack);
        else
            LinearStretch(dst, dstRect, dstClip, src, srcRect, combineOp, combineCallBack);
    } else {
        DraftBlockAverage(dst, dstRect, dstClip, src, srcRect, combineOp, combineCallBack);
    }
}

// --- TKernelResampler -------------------------------------------------------

TKernelResampler::TKernelResampler() : FKernel(std::make_unique<TBoxKernel>())
{
    FKernel->SetObserver(this);
}

TKernelResampler::~TKernelResampler()
{
    if (FKernel)
        FKernel->SetObserver(nullptr);
}

void TKernelResampler::SetKernel(std::unique_ptr<TCustomKernel> value)
{
    if (!value || value.get() == FKernel.get())
        return;
    FKernel->SetObserver(nullptr);
    FKernel = std::move(value);
    FKernel->SetObserver(this);
    Changed();
}

void TKernelResampler::SetKernelClassName(const std::string& value)
{
    if (value.empty() || value == KernelClassName())
        return;
    if (const TKernelClass* cls = FindKernelClass(value))
        SetKernel(cls->Create());
}

void TKernelResampler::SetKernelMode(TKernelMode value)
{
    if (FKernelMode != value) {
        FKernelMode = value;
        Changed();
    }
}

void TKernelResampler::SetTableSize(int32_t value)
{
    value = std::max(value, 2);
    if (FTableSize != value) {
        FTableSize = value;
        Changed();
    }
}

void TKernelResampler::CopyPropertiesTo(TBitmap32Resampler& dst) const
{
    TBitmap32Resampler::CopyPropertiesTo(dst);
    if (auto* k = dynamic_cast<TKernelResampler*>(&dst)) {
        k->SetKernelClassName(KernelClassName());
        k->FKernel->Assign(FKernel.get());
        k->SetKernelMode(FKernelMode);
        k->SetTableSize(FTableSize);
    }
}

namespace {

int32_t KernelRadius(const TCustomKernel& kernel)
{
    return int32_t(std::clamp<int64_t>(CeilTo(kernel.GetWidth()), 0, 64));
}

} // namespace

void TKernelResampler::PrepareSampling()
{
    if (FBitmap) {
        FClipRect = FBitmap->ClipRect();
        FOuterColor = FBitmap->OuterColor();
    }
    FWeightTable.reset();
    if (FKernelMode == kmDynamic)
        return;
    const int32_t r = KernelRadius(*FKernel);
    FWeightTable = std::make_unique<TIntegerMap>();
    FWeightTable->SetSize(2 * r + 1, FTableSize + 1);
    for (int32_t i = 0; i <= FTableSize; ++i) {
        const float f = float(static_cast<long double>(i) / (FTableSize - 1));
        int32_t sum = 0;
        for (int32_t j = -r; j <= r; ++j) {
            const int32_t w = int32_t(RoundEven(static_cast<long double>(FKernel->Filter(float(j + f))) * 256));
            FWeightTable->SetValue(r + j, i, w);
            sum += w;
        }
        *FWeightTable->ValPtr(r, i) += 256 - sum;
    }
}

void TKernelResampler::FinalizeSampling()
{
    FWeightTable.reset();
}

void TKernelResampler::TapWeights(float frac, int32_t radius, int32_t* weights) const
{
    const int32_t n = 2 * radius + 1;
    if (FKernelMode == kmDynamic || !FWeightTable) {
        for (int32_t j = -radius; j <= radius; ++j)
            weights[j + radius] = int32_t(RoundEven(static_cast<long double>(FKernel->Filter(j + frac)) * 256));
    } else if (FKernelMode == kmTableNearest) {
        const int32_t row =
            Constrain(int32_t(RoundEven(static_cast<long double>(frac) * (FTableSize - 1))), 0, FTableSize);
        for (int32_t j = 0; j < n; ++j)
            weights[j] = FWeightTable->Value(j, row);
        return;
    } else {
        const TFixed pos = TFixed(RoundEven(static_cast<long double>(frac) * (FTableSize - 1) * 65536.0L));
        const int32_t row = Constrain(pos >> 16, 0, FTableSize - 1);
        const int32_t fraction = pos & 0xFFFF;
        for (int32_t j = 0; j < n; ++j) {
            const int32_t w0 = FWeightTable->Value(j, row);
            const int32_t w1 = FWeightTable->Value(j, row + 1);
            weights[j] = w0 + int32_t((int64_t(w1 - w0) * fraction + 0x7FFF) >> 16);
        }
    }
    int32_t sum = 0;
    for (int32_t j = 0; j < n; ++j)
        sum += weights[j];
    weights[radius] += 256 - sum;
}

TColor32 TKernelResampler::GetSampleFloat(float x, float y)
{
    if (!FBitmap || FBitmap->Empty())
        return FOuterColor;
    const int32_t r = KernelRadius(*FKernel);
    const int32_t cx = int32_t(CeilTo(x));
    const int32_t cy = int32_t(CeilTo(y));
    const TRect& clip = FClipRect;
    if (FPixelAccessMode == pamSafe || FPixelAccessMode == pamTransparentEdge) {
        if (cx < clip.Left || cx > clip.Right || cy < clip.Top || cy > clip.Bottom || IsRectEmpty(clip))
            return FPixelAccessMode == pamSafe ? FOuterColor : 0;
    }
    int32_t wx[129], wy[129];
    TapWeights(float(cx - static_cast<long double>(x)), r, wx);
    TapWeights(float(cy - static_cast<long double>(y)), r, wy);

    int64_t sum[4] = {0, 0, 0, 0};
    for (int32_t j = -r; j <= r; ++j) {
        for (int32_t i = -r; i <= r; ++i) {
            const int32_t px = cx + i;
            const int32_t py = cy + j;
            TColor32 c;
            switch (FPixelAccessMode) {
            case pamUnsafe: c = FBitmap->Pixel(px, py); break;
            case pamWrap: c = FBitmap->PixelW(px, py); break;
            case pamSafe: c = FBitmap->PixelS(px, py); break;
            default: {
                const int32_t qx = Constrain(px, clip.Left, clip.Right - 1);
                const int32_t qy = Constrain(py, clip.Top, clip.Bottom - 1);
                c = FBitmap->Pixel(qx, qy);
                if (qx != px || qy != py)
                    c &= 0x00FFFFFF;
                break;
            }
            }
            const int64_t w = int64_t(wx[i + r]) * wy[j + r];
            for (int ch = 0; ch < 4; ++ch)
                sum[ch] += w * int64_t((c >> (8 * ch)) & 0xFF);
        }
    }
    const bool rangeCheck = FKernel->RangeCheck();
    TColor32 result = 0;
    for (int ch = 0; ch < 4; ++ch) {
        const int64_t v = sum[ch] >> 16;
        result |= (rangeCheck ? TColor32(std::clamp<int64_t>(v, 0, 255)) : (TColor32(v) & 0xFF)) << (8 * ch);
    }
    return result;
}

void TKernelResampler::Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src,
    const TRect& srcRect, TDrawMode combineOp, const TPixelCombineEvent& combineCallBack)
{
    KernelResample(dst, dstRect, dstClip, src, srcRect, *FKernel, combineOp, combineCallBack);
}
