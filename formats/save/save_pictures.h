#pragma once
// The pictures inside a save file: the screen and the picture buffers as
// PNG, the older screen forms, and the blue key that carries a transparent
// buffer's clear pixels through a PNG without alpha.

#include "codec/zeb_png_types.h"
#include "graphics/bitmap32.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

// A fully transparent black pixel is stored as opaque pure blue.
inline constexpr TColor32 SaveClearPixel = 0x00000000;
inline constexpr TColor32 SaveBlueKey = 0xFF0000FF;

// The PNG the save file holds for the screen or a picture buffer, byte for
// byte as the graphic class writes a class-library bitmap at level 9: 8-bit
// RGB (the alpha byte is dropped), no row filter, 32768-byte IDAT chunks,
// tIME from Stamp, gAMA 45455, the Software text and the tpNG chunk. A
// transparent buffer has every SaveClearPixel written as SaveBlueKey; the
// buffer itself is never changed. An empty picture raises EZEBPNG.
std::vector<uint8_t> WriteBufferPng(const TBitmap32& Buffer, bool Transparent, const TPNGTime& Stamp);

// A PNG stream decoded as the class library assigns it to a 32-bit bitmap
// (alpha 255, a palette's transparent entry cleared), then a transparent
// buffer's SaveBlueKey pixels turned back into SaveClearPixel and its draw
// mode set to blend (opaque otherwise). No bytes give an empty picture.
// Raises EZEBPNG for a bad file.
std::unique_ptr<TBitmap32> ReadBufferPng(std::span<const uint8_t> Png, bool Transparent);

// Stream 0 by the file's version: PNG from 5, JPEG at 4, up to 3 the LZSS
// coded stream of the bitmap (a Windows bitmap file when it starts with "BM",
// else width, height and B, G, R, A pixels). Raises the decoders' errors or
// ESaveFormatError.
std::unique_ptr<TBitmap32> DecodeScreenStream(std::span<const uint8_t> Stream, int32_t Version);

// Work(0) .. Work(Count - 1) spread over the processor's threads; returns
// when all are done and then rethrows the exception of the lowest failing
// index.
void ParallelFor(size_t Count, const std::function<void(size_t)>& Work);
