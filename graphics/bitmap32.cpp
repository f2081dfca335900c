#include "graphics/bitmap32.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "base/scope_exit.h"
#include "graphics/resamplers.h"
#include "graphics/transfer.h"
#include "classlib/graphic.h"

TBitmap32::TBitmap32() : FFont(std::make_unique<TFont>())
{
    // Text reads the font's handle afresh for every call, so nothing has to
    // follow the font's changes (the original re-selected it into its DC).
    TBitmap32Resampler::Create<TNearestResampler>(*this);
}

TBitmap32::~TBitmap32()
{
    OnChange = nullptr;
    OnResize = nullptr;
    OnHandleChanged = nullptr;
    OnPixelCombine = nullptr;
    OnAreaChanged = nullptr;
    FOldOnAreaChanged = nullptr;
    Lock();
    FCanvas.reset();
    FResampler.reset();
    FFont.reset();
    FStorage.reset();
    FBits = nullptr;
    Unlock();
}

void TBitmap32::TFreePixels::operator()(TColor32* p) const
{
    std::free(p);
}

void TBitmap32::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight)
{
    const TScopeExit done([this] { HandleChanged(); });
    ReplacePixels(width, height, newWidth, newHeight);
}

void TBitmap32::ReplacePixels(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight)
{
    FCanvas.reset();
    FStorage.reset();
    FBits = nullptr;
    FFreshZero = false;
    width = 0;
    height = 0;

    if (newWidth > 0 && newHeight > 0) {
        const int64_t count = int64_t(newWidth) * newHeight;
        if (count > MaxBitmap32Pixels) {
            ResetClipRect();
            throw Exception("Can't allocate the DIB handle");
        }
        // New pixel memory starts as transparent black.
        FStorage.reset(static_cast<TColor32*>(std::calloc(size_t(count), sizeof(TColor32))));
        if (!FStorage) {
            ResetClipRect();
            throw Exception("Can't allocate the DIB handle");
        }
        FBits = FStorage.get();
        FFreshZero = true;
    }
    width = newWidth;
    height = newHeight;
    ResetClipRect();
}

bool TBitmap32::Empty() const
{
    return FBits == nullptr || FWidth == 0 || FHeight == 0;
}

void TBitmap32::Changed()
{
    if ((FUpdateCount == 0 || FMeasuringMode) && OnAreaChanged)
        OnAreaChanged(this, BoundsRect(), AREAINFO_RECT);
    if (!FMeasuringMode)
        TCustomMap::Changed();
}

void TBitmap32::AreaChanged(const TRect& area, uint32_t info)
{
    if ((FUpdateCount == 0 || FMeasuringMode) && OnAreaChanged)
        OnAreaChanged(this, area, info);
    if (!FMeasuringMode)
        TCustomMap::Changed();
}

void TBitmap32::HandleChanged()
{
    if (FCanvas)
        PointCanvasAtPixels();
    if (OnHandleChanged)
        OnHandleChanged(this);
}

void TBitmap32::CopyMapTo(TBitmap32& dst) const
{
    dst.SetSize(FWidth, FHeight);
    if (!Empty())
        MoveLongword(FBits, dst.Bits(), int64_t(FWidth) * FHeight);
}

void TBitmap32::CopyPropertiesTo(TBitmap32& dst) const
{
    dst.SetDrawMode(FDrawMode);
    dst.SetCombineMode(FCombineMode);
    dst.SetWrapMode(FWrapMode);
    dst.SetMasterAlpha(FMasterAlpha);
    dst.FOuterColor = FOuterColor;
    dst.SetResamplerClassName(ResamplerClassName());
    if (dst.FResampler && FResampler)
        dst.FResampler->Assign(FResampler.get());
    dst.FFont->Assign(FFont.get());
}

void TBitmap32::AssignFromBitmap32(const TBitmap32& source)
{
    source.CopyMapTo(*this);
    source.CopyPropertiesTo(*this);
}

void TBitmap32::SetClipRect(const TRect& value)
{
    IntersectRect(FClipRect, value, BoundsRect());
    FFixedClipRect = FixedRect(FClipRect);
    FClipRect256 = TRect{FClipRect.Left << 8, FClipRect.Top << 8, FClipRect.Right << 8, FClipRect.Bottom << 8};
    FClipping = !EqualRect(FClipRect, BoundsRect());
}

