#include "graphics/micro_tiles.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/repaint_optimizer.h"

namespace {

constexpr TRect NothingUsed(const TMicroTiles& tiles)
{
    return TRect{tiles.Columns, tiles.Rows, 0, 0};
}

void GrowUsed(TMicroTiles& tiles, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    TRect& used = tiles.BoundsUsedTiles;
    used.Left = std::min(used.Left, left);
    used.Top = std::min(used.Top, top);
    used.Right = std::max(used.Right, right);
    used.Bottom = std::max(used.Bottom, bottom);
}

// The tile at (column, row), or nullptr when the grid has no such slot. A
// column one past the last is a real slot (rectangles ending on the grid's
// right border reach it), which the allocation's spare row and column hold.
TMicroTile* TileAt(TMicroTiles& tiles, int32_t column, int32_t row)
{
    if (column < 0 || row < 0 || column > tiles.Columns || row > tiles.Rows)
        return nullptr;
    const size_t index = size_t(row) * size_t(tiles.Columns) + size_t(column);
    return index < tiles.Tiles.size() ? &tiles.Tiles[index] : nullptr;
}

const TMicroTile* TileAt(const TMicroTiles& tiles, int32_t column, int32_t row)
{
    return TileAt(const_cast<TMicroTiles&>(tiles), column, row);
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int32_t ClampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

void MicroTileUnion(TMicroTile& dst, TMicroTile src)
{
    if (dst == MICROTILE_FULL || src == MICROTILE_EMPTY)
        return;
    if (MicroTileRight(src) == MicroTileLeft(src) || MicroTileBottom(src) == MicroTileTop(src))
        return;
    if (dst != MICROTILE_EMPTY && src != MICROTILE_FULL) {
        dst = MakeMicroTile(std::min(MicroTileLeft(dst), MicroTileLeft(src)),
            std::min(MicroTileTop(dst), MicroTileTop(src)), std::max(MicroTileRight(dst), MicroTileRight(src)),
            std::max(MicroTileBottom(dst), MicroTileBottom(src)));
    } else {
        dst = src;
    }
}

void MicroTilesCreate(TMicroTiles& tiles)
{
    tiles = TMicroTiles{};
}

void MicroTilesDestroy(TMicroTiles& tiles)
{
    tiles.Tiles.clear();
    tiles.Tiles.shrink_to_fit();
    tiles.Count = 0;
}

void MicroTilesSetSize(TMicroTiles& tiles, const TRect& rect)
{
    tiles.BoundsRect = rect;
    // An inverted rectangle covers nothing, like an empty one.
    const int64_t width = std::max<int64_t>(0, int64_t(rect.Right) - rect.Left);
    const int64_t height = std::max<int64_t>(0, int64_t(rect.Bottom) - rect.Top);
    tiles.Columns = int32_t((width >> MICROTILE_SHIFT) + 1);
    tiles.Rows = int32_t((height >> MICROTILE_SHIFT) + 1);
    tiles.Count = (tiles.Columns + 1) * (tiles.Rows + 1);
    tiles.Tiles.assign(size_t(tiles.Count), MICROTILE_EMPTY);
    MicroTilesClear(tiles, MICROTILE_EMPTY);
}

void MicroTilesClear(TMicroTiles& tiles, TMicroTile value)
{
    tiles.BoundsUsedTiles = NothingUsed(tiles);
    std::fill(tiles.Tiles.begin(), tiles.Tiles.end(), value);
}

void MicroTilesClearUsed(TMicroTiles& tiles, TMicroTile value)
{
    const TRect used = tiles.BoundsUsedTiles;
    for (int32_t row = used.Top; row <= used.Bottom; ++row)
        for (int32_t column = used.Left; column <= used.Right; ++column)
            if (TMicroTile* tile = TileAt(tiles, column, row))
                *tile = value;
    tiles.BoundsUsedTiles = NothingUsed(tiles);
}

void MicroTilesCopy(TMicroTiles& dst, const TMicroTiles& src)
{
    if (&dst == &src)
        return;
    if (dst.HasTiles())
        MicroTilesClearUsed(dst);
    dst.BoundsRect = src.BoundsRect;
    dst.Columns = src.Columns;
    dst.Rows = src.Rows;
    dst.BoundsUsedTiles = src.BoundsUsedTiles;
    dst.Count = src.Count;
    dst.Tiles.resize(src.Tiles.size(), MICROTILE_EMPTY);
    const TRect used = src.BoundsUsedTiles;
    for (int32_t row = used.Top; row <= used.Bottom; ++row)
        for (int32_t column = used.Left; column <= used.Right; ++column)
            if (const TMicroTile* tile = TileAt(src, column, row))
                *TileAt(dst, column, row) = *tile;
}

void MicroTilesAddRect(TMicroTiles& tiles, TRect rect, bool roundToWholeTiles)
{
    if (!tiles.HasTiles())
        return;
    if (rect.Right < rect.Left)
        std::swap(rect.Left, rect.Right);
    if (rect.Bottom < rect.Top)
        std::swap(rect.Top, rect.Bottom);
    rect.Left = std::max(rect.Left, 0);
    rect.Top = std::max(rect.Top, 0);
    rect.Right = std::min(rect.Right, tiles.Columns << MICROTILE_SHIFT);
    rect.Bottom = std::min(rect.Bottom, tiles.Rows << MICROTILE_SHIFT);
    if (rect.Right < rect.Left || rect.Bottom < rect.Top)
        return;

    const int32_t colLeft = rect.Left >> MICROTILE_SHIFT;
    const int32_t colRight = rect.Right >> MICROTILE_SHIFT;
    const int32_t rowTop = rect.Top >> MICROTILE_SHIFT;
    const int32_t rowBottom = rect.Bottom >> MICROTILE_SHIFT;

    for (int32_t row = rowTop; row <= rowBottom; ++row) {
        const int32_t top = row == rowTop ? rect.Top & (MICROTILE_SIZE - 1) : 0;
        const int32_t bottom = row == rowBottom ? rect.Bottom - (row << MICROTILE_SHIFT) : MICROTILE_SIZE;
        for (int32_t column = colLeft; column <= colRight; ++column) {
            TMicroTile* tile = TileAt(tiles, column, row);
            if (tile == nullptr)
                continue;
            if (roundToWholeTiles) {
                *tile = MICROTILE_FULL;
                continue;
            }
            const int32_t left = column == colLeft ? rect.Left & (MICROTILE_SIZE - 1) : 0;
            const int32_t right = column == colRight ? rect.Right - (column << MICROTILE_SHIFT) : MICROTILE_SIZE;
            if (left == 0 && top == 0 && right == MICROTILE_SIZE && bottom == MICROTILE_SIZE)
                *tile = MICROTILE_FULL;
            else
                MicroTileUnion(*tile, MakeMicroTile(left, top, right, bottom));
        }
    }
    GrowUsed(tiles, colLeft, rowTop, colRight, rowBottom);
}

void MicroTilesAddLine(
    TMicroTiles& tiles, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t lineWidth, bool roundToWholeTiles)
{
    if (!tiles.HasTiles())
        return;
    const int32_t width = ClampToInt32(int64_t(lineWidth) * 2);
    const int64_t dx = int64_t(x2) - x1;
    const int64_t dy = int64_t(y2) - y1;
    if (dx == 0 || dy == 0) {
        TRect r{x1, y1, x2, y2};
        InflateArea(r, width, width);
        MicroTilesAddRect(tiles, r, roundToWholeTiles);
        return;
    }

    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minor = xMajor ? dy : dx;
    const int64_t majorDir = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t steps = (major + MICROTILE_SIZE - 1) / MICROTILE_SIZE;
    // A line much longer than the grid mostly lies outside it; its bounding
    // box repaints a little more but keeps the loop short.
    if (steps > 4 * (int64_t(tiles.Columns) + tiles.Rows + 2)) {
        TRect r{x1, y1, x2, y2};
        InflateArea(r, width, width);
        MicroTilesAddRect(tiles, r, roundToWholeTiles);
        return;
    }

    // Minor coordinate in 16.16, stepped by minor * 32 / major per step.
    const int64_t minorStep = (minor * 65536 * MICROTILE_SIZE) / major;
    int64_t majorPos = xMajor ? x1 : y1;
    int64_t minorPos = int64_t(xMajor ? y1 : x1) * 65536;
    const int64_t majorEnd = xMajor ? x2 : y2;
    const int64_t minorEnd = int64_t(xMajor ? y2 : x2) * 65536;
    for (int64_t i = 0; i < steps; ++i) {
        const bool last = i == steps - 1;
        const int64_t nextMajor = last ? majorEnd : majorPos + majorDir * MICROTILE_SIZE;
        const int64_t nextMinor = last ? minorEnd : minorPos + minorStep;
        const int64_t majorLo = std::min(majorPos, nextMajor);
        const int64_t majorHi = std::max(majorPos, nextMajor);
        // The step's box is rounded outwards so the line stays inside it.
        const int64_t minorLo = FloorDiv(std::min(minorPos, nextMinor), 65536);
        const int64_t minorHi = -FloorDiv(-std::max(minorPos, nextMinor), 65536);
        TRect r =
            xMajor ? TRect{ClampToInt32(majorLo), ClampToInt32(minorLo), ClampToInt32(majorHi), ClampToInt32(minorHi)}
                   : TRect{ClampToInt32(minorLo), ClampToInt32(majorLo), ClampToInt32(minorHi), ClampToInt32(majorHi)};
        InflateArea(r, width, width);
        MicroTilesAddRect(tiles, r, roundToWholeTiles);
        majorPos = nextMajor;
        minorPos = nextMinor;
    }
}

void MicroTilesUnion(TMicroTiles& dst, const TMicroTiles& src, bool roundToWholeTiles)
{
    if (!src.HasTiles() || !dst.HasTiles())
        return;
    const TRect used = src.BoundsUsedTiles;
    for (int32_t row = used.Top; row <= used.Bottom; ++row) {
        for (int32_t column = used.Left; column <= used.Right; ++column) {
            const TMicroTile* s = TileAt(src, column, row);
            TMicroTile* d = TileAt(dst, column, row);
            if (s == nullptr || d == nullptr)
                continue;
            if (roundToWholeTiles) {
                if (*s != MICROTILE_EMPTY && MicroTileRight(*s) != MicroTileLeft(*s) &&
                    MicroTileBottom(*s) != MicroTileTop(*s))
                    *d = MICROTILE_FULL;
            } else {
                MicroTileUnion(*d, *s);
            }
        }
    }
    if (used.Left <= used.Right && used.Top <= used.Bottom)
        GrowUsed(dst, used.Left, used.Top, used.Right, used.Bottom);
}

int32_t MicroTilesCalcRects(const TMicroTiles& tiles, TRectList& dstRects)
{
    const TRect used = tiles.BoundsUsedTiles;
    if (!tiles.HasTiles() || used.Right < used.Left || used.Bottom < used.Top)
        return 0;

    const TRect bounds = tiles.BoundsRect;
    auto clampX = [&](int64_t x) { return int32_t(std::clamp<int64_t>(x, bounds.Left, bounds.Right)); };
    auto clampY = [&](int64_t y) { return int32_t(std::clamp<int64_t>(y, bounds.Top, bounds.Bottom)); };

    std::vector<TRect> rects;
    // Per column: the rectangle that started there in the previous row.
    const size_t span = size_t(used.Right - used.Left + 1);
    std::vector<int32_t> previousRow(span, -1);
    std::vector<int32_t> currentRow(span, -1);

    for (int32_t row = used.Top; row <= used.Bottom; ++row) {
        std::fill(currentRow.begin(), currentRow.end(), -1);
        const int64_t originY = int64_t(row) << MICROTILE_SHIFT;
        for (int32_t column = used.Left; column <= used.Right; ++column) {
            const TMicroTile* tile = TileAt(tiles, column, row);
            if (tile == nullptr || *tile == MICROTILE_EMPTY)
                continue;
            const int32_t startColumn = column;
            TMicroTile t = *tile;
            TRect r{clampX((int64_t(column) << MICROTILE_SHIFT) + MicroTileLeft(t)), clampY(originY + MicroTileTop(t)),
                clampX((int64_t(column) << MICROTILE_SHIFT) + MicroTileRight(t)), clampY(originY + MicroTileBottom(t))};
            while (MicroTileRight(t) == MICROTILE_SIZE && column < used.Right) {
                const TMicroTile* next = TileAt(tiles, column + 1, row);
                if (next == nullptr || MicroTileTop(*next) != MicroTileTop(t) ||
                    MicroTileBottom(*next) != MicroTileBottom(t) || MicroTileLeft(*next) != 0 ||
                    *next == MICROTILE_EMPTY)
                    break;
                ++column;
                t = *next;
                r.Right = clampX((int64_t(column) << MICROTILE_SHIFT) + MicroTileRight(t));
            }
            // Tiles reaching past the covered area leave nothing to repaint.
            if (r.Right <= r.Left || r.Bottom <= r.Top)
                continue;
            const size_t slot = size_t(startColumn - used.Left);
            const int32_t above = previousRow[slot];
            if (above >= 0 && rects[size_t(above)].Left == r.Left && rects[size_t(above)].Right == r.Right &&
                rects[size_t(above)].Bottom == r.Top) {
                rects[size_t(above)].Bottom = r.Bottom;
                currentRow[slot] = above;
            } else {
                rects.push_back(r);
                currentRow[slot] = int32_t(rects.size() - 1);
            }
        }
        std::swap(previousRow, currentRow);
    }

    for (const TRect& r : rects)
        dstRects.Add(r);
    return int32_t(rects.size());
}

TMicroTilesMap::~TMicroTilesMap()
{
    Clear();
}

TMicroTiles& TMicroTilesMap::Add(const void* item)
{
    bool isNew = false;
    void*& slot = TPointerMap::Add(item, isNew);
    if (isNew || slot == nullptr)
        slot = new TMicroTiles();
    return *static_cast<TMicroTiles*>(slot);
}

TMicroTiles* TMicroTilesMap::Find(const void* item) const
{
    if (!Contains(item))
        return nullptr;
    return static_cast<TMicroTiles*>(Data(item));
}

void TMicroTilesMap::Remove(const void* item)
{
    delete static_cast<TMicroTiles*>(TPointerMap::Remove(item));
}

void TMicroTilesMap::Clear()
{
    TPointerMapIterator it(*this);
    while (it.Next())
        delete static_cast<TMicroTiles*>(it.Data());
    TPointerMap::Clear();
}
