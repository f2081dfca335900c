#pragma once
// Script pictures below the engine: decoding a picture file by its extension
// with the load-transparency rule, drawing it into a target bitmap, and
// cutting a picture into the cells of the wait and scroll marks. Which file a
// picture name stands for is the game files' (game_files.h). The engine's
// LoadImage and the picture commands are thin layers over these; nothing
// here shows a message or touches the screen.
//
// Names are Shift-JIS script names; folders are separated by "\" or "/".

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/streams.h"

class TBitmap32;

// The transparent key of loaded pictures and of *GTRANS: opaque pure blue.
constexpr uint32_t PictureKeyColor = 0xFF0000FF;

// The picture file in Data decoded by its extension (".bmp", ".jpg",
// ".jpeg", ".png", any letter case). With LoadTrans, a BMP's opaque pure blue
// becomes 0 and a PNG takes its alpha channel (or the blue key when it has
// none), and the picture is drawn in blend mode; JPEG pictures are always
// opaque. nullptr for any other extension. Decoder errors propagate.
std::unique_ptr<TBitmap32> DecodePicture(TStream& Data, std::string_view Ext, bool LoadTrans);

// Decodes as DecodePicture and draws the picture at (X, Y) into Target in
// the picture's draw mode. Target first grows to at least the picture's
// width and height (it never shrinks; growing clears it to 0). False, with
// Target untouched, when nothing was decoded; on a decoder error Target is
// untouched too.
bool DrawPicture(TStream& Data, std::string_view Ext, bool LoadTrans, TBitmap32& Target, int X, int Y);

// Every opaque pure blue pixel becomes 0 (transparent black).
void ClearKeyColor(TBitmap32& Bitmap);

// The mask of *LOADWAIT, *LOADARROW and *LOADMSGWIN: Picture's alpha
// becomes the intensity of Mask's pixels (a mask of another size leaves the
// picture black at the mask's size, as the intensity filter does), and the
// picture is drawn in blend mode.
void ApplyPictureMask(TBitmap32& Picture, const TBitmap32& Mask);

// The file name of *PICTURE, *GLOAD and *LOADABOUT: ".bmp" appended when the
// name has no extension ("dir.v2\pic" has none).
std::string WithPictureExt(std::string_view Name);

// A sheet cut into more cells than this is refused rather than allocated
// (a 640 x 480 picture cut at size 1 would make 307200 bitmaps).
constexpr int MaxPictureCells = 4096;

// The Size x Size cells of Picture, row by row and left to right within a
// row, at most MaxCells of them (the scroll marks take two): each cell is
// cleared to 0, then that part of the picture is drawn into it in the picture's
// draw mode, which the cell keeps. No cell when one does not fit the picture.
// Size <= 0, or more than MaxPictureCells cells, raises EScriptError.
std::vector<std::unique_ptr<TBitmap32>> CutPictureCells(
    TBitmap32& Picture, int Size, int MaxCells = std::numeric_limits<int>::max());

// The wait-frame time of *LOADWAIT in ms: Time x 100, kept within 32 bits.
int WaitFrameInterval(int32_t Time);
