#pragma once
// Drives the real engine without a window or an application object: a fake
// desktop answers it, scripts are written into a temporary folder (also the
// current folder and the per-user home of the test), and time moves only
// when the test moves the fake clock.

#include <memory>
#include <string>

#include "engine/script/engine.h"
#include "support/engine_driver.h"
#include "testkit/fake_engine_host.h"

class TEngineHarness : public TEngineDriver {
public:
    TEngineHarness() = default;
    ~TEngineHarness();

    // Creates the engine as the program does, with the settings the
    // settings file would give. `fileName` is the command-line argument
    // (none when empty).
    TEngine& Start(const std::string& fileName = "", const TEngineSettings& settings = {});
    // Start with a script of the folder and one pass, which opens it; the
    // script runs on the next pass.
    TEngine& Open(const std::string& name);
    // Writes the script as "main.tgs", opens it and lets it run until the
    // engine waits (state no longer 2) or `maxTicks` passes have run.
    TEngine& Run(const std::string& utf8Script, int maxTicks = 10);
    TEngine& Engine() { return *FOwned; }
    // Ends the engine. The fake desktop stays for the next Start, its log
    // emptied as a new window's would be.
    void Close();

    TFakeEngineHost Host;

private:
    std::unique_ptr<TEngine> FOwned;
};
