#include "codec/zeb_png_read.h"

#include "classlib/bitmap.h"
#include "codec/zeb_png_rows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Leaves the source just after the picture however the decode ends.
struct SourceRelease {
    std::function<void()> Release;
    ~SourceRelease() { Release(); }
};

uint32_t ColorValue(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16;
}

} // namespace

// ---- TZEBCustomGraphicReadStream ----

void TZEBCustomGraphicReadStream::LoadFromStream(PngBitmap* bitmap, TStream& source, int64_t size)
{
    SourceRelease release{[this] { DetachSource(); }};
    AttachStream(source, size);
    Decode(bitmap);
}

void TZEBCustomGraphicReadStream::LoadFromBytes(PngBitmap* bitmap, std::span<const uint8_t> bytes)
{
    SourceRelease release{[this] { DetachSource(); }};
    AttachBytes(bytes);
    Decode(bitmap);
}

void TZEBCustomGraphicReadStream::Decode(PngBitmap* bitmap)
{
    FBitmap = bitmap;
    FNoBitmap = bitmap == nullptr;
    FWidth = FHeight = 0;
    FBitsPerPixel = FBitDepth = FPaletteCount = 0;
    FPalette.fill(PngColor{});
    ReadImage();
}

void TZEBCustomGraphicReadStream::Progress(int percent)
{
    FProgressPercent = percent;
    if (FBitmap != nullptr)
        FBitmap->Progress(percent);
}

// ---- TZEBPNGReadStream ----

TZEBPNGReadStream::TZEBPNGReadStream() = default;
TZEBPNGReadStream::~TZEBPNGReadStream() = default;

uint32_t TZEBPNGReadStream::SignificantBits() const
{
    return uint32_t{FSignificantBits[0]} | uint32_t{FSignificantBits[1]} << 8 | uint32_t{FSignificantBits[2]} << 16 |
           uint32_t{FSignificantBits[3]} << 24;
}

void TZEBPNGReadStream::ReadImage()
{
    FTransTable.fill(0xFF);
    FPaletteTrans = false;
    FBackground = FTransparent = PngNoColor;
    if (FTimeRecord)
        *FTimeRecord = TPNGTime{};
    if (FGIFg)
        FGIFg->fill(0);
    if (FChromaticity)
        FChromaticity->fill(0);
    FSeen = {};
    FImageDone = FHasAlpha = FFileAlpha = FGrey = FKeySet = false;
    FPendingHeader = FChunkOpen = false;
    FColorKind = ckGrey;
    FInterlace = 0;
    FComment.clear();
    FGamma = 0;
    FPhysX = FPhysY = 0;
    FPhysUnit = 0;
    FSignificantBits.fill(0);
    Progress(0);

    uint8_t signature[8];
    if (!Read(signature, sizeof signature) || std::memcmp(signature, PngSignature, sizeof signature) != 0)
        throw EZEBPNG("PNG LoadStream: Not PNG Format");

    while (!FError && !FStop && !FSeen.IEND) {
        if (!ReadChunkHeader())
            break;
        if (ChunkIs("IHDR"))
            ReadIHDR();
        else if (ChunkIs("PLTE"))
            ReadPLTE();
        else if (ChunkIs("IDAT"))
            ReadIDAT();
        else if (ChunkIs("IEND"))
            FSeen.IEND = true;
        else if (ChunkIs("bKGD"))
            ReadbKGD();
        else if (ChunkIs("cHRM"))
            ReadcHRM();
        else if (ChunkIs("gAMA"))
            ReadgAMA();
        else if (ChunkIs("gIFg"))
            ReadgIFg();
        else if (ChunkIs("pHYs"))
            ReadpHYs();
        else if (ChunkIs("sBIT"))
            ReadsBIT();
        else if (ChunkIs("tEXt"))
            ReadtEXt();
        else if (ChunkIs("tIME"))
            ReadtIME();
        else if (ChunkIs("tRNS"))
            ReadtRNS();
        else if (ChunkIs("tpNG"))
            ReadtpNG();
        if (FChunkOpen)
            FinishChunk();
    }

    if (FNoBitmap || FStop)
        return;
    // A file that ends, or says it ends, before its pixels is no picture.
    if (!FImageDone)
        throw EZEBPNG(FError || FSeen.IDAT ? "Read Image (PNG): Read Error" : "Read Image (PNG): No Image Data");
    // A palette index stays an index: the bitmap keys the pixels of that
    // entry, whatever colour other entries share with it.
    if (!FFileAlpha && FTransparent != PngNoColor)
        FBitmap->SetTransparentColor(static_cast<uint32_t>(FTransparent));
    if (FPaletteTrans) {
        BuildPaletteMask();
        FHasAlpha = true;
    }
    Progress(100);
}

// ---- chunk framing ----

