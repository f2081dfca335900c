#include "graphics/micro_tiles.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/repaint_optimizer.h"

namespace {

TMicroTiles Grid(int32_t width, int32_t height)
{
    TMicroTiles tiles;
    MicroTilesCreate(tiles);
    MicroTilesSetSize(tiles, TRect{0, 0, width, height});
    return tiles;
}

std::vector<TRect> Rects(const TMicroTiles& tiles)
{
    TRectList list;
    const int32_t n = MicroTilesCalcRects(tiles, list);
    EXPECT_EQ(n, list.Count());
    std::vector<TRect> out;
    for (int32_t i = 0; i < list.Count(); ++i)
        out.push_back(*list.Items(i));
    return out;
}

} // namespace

TEST(MicroTiles, SizeGivesTilesWithASpareRowAndColumn)
{
    struct TCase {
        TRect Bounds;
        int32_t Columns, Rows, Count;
    };
    for (const TCase c : {TCase{{0, 0, 640, 480}, 21, 16, 374}, TCase{{0, 0, 0, 0}, 1, 1, 4},
             TCase{{0, 0, 31, 32}, 1, 2, 6}, TCase{{10, 10, 0, 0}, 1, 1, 4}}) {
        TMicroTiles t = Grid(0, 0);
        MicroTilesSetSize(t, c.Bounds);
        EXPECT_EQ(t.Columns, c.Columns);
        EXPECT_EQ(t.Rows, c.Rows);
        EXPECT_EQ(t.Count, c.Count);
        EXPECT_EQ(int32_t(t.Tiles.size()), c.Count);
        EXPECT_EQ(t.BoundsUsedTiles, (TRect{c.Columns, c.Rows, 0, 0}));
    }
}

TEST(MicroTiles, UnionOfTwoTiles)
{
    struct TCase {
        TMicroTile Dst, Src, Expected;
    };
    const TMicroTile a = MakeMicroTile(5, 5, 10, 10);
    for (const TCase c : {
             TCase{MICROTILE_EMPTY, a, a},
             TCase{a, MakeMicroTile(20, 1, 30, 8), MakeMicroTile(5, 1, 30, 10)},
             TCase{a, MICROTILE_EMPTY, a},
             TCase{a, MakeMicroTile(7, 7, 7, 9), a}, // zero width is ignored
             TCase{a, MakeMicroTile(1, 3, 9, 3), a}, // zero height too
             TCase{MICROTILE_FULL, a, MICROTILE_FULL},
             TCase{a, MICROTILE_FULL, MICROTILE_FULL},
         }) {
        TMicroTile d = c.Dst;
        MicroTileUnion(d, c.Src);
        EXPECT_EQ(d, c.Expected) << std::hex << c.Dst << " + " << c.Src;
    }
}

TEST(MicroTiles, RectangleOnTileBordersFillsWholeTilesOnly)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddRect(t, TRect{0, 0, 64, 64});
    for (int row = 0; row <= 2; ++row)
        for (int col = 0; col <= 2; ++col)
            EXPECT_EQ(t.At(col, row), col < 2 && row < 2 ? MICROTILE_FULL : MICROTILE_EMPTY) << col << "," << row;
    EXPECT_EQ(t.BoundsUsedTiles, (TRect{0, 0, 2, 2}));
}

TEST(MicroTiles, RectanglesInsideOneTileGrowItsBox)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddRect(t, TRect{5, 5, 10, 10});
    EXPECT_EQ(t.At(0, 0), MakeMicroTile(5, 5, 10, 10));
    MicroTilesAddRect(t, TRect{30, 8, 20, 1}); // given inverted
    EXPECT_EQ(t.At(0, 0), MakeMicroTile(5, 1, 30, 10));
    EXPECT_EQ(t.BoundsUsedTiles, (TRect{0, 0, 0, 0}));
}

TEST(MicroTiles, RectangleAcrossTilesSplitsIntoPieces)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddRect(t, TRect{20, 10, 100, 40});
    EXPECT_EQ(t.At(0, 0), MakeMicroTile(20, 10, 32, 32));
    EXPECT_EQ(t.At(1, 0), MakeMicroTile(0, 10, 32, 32));
    EXPECT_EQ(t.At(3, 0), MakeMicroTile(0, 10, 4, 32));
    EXPECT_EQ(t.At(0, 1), MakeMicroTile(20, 0, 32, 8));
    EXPECT_EQ(t.At(3, 1), MakeMicroTile(0, 0, 4, 8));
    EXPECT_EQ(t.BoundsUsedTiles, (TRect{0, 0, 3, 1}));
}

