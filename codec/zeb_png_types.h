#pragma once
// Values that the PNG reader, the writer and the graphic class share: the
// records of the time, chromaticity and gIFg chunks, the handlers of the
// private "tpNG" key scheme, and how colours and palette indexes are marked.

#include "base/classes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// tIME: the year, then month, day, hour, minute and second as stored.
struct TPNGTime {
    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
    friend bool operator==(const TPNGTime&, const TPNGTime&) = default;
};

// The current time in UTC, as a tIME chunk records it.
TPNGTime CurrentUTCTime();

// cHRM: white point x, y, then red, green and blue x, y, times 100000.
using TPNGChromaticity = std::array<uint32_t, 8>;
// gIFg: the four bytes of the chunk as they are.
using TPNGGIFg = std::array<uint8_t, 4>;

// Background and transparent values are Windows colours (00BBGGRRh), a
// palette index with this mark added, or -1 for none.
constexpr int32_t PngPaletteIndexMark = 0x01000000;
constexpr int32_t PngNoColor = -1;

// Called for each row, after unfiltering when reading and before filtering
// when writing, when a file's "tpNG" chunk asks for it and a key is set; it
// may change the row in place. Arguments: the reader or writer, the row
// (without its filter byte), the key, the row number from 0, the row length.
using TPNGRowHook =
    std::function<void(TObject* coder, uint8_t* row, const std::string& key, int32_t rowNumber, int32_t length)>;
// Asked once per file whose "tpNG" chunk wants a key; may change it.
using TPNGKeyRequest = std::function<void(TObject* decoder, std::string& key)>;

// The name of this codec in the "Software" text it writes.
inline constexpr const char* PngSoftwareText = "ZEBPNG ver 3.4";