bool TZEBPNGReadStream::ReadChunkHeader()
{
    if (FPendingHeader) {
        FPendingHeader = false;
    } else {
        FChunkLength = ReadU32();
        if (!Read(FChunkType, 4))
            return false;
    }
    FChunkLeft = FChunkLength;
    FChunkOpen = true;
    return true;
}

// Skips what the handler left of the chunk and reads its CRC. The CRC is not
// compared: tools that wrote wrong ones made pictures that games ship with,
// and damaged image data still fails zlib's own check or the row reads.
void TZEBPNGReadStream::FinishChunk()
{
    FChunkOpen = false;
    if (!Skip(FChunkLeft))
        return;
    FChunkLeft = 0;
    ReadU32();
}

bool TZEBPNGReadStream::ChunkIs(const char* type) const
{
    return std::memcmp(FChunkType, type, 4) == 0;
}

// Reads inside the chunk only: a chunk too short for its values is left alone.
bool TZEBPNGReadStream::ChunkRead(void* dest, size_t count)
{
    if (count > FChunkLeft || !Read(dest, count))
        return false;
    FChunkLeft -= static_cast<uint32_t>(count);
    return true;
}

bool TZEBPNGReadStream::ChunkU16(uint16_t& value)
{
    uint8_t b[2];
    if (!ChunkRead(b, 2))
        return false;
    value = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

bool TZEBPNGReadStream::ChunkU32(uint32_t& value)
{
    uint8_t b[4];
    if (!ChunkRead(b, 4))
        return false;
    value = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    return true;
}

bool TZEBPNGReadStream::ChunkBytes(std::string& out)
{
    // The length is checked against the data before anything is allocated.
    if (static_cast<uint64_t>(FCount) + FChunkLeft > static_cast<uint64_t>(FDataLength)) {
        FError = true;
        return false;
    }
    out.resize(FChunkLeft);
    return ChunkRead(out.data(), out.size());
}

// ---- chunk handlers ----

void TZEBPNGReadStream::ReadIHDR()
{
    if (FSeen.IHDR)
        throw EZEBPNG("Read Header(PNG): appear two IHDR");
    uint8_t h[13];
    if (!ChunkRead(h, sizeof h)) {
        if (FError)
            return;
        throw EZEBPNG("Read Header(PNG): Error Length");
    }
    FSeen.IHDR = true;
    const uint32_t width = uint32_t{h[0]} << 24 | uint32_t{h[1]} << 16 | uint32_t{h[2]} << 8 | h[3];
    const uint32_t height = uint32_t{h[4]} << 24 | uint32_t{h[5]} << 16 | uint32_t{h[6]} << 8 | h[7];
    FBitDepth = h[8];
    const int colorType = h[9] & 7;
    if (colorType == 1 || colorType == 5 || colorType == 7)
        throw EZEBPNG("Read Header(PNG): Error ColorType");
    FFileAlpha = FHasAlpha = (colorType & 4) != 0;
    FColorKind = colorType & 3;
    FGrey = FColorKind == ckGrey;
    if (h[10] > 1)
        throw EZEBPNG("Read Header(PNG): not support Compression");
    if (h[11] > 1)
        throw EZEBPNG("Read Header(PNG): not supprt Filter");
    if (h[12] > 1)
        throw EZEBPNG("Read Header(PNG): not interlace type");
    FInterlace = h[12];
    // The largest picture is the one every picture format shares.
    const bool allowed = FAnyBitmapSize ? BitmapSizeAllowed(width, height) : PictureSizeAllowed(width, height);
    if (width == 0 || height == 0 || !allowed)
        throw EZEBPNG("Read Header(PNG): Error Size");
    FWidth = static_cast<int32_t>(width);
    FHeight = static_cast<int32_t>(height);
}

void TZEBPNGReadStream::ReadPLTE()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.PLTE || FColorKind == ckGrey)
        return;
    FSeen.PLTE = true;
    const int entries = static_cast<int>(std::min<uint32_t>(FChunkLeft / 3, 256));
    for (int i = 0; i < entries; ++i) {
        uint8_t rgb[3];
        if (!ChunkRead(rgb, 3))
            return;
        FPalette[static_cast<size_t>(i)] = PngColor{rgb[0], rgb[1], rgb[2]};
    }
    FPaletteCount = entries;
}

void TZEBPNGReadStream::ReadbKGD()
{
    if (!FSeen.IHDR || FSeen.IDAT)
        return;
    int32_t color;
    if (FColorKind == ckPalette) {
        uint8_t index;
        if (ChunkRead(&index, 1))
            FBackground = PngPaletteIndexMark + index;
    } else if (ReadColorValue(color)) {
        FBackground = color;
    }
}

void TZEBPNGReadStream::ReadcHRM()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.PLTE || FChunkLength != 32 || FChromaticity == nullptr)
        return;
    for (uint32_t& value : *FChromaticity)
        if (!ChunkU32(value))
            return;
}

void TZEBPNGReadStream::ReadgAMA()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.PLTE)
        return;
    uint32_t value;
    if (ChunkU32(value))
        FGamma = value / 100000.0;
}

