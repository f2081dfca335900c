#pragma once
// TBitmap32: Width x Height TColor32 pixels in top-down rows without gaps,
// with how it is drawn onto other bitmaps (draw mode, master alpha, combine
// mode, resampler), a clip rectangle, a font for text, and change
// notification (update counting, whole and per-area change events) that
// layers and the image control repaint from.

#include <memory>
#include <string>

#include "base/streams.h"
#include "base/types.h"
#include "graphics/blend.h"
#include "graphics/draw_mode.h"
#include "graphics/notifiable.h"
#include "graphics/rects.h"

class TFont;
class TCanvas;
class TBitmap;
class TGraphic;
class TCustomResampler;
struct TRenderTextFonts;

// The largest bitmap this library allocates (1 GiB of pixels); a size beyond
// it fails like an allocation failure instead of overflowing a size
// computation.
constexpr int64_t MaxBitmap32Pixels = int64_t(1) << 28;

class TBitmap32 : public TCustomMap {
public:
    TBitmap32();
    // Fires no event: owners clear their handlers before destroying a bitmap.
    ~TBitmap32() override;
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    std::string ClassName() const override { return "TBitmap32"; }

    // From nil (SetSize(0, 0)), another TBitmap32 (pixels and drawing
    // properties), or the class library's TBitmap, TGraphic and TPicture.
    // Always ends with Changed, also when it fails.
    void Assign(const TPersistent* source) override;
    // Into the class library's TBitmap or TPicture: a 32-bit bitmap holding
    // all four bytes of every pixel.
    void AssignTo(TPersistent* dest) const override;

    // Reports BoundsRect through OnAreaChanged (also while measuring), then
    // OnChange unless measuring.
    void Changed() override;
    bool Empty() const override;

    virtual void CopyMapTo(TBitmap32& dst) const;
    virtual void CopyPropertiesTo(TBitmap32& dst) const;
    // Points an existing canvas at the current pixels, then OnHandleChanged.
    virtual void HandleChanged();
    // The streamed "Data" property: Width, Height (32-bit little-endian) and
    // the pixels as B, G, R, A rows top to bottom. Raises EReadError when the
    // stream is shorter than the header promises; Changed runs in any case.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream) const;
    // Whether a form writer stores "Data" for this bitmap given the ancestor
    // object (nil: none): always unless the ancestor is an equal TBitmap32;
    // without one only when not empty.
    bool DataNeedsWriting(const TPersistent* ancestor) const;
    // OnAreaChanged(area, info) when not updating or while measuring, then
    // OnChange unless measuring.
    virtual void AreaChanged(const TRect& area, uint32_t info = AREAINFO_RECT);

    // Pixels. Row y starts at Bits() + y * Width(); null when empty.
    TColor32* Bits() const
    {
        FFreshZero = false;
        return FBits;
    }
    TColor32* ScanLine(int32_t y) const { return Bits() + int64_t(y) * FWidth; }
    TColor32* PixelPtr(int32_t x, int32_t y) const { return Bits() + int64_t(y) * FWidth + x; }
    TColor32 Pixel(int32_t x, int32_t y) const { return FBits[int64_t(y) * FWidth + x]; }
    void SetPixel(int32_t x, int32_t y, TColor32 value) { *PixelPtr(x, y) = value; }
    // OuterColor outside the clip rectangle; writes outside it are dropped.
    TColor32 PixelS(int32_t x, int32_t y) const;
    void SetPixelS(int32_t x, int32_t y, TColor32 value);
    // The coordinates brought into the clip rectangle by WrapMode.
    TColor32 PixelW(int32_t x, int32_t y) const;

    // Interpolating reads at 16.16 positions: the four neighbours mixed by
    // the fraction through the gamma table. Plain (the caller keeps all four
    // inside), S (OuterColor outside the clip rectangle), W (WrapMode).
    TColor32 PixelX(TFixed x, TFixed y) const;
    TColor32 PixelXS(TFixed x, TFixed y) const;
    TColor32 PixelXW(TFixed x, TFixed y) const;
    // The same at 24.8 positions.
    TColor32 Pixel256(int32_t x, int32_t y) const;
    TColor32 Pixel256S(int32_t x, int32_t y) const;
    TColor32 Pixel256W(int32_t x, int32_t y) const;

    TRect BoundsRect() const { return TRect{0, 0, FWidth, FHeight}; }
    const TRect& ClipRect() const { return FClipRect; }
    const TFixedRect& FixedClipRect() const { return FFixedClipRect; }
    // The clip rectangle with every edge shl 8 (for 24.8 positions).
    const TRect& ClipRect256() const { return FClipRect256; }
    bool Clipping() const { return FClipping; }
    void SetClipRect(const TRect& value);
    void ResetClipRect() { SetClipRect(BoundsRect()); }

    // Drawing properties; the setters call Changed only on a real change.
    TDrawMode DrawMode() const { return FDrawMode; }
    void SetDrawMode(TDrawMode value);
    TCombineMode CombineMode() const { return FCombineMode; }
    void SetCombineMode(TCombineMode value);
    TWrapMode WrapMode() const { return FWrapMode; }
    void SetWrapMode(TWrapMode value);
    // Extra weight (0..255) when drawn in blend mode; 255 or more is none.
    uint32_t MasterAlpha() const { return FMasterAlpha; }
    void SetMasterAlpha(uint32_t value);
    // Read outside the clip rectangle and skipped by dmTransparent.
    TColor32 OuterColor() const { return FOuterColor; }
    void SetOuterColor(TColor32 value) { FOuterColor = value; }

