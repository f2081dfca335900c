#pragma once
// Number conversions that behave like the original run-time library's.

#include <cstdint>
#include <string>
#include <string_view>

// Decimal (or hexadecimal) text to a 32-bit integer, as the original's StrToInt:
//  - leading blanks (20h) are skipped; nothing may follow the number;
//  - an optional '+' or '-' sign;
//  - decimal digits, or a hexadecimal number after '$', "0x" or "0X";
//  - a value outside -2147483648..2147483647 is an error (hexadecimal forms
//    take 32-bit patterns: "$FFFFFFFF" is -1).
// Raises EConvertError("'<text>' is not a valid integer value") otherwise.
int32_t StrToInt(std::string_view s);
// The same rules; the default when the text is no integer.
int32_t StrToIntDef(std::string_view s, int32_t def);
bool TryStrToInt(std::string_view s, int32_t& value);

std::string IntToStr(int64_t value);
// Upper-case hexadecimal, at least `digits` digits.
std::string IntToHex(uint64_t value, int digits);

// The original's general float format: up to 15 significant digits, '.' as
// the decimal point, no trailing zeros, exponent form ("1.5E20") only for
// magnitudes >= 1E15 or < 1E-5 (other than 0).
std::string FloatToStr(double value);

// Rounds to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4), as the
// original's Round does under the processor's default rounding mode.
int64_t Round(double value);
int64_t Round(long double value);
// Towards zero.
int64_t Trunc(double value);
int64_t Trunc(long double value);
