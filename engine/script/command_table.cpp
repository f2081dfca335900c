#include "engine/script/command_table.h"

#include <string>
#include <unordered_map>

#include "base/sjis.h"
#include "engine/script/tokenizer.h"

const std::array<std::string_view, CommandSlotCount> CommandNames = {
    "",             "*SCENE",      "*SCENEEND",    "*LABEL",       "*ITEM",      "*ITEMEND",     "*GOTO",
    "*IF",          "*END",        "*PICTURE",     "*SE",          "*BGM",       "",             "",
    "*GETITEM",     "*DELITEM",    "*SCREEN",      "*TITLE",       "*SAVE",      "*LOAD",        "*ITEMLIST",
    "*CLS",         "*WAIT",       "*GOSUB",       "*INPUT",       "*YESNO",     "*SETINPUT",    "*GAMEEND",
    "*KEYWAIT",     "**",          "*!IF",         "*GGET",        "*GPUT",      "*GTRANS",      "*GLOAD",
    "*KEYWORD",     "*BGMSTOP",    "*IFPICTURE",   "*ELSE",        "*ELIF",      "*ENDIF",       "*LOADABOUT",
    "*MSGDISP",     "*MSGBOX",     "*MSGMODE",     "*LOADMSGWIN",  "*SCALE",     "*LOADWAIT",    "*LOADARROW",
    "*DATOPEN",     "*DATWRITE",   "*DATREAD",     "*DATCLOSE",    "*DATEXIST",  "*BGEXEC",      "*BGSTOP",
    "*BGRETURN",    "*GFREE",      "*INPUTSIZE",   "*IFMODE",      "*WARNDISP",  "*USEITEM",     "*ISMATCH",
    "*ISFULLSCREEN", "*GETSCALE",  "*FULLSCREEN",  "*SHOWDEBUG",   "*DATWRITES", "*DATREADS",    "*TAG",
    "*SETCOLOR",    "*SUBWINSHOW", "*SUBWINSTART", "*SUBWINEND",   "*SUBWINTITLE", "*SUBWINTOP", "*DELITEMALL",
    "*SETKEY",      "*GETMOUSE",   "*FUNCDISP",    "*FUNCTEXT",    "*CHECKSTRICT", "*FHEIGHTRATE", "*INITITEMALL",
};

namespace {

const std::unordered_map<std::string_view, int>& NameIndex()
{
    static const std::unordered_map<std::string_view, int> index = [] {
        std::unordered_map<std::string_view, int> map;
        // Slot order, so that the last slot of a name wins.
        for (int slot = 0; slot < CommandSlotCount; ++slot)
            if (!CommandNames[static_cast<size_t>(slot)].empty())
                map[CommandNames[static_cast<size_t>(slot)]] = slot;
        return map;
    }();
    return index;
}

} // namespace

int LookupCommand(std::string_view line)
{
    const std::string token = GetToken(line, ' ', 0);
    if (!token.empty() && token[0] == '>')
        return cmPattern;
    const std::string name = sjis::UpperCase(token);
    if (name.size() >= 3 && name[0] == '*' && (name[1] == 'F' || name[1] == 'I' || name[1] == 'S') && name[2] == '(')
        return cmAssign;
    const auto& index = NameIndex();
    const auto found = index.find(name);
    return found == index.end() ? cmNone : found->second;
}

bool IsSecondGroupCommand(int slot)
{
    switch (slot) {
    case cmSetInput: case cmGameEnd: case cmInputSize: case cmIfMode: case cmWarnDisp: case cmFullScreen:
    case cmTag: case cmSetColor: case cmSubWinShow: case cmSubWinStart: case cmSubWinEnd: case cmSubWinTitle:
    case cmSubWinTop: case cmFuncDisp: case cmFuncText: case cmCheckStrict: case cmFHeightRate:
        return true;
    default:
        return false;
    }
}

bool IsFirstGroupCommand(int slot)
{
    if (slot <= cmNone || slot >= CommandSlotCount || IsSecondGroupCommand(slot))
        return false;
    switch (slot) {
    case cmWait: case cmKeyWait: case cmKeyWaitShort:
    // End the block before any handler.
    case cmSceneEnd: case cmEnd: case cmPattern:
    // No run-time action.
    case cmScene: case cmLabel: case cmItem: case cmItemEnd: case cmScanIf:
        return false;
    default:
        return true;
    }
}
