#pragma once
// The script's command table: 84 slots looked up by the upper-cased first
// token of a command line. Slot 0 stands for a name that is not in the
// table, slot 12 for a ">" pattern line, slot 13 for an assignment line
// ("*F(", "*I(" or "*S(" in any case). The slot numbers are the system's.
//
// Each command family file contributes its rows (name, slot, group,
// handler) through a static TEngine method; TCommandTable gathers them, so
// that a name leads to its handler in one step. A family joins by declaring
// its rows method (`static TCommandRows XxxCommands();`) and its handlers in
// engine.h, defining both in its own file, and naming the method in the list
// of TCommandTable's constructor.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

enum TCommandSlot : int {
    cmNone = 0,
    cmScene = 1,
    cmSceneEnd = 2,
    cmLabel = 3,
    cmItem = 4,
    cmItemEnd = 5,
    cmGoto = 6,
    cmIf = 7,
    cmEnd = 8,
    cmPicture = 9,
    cmSe = 10,
    cmBgm = 11,
    cmPattern = 12,
    cmAssign = 13,
    cmGetItem = 14,
    cmDelItem = 15,
    cmScreen = 16,
    cmTitle = 17,
    cmSave = 18,
    cmLoad = 19,
    cmItemList = 20,
    cmCls = 21,
    cmWait = 22,
    cmGosub = 23,
    cmInput = 24,
    cmYesNo = 25,
    cmSetInput = 26,
    cmGameEnd = 27,
    cmKeyWait = 28,
    cmKeyWaitShort = 29,
    cmScanIf = 30,
    cmGGet = 31,
    cmGPut = 32,
    cmGTrans = 33,
    cmGLoad = 34,
    cmKeyword = 35,
    cmBgmStop = 36,
    cmIfPicture = 37,
    cmElse = 38,
    cmElif = 39,
    cmEndIf = 40,
    cmLoadAbout = 41,
    cmMsgDisp = 42,
    cmMsgBox = 43,
    cmMsgMode = 44,
    cmLoadMsgWin = 45,
    cmScale = 46,
    cmLoadWait = 47,
    cmLoadArrow = 48,
    cmDatOpen = 49,
    cmDatWrite = 50,
    cmDatRead = 51,
    cmDatClose = 52,
    cmDatExist = 53,
    cmBgExec = 54,
    cmBgStop = 55,
    cmBgReturn = 56,
    cmGFree = 57,
    cmInputSize = 58,
    cmIfMode = 59,
    cmWarnDisp = 60,
    cmUseItem = 61,
    cmIsMatch = 62,
    cmIsFullScreen = 63,
    cmGetScale = 64,
    cmFullScreen = 65,
    cmShowDebug = 66,
    cmDatWriteS = 67,
    cmDatReadS = 68,
    cmTag = 69,
    cmSetColor = 70,
    cmSubWinShow = 71,
    cmSubWinStart = 72,
    cmSubWinEnd = 73,
    cmSubWinTitle = 74,
    cmSubWinTop = 75,
    cmDelItemAll = 76,
    cmSetKey = 77,
    cmGetMouse = 78,
    cmFuncDisp = 79,
    cmFuncText = 80,
    cmCheckStrict = 81,
    cmFHeightRate = 82,
    cmInitItemAll = 83,
};

constexpr int CommandSlotCount = 84;

class TEngine;

// A handler gets the whole trimmed line and splits it itself.
using TCommandHandler = void (TEngine::*)(const std::string& line);

// When the interpreter runs a slot's handler, and how the run goes on.
enum class TCommandGroup : uint8_t {
    // Runs even while an inline *INPUT or *YESNO waits for its answer (the
    // run then stops after it); may end the block or stop the run itself
    // (TEngine::EndBlockAfterCommand, TEngine::StopRunAtCommand).
    cgFirst,
    // Runs only when no answer is awaited.
    cgSecond,
    // Runs when no answer is awaited; the run then stops after the line
    // (*WAIT, *KEYWAIT, **).
    cgStop,
    // Ends the block; no handler (*SCENEEND, *END, a ">" pattern line).
    cgEndBlock,
    // No run-time action (the lines the pre-pass and the pattern scan read).
    cgPassive,
};

struct TCommandRow {
    std::string_view Name; // empty for slots 0, 12 and 13
    int Slot = cmNone;
    TCommandGroup Group = TCommandGroup::cgPassive;
    TCommandHandler Handler = nullptr; // none for cgEndBlock and cgPassive
};

// The rows a command family contributes (TEngine::FlowCommands() ...).
using TCommandRows = std::span<const TCommandRow>;

// The one table: a row per slot, gathered from the families' rows.
class TCommandTable {
public:
    static const TCommandTable& Get();
    const TCommandRow& Row(int slot) const { return FRows[static_cast<size_t>(slot)]; }
    // The slot of a script line: ">" first gives cmPattern, "*F(" / "*I(" /
    // "*S(" (any case) cmAssign, a name of the table its slot (the last slot
    // of a name wins), anything else cmNone. Only the first blank-separated
    // token is looked at, upper-cased.
    int Lookup(std::string_view line) const;

private:
    // Every slot must have exactly one row; a family that misses one or
    // repeats one stops the program at its first lookup.
    TCommandTable();

    std::array<TCommandRow, CommandSlotCount> FRows{};
    std::unordered_map<std::string_view, int> FNames;
};

inline int LookupCommand(std::string_view line)
{
    return TCommandTable::Get().Lookup(line);
}
inline const TCommandRow& CommandRow(int slot)
{
    return TCommandTable::Get().Row(slot);
}
