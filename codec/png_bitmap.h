#pragma once
// What the PNG reader and writer need of a bitmap: its size, pixel format,
// palette and row memory. The graphic class hands them the class library's
// TBitmap through an adapter; the byte-level entry points, the tests and the
// fuzz target use PngImage, a bitmap held in plain memory.

#include <cstddef>
#include <cstdint>
#include <vector>

struct PngColor {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    friend bool operator==(const PngColor&, const PngColor&) = default;
};

class PngBitmap {
public:
    virtual ~PngBitmap() = default;

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // 1, 4, 8 (palette), 15, 16 (5-5-5 and 5-6-5 words), 24 (blue, green,
    // red), 32 (blue, green, red, unused); anything else is read as 24.
    virtual int BitsPerPixel() const = 0;
    virtual std::vector<PngColor> Palette() const = 0;

    // Gives the bitmap a new size and format; its pixels start as zero.
    virtual void Prepare(int32_t width, int32_t height, int bitsPerPixel, const std::vector<PngColor>& palette) = 0;
    // Row y, top-down, at least (width * bits + 7) / 8 bytes.
    virtual uint8_t* ScanLine(int32_t y) = 0;
    virtual const uint8_t* ScanLine(int32_t y) const = 0;

    // The single colour that a file marks transparent: a Windows colour
    // (00BBGGRRh) or a palette index with 01000000h added. Bitmaps that
    // cannot key a colour ignore it.
    virtual void SetTransparentColor(uint32_t /*color*/) {}
    // Decode and encode progress, 0 to 100.
    virtual void Progress(int /*percent*/) const {}

    bool Empty() const { return Width() <= 0 || Height() <= 0; }
};

// A bitmap in memory with rows of whole bytes, no padding between them.
class PngImage : public PngBitmap {
public:
    PngImage() = default;
    PngImage(int32_t width, int32_t height, int bitsPerPixel, std::vector<PngColor> palette = {});

    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    int BitsPerPixel() const override { return FBits; }
    std::vector<PngColor> Palette() const override { return FPalette; }
    void Prepare(int32_t width, int32_t height, int bitsPerPixel, const std::vector<PngColor>& palette) override;
    uint8_t* ScanLine(int32_t y) override { return FPixels.data() + static_cast<size_t>(y) * FStride; }
    const uint8_t* ScanLine(int32_t y) const override { return FPixels.data() + static_cast<size_t>(y) * FStride; }
    void SetTransparentColor(uint32_t color) override
    {
        FTransparent = true;
        FTransparentColor = color;
    }

    size_t Stride() const { return FStride; }
    const std::vector<uint8_t>& Pixels() const { return FPixels; }
    void SetPalette(std::vector<PngColor> palette) { FPalette = std::move(palette); }
    bool Transparent() const { return FTransparent; }
    uint32_t TransparentColor() const { return FTransparentColor; }

    friend bool operator==(const PngImage& a, const PngImage& b)
    {
        return a.FWidth == b.FWidth && a.FHeight == b.FHeight && a.FBits == b.FBits && a.FPalette == b.FPalette &&
               a.FPixels == b.FPixels;
    }

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int FBits = 0;
    size_t FStride = 0;
    std::vector<PngColor> FPalette;
    std::vector<uint8_t> FPixels;
    bool FTransparent = false;
    uint32_t FTransparentColor = 0;
};

// Bytes in one row of `width` pixels of `bits` each.
inline size_t PngRowBytes(int64_t width, int bits)
{
    return static_cast<size_t>((width * bits + 7) / 8);
}
