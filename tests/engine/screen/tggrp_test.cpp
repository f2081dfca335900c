#include "screen_fixture.h"

#include <cstring>

namespace {

using TGrpTest = TScreenTest;

bool SamePixels(const TBitmap32& a, const TBitmap32& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Bits(), b.Bits(), size_t(a.Width()) * size_t(a.Height()) * 4) == 0;
}

TColor32 Pattern(int x, int y)
{
    return Color32(uint8_t(x), uint8_t(y), 7, 255);
}

void FillPattern(TBitmap32& b)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, Pattern(x, y));
}

TEST_F(TGrpTest, LayersAreStackedInScreenOrder)
{
    TLayerCollection& layers = Image.Layers();
    ASSERT_EQ(layers.Count(), 7);
    const TBitmapLayer* expected[] = {Grp->PictureLayer(), Grp->WindowLayer(), Grp->TextLayer(), Grp->FuncBarLayer(),
        Grp->WaitLayer(), Grp->UpMarkLayer(), Grp->DownMarkLayer()};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(layers.Items(i), expected[i]) << i;
    EXPECT_EQ(Image.Bitmap().Pixel(0, 0), Color32(128, 128, 128, 255));
    EXPECT_EQ(Grp->GetPicture().Pixel(5, 5), Color32(255, 255, 255, 255));
    EXPECT_EQ(Text().Pixel(5, 5), 0u);
    EXPECT_FALSE(Grp->WaitLayer()->Visible());
    EXPECT_EQ(Grp->DownMarkLayer()->Location(), FloatRect(32, 0, 56, 24));
    EXPECT_EQ(Host.WaitList.Bitmaps().Count(), 2);

    Grp.reset();
    EXPECT_EQ(Image.Layers().Count(), 0);
}

TEST_F(TGrpTest, FunctionBarBoxesOnTwelveKeys)
{
    Host.BarShown = true;
    Grp->DrawFuncBar(12);
    const TBitmap32& bar = Grp->FuncBarLayer()->Bitmap();
    ASSERT_EQ(bar.Width(), 640);
    ASSERT_EQ(bar.Height(), 24);
    // K = (640 - (44 + 16)) div 12 = 48; a gap of 8 after the 4th and 8th key.
    std::vector<bool> inBox(640, false);
    for (int i = 0; i < 12; ++i) {
        const int left = 4 + 52 * i + 4 * (i / 4);
        for (int x = left; x < left + 48; ++x)
            inBox[size_t(x)] = true;
    }
    EXPECT_TRUE(inBox[216] && !inBox[215] && inBox[631] && !inBox[632]);
    const TColor32 box = Color32(255, 255, 255, 200);
    for (int row : {4, 19})
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(bar.Pixel(x, row), inBox[size_t(x)] ? box : 0u) << x << "," << row;
    for (int row : {0, 3, 20, 23})
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(bar.Pixel(x, row), 0u) << x << "," << row;
    EXPECT_EQ(Grp->FuncBarLayer()->Location(), FloatRect(0, 456, 640, 480));
    EXPECT_TRUE(Grp->FuncBarLayer()->Visible());
}

TEST_F(TGrpTest, FunctionBarShowsShiftLabelsWhileShiftIsHeld)
{
    Host.LabelsRead.clear();
    Grp->DrawFuncBar(12);
    EXPECT_EQ(Host.LabelsRead.front(), 0);
    EXPECT_EQ(Host.LabelsRead.back(), 11);

    Host.Shifted = true;
    Host.LabelsRead.clear();
    Grp->DrawFuncBar(12);
    ASSERT_EQ(Host.LabelsRead.size(), 12u);
    EXPECT_EQ(Host.LabelsRead.front(), 12);
    EXPECT_EQ(Host.LabelsRead.back(), 23);
}

TEST_F(TGrpTest, FunctionBarLabelPlacement)
{
    const TBitmap32& bar = Grp->FuncBarLayer()->Bitmap();
    Host.Labels[0] = "A"; // centred: 48 div 2 - 7 div 2 = 21
    Grp->DrawFuncBar(12);
    EXPECT_EQ(bar.Pixel(4, 10), Color32(255, 255, 255, 200));
    EXPECT_EQ(bar.Pixel(25, 10), Color32(0, 0, 0, 255));
    Host.Labels[0] = SJ("長い長い長い長い長い"); // wider than its box: at the box's left edge
    Grp->DrawFuncBar(12);
    EXPECT_EQ(bar.Pixel(4, 10), Color32(0, 0, 0, 255));
}

