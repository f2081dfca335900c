#pragma once
// Rectangles of the graphics library: the integer TRect of the class library,
// single-precision and 16.16 fixed-point forms, and the helpers between them.

#include "base/types.h"
#include "graphics/lowlevel.h"

struct TFloatPoint {
    float X = 0;
    float Y = 0;
    friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};

struct TFixedPoint {
    TFixed X = 0;
    TFixed Y = 0;
    friend bool operator==(const TFixedPoint&, const TFixedPoint&) = default;
};

struct TFloatRect {
    float Left = 0;
    float Top = 0;
    float Right = 0;
    float Bottom = 0;
    friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

struct TFixedRect {
    TFixed Left = 0;
    TFixed Top = 0;
    TFixed Right = 0;
    TFixed Bottom = 0;
    friend bool operator==(const TFixedRect&, const TFixedRect&) = default;
};

enum TRectRounding { rrClosest, rrOutside, rrInside };

inline TFloatPoint FloatPoint(float x, float y)
{
    return TFloatPoint{x, y};
}
inline TFixedPoint FixedPoint(TFixed x, TFixed y)
{
    return TFixedPoint{x, y};
}

inline TRect MakeRect(int32_t l, int32_t t, int32_t r, int32_t b)
{
    return TRect{l, t, r, b};
}
TRect MakeRect(const TFloatRect& fr, TRectRounding rounding = rrClosest);
TRect MakeRect(const TFixedRect& fxr, TRectRounding rounding = rrClosest);

inline TFixedRect FixedRect(TFixed l, TFixed t, TFixed r, TFixed b)
{
    return TFixedRect{l, t, r, b};
}
inline TFixedRect FixedRect(const TRect& r)
{
    return TFixedRect{Fixed(r.Left), Fixed(r.Top), Fixed(r.Right), Fixed(r.Bottom)};
}

inline TFloatRect FloatRect(float l, float t, float r, float b)
{
    return TFloatRect{l, t, r, b};
}
inline TFloatRect FloatRect(const TRect& r)
{
    return TFloatRect{float(r.Left), float(r.Top), float(r.Right), float(r.Bottom)};
}

// A zero-width or zero-height intersection counts as meeting; disjoint
// rectangles give (0, 0, 0, 0) and false.
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);
bool IntersectRect(TFloatRect& dst, const TFloatRect& a, const TFloatRect& b);

inline bool EqualRect(const TRect& a, const TRect& b)
{
    return a == b;
}

inline void InflateRect(TRect& r, int32_t dx, int32_t dy)
{
    r.Left -= dx;
    r.Top -= dy;
    r.Right += dx;
    r.Bottom += dy;
}

inline void OffsetRect(TRect& r, int32_t dx, int32_t dy)
{
    r.Left += dx;
    r.Top += dy;
    r.Right += dx;
    r.Bottom += dy;
}

inline bool IsRectEmpty(const TRect& r)
{
    return !(r.Left < r.Right && r.Top < r.Bottom);
}
inline bool IsRectEmpty(const TFloatRect& r)
{
    return !(r.Left < r.Right && r.Top < r.Bottom);
}
