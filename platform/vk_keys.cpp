#include "platform/vk_keys.h"

#include <QKeyEvent>

namespace {

// Keys of the numeric keypad while Num Lock is on; with it off the keypad
// sends the navigation keys, which keep their own codes.
uint16_t KeypadKeyOf(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<uint16_t>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    // Layouts that write a decimal comma still send the decimal key.
    case Qt::Key_Period:
    case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    case Qt::Key_Enter: return VK_RETURN;
    default: return 0;
    }
}

// Shifted symbols of the typing area come from the key that carries them
// on the US layout: Shift+1 is still the key "1".
uint16_t SymbolKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
    case Qt::Key_yen: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    default: return 0;
    }
}

uint16_t ControlKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    // Shift+Tab arrives as its own key; Windows sends Tab with Shift held.
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Kana_Lock: return VK_KANA;
    case Qt::Key_Kanji:
    case Qt::Key_Zenkaku_Hankaku: return VK_KANJI;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Henkan: return VK_CONVERT;
    case Qt::Key_Muhenkan: return VK_NONCONVERT;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Select: return VK_SELECT;
    case Qt::Key_Printer: return VK_PRINT;
    case Qt::Key_Execute: return VK_EXECUTE;
    case Qt::Key_Print:
    case Qt::Key_SysReq: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Super_R: return VK_RWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Sleep: return VK_SLEEP;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    default: return 0;
    }
}

} // namespace

uint16_t VirtualKeyOf(int qtKey, bool keypad)
{
    if (keypad) {
        if (const uint16_t vk = KeypadKeyOf(qtKey))
            return vk;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<uint16_t>(qtKey);
    // Windows numbers function keys up to F24 only.
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    if (const uint16_t vk = ControlKeyOf(qtKey))
        return vk;
    return SymbolKeyOf(qtKey);
}

uint16_t VirtualKeyOf(const QKeyEvent& event)
{
    return VirtualKeyOf(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        shift |= ssShift;
    if (modifiers.testFlag(Qt::AltModifier))
        shift |= ssAlt;
    if (modifiers.testFlag(Qt::ControlModifier))
        shift |= ssCtrl;
    return shift;
}

TShiftState ShiftStateOf(const QKeyEvent& event)
{
    TShiftState shift = ShiftStateOf(event.modifiers());
    // Qt reports the modifiers as they were before the event; Windows reads
    // the key state after it.
    TShiftState own = 0;
    switch (event.key()) {
    case Qt::Key_Shift: own = ssShift; break;
    case Qt::Key_Alt: own = ssAlt; break;
    case Qt::Key_Control: own = ssCtrl; break;
    default: break;
    }
    if (event.type() == QEvent::KeyPress)
        shift |= own;
    else if (event.type() == QEvent::KeyRelease)
        shift &= static_cast<TShiftState>(~own);
    return shift;
}
