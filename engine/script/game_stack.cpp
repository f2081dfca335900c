#include "engine/script/game_stack.h"

bool TGameStack::Push(int32_t sceneLine, int32_t returnLine)
{
    if (Count() >= MaxDepth)
        return false;
    FItems.push_back({sceneLine, returnLine});
    return true;
}

TGameStackRec TGameStack::Pop()
{
    TGameStackRec rec = FItems.back();
    FItems.pop_back();
    return rec;
}
