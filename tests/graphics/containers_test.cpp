#include <gtest/gtest.h>

#include <vector>

#include "base/exceptions.h"
#include "base/sjis.h"
#include "graphics/containers.h"
#include "graphics/ordinal_maps.h"

TEST(RectList, AddDeleteAndCapacity)
{
    TRectList list;
    for (int32_t i = 0; i < 20; ++i)
        EXPECT_EQ(list.Add(TRect{i, 0, i + 1, 1}), i);
    EXPECT_EQ(list.Capacity(), 8 + 8 + 32);
    EXPECT_EQ(list.Items(20), nullptr);
    EXPECT_EQ(list.Items(-1), nullptr);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 19);
    EXPECT_EQ(list.Items(0)->Left, 1);
    list.SetCount(25);
    EXPECT_EQ(*list.Items(24), TRect{});
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 10);
}

TEST(PointerMap, AddFindRemoveAndIterate)
{
    TPointerMap map;
    int keys[3] = {0, 0, 0};
    bool isNew = false;
    map.Add(&keys[0], &keys[1]);
    void*& slot = map.Add(&keys[0], isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(slot, &keys[1]);
    map.Add(&keys[1], nullptr);
    map.Add(&keys[2], &keys[2]);
    EXPECT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Data(&keys[2]), &keys[2]);

    std::vector<const void*> seen;
    TPointerMapIterator it(map);
    while (it.Next())
        seen.push_back(it.Item());
    EXPECT_EQ(seen.size(), 3u);

    EXPECT_EQ(map.Remove(&keys[0]), &keys[1]);
    EXPECT_FALSE(map.Contains(&keys[0]));
    try {
        map.Data(reinterpret_cast<void*>(0x12AB));
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(sjis::ToUtf8(e.what()), "アイテム ($012AB) が見つかりません");
    }
    map.Clear();
    EXPECT_EQ(map.Count(), 0);
}

TEST(IntegerMap, KeepsValuesInArrayOrder)
{
    TIntegerMap m;
    EXPECT_TRUE(m.Empty());
    m.SetSize(2, 2);
    m.SetValue(1, 1, 7);
    m.SetSize(4, 2);
    EXPECT_EQ(m.Value(3, 0), 7); // index 3 in array order
    EXPECT_EQ(m.Value(3, 1), 0);
}
