// Script pictures from arbitrary files: the decode-key-draw step and the cell
// cutter of the wait and scroll marks. Twelve leading bytes choose the
// extension, load transparency, mask, the target's size, the position and
// the cell size; the rest is the file. A picture that does not draw, or a
// decoder error, leaves the target as it was; a drawn one leaves a target at
// least its size; cells are all of the size asked for. Files may declare any
// size: the decoders refuse pictures beyond the largest one allowed before
// they allocate them.

#include "base/exceptions.h"
#include "base/streams.h"
#include "engine/script/picture_load.h"
#include "engine/script/script_error.h"
#include "graphics/bitmap32.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr size_t HeaderSize = 12;
constexpr const char* Extensions[8] = {".bmp", ".BMP", ".jpg", ".jpeg", ".png", ".PNG", ".gif", ""};

struct TSnapshot {
    int32_t Width, Height;
    std::vector<TColor32> Pixels;
    bool operator==(const TSnapshot&) const = default;
};

TSnapshot Snap(const TBitmap32& b)
{
    return {b.Width(), b.Height(), std::vector<TColor32>(b.Bits(), b.Bits() + int64_t(b.Width()) * b.Height())};
}

int32_t I32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return int32_t(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < HeaderSize)
        return 0;
    const char* ext = Extensions[data[0] & 7];
    const bool loadTrans = data[0] & 8;
    const int mask = (data[0] >> 4) & 3; // none, the picture itself, a 3 x 5 one, an empty one
    TBitmap32 target;
    target.SetSize(data[1] & 63, data[2] & 63);
    target.Clear(0xFF808080);
    // Positions near the ends of the integer range now and then.
    const int32_t x = (data[0] & 0x40) ? I32(data + 3) : int8_t(data[3]);
    const int32_t y = (data[0] & 0x80) ? I32(data + 7) : int8_t(data[7]);
    const int cellSize = int8_t(data[11]);

    const TSnapshot before = Snap(target);
    TMemoryStream file(data + HeaderSize, size - HeaderSize);
    bool drawn = false;
    try {
        drawn = DrawPicture(file, ext, loadTrans, target, x, y);
    } catch (const Exception&) {
        if (!(Snap(target) == before))
            std::abort();
        return 0;
    }
    if (!drawn) {
        if (!(Snap(target) == before))
            std::abort();
        return 0;
    }
    if (target.Width() < before.Width || target.Height() < before.Height)
        std::abort();

    if (mask != 0) {
        TBitmap32 other;
        if (mask == 2)
            other.SetSize(3, 5);
        ApplyPictureMask(target, mask == 1 ? target : other);
    }
    try {
        const auto cells = CutPictureCells(target, cellSize, data[1] >> 6 ? 2 : std::numeric_limits<int>::max());
        if (cellSize <= 0)
            std::abort();
        for (const auto& cell : cells)
            if (cell->Width() != cellSize || cell->Height() != cellSize || cell->DrawMode() != target.DrawMode())
                std::abort();
    } catch (const EScriptError&) {
        if (cellSize > 0 && int64_t(target.Width() / cellSize) * (target.Height() / cellSize) <= MaxPictureCells)
            std::abort();
    }
    return 0;
}
