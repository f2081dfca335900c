#include "base/sjis.h"

#include <gtest/gtest.h>

namespace {

// Katakana and kanji whose trail bytes look like ASCII punctuation or letters.
const std::string kSo = "\x83\x5C";  // ソ: trail 5Ch '\'
const std::string kHyo = "\x95\x5C"; // 表: trail 5Ch
const std::string kBo = "\x83\x7B";  // ボ: trail 7Bh '{'
const std::string kMa = "\x83\x7D";  // マ: trail 7Dh '}'
const std::string kBar = "\x81\x5B"; // ー: trail 5Bh '['
const std::string kZo = "\x83\x5D";  // ゾ: trail 5Dh ']'
const std::string kHa = "\x83\x6E";  // ハ: trail 6Eh 'n'

TEST(Sjis, LeadByteRanges)
{
    EXPECT_FALSE(sjis::IsLeadByte(static_cast<unsigned char>(0x80)));
    EXPECT_TRUE(sjis::IsLeadByte(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(sjis::IsLeadByte(static_cast<unsigned char>(0x9F)));
    EXPECT_FALSE(sjis::IsLeadByte(static_cast<unsigned char>(0xA0)));
    EXPECT_FALSE(sjis::IsLeadByte(static_cast<unsigned char>(0xDF)));
    EXPECT_TRUE(sjis::IsLeadByte(static_cast<unsigned char>(0xE0)));
    EXPECT_TRUE(sjis::IsLeadByte(static_cast<unsigned char>(0xFC)));
    EXPECT_FALSE(sjis::IsLeadByte(static_cast<unsigned char>(0xFD)));
}

TEST(Sjis, FindNeverMatchesTrailBytes)
{
    const std::string text = kSo + kBo + kMa + kBar + kZo + "{x}";
    EXPECT_EQ(sjis::Find(text, '{'), 10u);
    EXPECT_EQ(sjis::Find(text, '}'), 12u);
    EXPECT_EQ(sjis::Find(text, '['), sjis::npos);
    EXPECT_EQ(sjis::Find(text, ']'), sjis::npos);
    EXPECT_EQ(sjis::Find(text, '\\'), sjis::npos);
    EXPECT_EQ(sjis::FindLast(kHyo + "\\a" + kHyo, '\\'), 2u);
    EXPECT_EQ(sjis::Find(kHa + "n", "n"), 2u);
    EXPECT_EQ(sjis::Find(kHa + "an", "n"), 3u);
    EXPECT_EQ(sjis::Find("abc", ""), 0u);
}

TEST(Sjis, CaseMappingSkipsTrailBytes)
{
    // ハ's trail byte is 'n'; upper-casing must leave it.
    EXPECT_EQ(sjis::UpperCase("ab" + kHa + "z"), "AB" + kHa + "Z");
    const std::string withUpperTrail = "\x83\x41"; // ア: trail 41h 'A'
    EXPECT_EQ(sjis::LowerCase("XY" + withUpperTrail), "xy" + withUpperTrail);
    EXPECT_TRUE(sjis::SameText("File.TGS", "file.tgs"));
    EXPECT_FALSE(sjis::SameText(kHa, "\x83N"));
}

TEST(Sjis, TrimKeepsFullWidthSpace)
{
    const std::string wide = "\x81\x40";
    EXPECT_EQ(sjis::Trim(" \t\x01" + wide + "a" + wide + "\r\n "), wide + "a" + wide);
    EXPECT_EQ(sjis::TrimLeft("  a "), "a ");
    EXPECT_EQ(sjis::TrimRight("  a "), "  a");
    EXPECT_EQ(sjis::Trim("   "), "");
}

TEST(Sjis, CharactersAndLoneLeadByte)
{
    const std::string text = "a" + kSo + "b\x83";
    EXPECT_EQ(sjis::CharCount(text), 4u);
    EXPECT_TRUE(sjis::IsCharStart(text, 1));
    EXPECT_FALSE(sjis::IsCharStart(text, 2));
    EXPECT_EQ(sjis::CharLen(text, 4), 1u);
}

TEST(Sjis, Utf8RoundTrip)
{
    const std::string utf8 = "起動できません ソ表ボマーゾハ ①Ⅰ";
    const std::string sj = sjis::FromUtf8(utf8);
    EXPECT_EQ(sj.substr(0, 4), "\x8B\x4E\x93\xAE");
    EXPECT_EQ(sjis::ToUtf8(sj), utf8);
    EXPECT_EQ(SJ("データ"), "\x83\x66\x81\x5B\x83\x5E");
}

TEST(Sjis, UnconvertibleCharacters)
{
    std::string out = "untouched";
    EXPECT_FALSE(sjis::TryFromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80", out));
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(sjis::FromUtf8("a\xF0\x9F\x98\x80"
                             "b"),
        "a?b");
    // A lone lead byte and a bad trail come through as replacement characters.
    EXPECT_EQ(sjis::ToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_TRUE(sjis::TryFromUtf8("ok", out));
    EXPECT_EQ(out, "ok");
}

} // namespace
