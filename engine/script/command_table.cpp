#include "engine/script/command_table.h"

#include <cstdio>
#include <cstdlib>

#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/script/engine.h"

TCommandTable::TCommandTable()
{
    std::array<bool, CommandSlotCount> seen{};
    const TCommandRows families[] = {
        TEngine::InterpreterCommands(),
        TEngine::ScenarioCommands(),
        TEngine::FlowCommands(),
        TEngine::BackgroundCommands(),
        TEngine::WaitCommands(),
        TEngine::DataCommands(),
        TEngine::PatternCommands(),
        TEngine::MessageCommands(),
        TEngine::ItemCommands(),
        TEngine::PictureCommands(),
        TEngine::SaveCommands(),
        TEngine::DisplayCommands(),
        TEngine::InputCommands(),
        TEngine::BgmCommands(),
        TEngine::SeCommands(),
    };
    for (const TCommandRows& rows : families) {
        for (const TCommandRow& row : rows) {
            const bool inRange = row.Slot >= 0 && row.Slot < CommandSlotCount;
            if (!inRange || seen[static_cast<size_t>(row.Slot)]) {
                std::fprintf(stderr, "command table: slot %d given twice or out of range\n", row.Slot);
                std::abort();
            }
            seen[static_cast<size_t>(row.Slot)] = true;
            FRows[static_cast<size_t>(row.Slot)] = row;
        }
    }
    for (int slot = 0; slot < CommandSlotCount; ++slot) {
        if (!seen[static_cast<size_t>(slot)]) {
            std::fprintf(stderr, "command table: slot %d has no row\n", slot);
            std::abort();
        }
        // Slot order, so that the last slot of a name wins.
        const std::string_view name = FRows[static_cast<size_t>(slot)].Name;
        if (!name.empty())
            FNames[name] = slot;
    }
}

const TCommandTable& TCommandTable::Get()
{
    static const TCommandTable table;
    return table;
}

int TCommandTable::Lookup(std::string_view line) const
{
    const std::string token = GetToken(line, ' ', 0);
    if (!token.empty() && token[0] == '>')
        return cmPattern;
    const std::string name = sjis::UpperCase(token);
    if (name.size() >= 3 && name[0] == '*' && (name[1] == 'F' || name[1] == 'I' || name[1] == 'S') && name[2] == '(')
        return cmAssign;
    const auto found = FNames.find(name);
    return found == FNames.end() ? cmNone : found->second;
}
