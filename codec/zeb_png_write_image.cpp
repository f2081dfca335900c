// The image data of the PNG writer: rows converted pass by pass, filtered,
// deflated, and cut into IDAT chunks of the chosen size.
#include "codec/zeb_png_rows.h"
#include "codec/zeb_png_write.h"

#include <algorithm>
#include <cstring>

void TZEBPNGWriteStream::Deflate(const uint8_t* data, size_t length, int flush)
{
    z_stream& z = FDeflate->Stream();
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(length);
    for (;;) {
        const int result = deflate(&z, flush);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            throw EZEBPNG("Write Image (PNG): Write Error");
        // Every IDAT chunk but the last holds exactly the chosen size.
        if (z.avail_out == 0) {
            WriteChunk("IDAT", FOutput.data(), static_cast<uint32_t>(FOutput.size()));
            z.next_out = FOutput.data();
            z.avail_out = static_cast<uInt>(FOutput.size());
        }
        if (flush == Z_FINISH ? result == Z_STREAM_END : z.avail_in == 0)
            break;
    }
}

void TZEBPNGWriteStream::WriteImageData()
{
    const int32_t width = FBitmap->Width();
    const int32_t height = FBitmap->Height();
    FDeflate = std::make_unique<TZDeflate>();
    if (!FDeflate->Init(FLevel))
        throw EZEBPNG("Write Image (PNG): Write Error");
    FOutput.assign(static_cast<size_t>(FIDATSize), 0);
    z_stream& z = FDeflate->Stream();
    z.next_out = FOutput.data();
    z.avail_out = static_cast<uInt>(FOutput.size());

    const size_t rowBytes = PngRowBytes(width, FRowBits);
    FRow.assign(rowBytes, 0);
    FPrevRow.assign(rowBytes, 0);
    FFiltered.assign(rowBytes + 1, 0);
    FTrial.assign(rowBytes + 1, 0);
    FPixels.assign(static_cast<size_t>(width) * 4, 0);
    FAlphaRow.assign(static_cast<size_t>(width), 0);

    const TPNGPasses passes = PngPasses(width, height, FInterlace == 1);
    int32_t total = 0;
    for (int p = 0; p < passes.Count; ++p)
        total += passes.Pass[p].Height;
    const size_t bpp = static_cast<size_t>((FRowBits + 7) / 8);
    const bool hooked = !FKeyString.empty() && FOnWriteRow;
    int32_t done = 0;

    for (int p = 0; p < passes.Count; ++p) {
        const TPNGPass& pass = passes.Pass[p];
        const size_t length = PngRowBytes(pass.Width, FRowBits);
        std::fill_n(FPrevRow.begin(), length, uint8_t{0});
        for (int32_t y = 0; y < pass.Height; ++y) {
            ConvertRow(pass, y, FRow.data());
            if (hooked)
                FOnWriteRow(this, FRow.data(), FKeyString, done, static_cast<int32_t>(length));
            Deflate(ChooseFilter(length, bpp), length + 1, Z_NO_FLUSH);
            FRow.swap(FPrevRow);
            ++done;
            if ((height < 4 || done % 4 == 0) && Progress(static_cast<int>(int64_t{done} * 99 / total)))
                break;
        }
        if (FStop)
            break;
    }
    Deflate(nullptr, 0, Z_FINISH);
    const size_t rest = FOutput.size() - z.avail_out;
    if (rest > 0)
        WriteChunk("IDAT", FOutput.data(), static_cast<uint32_t>(rest));

    FDeflate.reset();
    FRow = {};
    FPrevRow = {};
    FFiltered = {};
    FTrial = {};
    FPixels = {};
    FAlphaRow = {};
    FOutput = {};
}

void TZEBPNGWriteStream::ConvertRow(const TPNGPass& pass, int32_t y, uint8_t* out)
{
    const int32_t line = pass.YStart + y * pass.YStep;
    const int32_t count = pass.Width;
    const uint8_t* scan = FBitmap->ScanLine(line);
    const uint8_t* mask = nullptr;
    if (FAlpha) {
        mask = FAlphaBitmap->ScanLine(line);
        if (pass.XStep != 1) {
            GatherPixels(mask, FAlphaRow.data(), 8, pass.XStart, pass.XStep, count);
            mask = FAlphaRow.data();
        }
    }
    if (FBits <= 8) {
        if (FGrey && FAlpha) {
            GatherPixels(scan, FPixels.data(), 8, pass.XStart, pass.XStep, count);
            for (int32_t i = 0; i < count; ++i) {
                out[2 * i] = FGreyTable[FPixels[static_cast<size_t>(i)]];
                out[2 * i + 1] = static_cast<uint8_t>(255 - mask[i]);
            }
            return;
        }
        GatherPixels(scan, out, FBits, pass.XStart, pass.XStep, count);
        if (!FGrey)
            return;
        const size_t bytes = PngRowBytes(count, FBits);
        if (FBits == 8) {
            for (size_t i = 0; i < bytes; ++i)
                out[i] = FGreyTable[out[i]];
        } else if (FBits == 4) {
            for (size_t i = 0; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(FGreyTable[out[i] >> 4] << 4 | FGreyTable[out[i] & 15]);
        } else if (FInvertBits) {
            for (size_t i = 0; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(~out[i]);
        }
        return;
    }
    const uint8_t* pixels = scan;
    if (pass.XStep != 1) {
        GatherPixels(scan, FPixels.data(), FBits == 15 ? 16 : FBits, pass.XStart, pass.XStep, count);
        pixels = FPixels.data();
    }
    if (FGrey)
        PixelsToGrey(pixels, FBits, mask, out, count);
    else
        PixelsToRGB(pixels, FBits, mask, out, count);
}

// Filters the current row by the filter mode; returns the row with its type
// byte in front.
const uint8_t* TZEBPNGWriteStream::ChooseFilter(size_t length, size_t bpp)
{
    const uint8_t* row = FRow.data();
    const uint8_t* prev = FPrevRow.data();
    if (FFilterMode >= 2 && FFilterMode <= 5) {
        FilterRow(static_cast<uint8_t>(FFilterMode - 1), row, prev, FFiltered.data(), length, bpp);
        return FFiltered.data();
    }
    FilterRow(pfNone, row, prev, FFiltered.data(), length, bpp);
    if (FFilterMode != 0)
        return FFiltered.data();

    const bool belowEightBits = FRowBits < 8;
    int best = EstimateFilteredRow(FFiltered.data(), length + 1, belowEightBits);
    if (best == -1 || FRowBits == 4)
        return FFiltered.data();
    if (FRowBits == 1 || FRowBits == 8)
        best *= 2;
    for (uint8_t filter = pfSub; filter <= pfPaeth; ++filter) {
        FilterRow(filter, row, prev, FTrial.data(), length, bpp);
        const int score = EstimateFilteredRow(FTrial.data(), length + 1, belowEightBits);
        if (score == -1)
            return FTrial.data();
        if (score > best) {
            best = score;
            FFiltered.swap(FTrial);
        }
    }
    return FFiltered.data();
}
