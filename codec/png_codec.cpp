#include "codec/png_codec.h"

#include "codec/zeb_png_read.h"
#include "codec/zeb_png_write.h"

bool DecodePNG(std::span<const uint8_t> bytes, PngBitmap& image, PngBitmap* alpha)
{
    TZEBPNGReadStream reader;
    reader.SetAlphaBitmap(alpha);
    reader.LoadFromBytes(&image, bytes);
    return reader.HasAlpha();
}

std::vector<uint8_t> EncodePNG(const PngBitmap& image, const PngBitmap* alpha, int level, int filterMode)
{
    TZEBPNGWriteStream writer;
    writer.SetAlphaBitmap(alpha);
    writer.SetCompressionLevel(level);
    writer.SetFilterMode(filterMode);
    std::vector<uint8_t> bytes;
    writer.SaveToBytes(image, bytes);
    return bytes;
}
