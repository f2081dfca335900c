#pragma once
// The class library's TBitmap as the PNG reader and writer see it.

#include "codec/png_bitmap.h"
#include "classlib/bitmap.h"

#include <functional>

class PngTBitmapAdapter : public PngBitmap {
public:
    explicit PngTBitmapAdapter(TBitmap& bitmap) : FBitmap(bitmap) {}

    int32_t Width() const override { return FBitmap.Width(); }
    int32_t Height() const override { return FBitmap.Height(); }
    int BitsPerPixel() const override;
    std::vector<PngColor> Palette() const override;
    // Also clears the transparency a previous picture left behind.
    void Prepare(int32_t width, int32_t height, int bitsPerPixel, const std::vector<PngColor>& palette) override;
    uint8_t* ScanLine(int32_t y) override { return FBitmap.ScanLine(y); }
    const uint8_t* ScanLine(int32_t y) const override { return static_cast<const TBitmap&>(FBitmap).ScanLine(y); }
    void SetTransparentColor(uint32_t color) override;
    void Progress(int percent) const override
    {
        if (OnProgress)
            OnProgress(percent);
    }

    std::function<void(int percent)> OnProgress;

private:
    TBitmap& FBitmap;
};
