#include "engine/script/game_state.h"

#include <algorithm>

#include "classlib/virtual_keys.h"
#include "formats/save/save_record.h"

TGameState::TGameState()
{
    FFlags.Reset();
    FSVars.Reset();
    FKeyMacros.Add(VK_F1, "#POP");
    FKeyMacros.Add(VK_PRIOR, "#PUP");
    FKeyMacros.Add(VK_NEXT, "#PDOWN");
}

void TGameState::ResetVariables()
{
    FFlags.Reset();
    FSVars.Reset();
    FItems.Clear();
}

void TGameState::AddKeyword(const std::string& word)
{
    if (std::find(FKeywords.begin(), FKeywords.end(), word) != FKeywords.end())
        return;
    FKeywords.push_back(word);
    if (FKeywords.size() > size_t(MaxKeywords))
        FKeywords.erase(FKeywords.begin(), FKeywords.end() - MaxKeywords);
}

void TGameState::Store(TSaveGame& game) const
{
    const int flags = std::min(FFlags.Count(), int(SaveFlagCount));
    for (int i = 0; i < flags; ++i) {
        const TFlagRec* flag = FFlags.GetItem(i);
        game.FlagValues.push_back(flag->Value);
        game.FlagNames.push_back(flag->Name);
    }
    for (int i = 0; i < FItems.Count(); ++i)
        game.ItemCounts.push_back(FItems.GetItem(i)->Count);
    const int strings = std::min(FSVars.Count(), int(SaveStringCount));
    for (int i = 0; i < strings; ++i) {
        const TSVarRec* var = FSVars.GetItem(i);
        game.StringValues.push_back(var->Value);
        game.StringNames.push_back(var->Name);
    }
    game.Keywords = FKeywords;
    for (int i = 0; i < FKeyMacros.Count(); ++i)
        game.Macros.push_back({FKeyMacros.GetItem(i).Key, FKeyMacros.GetItem(i).Text});
}

void TGameState::Restore(const TStagedLoad& staged)
{
    for (size_t i = 0; i < staged.FlagValues.size(); ++i) {
        TFlagRec* flag = FFlags.GetItem(static_cast<int>(i));
        flag->Value = staged.FlagValues[i];
        if (i < staged.FlagNames.size())
            flag->Name = staged.FlagNames[i];
    }
    for (size_t i = 0; i < staged.ItemCounts.size(); ++i)
        FItems.GetItem(static_cast<int>(i))->Count = staged.ItemCounts[i];
    for (size_t i = 0; i < staged.StringValues.size(); ++i) {
        TSVarRec* var = FSVars.GetItem(static_cast<int>(i));
        var->Value = staged.StringValues[i];
        if (i < staged.StringNames.size())
            var->Name = staged.StringNames[i];
    }
    ClearKeywords();
    for (const std::string& word : staged.Keywords)
        AddKeyword(word);
    if (staged.HasMacros) {
        FKeyMacros.Clear();
        for (const TSaveKeyMacro& macro : staged.Macros)
            FKeyMacros.SetText(macro.Key, macro.Text);
    }
}
