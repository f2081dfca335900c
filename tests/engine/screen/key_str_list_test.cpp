#include <gtest/gtest.h>

#include "engine/screen/key_str_list.h"

namespace {

TEST(KeyStrList, SetTextAddsReplacesAndRemoves)
{
    TKeyStrList list;
    list.SetText(112, "#POP");
    list.SetText(33, "#PUP");
    ASSERT_EQ(list.Count(), 2);

    list.SetText(112, "look\\n");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetText(112), "look\\n");
    EXPECT_EQ(list.GetItem(0).Key, 112);

    list.SetText(112, "");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetText(112), "");
    EXPECT_EQ(list.GetItem(0).Key, 33);

    // Removing a binding that is not there adds nothing.
    list.SetText(40, "");
    EXPECT_EQ(list.Count(), 1);
}

TEST(KeyStrList, OnlyTheFirstRecordOfAKeyCounts)
{
    TKeyStrList list;
    list.Add(5, "first");
    list.Add(5, "second");
    EXPECT_EQ(list.GetText(5), "first");
    list.SetText(5, "");
    EXPECT_EQ(list.GetText(5), "second");
}

TEST(KeyStrList, KeyOfMatchesWholeNamesWithCase)
{
    TKeyStrList names;
    names.Add(112, "F1");
    names.Add(38, "UP");
    names.Add(200, "x");
    EXPECT_EQ(names.KeyOf("F1"), 112);
    EXPECT_EQ(names.KeyOf("f1"), 0);
    EXPECT_EQ(names.KeyOf("UP "), 0);
    EXPECT_EQ(names.KeyOf(""), 0);
    // A one-character name is that character, whatever the list holds.
    EXPECT_EQ(names.KeyOf("x"), 0x8078);
    EXPECT_EQ(names.KeyOf("\xB1"), 0x80B1); // half-width katakana, one byte
}

} // namespace
