#pragma once
// The PNG reader: a chunk loop over the buffered reader that decodes the
// image into a bitmap and its alpha channel, if any, into a second 8-bit
// bitmap holding 255 minus the alpha (0 opaque, 255 transparent).

#include "codec/png_bitmap.h"
#include "codec/zeb_png_error.h"
#include "codec/zeb_png_rows.h"
#include "codec/zeb_png_types.h"
#include "codec/zeb_stream.h"
#include "codec/zeb_zlib.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TZEBCustomGraphicReadStream : public TZEBCustomReadStream {
public:
    std::string ClassName() const override { return "TZEBCustomGraphicReadStream"; }

    // Decodes `size` bytes of `source` from its position (the rest of it when
    // size <= 0) into `bitmap`, and leaves the source just after the picture.
    // Without a bitmap only the header is read.
    void LoadFromStream(PngBitmap* bitmap, TStream& source, int64_t size = 0);
    void LoadFromBytes(PngBitmap* bitmap, std::span<const uint8_t> bytes);

    int32_t ImageWidth() const { return FWidth; }
    int32_t ImageHeight() const { return FHeight; }
    // Bits per pixel of the bitmap made, and the file's own bit depth.
    int BitsPerPixel() const { return FBitsPerPixel; }
    int BitDepth() const { return FBitDepth; }
    int PaletteCount() const { return FPaletteCount; }

protected:
    void Progress(int percent) override;
    virtual void ReadImage() = 0;
    virtual void PrepareBitmap() = 0;

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int FBitsPerPixel = 0;
    int FBitDepth = 0;
    int FPaletteCount = 0;
    PngBitmap* FBitmap = nullptr;
    bool FNoBitmap = false;
    std::array<PngColor, 256> FPalette{};

private:
    void Decode(PngBitmap* bitmap);
};

class TZEBPNGReadStream : public TZEBCustomGraphicReadStream {
public:
    TZEBPNGReadStream();
    ~TZEBPNGReadStream() override;
    std::string ClassName() const override { return "TZEBPNGReadStream"; }

    // Options, set before decoding.
    void SetAlphaBitmap(PngBitmap* alpha) { FAlphaBitmap = alpha; }
    // 8-bit RGB files whose sBIT is 5,5,5 or 5,6,5 become 16-bit bitmaps.
    void SetDecode1516(bool value) { FDecode1516 = value; }
    void SetAnyBitmapSize(bool value) { FAnyBitmapSize = value; }
    void SetKeyString(std::string key) { FKeyString = std::move(key); }
    void SetOnKeyRequest(TPNGKeyRequest handler) { FOnKeyRequest = std::move(handler); }
    void SetOnReadRow(TPNGRowHook hook) { FOnReadRow = std::move(hook); }
    // The owner's records that tIME, cHRM and gIFg fill (each may be absent).
    void SetRecords(TPNGTime* time, TPNGChromaticity* chromaticity, TPNGGIFg* gifg)
    {
        FTimeRecord = time;
        FChromaticity = chromaticity;
        FGIFg = gifg;
    }

    // Results.
    bool HasAlpha() const { return FHasAlpha; }
    const std::string& Comment() const { return FComment; }
    int32_t Background() const { return FBackground; }
    int32_t Transparent() const { return FTransparent; }
    int Interlace() const { return FInterlace; }
    bool Grey() const { return FGrey; }
    double Gamma() const { return FGamma; }
    uint32_t PhysicalX() const { return FPhysX; }
    uint32_t PhysicalY() const { return FPhysY; }
    uint8_t PhysicalUnit() const { return FPhysUnit; }
    // sBIT as bytes red, green, blue, alpha from the lowest.
    uint32_t SignificantBits() const;

protected:
    void ReadImage() override;
    void PrepareBitmap() override;

private:
    enum TColorKind { ckGrey = 0, ckRGB = 2, ckPalette = 3 };

    // Chunk framing.
    bool ReadChunkHeader();
    void FinishChunk();
    bool ChunkRead(void* dest, size_t count);
    bool ChunkU16(uint16_t& value);
    bool ChunkU32(uint32_t& value);
    bool ChunkBytes(std::string& out); // the whole rest of the chunk
    bool ChunkIs(const char* type) const;

    // Chunk handlers.
    void ReadIHDR();
    void ReadPLTE();
    void ReadIDAT();
    void ReadbKGD();
    void ReadcHRM();
    void ReadgAMA();
    void ReadgIFg();
    void ReadpHYs();
    void ReadsBIT();
    void ReadtEXt();
    void ReadtIME();
    void ReadtRNS();
    void ReadtpNG();
    bool ReadColorValue(int32_t& color); // shared by bKGD and tRNS

    // Image data.
    void SettleFormats();
    bool FeedInflate();
    bool FillInflated();
    bool ReadRow(uint8_t* dest, size_t count);
    void DecodeRows();
    void CheckImageDataEnd();
    void StoreRow(const TPNGPass& pass, int32_t y, const uint8_t* row);
    void BuildPaletteMask();
    uint8_t GreyLevel(uint32_t sample) const;

    // Chunk state.
    uint32_t FChunkLength = 0;
    uint32_t FChunkLeft = 0;
    char FChunkType[5] = {};
    bool FChunkOpen = false;
    bool FPendingHeader = false;
    struct {
        bool IHDR = false;
        bool IDAT = false;
        bool IEND = false;
        bool PLTE = false;
        bool tpNG = false;
    } FSeen;
    bool FImageDone = false;

    // File values.
    int FColorKind = ckGrey;
    bool FHasAlpha = false;
    bool FGrey = false;
    int FInterlace = 0;
    std::string FComment;
    int32_t FBackground = PngNoColor;
    int32_t FTransparent = PngNoColor;
    double FGamma = 0;
    uint32_t FPhysX = 0;
    uint32_t FPhysY = 0;
    uint8_t FPhysUnit = 0;
    std::array<uint8_t, 4> FSignificantBits{};
    TPNGTime* FTimeRecord = nullptr;
    TPNGChromaticity* FChromaticity = nullptr;
    TPNGGIFg* FGIFg = nullptr;
    std::array<uint8_t, 256> FTransTable{};
    bool FPaletteTrans = false; // a palette tRNS that is no single index
    bool FFileAlpha = false;    // the file has an alpha channel (colour types 4 and 6)
    PngBitmap* FAlphaBitmap = nullptr;

    // Options.
    bool FDecode1516 = false;
    bool FAnyBitmapSize = false;
    std::string FKeyString;
    TPNGKeyRequest FOnKeyRequest;
    TPNGRowHook FOnReadRow;
    bool FKeySet = false;

    // Decoding.
    int FFileBits = 0; // bits per pixel in the file
    TPngRowToPixels FRowToPixels = nullptr;
    std::unique_ptr<TZInflate> FInflate;
    int FInflateResult = 0; // of the last inflate call
    std::vector<uint8_t> FRow;
    std::vector<uint8_t> FPrevRow;
    std::vector<uint8_t> FPixels;
    std::vector<uint8_t> FAlphaRow;
    std::vector<uint8_t> FInflated; // image data inflated ahead of the rows
    const uint8_t* FInflatedPtr = nullptr;
    size_t FInflatedLeft = 0;
    uint64_t FImageBytesLeft = 0; // image data not yet inflated
    int32_t FRowsDone = 0;
    int32_t FRowsTotal = 0;
};
