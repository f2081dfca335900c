#include "graphics/containers.h"

#include <algorithm>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"

int32_t TRectList::Add(const TRect& rect)
{
    if (FCount == FCapacity)
        Grow();
    FList[size_t(FCount)] = rect;
    return FCount++;
}

TRect* TRectList::Items(int32_t index)
{
    if (index < 0 || index >= FCount)
        return nullptr;
    return &FList[size_t(index)];
}

void TRectList::Delete(int32_t index)
{
    if (index < 0 || index >= FCount)
        return;
    std::move(FList.begin() + index + 1, FList.begin() + FCount, FList.begin() + index);
    --FCount;
}

void TRectList::Clear()
{
    FCount = 0;
    FCapacity = 10;
    FList.assign(size_t(FCapacity), TRect{});
}

void TRectList::SetCount(int32_t value)
{
    value = std::max(value, 0);
    if (value > FCapacity) {
        FCapacity = value;
        FList.resize(size_t(FCapacity));
    }
    for (int32_t i = FCount; i < value; ++i)
        FList[size_t(i)] = TRect{};
    FCount = value;
}

void TRectList::Grow()
{
    int32_t delta;
    if (FCapacity > 128)
        delta = FCapacity / 4;
    else if (FCapacity > 8)
        delta = 32;
    else
        delta = 8;
    FCapacity += delta;
    FList.resize(size_t(FCapacity));
}

bool TPointerMap::Find(const void* item, int32_t& bucketIndex, int32_t& itemIndex) const
{
    bucketIndex = BucketOf(item);
    const TBucket& bucket = FBuckets[bucketIndex];
    for (int32_t i = 0; i < bucket.Count; ++i)
        if (bucket.Items[size_t(i)].Item == item) {
            itemIndex = i;
            return true;
        }
    itemIndex = -1;
    return false;
}

void*& TPointerMap::Add(const void* item, bool& isNew)
{
    int32_t b, i;
    isNew = !Find(item, b, i);
    TBucket& bucket = FBuckets[b];
    if (isNew) {
        if (bucket.Count == int32_t(bucket.Items.size())) {
            const size_t capacity = bucket.Items.size();
            const size_t delta = capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4);
            bucket.Items.resize(capacity + delta);
        }
        i = bucket.Count++;
        bucket.Items[size_t(i)] = TPointerBucketItem{item, nullptr};
        ++FCount;
    }
    return bucket.Items[size_t(i)].Data;
}

void*& TPointerMap::Add(const void* item, void* data)
{
    bool isNew;
    void*& slot = Add(item, isNew);
    if (isNew)
        slot = data;
    return slot;
}

void* TPointerMap::Remove(const void* item)
{
    int32_t b, i;
    if (!Find(item, b, i))
        return nullptr;
    void* data = FBuckets[b].Items[size_t(i)].Data;
    Delete(b, i);
    return data;
}

bool TPointerMap::Contains(const void* item) const
{
    int32_t b, i;
    return Find(item, b, i);
}

void* TPointerMap::Data(const void* item) const
{
    int32_t b, i;
    if (!Find(item, b, i))
        throw EListError(
            SJ("アイテム ($0") + IntToHex(reinterpret_cast<uintptr_t>(item), 1) + SJ(") が見つかりません"));
    return FBuckets[b].Items[size_t(i)].Data;
}

void TPointerMap::Clear()
{
    for (TBucket& bucket : FBuckets) {
        bucket.Items.clear();
        bucket.Count = 0;
    }
    FCount = 0;
}

void TPointerMap::Delete(int32_t bucketIndex, int32_t itemIndex)
{
    TBucket& bucket = FBuckets[bucketIndex];
    std::move(
        bucket.Items.begin() + itemIndex + 1, bucket.Items.begin() + bucket.Count, bucket.Items.begin() + itemIndex);
    --bucket.Count;
    --FCount;
}

TPointerMapIterator::TPointerMapIterator(TPointerMap& map) : FSrcPointerMap(map)
{
}

bool TPointerMapIterator::Next()
{
    if (FCurItemIndex > 0) {
        --FCurItemIndex;
    } else {
        FCurItemIndex = -1;
        while (FCurBucketIndex < 255) {
            ++FCurBucketIndex;
            if (FSrcPointerMap.FBuckets[FCurBucketIndex].Count > 0) {
                FCurItemIndex = FSrcPointerMap.FBuckets[FCurBucketIndex].Count - 1;
                break;
            }
        }
        if (FCurItemIndex < 0)
            return false;
    }
    const TPointerBucketItem& it = FSrcPointerMap.FBuckets[FCurBucketIndex].Items[size_t(FCurItemIndex)];
    FCurrentItem = it.Item;
    FCurrentData = it.Data;
    return true;
}
