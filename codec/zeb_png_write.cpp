#include "codec/zeb_png_write.h"

#include "codec/zeb_png_rows.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint8_t Red(uint32_t c)
{
    return static_cast<uint8_t>(c);
}
uint8_t Green(uint32_t c)
{
    return static_cast<uint8_t>(c >> 8);
}
uint8_t Blue(uint32_t c)
{
    return static_cast<uint8_t>(c >> 16);
}

} // namespace

// ---- TZEBCustomGraphicWriteStream ----

void TZEBCustomGraphicWriteStream::SaveToStream(const PngBitmap& bitmap, TStream& target)
{
    AttachStream(target);
    Encode(bitmap);
}

void TZEBCustomGraphicWriteStream::SaveToBytes(const PngBitmap& bitmap, std::vector<uint8_t>& target)
{
    AttachBytes(target);
    Encode(bitmap);
}

void TZEBCustomGraphicWriteStream::Encode(const PngBitmap& bitmap)
{
    FBitmap = &bitmap;
    try {
        WriteImage();
        Flush();
    } catch (...) {
        // The chunks already complete stay in the target.
        try {
            Flush();
        } catch (...) {
        }
        DetachTarget();
        FBitmap = nullptr;
        throw;
    }
    DetachTarget();
    FBitmap = nullptr;
}

bool TZEBCustomGraphicWriteStream::Progress(int percent)
{
    FProgressPercent = percent;
    if (FBitmap != nullptr)
        FBitmap->Progress(percent);
    return FStop;
}

// ---- TZEBPNGWriteStream ----

TZEBPNGWriteStream::TZEBPNGWriteStream() = default;
TZEBPNGWriteStream::~TZEBPNGWriteStream() = default;

void TZEBPNGWriteStream::SetIDATSize(int size)
{
    if (size < 256 || size > 100000)
        throw EZEBPNG("Write PNG Param: Err IDAT Size(min:256  max:100000)");
    FIDATSize = size;
}

void TZEBPNGWriteStream::WriteChunk(const char* type, const uint8_t* data, uint32_t length)
{
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (length > 0)
        crc = crc32(crc, data, length);
    WriteU32(length);
    Write(type, 4);
    if (length > 0)
        Write(data, length);
    WriteU32(static_cast<uint32_t>(crc));
}

void TZEBPNGWriteStream::WriteImage()
{
    const PngBitmap& bitmap = *FBitmap;
    // A PNG file has at least one pixel; nothing is written for an empty bitmap.
    if (bitmap.Empty())
        throw EZEBPNG("Write Image (PNG): Write Error");
    FBits = bitmap.BitsPerPixel();
    if (FBits != 1 && FBits != 4 && FBits != 8 && FBits != 15 && FBits != 16 && FBits != 32)
        FBits = 24;
    FPalette = FBits <= 8 ? bitmap.Palette() : std::vector<PngColor>{};
    // A palette file must have a palette; an indexed bitmap without one is
    // written as the grey levels its indexes stand for.
    FGrey = FGreyOption || (FBits <= 8 && FPalette.empty());
    if (FBits <= 8 && FPalette.size() > (size_t{1} << FBits))
        FPalette.resize(size_t{1} << FBits);

    const PngBitmap* alpha = FAlphaBitmap;
    const bool alphaUsable = alpha != nullptr && alpha != &bitmap && !alpha->Empty() &&
                             alpha->Width() == bitmap.Width() && alpha->Height() == bitmap.Height() &&
                             alpha->BitsPerPixel() == 8;
    if (FGrey) {
        FDepth = FBits <= 8 ? FBits : 8;
        FAlpha = alphaUsable && FDepth == 8;
        FColorType = FAlpha ? 4 : 0;
        FRowBits = FAlpha ? 16 : FDepth;
    } else if (FBits <= 8) {
        FDepth = FBits;
        FAlpha = false;
        FColorType = 3;
        FRowBits = FBits;
    } else {
        FDepth = 8;
        FAlpha = alphaUsable;
        FColorType = FAlpha ? 6 : 2;
        FRowBits = FAlpha ? 32 : 24;
    }
    if (FGrey)
        BuildGreyTable();

    Progress(0);
    if (FSignature)
        Write(PngSignature, sizeof PngSignature);
    WriteHeader();
    WriteTime();
    WriteText("Comment", FComment);
    WriteText("Software", PngSoftwareText);
    WritetpNG();
    if (FGIFg != nullptr && *FGIFg != TPNGGIFg{})
        WriteChunk("gIFg", FGIFg->data(), 4);
    const auto gamma = static_cast<int64_t>(FGamma * 100000);
    if (gamma > 0 && gamma <= 0x7FFFFFFF) {
        uint8_t d[4];
        PutU32(d, static_cast<uint32_t>(gamma));
        WriteChunk("gAMA", d, 4);
    }
    if (FChromaticity != nullptr && (*FChromaticity)[0] != 0 && (*FChromaticity)[1] != 0) {
        uint8_t d[32];
        for (int i = 0; i < 8; ++i)
            PutU32(d + 4 * i, (*FChromaticity)[static_cast<size_t>(i)]);
        WriteChunk("cHRM", d, 32);
    }
    WriteColorChunks();
    WritePhysical();
    if (!FStop)
        WriteImageData();
    if (!FStop)
        WriteChunk("IEND", nullptr, 0);
    Progress(100);
}

