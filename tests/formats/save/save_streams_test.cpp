// The container's stream list and the string form, byte for byte.

#include "base/sjis.h"
#include "formats/save/save_streams.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> B(std::initializer_list<int> bytes)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

TEST(SaveStreams, StreamListIsCountThenSizedStreams)
{
    const std::vector<std::vector<uint8_t>> streams = {B({'a', 'b'}), {}, B({'x', 'y', 'z'}), B({'!'})};
    TMemoryStream file;
    WriteSaveStreams(file, streams, 2); // the last stream is not written
    EXPECT_EQ(file.Bytes(), B({3, 0, 0, 0, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 3, 0, 0, 0, 'x', 'y', 'z'}));

    TMemoryStream out;
    for (int k = 0; k < 3; ++k) {
        file.SetPosition(0);
        ReadSaveStream(k, file, out);
        EXPECT_EQ(out.Bytes(), streams[size_t(k)]) << k;
        EXPECT_EQ(out.Position(), 0);
    }
    file.SetPosition(0);
    EXPECT_THROW(ReadSaveStream(3, file, out), EReadError);
    // A byte count beyond the file is refused before anything is allocated.
    TMemoryStream huge(B({1, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0x7F, 1, 2}).data(), 10);
    EXPECT_THROW(ReadSaveStream(0, huge, out), EReadError);
}

TEST(SaveStreams, StringIsLengthThenShiftJisBytes)
{
    const std::string name = sjis::FromUtf8("名前");
    TMemoryStream s;
    WriteSaveString(s, name);
    WriteSaveString(s, "");
    EXPECT_EQ(s.Bytes(), B({4, 0, 0, 0, 0x96, 0xBC, 0x91, 0x4F, 0, 0, 0, 0}));
    s.SetPosition(0);
    EXPECT_EQ(ReadSaveString(s), name);
    EXPECT_EQ(ReadSaveString(s), "");

    for (const auto& bad : {B({0xFF, 0xFF, 0xFF, 0xFF}), B({5, 0, 0, 0, 'a', 'b', 'c', 'd'})}) {
        TMemoryStream m(bad.data(), bad.size());
        EXPECT_THROW(ReadSaveString(m), EReadError);
    }
}
