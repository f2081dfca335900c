#pragma once
// Small integer and 16.16 fixed-point helpers shared by the whole graphics
// library, and the word fill/move used for pixel rows.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

// How a coordinate outside a range is brought back into it: Constrain, Wrap
// and Mirror below, in that order.
enum TWrapMode { wmClamp, wmRepeat, wmMirror };

// 16.16 fixed point: the integer part in the upper 16 bits.
using TFixed = int32_t;

constexpr int32_t FixedOne = 0x10000;
constexpr int32_t FixedHalf = 0x7FFF;

constexpr int32_t ClampByte(int32_t value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

constexpr int32_t Constrain(int32_t value, int32_t lo, int32_t hi)
{
    if (value < lo)
        value = lo;
    if (value > hi)
        value = hi;
    return value;
}

constexpr int32_t Clamp(int32_t value, int32_t max)
{
    if (value > max)
        return max;
    return value < 0 ? 0 : value;
}

// An empty range (hi below lo) has no length to wrap by; its only sensible
// answer is lo.
constexpr int32_t Wrap(int32_t value, int32_t lo, int32_t hi)
{
    if (hi < lo)
        return lo;
    const int64_t n = int64_t(hi) - lo + 1;
    if (value >= lo)
        return int32_t(lo + (int64_t(value) - lo) % n);
    return int32_t(hi + (int64_t(value) - hi) % n);
}

constexpr int32_t Mirror(int32_t value, int32_t lo, int32_t hi)
{
    if (hi < lo)
        return lo;
    const int64_t n = int64_t(hi) - lo + 1;
    const int64_t base = value >= lo ? lo : hi;
    const int64_t d = int64_t(value) - base;
    const int64_t q = d / n;
    const int64_t a = d % n + base;
    return int32_t((q & 1) ? int64_t(lo) + hi - a : a);
}

inline int32_t WrapByMode(TWrapMode mode, int32_t value, int32_t lo, int32_t hi)
{
    switch (mode) {
    case wmRepeat: return Wrap(value, lo, hi);
    case wmMirror: return Mirror(value, lo, hi);
    default: return Constrain(value, lo, hi);
    }
}

inline void FillLongword(uint32_t* dest, int64_t count, uint32_t value)
{
    for (int64_t i = 0; i < count; ++i)
        dest[i] = value;
}

// Maps the memory pages wholly inside [dest, dest + bytes) for writing in
// one call, where writing them one by one would take a page fault each:
// for fresh memory about to be written whole. Only an optimisation; memory
// the system cannot map ahead is left to fault in as it is written.
void PrefaultForWriting(void* dest, int64_t bytes);

inline void MoveLongword(const uint32_t* src, uint32_t* dest, int64_t count)
{
    if (src == dest || count <= 0)
        return;
    std::memmove(dest, src, size_t(count) * sizeof(uint32_t));
}

inline void Swap(int32_t& a, int32_t& b)
{
    std::swap(a, b);
}

inline void TestSwap(int32_t& a, int32_t& b)
{
    if (b < a)
        std::swap(a, b);
}

// Float to integer conversions that never step into undefined behaviour: a
// value beyond the 64-bit range (or not a number) gives the processor's
// "integer indefinite", the lowest 64-bit value.
inline int64_t ToInt64Checked(long double integral)
{
    if (!(integral > -9.2e18L && integral < 9.2e18L))
        return INT64_MIN;
    return static_cast<int64_t>(integral);
}
// Ties to even, as the original's Round under the default rounding mode.
inline int64_t RoundEven(long double value)
{
    return ToInt64Checked(std::nearbyint(value));
}
inline int64_t TruncTo(long double value)
{
    return ToInt64Checked(std::trunc(value));
}
inline int64_t FloorTo(long double value)
{
    return ToInt64Checked(std::floor(value));
}
inline int64_t CeilTo(long double value)
{
    return ToInt64Checked(std::ceil(value));
}

inline TFixed Fixed(float x)
{
    return TFixed(RoundEven(static_cast<long double>(x) * 65536.0L));
}
inline TFixed Fixed(double x)
{
    return Fixed(static_cast<float>(x));
}
constexpr TFixed Fixed(int32_t i)
{
    return TFixed(uint32_t(i) << 16);
}

constexpr int32_t FixedFloor(TFixed a)
{
    return a >> 16;
}
constexpr int32_t FixedCeil(TFixed a)
{
    return int32_t((int64_t(a) + 0xFFFF) >> 16);
}
constexpr int32_t FixedRound(TFixed a)
{
    return int32_t((int64_t(a) + 0x7FFF) >> 16);
}
constexpr TFixed FixedMul(TFixed a, TFixed b)
{
    return TFixed(uint32_t(uint64_t(int64_t(a) * b) >> 16));
}
// Raises Exception("Division by zero") for b = 0.
TFixed FixedDiv(TFixed a, TFixed b);
