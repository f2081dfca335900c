#include "graphics/image32.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/blend.h"
#include "graphics/micro_tiles_optimizer.h"

namespace {

constexpr TColor32 Red = 0xFFFF0000;
constexpr TColor32 Blue = 0xFF0000FF;

// An image whose background colour is a plain green.
struct TImageFixture {
    TImage32 Image;
    TColor32 Background;

    TImageFixture(int32_t width, int32_t height)
    {
        Image.SetColor(RGB(0, 200, 0));
        Background = Color32FromWinColor(Image.Color());
        Image.SetBounds(0, 0, width, height);
    }

    TBitmapLayer* AddLayer(const TFloatRect& location, int32_t w, int32_t h, TColor32 fill, TDrawMode mode = dmOpaque)
    {
        auto* layer = Image.Layers().Add<TBitmapLayer>();
        layer->Bitmap().SetSize(w, h);
        layer->Bitmap().Clear(fill);
        layer->Bitmap().SetDrawMode(mode);
        layer->SetLocation(location);
        return layer;
    }

    TColor32 At(int32_t x, int32_t y) { return Image.Buffer().Pixel(x, y); }

    std::vector<TColor32> Viewport()
    {
        std::vector<TColor32> out;
        for (int32_t y = 0; y < Image.Height(); ++y)
            for (int32_t x = 0; x < Image.Width(); ++x)
                out.push_back(At(x, y));
        return out;
    }
};

} // namespace

TEST(TCustomPaintBox32, BufferKeepsSlackAndShrinksOnlyWhenFarTooLarge)
{
    struct TStep {
        int32_t Width, Height, BufferWidth, BufferHeight;
    };
    TImage32 image;
    for (const TStep s : {TStep{200, 100, 240, 140}, TStep{220, 100, 240, 140}, TStep{240, 140, 240, 140},
             TStep{241, 100, 281, 140}, TStep{150, 50, 150, 50}, TStep{0, 0, 1, 1}}) {
        image.SetBounds(0, 0, s.Width, s.Height);
        EXPECT_EQ(image.Buffer().Width(), s.BufferWidth) << s.Width << "x" << s.Height;
        EXPECT_EQ(image.Buffer().Height(), s.BufferHeight) << s.Width << "x" << s.Height;
        EXPECT_FALSE(image.BufferValid());
    }
}

TEST(TCustomPaintBox32, ANeverResizedControlGetsItsBufferAtTheFirstPaint)
{
    TImage32 image;
    EXPECT_EQ(image.Width(), 192);
    EXPECT_TRUE(image.Buffer().Empty());
    image.Paint();
    EXPECT_EQ(image.Buffer().Width(), 232);
    EXPECT_TRUE(image.BufferValid());
}

TEST(TImage32, ComposesBackdropThenLayersInOrder)
{
    TImageFixture f(4, 2);
    f.Image.Bitmap().SetSize(4, 2);
    f.Image.Bitmap().Clear(Red);
    f.AddLayer(FloatRect(0, 0, 2, 2), 2, 2, SetAlpha(Blue, 128), dmBlend);
    f.AddLayer(FloatRect(1, 0, 2, 1), 1, 1, 0xFF00FF00);
    f.Image.Paint();
    EXPECT_EQ(f.At(0, 0), BlendPixel(SetAlpha(Blue, 128), Red));
    EXPECT_EQ(f.At(1, 0), 0xFF00FF00u);
    EXPECT_EQ(f.At(1, 1), BlendPixel(SetAlpha(Blue, 128), Red));
    EXPECT_EQ(f.At(3, 1), Red);
}

TEST(TImage32, EmptyBackdropLeavesTheBackgroundColourUnderTheLayers)
{
    TImageFixture f(20, 10);
    f.AddLayer(FloatRect(5, 5, 10, 10), 5, 5, Blue);
    f.Image.Paint();
    EXPECT_EQ(f.At(0, 0), f.Background);
    EXPECT_EQ(f.At(19, 9), f.Background);
    EXPECT_EQ(f.At(6, 6), Blue);
}

TEST(TImage32, BackgroundShowsAroundASmallOpaqueBackdropAndUnderATranslucentOne)
{
    TImageFixture f(20, 10);
    f.Image.Bitmap().SetSize(4, 4);
    f.Image.Bitmap().Clear(Red);
    f.Image.SetBitmapAlign(baCenter);
    f.Image.Paint();
    EXPECT_EQ(f.Image.CachedBitmapRect(), (TRect{8, 3, 12, 7}));
    EXPECT_EQ(f.At(0, 0), f.Background);
    EXPECT_EQ(f.At(8, 3), Red);
    EXPECT_EQ(f.At(12, 5), f.Background);

    f.Image.Bitmap().Clear(SetAlpha(Red, 0));
    f.Image.Bitmap().SetDrawMode(dmBlend);
    f.Image.Paint();
    EXPECT_EQ(f.At(9, 4), f.Background);
}