TEST_F(TGrpTest, FunctionBarWithoutKeysOrWithTooManyStaysSafe)
{
    Host.LabelsRead.clear();
    Grp->DrawFuncBar(0);
    const TBitmap32& bar = Grp->FuncBarLayer()->Bitmap();
    EXPECT_EQ(bar.Width(), 640);
    for (int x = 0; x < 640; ++x)
        ASSERT_EQ(bar.Pixel(x, 10), 0u);
    EXPECT_TRUE(Host.LabelsRead.empty());

    Host.Shifted = true;
    Grp->DrawFuncBar(30); // labels past the 25th are never read
    Grp->DrawFuncBar(-3);
    Grp->DrawFuncBar(100000);
    for (int index : Host.LabelsRead)
        EXPECT_LE(index, 24);
}

TEST_F(TGrpTest, WaitAnimationStepsWithTheClock)
{
    const TBitmap32& frame0 = Host.WaitList.Bitmap(0);
    const TBitmap32& frame1 = Host.WaitList.Bitmap(1);
    ASSERT_FALSE(SamePixels(frame0, frame1));
    const TBitmap32& shown = Grp->WaitLayer()->Bitmap();

    Grp->SetWaitAnim(true);
    EXPECT_TRUE(Grp->WaitLayer()->Visible());
    Grp->UpdateWaitAnim(); // the first step is due at once
    EXPECT_TRUE(SamePixels(shown, frame0));
    EXPECT_EQ(Grp->WaitFrame(), 1);
    const uint32_t lastStep = Grp->WaitTick();

    Clock.Set(lastStep + 500); // not more than an interval yet
    Grp->UpdateWaitAnim();
    EXPECT_EQ(Grp->WaitFrame(), 1);

    // 1600 ms after the last step: three steps (frames 1, 0, 1), showing the
    // third; the phase stays on the clock.
    Clock.Set(lastStep + 1600);
    Grp->UpdateWaitAnim();
    EXPECT_TRUE(SamePixels(shown, frame1));
    EXPECT_EQ(Grp->WaitFrame(), 0);
    EXPECT_EQ(Grp->WaitTick(), lastStep + 1500);

    Grp->SetWaitAnim(false);
    EXPECT_FALSE(Grp->WaitLayer()->Visible());
    Clock.Advance(5000);
    Grp->UpdateWaitAnim();
    EXPECT_EQ(Grp->WaitFrame(), 0);
}

TEST_F(TGrpTest, WaitAnimationWithoutIntervalOrFramesEnds)
{
    Grp->FWaitInterval = 0;
    Grp->SetWaitAnim(true);
    Clock.Advance(4000000000u);
    Grp->UpdateWaitAnim(); // one step a millisecond, counted at once
    EXPECT_LT(Grp->WaitFrame(), 2);

    Grp->FWaitCount = 0;
    Clock.Advance(1000);
    Grp->UpdateWaitAnim();
    EXPECT_TRUE(Grp->WaitLayer()->Bitmap().Empty());

    Grp->FWaitCount = 5; // more than the list holds
    Grp->FWaitInterval = 100;
    Clock.Advance(1000);
    Grp->UpdateWaitAnim();
    EXPECT_LT(Grp->WaitFrame(), 2);
}

