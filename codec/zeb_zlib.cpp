#include "codec/zeb_zlib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr TPNGPass Adam7[7] = {
    {0, 0, 8, 8, 0, 0},
    {4, 0, 8, 8, 0, 0},
    {0, 4, 4, 8, 0, 0},
    {2, 0, 4, 4, 0, 0},
    {0, 2, 2, 4, 0, 0},
    {1, 0, 2, 2, 0, 0},
    {0, 1, 1, 2, 0, 0},
};

int32_t PassExtent(int32_t size, int32_t start, int32_t step)
{
    return size > start ? (size - start + step - 1) / step : 0;
}

inline uint8_t PaethPredictor(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// The left-hand neighbour is `Bpp` bytes back; a compile-time distance lets
// the compiler keep the loops tight for the common pixel sizes.
template <size_t Bpp>
void UnSub(uint8_t* row, size_t length)
{
    for (size_t i = Bpp; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - Bpp]);
}

template <size_t Bpp>
void UnAverage(uint8_t* row, const uint8_t* prev, size_t length)
{
    const size_t lead = std::min(Bpp, length);
    for (size_t i = 0; i < lead; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    for (size_t i = Bpp; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
}

template <size_t Bpp>
void UnPaeth(uint8_t* row, const uint8_t* prev, size_t length)
{
    const size_t lead = std::min(Bpp, length);
    for (size_t i = 0; i < lead; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (size_t i = Bpp; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(row[i - Bpp], prev[i], prev[i - Bpp]));
}

template <size_t Bpp>
bool UnfilterFixed(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length)
{
    switch (filter) {
    case pfNone: return true;
    case pfSub: UnSub<Bpp>(row, length); return true;
    case pfUp:
        for (size_t i = 0; i < length; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prev[i]);
        return true;
    case pfAverage: UnAverage<Bpp>(row, prev, length); return true;
    case pfPaeth: UnPaeth<Bpp>(row, prev, length); return true;
    default: return false;
    }
}

} // namespace

TPNGPasses PngPasses(int32_t width, int32_t height, bool interlaced)
{
    TPNGPasses passes;
    if (!interlaced) {
        passes.Pass[0] = TPNGPass{0, 0, 1, 1, width, height};
        passes.Count = width > 0 && height > 0 ? 1 : 0;
        return passes;
    }
    for (const TPNGPass& p : Adam7) {
        TPNGPass pass = p;
        pass.Width = PassExtent(width, p.XStart, p.XStep);
        pass.Height = PassExtent(height, p.YStart, p.YStep);
        if (pass.Width > 0 && pass.Height > 0)
            passes.Pass[passes.Count++] = pass;
    }
    return passes;
}

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, size_t bpp)
{
    switch (bpp) {
    case 1: return UnfilterFixed<1>(filter, row, prev, length);
    case 2: return UnfilterFixed<2>(filter, row, prev, length);
    case 3: return UnfilterFixed<3>(filter, row, prev, length);
    case 4: return UnfilterFixed<4>(filter, row, prev, length);
    case 6: return UnfilterFixed<6>(filter, row, prev, length);
    case 8: return UnfilterFixed<8>(filter, row, prev, length);
    default: break;
    }
    // Other pixel sizes do not occur in PNG files.
    return false;
}

void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* prev, uint8_t* out, size_t length, size_t bpp)
{
    out[0] = filter;
    uint8_t* d = out + 1;
    switch (filter) {
    case pfSub:
        for (size_t i = 0; i < length; ++i)
            d[i] = static_cast<uint8_t>(row[i] - (i >= bpp ? row[i - bpp] : 0));
        break;
    case pfUp:
        for (size_t i = 0; i < length; ++i)
            d[i] = static_cast<uint8_t>(row[i] - prev[i]);
        break;
    case pfAverage:
        for (size_t i = 0; i < length; ++i)
            d[i] = static_cast<uint8_t>(row[i] - (((i >= bpp ? row[i - bpp] : 0) + prev[i]) >> 1));
        break;
    case pfPaeth:
        for (size_t i = 0; i < length; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0;
            const int c = i >= bpp ? prev[i - bpp] : 0;
            d[i] = static_cast<uint8_t>(row[i] - PaethPredictor(a, prev[i], c));
        }
        break;
    default:
        out[0] = pfNone;
        std::memcpy(d, row, length);
        break;
    }
}

int EstimateFilteredRow(const uint8_t* row, size_t length, bool belowEightBits)
{
    uint32_t counts[256] = {};
    for (size_t i = 0; i < length; ++i)
        ++counts[row[i]];
    int distinct = 0;
    uint32_t c1 = 0, c2 = 0, c3 = 0;
    for (uint32_t c : counts) {
        if (c == 0)
            continue;
        ++distinct;
        if (c > c1) {
            c3 = c2;
            c2 = c1;
            c1 = c;
        } else if (c > c2) {
            c3 = c2;
            c2 = c;
        } else if (c > c3) {
            c3 = c;
        }
    }
    if (distinct <= 8)
        return -1;
    const double n = static_cast<double>(length);
    const double spread = n / 1.5 / distinct;
    const double score =
        belowEightBits ? spread * 1500.0 + (c1 + c2) / n * 1000.0 : spread * 1000.0 + (c1 + c2 + c3) / n * 1000.0;
    return static_cast<int>(score);
}

TZInflate::TZInflate() = default;

TZInflate::~TZInflate()
{
    if (FOpen)
        inflateEnd(&FStream);
}

bool TZInflate::Init()
{
    FOpen = inflateInit(&FStream) == Z_OK;
    return FOpen;
}

TZDeflate::TZDeflate() = default;

TZDeflate::~TZDeflate()
{
    if (FOpen)
        deflateEnd(&FStream);
}

bool TZDeflate::Init(int level)
{
    FOpen = deflateInit(&FStream, level) == Z_OK;
    return FOpen;
}
