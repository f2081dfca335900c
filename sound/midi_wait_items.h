#pragma once
// The system-exclusive messages that need time on the sound module: after
// sending one, the player holds back later events for the given wait.

#include <cstdint>
#include <string>
#include <vector>

struct TMidiWaitItem {
    std::vector<uint8_t> Pattern; // leading bytes, status byte first
    uint8_t Kind = 0;
    int Wait = 0; // ms
};

class TMidiWaitItems {
public:
    // The table the player is created with.
    TMidiWaitItems();

    // Adds a pattern given as hexadecimal byte pairs ("f07e7f0901f7").
    void Add(const std::string& hexPattern, uint8_t kind, int wait);
    // Every pattern that the bytes begin with, in table order, sets kind and
    // wait; true when one did.
    bool Match(const std::vector<uint8_t>& bytes, uint8_t& kind, int& wait) const;
    const std::vector<TMidiWaitItem>& Items() const { return FItems; }

private:
    std::vector<TMidiWaitItem> FItems;
};