TEST(TImage32, HidingALayerRemovesItAtTheNextPaint)
{
    TImageFixture f(10, 10);
    auto* layer = f.AddLayer(FloatRect(0, 0, 10, 10), 10, 10, Blue);
    f.Image.Paint();
    EXPECT_EQ(f.At(5, 5), Blue);
    layer->SetVisible(false);
    EXPECT_FALSE(f.Image.BufferValid());
    f.Image.Paint();
    EXPECT_EQ(f.At(5, 5), f.Background);
}

TEST(TImage32, PaintRecomposesOnlyAfterAnInvalidate)
{
    TImageFixture f(10, 10);
    int composed = 0;
    f.Image.PaintStages().Add().Stage = PST_CUSTOM;
    f.Image.OnPaintStage = [&](TObject*, TBitmap32&, uint32_t) { ++composed; };
    f.Image.Paint();
    f.Image.Paint();
    EXPECT_EQ(composed, 1);
    f.Image.Invalidate();
    f.Image.Invalidate();
    f.Image.Paint();
    EXPECT_EQ(composed, 2);
}

TEST(TImage32, BackdropAtScaleRoundsItsSizeTiesToEven)
{
    struct TCase {
        int32_t Width;
        float Scale;
        int32_t Shown;
    };
    for (const TCase c :
        {TCase{5, 1.5f, 8}, TCase{3, 1.5f, 4}, TCase{7, 1.5f, 10}, TCase{230, 2.0f, 460}, TCase{230, 1.0f, 230}}) {
        TImage32 image;
        image.SetScaleMode(smScale);
        image.SetScale(c.Scale);
        image.Bitmap().SetSize(c.Width, 1);
        EXPECT_EQ(image.GetBitmapRect(), (TRect{0, 0, c.Shown, int32_t(RoundEven(c.Scale))}))
            << c.Width << " x " << c.Scale;
    }
}

TEST(TImage32, CentredPictureLayerPlacedNearestAtEachScale)
{
    // The game screen's picture: 230 pixels wide, centred on a 640 screen.
    struct TCase {
        float Scale;
        int32_t First, Last;
    };
    for (const TCase c : {TCase{1.0f, 205, 434}, TCase{1.5f, 148, 491}, TCase{2.0f, 90, 549}}) {
        TImageFixture f(640, 4);
        auto* picture = f.Image.Layers().Add<TBitmapLayer>();
        picture->Bitmap().SetSize(230, 1);
        for (int32_t x = 0; x < 230; ++x)
            picture->Bitmap().SetPixel(x, 0, 0xFF000000 | TColor32(x));
        const float w = 230 * c.Scale;
        const float x = (640 - w) / 2;
        picture->SetLocation(FloatRect(x, 0, x + w, 1));
        f.Image.Paint();
        EXPECT_EQ(f.At(c.First - 1, 0), f.Background) << c.Scale;
        EXPECT_EQ(f.At(c.First, 0), 0xFF000000u) << c.Scale;
        EXPECT_EQ(f.At(c.Last, 0), 0xFF0000E5u) << c.Scale; // source column 229
        EXPECT_EQ(f.At(c.Last + 1, 0), f.Background) << c.Scale;
        if (c.Scale == 2.0f) {
            EXPECT_EQ(f.At(c.First + 21, 0), 0xFF00000Au);
            EXPECT_EQ(f.At(c.First + 22, 0), 0xFF00000Bu);
        }
    }
}

TEST(TImage32, ScaleBelowTheMinimumBecomesTheMinimumAndRepeatsAreSilent)
{
    TImage32 image;
    int scaleChanges = 0;
    int changes = 0;
    image.OnScaleChange = [&](TObject*) { ++scaleChanges; };
    image.OnChange = [&](TObject*) { ++changes; };
    image.SetScale(0);
    EXPECT_FLOAT_EQ(image.Scale(), 0.001f);
    EXPECT_FLOAT_EQ(image.ScaleY(), 0.001f);
    image.SetScale(-3);
    image.SetScale(0.001f);
    EXPECT_EQ(scaleChanges, 1);
    EXPECT_EQ(changes, 1);
    image.SetScale(2);
    EXPECT_EQ(scaleChanges, 2);
}

