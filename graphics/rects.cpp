#include "graphics/rects.h"

#include <algorithm>

namespace {

int32_t FloorToInt(float v)
{
    return int32_t(FloorTo(v));
}
int32_t CeilToInt(float v)
{
    return int32_t(CeilTo(v));
}

} // namespace

TRect MakeRect(const TFloatRect& fr, TRectRounding rounding)
{
    TRect r;
    switch (rounding) {
    case rrClosest:
        r = TRect{int32_t(RoundEven(fr.Left)), int32_t(RoundEven(fr.Top)), int32_t(RoundEven(fr.Right)),
            int32_t(RoundEven(fr.Bottom))};
        break;
    case rrOutside:
        r = TRect{FloorToInt(fr.Left), FloorToInt(fr.Top), CeilToInt(fr.Right), CeilToInt(fr.Bottom)};
        break;
    case rrInside:
        r = TRect{CeilToInt(fr.Left), CeilToInt(fr.Top), FloorToInt(fr.Right), FloorToInt(fr.Bottom)};
        r.Right = std::max(r.Right, r.Left);
        r.Bottom = std::max(r.Bottom, r.Top);
        break;
    }
    return r;
}

TRect MakeRect(const TFixedRect& fxr, TRectRounding rounding)
{
    TRect r;
    switch (rounding) {
    case rrClosest:
        r = TRect{FixedRound(fxr.Left), FixedRound(fxr.Top), FixedRound(fxr.Right), FixedRound(fxr.Bottom)};
        break;
    case rrOutside:
        r = TRect{FixedFloor(fxr.Left), FixedFloor(fxr.Top), FixedCeil(fxr.Right), FixedCeil(fxr.Bottom)};
        break;
    case rrInside:
        r = TRect{FixedCeil(fxr.Left), FixedCeil(fxr.Top), FixedFloor(fxr.Right), FixedFloor(fxr.Bottom)};
        r.Right = std::max(r.Right, r.Left);
        r.Bottom = std::max(r.Bottom, r.Top);
        break;
    }
    return r;
}

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b)
{
    const TRect r{
        std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right >= r.Left && r.Bottom >= r.Top) {
        dst = r;
        return true;
    }
    dst = TRect{};
    return false;
}

bool IntersectRect(TFloatRect& dst, const TFloatRect& a, const TFloatRect& b)
{
    const TFloatRect r{
        std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right >= r.Left && r.Bottom >= r.Top) {
        dst = r;
        return true;
    }
    dst = TFloatRect{};
    return false;
}
