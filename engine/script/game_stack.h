#pragma once
// Return points of *GOSUB: the caller's scene and the line to go on with.
// The main and the background script each have one.

#include <cstddef>
#include <cstdint>
#include <vector>

struct TGameStackRec {
    int32_t SceneLine = 0;
    int32_t ReturnLine = 0;
};

class TGameStack {
public:
    // Deeper than this, a *GOSUB raises a script error instead of letting a
    // runaway recursion eat the memory.
    static constexpr int MaxDepth = 100000;

    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    // False (nothing pushed) when MaxDepth records are held already.
    bool Push(int32_t sceneLine, int32_t returnLine);
    // The top record, removed; the stack must not be empty.
    TGameStackRec Pop();
    const TGameStackRec& GetItem(int index) const { return FItems[static_cast<size_t>(index)]; }
    void Clear() { FItems.clear(); }

private:
    std::vector<TGameStackRec> FItems;
};
