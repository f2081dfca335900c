// The image data of the PNG reader: bitmap formats, the inflate input drawn
// from IDAT chunks, and the rows pass by pass.
#include "codec/zeb_png_read.h"
#include "codec/zeb_png_rows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t InflateInputSize = 32768;
constexpr size_t InflatedBufferSize = 65536;

std::vector<PngColor> GreyRamp(int entries)
{
    std::vector<PngColor> ramp(static_cast<size_t>(entries));
    const int step = 255 / (entries - 1);
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<uint8_t>(i * step);
        ramp[static_cast<size_t>(i)] = PngColor{v, v, v};
    }
    return ramp;
}

size_t AlignedRowBytes(int32_t width, int bits)
{
    return (PngRowBytes(width, bits) + 3) & ~size_t{3};
}

} // namespace

void TZEBPNGReadStream::SettleFormats()
{
    const int depth = FBitDepth;
    int target = 0;
    int samples = 1;
    switch (FColorKind) {
    case ckGrey:
        if (FFileAlpha) {
            if (depth < 8)
                throw EZEBPNG("Read Header(PNG): not Use AlphaChannel");
            if (depth != 8 && depth != 16)
                throw EZEBPNG("Read Header(PNG): Error Bitdepth");
            target = 8;
            samples = 2;
        } else {
            if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16)
                throw EZEBPNG("Read Header(PNG): Error Bitdepth");
            target = depth == 2 ? 4 : std::min(depth, 8);
        }
        break;
    case ckRGB:
        if (depth != 8 && depth != 16)
            throw EZEBPNG("Read Header(PNG): Error BitDepth");
        target = 24;
        samples = FFileAlpha ? 4 : 3;
        if (FDecode1516 && depth == 8 && !FFileAlpha && FSignificantBits[0] == 5 && FSignificantBits[2] == 5 &&
            (FSignificantBits[1] == 5 || FSignificantBits[1] == 6)) {
            target = 16;
            FBitDepth = FSignificantBits[1] == 5 ? 15 : 16;
        }
        break;
    default: // palette
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8)
            throw EZEBPNG("Read Header(PNG): Error BitDepth");
        // Without its palette the picture has no colours at all.
        if (!FSeen.PLTE)
            throw EZEBPNG("Read Header(PNG): not found PLTE");
        target = depth == 2 ? 4 : depth;
        break;
    }
    FFileBits = depth * samples;
    FBitsPerPixel = target;
    FRowToPixels = PngRowConverter(FColorKind, FFileAlpha, depth, target);
}

void TZEBPNGReadStream::PrepareBitmap()
{
    std::vector<PngColor> palette;
    if (FColorKind == ckGrey) {
        const int entries = FBitDepth == 1 ? 2 : FBitDepth == 2 ? 4 : FBitDepth == 4 ? 16 : 256;
        palette = GreyRamp(entries);
    } else if (FColorKind == ckPalette) {
        // Entries beyond what the depth can index are never shown, and a
        // written file could not hold them: the picture keeps those it uses.
        const int count = std::min(FPaletteCount, 1 << FBitDepth);
        palette.assign(FPalette.begin(), FPalette.begin() + count);
    }
    FBitmap->Prepare(FWidth, FHeight, FBitsPerPixel, palette);
    if (FFileAlpha && FAlphaBitmap != nullptr)
        FAlphaBitmap->Prepare(FWidth, FHeight, 8, GreyRamp(256));
}

// Hands inflate the next slice of IDAT data, moving on to the following
// chunk when one is used up; false when the image data ends.
bool TZEBPNGReadStream::FeedInflate()
{
    while (FChunkLeft == 0) {
        FinishChunk();
        if (FError || !ReadChunkHeader())
            return false;
        if (!ChunkIs("IDAT")) {
            // The chunk loop takes this one up.
            FPendingHeader = true;
            FChunkOpen = false;
            return false;
        }
    }
    const std::span<const uint8_t> bytes = ReadInPlace(std::min<size_t>(FChunkLeft, InflateInputSize));
    if (bytes.empty())
        return false;
    FChunkLeft -= static_cast<uint32_t>(bytes.size());
    z_stream& z = FInflate->Stream();
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = static_cast<uInt>(bytes.size());
    return true;
}

// Inflates the next stretch of image data. Many rows at a time let zlib take
// its fast path, which per-row calls on narrow pictures never reach.
bool TZEBPNGReadStream::FillInflated()
{
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(FInflated.size(), FImageBytesLeft));
    if (wanted == 0)
        return false;
    z_stream& z = FInflate->Stream();
    z.next_out = FInflated.data();
    z.avail_out = static_cast<uInt>(wanted);
    while (z.avail_out > 0) {
        if (z.avail_in == 0 && !FeedInflate())
            break;
        const int result = FInflateResult = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK && !(result == Z_BUF_ERROR && z.avail_in == 0))
            break;
    }
    FInflatedPtr = FInflated.data();
    FInflatedLeft = wanted - z.avail_out;
    FImageBytesLeft -= FInflatedLeft;
    return FInflatedLeft > 0;
}

bool TZEBPNGReadStream::ReadRow(uint8_t* dest, size_t count)
{
    while (count > 0) {
        if (FInflatedLeft == 0 && !FillInflated())
            return false;
        const size_t n = std::min(count, FInflatedLeft);
        std::memcpy(dest, FInflatedPtr, n);
        dest += n;
        FInflatedPtr += n;
        FInflatedLeft -= n;
        count -= n;
    }
    return true;
}

