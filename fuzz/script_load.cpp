// A script of arbitrary bytes goes through everything an open does: line
// splitting, comment cutting, the pre-pass with its labels, items, *SCREEN
// and *TITLE, then a bounded run of the interpreter with its waits, key
// waits and background script. Whatever the bytes, the engine must end each
// step with an error report at worst: no crash, no hang, no memory fault.

#include <QApplication>
#include <QTemporaryDir>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "base/clock.h"
#include "engine/screen/msg_form.h"
#include "engine/script/tideglass_form.h"
#include "platform/message_box.h"

namespace {

class TAnswerYes : public TMessageBoxService {
public:
    int Show(QWidget*, const std::string&, const std::string&, int) override { return IDYES; }
};

struct TFuzzEngine {
    TFuzzEngine()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        App = std::make_unique<QApplication>(Argc, Argv);
        SetClockSource(&Clock);
        SetMessageBoxService(&Answer);
        Form = std::make_unique<TTideglassForm>(std::vector<std::string>{});
        Form->SetIniFileName("");
        Form->CreateForms();
        Form->CreateScreenObjects();
        // Short slices: a looping script yields often and each input stays quick.
        Form->FRunSliceLines = 500;
        ScriptPath = Dir.path().toStdString() + "/fuzz.tgs";
    }

    int Argc = 1;
    char Arg0[8] = "fuzz";
    char* Argv[2] = {Arg0, nullptr};
    std::unique_ptr<QApplication> App;
    TFakeClock Clock{1000};
    TAnswerYes Answer;
    QTemporaryDir Dir;
    std::string ScriptPath;
    std::unique_ptr<TTideglassForm> Form;
};

} // namespace

// The widget toolkit and fontconfig keep caches for the life of the process,
// and every open replaces thousands of variable records, so a leak scan
// after each input would report noise and take most of the time; the unit
// tests check the engine for leaks instead.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Never destroyed: at exit Qt's own statics may be gone before it.
    static TFuzzEngine& engine = *new TFuzzEngine;
    // Data files are named by the script relative to its folder and may lie
    // anywhere ("../x"): scripts that open one are left to the data-file
    // tests, so a fuzzing run never writes outside its temporary folder.
    std::string lowered(reinterpret_cast<const char*>(data), size);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowered.find("datopen") != std::string::npos)
        return 0;
    {
        std::ofstream out(engine.ScriptPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TTideglassForm& form = *engine.Form;
    form.FHalted = false;
    form.FState = esIdle;
    form.OpenScenario(engine.ScriptPath);
    for (int tick = 0; tick < 16; ++tick) {
        engine.Clock.Advance(100);
        form.ApplicationEvents1Idle();
        if (form.FState == esKeyWait)
            form.EndKeyWait();
        if (form.FHalted)
            break;
    }
    // What the widgets posted (layouts, repaints) is handled as the event
    // loop would, instead of piling up from one input to the next; hidden
    // windows need no painting.
    form.MsgForm->hide();
    QCoreApplication::processEvents();
    return 0;
}
