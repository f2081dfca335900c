#include "graphics/micro_tiles_optimizer.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

// The optimiser with its two clocks under the test's control.
class TScriptedOptimizer : public TMicroTilesRepaintOptimizer {
public:
    using TMicroTilesRepaintOptimizer::TMicroTilesRepaintOptimizer;
    uint32_t Now = 0;
    std::deque<int64_t> PaintTimes;

protected:
    uint32_t TickCount() const override { return Now; }
    int64_t ElapsedPaintTime() override
    {
        const int64_t t = PaintTimes.empty() ? 0 : PaintTimes.front();
        if (!PaintTimes.empty())
            PaintTimes.pop_front();
        return t;
    }
};

struct TFixture {
    TBitmap32 Buffer;
    TRectList Rects;
    TLayerCollection Layers;
    TScriptedOptimizer Optimizer{Buffer, Rects};

    TFixture()
    {
        Buffer.SetSize(640, 480);
        Optimizer.RegisterLayerCollection(&Layers);
    }

    TBitmapLayer* AddLayer(const TFloatRect& location)
    {
        auto* layer = Layers.Add<TBitmapLayer>();
        layer->Bitmap().SetSize(int32_t(location.Right - location.Left), int32_t(location.Bottom - location.Top));
        layer->SetLocation(location);
        return layer;
    }

    // What the next optimised repaint covers.
    // They stay in Rects, as the paint box holds them while it paints.
    std::vector<TRect> Optimize()
    {
        Rects.Clear();
        std::vector<TRect> out;
        if (!Optimizer.UpdatesAvailable())
            return out;
        Optimizer.PerformOptimization();
        for (int32_t i = 0; i < Rects.Count(); ++i)
            out.push_back(*Rects.Items(i));
        return out;
    }

    // One buffer paint of the rectangles last optimised (none: a full
    // repaint) as the paint box runs it, taking `micros`.
    void PaintBuffer(int64_t micros)
    {
        Optimizer.PaintTimes.push_back(micros);
        Optimizer.BeginPaintBuffer();
        Optimizer.EndPaintBuffer();
        Rects.Clear();
    }
};

bool Covers(const std::vector<TRect>& rects, const TRect& area)
{
    for (int32_t y = area.Top; y < area.Bottom; ++y)
        for (int32_t x = area.Left; x < area.Right; ++x) {
            bool inside = false;
            for (const TRect& r : rects)
                inside |= x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            if (!inside)
                return false;
        }
    return true;
}

} // namespace

TEST(TMicroTilesRepaintOptimizer, DisabledResetIsSafeWhateverCameBefore)
{
    TFixture f;
    f.AddLayer(FloatRect(10, 10, 50, 50));
    // Never enabled: nothing sized the working tiles yet.
    f.Optimizer.Reset();
    EXPECT_TRUE(f.Optimizer.ForcedInvalidTiles().HasTiles());
    // Enabled and disabled again: the tile sets were freed.
    f.Optimizer.SetEnabled(true);
    f.Optimizer.SetEnabled(false);
    EXPECT_FALSE(f.Optimizer.ForcedInvalidTiles().HasTiles());
    f.Optimizer.Reset();
    const TMicroTiles& forced = f.Optimizer.ForcedInvalidTiles();
    ASSERT_TRUE(forced.HasTiles());
    EXPECT_EQ(forced.At(0, 0), MICROTILE_FULL);
    EXPECT_EQ(forced.BoundsUsedTiles, (TRect{0, 0, forced.Columns - 1, forced.Rows - 1}));
}

TEST(TMicroTilesRepaintOptimizer, FollowsLayersWhileDisabled)
{
    TFixture f;
    auto* layer = f.AddLayer(FloatRect(10, 10, 50, 50));
    ASSERT_NE(f.Optimizer.LayerTiles(layer), nullptr);

    layer->SetInvalid(true);
    f.Optimizer.Reset();
    EXPECT_FALSE(layer->Invalid());
    const TMicroTiles* tiles = f.Optimizer.LayerTiles(layer);
    ASSERT_NE(tiles, nullptr);
    // Disabled, the optimiser never learnt the buffer size: one tile.
    EXPECT_EQ(tiles->Columns, 1);
    EXPECT_NE(tiles->At(0, 0), MICROTILE_EMPTY);

    delete layer;
    EXPECT_EQ(f.Optimizer.LayerTiles(layer), nullptr);
}

TEST(TMicroTilesRepaintOptimizer, ResetMakesTheNextRepaintCoverEverything)
{
    TFixture f;
    f.Optimizer.SetEnabled(true);
    EXPECT_TRUE(Covers(f.Optimize(), TRect{0, 0, 640, 480}));
    EXPECT_TRUE(f.Optimize().empty());
}