void TZEBPNGReadStream::ReadgIFg()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.PLTE || FChunkLength != 4 || FGIFg == nullptr)
        return;
    ChunkRead(FGIFg->data(), 4);
}

void TZEBPNGReadStream::ReadpHYs()
{
    if (!FSeen.IHDR || FSeen.IDAT)
        return;
    uint32_t x, y;
    uint8_t unit;
    if (ChunkU32(x) && ChunkU32(y) && ChunkRead(&unit, 1)) {
        FPhysX = x;
        FPhysY = y;
        FPhysUnit = unit;
    }
}

void TZEBPNGReadStream::ReadsBIT()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.PLTE || FColorKind == ckGrey)
        return;
    std::array<uint8_t, 4> bits{};
    if (ChunkRead(bits.data(), FFileAlpha ? 4 : 3))
        FSignificantBits = bits;
}

void TZEBPNGReadStream::ReadtEXt()
{
    std::string data;
    if (!ChunkBytes(data))
        return;
    const size_t zero = data.find('\0');
    if (zero == std::string::npos || data.compare(0, zero, "Comment") != 0)
        return;
    if (!FComment.empty())
        FComment += "\r\n";
    FComment.append(data, zero + 1, std::string::npos);
    FComment += "\r\n";
}

void TZEBPNGReadStream::ReadtIME()
{
    if (FChunkLength != 7 || FTimeRecord == nullptr)
        return;
    uint8_t t[7];
    if (!ChunkRead(t, sizeof t))
        return;
    *FTimeRecord = TPNGTime{static_cast<uint16_t>(t[0] << 8 | t[1]), t[2], t[3], t[4], t[5], t[6]};
}

// The grey that a sample of the file's depth shows as in the bitmap.
uint8_t TZEBPNGReadStream::GreyLevel(uint32_t sample) const
{
    switch (FBitDepth) {
    case 1: return (sample & 1) ? 255 : 0;
    case 2: return static_cast<uint8_t>((sample & 3) * 85);
    case 4: return static_cast<uint8_t>((sample & 15) * 17);
    case 16: return static_cast<uint8_t>(sample >> 8);
    default: return static_cast<uint8_t>(sample);
    }
}

// A grey or RGB value of bKGD and tRNS as a colour.
bool TZEBPNGReadStream::ReadColorValue(int32_t& color)
{
    if (FColorKind == ckGrey) {
        uint16_t grey;
        if (!ChunkU16(grey))
            return false;
        const uint8_t v = GreyLevel(grey);
        color = static_cast<int32_t>(ColorValue(v, v, v));
        return true;
    }
    uint16_t r, g, b;
    if (!ChunkU16(r) || !ChunkU16(g) || !ChunkU16(b))
        return false;
    const int shift = FBitDepth == 16 ? 8 : 0;
    color = static_cast<int32_t>(ColorValue(
        static_cast<uint8_t>(r >> shift), static_cast<uint8_t>(g >> shift), static_cast<uint8_t>(b >> shift)));
    return true;
}

void TZEBPNGReadStream::ReadtRNS()
{
    if (!FSeen.IHDR || FSeen.IDAT || FFileAlpha)
        return;
    if (FColorKind != ckPalette) {
        int32_t color;
        if (ReadColorValue(color))
            FTransparent = color;
        return;
    }
    const uint32_t count = std::min<uint32_t>(FChunkLeft, static_cast<uint32_t>(FPaletteCount));
    if (!ChunkRead(FTransTable.data(), count))
        return;
    int zeros = 0, opaque = 0, index = 0;
    for (int i = 0; i < 256; ++i) {
        if (FTransTable[static_cast<size_t>(i)] == 0) {
            ++zeros;
            index = i;
        } else if (FTransTable[static_cast<size_t>(i)] == 255) {
            ++opaque;
        }
    }
    const bool single = zeros == 1 && opaque == 255;
    if (single)
        FTransparent = PngPaletteIndexMark + index;
    FPaletteTrans = !single;
}

void TZEBPNGReadStream::ReadtpNG()
{
    if (!FSeen.IHDR || FSeen.IDAT || FSeen.tpNG)
        return;
    FSeen.tpNG = true;
    uint8_t id[4];
    if (!ChunkRead(id, 4) || std::memcmp(id, "ZEB3", 4) != 0)
        return;
    uint8_t keyed;
    if (!ChunkRead(&keyed, 1) || keyed == 0)
        return;
    FKeySet = true;
    if (FOnKeyRequest)
        FOnKeyRequest(this, FKeyString);
}

void TZEBPNGReadStream::ReadIDAT()
{
    if (!FSeen.IHDR)
        return;
    if (FImageDone || FSeen.IDAT)
        return; // data after the picture
    FSeen.IDAT = true;
    SettleFormats();
    if (FNoBitmap) {
        FStop = true;
        return;
    }
    PrepareBitmap();
    Progress(30);
    DecodeRows();
}