void TZEBPNGWriteStream::WriteHeader()
{
    uint8_t d[13];
    PutU32(d, static_cast<uint32_t>(FBitmap->Width()));
    PutU32(d + 4, static_cast<uint32_t>(FBitmap->Height()));
    d[8] = static_cast<uint8_t>(FDepth);
    d[9] = static_cast<uint8_t>(FColorType);
    d[10] = 0;
    d[11] = 0;
    d[12] = static_cast<uint8_t>(FInterlace);
    WriteChunk("IHDR", d, sizeof d);
}

void TZEBPNGWriteStream::WriteTime()
{
    TPNGTime t;
    if (FCurrentTime)
        t = CurrentUTCTime();
    else if (FTimeRecord != nullptr)
        t = *FTimeRecord;
    else
        return;
    if (t.Year == 0 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 || t.Hour >= 24 || t.Minute >= 60 ||
        t.Second >= 61)
        return;
    uint8_t d[7];
    PutU16(d, t.Year);
    d[2] = t.Month;
    d[3] = t.Day;
    d[4] = t.Hour;
    d[5] = t.Minute;
    d[6] = t.Second;
    WriteChunk("tIME", d, sizeof d);
}

void TZEBPNGWriteStream::WriteText(const std::string& keyword, const std::string& text)
{
    if (keyword.size() >= 80 || text.empty())
        return;
    std::vector<uint8_t> d(keyword.begin(), keyword.end());
    d.push_back(0);
    d.insert(d.end(), text.begin(), text.end());
    WriteChunk("tEXt", d.data(), static_cast<uint32_t>(d.size()));
}

void TZEBPNGWriteStream::WritetpNG()
{
    const uint8_t d[8] = {
        'Z', 'E', 'B', '3', static_cast<uint8_t>(!FKeyString.empty() && FOnWriteRow ? 1 : 0), 0, 0, 0};
    WriteChunk("tpNG", d, sizeof d);
}

// The grey level of a colour (a marked index stands for its palette entry),
// at the file's bit depth.
uint8_t TZEBPNGWriteStream::GreyOf(uint32_t color) const
{
    if (color & PngPaletteIndexMark) {
        const size_t index = color & 0xFF;
        const PngColor entry = index < FPalette.size() ? FPalette[index] : PngColor{};
        color = uint32_t{entry.R} | uint32_t{entry.G} << 8 | uint32_t{entry.B} << 16;
    }
    const uint8_t level = PngGreyLevel(Red(color), Green(color), Blue(color));
    if (FDepth == 1)
        return level >= 128 ? 1 : 0;
    if (FDepth == 4)
        return static_cast<uint8_t>(level >> 4);
    return level;
}

// The palette entry nearest a colour, or the marked index; -1 for none.
int TZEBPNGWriteStream::NearestPaletteIndex(int32_t color) const
{
    if (FPalette.empty())
        return -1;
    if (color & PngPaletteIndexMark) {
        const int index = color & 0xFF;
        return index < static_cast<int>(FPalette.size()) ? index : -1;
    }
    const auto c = static_cast<uint32_t>(color);
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < FPalette.size(); ++i) {
        const PngColor& e = FPalette[i];
        const int distance = std::abs(e.R - Red(c)) + std::abs(e.G - Green(c)) + std::abs(e.B - Blue(c));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0)
                break;
        }
    }
    return best;
}

