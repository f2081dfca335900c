#pragma once
// The class library's canvas: a font, a brush and drawing operations over a
// surface of pixels. A plain TCanvas draws on 32-bit memory handed to it as
// its handle (a TBitmap32's pixels); a TBitmap's canvas draws on the bitmap
// in whatever pixel format it has.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "base/classes.h"
#include "base/types.h"
#include "classlib/colors.h"
#include "classlib/font.h"
#include "classlib/text_render.h"

class TGraphic;

enum TBrushStyle : uint8_t { bsSolid, bsClear };

class TBrush : public TPersistent {
public:
    std::string ClassName() const override { return "TBrush"; }
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    // bsClear: text is drawn without a background and FillRect does nothing.
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    void Assign(const TPersistent* source) override;
    TNotifyEvent OnChange;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    std::string ClassName() const override { return "TCanvas"; }

    // The 32-bit pixels drawn on (the device context); a default TDIB32 (no
    // bits) detaches the canvas. Drawing on a canvas without pixels raises
    // EInvalidGraphicOperation("Canvas does not allow drawing").
    void SetHandle(const gdi::TDIB32& dib);
    const gdi::TDIB32& Handle() const { return FHandle; }
    virtual bool HandleAllocated() const { return FHandle.Bits != nullptr; }

    TFont& Font() { return *FFont; }
    const TFont& Font() const { return *FFont; }
    // Assigns (copies) the font.
    void SetFont(const TFont& font);
    TBrush& Brush() { return *FBrush; }
    const TBrush& Brush() const { return *FBrush; }

    // The colour at (x, y), -1 (CLR_INVALID) outside the surface.
    TColor Pixels(int32_t x, int32_t y);
    // Outside the surface nothing happens. On 32-bit memory the alpha byte
    // becomes 0, as GDI leaves it.
    void SetPixels(int32_t x, int32_t y, TColor color);

    // Fills the rectangle (clipped to the surface) with the brush colour;
    // nothing with a clear brush.
    void FillRect(const TRect& rect);
    // Text with its cell's top-left at (x, y) in the font's colour; with a
    // solid brush the text cell is filled with the brush colour first.
    void TextOut(int32_t x, int32_t y, std::string_view text);
    // As TextOut, clipped to `rect`.
    void TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text);
    TSize TextExtent(std::string_view text) const;
    int32_t TextWidth(std::string_view text) const { return TextExtent(text).cx; }
    int32_t TextHeight(std::string_view text) const { return TextExtent(text).cy; }

    // The graphic at its own size with its top-left at (x, y) / stretched into
    // `rect`. A nil or empty graphic draws nothing.
    void Draw(int32_t x, int32_t y, const TGraphic* graphic);
    void StretchDraw(const TRect& rect, const TGraphic* graphic);

    // The surface's bounds.
    TRect ClipRect();

    // Serialise use from several threads (the shared measuring canvas).
    void Lock();
    void Unlock();
    bool TryLock();
    int32_t LockCount() const { return FLockCount; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    // --- for graphics that draw themselves onto a canvas ---
    // Direct 32-bit pixels when the surface has them (raises when the canvas
    // has no surface at all); false for other pixel formats, which are
    // reached through ReadPixel/WritePixel.
    virtual bool Surface32(gdi::TDIB32& dib);
    // Surface size and per-pixel access in colours; the coordinates are
    // inside the surface.
    virtual TSize SurfaceSize();
    virtual TColor ReadPixel(int32_t x, int32_t y);
    virtual void WritePixel(int32_t x, int32_t y, TColor color);

    virtual void Changing();
    virtual void Changed();

protected:
    // Makes sure there is something to draw on; raises otherwise.
    virtual void RequireSurface();

private:
    void DrawText(const TRect& clip, bool clipped, int32_t x, int32_t y, std::string_view text);

    gdi::TDIB32 FHandle;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::recursive_mutex FLock;
    std::atomic<int32_t> FLockCount{0};
};
