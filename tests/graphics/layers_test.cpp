#include "graphics/layers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Counts what a collection reports.
struct TCollectionEvents {
    int Changing = 0;
    int Change = 0;
    int GDIUpdate = 0;
    std::vector<TCustomLayer*> LayerUpdates;
    std::vector<TRect> Areas;
    std::vector<std::pair<TLayerListNotification, int32_t>> List;

    explicit TCollectionEvents(TLayerCollection& c)
    {
        c.OnChanging = [this](TObject*) { ++Changing; };
        c.OnChange = [this](TObject*) { ++Change; };
        c.OnGDIUpdate = [this](TObject*) { ++GDIUpdate; };
        c.OnLayerUpdated = [this](TObject*, TCustomLayer* layer) { LayerUpdates.push_back(layer); };
        c.OnAreaUpdated = [this](TObject*, const TRect& area, uint32_t) { Areas.push_back(area); };
        c.OnListNotify = [this](TLayerCollection*, TLayerListNotification action, TCustomLayer*, int32_t index) {
            List.emplace_back(action, index);
        };
    }
    void Reset() { *this = TCollectionEvents(); }

private:
    TCollectionEvents() = default;
};

TPositionedLayer* AddAt(TLayerCollection& c, float l, float t, float r, float b)
{
    auto* layer = c.Add<TPositionedLayer>();
    layer->SetLocation(FloatRect(l, t, r, b));
    return layer;
}

} // namespace

TEST(TBitmapLayer, StartsVisibleTakingMouseAt64SquareWithEmptyBitmap)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TBitmapLayer>();
    EXPECT_EQ(layer->LayerOptions(), LOB_VISIBLE | LOB_MOUSE_EVENTS);
    EXPECT_EQ(layer->Location(), FloatRect(0, 0, 64, 64));
    EXPECT_FALSE(layer->Scaled());
    EXPECT_TRUE(layer->Bitmap().Empty());

    TBitmap32 buffer;
    buffer.SetSize(8, 8);
    buffer.Clear(0xFF123456);
    layer->PaintLayer(buffer);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(buffer.Pixel(x, y), 0xFF123456u);
}

TEST(TCustomLayer, VisibleChangeReportsLayerThenCollectionTwice)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TPositionedLayer>();
    TCollectionEvents events(layers);
    int own = 0;
    layer->OnChange = [&](TObject*) { ++own; };

    layer->SetLocation(FloatRect(1, 2, 3, 4));
    EXPECT_EQ(events.Changing, 1);
    EXPECT_EQ(events.LayerUpdates, std::vector<TCustomLayer*>{layer});
    EXPECT_EQ(events.Change, 2);
    EXPECT_EQ(own, 1);
}

TEST(TCustomLayer, HidingReportsTheLayerOnceWithoutTheSecondChange)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TPositionedLayer>();
    TCollectionEvents events(layers);

    layer->SetVisible(false);
    EXPECT_EQ(events.LayerUpdates.size(), 1u);
    EXPECT_EQ(events.Change, 1);
    EXPECT_EQ(layer->LayerOptions() & LOB_FORCE_UPDATE, 0u);

    // Hiding a hidden layer goes through the options again and reports again.
    events.Reset();
    layer->SetVisible(false);
    EXPECT_EQ(events.LayerUpdates.size(), 1u);
    EXPECT_EQ(events.Change, 1);
    EXPECT_EQ(events.Changing, 0); // a hidden layer announces nothing
}

TEST(TCustomLayer, HiddenOrSilencedOrUpdatingLayersReportNothing)
{
    TLayerCollection layers;
    auto* hidden = layers.Add<TPositionedLayer>();
    hidden->SetVisible(false);
    auto* silent = layers.Add<TPositionedLayer>();
    silent->SetLayerOptions(silent->LayerOptions() | LOB_NO_UPDATE);
    auto* updating = layers.Add<TPositionedLayer>();
    TCollectionEvents events(layers);

    hidden->SetLocation(FloatRect(5, 5, 6, 6));
    silent->SetLocation(FloatRect(5, 5, 6, 6));
    updating->BeginUpdate();
    updating->SetLocation(FloatRect(5, 5, 6, 6));
    EXPECT_EQ(events.Change, 0);
    EXPECT_TRUE(events.LayerUpdates.empty());
    updating->EndUpdate();
    updating->Changed();
    EXPECT_EQ(events.LayerUpdates.size(), 1u);
}

TEST(TCustomLayer, HiddenGDIOverlayLayerAsksForAGDIUpdate)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TPositionedLayer>();
    layer->SetLayerOptions(LOB_GDI_OVERLAY);
    TCollectionEvents events(layers);
    layer->SetLocation(FloatRect(1, 1, 2, 2));
    EXPECT_EQ(events.GDIUpdate, 1);
    EXPECT_EQ(events.Change, 0);
}

