#pragma once
// The engine's settings file as values: window places, the base picture
// size, the scale and the full-screen flag, read in the file's order and
// then kept to what the windows can show. A damaged or hand-edited file, or
// one written on a desktop whose monitors are gone, must not leave a window
// out of sight or ask for a picture no window can hold.

#include <vector>

class TIniFile;

// A window's outer rectangle, or a screen's, in desktop pixels.
struct TWindowPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

struct TSettingsValues {
    // The main window's place; its size is not stored, only used to tell
    // whether the place is on a screen.
    TWindowPlace Main;
    bool FullScreen = false;
    int ScalePercent = 100;
    int BaseWidth = 230;
    int BaseHeight = 176;
    // The message-and-input window and the sub window.
    TWindowPlace Msg;
    TWindowPlace Sub;
};

// What the settings file gives when a value is missing or unusable.
constexpr int DefaultScalePercent = 100;
constexpr int DefaultBaseWidth = 230;
constexpr int DefaultBaseHeight = 176;

// The bounds kept; a larger picture would need a window no desktop has.
constexpr int MinScalePercent = 10;
constexpr int MaxScalePercent = 1000;
constexpr int MinBaseSide = 1;
constexpr int MaxBaseSide = 2048;
constexpr int MinWindowSide = 16;
constexpr int MaxWindowSide = 8192;

// Reads the file's values in the order the engine always has ("WINDOW"
// MainX, MainY, "MODE" FullScreen, Scale, "WINDOW" Width, Height, then the
// message and sub windows). A missing or non-numeric place or window size
// reads as the window's present one (`current`), the rest as the defaults
// above. The values come back as they stand in the file: see
// BoundEngineSettings.
TSettingsValues ReadEngineSettings(const TIniFile& ini, const TSettingsValues& current);

// The values as the engine uses them:
// - a zero or negative scale or base side gives its default (100 %,
//   230 x 176), not the minimum; other values are held to the bounds above,
//   and a scale whose picture would pass MaxWindowSide gives 100 %;
// - a zero or negative window size gives the window's present size, others
//   are held to MinWindowSide..MaxWindowSide;
// - a window whose rectangle meets none of `screens` keeps its present
//   place (`current`). With no screens known, places are taken as read.
TSettingsValues BoundEngineSettings(
    const TSettingsValues& read, const TSettingsValues& current, const std::vector<TWindowPlace>& screens);
