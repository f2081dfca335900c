#include "testkit/fake_host_dialogs.h"

#include "base/sjis.h"
#include "engine/script/engine.h"

int TFakeHostDialogs::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    Boxes.push_back({sjis::ToUtf8(text), sjis::ToUtf8(caption), flags, Engine && Engine->Halted()});
    return BoxAnswer;
}

int TFakeHostDialogs::AskInput(const std::string& prompt, std::string& text)
{
    Prompts.push_back(prompt);
    if (Engine)
        DialogStates.push_back(Engine->State());
    if (InputAnswers.empty())
        return mrAbort;
    text = InputAnswers.front();
    InputAnswers.pop_front();
    return mrOk;
}

int TFakeHostDialogs::AskYesNo(const std::string& prompt)
{
    Prompts.push_back(prompt);
    if (Engine)
        DialogStates.push_back(Engine->State());
    return YesNoResult;
}

bool TFakeHostDialogs::ChooseScenario(const std::string& filter, std::string& fileName)
{
    OpenFilter = filter;
    if (!ScenarioChoice)
        return false;
    fileName = *ScenarioChoice;
    return true;
}
