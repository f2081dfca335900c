#pragma once
// Drives the real main window without a display (the offscreen platform):
// the window is created as the program creates it, over a temporary folder
// as the engine harness uses, its idle timer off so that passes come only
// when the fake clock makes them due. Message boxes are answered at once.

#include <memory>
#include <string>
#include <vector>

#include "engine/qt/tideglass_form.h"
#include "platform/message_box.h"
#include "support/engine_driver.h"

// Answers every message box at once and remembers it.
class TFakeMessageBoxes : public TMessageBoxService {
public:
    struct TShown {
        std::string Text;    // UTF-8
        std::string Caption; // UTF-8
        int Flags = 0;
        bool Halted = false; // the engine's halted flag while it was up
    };
    int Show(QWidget* parent, const std::string& text, const std::string& caption, int flags) override;

    std::vector<TShown> Shown;
    int Answer = IDYES;
    const TEngine* Engine = nullptr;
};

class TWindowHarness : public TEngineDriver {
public:
    TWindowHarness();
    ~TWindowHarness();

    // Creates the main window as the program does: forms, settings, screen
    // objects. `fileName` is the command-line argument (none when empty).
    TTideglassForm& Start(const std::string& fileName = "");
    TTideglassForm& Open(const std::string& name);
    TTideglassForm& Run(const std::string& utf8Script, int maxTicks = 10);
    TTideglassForm& Form() { return *FForm; }
    TEngine& Engine() { return FForm->Engine(); }
    void Close();

    TFakeMessageBoxes Boxes;

private:
    std::unique_ptr<TTideglassForm> FForm;
};
