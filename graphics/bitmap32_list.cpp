#include "graphics/bitmap32_list.h"

#include <algorithm>

#include "base/exceptions.h"

namespace {

[[noreturn]] void IndexError(int32_t index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

TBitmap32Item::TBitmap32Item(TBitmap32Collection* collection)
    : FBitmap(std::make_unique<TBitmap32>()), FCollection(collection)
{
}

void TBitmap32Item::SetBitmap(const TBitmap32& value)
{
    FBitmap->Assign(&value);
}

void TBitmap32Item::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TBitmap32Item*>(source)) {
        if (item != this)
            FBitmap->Assign(item->FBitmap.get());
        return;
    }
    TPersistent::Assign(source);
}

int32_t TBitmap32Item::Index() const
{
    return FCollection != nullptr ? FCollection->IndexOf(this) : -1;
}

TBitmap32Collection::TBitmap32Collection(TPersistent* owner) : FOwner(owner)
{
}

TBitmap32Item& TBitmap32Collection::Add()
{
    FItems.push_back(std::make_unique<TBitmap32Item>(this));
    return *FItems.back();
}

TBitmap32Item& TBitmap32Collection::Insert(int32_t index)
{
    if (index < 0 || index > Count())
        IndexError(index);
    return **FItems.insert(FItems.begin() + index, std::make_unique<TBitmap32Item>(this));
}

void TBitmap32Collection::Delete(int32_t index)
{
    if (index < 0 || index >= Count())
        IndexError(index);
    FItems.erase(FItems.begin() + index);
}

TBitmap32Item& TBitmap32Collection::Items(int32_t index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return *FItems[size_t(index)];
}

int32_t TBitmap32Collection::IndexOf(const TBitmap32Item* item) const
{
    const auto it = std::find_if(FItems.begin(), FItems.end(), [item](const auto& p) { return p.get() == item; });
    return it == FItems.end() ? -1 : int32_t(it - FItems.begin());
}

void TBitmap32Collection::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TBitmap32Collection*>(source);
    if (src == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this)
        return;
    // Built aside first, so a failed copy leaves the list as it was.
    std::vector<std::unique_ptr<TBitmap32Item>> items;
    items.reserve(src->FItems.size());
    for (const auto& srcItem : src->FItems) {
        items.push_back(std::make_unique<TBitmap32Item>(this));
        items.back()->Assign(srcItem.get());
    }
    FItems = std::move(items);
}

TBitmap32List::TBitmap32List() : FBitmap32Collection(std::make_unique<TBitmap32Collection>(this))
{
}
