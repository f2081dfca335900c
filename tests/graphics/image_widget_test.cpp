#include "platform/image_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <vector>

#include "graphics/image32.h"

namespace {

struct TMouseSeen {
    char Kind;
    TMouseButton Button;
    TShiftState Shift;
    int32_t X, Y;
    TCustomLayer* Layer;
};

// A 64 x 48 game image shown by a widget, recording its mouse events and
// how often it composes.
struct TShownImage {
    TImage32 Image;
    std::unique_ptr<TImageWidget> Widget;
    std::vector<TMouseSeen> Seen;
    int Composed = 0;

    TShownImage()
    {
        Image.SetBounds(0, 0, 64, 48);
        Image.PaintStages().Add().Stage = PST_CUSTOM;
        Image.OnPaintStage = [this](TObject*, TBitmap32&, uint32_t) { ++Composed; };
        Image.OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
            Seen.push_back({'d', b, s, x, y, l});
        };
        Image.OnMouseMove = [this](TObject*, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
            Seen.push_back({'m', mbLeft, s, x, y, l});
        };
        Image.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y, TCustomLayer* l) {
            Seen.push_back({'u', b, s, x, y, l});
        };
        Widget = std::make_unique<TImageWidget>(&Image);
    }

    void Send(
        QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
    {
        QMouseEvent event(type, QPointF(at), QPointF(Widget->mapToGlobal(at)), button, buttons, modifiers);
        QApplication::sendEvent(Widget.get(), &event);
    }
};

} // namespace

TEST(TImageWidget, FollowsTheControlsSizeAndItsOwnResizing)
{
    TShownImage s;
    EXPECT_EQ(s.Widget->size(), QSize(64, 48));
    s.Image.SetBounds(0, 0, 80, 60);
    EXPECT_EQ(s.Widget->size(), QSize(80, 60));
    s.Widget->show();
    s.Widget->resize(100, 70);
    QApplication::processEvents();
    EXPECT_EQ(s.Image.Width(), 100);
    EXPECT_EQ(s.Image.Height(), 70);
}

TEST(TImageWidget, PaintPresentsTheBackBufferIgnoringAlpha)
{
    TShownImage s;
    s.Image.Bitmap().SetSize(64, 48);
    s.Image.Bitmap().Clear(Color32(10, 20, 30, 0x40)); // drawn opaque, alpha kept in the buffer
    auto* layer = s.Image.Layers().Add<TBitmapLayer>();
    layer->Bitmap().SetSize(8, 8);
    layer->Bitmap().Clear(Color32(200, 100, 50, 128));
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->SetLocation(FloatRect(16, 8, 24, 16));

    const QImage shot = s.Widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shot.size(), QSize(64, 48));
    EXPECT_EQ(s.Composed, 1);
    for (const QPoint p : {QPoint(0, 0), QPoint(63, 47), QPoint(16, 8), QPoint(23, 15), QPoint(24, 16)}) {
        const TColor32 buffered = s.Image.Buffer().Pixel(p.x(), p.y());
        EXPECT_EQ(shot.pixel(p), QRgb(buffered | 0xFF000000)) << p.x() << "," << p.y();
    }
    EXPECT_NE(s.Image.Buffer().Pixel(0, 0) >> 24, 0xFFu); // the alpha was really not opaque
}

TEST(TImageWidget, ManyInvalidatesMakeOnePaint)
{
    TShownImage s;
    s.Widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.Widget.get()));
    QApplication::processEvents();
    const int before = s.Composed;
    for (int i = 0; i < 10; ++i)
        s.Image.Invalidate();
    EXPECT_TRUE(s.Widget->PaintPending());
    QApplication::processEvents();
    EXPECT_EQ(s.Composed, before + 1);
    EXPECT_FALSE(s.Widget->PaintPending());

    // Presenting again without an invalidate composes nothing.
    s.Widget->repaint();
    EXPECT_EQ(s.Composed, before + 1);
}

