#include "engine/script/label_list.h"

void TLabelList::Add(std::string name, int line, int sceneLine)
{
    FItems.push_back(std::make_unique<TLabelRec>(TLabelRec{std::move(name), line, sceneLine}));
}

const TLabelRec* TLabelList::Find(const std::string& name) const
{
    for (const auto& rec : FItems)
        if (rec->Name == name)
            return rec.get();
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
    for (const auto& rec : FItems)
        if (rec->Line == line)
            return rec->Name;
    return {};
}

void TConnectNameList::Add(std::string fileName, int endLine)
{
    FItems.push_back(std::make_unique<TConnectNameRec>(TConnectNameRec{std::move(fileName), endLine}));
}

std::string TConnectNameList::GetFileName(int line) const
{
    for (const auto& rec : FItems)
        if (rec->EndLine > line)
            return rec->FileName;
    return "not found";
}

int TConnectNameList::GetFileLine(int line) const
{
    int previousEnd = 0;
    for (const auto& rec : FItems) {
        if (rec->EndLine > line)
            return line - previousEnd + 1;
        previousEnd = rec->EndLine;
    }
    return 1;
}
