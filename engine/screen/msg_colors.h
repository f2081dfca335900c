#pragma once
// The message colour table: sixteen Windows colours (00BBGGRRh) chosen by
// index from message text; save files store all of them.

#include <array>

#include "engine/screen/msg_tags.h"
#include "classlib/colors.h"

extern std::array<TColor, MsgColorCount> MsgColors;

// Entries 0 to 7 black, blue, red, purple, green, aqua, yellow, white; the
// others black.
void InitMsgColors();

inline bool IsMsgColorIndex(int index)
{
    return index >= 0 && index < MsgColorCount;
}
