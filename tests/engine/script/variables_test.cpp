// The variable lists: named allocation ranges, first-use warnings, lookups.

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "base/sjis.h"
#include "engine/script/variables.h"

namespace {

struct Lists {
    TFlagList Flags;
    TSVarList StrVars;
    std::vector<std::string> Warnings;
    Lists()
    {
        Flags.Reset();
        StrVars.Reset();
        Flags.OnWarning = [this](const std::string& t) { Warnings.push_back(t); };
        StrVars.OnWarning = [this](const std::string& t) { Warnings.push_back(t); };
    }
};

TEST(TFlagList, ResetMakesTheScenarioRecords)
{
    Lists l;
    l.Flags.GetItem(5)->Value = 3;
    l.Flags.GetItem(9000)->Name = "x";
    l.Flags.Reset();
    EXPECT_EQ(l.Flags.Count(), 16385);
    EXPECT_EQ(l.Flags.GetItem(5)->Value, 0);
    EXPECT_EQ(l.Flags.GetItem(9000)->Name, "");
    EXPECT_EQ(l.StrVars.Count(), 1025);
    EXPECT_THROW(l.Flags.GetItem(16385), EListError);
    EXPECT_THROW(l.Flags.GetItem(-1), EListError);
}

TEST(TFlagList, FirstUseBindsAndWarnsSecondUseIsSilent)
{
    Lists l;
    int index = 0;
    EXPECT_TRUE(l.Flags.IndexOfName("door", index));
    EXPECT_EQ(index, 8192);
    ASSERT_EQ(l.Warnings.size(), 1u);
    EXPECT_EQ(l.Warnings[0], sjis::FromUtf8("変数F(door)が初めて使われました。"));
    EXPECT_TRUE(l.Flags.IndexOfName("door", index));
    EXPECT_EQ(index, 8192);
    EXPECT_EQ(l.Warnings.size(), 1u);
    EXPECT_TRUE(l.Flags.IndexOfName("Door", index)); // names are case-sensitive
    EXPECT_EQ(index, 8193);
}

TEST(TFlagList, NamesFillTheSavedRangeThenGiveMinusOne)
{
    Lists l;
    int index = 0;
    for (int i = 0; i < 8192; ++i) {
        l.Flags.IndexOfName("f" + std::to_string(i), index);
        ASSERT_EQ(index, 8192 + i);
    }
    EXPECT_TRUE(l.Flags.IndexOfName("one more", index));
    EXPECT_EQ(index, -1);
    EXPECT_EQ(l.Warnings.size(), 8193u);
    EXPECT_EQ(l.Flags.GetItem(16384)->Name, "");
}

TEST(TFlagList, EmptyNameFindsTheFirstUnnamedFlagSilently)
{
    Lists l;
    l.Flags.AllocName("a");
    int index = 0;
    EXPECT_TRUE(l.Flags.IndexOfName("", index));
    EXPECT_EQ(index, 8193);
    EXPECT_TRUE(l.Warnings.empty());
}

TEST(TFlagList, ShortListHasNoNamedRange)
{
    TFlagList flags;
    EXPECT_EQ(flags.AllocName("a"), -1);
    for (int i = 0; i <= 8192; ++i)
        flags.Add(std::make_unique<TFlagRec>());
    EXPECT_EQ(flags.AllocName("a"), 8192);
    int index = 0;
    flags.IndexOfName("b", index); // no sink bound: no warning, no fault
    EXPECT_EQ(index, -1);
}

TEST(TSVarList, NamesBindFrom512AndSearchCoversEveryRecord)
{
    Lists l;
    int index = -1;
    EXPECT_TRUE(l.StrVars.IndexOfName("", index)); // the search starts at 0
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(l.Warnings.empty());

    l.StrVars.GetItem(512)->Value = "old";
    EXPECT_TRUE(l.StrVars.IndexOfName("title", index));
    EXPECT_EQ(index, 512);
    EXPECT_EQ(l.StrVars.GetItem(512)->Value, "");
    ASSERT_EQ(l.Warnings.size(), 1u);
    EXPECT_EQ(l.Warnings[0], sjis::FromUtf8("文字列変数S(title)が初めて使われました。"));

    l.StrVars.GetItem(1024)->Name = "loaded"; // as a saved game may bind it
    EXPECT_TRUE(l.StrVars.IndexOfName("loaded", index));
    EXPECT_EQ(index, 1024);
    EXPECT_EQ(l.Warnings.size(), 1u);
}

TEST(TSVarList, NamesStopAtTheLastNumberedVariable)
{
    Lists l;
    for (int i = 512; i <= 1023; ++i)
        ASSERT_EQ(l.StrVars.AllocName("s" + std::to_string(i)), i);
    EXPECT_EQ(l.StrVars.AllocName("extra"), -1);
}

TEST(TItemList, FindIsExactAndFirstWins)
{
    TItemList items;
    for (const char* name : {"key", "Key", "key"}) {
        auto rec = std::make_unique<TItemRec>();
        rec->Name = name;
        items.Add(std::move(rec));
    }
    int index = -1;
    EXPECT_TRUE(items.Find("key", index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(items.Find("Key", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(items.Find("KEY", index));
    EXPECT_EQ(items.GetItem(2)->Count, 0);
}

} // namespace
