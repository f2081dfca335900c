#pragma once
// The engine's built-in pictures, which the main window keeps in its list
// Bitmap32List1: two wait-animation frames, the message-window skin and the
// two scroll marks, stored as "Data" streams of TBitmap32.

#include <cstdint>
#include <span>

#include "graphics/draw_mode.h"

class TBitmap32;
class TBitmap32List;

// Indices in Bitmap32List1.
enum TBuiltInPicture : int {
    biWaitFrame0 = 0,
    biWaitFrame1 = 1,
    biMsgSkin = 2,
    biUpMark = 3,
    biDownMark = 4,
};
constexpr int BuiltInPictureCount = 5;

extern const uint8_t BuiltInWaitFrame0Data[2312];
extern const uint8_t BuiltInWaitFrame1Data[2312];
extern const uint8_t BuiltInMsgSkinData[5192];
extern const uint8_t BuiltInUpMarkData[2312];
extern const uint8_t BuiltInDownMarkData[2312];

// The "Data" stream of picture `index` (empty for an unknown index).
std::span<const uint8_t> BuiltInPictureData(int index);
// Wait frames and marks blend, the skin is opaque.
TDrawMode BuiltInPictureDrawMode(int index);

// `bitmap` takes picture `index`: its pixels, its draw mode and the nearest
// resampler, as the form data gives them.
void LoadBuiltInPicture(int index, TBitmap32& bitmap);

// Fills `list` with the five pictures in their order, as the main window's
// form data holds them; items it already has are overwritten.
void LoadBuiltInPictures(TBitmap32List& list);
