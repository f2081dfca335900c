// Per-channel arithmetic on two colours, alpha included.

#include <algorithm>
#include <cstdlib>

#include "graphics/blend_routines.h"

namespace {

template <class Op>
TColor32 PerChannel(TColor32 a, TColor32 b, Op op)
{
    TColor32 r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int32_t v = op(int32_t((a >> shift) & 0xFF), int32_t((b >> shift) & 0xFF));
        r |= TColor32(std::clamp(v, 0, 255)) << shift;
    }
    return r;
}

} // namespace

namespace color_algebra {

TColor32 Add(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return x + y; });
}
TColor32 Sub(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return x - y; });
}
TColor32 Div(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return x == 0 ? 255 : (y * 256) / x; });
}
TColor32 Modulate(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return (x * y) >> 8; });
}
TColor32 Max(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return std::max(x, y); });
}
TColor32 Min(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return std::min(x, y); });
}
TColor32 Difference(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return std::abs(y - x); });
}
TColor32 Exclusion(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return x + y - (x * y) / 128; });
}
TColor32 Average(TColor32 a, TColor32 b)
{
    return PerChannel(a, b, [](int32_t x, int32_t y) { return (x + y) >> 1; });
}
TColor32 Scale(TColor32 c, TColor32 w)
{
    const int64_t weight = w;
    TColor32 r = 0;
    for (int shift = 0; shift < 32; shift += 8)
        r |= TColor32(std::min<int64_t>((int64_t((c >> shift) & 0xFF) * weight) >> 8, 255)) << shift;
    return r;
}

} // namespace color_algebra
