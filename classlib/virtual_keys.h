#pragma once
// Windows virtual-key codes, as the class library's key events carry them.
// Key codes reach scripts (*SETKEY) and save files (key macros), so they
// keep the values Windows gave them.

#include <cstdint>

constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_CLEAR = 0x0C;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12; // Alt
constexpr uint16_t VK_PAUSE = 0x13;
constexpr uint16_t VK_CAPITAL = 0x14;
constexpr uint16_t VK_KANA = 0x15;
constexpr uint16_t VK_KANJI = 0x19;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_CONVERT = 0x1C;
constexpr uint16_t VK_NONCONVERT = 0x1D;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21; // Page Up
constexpr uint16_t VK_NEXT = 0x22;  // Page Down
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_SELECT = 0x29;
constexpr uint16_t VK_PRINT = 0x2A;
constexpr uint16_t VK_EXECUTE = 0x2B;
constexpr uint16_t VK_SNAPSHOT = 0x2C;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_HELP = 0x2F;
// '0'..'9' are 30h..39h and 'A'..'Z' 41h..5Ah, the characters' own codes.
constexpr uint16_t VK_LWIN = 0x5B;
constexpr uint16_t VK_RWIN = 0x5C;
constexpr uint16_t VK_APPS = 0x5D;
constexpr uint16_t VK_SLEEP = 0x5F;
constexpr uint16_t VK_NUMPAD0 = 0x60; // .. VK_NUMPAD9 = 69h
constexpr uint16_t VK_MULTIPLY = 0x6A;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SEPARATOR = 0x6C;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_DECIMAL = 0x6E;
constexpr uint16_t VK_DIVIDE = 0x6F;
constexpr uint16_t VK_F1 = 0x70; // .. VK_F24 = 87h
constexpr uint16_t VK_F12 = 0x7B;
constexpr uint16_t VK_F13 = 0x7C;
constexpr uint16_t VK_F24 = 0x87;
constexpr uint16_t VK_NUMLOCK = 0x90;
constexpr uint16_t VK_SCROLL = 0x91;
constexpr uint16_t VK_OEM_1 = 0xBA;      // ;:
constexpr uint16_t VK_OEM_PLUS = 0xBB;   // =+
constexpr uint16_t VK_OEM_COMMA = 0xBC;  // ,<
constexpr uint16_t VK_OEM_MINUS = 0xBD;  // -_
constexpr uint16_t VK_OEM_PERIOD = 0xBE; // .>
constexpr uint16_t VK_OEM_2 = 0xBF;      // /?
constexpr uint16_t VK_OEM_3 = 0xC0;      // `~
constexpr uint16_t VK_OEM_4 = 0xDB;      // [{
constexpr uint16_t VK_OEM_5 = 0xDC;      // \|
constexpr uint16_t VK_OEM_6 = 0xDD;      // ]}
constexpr uint16_t VK_OEM_7 = 0xDE;      // '"
