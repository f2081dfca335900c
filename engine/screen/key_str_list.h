#pragma once
// TKeyStrList: key codes paired with texts. The command line keeps two: the
// names of the keys scripts may bind (*SETKEY) and the macro texts bound to
// them, which save files store. A key is a Windows virtual-key code, or, for
// a key named by one character, that character's code plus 8000h.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TKeyStr {
    uint16_t Key = 0;
    std::string Text;
};

// Key of a one-character key name: the character's code plus 8000h.
constexpr uint16_t CharKeyFlag = 0x8000;

class TKeyStrList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Record `index` (0 .. Count - 1); save files walk the macros with it.
    const TKeyStr& GetItem(int index) const;

    // Text of the first record with `key`; empty when there is none.
    std::string GetText(uint16_t key) const;
    // Key of the first record whose text is exactly `name` (case matters),
    // 0 when there is none. A one-byte name always gives its character's
    // key, whatever the records hold.
    uint16_t KeyOf(const std::string& name) const;
    // The first record with `key` gets `text`, or goes when `text` is empty;
    // with no such record one is appended unless `text` is empty.
    void SetText(uint16_t key, const std::string& text);
    // Appends a record, even for a key that has one already.
    void Add(uint16_t key, const std::string& text);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TKeyStr>> FItems;
};

// Appends the names of the keys scripts may bind: UP, DOWN, LEFT, RIGHT,
// ESC, PAGEUP, PAGEDOWN, HELP, TK0..TK9, TK*, TK+, TK-, TK., TK/ and F1..F24.
void AddKeyNames(TKeyStrList& names);
