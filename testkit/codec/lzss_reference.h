#pragma once
// The LZSS coder written the slow, literal way: every earlier position tried
// for every byte, every bit put and got one at a time, one Write per decoded
// token. The tests hold the fast coder to its bytes and the benchmarks
// measure against it.

#include "base/streams.h"
#include "codec/kv_bit_stream.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace lzss_reference {

inline int32_t MatchLength(const uint8_t* block, int32_t count, int32_t j, int32_t p)
{
    int32_t n = 0;
    while (block[j + n] == block[p + n]) {
        ++n;
        if (n == 66 || j + n >= p || p + n >= count - 1)
            break;
    }
    return n;
}

inline void CompressBlock(TkvBitWriter& writer, const uint8_t* block, int32_t count)
{
    int32_t p = 0;
    while (p < count) {
        int32_t best = 0;
        int32_t bestPos = 0;
        if (count - p >= 3) {
            for (int32_t j = 0; j <= p - 3; ++j) {
                const int32_t l = MatchLength(block, count, j, p);
                if (l > best) {
                    best = l;
                    bestPos = j;
                }
                if (l == 66)
                    break;
            }
        }
        if (best < 3) {
            writer.PutBit(false);
            for (int i = 7; i >= 0; --i)
                writer.PutBit(((block[p] >> i) & 1) != 0);
            ++p;
        } else {
            writer.PutBit(true);
            for (int i = 5; i >= 0; --i)
                writer.PutBit((((best - 3) >> i) & 1) != 0);
            for (int i = 11; i >= 0; --i)
                writer.PutBit(((bestPos >> i) & 1) != 0);
            p += best;
        }
    }
}

inline std::vector<uint8_t> Compress(const std::vector<uint8_t>& data)
{
    TMemoryStream out;
    TkvBitWriter writer(out);
    for (size_t start = 0; start < data.size(); start += 4096) {
        const int32_t count = int32_t(std::min<size_t>(4096, data.size() - start));
        CompressBlock(writer, data.data() + start, count);
    }
    writer.Finish();
    return out.Bytes();
}

// Decodes a stream the coder made; corrupt input is not its concern.
inline std::vector<uint8_t> Decompress(const std::vector<uint8_t>& coded, int32_t size)
{
    TMemoryStream src(coded.data(), coded.size());
    TMemoryStream dst;
    TkvBitReader reader(src);
    uint8_t history[4096] = {};
    int32_t w = 0;
    for (int32_t remaining = size; remaining > 0;) {
        if (reader.GetBit()) {
            int32_t length = 0;
            for (int i = 0; i < 6; ++i)
                length = (length << 1) | (reader.GetBit() ? 1 : 0);
            length += 3;
            int32_t position = 0;
            for (int i = 0; i < 12; ++i)
                position = (position << 1) | (reader.GetBit() ? 1 : 0);
            dst.Write(history + position, length);
            for (int32_t i = 0; i < length; ++i)
                history[w + i] = history[position + i];
            w += length;
            remaining -= length;
        } else {
            const uint8_t b = reader.GetByte();
            dst.Write(&b, 1);
            history[w++] = b;
            --remaining;
        }
        if (w == 4096)
            w = 0;
    }
    return dst.Bytes();
}

} // namespace lzss_reference
