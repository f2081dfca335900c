#include "codec/crc32.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

using TCRCTable = std::array<uint32_t, 256>;

// Table k gives a byte's contribution after k further bytes have passed, so
// sixteen bytes fold into the value at once. Built by the compiler: the tables
// are constant data, as the original's single table was.
constexpr std::array<TCRCTable, 16> MakeTables()
{
    std::array<TCRCTable, 16> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (int k = 1; k < 16; ++k)
        for (uint32_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr auto Tables = MakeTables();
static_assert(Tables[0][1] == 0x77073096u && Tables[0][255] == 0x2D02EF8Du);

} // namespace

void UpdateCRC32(const void* Buf, uint32_t Len, uint32_t& Crc)
{
    const auto* p = static_cast<const uint8_t*>(Buf);
    uint32_t crc = Crc;
    if constexpr (std::endian::native == std::endian::little) {
        for (; Len >= 16; Len -= 16, p += 16) {
            uint64_t lo, hi;
            std::memcpy(&lo, p, sizeof lo);
            std::memcpy(&hi, p + 8, sizeof hi);
            lo ^= crc;
            crc = Tables[15][lo & 0xFF] ^ Tables[14][(lo >> 8) & 0xFF] ^ Tables[13][(lo >> 16) & 0xFF] ^
                  Tables[12][(lo >> 24) & 0xFF] ^ Tables[11][(lo >> 32) & 0xFF] ^ Tables[10][(lo >> 40) & 0xFF] ^
                  Tables[9][(lo >> 48) & 0xFF] ^ Tables[8][lo >> 56] ^ Tables[7][hi & 0xFF] ^
                  Tables[6][(hi >> 8) & 0xFF] ^ Tables[5][(hi >> 16) & 0xFF] ^ Tables[4][(hi >> 24) & 0xFF] ^
                  Tables[3][(hi >> 32) & 0xFF] ^ Tables[2][(hi >> 40) & 0xFF] ^ Tables[1][(hi >> 48) & 0xFF] ^
                  Tables[0][hi >> 56];
        }
    }
    for (; Len > 0; --Len, ++p)
        crc = Tables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    Crc = crc;
}
