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
        // sound effects and music
        {"*SE", cmSe, cgFirst, &TEngine::CmdNotAvailable},
        {"*BGM", cmBgm, cgFirst, &TEngine::CmdNotAvailable},
        {"*BGMSTOP", cmBgmStop, cgFirst, &TEngine::CmdNotAvailable},
    };
    return rows;
}

void TEngine::CmdNotAvailable(const std::string& line)
{
    throw EScriptError(SJ("この命令はまだ使えません - ") + line);
}
