// The background script (a second context that runs on a timer while the
// main script waits) and the event labels the engine runs by itself.

#include <algorithm>

#include "base/clock.h"
#include "base/conv.h"
#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/script/engine.h"
#include "engine/script/expr.h"

TCommandRows TEngine::BackgroundCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*BGEXEC", cmBgExec, cgFirst, &TEngine::CmdBgExec},
        {"*BGSTOP", cmBgStop, cgFirst, &TEngine::CmdBgStop},
        {"*BGRETURN", cmBgReturn, cgFirst, &TEngine::CmdBgReturn},
    };
    return rows;
}

void TEngine::CmdBgExec(const std::string& line)
{
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const TLabelRec* label = FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
        return;
    }
    FBgLabel = name;
    FBgLabelLine = label->Line;
    FBg.Line = label->Line;
    FBg.Scene = label->SceneLine;
    // A background that asked for no interval at all runs every millisecond:
    // the engine never polls without rest.
    const int32_t interval = std::max(EvalInteger(GetToken(line, ' ', 2)), MinBgInterval);
    FBg.Stack.Clear();
    FBgExecInterval = interval;
    FBgTickInterval = interval;
    FBgRunning = true;
    FBgTickLast = TimeGetTime();
    FBgDue = false;
    FBgWaitCount = 0;
}

void TEngine::CmdBgStop(const std::string&)
{
    FBgDue = false;
    FBgRunning = false;
    ReleaseBackgroundSubWindow();
}

void TEngine::CmdBgReturn(const std::string& line)
{
    FBgDue = false;
    FBgRunning = false;
    ReleaseBackgroundSubWindow();
    // The run ends at this line whether or not the label is found.
    StopRunAtCommand();
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const TLabelRec* label = FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
    } else {
        // The jump is made in the main context, with the main script's line,
        // scene and stack in place, so that the scene test and the patterns
        // are the main script's.
        const bool background = FBackground;
        TScriptContext* const active = FCtx;
        if (background)
            FCtx = &FMain;
        FBackground = false;
        JumpTo(label->Line, label->SceneLine);
        FMain.Line = FCtx->Line;
        FMain.Scene = FCtx->Scene;
        FBackground = background;
        FCtx = active;

        if (background) {
            if (CountTokens(line, ' ') > 2 && EvalInteger(GetToken(line, ' ', 2)) != 0)
                FMain.Stack.Clear();
            FState = esBgReturned;
        }
    }
    // The main script stops at the label and waits for a typed command, so
    // the command line must take one.
    if (!FBackground)
        SetInputEnabled(true);
}

void TEngine::CallEventLabel(const std::string& name)
{
    if (FInEvent)
        return;
    const TLabelRec* label = FLabels->Find(name);
    if (!label)
        return;

    FInEvent = true;
    const bool background = FBackground;
    const TEngineState state = FState;
    const uint8_t ifState = FIfState;
    TScriptContext* const caller = FCtx;
    const int line = caller->Line;
    const bool yielded = FRunYielded;
    const bool inputEnabled = InputEnabled();
    const bool inputFocused = FHost.CommandLine.InputFocused();

    // The event runs on a context of its own, in the caller's scene, so that
    // the caller's line and *GOSUB return points survive it.
    TScriptContext event{label->Line, caller->Scene, {}};
    FBackground = false;
    FCtx = &event;
    FState = esRun;
    const uint32_t loadSerial = FLoadSerial;
    RunScript();

    if (FLoadSerial != loadSerial) {
        // The event loaded a game: the caller's line, state and command line
        // belong to the game that was left.
        FBackground = background;
        FCtx = caller;
        FInEvent = false;
        ScheduleNextTick();
        return;
    }

    FBackground = background;
    FCtx = caller;
    // The caller goes on where it was, even when the event sent the main
    // script elsewhere (*BGRETURN).
    caller->Line = line;
    FIfState = ifState;
    if (event.Scene != caller->Scene)
        BuildCommandList();
    // The command line is left as the interrupted run had it.
    SetInputEnabled(inputEnabled);
    if (inputFocused)
        FHost.CommandLine.FocusInput();
    FState = state;
    FRunYielded = yielded;
    FInEvent = false;
    ScheduleNextTick();
}
