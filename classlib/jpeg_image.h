#pragma once
// The class library's JPEG picture, decoded by libjpeg into a 24-bit bitmap.

#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/graphic_base.h"

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    std::string ClassName() const override { return "TJPEGImage"; }
    std::unique_ptr<TGraphic> CreateNew() const override;

    bool Empty() const override { return FBitmap->Empty(); }
    int32_t Width() const override { return FBitmap->Width(); }
    int32_t Height() const override { return FBitmap->Height(); }
    // A JPEG image has the size of its data: raises
    // EInvalidGraphicOperation("Cannot change the size of a JPEG image").
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;

    // Reads the JPEG data from the stream's position to its end and decodes
    // it. Damaged, truncated or unsupported data, and a picture larger than
    // the largest picture a file may declare, raise EInvalidGraphic("JPEG
    // error #<n>: <libjpeg's text>") and leave the image as it was.
    void LoadFromStream(TStream& stream) override;
    // Writes the JPEG data as it was loaded (nothing for an empty image).
    void SaveToStream(TStream& stream) override;

    // The decoded picture: pf24bit (greyscale and CMYK files are converted).
    const TBitmap& Bitmap() const { return *FBitmap; }
    // The file held one colour component.
    bool Grayscale() const { return FGrayscale; }

    // From a TJPEGImage (nil empties); other sources are asked to assign
    // themselves.
    void Assign(const TPersistent* source) override;
    // A TBitmap destination receives the decoded picture.
    void AssignTo(TPersistent* dest) const override;

    void Draw(TCanvas& canvas, const TRect& rect) const override;

private:
    std::unique_ptr<TBitmap> FBitmap;
    std::vector<uint8_t> FData;
    bool FGrayscale = false;
};
