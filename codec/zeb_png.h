#pragma once
// TZEBPNG: PNG as a picture format of the class library. It holds the
// picture as a TBitmap and the alpha channel as a separate 8-bit TBitmap whose
// bytes are 255 minus the alpha (0 opaque, 255 transparent), together with the
// PNG options of the file it came from or will be written to.

#include "codec/zeb_png_types.h"
#include "classlib/bitmap.h"
#include "classlib/graphic_base.h"

#include <memory>
#include <string>

class TZEBPNG : public TGraphic {
public:
    TZEBPNG();
    ~TZEBPNG() override;
    TZEBPNG(const TZEBPNG&) = delete;
    TZEBPNG& operator=(const TZEBPNG&) = delete;
    std::string ClassName() const override { return "TZEBPNG"; }
    std::unique_ptr<TGraphic> CreateNew() const override;

    // From another TZEBPNG: both bitmaps and the options. From any other
    // graphic: the picture only.
    void Assign(const TPersistent* source) override;
    // A graphic destination receives the picture.
    void AssignTo(TPersistent* dest) const override;

    bool Empty() const override { return FImage->Empty(); }
    int32_t Width() const override { return FImage->Width(); }
    int32_t Height() const override { return FImage->Height(); }
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    TPalette GetPalette() const override { return FImage->GetPalette(); }
    void SetPalette(const TPalette& palette) override;
    void SetTransparent(bool value) override;

    // Decodes the PNG file from the stream's position to its end; EZEBPNG on a
    // bad file, after which the picture holds what was decoded so far.
    void LoadFromStream(TStream& stream) override;
    // Encodes the picture, with its alpha channel when the object has one.
    void SaveToStream(TStream& stream) override;
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    void Draw(TCanvas& canvas, const TRect& rect) const override;

    // True when the object holds an alpha channel; it is then copied into
    // `dest` when one is given.
    bool GetAlphaBitmap(TBitmap* dest = nullptr) const;

    // The picture and its alpha channel.
    TBitmap& Image() { return *FImage; }
    const TBitmap& Image() const { return *FImage; }
    TBitmap& Alpha() { return *FAlpha; }
    const TBitmap& Alpha() const { return *FAlpha; }

    int IDATSize() const { return FIDATSize; }
    void SetIDATSize(int value) { FIDATSize = value; }
    // zlib's level 0 to 9; -1 or any other value: zlib's default.
    int CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(int value) { FCompressionLevel = value; }
    // 0 adaptive, 1 None, 2 Sub, 3 Up, 4 Average, 5 Paeth.
    uint8_t FilterMode() const { return FFilterMode; }
    void SetFilterMode(uint8_t value) { FFilterMode = value; }
    // 0 none, 1 Adam7; a loaded file's method.
    uint8_t Interlace() const { return FInterlace; }
    void SetInterlace(uint8_t value) { FInterlace = value; }
    bool Grey() const { return FGrey; }
    void SetGrey(bool value) { FGrey = value; }
    bool HasAlpha() const { return FHasAlpha; }
    void SetHasAlpha(bool value) { FHasAlpha = value; }
    int BitDepth() const { return FBitDepth; }
    // Colours 00BBGGRRh, palette indexes with 01000000h added, -1 for none.
    int32_t Background() const { return FBackground; }
    void SetBackground(int32_t value) { FBackground = value; }
    int32_t TransparentValue() const { return FTransparentValue; }
    void SetTransparentValue(int32_t value) { FTransparentValue = value; }
    const std::string& Comment() const { return FComment; }
    void SetComment(std::string value) { FComment = std::move(value); }
    double Gamma() const { return FGamma; }
    void SetGamma(double value) { FGamma = value; }
    const std::string& KeyString() const { return FKeyString; }
    void SetKeyString(std::string value) { FKeyString = std::move(value); }
    // sBIT bytes red, green, blue, alpha from the lowest.
    int32_t SignificantBits() const { return FSignificantBits; }
    void SetSignificantBits(int32_t value) { FSignificantBits = value; }
    // pHYs: unit 0 unknown, 1 metre, 2 inch.
    uint8_t PhysUnit() const { return FPhysUnit; }
    int32_t PhysX() const { return FPhysX; }
    int32_t PhysY() const { return FPhysY; }
    void SetPhysical(uint8_t unit, int32_t x, int32_t y)
    {
        FPhysUnit = unit;
        FPhysX = x;
        FPhysY = y;
    }
    bool MacBinary() const { return FMacBinary; }
    void SetMacBinary(bool value) { FMacBinary = value; }
    // Saving stamps tIME with the current UTC time, else with TimeRecord.
    bool CurrentTime() const { return FCurrentTime; }
    void SetCurrentTime(bool value) { FCurrentTime = value; }
    TPNGTime& TimeRecord() { return FTimeRecord; }
    TPNGChromaticity& Chromaticity() { return FChromaticity; }
    TPNGGIFg& GIFg() { return FGIFg; }
    bool Decode1516() const { return FDecode1516; }
    void SetDecode1516(bool value) { FDecode1516 = value; }
    // Pictures up to the largest bitmap are read, not only up to the largest
    // picture file (for pictures the engine wrote itself).
    void SetAnyBitmapSize(bool value) { FAnyBitmapSize = value; }

    TPNGKeyRequest OnKeyRequest;
    TPNGRowHook OnReadRow;
    TPNGRowHook OnWriteRow;

private:
    void Decode(TStream& stream, bool keepInterlace);
    void Encode(TStream& stream, bool withOptions);
    void Synchronize();

    std::unique_ptr<TBitmap> FAlpha;
    std::unique_ptr<TBitmap> FImage;
    int FIDATSize;
    int FCompressionLevel = -1;
    uint8_t FFilterMode = 1;
    uint8_t FInterlace = 0;
    bool FGrey = false;
    bool FHasAlpha = false;
    int FBitDepth = 0;
    int32_t FBackground = PngNoColor;
    int32_t FTransparentValue = PngNoColor;
    std::string FComment;
    double FGamma = 0.45455;
    std::string FKeyString;
    int32_t FSignificantBits = 0;
    uint8_t FPhysUnit = 0;
    int32_t FPhysX = 0;
    int32_t FPhysY = 0;
    bool FMacBinary = true;
    bool FCurrentTime = true;
    TPNGTime FTimeRecord;
    TPNGChromaticity FChromaticity{};
    TPNGGIFg FGIFg{};
    bool FDecode1516 = false;
    bool FAnyBitmapSize = false;
    bool FSyncing = false; // a transparency change that comes from the picture
};
