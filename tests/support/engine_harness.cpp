#include "support/engine_harness.h"

#include <QDir>
#include <cstdlib>
#include <fstream>

#include "base/sjis.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/tgmsg.h"
#include "platform/rich_edit.h"
#include "engine/script/variables.h"

std::string Sj(const std::string& utf8)
{
    return sjis::FromUtf8(utf8);
}

int TFakeMessageBoxes::Show(QWidget*, const std::string& text, const std::string& caption, int flags)
{
    Shown.push_back({sjis::ToUtf8(text), sjis::ToUtf8(caption), flags});
    HaltedWhileShown.push_back(Form && Form->FHalted);
    return Answer;
}

TEngineHarness::TEngineHarness()
{
    SetClockSource(&Clock);
    SetMessageBoxService(&Boxes);
    const std::string root = FDir.path().toStdString();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const char* old = std::getenv(name);
        FOldEnv.emplace_back(name, old ? old : "");
        const std::string dir = root + "/." + name;
        QDir().mkpath(QString::fromStdString(dir));
        setenv(name, dir.c_str(), 1);
    }
    FOldCurrent = QDir::currentPath().toStdString();
    QDir::setCurrent(FDir.path());
}

TEngineHarness::~TEngineHarness()
{
    Close();
    QDir::setCurrent(QString::fromStdString(FOldCurrent));
    for (const auto& [name, value] : FOldEnv) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    SetMessageBoxService(nullptr);
    SetClockSource(nullptr);
}

std::string TEngineHarness::Dir() const
{
    return FDir.path().toStdString() + "/";
}

void TEngineHarness::WriteScript(const std::string& name, const std::string& utf8Text, const std::string& eol)
{
    std::string text;
    for (char c : Sj(utf8Text)) {
        if (c == '\n')
            text += eol;
        else
            text += c;
    }
    WriteBytes(name, text);
}

void TEngineHarness::WriteBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream out(Dir() + name, std::ios::binary);
    out << bytes;
}

TTideglassForm& TEngineHarness::Start(const std::string& fileName)
{
    Close();
    std::vector<std::string> args;
    if (!fileName.empty())
        args.push_back(fileName);
    FForm = std::make_unique<TTideglassForm>(args);
    Boxes.Form = FForm.get();
    FForm->SetIniFileName(Dir() + "tideglass.ini");
    FForm->CreateForms();
    FForm->ReadSettings();
    FForm->CreateScreenObjects();
    return *FForm;
}

TTideglassForm& TEngineHarness::Open(const std::string& name)
{
    Start(Dir() + name);
    Tick();
    return *FForm;
}

TTideglassForm& TEngineHarness::Run(const std::string& utf8Script, int maxTicks)
{
    WriteScript("main.tgs", utf8Script);
    Open("main.tgs");
    Settle(maxTicks);
    return *FForm;
}

void TEngineHarness::Close()
{
    Boxes.Form = nullptr;
    FForm.reset();
}

void TEngineHarness::Tick(int count)
{
    for (int i = 0; i < count; ++i)
        FForm->ApplicationEvents1Idle();
}

void TEngineHarness::Advance(uint32_t ms)
{
    for (uint32_t i = 0; i < ms; ++i) {
        Clock.Advance(1);
        FForm->ApplicationEvents1Idle();
    }
}

void TEngineHarness::Settle(int maxTicks)
{
    for (int i = 0; i < maxTicks && FForm->FState == esRun; ++i)
        Tick();
}

std::vector<std::string> TEngineHarness::Log() const
{
    std::vector<std::string> lines;
    if (!FForm || !FForm->MsgForm)
        return lines;
    const TRichEdit& log = *FForm->MsgForm->MsgMemo;
    for (int i = 0; i < log.LineCount(); ++i)
        lines.push_back(sjis::ToUtf8(log.Line(i)));
    return lines;
}

std::vector<std::string> TEngineHarness::Backlog() const
{
    std::vector<std::string> lines;
    if (!FForm || !FForm->FMsg)
        return lines;
    for (const std::string& line : FForm->FMsg->Backlog().Items())
        lines.push_back(sjis::ToUtf8(line));
    return lines;
}

std::string TEngineHarness::LastLog() const
{
    const std::vector<std::string> lines = Log();
    return lines.empty() ? std::string() : lines.back();
}

std::vector<std::string> TEngineHarness::Errors() const
{
    std::vector<std::string> errors;
    for (const std::string& line : Log())
        if (line.rfind("Error", 0) == 0)
            errors.push_back(line);
    return errors;
}

int32_t TEngineHarness::Flag(int index) const
{
    return FForm->FFlags->GetItem(index)->Value;
}

std::string TEngineHarness::SVar(int index) const
{
    return sjis::ToUtf8(FForm->FSVars->GetItem(index)->Value);
}
