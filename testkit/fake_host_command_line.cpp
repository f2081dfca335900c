#include "testkit/fake_host_command_line.h"

void TFakeHostCommandLine::FocusInput()
{
    // A box that is hidden or disabled does not take the focus.
    if (InputOn && InputShown)
        InputHasFocus = true;
}

void TFakeHostCommandLine::SetKeyLabel(int index, const std::string& text)
{
    if (index >= 0 && index < static_cast<int>(KeyLabels.size()))
        KeyLabels[static_cast<size_t>(index)] = text;
}

std::string TFakeHostCommandLine::GetKeyLabel(int index) const
{
    return index >= 0 && index < static_cast<int>(KeyLabels.size()) ? KeyLabels[static_cast<size_t>(index)]
                                                                    : std::string();
}
