#include "graphics/color32.h"

#include "classlib/colors.h"

TColor32 Color32FromWinColor(TWinColor winColor)
{
    if (winColor < 0)
        winColor = GetSysColor(winColor & 0xFF);
    const uint32_t c = uint32_t(winColor);
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
