#pragma once
// Micro tiles: a pixel area cut into 32 x 32 tiles, each remembering the
// bounding box of everything marked inside it in one 32-bit value, so that
// many small changed areas reduce to a short list of rectangles to repaint.

#include <cstdint>
#include <vector>

#include "base/types.h"
#include "graphics/containers.h"

// Left in bits 24..31, Top 16..23, Right 8..15, Bottom 0..7, in tile-local
// coordinates 0..32.
using TMicroTile = uint32_t;

constexpr int32_t MICROTILE_SHIFT = 5;
constexpr int32_t MICROTILE_SIZE = 1 << MICROTILE_SHIFT;
constexpr TMicroTile MICROTILE_EMPTY = 0;
constexpr TMicroTile MICROTILE_FULL = (TMicroTile(MICROTILE_SIZE) << 8) | TMicroTile(MICROTILE_SIZE);

constexpr TMicroTile MakeMicroTile(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return (TMicroTile(left) << 24) | (TMicroTile(top) << 16) | (TMicroTile(right) << 8) | TMicroTile(bottom);
}
constexpr int32_t MicroTileLeft(TMicroTile t)
{
    return int32_t(t >> 24);
}
constexpr int32_t MicroTileTop(TMicroTile t)
{
    return int32_t((t >> 16) & 0xFF);
}
constexpr int32_t MicroTileRight(TMicroTile t)
{
    return int32_t((t >> 8) & 0xFF);
}
constexpr int32_t MicroTileBottom(TMicroTile t)
{
    return int32_t(t & 0xFF);
}

struct TMicroTiles {
    // The pixel area covered.
    TRect BoundsRect;
    int32_t Columns = 0;
    int32_t Rows = 0;
    // In tile units, inclusive: the tiles written since the last clear.
    // Nothing used is the inverted (Columns, Rows, 0, 0).
    TRect BoundsUsedTiles;
    // Tile values allocated: (Columns + 1) * (Rows + 1), row by row,
    // Columns to a row; none before the first sizing.
    int32_t Count = 0;
    std::vector<TMicroTile> Tiles;

    TMicroTile& At(int32_t column, int32_t row) { return Tiles[size_t(row) * size_t(Columns) + size_t(column)]; }
    TMicroTile At(int32_t column, int32_t row) const { return Tiles[size_t(row) * size_t(Columns) + size_t(column)]; }
    bool HasTiles() const { return !Tiles.empty(); }
};

// `dst` grows to take in `src`; empty, zero-sized or no-op unions leave it.
void MicroTileUnion(TMicroTile& dst, TMicroTile src);

// All fields zero, no tiles.
void MicroTilesCreate(TMicroTiles& tiles);
// Frees the tiles.
void MicroTilesDestroy(TMicroTiles& tiles);
// Covers `rect` with tiles (at least one), all cleared.
void MicroTilesSetSize(TMicroTiles& tiles, const TRect& rect);
// Every tile := value; nothing counts as used.
void MicroTilesClear(TMicroTiles& tiles, TMicroTile value = MICROTILE_EMPTY);
// Only the used tiles := value; nothing counts as used.
void MicroTilesClearUsed(TMicroTiles& tiles, TMicroTile value = MICROTILE_EMPTY);
// `dst` becomes a copy of `src` (the used range of tiles is copied).
void MicroTilesCopy(TMicroTiles& dst, const TMicroTiles& src);
// Marks `rect` (normalised and cut to the tiles); with `roundToWholeTiles`
// every touched tile becomes full.
void MicroTilesAddRect(TMicroTiles& tiles, TRect rect, bool roundToWholeTiles = false);
// Marks the area a line of `lineWidth` from (x1, y1) to (x2, y2) covers.
void MicroTilesAddLine(TMicroTiles& tiles, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t lineWidth,
    bool roundToWholeTiles = false);
// Unites the used tiles of `src` into `dst` (of the same grid).
void MicroTilesUnion(TMicroTiles& dst, const TMicroTiles& src, bool roundToWholeTiles = false);
// Appends the marked area as few rectangles as tiles allow, merging runs
// along rows and equal runs down columns; answers how many it appended.
int32_t MicroTilesCalcRects(const TMicroTiles& tiles, TRectList& dstRects);

// Owns one TMicroTiles per key (a layer).
class TMicroTilesMap : public TPointerMap {
public:
    TMicroTilesMap() = default;
    ~TMicroTilesMap() override;
    TMicroTilesMap(const TMicroTilesMap&) = delete;
    TMicroTilesMap& operator=(const TMicroTilesMap&) = delete;

    // The tiles of `item`, allocated empty when it has none yet.
    TMicroTiles& Add(const void* item);
    // The tiles of `item`, or nullptr.
    TMicroTiles* Find(const void* item) const;
    // Frees the tiles of `item` and forgets the key.
    void Remove(const void* item);
    // Frees the tiles of every key.
    void Clear();
};
