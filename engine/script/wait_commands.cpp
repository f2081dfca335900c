// Waiting: *WAIT counts 100 ms steps down in the engine tick, *KEYWAIT and
// ** wait for Space or Enter, *GAMEEND stops for good; and the command
// line's enabled state that runs and waits switch.

#include "base/clock.h"
#include "base/tokenizer.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"

TCommandRows TEngine::WaitCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*WAIT", cmWait, cgStop, &TEngine::CmdWait},
        {"*GAMEEND", cmGameEnd, cgSecond, &TEngine::CmdGameEnd},
        {"*KEYWAIT", cmKeyWait, cgStop, &TEngine::CmdKeyWait},
        {"**", cmKeyWaitShort, cgStop, &TEngine::CmdKeyWait},
    };
    return rows;
}

void TEngine::CmdWait(const std::string& line)
{
    int32_t steps = EvalInteger(GetToken(line, ' ', 1));
    // The second argument is read as the original read it, to no effect.
    if (CountTokens(line, ' ') > 2)
        EvalInteger(GetToken(line, ' ', 2));
    // A wait of no steps (or fewer) lasts one step; the count must reach 0.
    if (steps < 1)
        steps = 1;
    if (FBackground) {
        FBgWaitCount = steps;
        FBgTickInterval = 100;
    } else {
        FWaitCount = steps;
        FState = esWait;
        FTickLast = TimeGetTime();
    }
}

void TEngine::CmdKeyWait(const std::string&)
{
    // In the background the run simply ends here and the next one goes on
    // after this line: the key wait is the main script's, and the command
    // line (which the player may be typing into) is no business of the
    // background's.
    if (FBackground)
        return;
    FState = esKeyWait;
    FHost.CommandLine.SetInputText("HIT SPACE KEY!");
    if (FGrp)
        FGrp->SetWaitAnim(true);
}

void TEngine::CmdGameEnd(const std::string&)
{
    SetInputEnabled(false);
    FState = esGameEnd;
}

void TEngine::EndKeyWait()
{
    if (FGrp)
        FGrp->SetWaitAnim(false);
    FHost.CommandLine.SetInputText("");
    FState = esRun;
    ScheduleNextTick();
}

void TEngine::SetInputEnabled(bool enabled)
{
    FHost.CommandLine.SetInputEnabled(enabled);
}

bool TEngine::InputEnabled() const
{
    return FHost.CommandLine.InputEnabled();
}