TEST(MicroTiles, RectanglesOutsideTheGridAreDroppedAndOthersCut)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddRect(t, TRect{-50, -50, -10, -10});
    EXPECT_EQ(t.BoundsUsedTiles, (TRect{21, 16, 0, 0}));
    MicroTilesAddRect(t, TRect{-50, -50, 10, 10});
    EXPECT_EQ(t.At(0, 0), MakeMicroTile(0, 0, 10, 10));
    // Far past the right and bottom: cut to the grid, memory stays in bounds.
    MicroTilesAddRect(t, TRect{600, 460, 100000, 100000});
    MicroTilesAddRect(t, TRect{600, 460, 100000, 100000}, true);
    EXPECT_EQ(Rects(t).back(), (TRect{576, 448, 640, 480}));

    TMicroTiles none;
    MicroTilesCreate(none);
    MicroTilesAddRect(none, TRect{0, 0, 10, 10}); // no tiles: nothing happens
    EXPECT_FALSE(none.HasTiles());
}

TEST(MicroTiles, RoundingMakesEveryTouchedTileFull)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddRect(t, TRect{40, 40, 41, 41}, true);
    EXPECT_EQ(t.At(1, 1), MICROTILE_FULL);
    EXPECT_EQ(t.At(0, 0), MICROTILE_EMPTY);
}

TEST(MicroTiles, ClearUsedResetsOnlyTheUsedRange)
{
    TMicroTiles t = Grid(640, 480);
    t.At(10, 10) = MICROTILE_FULL; // written behind the bookkeeping's back
    MicroTilesAddRect(t, TRect{0, 0, 40, 40});
    MicroTilesClearUsed(t);
    EXPECT_EQ(t.At(0, 0), MICROTILE_EMPTY);
    EXPECT_EQ(t.At(1, 1), MICROTILE_EMPTY);
    EXPECT_EQ(t.At(10, 10), MICROTILE_FULL);
    EXPECT_EQ(t.BoundsUsedTiles, (TRect{21, 16, 0, 0}));
    MicroTilesClear(t);
    EXPECT_EQ(t.At(10, 10), MICROTILE_EMPTY);
}

TEST(MicroTiles, UnionAndCopyOfTileSets)
{
    TMicroTiles a = Grid(640, 480);
    TMicroTiles b = Grid(640, 480);
    MicroTilesAddRect(a, TRect{5, 5, 10, 10});
    MicroTilesAddRect(b, TRect{20, 1, 30, 8});
    MicroTilesAddRect(b, TRect{300, 300, 301, 301});
    MicroTilesUnion(a, b);
    EXPECT_EQ(a.At(0, 0), MakeMicroTile(5, 1, 30, 10));
    EXPECT_EQ(a.At(9, 9), MakeMicroTile(12, 12, 13, 13));
    EXPECT_EQ(a.BoundsUsedTiles, (TRect{0, 0, 9, 9}));

    TMicroTiles rounded = Grid(640, 480);
    MicroTilesUnion(rounded, b, true);
    EXPECT_EQ(rounded.At(0, 0), MICROTILE_FULL);
    EXPECT_EQ(rounded.At(9, 9), MICROTILE_FULL);

    TMicroTiles copy = Grid(64, 64);
    MicroTilesAddRect(copy, TRect{0, 0, 64, 64});
    MicroTilesCopy(copy, b);
    EXPECT_EQ(copy.Columns, 21);
    EXPECT_EQ(copy.At(0, 0), MakeMicroTile(20, 1, 30, 8));
    EXPECT_EQ(copy.At(1, 1), MICROTILE_EMPTY);
    EXPECT_EQ(Rects(copy), Rects(b));

    // Tiles of another grid never write outside the smaller one.
    TMicroTiles small = Grid(32, 32);
    MicroTilesUnion(small, b);
    EXPECT_EQ(small.At(0, 0), MakeMicroTile(20, 1, 30, 8));
}

