#include "sound/midi_wait_items.h"

#include <algorithm>

#include "sound/midi_events.h"

TMidiWaitItems::TMidiWaitItems()
{
    Add("f04110421240007f0041f7", mkGSReset, 100); // GS reset
    Add("f04110421200007f0001f7", mkGSReset, 100); // GS reset, address 00 00 7F
    Add("f043104c00007e00f7", mkGMReset, 100);     // XG system on
    Add("f041104512100100", mkLcdDot, 1);          // display dots
    Add("f041104512100000", mkLcdStr, 1);          // display text
}

void TMidiWaitItems::Add(const std::string& hexPattern, uint8_t kind, int wait)
{
    TMidiWaitItem item;
    for (size_t i = 0; i + 1 < hexPattern.size(); i += 2)
        item.Pattern.push_back(static_cast<uint8_t>(std::stoul(hexPattern.substr(i, 2), nullptr, 16)));
    item.Kind = kind;
    item.Wait = wait;
    FItems.push_back(std::move(item));
}

bool TMidiWaitItems::Match(const std::vector<uint8_t>& bytes, uint8_t& kind, int& wait) const
{
    bool matched = false;
    for (const TMidiWaitItem& item : FItems) {
        if (bytes.size() >= item.Pattern.size() &&
            std::equal(item.Pattern.begin(), item.Pattern.end(), bytes.begin())) {
            kind = item.Kind;
            wait = item.Wait;
            matched = true;
        }
    }
    return matched;
}
