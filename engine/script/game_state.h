#pragma once
// TGameState: what a saved game keeps of the game itself. The flags, the
// string variables and the items' counts the script changes, the words of
// the keyword menu and the texts bound to keys (*SETKEY). A save holds these
// besides the place in the script, the background run, the pictures, the
// message colours and the music, which live in the other parts of the
// engine. The command line shows the keywords and runs the macros; it reads
// them from here.

#include <string>
#include <vector>

#include "engine/screen/key_str_list.h"
#include "engine/script/variables.h"

struct TSaveGame;
struct TStagedLoad;

class TGameState {
public:
    // Keywords the menu holds; older ones make way for new ones.
    static constexpr int MaxKeywords = 10;

    // Blank flags and string variables (a script may name them before its
    // first scenario is opened), no items, no keywords and the command
    // line's own macros.
    TGameState();
    TGameState(const TGameState&) = delete;
    TGameState& operator=(const TGameState&) = delete;

    TFlagList& Flags() { return FFlags; }
    const TFlagList& Flags() const { return FFlags; }
    TSVarList& SVars() { return FSVars; }
    const TSVarList& SVars() const { return FSVars; }
    TItemList& Items() { return FItems; }
    const TItemList& Items() const { return FItems; }

    // A scenario opens: blank flags and string variables, no items (its
    // item block declares them again). Keywords and macros stay.
    void ResetVariables();

    // ---- the keyword menu
    // Adds a word unless the menu holds it already; the oldest goes beyond
    // MaxKeywords.
    void AddKeyword(const std::string& word);
    void ClearKeywords() { FKeywords.clear(); }
    // Oldest first, as the menu lists them.
    const std::vector<std::string>& Keywords() const { return FKeywords; }

    // ---- key macros
    // Key codes and the texts bound to them. The command line starts with
    // F1 popping up the keyword menu and the page keys scrolling the
    // message ("#POP", "#PUP", "#PDOWN").
    TKeyStrList& KeyMacros() { return FKeyMacros; }
    const TKeyStrList& KeyMacros() const { return FKeyMacros; }

    // ---- saved games
    // Writes flags (0 to 16383), items, string variables (0 to 1023),
    // keywords and macros into the save.
    void Store(TSaveGame& game) const;
    // Puts back what a load staged: the values and names of the flags and
    // string variables it holds, the counts of the items it holds, the
    // keywords (the menu is emptied in any case) and, from version 8 on, the
    // macros in place of the current ones.
    void Restore(const TStagedLoad& staged);

private:
    TFlagList FFlags;
    TSVarList FSVars;
    TItemList FItems;
    std::vector<std::string> FKeywords;
    TKeyStrList FKeyMacros;
};
