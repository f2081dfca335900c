#include "base/conv.h"

#include "base/exceptions.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

bool TryStrToInt(std::string_view s, int32_t& value)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;

    uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }

    if (hex) {
        // Hexadecimal text is a 32-bit pattern: "$FFFFFFFF" is -1.
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<int32_t>(bits);
        return true;
    }
    if (negative) {
        if (magnitude > 0x80000000ull)
            return false;
        value = static_cast<int32_t>(static_cast<int64_t>(0) - static_cast<int64_t>(magnitude));
    } else {
        if (magnitude > 0x7FFFFFFFull)
            return false;
        value = static_cast<int32_t>(magnitude);
    }
    return true;
}

int32_t StrToInt(std::string_view s)
{
    int32_t value = 0;
    if (!TryStrToInt(s, value))
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return value;
}

int32_t StrToIntDef(std::string_view s, int32_t def)
{
    int32_t value = 0;
    return TryStrToInt(s, value) ? value : def;
}

std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}

std::string IntToHex(uint64_t value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits < 0 ? 0 : digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::string FloatToStr(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // 15 significant digits, then trim trailing zeros.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    std::string text(buffer);
    const size_t ePos = text.find('e');
    int exponent = std::atoi(text.c_str() + ePos + 1);
    std::string mantissa = text.substr(0, ePos);
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || std::fabs(value) < 1e-5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
    } else {
        out += digits.substr(0, intDigits);
        out += '.';
        out += digits.substr(intDigits);
    }
    return out;
}

namespace {
// Values beyond the 64-bit range (and NaN) saturate instead of being undefined.
int64_t ToInt64(long double whole)
{
    if (std::isnan(whole))
        return 0;
    if (whole >= 9223372036854775807.0L)
        return INT64_MAX;
    if (whole <= -9223372036854775808.0L)
        return INT64_MIN;
    return static_cast<int64_t>(whole);
}
} // namespace

int64_t Round(double value)
{
    return ToInt64(std::nearbyint(value));
}

int64_t Round(long double value)
{
    return ToInt64(std::nearbyintl(value));
}

int64_t Trunc(double value)
{
    return ToInt64(std::trunc(value));
}

int64_t Trunc(long double value)
{
    return ToInt64(std::truncl(value));
}