TEST(TImage32, UpdatesHoldBackChangeReports)
{
    TImage32 image;
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    image.BeginUpdate();
    image.SetBitmapAlign(baCenter);
    EXPECT_EQ(changes, 0);
    image.EndUpdate();
    image.Changed();
    EXPECT_EQ(changes, 1);
    EXPECT_THROW(image.EndUpdate(), EAssertionFailed);
}

TEST(TImage32, MouseEventsNameTheLayerUnderTheMouse)
{
    TImageFixture f(100, 100);
    auto* bottom = f.AddLayer(FloatRect(0, 0, 50, 50), 1, 1, Red);
    auto* top = f.AddLayer(FloatRect(20, 20, 40, 40), 1, 1, Blue);
    struct TSeen {
        TMouseButton Button;
        TShiftState Shift;
        int32_t X, Y;
        TCustomLayer* Layer;
    };
    std::vector<TSeen> downs, ups, moves;
    f.Image.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
        downs.push_back({b, s, x, y, l});
    };
    f.Image.OnMouseMove = [&](TObject*, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
        moves.push_back({mbLeft, s, x, y, l});
    };
    f.Image.OnMouseUp = [&](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
        ups.push_back({b, s, x, y, l});
    };

    f.Image.SurfaceMouseMove(0, 10, 10);
    f.Image.SurfaceMouseDown(mbRight, ssShift | ssRight, 25, 30);
    EXPECT_TRUE(f.Image.MouseCapture());
    f.Image.SurfaceMouseMove(ssRight, 90, 90); // captured by the layer
    f.Image.SurfaceMouseUp(mbRight, ssShift, 90, 90);
    EXPECT_FALSE(f.Image.MouseCapture());
    f.Image.SurfaceMouseMove(0, 90, 90);

    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].Button, mbRight);
    EXPECT_EQ(downs[0].Shift, ssShift | ssRight);
    EXPECT_EQ(downs[0].X, 25);
    EXPECT_EQ(downs[0].Y, 30);
    EXPECT_EQ(downs[0].Layer, top);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].Layer, bottom);
    EXPECT_EQ(moves[1].Layer, top);
    EXPECT_EQ(moves[2].Layer, nullptr);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].Layer, top);
    EXPECT_EQ(ups[0].Shift, ssShift);

    f.Image.Layers().SetMouseEvents(false);
    f.Image.SurfaceMouseDown(mbLeft, ssLeft, 25, 25);
    EXPECT_EQ(downs.back().Layer, nullptr);
    EXPECT_TRUE(f.Image.MouseCapture()); // the left button always captures
}

TEST(TImage32, BackdropChangesResetTheOptimiserWhichMeasuresEveryLayer)
{
    TImageFixture f(100, 100);
    auto* layer = f.AddLayer(FloatRect(10, 10, 30, 30), 20, 20, Blue);
    auto& optimizer = dynamic_cast<TMicroTilesRepaintOptimizer&>(f.Image.RepaintOptimizer());
    EXPECT_FALSE(optimizer.GetEnabled());
    ASSERT_NE(optimizer.LayerTiles(layer), nullptr);
    layer->SetInvalid(true);
    f.Image.Bitmap().SetSize(100, 100);
    EXPECT_FALSE(layer->Invalid());
    EXPECT_NE(optimizer.LayerTiles(layer)->At(0, 0), MICROTILE_EMPTY);
    // And what is shown is a full repaint's.
    f.Image.Paint();
    EXPECT_EQ(f.At(15, 15), Blue);
    EXPECT_EQ(f.At(5, 5), 0u); // the new backdrop is transparent black, drawn opaque
}

