#pragma once
// The pixel type of the 32-bit graphics and the helpers that build, convert
// and weigh single colours.

#include <cstdint>

// Alpha in bits 24-31, red 16-23, green 8-15, blue 0-7 (bytes B, G, R, A in
// memory). Never premultiplied.
using TColor32 = uint32_t;

// The class library's colour value: 0x00BBGGRR, or a negative value naming a
// system colour by its low byte.
using TWinColor = int32_t;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
}

constexpr uint8_t AlphaComponent(TColor32 c)
{
    return uint8_t(c >> 24);
}
constexpr uint8_t RedComponent(TColor32 c)
{
    return uint8_t(c >> 16);
}
constexpr uint8_t GreenComponent(TColor32 c)
{
    return uint8_t(c >> 8);
}
constexpr uint8_t BlueComponent(TColor32 c)
{
    return uint8_t(c);
}

// System colours are looked up first; the top byte of the value is dropped
// and the result is opaque.
TColor32 Color32FromWinColor(TWinColor winColor);

// The inverse for opaque drawing through the class library (alpha dropped).
constexpr TWinColor WinColor(TColor32 c)
{
    return TWinColor(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16));
}

constexpr int32_t Intensity(TColor32 c)
{
    return int32_t((((c >> 16) & 0xFF) * 61 + ((c >> 8) & 0xFF) * 174 + (c & 0xFF) * 21) >> 8);
}

constexpr TColor32 SetAlpha(TColor32 c, int32_t newAlpha)
{
    if (newAlpha < 0)
        newAlpha = 0;
    else if (newAlpha > 255)
        newAlpha = 255;
    return (c & 0x00FFFFFF) | (TColor32(newAlpha) << 24);
}
