// The settings file of arbitrary bytes, read as the engine reads it at
// start-up: the main window and its forms are created as the program
// creates them, then each input is written as the file beside them and
// read into the engine and the windows. Whatever the bytes, the read ends
// in bounded time and the engine goes on with a scale and a base picture
// size inside their bounds, and windows of a size a desktop can hold.
// An input whose first byte is FFh stands for a file of many copies of the
// rest, up to about a megabyte, so long lines and files too large to be
// settings are read too.

#include <QApplication>
#include <QWidget>

#include "engine/qt/msg_form.h"
#include "engine/qt/sub_form.h"
#include "engine/script/engine.h"
#include "engine/qt/tideglass_form.h"
#include "platform/engine_settings.h"
#include "platform/ui_mailbox_wakeup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

TTideglassForm* Form = nullptr;
std::string IniFile;

void CheckSize(const QWidget* window)
{
    if (window && (window->width() > MaxWindowSide || window->height() > MaxWindowSide))
        std::abort();
}

} // namespace

// The font configuration library keeps what it read of the system's fonts
// to the end of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    new QApplication(*argc, *argv);
    InstallUiMailboxWakeUp();
    char dir[] = "/tmp/fuzz_settings_start.XXXXXX";
    if (::mkdtemp(dir) == nullptr)
        std::abort();
    IniFile = std::string(dir) + "/tideglass.ini";
    Form = new TTideglassForm({});
    Form->SetIniFileName(IniFile);
    Form->CreateForms();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream out(IniFile, std::ios::binary | std::ios::trunc);
        if (size > 2 && data[0] == 0xFF) {
            const size_t wanted = size_t(data[1]) * 4096;
            for (size_t written = 0; written < wanted; written += size - 2)
                out.write(reinterpret_cast<const char*>(data + 2), std::streamsize(size - 2));
        } else {
            out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        }
    }
    Form->ReadSettings();
    // The moves and resizes it asked for, as the program's event loop
    // would carry them out.
    QApplication::processEvents();

    const TEngine& engine = Form->Engine();
    const float scale = engine.Scale();
    if (scale < float(MinScalePercent) / 100.0f || scale > float(MaxScalePercent) / 100.0f)
        std::abort();
    if (engine.BaseWidth() < MinBaseSide || engine.BaseWidth() > MaxBaseSide || engine.BaseHeight() < MinBaseSide ||
        engine.BaseHeight() > MaxBaseSide)
        std::abort();
    if (float(engine.BaseWidth()) * scale > float(MaxWindowSide) ||
        float(engine.BaseHeight()) * scale > float(MaxWindowSide))
        std::abort();
    CheckSize(Form->MsgForm.get());
    CheckSize(Form->SubForm.get());
    return 0;
}
