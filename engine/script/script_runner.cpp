#include "engine/script/script_runner.h"

#include "base/stringlist.h"
#include "engine/script/label_list.h"

TScriptRunner::TScriptRunner()
    : FScript(std::make_unique<TStringList>()),
      FLabels(std::make_unique<TLabelList>()),
      FConnectNames(std::make_unique<TConnectNameList>())
{
}

TScriptRunner::~TScriptRunner() = default;

void TScriptRunner::SelectContext(bool background)
{
    FBackground = background;
    FCtx = background ? &FBg : &FMain;
}

void TScriptRunner::SaveContext()
{
    if (FBackground) {
        FBackground = false;
        FCtx = &FMain;
    }
}

void TScriptRunner::Clear()
{
    FLabels->Clear();
    FMain.Stack.Clear();
    FBg.Stack.Clear();
    FCtx = &FMain;
    FScript->Clear();
    FConnectNames->Clear();
    FGlobalScene = -1;
    FIfState = 0;
}

void TScriptRunner::StartWait(int steps, uint32_t now)
{
    FWaitCount = steps;
    FState = esWait;
    FTickLast = now;
}

void TScriptRunner::GameTimerTimer()
{
    if (FState != esWait)
        return;
    if (FWaitCount > 0)
        --FWaitCount;
    if (FWaitCount <= 0)
        FState = esRun;
}

void TScriptRunner::RequestOpenThenBack()
{
    if (FState != esOpenThenBack)
        FPrevState = FState;
    FState = esOpenThenBack;
}