TEST_F(TGrpTest, BufferCopyAndDrawKeepSizes)
{
    TBitmap32& picture = Grp->GetPicture();
    FillPattern(picture);
    Grp->CopyToBuffer(0, 10, 10, 50, 40, -1);
    const TBitmap32& buffer = Grp->GetBuffer(0);
    ASSERT_EQ(buffer.Width(), 50);
    ASSERT_EQ(buffer.Height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(buffer.Pixel(x, y), Pattern(10 + x, 10 + y));
    EXPECT_FALSE(Grp->GetBufferUsed(0)); // *GGET does not mark it

    Grp->DrawBuffer(0, 100, 20, -1);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(picture.Pixel(100 + x, 20 + y), Pattern(10 + x, 10 + y));
    EXPECT_EQ(picture.Pixel(99, 20), Pattern(99, 20));
    EXPECT_EQ(picture.Pixel(150, 20), Pattern(150, 20));
}

TEST_F(TGrpTest, BufferCopyLeavesItsSourceIntact)
{
    FillPattern(Grp->GetPicture());
    Grp->CopyToBuffer(0, 0, 0, 50, 40, -1);
    // Another size from buffer 0: only the destination is resized.
    Grp->CopyToBuffer(1, 5, 5, 20, 10, 0);
    EXPECT_EQ(Grp->GetBuffer(0).Width(), 50);
    EXPECT_EQ(Grp->GetBuffer(0).Pixel(30, 30), Pattern(30, 30));
    EXPECT_EQ(Grp->GetBuffer(1).Pixel(0, 0), Pattern(5, 5));
    // A buffer cut from itself.
    Grp->CopyToBuffer(0, 5, 5, 20, 10, 0);
    EXPECT_EQ(Grp->GetBuffer(0).Width(), 20);
    EXPECT_EQ(Grp->GetBuffer(0).Pixel(19, 9), Pattern(24, 14));
    // Drawn onto itself.
    Grp->DrawBuffer(0, 1, 0, 0);
    EXPECT_EQ(Grp->GetBuffer(0).Pixel(1, 0), Pattern(5, 5));
    // Negative sizes give an empty buffer, bad numbers do nothing.
    Grp->CopyToBuffer(2, 0, 0, -5, 10, -1);
    EXPECT_TRUE(Grp->GetBuffer(2).Empty());
    Grp->CopyToBuffer(33, 0, 0, 5, 5, -1);
    Grp->CopyToBuffer(3, 0, 0, 5, 5, -2);
    Grp->DrawBuffer(-1, 0, 0, -1);
    Grp->DrawBuffer(0, 0, 0, 40);
    EXPECT_THROW(Grp->GetBuffer(33), EListError);
    // Partly outside the picture: the part inside is copied.
    Grp->CopyToBuffer(4, 630, 0, 20, 5, -1);
    EXPECT_EQ(Grp->GetBuffer(4).Pixel(9, 0), Pattern(639, 0));
    EXPECT_EQ(Grp->GetBuffer(4).Pixel(10, 0), 0u);
}

TEST_F(TGrpTest, BufferUsedFlagsIncludeTheLastBuffer)
{
    Grp->SetBufferUsed(32, true);
    EXPECT_TRUE(Grp->GetBufferUsed(32));
    EXPECT_FALSE(Grp->GetBufferUsed(31));
    Grp->SetBufferUsed(33, true);
    EXPECT_FALSE(Grp->GetBufferUsed(33));
}

TEST_F(TGrpTest, ClearScreenMakesPictureWaitMarkAndTextBlack)
{
    Grp->ClearScreen();
    const TColor32 black = Color32(0, 0, 0, 255);
    EXPECT_EQ(Grp->GetPicture().Pixel(320, 240), black);
    EXPECT_EQ(Text().Pixel(0, 0), black);
    EXPECT_EQ(Text().Pixel(639, 479), black);
    EXPECT_EQ(Grp->WaitLayer()->Bitmap().Pixel(0, 0), black);
}

TEST_F(TGrpTest, ScaledPictureIsCentred)
{
    Grp->SetPictureSize(230, 176);
    Grp->SetScale(1.5f);
    EXPECT_EQ(Grp->PictureLayer()->Location(), FloatRect(147.5f, 108, 492.5f, 372));
    EXPECT_EQ(Grp->GetPicture().Width(), 230);
    // The bar spans the picture's width.
    EXPECT_EQ(Grp->FuncBarLayer()->Bitmap().Width(), 345);

    Grp->SetScreenSize(800, 600);
    EXPECT_EQ(Image.Width(), 800);
    EXPECT_EQ(Text().Width(), 800);
    EXPECT_EQ(Grp->PictureLayer()->Location(), FloatRect(227.5f, 168, 572.5f, 432));
    Grp->SetScreenSize(700, 900); // narrower: the text bitmap never shrinks
    EXPECT_EQ(Text().Width(), 800);
}

TEST_F(TGrpTest, MarksSitInTheMessageFrameCorners)
{
    Grp->WindowLayer()->SetLocation(FloatRect(14, 292, 626, 436));
    Grp->UpdateLayout();
    EXPECT_EQ(Grp->WaitLayer()->Location(), FloatRect(602, 412, 626, 436));
    EXPECT_EQ(Grp->UpMarkLayer()->Location(), FloatRect(602, 292, 626, 316));
    EXPECT_EQ(Grp->DownMarkLayer()->Location(), FloatRect(602, 412, 626, 436));

    Host.MsgInGameFlag = false;
    Grp->UpdateLayout();
    EXPECT_EQ(Grp->WaitLayer()->Location(), FloatRect(616, 456, 640, 480));
    EXPECT_EQ(Grp->UpMarkLayer()->Location(), FloatRect(0, 0, 0, 0));
}

} // namespace
