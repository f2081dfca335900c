// A script of arbitrary bytes goes through everything an open does: line
// splitting, comment cutting, the pre-pass with its labels, items, *SCREEN
// and *TITLE, then a bounded run of the interpreter with its waits, key
// waits and background script. Whatever the bytes, the engine must end each
// step with an error report at worst: no crash, no hang, no memory fault.
// The engine runs with the fake desktop: no window, no application object.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/clock.h"
#include "engine/script/engine.h"
#include "testkit/fake_engine_host.h"

namespace {

struct TFuzzEngine {
    TFuzzEngine()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tgfuzz-XXXXXX").string();
        Dir = ::mkdtemp(pattern.data()) ? pattern : std::filesystem::temp_directory_path().string();
        ScriptPath = Dir + "/fuzz.tgs";
        // *SAVE with a nonzero place falls back to the per-user data folder:
        // that folder is the temporary one's too.
        setenv("XDG_DATA_HOME", (Dir + "/data").c_str(), 1);
        SetClockSource(&Clock);
        Engine = std::make_unique<TEngine>(Host, std::vector<std::string>{}, Dir + "/");
        Engine->CreateScreenObjects();
        // Short slices: a looping script yields often and each input stays quick.
        Engine->SetRunSliceLines(500);
    }

    TFakeClock Clock{1000};
    TFakeEngineHost Host;
    std::string Dir;
    std::string ScriptPath;
    std::unique_ptr<TEngine> Engine;
};

} // namespace

// Every open replaces thousands of variable records and the fonts keep
// caches for the life of the process, so a leak scan after each input would
// report noise and take most of the time; the unit tests check the engine
// for leaks instead.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TFuzzEngine& fuzz = *new TFuzzEngine;
    // Data files are named by the script relative to its folder and may lie
    // anywhere ("../x"): scripts that open one are left to the data-file
    // tests, so a fuzzing run never writes outside its temporary folder.
    std::string lowered(reinterpret_cast<const char*>(data), size);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowered.find("datopen") != std::string::npos)
        return 0;
    {
        std::ofstream out(fuzz.ScriptPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TEngine& engine = *fuzz.Engine;
    engine.OpenScenario(fuzz.ScriptPath);
    for (int tick = 0; tick < 16; ++tick) {
        fuzz.Clock.Advance(100);
        engine.ApplicationEvents1Idle();
        if (engine.State() == esKeyWait)
            engine.EndKeyWait();
        if (engine.Halted())
            break;
    }
    // Saves of every number would pile up over a long run.
    if (lowered.find("save") != std::string::npos) {
        std::error_code ignored;
        std::filesystem::remove_all(fuzz.Dir + "/data", ignored);
        for (const auto& entry : std::filesystem::directory_iterator(fuzz.Dir, ignored))
            if (entry.path().extension() == ".sav")
                std::filesystem::remove(entry.path(), ignored);
    }
    return 0;
}
