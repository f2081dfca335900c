#pragma once
// The typed-command patterns in force: one record per ">" line of the GLOBAL
// scene and of the current scene, in script order. Each record holds the
// words a typed command must contain (a word may list alternatives
// separated by "/") and the line that runs when the record is chosen.

#include <array>
#include <memory>
#include <string>
#include <vector>

struct TCmdPatternRec {
    // Words of the pattern line; slots past the last word are empty.
    static constexpr int WordSlots = 31;
    std::array<std::string, WordSlots> Words;
    // The line after the ">" line.
    int Target = 0;
};

class TCmdList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TCmdPatternRec& GetItem(int index) const { return *FItems.at(static_cast<size_t>(index)); }
    void Add(const std::array<std::string, TCmdPatternRec::WordSlots>& words, int target);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TCmdPatternRec>> FItems;
};
