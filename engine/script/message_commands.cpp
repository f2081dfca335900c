// Commands of the message window.

#include "engine/screen/tgmsg.h"
#include "engine/script/tideglass_form.h"

void TTideglassForm::CmdCls(const std::string& /*line*/)
{
    if (FMsg)
        FMsg->Clear();
}
