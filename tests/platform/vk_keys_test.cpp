#include <gtest/gtest.h>

#include <QKeyEvent>

#include "platform/vk_keys.h"

namespace {

struct KeyCase {
    int QtKey;
    bool Keypad;
    uint16_t Vk;
};

// Every key that scripts can name (*SETKEY) and every key the engine's
// windows act on, with the code Windows gives it.
const KeyCase NamedKeys[] = {
    {Qt::Key_Up, false, 38},
    {Qt::Key_Down, false, 40},
    {Qt::Key_Left, false, 37},
    {Qt::Key_Right, false, 39},
    {Qt::Key_Escape, false, 27},
    {Qt::Key_PageUp, false, 33},
    {Qt::Key_PageDown, false, 34},
    {Qt::Key_Help, false, 47},
    {Qt::Key_0, true, 96},
    {Qt::Key_1, true, 97},
    {Qt::Key_2, true, 98},
    {Qt::Key_3, true, 99},
    {Qt::Key_4, true, 100},
    {Qt::Key_5, true, 101},
    {Qt::Key_6, true, 102},
    {Qt::Key_7, true, 103},
    {Qt::Key_8, true, 104},
    {Qt::Key_9, true, 105},
    {Qt::Key_Asterisk, true, 106},
    {Qt::Key_Plus, true, 107},
    {Qt::Key_Minus, true, 109},
    {Qt::Key_Period, true, 110},
    {Qt::Key_Comma, true, 110},
    {Qt::Key_Slash, true, 111},
    {Qt::Key_Enter, true, 13},
    {Qt::Key_Return, false, 13},
    {Qt::Key_Space, false, 32},
    {Qt::Key_Tab, false, 9},
    {Qt::Key_Backtab, false, 9},
    {Qt::Key_Shift, false, 16},
    {Qt::Key_Control, false, 17},
    {Qt::Key_Alt, false, 18},
    {Qt::Key_Backspace, false, 8},
    {Qt::Key_Insert, false, 45},
    {Qt::Key_Delete, false, 46},
    {Qt::Key_Home, false, 36},
    {Qt::Key_End, false, 35},
    {Qt::Key_A, false, 65},
    {Qt::Key_Z, false, 90},
    {Qt::Key_0, false, 48},
    {Qt::Key_9, false, 57},
    {Qt::Key_Exclam, false, 49},
    {Qt::Key_Semicolon, false, 0xBA},
    {Qt::Key_Minus, false, 0xBD},
    {Qt::Key_Slash, false, 0xBF},
    {Qt::Key_Backslash, false, 0xDC},
    {Qt::Key_yen, false, 0xDC},
    {Qt::Key_Apostrophe, false, 0xDE},
    // With Num Lock off the keypad sends navigation keys, which keep their codes.
    {Qt::Key_Home, true, 36},
    {Qt::Key_Insert, true, 45},
    {Qt::Key_Clear, true, 12},
    {Qt::Key_Henkan, false, 0x1C},
    {Qt::Key_Muhenkan, false, 0x1D},
};

TEST(VirtualKeys, TableGivesTheWindowsCodes)
{
    for (const KeyCase& c : NamedKeys)
        EXPECT_EQ(VirtualKeyOf(c.QtKey, c.Keypad), c.Vk) << std::hex << "Qt key " << c.QtKey << " keypad " << c.Keypad;
}

TEST(VirtualKeys, FunctionKeysRunUpToF24)
{
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(VirtualKeyOf(Qt::Key_F1 + i, false), 112 + i) << "F" << i + 1;
    EXPECT_EQ(VirtualKeyOf(Qt::Key_F25, false), 0);
}

TEST(VirtualKeys, UnknownKeysGiveZero)
{
    EXPECT_EQ(VirtualKeyOf(Qt::Key_unknown, false), 0);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_VolumeUp, false), 0);
}

TEST(VirtualKeys, KeyEventCarriesTheKeypadFlag)
{
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, "5");
    const QKeyEvent row(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    EXPECT_EQ(VirtualKeyOf(keypad), 101);
    EXPECT_EQ(VirtualKeyOf(row), 53);
}

TEST(VirtualKeys, ModifierKeyCountsAsHeldOnItsOwnPressOnly)
{
    // Qt reports the modifiers before the event; Windows after it.
    const QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    const QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
    const QKeyEvent altEnter(QEvent::KeyPress, Qt::Key_Return, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(ShiftStateOf(shiftDown), ssShift);
    EXPECT_EQ(ShiftStateOf(shiftUp), 0);
    EXPECT_EQ(ShiftStateOf(altEnter), ssAlt | ssCtrl);
}

} // namespace
