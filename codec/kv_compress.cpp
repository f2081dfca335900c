#include "codec/kv_compress.h"

#include "base/streams.h"
#include "codec/kv_bit_stream.h"
#include "codec/lzss_match_finder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

constexpr int32_t BlockSize = LZSSMatchFinder::BlockSize;
constexpr int32_t MinMatch = LZSSMatchFinder::MinMatch;

// A literal: a 0 bit and the byte. A match: a 1 bit, 6 bits of length - 3
// and 12 bits of absolute position.
constexpr int LiteralBits = 9;
constexpr int MatchBits = 19;

void CompressBlock(TkvBitWriter& Writer, LZSSMatchFinder& Finder, const uint8_t* Block, int32_t Count)
{
    Finder.Reset(Block, Count);
    int32_t p = 0;
    while (p < Count) {
        const LZSSMatchFinder::TMatch m = Finder.Find(p);
        if (m.Length < MinMatch) {
            Writer.PutBits(Block[p], LiteralBits);
            ++p;
        } else {
            Writer.PutBits(
                (uint32_t(1) << 18) | (uint32_t(m.Length - MinMatch) << 12) | uint32_t(m.Position), MatchBits);
            p += m.Length;
        }
    }
}

// Gives a memory stream room at once for the longest coding the input can
// have (every byte a 9-bit literal), so that it does not copy itself over
// and zero its new room at every doubling as the coding grows. Only a help:
// without the room the stream grows as before.
void ReserveRoom(TStream& Src, TStream& Dst, int32_t Size)
{
    auto* memory = dynamic_cast<TMemoryStream*>(&Dst);
    if (memory == nullptr || Size <= 0)
        return;
    int64_t input = Size;
    if (auto* source = dynamic_cast<TMemoryStream*>(&Src))
        input = std::min(input, std::max<int64_t>(source->Size() - source->Position(), 0));
    const int64_t at = memory->Position();
    if (at > memory->Size())
        return;
    try {
        memory->Bytes().reserve(size_t(at + (input * LiteralBits + 7) / 8));
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

[[noreturn]] void MatchOutsideHistory()
{
    throw EkvCompressError("LZSS Decompress: Match outside the history");
}

} // namespace

int32_t TkvLZSSCompress::Compress(TStream& Src, TStream& Dst, int32_t Size)
{
    // The finder's chains are large; the block keeps slack for wide compares.
    auto finder = std::make_unique<LZSSMatchFinder>();
    std::vector<uint8_t> block(BlockSize + LZSSMatchFinder::Overrun, 0);
    TkvBitWriter writer(Dst);

    int32_t left = std::max(Size, 0);
    ReserveRoom(Src, Dst, left);
    while (left > 0) {
        const int32_t count = std::min(left, BlockSize);
        Src.ReadBuffer(block.data(), count);
        CompressBlock(writer, *finder, block.data(), count);
        left -= count;
    }
    writer.Finish();
    return Size;
}

int32_t TkvLZSSCompress::Decompress(TStream& Src, TStream& Dst, int32_t Size)
{
    // The history is exactly the current block's output so far, so it is
    // written out whole at each block end and at the finish.
    std::vector<uint8_t> history(BlockSize);
    TkvBitReader reader(Src);
    int32_t w = 0;
    int32_t remaining = Size;
    while (remaining > 0) {
        // Both token kinds are at least 9 bits long.
        const uint32_t head = reader.GetBits(LiteralBits);
        if ((head & 0x100) == 0) {
            history[w++] = uint8_t(head);
            --remaining;
        } else {
            const uint32_t tail = reader.GetBits(MatchBits - LiteralBits);
            const int32_t length = int32_t((head >> 2) & 0x3F) + MinMatch;
            const int32_t position = int32_t(((head & 3) << 10) | tail);
            // The coder only refers to bytes its block has already produced
            // and never runs a match past the block's end.
            if (position + length > w || w + length > BlockSize)
                MatchOutsideHistory();
            const int32_t n = std::min(length, remaining);
            std::memcpy(history.data() + w, history.data() + position, size_t(n));
            w += n;
            remaining -= n;
        }
        if (w == BlockSize) {
            Dst.WriteBuffer(history.data(), BlockSize);
            w = 0;
        }
    }
    if (w > 0)
        Dst.WriteBuffer(history.data(), w);
    return Size;
}