TEST(TImageWidget, MouseReachesTheControlWithButtonsAndShiftState)
{
    TShownImage s;
    auto* layer = s.Image.Layers().Add<TBitmapLayer>();
    layer->SetLocation(FloatRect(0, 0, 32, 32));

    s.Send(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    s.Send(QEvent::MouseMove, {40, 30}, Qt::NoButton, Qt::LeftButton | Qt::RightButton, Qt::ControlModifier);
    s.Send(QEvent::MouseButtonRelease, {40, 30}, Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
    s.Send(QEvent::MouseButtonPress, {50, 40}, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    s.Send(QEvent::MouseButtonDblClick, {50, 40}, Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
    s.Send(QEvent::MouseButtonPress, {50, 40}, Qt::BackButton, Qt::BackButton, Qt::NoModifier); // not a button here

    ASSERT_EQ(s.Seen.size(), 5u);
    EXPECT_EQ(s.Seen[0].Kind, 'd');
    EXPECT_EQ(s.Seen[0].Button, mbLeft);
    EXPECT_EQ(s.Seen[0].Shift, ssShift | ssLeft);
    EXPECT_EQ(s.Seen[0].X, 10);
    EXPECT_EQ(s.Seen[0].Y, 20);
    EXPECT_EQ(s.Seen[0].Layer, layer);
    EXPECT_EQ(s.Seen[1].Kind, 'm');
    EXPECT_EQ(s.Seen[1].Shift, ssCtrl | ssLeft | ssRight);
    EXPECT_EQ(s.Seen[1].Layer, layer); // held by the layer that took the press
    EXPECT_EQ(s.Seen[2].Kind, 'u');
    EXPECT_EQ(s.Seen[2].Button, mbLeft);
    EXPECT_EQ(s.Seen[2].Shift, ssAlt);
    EXPECT_EQ(s.Seen[3].Button, mbRight);
    EXPECT_EQ(s.Seen[3].Shift, ssRight);
    EXPECT_EQ(s.Seen[3].Layer, nullptr);
    EXPECT_EQ(s.Seen[4].Button, mbMiddle);
    EXPECT_EQ(s.Seen[4].Shift, ssMiddle | ssDouble);
}

TEST(TImageWidget, CursorFollowsTheControlAndLayersSetTheScreenCursor)
{
    TShownImage s;
    s.Image.SetCursor(crHandPoint);
    EXPECT_EQ(s.Widget->cursor().shape(), Qt::PointingHandCursor);
    s.Image.SetCursor(crDefault);
    EXPECT_EQ(s.Widget->cursor().shape(), Qt::ArrowCursor);

    auto* layer = s.Image.Layers().Add<TBitmapLayer>();
    layer->SetLocation(FloatRect(0, 0, 32, 32));
    layer->SetCursor(crCross);
    s.Send(QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(ScreenCursor(), crCross);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    s.Send(QEvent::MouseMove, {50, 40}, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(ScreenCursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(TImageWidget, EitherSideMayGoFirst)
{
    auto image = std::make_unique<TImage32>();
    auto widget = std::make_unique<TImageWidget>(image.get());
    EXPECT_EQ(image->Host(), widget.get());
    image.reset();
    EXPECT_EQ(widget->Client(), nullptr);
    widget->grab(); // paints nothing from the gone control

    image = std::make_unique<TImage32>();
    widget = std::make_unique<TImageWidget>(image.get());
    widget.reset();
    EXPECT_EQ(image->Host(), nullptr);
    image->Invalidate();
    image->Paint();
}

namespace {

// A logical screen whose every pixel tells its own column and row.
void FillLogicalScreen(TImage32& image, int32_t w, int32_t h)
{
    image.SetBounds(0, 0, w, h);
    image.Bitmap().SetSize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.Bitmap().SetPixel(x, y, 0xFF000000 | TColor32(y) << 12 | TColor32(x));
}

} // namespace

TEST(TImageWidget, FitModeShowsTheLogicalScreenScaledBetweenBlackBars)
{
    TShownImage s;
    FillLogicalScreen(s.Image, 64, 48);
    s.Widget->SetFitMode(true);
    s.Widget->resize(200, 100);
    QApplication::processEvents();
    // The control keeps its logical size; the widget no longer follows it.
    EXPECT_EQ(s.Image.Width(), 64);
    EXPECT_EQ(s.Image.Height(), 48);
    s.Image.SetBounds(0, 0, 64, 48);
    EXPECT_EQ(s.Widget->size(), QSize(200, 100));

    // 100 / 48 bounds the scale: 133 x 100, centred at x = 33.
    const TFitPlacement fit = s.Widget->Placement();
    EXPECT_EQ(QRect(fit.Left, fit.Top, fit.Width, fit.Height), QRect(33, 0, 133, 100));
    const QImage shot = s.Widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(200, 100));
    int32_t wrong = 0;
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 200; ++x) {
            int32_t lx, ly;
            const QRgb expected =
                fit.ToLogical(x, y, lx, ly) ? QRgb(0xFF000000 | TColor32(ly) << 12 | TColor32(lx)) : 0xFF000000;
            wrong += shot.pixel(x, y) != expected;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(shot.pixel(34, 99), QRgb(0xFF000000 | 47u << 12)); // nearest neighbour: logical (0, 47)

    // A change of the control shows at the next paint.
    s.Image.Bitmap().Clear(0xFF336699);
    EXPECT_EQ(s.Widget->grab().toImage().pixel(100, 50), QRgb(0xFF336699));

    s.Widget->SetFitMode(false);
    EXPECT_EQ(s.Widget->size(), QSize(64, 48));
    EXPECT_TRUE(s.Widget->Placement().Empty());
}

TEST(TImageWidget, FitModeMapsTheMouseBackToLogicalPixels)
{
    TShownImage s;
    FillLogicalScreen(s.Image, 640, 480);
    s.Widget->SetFitMode(true);
    s.Widget->resize(1920, 1080); // a scale of 2.25: 1440 x 1080 from x = 240
    struct Case {
        QEvent::Type type;
        QPoint at;
        bool reported;
        int32_t x, y;
    } const cases[] = {
        {QEvent::MouseMove, {240, 0}, true, 0, 0}, {QEvent::MouseMove, {242, 2}, true, 0, 0},
        {QEvent::MouseMove, {243, 3}, true, 1, 1}, {QEvent::MouseMove, {1000, 500}, true, 337, 222},
        {QEvent::MouseMove, {1679, 1079}, true, 639, 479}, {QEvent::MouseMove, {239, 500}, false, 0, 0}, // left bar
        {QEvent::MouseMove, {1680, 500}, false, 0, 0},                                                   // right bar
        {QEvent::MouseButtonPress, {100, 10}, false, 0, 0}, {QEvent::MouseButtonPress, {1000, 500}, true, 337, 222},
        {QEvent::MouseButtonRelease, {1900, 20}, true, 639, 8}, // kept at the edge
    };
    for (const Case& c : cases) {
        s.Seen.clear();
        const bool press = c.type != QEvent::MouseMove;
        s.Send(c.type, c.at, press ? Qt::LeftButton : Qt::NoButton,
            c.type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        ASSERT_EQ(s.Seen.size(), c.reported ? 1u : 0u) << c.at.x() << "," << c.at.y();
        if (c.reported) {
            EXPECT_EQ(s.Seen[0].X, c.x) << c.at.x();
            EXPECT_EQ(s.Seen[0].Y, c.y) << c.at.y();
        }
    }
}
