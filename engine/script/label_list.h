#pragma once
// The script's labels (scenes and *LABEL lines) and the map from a line of
// the whole script back to the file it came from, both built when a
// scenario is opened.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TLabelRec {
    std::string Name;
    int Line = 0;      // the line after the *SCENE or *LABEL line
    int SceneLine = 0; // Line of the enclosing scene; equal to Line for a scene
};

class TLabelList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TLabelRec& GetItem(int index) const { return FItems[static_cast<size_t>(index)]; }
    void Add(std::string name, int line, int sceneLine);
    void Clear();

    // The first label of exactly that name (case matters).
    bool Find(const std::string& name, int& line, int& sceneLine) const;
    const TLabelRec* Find(const std::string& name) const;
    // Name of the first label whose Line is `line`, or empty.
    std::string GetNameByLine(int line) const;

private:
    // A deque, so that the records and their names stay where they are.
    std::deque<TLabelRec> FItems;
    // The first record of each name: an open hash table of record numbers
    // plus one (0 for a free slot), at most half full, its size a power of 2.
    std::vector<uint32_t> FByName;
    void InsertName(uint32_t index);
    // The records in order of their Line, the earlier added first among
    // equal lines. The pre-pass adds labels line by line, so this is kept
    // by appending; a record added out of order leaves it to be sorted at
    // the next lookup.
    mutable std::vector<const TLabelRec*> FByLine;
    mutable bool FByLineSorted = true;
};

// One loaded script file: its name without folder (a file-system name) and
// the number of script lines up to and including it.
struct TConnectNameRec {
    std::string FileName;
    int EndLine = 0;
};

class TConnectNameList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TConnectNameRec& GetItem(int index) const { return *FItems[static_cast<size_t>(index)]; }
    void Add(std::string fileName, int endLine);
    void Clear() { FItems.clear(); }

    // The file holding the (0-based) line, or "not found".
    std::string GetFileName(int line) const;
    // The 1-based line number inside that file, or 1 when no file holds it.
    int GetFileLine(int line) const;

private:
    // Index of the first record whose EndLine is past `line`; Count() when none is.
    size_t IndexOf(int line) const;

    std::vector<std::unique_ptr<TConnectNameRec>> FItems;
};