TColor32 TBitmap32::PixelS(int32_t x, int32_t y) const
{
    if (x >= FClipRect.Left && x < FClipRect.Right && y >= FClipRect.Top && y < FClipRect.Bottom)
        return Pixel(x, y);
    return FOuterColor;
}

void TBitmap32::SetPixelS(int32_t x, int32_t y, TColor32 value)
{
    if (x >= FClipRect.Left && x < FClipRect.Right && y >= FClipRect.Top && y < FClipRect.Bottom)
        SetPixel(x, y, value);
}

TColor32 TBitmap32::PixelW(int32_t x, int32_t y) const
{
    // An empty clip rectangle has no pixel to wrap onto.
    if (IsRectEmpty(FClipRect))
        return FOuterColor;
    x = WrapByMode(FWrapMode, x, FClipRect.Left, FClipRect.Right - 1);
    y = WrapByMode(FWrapMode, y, FClipRect.Top, FClipRect.Bottom - 1);
    return Pixel(x, y);
}

void TBitmap32::SetDrawMode(TDrawMode value)
{
    if (FDrawMode != value) {
        FDrawMode = value;
        Changed();
    }
}

void TBitmap32::SetCombineMode(TCombineMode value)
{
    if (FCombineMode != value) {
        FCombineMode = value;
        Changed();
    }
}

void TBitmap32::SetWrapMode(TWrapMode value)
{
    if (FWrapMode != value) {
        FWrapMode = value;
        Changed();
    }
}

void TBitmap32::SetMasterAlpha(uint32_t value)
{
    if (FMasterAlpha != value) {
        FMasterAlpha = value;
        Changed();
    }
}

void TBitmap32::SetResampler(std::unique_ptr<TCustomResampler> value)
{
    if (!value || value.get() == FResampler.get())
        return;
    FResampler = std::move(value);
    Changed();
}

void TBitmap32::InstallResampler(std::unique_ptr<TCustomResampler> resampler)
{
    SetResampler(std::move(resampler));
}

std::string TBitmap32::ResamplerClassName() const
{
    return FResampler ? FResampler->ClassName() : std::string();
}

void TBitmap32::SetResamplerClassName(const std::string& value)
{
    if (value.empty() || value == ResamplerClassName())
        return;
    if (const TResamplerClass* cls = FindResamplerClass(value))
        cls->Create(*this);
}

void TBitmap32::BeginMeasuring(TAreaChangedEvent callback)
{
    FMeasuringMode = true;
    FOldOnAreaChanged = std::move(OnAreaChanged);
    OnAreaChanged = std::move(callback);
}

void TBitmap32::EndMeasuring()
{
    FMeasuringMode = false;
    OnAreaChanged = std::move(FOldOnAreaChanged);
    FOldOnAreaChanged = nullptr;
}

void TBitmap32::FillRows(const TRect& r, TColor32 value)
{
    TRect cut;
    if (!IntersectRect(cut, r, BoundsRect()) || IsRectEmpty(cut) || (value == 0 && FFreshZero))
        return;
    for (int32_t y = cut.Top; y < cut.Bottom; ++y)
        FillLongword(PixelPtr(cut.Left, y), cut.Right - cut.Left, value);
}

void TBitmap32::Clear(TColor32 fillColor)
{
    if (Empty())
        return;
    if (!FMeasuringMode) {
        if (FClipping)
            FillRect(FClipRect.Left, FClipRect.Top, FClipRect.Right, FClipRect.Bottom, fillColor);
        else if (fillColor != 0 || !FFreshZero) {
            // Fresh pixels are written whole: their pages are mapped at once.
            if (FFreshZero)
                PrefaultForWriting(FBits, int64_t(FWidth) * FHeight * int64_t(sizeof(TColor32)));
            FillLongword(Bits(), int64_t(FWidth) * FHeight, fillColor);
        }
    }
    Changed();
}

void TBitmap32::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 value)
{
    FillRows(TRect{x1, y1, x2, y2}, value);
    AreaChanged(TRect{x1, y1, x2, y2}, AREAINFO_RECT);
}

