#include "engine/script/cmd_list.h"

void TCmdList::Add(const std::array<std::string, TCmdPatternRec::WordSlots>& words, int target)
{
    auto rec = std::make_unique<TCmdPatternRec>();
    rec->Words = words;
    rec->Target = target;
    FItems.push_back(std::move(rec));
}
