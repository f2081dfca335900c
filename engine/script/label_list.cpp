#include "engine/script/label_list.h"

#include <algorithm>

void TLabelList::Add(std::string name, int line, int sceneLine)
{
    const TLabelRec& rec = FItems.emplace_back(TLabelRec{std::move(name), line, sceneLine});
    // An entry already there is an earlier label and stays.
    FByName.try_emplace(std::string_view(rec.Name), &rec);
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
    const auto found = FByName.find(std::string_view(name));
    return found == FByName.end() ? nullptr : found->second;
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
        std::stable_sort(FByLine.begin(), FByLine.end(),
                         [](const TLabelRec* a, const TLabelRec* b) { return a->Line < b->Line; });
        FByLineSorted = true;
    }
    const auto found = std::lower_bound(FByLine.begin(), FByLine.end(), line,
                                        [](const TLabelRec* rec, int l) { return rec->Line < l; });
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