TEST(TCustomLayer, SetIndexClampsToTheList)
{
    struct TCase {
        int32_t From, Value, Expected;
    };
    for (const TCase c : {TCase{0, 100, 2}, TCase{2, -4, 0}, TCase{1, 1, 1}, TCase{0, 1, 1}}) {
        TLayerCollection layers;
        TCustomLayer* items[3] = {
            layers.Add<TPositionedLayer>(), layers.Add<TPositionedLayer>(), layers.Add<TPositionedLayer>()};
        items[c.From]->SetIndex(c.Value);
        EXPECT_EQ(items[c.From]->Index(), c.Expected) << c.From << " -> " << c.Value;
        EXPECT_EQ(layers.Items(c.Expected), items[c.From]);
    }
}

TEST(TCustomLayer, MovingAVisibleLayerIsReportedAHiddenOneIsSilent)
{
    TLayerCollection layers;
    auto* a = layers.Add<TPositionedLayer>();
    layers.Add<TPositionedLayer>();
    auto* c = layers.Add<TPositionedLayer>();
    c->SetVisible(false);
    TCollectionEvents events(layers);

    c->SetIndex(0);
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(events.Changing + events.Change, 0);

    a->SetIndex(2);
    EXPECT_EQ(a->Index(), 2);
    EXPECT_EQ(events.Changing, 1);
    EXPECT_EQ(events.Change, 1);
}

TEST(TLayerCollection, FindLayerAtPosAnswersTheTopmostMatchingLayer)
{
    TLayerCollection layers;
    auto* bottom = AddAt(layers, 0, 0, 100, 100);
    auto* top = AddAt(layers, 50, 50, 150, 150);
    auto* deaf = AddAt(layers, 0, 0, 200, 200);
    deaf->SetLayerOptions(LOB_VISIBLE); // no mouse-events bit

    EXPECT_EQ(layers.FindLayerAtPos(60, 60, LOB_MOUSE_EVENTS), top);
    EXPECT_EQ(layers.FindLayerAtPos(10, 10, LOB_MOUSE_EVENTS), bottom);
    EXPECT_EQ(layers.FindLayerAtPos(180, 180, LOB_MOUSE_EVENTS), nullptr);
    EXPECT_EQ(layers.FindLayerAtPos(180, 180, LOB_VISIBLE), deaf);
    // Right and bottom edges lie outside.
    EXPECT_EQ(layers.FindLayerAtPos(150, 60, LOB_MOUSE_EVENTS), nullptr);
    EXPECT_EQ(layers.FindLayerAtPos(149, 149, LOB_MOUSE_EVENTS), top);

    top->OnHitTest = [](TObject*, int32_t, int32_t, bool& passed) { passed = false; };
    EXPECT_EQ(layers.FindLayerAtPos(60, 60, LOB_MOUSE_EVENTS), bottom);
}

TEST(TBitmapLayer, AlphaHitPassesOnlyOverOpaquePixels)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TBitmapLayer>();
    layer->Bitmap().SetSize(2, 1);
    layer->Bitmap().SetPixel(0, 0, 0x00FFFFFF);
    layer->Bitmap().SetPixel(1, 0, 0x01000000);
    layer->SetLocation(FloatRect(10, 10, 30, 20)); // scaled by 10
    layer->SetAlphaHit(true);
    EXPECT_EQ(layers.FindLayerAtPos(12, 15, LOB_MOUSE_EVENTS), nullptr);
    EXPECT_EQ(layers.FindLayerAtPos(22, 15, LOB_MOUSE_EVENTS), layer);

    // Less than a pixel wide never passes.
    layer->SetLocation(FloatRect(10, 10, 10.4f, 20));
    EXPECT_EQ(layers.FindLayerAtPos(10, 15, LOB_MOUSE_EVENTS), nullptr);
}

