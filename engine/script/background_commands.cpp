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
    const TLabelRec* label = FRunner.FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
        return;
    }
    FBgSchedule.FBgLabel = name;
    FBgSchedule.FBgLabelLine = label->Line;
    FRunner.FBg.Line = label->Line;
    FRunner.FBg.Scene = label->SceneLine;
    // A background that asked for no interval at all runs every millisecond:
    // the engine never polls without rest.
    const int32_t interval = std::max(EvalInteger(GetToken(line, ' ', 2)), MinBgInterval);
    FRunner.FBg.Stack.Clear();
    FBgSchedule.Start(interval, TimeGetTime());
}

void TEngine::CmdBgStop(const std::string&)
{
    FBgSchedule.Stop();
    ReleaseBackgroundSubWindow();
}

void TEngine::CmdBgReturn(const std::string& line)
{
    FBgSchedule.Stop();
    ReleaseBackgroundSubWindow();
    // The run ends at this line whether or not the label is found.
    StopRunAtCommand();
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const TLabelRec* label = FRunner.FLabels->Find(name);
    if (!label) {
        AddMessage(SJ("Error:ラベル") + name + SJ("が発見できませんでした"));
    } else {
        // The jump is made in the main context, with the main script's line,
        // scene and stack in place, so that the scene test and the patterns
        // are the main script's.
        const bool background = FRunner.FBackground;
        TScriptContext* const active = FRunner.FCtx;
        if (background)
            FRunner.FCtx = &FRunner.FMain;
        FRunner.FBackground = false;
        JumpTo(label->Line, label->SceneLine);
        FRunner.FMain.Line = FRunner.FCtx->Line;
        FRunner.FMain.Scene = FRunner.FCtx->Scene;
        FRunner.FBackground = background;
        FRunner.FCtx = active;

        if (background) {
            if (CountTokens(line, ' ') > 2 && EvalInteger(GetToken(line, ' ', 2)) != 0)
                FRunner.FMain.Stack.Clear();
            FRunner.FState = esBgReturned;
        }
    }
    // The main script stops at the label and waits for a typed command, so
    // the command line must take one.
    if (!FRunner.FBackground)
        SetInputEnabled(true);
}

void TEngine::CallEventLabel(const std::string& name)
{
    if (FRunner.FInEvent)
        return;
    const TLabelRec* label = FRunner.FLabels->Find(name);
    if (!label)
        return;

    FRunner.FInEvent = true;
    const bool background = FRunner.FBackground;
    const TEngineState state = FRunner.FState;
    const uint8_t ifState = FRunner.FIfState;
    TScriptContext* const caller = FRunner.FCtx;
    const int line = caller->Line;
    const bool yielded = FRunner.FRunYielded;
    const bool inputEnabled = InputEnabled();
    const bool inputFocused = FHost.CommandLine.InputFocused();

    // The event runs on a context of its own, in the caller's scene, so that
    // the caller's line and *GOSUB return points survive it.
    TScriptContext event{label->Line, caller->Scene, {}};
    FRunner.FBackground = false;
    FRunner.FCtx = &event;
    FRunner.FState = esRun;
    const uint32_t loadSerial = FRunner.FLoadSerial;
    RunScript();

    if (FRunner.FLoadSerial != loadSerial) {
        // The event loaded a game: the caller's line, state and command line
        // belong to the game that was left.
        FRunner.FBackground = background;
        FRunner.FCtx = caller;
        FRunner.FInEvent = false;
        ScheduleNextTick();
        return;
    }

    FRunner.FBackground = background;
    FRunner.FCtx = caller;
    // The caller goes on where it was, even when the event sent the main
    // script elsewhere (*BGRETURN).
    caller->Line = line;
    FRunner.FIfState = ifState;
    if (event.Scene != caller->Scene)
        BuildCommandList();
    // The command line is left as the interrupted run had it.
    SetInputEnabled(inputEnabled);
    if (inputFocused)
        FHost.CommandLine.FocusInput();
    FRunner.FState = state;
    FRunner.FRunYielded = yielded;
    FRunner.FInEvent = false;
    ScheduleNextTick();
}
