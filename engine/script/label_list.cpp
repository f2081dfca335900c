#include "engine/script/label_list.h"

#include <algorithm>
#include <functional>

namespace {

size_t NameHash(std::string_view name)
{
    return std::hash<std::string_view>{}(name);
}

} // namespace

void TLabelList::InsertName(uint32_t index)
{
    const size_t mask = FByName.size() - 1;
    const std::string& name = FItems[index].Name;
    for (size_t slot = NameHash(name) & mask;; slot = (slot + 1) & mask) {
        const uint32_t taken = FByName[slot];
        if (taken == 0) {
            FByName[slot] = index + 1;
            return;
        }
        // An earlier label of the name stays.
        if (FItems[taken - 1].Name == name)
            return;
    }
}

void TLabelList::Add(std::string name, int line, int sceneLine)
{
    const TLabelRec& rec = FItems.emplace_back(TLabelRec{std::move(name), line, sceneLine});
    if (FItems.size() * 2 > FByName.size()) {
        // Grown by rehashing every record in order, so the first of a name
        // is again the one kept.
        FByName.assign(std::max<size_t>(64, FByName.size() * 2), 0);
        for (size_t i = 0; i < FItems.size(); ++i)
            InsertName(static_cast<uint32_t>(i));
    } else {
        InsertName(static_cast<uint32_t>(FItems.size() - 1));
    }
    if (!FByLine.empty() && FByLine.back()->Line > line)
        FByLineSorted = false;
    FByLine.push_back(&rec);
}

void TLabelList::Clear()
{
    FByName.clear();
    FByLine.clear();
    FByLineSorted = true;
    FItems.clear();
}

const TLabelRec* TLabelList::Find(const std::string& name) const
{
    if (FByName.empty())
        return nullptr;
    const size_t mask = FByName.size() - 1;
    for (size_t slot = NameHash(name) & mask; FByName[slot] != 0; slot = (slot + 1) & mask) {
        const TLabelRec& rec = FItems[FByName[slot] - 1];
        if (rec.Name == name)
            return &rec;
    }
    return nullptr;
}

bool TLabelList::Find(const std::string& name, int& line, int& sceneLine) const
{
    const TLabelRec* rec = Find(name);
    if (!rec)
        return false;
    line = rec->Line;
    sceneLine = rec->SceneLine;
    return true;
}

std::string TLabelList::GetNameByLine(int line) const
{
    if (!FByLineSorted) {
        // Stable, so that the first added of equal lines stays in front.
        std::stable_sort(
            FByLine.begin(), FByLine.end(), [](const TLabelRec* a, const TLabelRec* b) { return a->Line < b->Line; });
        FByLineSorted = true;
    }
    const auto found = std::lower_bound(
        FByLine.begin(), FByLine.end(), line, [](const TLabelRec* rec, int l) { return rec->Line < l; });
    return found != FByLine.end() && (*found)->Line == line ? (*found)->Name : std::string();
}

void TConnectNameList::Add(std::string fileName, int endLine)
{
    FItems.push_back(std::make_unique<TConnectNameRec>(TConnectNameRec{std::move(fileName), endLine}));
}

// The records are added in load order with growing end lines, so the first
// record that ends after a line is found by halving.
size_t TConnectNameList::IndexOf(int line) const
{
    const auto found = std::upper_bound(FItems.begin(), FItems.end(), line,
        [](int l, const std::unique_ptr<TConnectNameRec>& rec) { return l < rec->EndLine; });
    return static_cast<size_t>(found - FItems.begin());
}

std::string TConnectNameList::GetFileName(int line) const
{
    const size_t index = IndexOf(line);
    return index < FItems.size() ? FItems[index]->FileName : "not found";
}

int TConnectNameList::GetFileLine(int line) const
{
    const size_t index = IndexOf(line);
    if (index >= FItems.size())
        return 1;
    const int previousEnd = index == 0 ? 0 : FItems[index - 1]->EndLine;
    return line - previousEnd + 1;
}