    // The owned resampler (never null). Setting a different one frees the old.
    TCustomResampler* Resampler() const { return FResampler.get(); }
    void SetResampler(std::unique_ptr<TCustomResampler> value);
    std::string ResamplerClassName() const;
    // An empty, unchanged or unregistered name changes nothing.
    void SetResamplerClassName(const std::string& value);

    TFont& Font() const { return *FFont; }
    void SetFont(const TFont& value);
    // A canvas on the pixels, made on first use; its changes call Changed.
    TCanvas& Canvas();

    // While measuring nothing is drawn and only areas are reported, to
    // `callback` in place of OnAreaChanged.
    bool MeasuringMode() const { return FMeasuringMode; }
    void BeginMeasuring(TAreaChangedEvent callback);
    void EndMeasuring();

    // Opaque black.
    void Clear() { Clear(0xFF000000); }
    // Fills the clip rectangle, then Changed; nothing at all when empty.
    void Clear(TColor32 fillColor);
    // Fills (x1, y1)-(x2, y2) without blending, clipping or the measuring
    // test and reports the area. Pixels outside the bitmap are never written.
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 value);
    // Fills the part inside the clip rectangle unless measuring, and reports
    // the area (the clipped one when it filled).
    void FillRectS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 value);
    void FillRectS(const TRect& r, TColor32 value) { FillRectS(r.Left, r.Top, r.Right, r.Bottom, value); }
    void ResetAlpha() { ResetAlpha(255); }
    void ResetAlpha(uint8_t alpha);

    // src drawn at (dstX, dstY) by its own draw mode within this clip rect.
    void Draw(int32_t dstX, int32_t dstY, TBitmap32* src);
    // srcRect of src stretched into dstRect through src's resampler.
    void Draw(const TRect& dstRect, const TRect& srcRect, TBitmap32* src);
    void DrawTo(TBitmap32& dst, int32_t dstX, int32_t dstY);
    void DrawTo(TBitmap32& dst, const TRect& dstRect);
    void DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect);

    // Text in the Font through the GDI stand-in.
    TSize TextExtent(const std::string& text);
    int32_t TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int32_t TextHeight(const std::string& text) { return TextExtent(text).cy; }
    void TextOut(int32_t x, int32_t y, const std::string& text);
    // Text with coverage turned into alpha, in color's red, green and blue,
    // weighted by color's alpha. aaLevel -1 uses the font rasteriser's own
    // anti-aliasing, 0 none, 1 to 4 supersampling by 2^n in each direction.
    void RenderText(int32_t x, int32_t y, const std::string& text, int32_t aaLevel, TColor32 color);

    // A Windows bitmap file through the class library's TBitmap. Changed
    // runs also when loading fails; the error propagates.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    TNotifyEvent OnHandleChanged;
    TPixelCombineEvent OnPixelCombine;
    TAreaChangedEvent OnAreaChanged;

protected:
    void ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) override;

private:
    friend class TBitmap32Resampler;
    friend class TBitmap32TextRenderer;

    // The resampler installing itself (resampler creation by class).
    void InstallResampler(std::unique_ptr<TCustomResampler> resampler);
    void ReplacePixels(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight);
    void ReadPixels(TStream& stream);
    void PointCanvasAtPixels();
    void FillRows(const TRect& r, TColor32 value);
    void AssignFromBitmap32(const TBitmap32& source);
    void AssignFromTBitmap(const TBitmap& bitmap);
    void AssignFromGraphic(const TGraphic& graphic);
    void AssignToBitmap(TBitmap& bitmap) const;

    // Pixel memory comes zeroed from calloc: a fresh large block is the
    // system's zero pages, so a bitmap that is sized and then filled is
    // written once, not twice.
    struct TFreePixels {
        void operator()(TColor32* p) const;
    };
    TColor32* FBits = nullptr;
    std::unique_ptr<TColor32[], TFreePixels> FStorage;
    // The pixels are still the zeros calloc gave them: nothing has been
    // handed a pointer to them since. Clearing them to zero then writes
    // nothing, which spares touching every page of a bitmap just made.
    mutable bool FFreshZero = false;
    std::unique_ptr<TCanvas> FCanvas;
    TRect FClipRect;
    TFixedRect FFixedClipRect;
    TRect FClipRect256;
    bool FClipping = false;
    TDrawMode FDrawMode = dmOpaque;
    TCombineMode FCombineMode = cmBlend;
    TWrapMode FWrapMode = wmClamp;
    std::unique_ptr<TFont> FFont;
    uint32_t FMasterAlpha = 255;
    TColor32 FOuterColor = 0;
    TAreaChangedEvent FOldOnAreaChanged;
    bool FMeasuringMode = false;
    std::unique_ptr<TCustomResampler> FResampler;
    // The fonts RenderText used last, kept for the next call.
    std::shared_ptr<const TRenderTextFonts> FRenderTextFonts;
};

// Dst takes Src's size. Raise Exception "The source is nil" / "Destination is
// nil" before touching anything.
void CheckParams(TBitmap32* dst, const TBitmap32* src);
// Each Dst alpha := Intensity of the Src pixel; Dst keeps its colours.
void IntensityToAlpha(TBitmap32* dst, const TBitmap32* src);
// Every bit of every pixel inverted, alpha included.
void Invert(TBitmap32* dst, const TBitmap32* src);

// Rebuilds the gamma table used by the interpolating reads (0.7 at start-up).
void SetGamma(float gamma = 0.7f);
uint8_t GammaTable(uint8_t index);
