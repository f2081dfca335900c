#pragma once
// A list of 32-bit bitmaps kept by a window: the engine's built-in pictures
// and its wait-animation frames.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/classes.h"
#include "graphics/bitmap32.h"

class TBitmap32Collection;

class TBitmap32Item : public TPersistent {
public:
    explicit TBitmap32Item(TBitmap32Collection* collection);
    std::string ClassName() const override { return "TBitmap32Item"; }

    TBitmap32& Bitmap() const { return *FBitmap; }
    // Assigns a copy (pixels and drawing properties).
    void SetBitmap(const TBitmap32& value);
    // From another item: its bitmap; any other source as TPersistent.
    void Assign(const TPersistent* source) override;

    TBitmap32Collection* Collection() const { return FCollection; }
    int32_t Index() const;

private:
    std::unique_ptr<TBitmap32> FBitmap;
    TBitmap32Collection* FCollection;
};

class TBitmap32Collection : public TPersistent {
public:
    explicit TBitmap32Collection(TPersistent* owner = nullptr);
    std::string ClassName() const override { return "TBitmap32Collection"; }

    TPersistent* GetOwner() const { return FOwner; }
    // Appends an item with an empty bitmap.
    TBitmap32Item& Add();
    // Inserts an item with an empty bitmap before `index` (0..Count).
    TBitmap32Item& Insert(int32_t index);
    void Delete(int32_t index);
    void Clear() { FItems.clear(); }
    int32_t Count() const { return int32_t(FItems.size()); }
    // Raises EListError for an index outside 0..Count - 1.
    TBitmap32Item& Items(int32_t index) const;
    int32_t IndexOf(const TBitmap32Item* item) const;
    // From another collection: copies of its items.
    void Assign(const TPersistent* source) override;

private:
    std::vector<std::unique_ptr<TBitmap32Item>> FItems;
    TPersistent* FOwner;
};

class TBitmap32List : public TPersistent {
public:
    TBitmap32List();
    std::string ClassName() const override { return "TBitmap32List"; }

    TBitmap32Collection& Bitmaps() { return *FBitmap32Collection; }
    const TBitmap32Collection& Bitmaps() const { return *FBitmap32Collection; }
    void SetBitmaps(const TBitmap32Collection& value) { FBitmap32Collection->Assign(&value); }
    // The bitmap of item `index`; EListError outside 0..Count - 1.
    TBitmap32& Bitmap(int32_t index) const { return FBitmap32Collection->Items(index).Bitmap(); }
    void SetBitmap(int32_t index, const TBitmap32& value) { FBitmap32Collection->Items(index).SetBitmap(value); }

private:
    std::unique_ptr<TBitmap32Collection> FBitmap32Collection;
};
