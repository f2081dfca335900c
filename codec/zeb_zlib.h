#pragma once
// The compression layer under the PNG reader and writer: zlib streams that
// end themselves, the five row filters with the Paeth predictor, the Adam7
// pass pattern and the row estimate of the writer's adaptive filtering.

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>

enum TPNGFilter : uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };

// One pass over the image: its first column and row, the steps between the
// pixels it covers, and the size of the sub-image it forms.
struct TPNGPass {
    int32_t XStart = 0;
    int32_t YStart = 0;
    int32_t XStep = 1;
    int32_t YStep = 1;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TPNGPasses {
    std::array<TPNGPass, 7> Pass;
    int Count = 0;
};

// The passes that hold pixels: the whole image, or those of the seven Adam7
// passes that the image's size does not leave empty.
TPNGPasses PngPasses(int32_t width, int32_t height, bool interlaced);

// Undoes the filter of one row in place against the previous row (zero for a
// pass's first row). `bpp` is the distance to the pixel on the left, in bytes.
// False for a filter type the format does not have.
bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, size_t bpp);

// Filters one row into `out`; out[0] receives the filter type.
void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* prev, uint8_t* out, size_t length, size_t bpp);

// How well a filtered row (its type byte included) is likely to compress:
// -1 when it holds eight or fewer distinct byte values, which is taken at
// once; otherwise a score, higher being better.
int EstimateFilteredRow(const uint8_t* row, size_t length, bool belowEightBits);

// An inflate stream that ends itself.
class TZInflate {
public:
    TZInflate();
    ~TZInflate();
    TZInflate(const TZInflate&) = delete;
    TZInflate& operator=(const TZInflate&) = delete;
    bool Init();
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
    bool FOpen = false;
};

// A deflate stream that ends itself.
class TZDeflate {
public:
    TZDeflate();
    ~TZDeflate();
    TZDeflate(const TZDeflate&) = delete;
    TZDeflate& operator=(const TZDeflate&) = delete;
    bool Init(int level);
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
    bool FOpen = false;
};
