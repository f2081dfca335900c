#pragma once
// What scripts set for the rest of the game: tags in messages (*TAG), the
// condition mode (*IFMODE), warnings (*WARNDISP), the message colour
// (*SETCOLOR) and the transparency pictures are loaded with.

#include "classlib/colors.h"

struct TScriptOptions {
    bool FTagMode = false;
    bool FIfMode = true;
    int FWarningLevel = 1;
    TColor FFontColor = clWhite;
    int FLoadTrans = 0;
};
