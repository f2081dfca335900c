#include "support/engine_harness.h"

TEngineHarness::~TEngineHarness()
{
    Close();
}

TEngine& TEngineHarness::Start(const std::string& fileName, const TEngineSettings& settings)
{
    Close();
    std::vector<std::string> args;
    if (!fileName.empty())
        args.push_back(fileName);
    FOwned = std::make_unique<TEngine>(Host, args, Dir());
    FOwned->ApplySettings(settings);
    FOwned->CreateScreenObjects();
    FOwned->ScheduleNextTick();
    Host.Engine = FOwned.get();
    FEngine = FOwned.get();
    FLog = &Host.Log;
    return *FOwned;
}

TEngine& TEngineHarness::Open(const std::string& name)
{
    Start(Dir() + name);
    Tick();
    return *FOwned;
}

TEngine& TEngineHarness::Run(const std::string& utf8Script, int maxTicks)
{
    WriteScript("main.tgs", utf8Script);
    Open("main.tgs");
    Settle(maxTicks);
    return *FOwned;
}

void TEngineHarness::Close()
{
    Host.Engine = nullptr;
    FEngine = nullptr;
    FOwned.reset();
    Host.Log.Clear();
}