void TZEBPNGWriteStream::WriteColorChunks()
{
    // sBIT
    int32_t significant = FSignificantBits;
    if (FBits == 15 || FBits == 16)
        significant = FBits == 15 ? 0x050505 : 0x050605;
    if (FAlpha && (FBits == 15 || FBits == 16))
        significant |= 8 << 24;
    if (!FGrey && significant > 0) {
        const uint8_t d[4] = {static_cast<uint8_t>(significant), static_cast<uint8_t>(significant >> 8),
            static_cast<uint8_t>(significant >> 16), static_cast<uint8_t>(significant >> 24)};
        WriteChunk("sBIT", d, FAlpha ? 4 : 3);
    }
    // PLTE
    if (FColorType == 3) {
        std::vector<uint8_t> d;
        for (const PngColor& e : FPalette)
            d.insert(d.end(), {e.R, e.G, e.B});
        WriteChunk("PLTE", d.data(), static_cast<uint32_t>(d.size()));
    }
    // bKGD and tRNS share their layout.
    const auto colorChunk = [this](const char* type, int32_t value, bool paletteMask) {
        if (value == PngNoColor)
            return;
        uint8_t d[256];
        if (FGrey) {
            PutU16(d, GreyOf(static_cast<uint32_t>(value)));
            WriteChunk(type, d, 2);
        } else if (FColorType == 3) {
            const int index = NearestPaletteIndex(value);
            if (index < 0)
                return;
            if (paletteMask) {
                std::memset(d, 0xFF, static_cast<size_t>(index) + 1);
                d[index] = 0;
                WriteChunk(type, d, static_cast<uint32_t>(index) + 1);
            } else {
                d[0] = static_cast<uint8_t>(index);
                WriteChunk(type, d, 1);
            }
        } else {
            const auto c = static_cast<uint32_t>(value);
            PutU16(d, Red(c));
            PutU16(d + 2, Green(c));
            PutU16(d + 4, Blue(c));
            WriteChunk(type, d, 6);
        }
    };
    colorChunk("bKGD", FBackground, false);
    if (!FAlpha)
        colorChunk("tRNS", FTransparent, true);
}

void TZEBPNGWriteStream::WritePhysical()
{
    if (FPhysX < 1 || FPhysY < 1)
        return;
    uint32_t x = static_cast<uint32_t>(FPhysX);
    uint32_t y = static_cast<uint32_t>(FPhysY);
    uint8_t unit = FPhysUnit == 1 ? 1 : 0;
    if (FPhysUnit == 2) {
        x = static_cast<uint32_t>(int64_t{FPhysX} * 10000 / 254);
        y = static_cast<uint32_t>(int64_t{FPhysY} * 10000 / 254);
        unit = 1;
    }
    uint8_t d[9];
    PutU32(d, x);
    PutU32(d + 4, y);
    d[8] = unit;
    WriteChunk("pHYs", d, sizeof d);
}

void TZEBPNGWriteStream::BuildGreyTable()
{
    for (int i = 0; i < 256; ++i)
        FGreyTable[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    FInvertBits = false;
    if (FBits > 8 || FPalette.empty())
        return;
    if (FBits == 1) {
        const auto level = [this](size_t i) {
            const PngColor e = i < FPalette.size() ? FPalette[i] : PngColor{};
            return PngGreyLevel(e.R, e.G, e.B);
        };
        FInvertBits = FPalette.size() > 1 && level(1) < level(0);
        return;
    }
    for (size_t i = 0; i < FPalette.size() && i < 256; ++i) {
        const uint8_t level = PngGreyLevel(FPalette[i].R, FPalette[i].G, FPalette[i].B);
        FGreyTable[i] = FBits == 4 ? static_cast<uint8_t>(level >> 4) : level;
    }
}

TPNGTime CurrentUTCTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    return TPNGTime{static_cast<uint16_t>(t.tm_year + 1900), static_cast<uint8_t>(t.tm_mon + 1),
        static_cast<uint8_t>(t.tm_mday), static_cast<uint8_t>(t.tm_hour), static_cast<uint8_t>(t.tm_min),
        static_cast<uint8_t>(t.tm_sec)};
}
