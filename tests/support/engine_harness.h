#pragma once
// Drives the real main window without a display: scripts are written into a
// temporary folder (which is also the current folder and the XDG home of
// the test), the engine is created as the program creates it, and time
// moves only when the test moves the fake clock.

#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "engine/script/tideglass_form.h"
#include "platform/message_box.h"

// Answers every message box at once and remembers it.
class TFakeMessageBoxes : public TMessageBoxService {
public:
    struct TShown {
        std::string Text;     // UTF-8
        std::string Caption;  // UTF-8
        int Flags = 0;
    };
    int Show(QWidget* parent, const std::string& text, const std::string& caption, int flags) override;

    std::vector<TShown> Shown;
    int Answer = IDYES;
    // The engine's halted flag as it was while each box was up.
    std::vector<bool> HaltedWhileShown;
    TTideglassForm* Form = nullptr;
};

class TEngineHarness {
public:
    TEngineHarness();
    ~TEngineHarness();
    TEngineHarness(const TEngineHarness&) = delete;
    TEngineHarness& operator=(const TEngineHarness&) = delete;

    // The temporary folder, with a trailing "/".
    std::string Dir() const;
    // Writes `utf8Text` as Shift-JIS into the folder; "\n" in the text
    // becomes `eol`.
    void WriteScript(const std::string& name, const std::string& utf8Text, const std::string& eol = "\r\n");
    void WriteBytes(const std::string& name, const std::string& bytes);

    // Creates the main window as the program does: forms, settings, screen
    // objects. `fileName` is the command-line argument (none when empty).
    TTideglassForm& Start(const std::string& fileName = "");
    // Start with a script of the folder and one tick, which opens it; the
    // script runs on the next tick.
    TTideglassForm& Open(const std::string& name);
    // Writes the script as "main.tgs", opens it and ticks until the engine
    // waits (state no longer 2) or `maxTicks` ticks have passed.
    TTideglassForm& Run(const std::string& utf8Script, int maxTicks = 10);
    TTideglassForm& Form() { return *FForm; }
    void Close();

    // One pass of the idle loop, `count` times, at the current time.
    void Tick(int count = 1);
    // Moves the clock `ms` milliseconds, one idle pass per millisecond.
    void Advance(uint32_t ms);
    // Ticks until the state is no longer 2 (at most `maxTicks`).
    void Settle(int maxTicks = 10);

    // The message log, one UTF-8 string per line.
    std::vector<std::string> Log() const;
    std::string LastLog() const;
    // The message window's wrapped lines, UTF-8.
    std::vector<std::string> Backlog() const;
    // Lines of the log that are error reports.
    std::vector<std::string> Errors() const;

    int32_t Flag(int index) const;
    std::string SVar(int index) const;  // UTF-8
    uint8_t State() const { return FForm->FState; }

    TFakeClock Clock{1000000};
    TFakeMessageBoxes Boxes;

private:
    QTemporaryDir FDir;
    std::string FOldCurrent;
    std::vector<std::pair<std::string, std::string>> FOldEnv;
    std::unique_ptr<TTideglassForm> FForm;
};

// UTF-8 text as Shift-JIS bytes.
std::string Sj(const std::string& utf8);
