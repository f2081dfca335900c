// The condition mode of *IF (*IFMODE), the debug window (*SHOWDEBUG), and
// the items the script's item block declares: held (count 1), not held (0)
// or used (-1), listed in the message window with *ITEMLIST.

#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"

namespace {

constexpr int32_t ItemHeld = 1;
constexpr int32_t ItemNotHeld = 0;
constexpr int32_t ItemUsed = -1;

} // namespace

TCommandRows TEngine::ItemCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SHOWDEBUG", cmShowDebug, cgFirst, &TEngine::CmdShowDebug},
        {"*IFMODE", cmIfMode, cgSecond, &TEngine::CmdIfMode},
        {"*GETITEM", cmGetItem, cgFirst, &TEngine::CmdGetItem},
        {"*DELITEM", cmDelItem, cgFirst, &TEngine::CmdDelItem},
        {"*USEITEM", cmUseItem, cgFirst, &TEngine::CmdUseItem},
        {"*ITEMLIST", cmItemList, cgFirst, &TEngine::CmdItemList},
        {"*DELITEMALL", cmDelItemAll, cgFirst, &TEngine::CmdDelItemAll},
        {"*INITITEMALL", cmInitItemAll, cgFirst, &TEngine::CmdInitItemAll},
    };
    return rows;
}

void TEngine::CmdIfMode(const std::string& line)
{
    // Nonzero turns the '=' to '==' conversion of conditions off.
    FIfMode = EvalInteger(GetToken(line, ' ', 1)) == 0;
}

void TEngine::CmdShowDebug(const std::string& /*line*/)
{
    FHost.Dialogs.ShowDebugWindow();
    FState = esRun;
}

void TEngine::SetItemCount(const std::string& line, int32_t count)
{
    int index = -1;
    if (FGame.Items().Find(EvalName(GetToken(line, ' ', 1)), index))
        FGame.Items().GetItem(index)->Count = count;
}

void TEngine::CmdGetItem(const std::string& line)
{
    SetItemCount(line, ItemHeld);
}

void TEngine::CmdDelItem(const std::string& line)
{
    SetItemCount(line, ItemNotHeld);
}

void TEngine::CmdUseItem(const std::string& line)
{
    SetItemCount(line, ItemUsed);
}

void TEngine::CmdDelItemAll(const std::string& /*line*/)
{
    for (int i = 0; i < FGame.Items().Count(); ++i)
        FGame.Items().GetItem(i)->Count = ItemNotHeld;
}

void TEngine::CmdInitItemAll(const std::string& /*line*/)
{
    for (int i = 0; i < FGame.Items().Count(); ++i) {
        TItemRec* item = FGame.Items().GetItem(i);
        item->Count = item->InitialCount;
    }
}

void TEngine::CmdItemList(const std::string& /*line*/)
{
    // Two texts, so that the wrap sees two lines: the heading, then every
    // held item followed by a full-width space.
    std::string held;
    for (int i = 0; i < FGame.Items().Count(); ++i) {
        const TItemRec* item = FGame.Items().GetItem(i);
        if (item->Count > 0)
            held += item->Name + SJ("　");
    }
    AddMessage(SJ("[所持アイテム]"));
    AddMessage(held);
}
