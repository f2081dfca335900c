#pragma once
// The class library's bitmap: a device-independent bitmap of 1 to 32 bits per
// pixel with its palette, read from and written to Windows bitmap files.
//
// Rows are exposed top-down whatever the file's order; each row is padded to
// a multiple of 4 bytes as in a DIB. Pixel layouts: pf1bit/pf4bit/pf8bit
// palette indices, most significant bits first; pf15bit 5-5-5 and pf16bit
// 5-6-5 little-endian words (blue in the low bits); pf24bit B,G,R; pf32bit
// B,G,R,A; pfDevice is held as 32-bit pixels with the DDB handle type.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/canvas.h"
#include "classlib/colors.h"
#include "classlib/graphic_base.h"

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TBitmapHandleType : uint8_t { bmDIB, bmDDB };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

// Bits per pixel of a format (pfDevice: 32).
int BitsPerPixelOf(TPixelFormat format);

// Largest bitmap accepted from a file or SetSize: sides up to 32768 pixels and
// 64 Mi pixels in all.
constexpr int32_t MaxBitmapSide = 32768;
constexpr int64_t MaxBitmapPixels = int64_t{1} << 26;

// Largest picture a BMP, JPEG or PNG file may declare, checked before any
// pixel memory is allocated: 16384 pixels a side and 16 Mi pixels in all
// (4096 x 4096), many times the screens games are drawn for. Larger ones are
// refused as damaged files are.
constexpr int32_t MaxPictureSide = 16384;
constexpr int64_t MaxPicturePixels = int64_t{1} << 24;
constexpr bool PictureSizeAllowed(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width <= MaxPictureSide && height <= MaxPictureSide &&
           width * height <= MaxPicturePixels;
}
// A picture the engine wrote itself (a saved game's picture buffers) may be as
// large as any bitmap it can hold.
constexpr bool BitmapSizeAllowed(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width <= MaxBitmapSide && height <= MaxBitmapSide &&
           width * height <= MaxBitmapPixels;
}

class TBitmap : public TGraphic {
public:
    // An empty pfDevice bitmap (DDB), not transparent, TransparentMode tmAuto.
    TBitmap();
    ~TBitmap() override;
    std::string ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> CreateNew() const override;

    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    // Size changes keep the overlapping part of the picture; new pixels are 0.
    // Negative values count as 0; sizes above the limits raise
    // EInvalidGraphicOperation("Bitmap is too large").
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    void SetSize(int32_t width, int32_t height);

    // Changing the format converts the pixels. Between palette formats that
    // grow (or keep) their entry count the palette and indices stay. Any other
    // palette target takes the palette set while the bitmap had direct
    // colours, or else the standard palette of its depth (black/white, the 16
    // VGA colours, or the 6x6x6 colour cube with the 16 VGA colours and 24
    // greys), and each colour its nearest entry.
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format);
    // bmDIB turns a pfDevice bitmap into pf32bit; bmDDB turns any bitmap into
    // pfDevice.
    TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
    void SetHandleType(TBitmapHandleType type);
    bool Monochrome() const;

    // Row y from the top. A pfDevice bitmap becomes pf32bit first (a DIB is
    // needed for direct access). An index outside 0..Height-1 raises
    // EInvalidGraphicOperation("Scan line index out of range").
    uint8_t* ScanLine(int32_t y);
    const uint8_t* ScanLine(int32_t y) const;
    // Bytes per row including padding.
    int32_t BytesPerScanLine() const { return FStride; }

    // Up to 256 entries; a palette format keeps at most 2^bits of them. Pixel
    // indices beyond the palette read as black.
    TPalette GetPalette() const override { return FPalette; }
    void SetPalette(const TPalette& palette) override;
    const TPalette& Palette() const { return FPalette; }

    // tmAuto: the colour of the bottom-left pixel (white for a monochrome
    // bitmap); tmFixed: the colour set. A palette-index colour (01000000h + i)
    // keys the pixels that hold palette entry i.
    TColor TransparentColor() const;
    // clDefault switches to tmAuto, any other colour to tmFixed.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // Created on first use; draws in the bitmap's own pixel format and signals
    // the bitmap's change.
    TCanvas* Canvas();

    // The colour of a pixel (00BBGGRRh) and its raw value (palette index,
    // packed word or B,G,R(,A) bytes); coordinates must be inside.
    TColor PixelColor(int32_t x, int32_t y) const;
    uint32_t RawPixel(int32_t x, int32_t y) const;
    // Stores the colour (nearest palette entry for palette formats; the alpha
    // byte of 32-bit pixels becomes 0, as GDI drawing leaves it).
    void SetPixelColor(int32_t x, int32_t y, TColor color);

    // Whether the pixel is the transparent colour (by index for a
    // palette-index TransparentColor, else by red, green and blue). Does not
    // look at Transparent.
    bool IsTransparentPixel(int32_t x, int32_t y) const;

    // Copies the picture into Width x Height 32-bit pixels (B, G, R, A, rows
    // top-down, `stride` bytes apart) as a BitBlt onto a 32-bit DIB does:
    // pf32bit/pfDevice copy all four bytes, every other format leaves alpha 0.
    void CopyToDIB32(uint8_t* dest, int32_t stride) const;
    // Sets the alpha byte to 0 of every pixel of such a copy that
    // IsTransparentPixel keys.
    void ClearTransparentAlpha(uint8_t* dest, int32_t stride) const;

    // From a TBitmap: pixels, format, palette, transparency settings. Nil
    // empties the bitmap. Other sources are asked to assign themselves.
    void Assign(const TPersistent* source) override;

    // A Windows bitmap file from the stream's position. Bad data raises
    // EInvalidGraphic("Bitmap image is not valid: <reason>") and leaves the
    // bitmap as it was; the position ends after the bytes read.
    void LoadFromStream(TStream& stream) override;
    // Bottom-up Windows bitmap file with a BITMAPINFOHEADER (pf16bit with 5-6-5
    // bit fields, pfDevice as 32 bits).
    void SaveToStream(TStream& stream) override;

    // Nearest-neighbour stretch into the canvas, leaving out the transparent
    // colour's pixels when Transparent is set.
    void Draw(TCanvas& canvas, const TRect& rect) const override;

private:
    friend class TBitmapCanvas;

    void Reformat(int32_t width, int32_t height, TPixelFormat format, const TPalette* palette);
    void NotifyChange();
    void DIBNeeded();

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FStride = 0;
    TPixelFormat FPixelFormat = pfDevice;
    std::vector<uint8_t> FBits;
    TPalette FPalette;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TCanvas> FCanvas;
};
