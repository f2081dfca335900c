#pragma once
// Windows virtual-key codes and the fixed table that turns Qt keys into
// them. Key codes reach scripts (*SETKEY) and save files (key macros), so a
// key must give exactly the code it gave on Windows. Keys of the typing
// area that differ between layouts follow the US layout, as Windows names
// them.

#include "classlib/shift_state.h"
#include "classlib/virtual_keys.h"

#include <cstdint>

#include <Qt>

class QKeyEvent;

// The virtual-key code of a Qt key; `keypad` tells a key of the numeric
// keypad. 0 for a key Windows has no code for.
uint16_t VirtualKeyOf(int qtKey, bool keypad);
// The code of a key event.
uint16_t VirtualKeyOf(const QKeyEvent& event);

// The modifiers held, as Windows reports them with the key: a modifier key's
// own press already counts as held and its release no longer does.
TShiftState ShiftStateOf(const QKeyEvent& event);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
