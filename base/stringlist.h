#pragma once
// A list of byte strings, as the class library's string list (case-sensitive).

#include <string>
#include <string_view>
#include <vector>

class TStream;

class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError ("List index out of bounds (<i>)") when out of range.
    const std::string& operator[](int index) const;
    std::string& operator[](int index);
    const std::vector<std::string>& Items() const { return FItems; }

    int Add(std::string s);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    // First index of an exactly equal string, or -1.
    int IndexOf(std::string_view s) const;

    // Lines joined, each followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or a lone CR; a final line end adds no empty line.
    void SetText(std::string_view text);

    // The whole stream from its current position, split as SetText does.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& stream) const;
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::string> FItems;
};
