#include "codec/crc32.h"

#include "testkit/codec/sample_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t CRC(const std::string& s, uint32_t start = 0)
{
    uint32_t crc = start;
    UpdateCRC32(s.data(), uint32_t(s.size()), crc);
    return crc;
}

} // namespace

TEST(UpdateCRC32, GivesTheUninvertedValues)
{
    EXPECT_EQ(CRC("abc"), 0xCA6598D0u);
    EXPECT_EQ(CRC("123456789"), 0x2DFD2D88u);
    EXPECT_EQ(CRC(""), 0u);
    EXPECT_EQ(CRC(std::string(1, '\x01')), 0x77073096u);
    EXPECT_EQ(CRC(std::string(1, '\xFF')), 0x2D02EF8Du);
}

TEST(UpdateCRC32, KeepsZeroOverZeroBytesAndAnyValueOverNoBytes)
{
    for (size_t n : {1u, 7u, 8u, 9u, 16u, 17u, 4099u})
        EXPECT_EQ(CRC(std::string(n, '\0')), 0u) << n;
    uint32_t crc = 0x12345678;
    UpdateCRC32(nullptr, 0, crc);
    EXPECT_EQ(crc, 0x12345678u);
}

TEST(UpdateCRC32, ChainsAcrossSplitUpdates)
{
    const auto data = sample_data::Random(300, 5);
    uint32_t whole = 0;
    UpdateCRC32(data.data(), uint32_t(data.size()), whole);

    // A byte-at-a-time loop over the same table, against the wide path at
    // every length and alignment.
    uint32_t slow = 0;
    for (uint8_t b : data) {
        uint32_t c = (slow ^ b) & 0xFF;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        slow = c ^ (slow >> 8);
    }
    EXPECT_EQ(whole, slow);

    for (uint32_t split = 0; split <= data.size(); ++split) {
        uint32_t crc = 0;
        UpdateCRC32(data.data(), split, crc);
        UpdateCRC32(data.data() + split, uint32_t(data.size()) - split, crc);
        ASSERT_EQ(crc, whole) << "split at " << split;
    }
}
