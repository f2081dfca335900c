// Commands of the message window.

#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"

TCommandRows TEngine::MessageCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*CLS", cmCls, cgFirst, &TEngine::CmdCls},
    };
    return rows;
}

void TEngine::CmdCls(const std::string& /*line*/)
{
    ClearMessages();
}
