#include "support/app/window_harness.h"

#include "base/sjis.h"

int TFakeMessageBoxes::Show(QWidget*, const std::string& text, const std::string& caption, int flags)
{
    Shown.push_back({sjis::ToUtf8(text), sjis::ToUtf8(caption), flags, Engine && Engine->Halted()});
    return Answer;
}

TWindowHarness::TWindowHarness()
{
    SetMessageBoxService(&Boxes);
}

TWindowHarness::~TWindowHarness()
{
    Close();
    SetMessageBoxService(nullptr);
}

TTideglassForm& TWindowHarness::Start(const std::string& fileName)
{
    Close();
    std::vector<std::string> args;
    if (!fileName.empty())
        args.push_back(fileName);
    FForm = std::make_unique<TTideglassForm>(args);
    FForm->SetIniFileName(Dir() + "tideglass.ini");
    FForm->CreateForms();
    FForm->ReadSettings();
    FForm->CreateScreenObjects();
    FForm->Engine().ScheduleNextTick();
    Boxes.Engine = &FForm->Engine();
    FEngine = &FForm->Engine();
    FLog = FForm->MessageLog();
    return *FForm;
}

TTideglassForm& TWindowHarness::Open(const std::string& name)
{
    Start(Dir() + name);
    Tick();
    return *FForm;
}

TTideglassForm& TWindowHarness::Run(const std::string& utf8Script, int maxTicks)
{
    WriteScript("main.tgs", utf8Script);
    Open("main.tgs");
    Settle(maxTicks);
    return *FForm;
}

void TWindowHarness::Close()
{
    Boxes.Engine = nullptr;
    FEngine = nullptr;
    FLog = nullptr;
    FForm.reset();
}
