// The background script (a second context that runs on a timer while the
// main script waits) and the event labels the engine runs by itself.

#include <QLineEdit>

#include "base/clock.h"
#include "base/conv.h"
#include "base/sjis.h"
#include "engine/script/expr.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/tokenizer.h"

void TTideglassForm::CmdBgExec(const std::string& line)
{
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const TLabelRec* label = FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
        return;
    }
    FBgLabel = name;
    FBgLabelLine = label->Line;
    FBgLine = label->Line;
    FBgScene = label->SceneLine;
    const int32_t interval = EvalInteger(GetToken(line, ' ', 2));
    FBgStack->Clear();
    FBgExecInterval = interval;
    FBgTickInterval = interval;
    FBgRunning = true;
    FBgTickLast = TimeGetTime();
    FBgDue = false;
    FBgWaitCount = 0;
}

void TTideglassForm::CmdBgStop(const std::string&)
{
    FBgDue = false;
    FBgRunning = false;
}

void TTideglassForm::CmdBgReturn(const std::string& line)
{
    FBgDue = false;
    FBgRunning = false;
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const TLabelRec* label = FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
        return;
    }

    // The jump is made in the main context, with the main script's line,
    // scene and stack in place, so that the scene test and the patterns
    // are the main script's.
    const bool background = FBackground;
    const int line0 = FLine;
    const int scene0 = FScene;
    TGameStack* const stack0 = FStack;
    if (background) {
        FLine = FMainLine;
        FScene = FMainScene;
        FStack = FMainStack.get();
    }
    FBackground = false;
    JumpTo(label->Line, label->SceneLine);
    FMainLine = FLine;
    FMainScene = FScene;
    FBackground = background;
    if (background) {
        FLine = line0;
        FScene = scene0;
        FStack = stack0;
    }

    if (background) {
        if (CountTokens(line, ' ') > 2 && EvalInteger(GetToken(line, ' ', 2)) != 0)
            FMainStack->Clear();
        FState = esBgReturned;
    }
}

void TTideglassForm::CallEventLabel(const std::string& name)
{
    if (FInEvent)
        return;
    const TLabelRec* label = FLabels->Find(name);
    if (!label)
        return;

    FInEvent = true;
    const bool background = FBackground;
    const int line = FLine;
    const uint8_t state = FState;
    const int scene = FScene;
    const uint8_t ifState = FIfState;
    TGameStack* const stack = FStack;
    const bool yielded = FRunYielded;
    const bool inputEnabled = InputEnabled();
    const bool inputFocused = FInput && FInput->Edit() && FInput->Edit()->hasFocus();

    // The event runs on a stack of its own, so that the caller's *GOSUB
    // return points survive it.
    TGameStack eventStack;
    FBackground = false;
    FLine = label->Line;
    FState = esRun;
    FStack = &eventStack;
    RunScript();

    FBackground = background;
    FStack = stack;
    FIfState = ifState;
    if (FScene != scene) {
        FScene = scene;
        BuildCommandList();
    }
    // The command line is left as the interrupted run had it.
    SetInputEnabled(inputEnabled);
    if (inputFocused && FInput)
        FInput->FocusEdit();
    FLine = line;
    FState = state;
    FRunYielded = yielded;
    FInEvent = false;
}