TEST(TMicroTilesRepaintOptimizer, MovedLayerRepaintsWhereItWasAndWhereItIs)
{
    TFixture f;
    auto* layer = f.AddLayer(FloatRect(100, 100, 140, 120));
    f.Optimizer.SetEnabled(true);
    f.Optimize();
    f.PaintBuffer(0);

    layer->SetLocation(FloatRect(300, 200, 340, 220));
    EXPECT_TRUE(layer->Invalid());
    const std::vector<TRect> rects = f.Optimize();
    EXPECT_FALSE(layer->Invalid());
    EXPECT_EQ(f.Optimizer.InvalidLayerCount(), 0);
    EXPECT_TRUE(Covers(rects, TRect{100, 100, 140, 120}));
    EXPECT_TRUE(Covers(rects, TRect{300, 200, 340, 220}));
    EXPECT_FALSE(Covers(rects, TRect{200, 150, 201, 151}));
    f.PaintBuffer(0);
    EXPECT_TRUE(f.Optimize().empty());
}

TEST(TMicroTilesRepaintOptimizer, HiddenAndFreedLayersRepaintTheirLastPlace)
{
    TFixture f;
    auto* a = f.AddLayer(FloatRect(0, 0, 20, 20));
    auto* b = f.AddLayer(FloatRect(400, 400, 420, 420));
    f.Optimizer.SetEnabled(true);
    f.Optimize();
    f.PaintBuffer(0);

    a->SetVisible(false);
    EXPECT_TRUE(Covers(f.Optimize(), TRect{0, 0, 20, 20}));
    f.PaintBuffer(0);

    delete b;
    EXPECT_TRUE(Covers(f.Optimize(), TRect{400, 400, 420, 420}));
    f.PaintBuffer(0);

    f.Layers.Clear();
    EXPECT_TRUE(Covers(f.Optimize(), TRect{0, 0, 20, 20}));
}

TEST(TMicroTilesRepaintOptimizer, BitmapDrawingInALayerRepaintsTheDrawnArea)
{
    TFixture f;
    auto* layer = f.AddLayer(FloatRect(64, 64, 164, 164));
    f.Optimizer.SetEnabled(true);
    f.Optimize();
    f.PaintBuffer(0);

    layer->Bitmap().FillRect(10, 10, 12, 12, 0xFFFFFFFF);
    const std::vector<TRect> rects = f.Optimize();
    EXPECT_TRUE(Covers(rects, TRect{74, 74, 76, 76}));
}

TEST(TMicroTilesRepaintOptimizer, AdaptiveModeCoarsensWhenSlowAndRecoversOnTime)
{
    TFixture f;
    f.Optimizer.SetEnabled(true);
    f.Optimize();
    f.Rects.Clear();
    f.PaintBuffer(100); // a full repaint: 100 us
    ASSERT_EQ(f.Optimizer.PerformanceLevel(), 0);

    f.Optimizer.AreaUpdated(nullptr, TRect{5, 5, 10, 10}, AREAINFO_RECT);
    EXPECT_EQ(f.Optimize(), (std::vector<TRect>{{5, 5, 10, 10}}));
    f.PaintBuffer(200); // slower than a full repaint
    EXPECT_EQ(f.Optimizer.PerformanceLevel(), 1);

    // Level 1 rounds to whole tiles.
    f.Optimizer.AreaUpdated(nullptr, TRect{5, 5, 10, 10}, AREAINFO_RECT);
    EXPECT_EQ(f.Optimize(), (std::vector<TRect>{{0, 0, 32, 32}}));
    f.PaintBuffer(200);
    EXPECT_EQ(f.Optimizer.PerformanceLevel(), 2);

    // Level 2 gives up: no rectangles, so the paint box repaints it all.
    f.Optimizer.AreaUpdated(nullptr, TRect{5, 5, 10, 10}, AREAINFO_RECT);
    EXPECT_TRUE(f.Optimize().empty());
    f.PaintBuffer(50);

    // Once the check time has passed the level drops again.
    f.Optimizer.Now = 10000;
    f.Optimizer.AreaUpdated(nullptr, TRect{5, 5, 10, 10}, AREAINFO_RECT);
    EXPECT_EQ(f.Optimize().size(), 1u);
    EXPECT_EQ(f.Optimizer.PerformanceLevel(), 1);

    // Switching adaptive mode off and on starts over at level 0.
    f.Optimizer.SetAdaptiveMode(false);
    EXPECT_EQ(f.Optimizer.PerformanceLevel(), 0);
}

TEST(TMicroTilesRepaintOptimizer, UnregisteringLetsGoOfTheCollection)
{
    TFixture f;
    f.Optimizer.SetEnabled(true);
    auto* layer = f.AddLayer(FloatRect(0, 0, 10, 10));
    f.Optimize();
    f.PaintBuffer(0);
    layer->SetLocation(FloatRect(5, 5, 15, 15));
    EXPECT_TRUE(layer->Invalid());
    f.Optimizer.UnregisterLayerCollection(&f.Layers);
    EXPECT_FALSE(layer->Invalid());
    EXPECT_FALSE(f.Layers.OnListNotify);
    EXPECT_FALSE(f.Layers.OnLayerUpdated);
    EXPECT_FALSE(f.Layers.OnAreaUpdated);
    EXPECT_EQ(f.Optimizer.LayerCollections().size(), 0u);
}
