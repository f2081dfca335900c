#pragma once
// The plain records between the engine and the save file: what the engine
// hands the writer (TSaveGame), and what the reader stages from a file
// (TStagedLoad) before anything in the game changes. Names and numbers are
// Shift-JIS byte strings as the engine holds them.

#include "graphics/bitmap32.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The layout the writer produces.
inline constexpr int32_t SaveVersion = 10;
// Flags 0 to 16383 and string variables 0 to 1023 are written, whatever the
// lists hold beyond them.
inline constexpr int32_t SaveFlagCount = 16384;
inline constexpr int32_t SaveStringCount = 1024;
inline constexpr int32_t SaveBufferCount = 33;
inline constexpr int SaveColorCount = 16;

struct TSaveMusic {
    bool Playing = false;
    bool Loop = false;
    std::string Name; // empty when nothing plays
};

struct TSaveKeyMacro {
    uint16_t Key = 0;
    std::string Text;
};

struct TSaveReturnPoint {
    int32_t SceneLine = 0;
    int32_t ReturnLine = 0;
};

// The game as *SAVE writes it. Pictures are the engine's live bitmaps: the
// writer only reads them (a transparent buffer is keyed in a copy).
struct TSaveGame {
    const TBitmap32* Screen = nullptr; // the picture layer's bitmap
    uint32_t ScriptChecksum = 0;       // ScriptChecksum of the loaded script lines
    std::string Scene;                 // label of the current scene line, empty when none
    TSaveMusic Music;
    std::vector<int32_t> FlagValues; // from flag 0; missing ones are written as 0
    std::vector<std::string> FlagNames;
    std::vector<int32_t> ItemCounts;       // every declared item, in list order
    std::vector<std::string> StringValues; // from variable 0; missing ones are written empty
    std::vector<std::string> StringNames;
    std::vector<std::string> Keywords; // the keyword menu, oldest first
    bool BgRunning = false;
    std::string BgLabel;    // the *BGEXEC label
    int32_t BgInterval = 0; // the *BGEXEC interval in ms
    struct Buffer {
        int32_t Number = 0;       // 0 to 32
        bool Transparent = false; // draw mode blend
        const TBitmap32* Picture = nullptr;
    };
    std::vector<Buffer> Buffers;                   // buffers in use, ascending; empty ones are left out
    std::array<uint32_t, SaveColorCount> Colors{}; // message colours (00BBGGRRh)
    std::vector<TSaveKeyMacro> Macros;
};

// A picture buffer as a load gives it back: pixels decoded, transparent ones
// keyed back (FF0000FFh became 00000000h) and the draw mode set.
struct TStagedBuffer {
    int32_t Number = 0;
    bool Transparent = false;
    std::unique_ptr<TBitmap32> Picture; // empty for a 0-byte stream
};

// Everything a load changes, parsed and decoded. Fields a version lacks keep
// their defaults and the Has flags say which parts the file had.
struct TStagedLoad {
    int32_t Version = 0;
    uint32_t ScriptChecksum = 0;
    std::unique_ptr<TBitmap32> Screen;

    std::string Scene;
    bool SceneFound = false; // the label exists in the current script
    int32_t SceneLine = -1;  // its scene line

    TSaveMusic Music; // as saved; a music that did not loop is not restored

    std::vector<int32_t> FlagValues;    // flags 0 .. count - 1
    std::vector<std::string> FlagNames; // version 10 on; same count
    std::vector<int32_t> ItemCounts;    // the first min(saved, declared) Counts
    bool ItemCountMismatch = false;     // the save holds more items than the script declares

    // The main game stack after the load: the saved return points up to
    // version 8, empty from version 9 (which no longer saves them).
    std::vector<TSaveReturnPoint> MainStack;

    std::vector<std::string> StringValues; // version 2 on: variables 0 .. count - 1
    std::vector<std::string> StringNames;  // version 10 on; same count

    std::vector<std::string> Keywords; // version 3 on; the menu is emptied in any case

    bool HasBackground = false; // version 6 on: background and buffers
    bool BgRunning = false;
    std::string BgLabel;
    int32_t BgInterval = 0;
    bool BgLabelFound = false; // running and the label exists
    int32_t BgLine = -1;       // the label's line (start and current line)
    int32_t BgSceneLine = -1;

    std::vector<TStagedBuffer> Buffers; // ascending as saved; other buffers keep theirs

    bool HasColors = false; // version 7 on
    std::array<uint32_t, SaveColorCount> Colors{};

    bool HasMacros = false; // version 8 on: the macro list is emptied and set
    std::vector<TSaveKeyMacro> Macros;
};

// What the reader needs to know of the current script.
struct TSaveReadContext {
    int32_t ItemCount = 0;         // items the script declares
    int32_t FlagListSize = 16385;  // the lists' record counts: larger saved
    int32_t StringListSize = 1025; // counts are refused
    // The label's line and scene line; false when the script has no such label.
    std::function<bool(const std::string& Name, int32_t& Line, int32_t& SceneLine)> FindLabel;
};
