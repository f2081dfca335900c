#include "engine/script/variables.h"

#include <algorithm>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"

template <class Rec>
Rec* TRecordList<Rec>::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return &FItems[static_cast<size_t>(index)];
}

template <class Rec>
int TRecordList<Rec>::Add(std::unique_ptr<Rec> rec)
{
    FItems.push_back(rec ? std::move(*rec) : Rec{});
    return Count() - 1;
}

template class TRecordList<TFlagRec>;
template class TRecordList<TSVarRec>;
template class TRecordList<TItemRec>;

namespace {

// Every scenario open makes the lists afresh; the records of the previous
// game are blanked where they are instead of being freed and made again.
template <class Rec>
void MakeBlankRecords(std::deque<Rec>& items, int count)
{
    const size_t kept = std::min(items.size(), static_cast<size_t>(count));
    items.resize(static_cast<size_t>(count));
    std::fill_n(items.begin(), kept, Rec{});
}

// The first record from `first` to `last` (inclusive, clipped to the list)
// that is bound to the name or still unnamed; -1 when there is none.
template <class Rec>
int BindName(std::deque<Rec>& items, const std::string& name, int first, int last)
{
    last = std::min(last, static_cast<int>(items.size()) - 1);
    for (int i = first; i <= last; ++i) {
        Rec& rec = items[static_cast<size_t>(i)];
        if (rec.Name == name)
            return i;
        if (rec.Name.empty()) {
            rec.Name = name;
            rec.Value = {};
            return i;
        }
    }
    return -1;
}

} // namespace

void TFlagList::Reset()
{
    MakeBlankRecords(FItems, FlagRecordCount);
}

bool TFlagList::IndexOfName(const std::string& name, int& index)
{
    for (int i = FlagNameFirst; i < Count(); ++i) {
        if (FItems[static_cast<size_t>(i)].Name == name) {
            index = i;
            return true;
        }
    }
    index = AllocName(name);
    if (OnWarning)
        OnWarning(SJ("変数F(") + name + SJ(")が初めて使われました。"));
    return true;
}

int TFlagList::AllocName(const std::string& name)
{
    return BindName(FItems, name, FlagNameFirst, FlagNameLast);
}

void TSVarList::Reset()
{
    MakeBlankRecords(FItems, SVarRecordCount);
}

bool TSVarList::IndexOfName(const std::string& name, int& index)
{
    for (int i = 0; i < Count(); ++i) {
        if (FItems[static_cast<size_t>(i)].Name == name) {
            index = i;
            return true;
        }
    }
    index = AllocName(name);
    if (OnWarning)
        OnWarning(SJ("文字列変数S(") + name + SJ(")が初めて使われました。"));
    return true;
}

int TSVarList::AllocName(const std::string& name)
{
    return BindName(FItems, name, SVarNameFirst, SVarNameLast);
}

bool TItemList::Find(const std::string& name, int& index) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FItems[static_cast<size_t>(i)].Name == name) {
            index = i;
            return true;
        }
    }
    return false;
}
