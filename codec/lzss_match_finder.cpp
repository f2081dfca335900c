#include "codec/lzss_match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace {

uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap64(v);
    return v; // byte p[0] in the low bits
}

// Hash of the Length bytes at p; reads up to 7 bytes beyond them.
template <int32_t Length>
uint32_t HashBytes(const uint8_t* p)
{
    constexpr uint64_t Multiplier = 0x9E3779B97F4A7C15ull;
    uint64_t h = 0;
    int32_t w = 0;
    for (; w + 8 <= Length; w += 8)
        h = (h ^ Load64(p + w)) * Multiplier;
    if constexpr (Length % 8 != 0)
        h = (h ^ (Load64(p + w) & ((uint64_t(1) << (8 * (Length % 8))) - 1))) * Multiplier;
    return uint32_t(h >> (64 - LZSSMatchFinder::HashBits));
}

template <int32_t Length>
void BuildChains(const uint8_t* block, int32_t count, uint16_t* head, uint16_t* next)
{
    for (int32_t i = count - Length; i >= 0; --i) {
        const uint32_t h = HashBytes<Length>(block + i);
        next[i] = head[h];
        head[h] = uint16_t(i);
    }
}

// Index of the highest level whose prefix length is at most n.
template <size_t N>
constexpr std::array<int8_t, LZSSMatchFinder::MaxMatch + 1> MakeLevelOf(const std::array<int32_t, N>& lengths)
{
    std::array<int8_t, LZSSMatchFinder::MaxMatch + 1> table{};
    for (int32_t n = 0; n <= LZSSMatchFinder::MaxMatch; ++n) {
        int8_t level = 0;
        for (size_t i = 0; i < N; ++i)
            if (lengths[i] <= n)
                level = int8_t(i);
        table[n] = level;
    }
    return table;
}

} // namespace

void LZSSMatchFinder::Reset(const uint8_t* Block, int32_t Count)
{
    FBlock = Block;
    FCount = Count;
    FBuilt = 0;
}

void LZSSMatchFinder::Build(int Level)
{
    using TBuild = void (*)(const uint8_t*, int32_t, uint16_t*, uint16_t*);
    static constexpr auto Builders = []<size_t... I>(std::index_sequence<I...>)
    {
        return std::array<TBuild, LevelCount>{&BuildChains<LevelLength[I]>...};
    }
    (std::make_index_sequence<LevelCount>());

    FHead[Level].fill(None);
    Builders[Level](FBlock, FCount, FHead[Level].data(), FNext[Level].data());
    FBuilt |= 1u << Level;
}

int32_t LZSSMatchFinder::CommonLength(int32_t J, int32_t P, int32_t Limit) const
{
    for (int32_t k = 0; k < Limit; k += 8) {
        const uint64_t diff = Load64(FBlock + J + k) ^ Load64(FBlock + P + k);
        if (diff != 0)
            return std::min(Limit, k + std::countr_zero(diff) / 8);
    }
    return Limit;
}

LZSSMatchFinder::TMatch LZSSMatchFinder::Find(int32_t P)
{
    static constexpr auto LevelOf = MakeLevelOf(LevelLength);

    TMatch best;
    if (FCount - P < MinMatch)
        return best;
    const int32_t cap = std::min(MaxMatch, FCount - 1 - P);

    if ((FBuilt & 1u) == 0)
        Build(0);
    int level = 0;
    const uint16_t* next = FNext[0].data();
    uint32_t j = FHead[0][HashBytes<LevelLength[0]>(FBlock + P)];
    while (j != None) {
        // The chain rises, so once the distance back to P cannot beat the
        // best length (or the candidate is closer than 3), none further can.
        if (int32_t(j) + std::max(best.Length, MinMatch - 1) >= P)
            break;
        // A longer match must agree on the byte just past the best length.
        if (FBlock[j + best.Length] == FBlock[P + best.Length]) {
            const int32_t length = CommonLength(int32_t(j), P, std::min(cap, P - int32_t(j)));
            if (length > best.Length) {
                best.Length = length;
                best.Position = int32_t(j);
                if (length == cap)
                    break;
                // j shares at least the new level's prefix with P, so it lies
                // on that level's chain, and so does every position after it
                // that could still be longer.
                const int newLevel = LevelOf[length];
                if (newLevel > level) {
                    level = newLevel;
                    if ((FBuilt & (1u << level)) == 0)
                        Build(level);
                    next = FNext[level].data();
                }
            }
        }
        j = next[j];
    }
    return best;
}
