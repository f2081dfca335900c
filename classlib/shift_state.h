#pragma once
// The class library's shift state: the set of modifier keys and mouse
// buttons held while a key or mouse event happened. Key and mouse handlers
// share it, so one value means the same in both.

#include <cstdint>

enum TShiftStateItem : uint8_t {
    ssShift = 1 << 0,
    ssAlt = 1 << 1,
    ssCtrl = 1 << 2,
    ssLeft = 1 << 3,
    ssRight = 1 << 4,
    ssMiddle = 1 << 5,
    ssDouble = 1 << 6,
};
using TShiftState = uint8_t;
