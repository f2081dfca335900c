#include "formats/save/save_pictures.h"

#include "classlib/jpeg_image.h"
#include "codec/png_bitmap.h"
#include "codec/zeb_png.h"
#include "codec/zeb_png_error.h"
#include "codec/zeb_png_write.h"
#include "formats/save/save_error.h"
#include "formats/save/save_streams.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// 32-bit rows (B, G, R, A) as the PNG writer reads a 32-bit class-library
// bitmap, without copying them into one.
class TPixelRows : public PngBitmap {
public:
    TPixelRows(const TColor32* Pixels, int32_t Width, int32_t Height) : FPixels(Pixels), FWidth(Width), FHeight(Height)
    {
    }
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    int BitsPerPixel() const override { return 32; }
    std::vector<PngColor> Palette() const override { return {}; }
    void Prepare(int32_t, int32_t, int, const std::vector<PngColor>&) override {}
    uint8_t* ScanLine(int32_t) override { return nullptr; } // the writer only reads
    const uint8_t* ScanLine(int32_t y) const override
    {
        return reinterpret_cast<const uint8_t*>(FPixels + int64_t(y) * FWidth);
    }

private:
    const TColor32* FPixels;
    int32_t FWidth;
    int32_t FHeight;
};

// The options the graphic class gives its writer for a fresh object that was
// assigned a bitmap, with the level the engine sets.
std::vector<uint8_t> EncodeRows(const PngBitmap& Rows, const TPNGTime& Stamp)
{
    static const TPNGChromaticity NoChromaticity{};
    static const TPNGGIFg NoGIFg{};
    TZEBPNGWriteStream writer;
    writer.SetCompressionLevel(9);
    writer.SetFilterMode(1);
    writer.SetIDATSize(TZEBPNGWriteStream::DefaultIDATSize);
    writer.SetInterlace(0);
    writer.SetGamma(0.45455);
    writer.SetCurrentTime(false);
    writer.SetRecords(&Stamp, &NoChromaticity, &NoGIFg);
    std::vector<uint8_t> bytes;
    writer.SaveToBytes(Rows, bytes);
    return bytes;
}

} // namespace

std::vector<uint8_t> WriteBufferPng(const TBitmap32& Buffer, bool Transparent, const TPNGTime& Stamp)
{
    if (Buffer.Empty())
        throw EZEBPNG("Write Image (PNG): Write Error");
    if (!Transparent)
        return EncodeRows(TPixelRows(Buffer.Bits(), Buffer.Width(), Buffer.Height()), Stamp);
    // Keyed in a copy: the live buffer keeps its opaque blue pixels.
    const size_t count = size_t(Buffer.Width()) * size_t(Buffer.Height());
    std::vector<TColor32> keyed(Buffer.Bits(), Buffer.Bits() + count);
    std::replace(keyed.begin(), keyed.end(), SaveClearPixel, SaveBlueKey);
    return EncodeRows(TPixelRows(keyed.data(), Buffer.Width(), Buffer.Height()), Stamp);
}

std::unique_ptr<TBitmap32> ReadBufferPng(std::span<const uint8_t> Png, bool Transparent)
{
    auto picture = std::make_unique<TBitmap32>();
    if (!Png.empty()) {
        TMemoryStream stream(Png.data(), Png.size());
        TZEBPNG png;
        // A buffer may have grown past the largest picture file.
        png.SetAnyBitmapSize(true);
        png.LoadFromStream(stream);
        picture->Assign(&png.Image());
    }
    if (Transparent && !picture->Empty()) {
        TColor32* p = picture->Bits();
        std::replace(p, p + size_t(picture->Width()) * size_t(picture->Height()), SaveBlueKey, SaveClearPixel);
    }
    picture->SetDrawMode(Transparent ? dmBlend : dmOpaque);
    return picture;
}

std::unique_ptr<TBitmap32> DecodeScreenStream(std::span<const uint8_t> Stream, int32_t Version)
{
    auto picture = std::make_unique<TBitmap32>();
    if (Version >= 5)
        return ReadBufferPng(Stream, false);
    if (Version == 4) {
        TMemoryStream stream(Stream.data(), Stream.size());
        TJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
        picture->Assign(&jpeg.Bitmap());
        return picture;
    }
    const std::vector<uint8_t> data = DecodeSaveLzss(Stream, "screen stream");
    TMemoryStream stream(data.data(), data.size());
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        picture->LoadFromStream(stream);
        return picture;
    }
    TSaveFieldReader header(data);
    const int32_t width = header.ReadI32("screen width");
    const int32_t height = header.ReadI32("screen height");
    if (width < 0 || height < 0 || int64_t(width) * height * 4 > int64_t(header.Left()))
        throw ESaveFormatError("screen size " + std::to_string(width) + "x" + std::to_string(height));
    picture->ReadData(stream);
    return picture;
}

void ParallelFor(size_t Count, const std::function<void(size_t)>& Work)
{
    const size_t threads = std::min<size_t>(Count, std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    size_t failedAt = Count;
    std::mutex failureLock;
    auto run = [&] {
        for (size_t i; (i = next.fetch_add(1)) < Count;) {
            try {
                Work(i);
            } catch (...) {
                // The lowest failing index wins, so the error does not
                // depend on how the threads were scheduled.
                std::lock_guard<std::mutex> hold(failureLock);
                if (i < failedAt) {
                    failedAt = i;
                    failure = std::current_exception();
                }
            }
        }
    };
    std::vector<std::thread> pool;
    try {
        for (size_t t = 1; t < threads; ++t)
            pool.emplace_back(run);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones running share the work.
    }
    run();
    for (auto& t : pool)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}
