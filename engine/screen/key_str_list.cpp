#include "engine/screen/key_str_list.h"

#include <algorithm>

#include "base/conv.h"
#include "base/exceptions.h"

const TKeyStr& TKeyStrList::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return *FItems[static_cast<size_t>(index)];
}

std::string TKeyStrList::GetText(uint16_t key) const
{
    for (const auto& item : FItems)
        if (item->Key == key)
            return item->Text;
    return {};
}

uint16_t TKeyStrList::KeyOf(const std::string& name) const
{
    if (name.size() == 1)
        return static_cast<uint16_t>(CharKeyFlag + static_cast<unsigned char>(name[0]));
    for (const auto& item : FItems)
        if (item->Text == name)
            return item->Key;
    return 0;
}

void TKeyStrList::SetText(uint16_t key, const std::string& text)
{
    const auto it = std::find_if(FItems.begin(), FItems.end(), [key](const auto& item) { return item->Key == key; });
    if (it == FItems.end()) {
        if (!text.empty())
            Add(key, text);
    } else if (text.empty()) {
        FItems.erase(it);
    } else {
        (*it)->Text = text;
    }
}

void TKeyStrList::Add(uint16_t key, const std::string& text)
{
    auto item = std::make_unique<TKeyStr>();
    item->Key = key;
    item->Text = text;
    FItems.push_back(std::move(item));
}