void TZEBPNGReadStream::DecodeRows()
{
    FInflate = std::make_unique<TZInflate>();
    FInflateResult = Z_OK;
    if (!FInflate->Init())
        throw EZEBPNG("PNG LoadStream: Error ZLIB");
    FRow.assign(AlignedRowBytes(FWidth, FFileBits) + 4, 0);
    FPrevRow.assign(FRow.size(), 0);
    FPixels.assign(AlignedRowBytes(FWidth, std::max(FBitsPerPixel, 8)), 0);
    FAlphaRow.assign(static_cast<size_t>(FWidth), 0);

    const TPNGPasses passes = PngPasses(FWidth, FHeight, FInterlace == 1);
    FRowsTotal = 0;
    FImageBytesLeft = 0;
    for (int p = 0; p < passes.Count; ++p) {
        FRowsTotal += passes.Pass[p].Height;
        FImageBytesLeft +=
            static_cast<uint64_t>(passes.Pass[p].Height) * (PngRowBytes(passes.Pass[p].Width, FFileBits) + 1);
    }
    FInflated.assign(static_cast<size_t>(std::min<uint64_t>(FImageBytesLeft, InflatedBufferSize)), 0);
    FInflatedLeft = 0;
    FRowsDone = 0;
    const size_t bpp = static_cast<size_t>((FFileBits + 7) / 8);
    const bool hooked = FKeySet && FOnReadRow;

    for (int p = 0; p < passes.Count && !FError && !FStop; ++p) {
        const TPNGPass& pass = passes.Pass[p];
        const size_t length = PngRowBytes(pass.Width, FFileBits);
        std::fill_n(FPrevRow.begin(), length + 1, uint8_t{0});
        for (int32_t y = 0; y < pass.Height; ++y) {
            if (!ReadRow(FRow.data(), length + 1) ||
                !UnfilterRow(FRow[0], FRow.data() + 1, FPrevRow.data() + 1, length, bpp))
                throw EZEBPNG("Read Image (PNG): Read Error");
            if (hooked) {
                // The next row is unfiltered against this one as stored.
                std::memcpy(FPrevRow.data(), FRow.data(), length + 1);
                FOnReadRow(this, FRow.data() + 1, FKeyString, FRowsDone, static_cast<int32_t>(length));
                StoreRow(pass, y, FRow.data() + 1);
            } else {
                StoreRow(pass, y, FRow.data() + 1);
                FRow.swap(FPrevRow);
            }
            ++FRowsDone;
            if (FHeight < 4 || FRowsDone % 4 == 0)
                Progress(30 + static_cast<int>(int64_t{FRowsDone} * 68 / FRowsTotal));
        }
    }
    if (!FError && !FStop)
        CheckImageDataEnd();
    FImageDone = true;
    FInflate.reset();
    FRow = {};
    FPrevRow = {};
    FPixels = {};
    FAlphaRow = {};
    FInflated = {};
}

// Chunk CRCs are not compared, so zlib's checksum at the end of the image
// data is what catches data damaged inside: inflate runs on to it. Data that
// ends after the last row, or goes on beyond the picture, is left alone.
void TZEBPNGReadStream::CheckImageDataEnd()
{
    z_stream& z = FInflate->Stream();
    uint8_t extra[64];
    for (;;) {
        if (FInflateResult == Z_STREAM_END)
            return;
        if (FInflateResult != Z_OK && FInflateResult != Z_BUF_ERROR)
            throw EZEBPNG("Read Image (PNG): Read Error");
        if (z.avail_in == 0 && !FeedInflate())
            return;
        z.next_out = extra;
        z.avail_out = sizeof extra;
        FInflateResult = inflate(&z, Z_NO_FLUSH);
        if (FInflateResult == Z_OK && z.avail_out < sizeof extra)
            return;
        if (FInflateResult == Z_BUF_ERROR && z.avail_in > 0)
            return;
    }
}

void TZEBPNGReadStream::StoreRow(const TPNGPass& pass, int32_t y, const uint8_t* row)
{
    const int32_t line = pass.YStart + y * pass.YStep;
    uint8_t* scan = FBitmap->ScanLine(line);
    uint8_t* alphaScan = FFileAlpha && FAlphaBitmap != nullptr ? FAlphaBitmap->ScanLine(line) : nullptr;
    if (pass.XStep == 1) {
        FRowToPixels(row, scan, alphaScan != nullptr ? alphaScan : FAlphaRow.data(), pass.Width);
        return;
    }
    FRowToPixels(row, FPixels.data(), FAlphaRow.data(), pass.Width);
    StorePixels(FPixels.data(), scan, FBitsPerPixel, pass.XStart, pass.XStep, pass.Width);
    if (alphaScan != nullptr)
        StorePixels(FAlphaRow.data(), alphaScan, 8, pass.XStart, pass.XStep, pass.Width);
}

// A palette transparency of more than one clear entry becomes an alpha mask.
void TZEBPNGReadStream::BuildPaletteMask()
{
    if (FAlphaBitmap == nullptr)
        return;
    FAlphaBitmap->Prepare(FWidth, FHeight, 8, GreyRamp(256));
    const int bits = FBitsPerPixel;
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* scan = FBitmap->ScanLine(y);
        uint8_t* mask = FAlphaBitmap->ScanLine(y);
        for (int32_t x = 0; x < FWidth; ++x) {
            uint8_t index;
            if (bits == 8)
                index = scan[x];
            else if (bits == 4)
                index = (scan[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
            else
                index = (scan[x >> 3] >> (7 - (x & 7))) & 1;
            mask[x] = static_cast<uint8_t>(255 - FTransTable[index]);
        }
    }
}