TEST(TImage32, OptimisedRepaintsShowWhatAFullRepaintShows)
{
    TImageFixture f(200, 150);
    f.Image.SetRepaintMode(rmOptimizer);
    f.Image.Bitmap().SetSize(200, 150);
    f.Image.Bitmap().Clear(0xFF404040);
    auto* a = f.AddLayer(FloatRect(10, 10, 60, 40), 50, 30, SetAlpha(Red, 100), dmBlend);
    auto* b = f.AddLayer(FloatRect(100, 80, 150, 120), 25, 20, Blue);
    auto* c = f.AddLayer(FloatRect(30, 100, 50, 120), 20, 20, 0xFF00FF00);
    std::vector<TRect> clips;
    f.Image.PaintStages().Add().Stage = PST_CUSTOM;
    f.Image.OnPaintStage = [&](TObject*, TBitmap32& buffer, uint32_t) { clips.push_back(buffer.ClipRect()); };
    f.Image.Paint();

    clips.clear();
    a->SetLocation(FloatRect(120, 20, 170, 50));
    b->Bitmap().FillRect(0, 0, 5, 5, 0xFFFFFF00);
    c->SetVisible(false);
    f.Image.Bitmap().FillRect(190, 140, 200, 150, 0xFF808080);
    f.Image.Paint();
    ASSERT_FALSE(clips.empty());
    for (const TRect& clip : clips)
        EXPECT_NE(clip, f.Image.GetViewportRect()) << "a partial repaint was expected";
    const std::vector<TColor32> partial = f.Viewport();

    f.Image.Invalidate();
    f.Image.Paint();
    EXPECT_EQ(partial, f.Viewport());
}

TEST(TImage32, CroppedLayerStaysInsideTheBackdrop)
{
    TImageFixture f(20, 20);
    f.Image.Bitmap().SetSize(10, 10);
    f.Image.Bitmap().Clear(Red);
    auto* layer = f.AddLayer(FloatRect(5, 5, 15, 15), 10, 10, Blue);
    layer->SetCropped(true);
    f.Image.Paint();
    EXPECT_EQ(f.At(9, 9), Blue);
    EXPECT_EQ(f.At(12, 12), f.Background);
}

TEST(TImage32, ScaledLayersFollowTheBackdropRectangle)
{
    TImageFixture f(300, 300);
    f.Image.SetScaleMode(smScale);
    f.Image.SetScale(2);
    f.Image.SetBitmapAlign(baCustom);
    f.Image.SetOffsetHorz(7);
    f.Image.SetOffsetVert(3);
    f.Image.Bitmap().SetSize(100, 100);
    auto* layer = f.AddLayer(FloatRect(10, 10, 20, 20), 1, 1, Blue);
    layer->SetScaled(true);
    EXPECT_EQ(layer->Location(), FloatRect(27, 23, 47, 43));
}

TEST(TImage32, BitmapRectangleFollowsAlignmentAndScaleMode)
{
    struct TCase {
        TScaleMode Mode;
        TBitmapAlign Align;
        TRect Expected;
    };
    for (const TCase c : {TCase{smNormal, baTopLeft, {0, 0, 40, 20}}, TCase{smNormal, baCenter, {30, 40, 70, 60}},
             TCase{smStretch, baCenter, {0, 0, 100, 100}}, TCase{smScale, baCenter, {10, 30, 90, 70}},
             TCase{smOptimal, baTopLeft, {0, 0, 40, 20}}, TCase{smOptimalScaled, baTopLeft, {0, 0, 200, 100}},
             TCase{smNormal, baTile, {0, 0, 40, 20}}}) {
        TImage32 image;
        image.SetBounds(0, 0, 100, 100);
        image.Bitmap().SetSize(40, 20);
        image.SetScale(2);
        image.SetScaleMode(c.Mode);
        image.SetBitmapAlign(c.Align);
        EXPECT_EQ(image.GetBitmapRect(), c.Expected) << c.Mode << " " << c.Align;
    }
}

TEST(TImage32, TiledBackdropRepeatsAcrossTheControl)
{
    TImageFixture f(10, 5);
    f.Image.Bitmap().SetSize(3, 2);
    f.Image.Bitmap().Clear(Red);
    f.Image.Bitmap().SetPixel(0, 0, Blue);
    f.Image.SetBitmapAlign(baTile);
    f.Image.Paint();
    EXPECT_EQ(f.At(3, 2), Blue);
    EXPECT_EQ(f.At(9, 4), Blue);
    EXPECT_EQ(f.At(4, 2), Red);
}

TEST(TImage32, ResizeModeMakesTheControlFollowTheBackdrop)
{
    TImage32 image;
    image.SetScaleMode(smResize);
    image.Bitmap().SetSize(123, 45);
    EXPECT_EQ(image.Width(), 123);
    EXPECT_EQ(image.Height(), 45);
}

TEST(TImage32, FreesItsLayersWithoutCallingIntoThemLater)
{
    auto image = std::make_unique<TImage32>();
    image->SetRepaintMode(rmOptimizer);
    auto* layer = image->Layers().Add<TBitmapLayer>();
    layer->Bitmap().SetSize(4, 4);
    image->Paint();
    layer->SetLocation(FloatRect(1, 1, 5, 5)); // queued for the optimiser
    image.reset();
    SUCCEED();
}
