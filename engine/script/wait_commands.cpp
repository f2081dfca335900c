// Waiting: *WAIT counts 100 ms steps down in the engine tick, *KEYWAIT and
// ** wait for Space or Enter, *GAMEEND stops for good; and the command
// line's enabled state that runs and waits switch.

#include <QLineEdit>

#include "base/clock.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/tg_input.h"
#include "engine/screen/tggrp.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/tokenizer.h"

void TTideglassForm::CmdWait(const std::string& line)
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

void TTideglassForm::CmdKeyWait(const std::string&)
{
    FState = esKeyWait;
    if (FInput)
        FInput->SetText("HIT SPACE KEY!");
    if (FGrp)
        FGrp->SetWaitAnim(true);
}

void TTideglassForm::CmdGameEnd(const std::string&)
{
    SetInputEnabled(false);
    FState = esGameEnd;
}

void TTideglassForm::EndKeyWait()
{
    if (FGrp)
        FGrp->SetWaitAnim(false);
    if (FInput)
        FInput->ClearText();
    FState = esRun;
}

void TTideglassForm::SetInputEnabled(bool enabled)
{
    if (!FInput)
        return;
    // Both boxes, through the command line so that they take its colours;
    // then it points at the box in use again.
    QLineEdit* const inUse = FInput->Edit();
    if (MsgForm) {
        FInput->SetEdit(MsgForm->CmdEdit);
        FInput->SetEnabled(enabled);
    }
    FInput->SetEdit(CmdEdit);
    FInput->SetEnabled(enabled);
    FInput->SetEdit(inUse);
}

bool TTideglassForm::InputEnabled() const
{
    return FInput && FInput->GetEnabled();
}
