#pragma once
// Small containers of the graphics library: a growable rectangle list (the
// image control's invalid rectangles), a pointer-keyed map (the repaint
// optimiser's per-layer tiles), and a list of classes found by name.

#include <cstdint>
#include <string_view>
#include <deque>
#include <vector>

#include "base/types.h"

class TRectList {
public:
    // Appends and answers the index.
    int32_t Add(const TRect& rect);
    // The rectangle's address; nullptr for an index outside 0..Count - 1.
    TRect* Items(int32_t index);
    void Delete(int32_t index);
    // Empties the list and sets the capacity to 10.
    virtual void Clear();
    int32_t Count() const { return FCount; }
    // New entries are zero.
    void SetCount(int32_t value);
    int32_t Capacity() const { return FCapacity; }
    virtual ~TRectList() = default;

protected:
    // By a quarter above 128, by 8 below 9, else by 32.
    virtual void Grow();

private:
    std::vector<TRect> FList;
    int32_t FCount = 0;
    int32_t FCapacity = 0;
};

struct TPointerBucketItem {
    const void* Item;
    void* Data;
};

class TPointerMap {
public:
    virtual ~TPointerMap() = default;

    // The data slot of `item`; `isNew` tells whether the pair was appended.
    void*& Add(const void* item, bool& isNew);
    void*& Add(const void* item, void* data);
    // Deletes the pair and answers its data (nullptr when absent).
    void* Remove(const void* item);
    bool Contains(const void* item) const;
    // Raises EListError "アイテム ($0%x) が見つかりません" for a missing key.
    void* Data(const void* item) const;
    void Clear();
    int32_t Count() const { return FCount; }

protected:
    virtual void Delete(int32_t bucketIndex, int32_t itemIndex);

private:
    friend class TPointerMapIterator;
    static int32_t BucketOf(const void* item) { return int32_t((reinterpret_cast<uintptr_t>(item) >> 8) & 0xFF); }
    bool Find(const void* item, int32_t& bucketIndex, int32_t& itemIndex) const;

    struct TBucket {
        std::vector<TPointerBucketItem> Items;
        int32_t Count = 0;
    };
    TBucket FBuckets[256];
    int32_t FCount = 0;
};

// Visits every pair: buckets in ascending order, items last to first.
class TPointerMapIterator {
public:
    explicit TPointerMapIterator(TPointerMap& map);
    bool Next();
    const void* Item() const { return FCurrentItem; }
    void* Data() const { return FCurrentData; }

private:
    TPointerMap& FSrcPointerMap;
    int32_t FCurBucketIndex = -1;
    int32_t FCurItemIndex = -1;
    const void* FCurrentItem = nullptr;
    void* FCurrentData = nullptr;
};

// Classes by reference; TClass has a ClassName member.
template <class TClass>
class TClassList {
public:
    void Add(const TClass& cls) { FItems.push_back(cls); }
    // The first class whose name equals `name` exactly, or nullptr.
    const TClass* Find(std::string_view name) const
    {
        for (const TClass& c : FItems)
            if (c.ClassName == name)
                return &c;
        return nullptr;
    }
    int32_t Count() const { return int32_t(FItems.size()); }
    const TClass& operator[](int32_t index) const { return FItems[size_t(index)]; }

private:
    std::deque<TClass> FItems; // stable addresses for Find's answers
};
