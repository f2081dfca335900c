#pragma once
// The LZSS coder's match search over one block. It picks exactly what a scan
// of every earlier position would pick, but walks only the positions that
// share the current bytes' hash, in rising order.

#include <array>
#include <cstdint>

class LZSSMatchFinder {
public:
    static constexpr int32_t BlockSize = 4096;
    static constexpr int32_t MinMatch = 3;
    static constexpr int32_t MaxMatch = 66;
    // Wide compares and hashes read up to this many bytes past a block's end.
    static constexpr int32_t Overrun = 8;

    struct TMatch {
        int32_t Length = 0;   // below MinMatch: code a literal
        int32_t Position = 0; // absolute within the block
    };

    // Block holds Count (0..4096) bytes followed by Overrun readable bytes;
    // it must stay unchanged until the next Reset.
    void Reset(const uint8_t* Block, int32_t Count);

    // The match for position P: the longest over the candidates 0..P-3, the
    // lowest position among equally long ones. A length is capped at 66, at
    // the distance back to P (a source never overlaps what it codes) and so
    // that the block's last byte stays a literal. No candidate is tried when
    // fewer than 3 bytes remain.
    TMatch Find(int32_t P);

    static constexpr int HashBits = 12;

private:
    static constexpr uint16_t None = 0xFFFF;
    // Prefix lengths with a chain of their own. Once the best match is at
    // least a level's length, only positions sharing that many bytes can beat
    // it, so the walk moves to the sparser chain.
    static constexpr std::array<int32_t, 9> LevelLength = {3, 4, 6, 8, 12, 16, 24, 32, 48};
    static constexpr int LevelCount = int(LevelLength.size());

    const uint8_t* FBlock = nullptr;
    int32_t FCount = 0;
    uint32_t FBuilt = 0; // one bit per level whose chains exist for this block
    // Heads hold each hash's lowest position, Next the following position
    // with the same hash, so a walk from a head runs in rising order.
    std::array<std::array<uint16_t, 1 << HashBits>, LevelCount> FHead;
    std::array<std::array<uint16_t, BlockSize>, LevelCount> FNext;

    void Build(int Level);
    int32_t CommonLength(int32_t J, int32_t P, int32_t Limit) const;
};