TEST(TLayerCollection, MouseDownCapturesUntilEveryButtonIsUp)
{
    TLayerCollection layers;
    auto* a = AddAt(layers, 0, 0, 10, 10);
    std::vector<std::string> seen;
    a->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int32_t x, int32_t y) {
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    a->OnMouseMove = [&](TObject*, TShiftState, int32_t x, int32_t y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    a->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int32_t, int32_t) {
        seen.push_back("up " + std::to_string(b));
    };

    EXPECT_EQ(layers.MouseDown(mbLeft, ssLeft, 5, 5), a);
    EXPECT_EQ(layers.MouseListener(), a);
    EXPECT_EQ(layers.MouseDown(mbRight, ssLeft | ssRight, 50, 50), a); // captured, far away
    EXPECT_EQ(a->LayerStates(), lsMouseLeft | lsMouseRight);
    EXPECT_EQ(layers.MouseMove(ssLeft, 70, 70), a);
    EXPECT_EQ(layers.MouseUp(mbLeft, ssRight, 70, 70), a);
    EXPECT_EQ(layers.MouseListener(), a);
    EXPECT_EQ(layers.MouseUp(mbRight, 0, 70, 70), a);
    EXPECT_EQ(layers.MouseListener(), nullptr);
    EXPECT_EQ(layers.MouseMove(0, 70, 70), nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"down 0 5,5", "down 1 50,50", "move 70,70", "up 0", "up 1"}));
}

TEST(TLayerCollection, NoCaptureLayerIsFoundButNeverListens)
{
    TLayerCollection layers;
    auto* a = AddAt(layers, 0, 0, 10, 10);
    a->SetLayerOptions(a->LayerOptions() | LOB_NO_CAPTURE);
    int downs = 0;
    a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++downs; };
    EXPECT_EQ(layers.MouseDown(mbLeft, ssLeft, 5, 5), a);
    EXPECT_EQ(layers.MouseListener(), nullptr);
    EXPECT_EQ(downs, 0);
}

TEST(TLayerCollection, ListenerThatIsFreedLeavesNoDanglingCapture)
{
    TLayerCollection layers;
    auto* a = AddAt(layers, 0, 0, 10, 10);
    // The layer frees itself while handling the press.
    a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { delete a; };
    EXPECT_EQ(layers.MouseDown(mbLeft, ssLeft, 5, 5), nullptr);
    EXPECT_EQ(layers.MouseListener(), nullptr);
    EXPECT_EQ(layers.Count(), 0);
    EXPECT_EQ(layers.MouseUp(mbLeft, 0, 5, 5), nullptr);
}

TEST(TLayerCollection, UnpairedEndUpdateFailsAndLeavesTheCountUsable)
{
    TLayerCollection layers;
    try {
        layers.EndUpdate();
        FAIL() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Unpaired EndUpdate");
    }
    EXPECT_EQ(layers.UpdateCount(), 0);
    int changes = 0;
    layers.OnChange = [&](TObject*) { ++changes; };
    layers.BeginUpdate();
    layers.BeginUpdate();
    layers.EndUpdate();
    EXPECT_EQ(changes, 0);
    layers.EndUpdate();
    EXPECT_EQ(changes, 1);
}

TEST(TLayerCollection, ItemsOutsideTheListRaiseTheListError)
{
    TLayerCollection layers;
    layers.Add<TCustomLayer>();
    EXPECT_THROW(layers.Items(1), EListError);
    EXPECT_THROW(layers.Items(-1), EListError);
}

TEST(TLayerCollection, ListNotificationsOfAddRemoveAndClear)
{
    TLayerCollection layers;
    TCollectionEvents events(layers);
    auto* a = layers.Add<TCustomLayer>();
    auto* b = layers.Add<TCustomLayer>();
    // Joining in the constructor and Add both announce the layer.
    EXPECT_EQ(events.List, (std::vector<std::pair<TLayerListNotification, int32_t>>{
                               {lnLayerAdded, 0}, {lnLayerAdded, 0}, {lnLayerAdded, 1}, {lnLayerAdded, 1}}));
    events.List.clear();
    delete a;
    EXPECT_EQ(b->Index(), 0);
    layers.Clear();
    EXPECT_EQ(events.List, (std::vector<std::pair<TLayerListNotification, int32_t>>{
                               {lnLayerDeleted, 0}, {lnLayerDeleted, 0}, {lnCleared, 0}}));
    EXPECT_EQ(layers.Count(), 0);
}

TEST(TLayerCollection, DestroyingFreesLayersTopFirstWithoutNotifications)
{
    std::vector<int> destroyed;
    int notifications = 0;
    {
        TLayerCollection layers;
        for (int i = 0; i < 3; ++i)
            layers.Add<TBitmapLayer>()->OnDestroy = [&destroyed, i](TObject*) { destroyed.push_back(i); };
        layers.OnListNotify = [&](TLayerCollection*, TLayerListNotification, TCustomLayer*, int32_t) {
            ++notifications;
        };
        layers.OnChange = [&](TObject*) { ++notifications; };
    }
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(notifications, 0);
}

