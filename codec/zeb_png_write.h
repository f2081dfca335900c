#pragma once
// The PNG writer: a bitmap, with an optional 8-bit alpha bitmap holding 255
// minus the alpha, written as a PNG file in a fixed chunk order.

#include "codec/png_bitmap.h"
#include "codec/zeb_png_error.h"
#include "codec/zeb_png_types.h"
#include "codec/zeb_stream.h"
#include "codec/zeb_zlib.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TZEBCustomGraphicWriteStream : public TZEBCustomWriteStream {
public:
    std::string ClassName() const override { return "TZEBCustomGraphicWriteStream"; }

    // Writes `bitmap` at the target's position.
    void SaveToStream(const PngBitmap& bitmap, TStream& target);
    void SaveToBytes(const PngBitmap& bitmap, std::vector<uint8_t>& target);

protected:
    bool Progress(int percent) override;
    virtual void WriteImage() = 0;

    const PngBitmap* FBitmap = nullptr;

private:
    void Encode(const PngBitmap& bitmap);
};

class TZEBPNGWriteStream : public TZEBCustomGraphicWriteStream {
public:
    static constexpr int DefaultIDATSize = 32768;

    TZEBPNGWriteStream();
    ~TZEBPNGWriteStream() override;
    std::string ClassName() const override { return "TZEBPNGWriteStream"; }

    void SetSignature(bool value) { FSignature = value; }
    // 256 to 100000 bytes of compressed data per IDAT chunk.
    void SetIDATSize(int size);
    int IDATSize() const { return FIDATSize; }
    // zlib's level 0 to 9; any other value means zlib's default.
    void SetCompressionLevel(int level) { FLevel = level >= 0 && level <= 9 ? level : -1; }
    // 0 adaptive, 1 None, 2 Sub, 3 Up, 4 Average, 5 Paeth; others None.
    void SetFilterMode(int mode) { FFilterMode = mode; }
    void SetInterlace(int method) { FInterlace = method == 1 ? 1 : 0; }
    void SetGrey(bool value) { FGreyOption = value; }
    // tIME from the clock, or from the time record when off.
    void SetCurrentTime(bool value) { FCurrentTime = value; }
    void SetBackground(int32_t color) { FBackground = color; }
    void SetTransparent(int32_t color) { FTransparent = color; }
    void SetComment(std::string text) { FComment = std::move(text); }
    void SetGamma(double gamma) { FGamma = gamma; }
    // sBIT as bytes red, green, blue, alpha from the lowest; 0 for none.
    void SetSignificantBits(int32_t bits) { FSignificantBits = bits; }
    // Unit 0 unknown, 1 metre, 2 inch (written as metres).
    void SetPhysical(int32_t x, int32_t y, uint8_t unit)
    {
        FPhysX = x;
        FPhysY = y;
        FPhysUnit = unit;
    }
    void SetRecords(const TPNGTime* time, const TPNGChromaticity* chromaticity, const TPNGGIFg* gifg)
    {
        FTimeRecord = time;
        FChromaticity = chromaticity;
        FGIFg = gifg;
    }
    void SetAlphaBitmap(const PngBitmap* alpha) { FAlphaBitmap = alpha; }
    void SetKeyString(std::string key) { FKeyString = std::move(key); }
    void SetOnWriteRow(TPNGRowHook hook) { FOnWriteRow = std::move(hook); }

    // One chunk: length, type, data, CRC over type and data.
    void WriteChunk(const char* type, const uint8_t* data, uint32_t length);

protected:
    void WriteImage() override;

private:
    void WriteHeader();
    void WriteTime();
    void WriteText(const std::string& keyword, const std::string& text);
    void WritetpNG();
    void WriteColorChunks();
    void WritePhysical();
    void WriteImageData();
    void ConvertRow(const TPNGPass& pass, int32_t y, uint8_t* out);
    const uint8_t* ChooseFilter(size_t length, size_t bpp);
    void Deflate(const uint8_t* data, size_t length, int flush);
    uint8_t GreyOf(uint32_t color) const;
    int NearestPaletteIndex(int32_t color) const;
    void BuildGreyTable();

    // Options.
    bool FSignature = true;
    int FIDATSize = DefaultIDATSize;
    int FLevel = -1;
    int FFilterMode = 1;
    int FInterlace = 0;
    bool FGreyOption = false;
    bool FCurrentTime = true;
    int32_t FBackground = PngNoColor;
    int32_t FTransparent = PngNoColor;
    std::string FComment;
    double FGamma = 0;
    int32_t FSignificantBits = 0;
    int32_t FPhysX = 0;
    int32_t FPhysY = 0;
    uint8_t FPhysUnit = 0;
    const TPNGTime* FTimeRecord = nullptr;
    const TPNGChromaticity* FChromaticity = nullptr;
    const TPNGGIFg* FGIFg = nullptr;
    const PngBitmap* FAlphaBitmap = nullptr;
    std::string FKeyString;
    TPNGRowHook FOnWriteRow;

    // Working state.
    int FBits = 0;  // the bitmap's bits per pixel
    int FDepth = 0; // the file's bit depth
    int FColorType = 0;
    int FRowBits = 0; // bits per pixel in the file
    bool FGrey = false;
    bool FAlpha = false;
    bool FInvertBits = false; // a 1-bit grey image whose entry 1 is the darker
    std::vector<PngColor> FPalette;
    std::array<uint8_t, 256> FGreyTable{};
    std::vector<uint8_t> FRow;
    std::vector<uint8_t> FPrevRow;
    std::vector<uint8_t> FFiltered;
    std::vector<uint8_t> FTrial;
    std::vector<uint8_t> FPixels;
    std::vector<uint8_t> FAlphaRow;
    std::unique_ptr<TZDeflate> FDeflate;
    std::vector<uint8_t> FOutput;
};
