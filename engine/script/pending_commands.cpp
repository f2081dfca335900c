// The commands whose families are not built yet. Each row already carries
// its slot and group as the interpreter needs them; a family, once built,
// takes its rows into its own file (with its own handlers) and removes them
// here. Until then a script that uses one stops with an error report.

#include "base/sjis.h"
#include "engine/script/engine.h"
#include "engine/script/script_error.h"

TCommandRows TEngine::PendingCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        // input and dialogs
        {"*INPUT", cmInput, cgFirst, &TEngine::CmdNotAvailable},
        {"*YESNO", cmYesNo, cgFirst, &TEngine::CmdNotAvailable},
        {"*SETINPUT", cmSetInput, cgSecond, &TEngine::CmdNotAvailable},
        {"*INPUTSIZE", cmInputSize, cgSecond, &TEngine::CmdNotAvailable},
        {"*ISMATCH", cmIsMatch, cgFirst, &TEngine::CmdNotAvailable},
        {"*SETKEY", cmSetKey, cgFirst, &TEngine::CmdNotAvailable},
        {"*FUNCDISP", cmFuncDisp, cgSecond, &TEngine::CmdNotAvailable},
        {"*FUNCTEXT", cmFuncText, cgSecond, &TEngine::CmdNotAvailable},
        {"*CHECKSTRICT", cmCheckStrict, cgSecond, &TEngine::CmdNotAvailable},
        {"*FHEIGHTRATE", cmFHeightRate, cgSecond, &TEngine::CmdNotAvailable},
        // message window and sub window
        {"*MSGDISP", cmMsgDisp, cgFirst, &TEngine::CmdNotAvailable},
        {"*MSGBOX", cmMsgBox, cgFirst, &TEngine::CmdNotAvailable},
        {"*MSGMODE", cmMsgMode, cgFirst, &TEngine::CmdNotAvailable},
        {"*WARNDISP", cmWarnDisp, cgSecond, &TEngine::CmdNotAvailable},
        {"*TAG", cmTag, cgSecond, &TEngine::CmdNotAvailable},
        {"*SETCOLOR", cmSetColor, cgSecond, &TEngine::CmdNotAvailable},
        {"*SUBWINSHOW", cmSubWinShow, cgSecond, &TEngine::CmdNotAvailable},
        {"*SUBWINSTART", cmSubWinStart, cgSecond, &TEngine::CmdNotAvailable},
        {"*SUBWINEND", cmSubWinEnd, cgSecond, &TEngine::CmdNotAvailable},
        {"*SUBWINTITLE", cmSubWinTitle, cgSecond, &TEngine::CmdNotAvailable},
        {"*SUBWINTOP", cmSubWinTop, cgSecond, &TEngine::CmdNotAvailable},
        // window, display and items
        {"*SHOWDEBUG", cmShowDebug, cgFirst, &TEngine::CmdNotAvailable},
        {"*IFMODE", cmIfMode, cgSecond, &TEngine::CmdNotAvailable},
        {"*GETITEM", cmGetItem, cgFirst, &TEngine::CmdNotAvailable},
        {"*DELITEM", cmDelItem, cgFirst, &TEngine::CmdNotAvailable},
        {"*USEITEM", cmUseItem, cgFirst, &TEngine::CmdNotAvailable},
        {"*ITEMLIST", cmItemList, cgFirst, &TEngine::CmdNotAvailable},
        {"*DELITEMALL", cmDelItemAll, cgFirst, &TEngine::CmdNotAvailable},
        {"*INITITEMALL", cmInitItemAll, cgFirst, &TEngine::CmdNotAvailable},
    };
    return rows;
}

void TEngine::CmdNotAvailable(const std::string& line)
{
    throw EScriptError(SJ("この命令はまだ使えません - ") + line);
}
