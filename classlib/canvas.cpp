#include "classlib/canvas.h"

#include <algorithm>

#include "classlib/graphic_base.h"

namespace {

uint8_t Mix(uint8_t old, uint8_t ink, uint8_t coverage)
{
    return static_cast<uint8_t>((ink * coverage + old * (255 - coverage) + 127) / 255);
}

} // namespace

void TBrush::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    if (OnChange)
        OnChange(this);
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    if (OnChange)
        OnChange(this);
}

void TBrush::Assign(const TPersistent* source)
{
    const auto* brush = dynamic_cast<const TBrush*>(source);
    if (brush == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    if (OnChange)
        OnChange(this);
}

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>())
{
}

TCanvas::~TCanvas() = default;

void TCanvas::SetHandle(const gdi::TDIB32& dib)
{
    FHandle = dib.Bits != nullptr ? dib : gdi::TDIB32{};
    if (FHandle.Bits != nullptr && FHandle.Stride == 0)
        FHandle.Stride = FHandle.Width * 4;
}

void TCanvas::SetFont(const TFont& font)
{
    FFont->Assign(&font);
}

void TCanvas::RequireSurface()
{
    if (FHandle.Bits == nullptr)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
}

bool TCanvas::Surface32(gdi::TDIB32& dib)
{
    RequireSurface();
    dib = FHandle;
    return true;
}

TSize TCanvas::SurfaceSize()
{
    return TSize{FHandle.Width, FHandle.Height};
}

TColor TCanvas::ReadPixel(int32_t x, int32_t y)
{
    const uint8_t* p = FHandle.Bits + static_cast<ptrdiff_t>(y) * FHandle.Stride + x * 4;
    return RGB(p[2], p[1], p[0]);
}

void TCanvas::WritePixel(int32_t x, int32_t y, TColor color)
{
    uint8_t* p = FHandle.Bits + static_cast<ptrdiff_t>(y) * FHandle.Stride + x * 4;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
    p[3] = 0;
}

TRect TCanvas::ClipRect()
{
    const TSize size = SurfaceSize();
    return TRect{0, 0, size.cx, size.cy};
}

TColor TCanvas::Pixels(int32_t x, int32_t y)
{
    RequireSurface();
    const TSize size = SurfaceSize();
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy)
        return -1;
    return ReadPixel(x, y);
}

void TCanvas::SetPixels(int32_t x, int32_t y, TColor color)
{
    RequireSurface();
    const TSize size = SurfaceSize();
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy)
        return;
    Changing();
    WritePixel(x, y, ColorToRGB(color));
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    RequireSurface();
    if (FBrush->Style() == bsClear)
        return;
    const TRect r = IntersectRects(rect, ClipRect());
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    Changing();
    const TColor color = ColorToRGB(FBrush->Color());
    gdi::TDIB32 dib;
    if (Surface32(dib)) {
        const uint32_t value = static_cast<uint32_t>(GetBValue(color)) | (GetGValue(color) << 8) |
                               (static_cast<uint32_t>(GetRValue(color)) << 16);
        for (int32_t y = r.Top; y < r.Bottom; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(dib.Bits + static_cast<ptrdiff_t>(y) * dib.Stride);
            std::fill(row + r.Left, row + r.Right, value);
        }
    } else {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x)
                WritePixel(x, y, color);
    }
    Changed();
}

void TCanvas::DrawText(const TRect& clip, bool clipped, int32_t x, int32_t y, std::string_view text)
{
    RequireSurface();
    Changing();
    gdi::TTextContext dc;
    dc.Font = FFont->Handle();
    dc.TextColor = ColorToRGB(FFont->Color());
    dc.TransparentBackground = FBrush->Style() == bsClear;
    dc.BackgroundColor = ColorToRGB(FBrush->Color());
    gdi::TDIB32 dib;
    if (Surface32(dib)) {
        gdi::ExtTextOut(dib, dc, x, y, clipped ? gdi::ETO_CLIPPED : 0, clipped ? &clip : nullptr, text);
    } else {
        const TRect bounds = clipped ? IntersectRects(clip, ClipRect()) : ClipRect();
        if (!dc.TransparentBackground) {
            const TSize extent = gdi::GetTextExtentPoint32(dc.Font, text);
            const TRect cell = IntersectRects(TRect{x, y, x + extent.cx, y + extent.cy}, bounds);
            for (int32_t py = cell.Top; py < cell.Bottom; ++py)
                for (int32_t px = cell.Left; px < cell.Right; ++px)
                    WritePixel(px, py, dc.BackgroundColor);
        }
        const TColor ink = dc.TextColor;
        gdi::ForEachTextPixel(dc.Font, x, y, bounds, text, [&](int32_t px, int32_t py, uint8_t coverage) {
            if (coverage == 255) {
                WritePixel(px, py, ink);
                return;
            }
            const TColor old = ReadPixel(px, py);
            WritePixel(px, py,
                RGB(Mix(GetRValue(old), GetRValue(ink), coverage), Mix(GetGValue(old), GetGValue(ink), coverage),
                    Mix(GetBValue(old), GetBValue(ink), coverage)));
        });
    }
    Changed();
}

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    DrawText(TRect{}, false, x, y, text);
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text)
{
    DrawText(rect, true, x, y, text);
}

TSize TCanvas::TextExtent(std::string_view text) const
{
    return gdi::GetTextExtentPoint32(FFont->Handle(), text);
}

void TCanvas::Draw(int32_t x, int32_t y, const TGraphic* graphic)
{
    if (graphic == nullptr || graphic->Empty())
        return;
    StretchDraw(TRect{x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic* graphic)
{
    if (graphic == nullptr || graphic->Empty())
        return;
    RequireSurface();
    Changing();
    graphic->Draw(*this, rect);
    Changed();
}

void TCanvas::Lock()
{
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock()
{
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock()
{
    if (!FLock.try_lock())
        return false;
    ++FLockCount;
    return true;
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}
