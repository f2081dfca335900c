#pragma once
// Byte-vector wrappers around the stream coder for the tests.

#include "base/streams.h"
#include "codec/kv_compress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lzss_util {

inline std::vector<uint8_t> Bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

inline std::vector<uint8_t> Compress(const std::vector<uint8_t>& data)
{
    TMemoryStream src(data.data(), data.size());
    TMemoryStream dst;
    TkvLZSSCompress coder;
    coder.Compress(src, dst, int32_t(data.size()));
    return dst.Bytes();
}

inline std::vector<uint8_t> Decompress(const std::vector<uint8_t>& coded, int32_t size)
{
    TMemoryStream src(coded.data(), coded.size());
    TMemoryStream dst;
    TkvLZSSCompress coder;
    coder.Decompress(src, dst, size);
    return dst.Bytes();
}

} // namespace lzss_util