TEST(MicroTiles, CalcRectsMergesRunsAlongRowsAndDownColumns)
{
    struct TCase {
        std::vector<TRect> Added;
        std::vector<TRect> Expected;
    };
    const std::vector<TCase> cases = {
        {{{0, 0, 64, 64}}, {{0, 0, 64, 64}}},
        {{{10, 10, 20, 40}}, {{10, 10, 20, 40}}},
        {{{0, 5, 100, 20}}, {{0, 5, 100, 20}}},
        {{{20, 10, 100, 40}}, {{20, 10, 100, 40}}},
        {{{20, 10, 100, 20}, {40, 20, 100, 40}}, {{20, 10, 32, 20}, {32, 10, 100, 32}, {40, 32, 100, 40}}},
        {{{1, 1, 2, 2}, {40, 1, 41, 2}}, {{1, 1, 2, 2}, {40, 1, 41, 2}}},
        {{{0, 0, 630, 470}}, {{0, 0, 630, 470}}},
    };
    for (const TCase& c : cases) {
        TMicroTiles t = Grid(640, 480);
        for (const TRect& r : c.Added)
            MicroTilesAddRect(t, r);
        EXPECT_EQ(Rects(t), c.Expected);
    }
    TMicroTiles empty = Grid(640, 480);
    EXPECT_TRUE(Rects(empty).empty());
}

TEST(MicroTiles, CalcRectsKeepsInsideTheBounds)
{
    TMicroTiles t = Grid(50, 50);
    MicroTilesAddRect(t, TRect{40, 40, 200, 200});
    EXPECT_EQ(Rects(t), (std::vector<TRect>{{40, 40, 50, 50}}));
}

TEST(MicroTiles, LinesCoverTheirPathGrownByTwiceTheWidth)
{
    TMicroTiles t = Grid(640, 480);
    MicroTilesAddLine(t, 100, 50, 200, 50, 1);
    EXPECT_EQ(Rects(t), (std::vector<TRect>{{98, 48, 202, 52}}));

    // A diagonal marks tiles along its way, not its whole bounding box.
    TMicroTiles d = Grid(640, 480);
    MicroTilesAddLine(d, 0, 0, 320, 320, 0);
    EXPECT_NE(d.At(0, 0), MICROTILE_EMPTY);
    EXPECT_NE(d.At(9, 9), MICROTILE_EMPTY);
    EXPECT_EQ(d.At(9, 0), MICROTILE_EMPTY);
    EXPECT_EQ(d.At(0, 9), MICROTILE_EMPTY);

    // An absurd line ends at once and still covers the grid it crosses.
    TMicroTiles far = Grid(640, 480);
    MicroTilesAddLine(far, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1);
    EXPECT_EQ(Rects(far), (std::vector<TRect>{{0, 0, 640, 480}}));
}

TEST(InflateArea, GrowsPlainAndInvertedRectanglesOutwards)
{
    struct TCase {
        TRect In;
        int32_t Dx, Dy;
        TRect Out;
    };
    for (const TCase c : {TCase{{10, 10, 20, 20}, 2, 3, {8, 7, 22, 23}}, TCase{{20, 20, 10, 10}, 2, 3, {22, 23, 8, 7}},
             TCase{{20, 10, 10, 20}, 1, 1, {21, 9, 9, 21}}, TCase{{5, 5, 5, 5}, 1, 0, {4, 5, 6, 5}}}) {
        TRect r = c.In;
        InflateArea(r, c.Dx, c.Dy);
        EXPECT_EQ(r, c.Out);
    }
}

TEST(TMicroTilesMap, OwnsOneTileSetPerKey)
{
    TMicroTilesMap map;
    int keys[3] = {};
    MicroTilesSetSize(map.Add(&keys[0]), TRect{0, 0, 64, 64});
    map.Add(&keys[1]);
    EXPECT_EQ(map.Count(), 2);
    EXPECT_EQ(map.Add(&keys[0]).Columns, 3); // the same set again
    EXPECT_EQ(map.Find(&keys[2]), nullptr);
    map.Remove(&keys[0]);
    map.Remove(&keys[2]);
    EXPECT_EQ(map.Count(), 1);
    map.Clear();
    EXPECT_EQ(map.Count(), 0);
}