TEST(TLayerCollection, AssignCopiesLayersOfTheSameClass)
{
    TLayerCollection source;
    auto* bl = source.Add<TBitmapLayer>();
    bl->Bitmap().SetSize(3, 2);
    bl->Bitmap().Clear(0xFF00FF00);
    bl->SetLocation(FloatRect(1, 2, 7, 6));
    bl->SetCropped(true);
    AddAt(source, 5, 5, 9, 9)->SetVisible(false);

    TLayerCollection copy;
    copy.Add<TCustomLayer>();
    copy.Assign(&source);
    ASSERT_EQ(copy.Count(), 2);
    auto* b2 = dynamic_cast<TBitmapLayer*>(copy.Items(0));
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b2->Location(), FloatRect(1, 2, 7, 6));
    EXPECT_TRUE(b2->Cropped());
    EXPECT_EQ(b2->Bitmap().Pixel(2, 1), 0xFF00FF00u);
    EXPECT_EQ(copy.Items(1)->ClassName(), "TPositionedLayer");
    EXPECT_FALSE(copy.Items(1)->Visible());
}

TEST(TCustomLayer, FreeNotificationNeverReachesAFreedLayer)
{
    struct TWatcher : TCustomLayer {
        using TCustomLayer::TCustomLayer;
        std::vector<TCustomLayer*> Gone;
        void Notification(TCustomLayer* layer) override { Gone.push_back(layer); }
    };
    TLayerCollection layers;
    auto* subject = layers.Add<TCustomLayer>();
    auto* watcher = layers.Add<TWatcher>();
    subject->AddNotification(watcher);
    delete subject;
    EXPECT_EQ(watcher->Gone, std::vector<TCustomLayer*>{subject});

    auto* other = layers.Add<TCustomLayer>();
    other->AddNotification(watcher);
    delete watcher; // the subject outlives its watcher
    delete other;   // and must not call into it
    EXPECT_EQ(layers.Count(), 0);
}

TEST(TBitmapLayer, OnDestroySeesTheWholeLayer)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TBitmapLayer>();
    layer->Bitmap().SetSize(4, 3);
    int32_t width = -1;
    layer->OnDestroy = [&](TObject* sender) { width = static_cast<TBitmapLayer*>(sender)->Bitmap().Width(); };
    delete layer;
    EXPECT_EQ(width, 4);
}

TEST(TBitmapLayer, BitmapDrawingReportsTheAreaScaledAndGrownByTheKernel)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TBitmapLayer>();
    layer->Bitmap().SetSize(100, 50);
    layer->SetLocation(FloatRect(0, 0, 200, 100));
    TCollectionEvents events(layers);
    layer->Bitmap().FillRect(0, 0, 1, 1, 0xFFFFFFFF);
    ASSERT_EQ(events.Areas.size(), 1u);
    EXPECT_EQ(events.Areas[0], (TRect{-2, -2, 4, 4}));

    // Moved by a fraction: the area is rounded outwards.
    layer->SetLocation(FloatRect(10.5f, 0.25f, 110.5f, 50.25f));
    events.Areas.clear();
    layer->Bitmap().FillRect(2, 2, 4, 3, 0xFFFFFFFF);
    ASSERT_EQ(events.Areas.size(), 1u);
    EXPECT_EQ(events.Areas[0], (TRect{12 - 2, 2 - 2, 15 + 2, 4 + 2}));
}

TEST(TBitmapLayer, PaintsAtTheLocationRoundedTiesToEven)
{
    TLayerCollection layers;
    auto* layer = layers.Add<TBitmapLayer>();
    layer->Bitmap().SetSize(10, 10);
    layer->Bitmap().Clear(0xFFFF0000);
    layer->SetLocation(FloatRect(10.5f, 0, 20.5f, 10));
    TBitmap32 buffer;
    buffer.SetSize(32, 10);
    buffer.Clear(0xFF000000);
    layer->PaintLayer(buffer);
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(buffer.Pixel(x, 5), x >= 10 && x <= 19 ? 0xFFFF0000u : 0xFF000000u) << x;
}

TEST(TPositionedLayer, ScaledLayerFollowsTheViewport)
{
    TLayerCollection layers;
    layers.ViewportScaleHook = [](float& sx, float& sy) {
        sx = 2;
        sy = 3;
    };
    layers.ViewportShiftHook = [](float& dx, float& dy) {
        dx = 10;
        dy = 20;
    };
    auto* layer = AddAt(layers, 1, 1, 5, 5);
    EXPECT_EQ(layer->Location(), FloatRect(1, 1, 5, 5));
    layer->SetScaled(true);
    EXPECT_EQ(layer->Location(), FloatRect(12, 23, 20, 35));
    EXPECT_EQ(layer->StoredLocation(), FloatRect(1, 1, 5, 5));
    EXPECT_EQ(layers.FindLayerAtPos(19, 34, LOB_MOUSE_EVENTS), layer);
}
