#include "testkit/fake_engine_host.h"

#include <algorithm>

#include "base/sjis.h"
#include "classlib/message_flags.h"
#include "classlib/virtual_keys.h"
#include "engine/script/engine.h"
#include "graphics/bitmap32.h"

TFakeEngineHost::TFakeEngineHost()
{
    // The command line's own bindings: the keyword menu and the page keys.
    Macros.Add(VK_F1, "#POP");
    Macros.Add(VK_PRIOR, "#PUP");
    Macros.Add(VK_NEXT, "#PDOWN");
    AddKeyNames(KeyNameTable);
}

void TFakeEngineHost::SetClientSize(int width, int height)
{
    Width = width;
    Height = height;
}

void TFakeEngineHost::SetAboutPicture(const TBitmap32& picture)
{
    AboutWidth = picture.Width();
    AboutHeight = picture.Height();
    AboutCorner = picture.Empty() ? 0 : picture.Pixel(0, 0);
}

void TFakeEngineHost::EnterFullScreen(int width, int height)
{
    FullScreen = true;
    FullScreenWidth = width;
    FullScreenHeight = height;
}

void TFakeEngineHost::LeaveFullScreen()
{
    FullScreen = false;
}

int TFakeEngineHost::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    Boxes.push_back({sjis::ToUtf8(text), sjis::ToUtf8(caption), flags, Engine && Engine->Halted()});
    return BoxAnswer;
}

int TFakeEngineHost::AskInput(const std::string& prompt, std::string& text)
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

int TFakeEngineHost::AskYesNo(const std::string& prompt)
{
    Prompts.push_back(prompt);
    if (Engine)
        DialogStates.push_back(Engine->State());
    return YesNoResult;
}

bool TFakeEngineHost::ChooseScenario(const std::string& filter, std::string& fileName)
{
    OpenFilter = filter;
    if (!ScenarioChoice)
        return false;
    fileName = *ScenarioChoice;
    return true;
}

void TFakeEngineHost::CloseDialogs()
{
    DialogUp = false;
}

void TFakeEngineHost::SetKeyLabel(int index, const std::string& text)
{
    if (index >= 0 && index < static_cast<int>(KeyLabels.size()))
        KeyLabels[static_cast<size_t>(index)] = text;
}

void TFakeEngineHost::ShowSubWindow(const TWindowBounds& place)
{
    SubPlace = place;
    SubShown = true;
}

void TFakeEngineHost::FocusInput()
{
    // A box that is hidden or disabled does not take the focus.
    if (InputOn && InputShown)
        InputHasFocus = true;
}

void TFakeEngineHost::AddKeyword(const std::string& word)
{
    if (std::find(Keywords.begin(), Keywords.end(), word) == Keywords.end())
        Keywords.push_back(word);
}

std::string TFakeEngineHost::GetKeyLabel(int index) const
{
    return index >= 0 && index < static_cast<int>(KeyLabels.size()) ? KeyLabels[static_cast<size_t>(index)]
                                                                     : std::string();
}
