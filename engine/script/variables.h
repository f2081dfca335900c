#pragma once
// The game's variables: integer flags and string variables, reached by
// number or by a name bound to a free number on first use, and the items
// that the script's item block declares. The game state (game_state.h)
// owns the three lists; the expression evaluator reads and writes them.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TFlagRec {
    std::string Name; // empty for a flag used by number only
    int32_t Value = 0;
};

struct TSVarRec {
    std::string Name;
    std::string Value;
};

struct TItemRec {
    std::string Name;
    int32_t Count = 0;
    int32_t InitialCount = 0;
};

// Record counts made at every scenario open.
constexpr int FlagRecordCount = 16385;
constexpr int SVarRecordCount = 1025;
// Highest index a script may name by number; the evaluator checks it.
constexpr int FlagIndexMax = 16383;
constexpr int SVarIndexMax = 1023;
// Names are bound only within these ranges. The upper ends stay inside the
// numbered range, which is also what a saved game holds (the save file keeps
// flags 0 to 16383 only), so a named value never gets lost in a save.
constexpr int FlagNameFirst = 8192;
constexpr int FlagNameLast = FlagIndexMax;
constexpr int SVarNameFirst = 512;
constexpr int SVarNameLast = SVarIndexMax;

// A list that owns its records, as the class library's pointer list with
// a Clear that frees them. The records are kept in blocks, not one
// allocation each (a game has 16 385 flags), and stay where they are while
// records are added.
template <class Rec>
class TRecordList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index outside 0..Count-1.
    Rec* GetItem(int index) const;
    // Appends the record and answers its index.
    int Add(std::unique_ptr<Rec> rec);
    void Clear() { FItems.clear(); }

protected:
    // Mutable: a list read through a const reference still hands out its
    // records to be changed, as a pointer list does.
    mutable std::deque<Rec> FItems;
};

// Receives the first-use warnings; the interpreter shows them (or not,
// by its warning level).
using TVarWarningEvent = std::function<void(const std::string& text)>;

class TFlagList : public TRecordList<TFlagRec> {
public:
    // Empties the list and makes the FlagRecordCount blank records a
    // scenario starts with.
    void Reset();
    // Finds the name among records FlagNameFirst to the last; a name not
    // found is bound with AllocName and reported through OnWarning. Always
    // true; index is -1 when no record was free.
    bool IndexOfName(const std::string& name, int& index);
    // The index bound to the name, or the first unnamed record from
    // FlagNameFirst to FlagNameLast, which takes the name and the value 0;
    // -1 when none is left.
    int AllocName(const std::string& name);

    TVarWarningEvent OnWarning;
};

class TSVarList : public TRecordList<TSVarRec> {
public:
    void Reset();
    // As for flags, but the search covers every record from index 0.
    bool IndexOfName(const std::string& name, int& index);
    // As for flags, from SVarNameFirst to SVarNameLast; the value becomes empty.
    int AllocName(const std::string& name);

    TVarWarningEvent OnWarning;
};

class TItemList : public TRecordList<TItemRec> {
public:
    // The first record whose name equals the name exactly (case-sensitive).
    bool Find(const std::string& name, int& index) const;
};

extern template class TRecordList<TFlagRec>;
extern template class TRecordList<TSVarRec>;
extern template class TRecordList<TItemRec>;