void TBitmap32::FillRectS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 value)
{
    TRect r{x1, y1, x2, y2};
    if (!FMeasuringMode && x1 < x2 && y1 < y2 && x1 < FClipRect.Right && y1 < FClipRect.Bottom && x2 > FClipRect.Left &&
        y2 > FClipRect.Top) {
        r = TRect{std::max(x1, FClipRect.Left), std::max(y1, FClipRect.Top), std::min(x2, FClipRect.Right),
            std::min(y2, FClipRect.Bottom)};
        FillRows(r, value);
    }
    AreaChanged(r, AREAINFO_RECT);
}

void TBitmap32::ResetAlpha(uint8_t alpha)
{
    if (!FMeasuringMode && !Empty()) {
        const TColor32 a = TColor32(alpha) << 24;
        TColor32* p = Bits();
        const int64_t count = int64_t(FWidth) * FHeight;
        for (int64_t i = 0; i < count; ++i)
            p[i] = (p[i] & 0x00FFFFFF) | a;
    }
    Changed();
}

void TBitmap32::Draw(int32_t dstX, int32_t dstY, TBitmap32* src)
{
    if (src)
        src->DrawTo(*this, dstX, dstY);
}

void TBitmap32::Draw(const TRect& dstRect, const TRect& srcRect, TBitmap32* src)
{
    if (src)
        StretchTransfer(this, dstRect, FClipRect, src, srcRect, src->Resampler(), src->DrawMode(), src->OnPixelCombine);
}

void TBitmap32::DrawTo(TBitmap32& dst, int32_t dstX, int32_t dstY)
{
    BlockTransfer(&dst, dstX, dstY, dst.ClipRect(), this, BoundsRect(), FDrawMode, OnPixelCombine);
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect)
{
    StretchTransfer(&dst, dstRect, dst.ClipRect(), this, BoundsRect(), Resampler(), FDrawMode, OnPixelCombine);
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect)
{
    StretchTransfer(&dst, dstRect, dst.ClipRect(), this, srcRect, Resampler(), FDrawMode, OnPixelCombine);
}

void TBitmap32::ReadData(TStream& stream)
{
    const TScopeExit done([this] { Changed(); });
    ReadPixels(stream);
}

void TBitmap32::ReadPixels(TStream& stream)
{
    const int32_t w = stream.ReadI32();
    const int32_t h = stream.ReadI32();
    // Sizes come from outside: check them against what the stream holds
    // before anything is allocated, so a damaged header costs nothing.
    const int64_t pixels = int64_t(std::max(w, 0)) * std::max(h, 0);
    if (pixels > (stream.Size() - stream.Position()) / 4)
        throw EReadError("Stream read error");
    SetSize(w, h);
    if (pixels > 0)
        stream.ReadBuffer(Bits(), pixels * 4);
}

void TBitmap32::WriteData(TStream& stream) const
{
    stream.WriteI32(FWidth);
    stream.WriteI32(FHeight);
    if (!Empty())
        stream.WriteBuffer(FBits, int64_t(FWidth) * FHeight * 4);
}

// Pixel memory is little-endian B, G, R, A already, the stream's own order.
static_assert(std::endian::native == std::endian::little);

void CheckParams(TBitmap32* dst, const TBitmap32* src)
{
    if (!src)
        throw Exception("The source is nil");
    if (!dst)
        throw Exception("Destination is nil");
    dst->SetSize(src->Width(), src->Height());
}

void IntensityToAlpha(TBitmap32* dst, const TBitmap32* src)
{
    CheckParams(dst, src);
    const int64_t count = int64_t(src->Width()) * src->Height();
    const TColor32* s = src->Bits();
    TColor32* d = dst->Bits();
    for (int64_t i = 0; i < count; ++i)
        d[i] = SetAlpha(d[i], Intensity(s[i]));
    dst->Changed();
}

void Invert(TBitmap32* dst, const TBitmap32* src)
{
    CheckParams(dst, src);
    const int64_t count = int64_t(src->Width()) * src->Height();
    const TColor32* s = src->Bits();
    TColor32* d = dst->Bits();
    for (int64_t i = 0; i < count; ++i)
        d[i] = ~s[i];
    dst->Changed();
}
