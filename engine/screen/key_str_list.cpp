#include "engine/screen/key_str_list.h"

#include <algorithm>

#include "base/conv.h"
#include "base/exceptions.h"
#include "classlib/virtual_keys.h"

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

void AddKeyNames(TKeyStrList& names)
{
    names.Add(VK_UP, "UP");
    names.Add(VK_DOWN, "DOWN");
    names.Add(VK_LEFT, "LEFT");
    names.Add(VK_RIGHT, "RIGHT");
    names.Add(VK_ESCAPE, "ESC");
    names.Add(VK_PRIOR, "PAGEUP");
    names.Add(VK_NEXT, "PAGEDOWN");
    names.Add(VK_HELP, "HELP");
    // Names are built by appending: "literal" + string trips a false
    // overlap warning of the optimiser here.
    for (int i = 0; i <= 9; ++i) {
        std::string name = "TK";
        name += IntToStr(i);
        names.Add(static_cast<uint16_t>(VK_NUMPAD0 + i), name);
    }
    names.Add(VK_MULTIPLY, "TK*");
    names.Add(VK_ADD, "TK+");
    names.Add(VK_SUBTRACT, "TK-");
    names.Add(VK_DECIMAL, "TK.");
    names.Add(VK_DIVIDE, "TK/");
    for (int i = 1; i <= 24; ++i) {
        std::string name = "F";
        name += IntToStr(i);
        names.Add(static_cast<uint16_t>(VK_F1 + i - 1), name);
    }
}
