#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/resamplers.h"
#include "classlib/canvas.h"
#include "classlib/glyph_source.h"
#include "classlib/graphic.h"

namespace {

// Records every notification a bitmap sends.
struct EventLog {
    int Changes = 0;
    int Resizes = 0;
    int HandleChanges = 0;
    std::vector<TRect> Areas;

    void Attach(TBitmap32& b)
    {
        b.OnChange = [this](TObject*) { ++Changes; };
        b.OnResize = [this](TObject*) { ++Resizes; };
        b.OnHandleChanged = [this](TObject*) { ++HandleChanges; };
        b.OnAreaChanged = [this](TObject*, const TRect& r, uint32_t info) {
            EXPECT_EQ(info, AREAINFO_RECT);
            Areas.push_back(r);
        };
    }
};

std::vector<uint8_t> Bytes(TMemoryStream& s)
{
    return s.Bytes();
}

} // namespace

TEST(Bitmap32, NewBitmapIsEmptyWithDefaults)
{
    TBitmap32 b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_EQ(b.DrawMode(), dmOpaque);
    EXPECT_EQ(b.CombineMode(), cmBlend);
    EXPECT_EQ(b.WrapMode(), wmClamp);
    EXPECT_EQ(b.MasterAlpha(), 255u);
    EXPECT_EQ(b.OuterColor(), 0u);
    EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
    EXPECT_EQ(static_cast<TBitmap32Resampler*>(b.Resampler())->Bitmap(), &b);
}

TEST(Bitmap32, SizeChangeZeroesPixelsAndNotifies)
{
    TBitmap32 b;
    EventLog log;
    log.Attach(b);
    ASSERT_TRUE(b.SetSize(100, 50));
    EXPECT_EQ(log.Changes, 1);
    EXPECT_EQ(log.Resizes, 1);
    EXPECT_EQ(log.HandleChanges, 1);
    ASSERT_EQ(log.Areas.size(), 1u);
    EXPECT_EQ(log.Areas[0], (TRect{0, 0, 100, 50}));
    b.Clear(Color32(255, 0, 0));
    b.SetSize(100, 60);
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(b.Pixel(x, y), 0u);

    const int changes = log.Changes;
    EXPECT_FALSE(b.SetSize(100, 60));
    EXPECT_EQ(log.Changes, changes);

    b.SetSize(-5, 10);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 10);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.ClipRect(), (TRect{0, 0, 0, 10}));
}

TEST(Bitmap32, OversizedBitmapFailsCleanly)
{
    TBitmap32 b;
    b.SetSize(4, 4);
    try {
        b.SetSize(1 << 20, 1 << 20);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, ClearNotifiesOnlyWhenNotEmpty)
{
    TBitmap32 b;
    EventLog log;
    log.Attach(b);
    b.Clear();
    EXPECT_EQ(log.Changes, 0);
    b.SetSize(3, 2);
    b.Clear();
    EXPECT_EQ(b.Pixel(2, 1), 0xFF000000u);
    // With a clip rectangle only that part is cleared.
    b.SetClipRect(TRect{1, 0, 2, 9});
    EXPECT_EQ(b.ClipRect(), (TRect{1, 0, 2, 2}));
    EXPECT_TRUE(b.Clipping());
    b.Clear(0x11223344);
    EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel(1, 1), 0x11223344u);
    b.SetClipRect(TRect{10, 10, 20, 20});
    EXPECT_EQ(b.ClipRect(), (TRect{0, 0, 0, 0}));
    b.ResetClipRect();
    EXPECT_FALSE(b.Clipping());
}

// A bitmap just sized is zero and clearing it to zero writes nothing; every
// way of putting a pixel into it must make the next clear to zero a real one.
TEST(Bitmap32, ClearToZeroEmptiesWhateverWroteBefore)
{
    gdi::TGlyphSourceScope boxes{gdi::CreateBoxGlyphSource()};
    TBitmap32 red;
    red.SetSize(8, 6);
    red.Clear(0xFFFF0000);
    TMemoryStream data;
    red.WriteData(data);
    const std::vector<std::pair<const char*, std::function<void(TBitmap32&)>>> writers{
        {"SetPixel", [](TBitmap32& b) { b.SetPixel(3, 2, 1); }},
        {"Bits", [](TBitmap32& b) { b.Bits()[5] = 1; }},
        {"ScanLine", [](TBitmap32& b) { b.ScanLine(4)[1] = 1; }},
        {"PixelPtr", [](TBitmap32& b) { *b.PixelPtr(7, 5) = 1; }},
        {"FillRect", [](TBitmap32& b) { b.FillRect(1, 1, 3, 3, 1); }},
        {"FillRectS", [](TBitmap32& b) { b.FillRectS(1, 1, 3, 3, 1); }},
        {"Clear", [](TBitmap32& b) { b.Clear(1); }},
        {"ResetAlpha", [](TBitmap32& b) { b.ResetAlpha(); }},
        {"Draw", [&red](TBitmap32& b) { b.Draw(0, 0, &red); }},
        {"Assign", [&red](TBitmap32& b) { b.Assign(&red); }},
        {"ReadData",
            [&data](TBitmap32& b) {
                data.SetPosition(0);
                b.ReadData(data);
            }},
        {"Canvas",
            [](TBitmap32& b) {
                b.Canvas().Brush().SetColor(clRed);
                b.Canvas().FillRect(TRect{0, 0, 4, 4});
            }},
        {"TextOut", [](TBitmap32& b) { b.TextOut(0, 0, "A"); }},
        {"RenderText", [](TBitmap32& b) { b.RenderText(0, 0, "A", 0, 0xFF00FF00); }},
    };
    for (const auto& [name, write] : writers) {
        for (const bool byRect : {false, true}) {
            TBitmap32 b;
            b.SetSize(8, 6);
            b.Clear(0);
            write(b);
            int changes = 0;
            b.OnChange = [&](TObject*) { ++changes; };
            if (byRect)
                b.FillRect(0, 0, 8, 6, 0);
            else
                b.Clear(0);
            EXPECT_GE(changes, 1) << name;
            for (int32_t i = 0; i < b.Width() * b.Height(); ++i)
                ASSERT_EQ(b.Bits()[i], 0u) << name << (byRect ? " by FillRect" : "") << " at " << i;
        }
    }
}

TEST(Bitmap32, FillRectChangesExactlyItsPixelsAndReportsTheArea)
{
    TBitmap32 b;
    b.SetSize(8, 6);
    EventLog log;
    log.Attach(b);
    b.FillRect(2, 3, 5, 4, 0xAABBCCDD);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(b.Pixel(x, y), (y == 3 && x >= 2 && x < 5) ? 0xAABBCCDDu : 0u) << x << "," << y;
    ASSERT_EQ(log.Areas.size(), 1u);
    EXPECT_EQ(log.Areas[0], (TRect{2, 3, 5, 4}));
    EXPECT_EQ(log.Changes, 1);

    // Outside the bitmap nothing is written, but the area is still reported.
    log.Areas.clear();
    b.FillRect(-3, -3, 100, 1, 0x01010101);
    EXPECT_EQ(b.Pixel(7, 0), 0x01010101u);
    EXPECT_EQ(b.Pixel(7, 1), 0u);
    EXPECT_EQ(log.Areas.back(), (TRect{-3, -3, 100, 1}));
}

TEST(Bitmap32, FillRectSCutsToTheClipRectangle)
{
    TBitmap32 b;
    b.SetSize(10, 10);
    b.SetClipRect(TRect{2, 2, 6, 6});
    EventLog log;
    log.Attach(b);
    b.FillRectS(0, 0, 4, 4, 7);
    EXPECT_EQ(b.Pixel(1, 1), 0u);
    EXPECT_EQ(b.Pixel(2, 2), 7u);
    EXPECT_EQ(b.Pixel(3, 3), 7u);
    EXPECT_EQ(b.Pixel(4, 4), 0u);
    ASSERT_EQ(log.Areas.size(), 1u);
    EXPECT_EQ(log.Areas[0], (TRect{2, 2, 4, 4}));
    // Outside the clip or inverted: nothing filled, the rectangle as given.
    b.FillRectS(7, 7, 9, 9, 7);
    b.FillRectS(5, 5, 3, 3, 7);
    EXPECT_EQ(b.Pixel(8, 8), 0u);
    EXPECT_EQ(log.Areas[1], (TRect{7, 7, 9, 9}));
    EXPECT_EQ(log.Areas[2], (TRect{5, 5, 3, 3}));
}

TEST(Bitmap32, UpdateCountHoldsBackNotifications)
{
    TBitmap32 b;
    EventLog log;
    log.Attach(b);
    b.BeginUpdate();
    b.SetSize(4, 4);
    b.Clear();
    EXPECT_EQ(log.Changes, 0);
    EXPECT_TRUE(log.Areas.empty());
    b.EndUpdate();
    EXPECT_EQ(log.Changes, 0); // EndUpdate does not notify by itself
    b.Changed();
    EXPECT_EQ(log.Changes, 1);
    try {
        b.EndUpdate();
        FAIL() << "no exception";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Unpaired TThreadPersistent.EndUpdate");
    }
}

TEST(Bitmap32, MeasuringReportsAreasWithoutDrawing)
{
    TBitmap32 b;
    b.SetSize(4, 4);
    EventLog log;
    log.Attach(b);
    std::vector<TRect> measured;
    b.BeginMeasuring([&](TObject*, const TRect& r, uint32_t) { measured.push_back(r); });
    b.BeginUpdate(); // measuring reports even while updating
    b.Clear(0xFFFFFFFF);
    b.FillRectS(0, 0, 2, 2, 5);
    b.EndUpdate();
    b.EndMeasuring();
    EXPECT_EQ(b.Pixel(0, 0), 0u);
    ASSERT_EQ(measured.size(), 2u);
    EXPECT_EQ(measured[0], (TRect{0, 0, 4, 4}));
    EXPECT_EQ(measured[1], (TRect{0, 0, 2, 2}));
    EXPECT_EQ(log.Changes, 0);
    EXPECT_TRUE(log.Areas.empty());
    b.Changed();
    EXPECT_EQ(log.Areas.size(), 1u); // the saved handler is back
}

TEST(Bitmap32, PropertySettersNotifyOnlyOnChange)
{
    TBitmap32 b;
    EventLog log;
    log.Attach(b);
    b.SetDrawMode(dmOpaque);
    b.SetMasterAlpha(255);
    b.SetCombineMode(cmBlend);
    b.SetWrapMode(wmClamp);
    EXPECT_EQ(log.Changes, 0);
    b.SetDrawMode(dmBlend);
    b.SetMasterAlpha(10);
    b.SetCombineMode(cmMerge);
    b.SetWrapMode(wmMirror);
    EXPECT_EQ(log.Changes, 4);
}

TEST(Bitmap32, DestroyingFiresNoEvents)
{
    int events = 0;
    {
        TBitmap32 b;
        b.SetSize(5, 5);
        b.OnChange = [&](TObject*) { ++events; };
        b.OnResize = [&](TObject*) { ++events; };
        b.OnHandleChanged = [&](TObject*) { ++events; };
        b.OnAreaChanged = [&](TObject*, const TRect&, uint32_t) { ++events; };
    }
    EXPECT_EQ(events, 0);
}

TEST(Bitmap32, PixelReadsByClipAndWrapMode)
{
    TBitmap32 b;
    b.SetSize(4, 1);
    for (int32_t x = 0; x < 4; ++x)
        b.SetPixel(x, 0, TColor32(x + 1));
    b.SetOuterColor(0xDEAD);
    EXPECT_EQ(b.PixelS(-1, 0), 0xDEADu);
    EXPECT_EQ(b.PixelS(3, 0), 4u);
    b.SetPixelS(9, 9, 1); // dropped
    EXPECT_EQ(b.PixelW(6, 0), 4u);
    b.SetWrapMode(wmRepeat);
    EXPECT_EQ(b.PixelW(6, 0), 3u);
    b.SetWrapMode(wmMirror);
    EXPECT_EQ(b.PixelW(4, 3), 4u);
    EXPECT_EQ(b.PixelW(-1, 0), 1u);
}

TEST(Bitmap32, DataStreamFormat)
{
    TBitmap32 b;
    b.SetSize(1, 1);
    b.SetPixel(0, 0, 0x80FF0000);
    TMemoryStream s;
    b.WriteData(s);
    const std::vector<uint8_t> expected{1, 0, 0, 0, 1, 0, 0, 0, 0x00, 0x00, 0xFF, 0x80};
    EXPECT_EQ(Bytes(s), expected);

    TBitmap32 big;
    big.SetSize(7, 3);
    for (int32_t i = 0; i < 21; ++i)
        big.Bits()[i] = 0x01020304u * TColor32(i);
    TMemoryStream t;
    big.WriteData(t);
    t.SetPosition(0);
    TBitmap32 copy;
    int changes = 0;
    copy.OnChange = [&](TObject*) { ++changes; };
    copy.ReadData(t);
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.Height(), 3);
    EXPECT_TRUE(std::equal(big.Bits(), big.Bits() + 21, copy.Bits()));
    EXPECT_GE(changes, 1);
}

TEST(Bitmap32, DamagedDataRaisesWithoutAllocatingOrLosingThePicture)
{
    struct Case {
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {{0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}}, // 2^31 - 1 squared
        {{2, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3}},                // short pixels
        {{1, 0, 0}},                                        // short header
    };
    for (const Case& c : cases) {
        TBitmap32 b;
        b.SetSize(2, 1);
        b.Clear(0x12345678);
        int changes = 0;
        b.OnChange = [&](TObject*) { ++changes; };
        TMemoryStream s(c.bytes.data(), c.bytes.size());
        EXPECT_THROW(b.ReadData(s), EReadError);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(b.Pixel(1, 0), 0x12345678u);
    }
    // Negative sizes count as 0 and read no pixels, as SetSize has them.
    const std::vector<uint8_t> negative{0xFB, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0};
    TMemoryStream s(negative.data(), negative.size());
    TBitmap32 b;
    b.ReadData(s);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 3);
}

TEST(Bitmap32, FiltersInvertAndIntensityToAlpha)
{
    TBitmap32 src;
    src.SetSize(2, 1);
    src.SetPixel(0, 0, 0x80FF0000);
    src.SetPixel(1, 0, 0x00FFFFFF);
    TBitmap32 dst;
    Invert(&dst, &src);
    EXPECT_EQ(dst.Width(), 2);
    EXPECT_EQ(dst.Pixel(0, 0), 0x7F00FFFFu);
    EXPECT_EQ(dst.Pixel(1, 0), 0xFF000000u);

    // On one bitmap: colours kept, alpha from the intensity.
    IntensityToAlpha(&src, &src);
    EXPECT_EQ(src.Pixel(0, 0), SetAlpha(0x00FF0000, (255 * 61) >> 8));
    EXPECT_EQ(src.Pixel(1, 0), 0xFFFFFFFFu);
    // A bitmap that had to be resized keeps its (zero) colours.
    TBitmap32 fresh;
    IntensityToAlpha(&fresh, &src);
    EXPECT_EQ(fresh.Pixel(1, 0), 0xFF000000u);

    const auto message = [](auto fn) {
        try {
            fn();
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(message([&] { Invert(&dst, nullptr); }), "The source is nil");
    EXPECT_EQ(message([&] { Invert(nullptr, &src); }), "Destination is nil");
    EXPECT_EQ(message([&] { IntensityToAlpha(nullptr, nullptr); }), "The source is nil");
}

TEST(Bitmap32, ResetAlpha)
{
    TBitmap32 b;
    b.SetSize(2, 2);
    b.Clear(0x00123456);
    b.ResetAlpha();
    EXPECT_EQ(b.Pixel(1, 1), 0xFF123456u);
    b.ResetAlpha(7);
    EXPECT_EQ(b.Pixel(0, 0), 0x07123456u);
}

TEST(Bitmap32, ResamplerByClassName)
{
    TBitmap32 b;
    TCustomResampler* original = b.Resampler();
    b.SetResamplerClassName("TNearestResampler");
    EXPECT_EQ(b.Resampler(), original);
    b.SetResamplerClassName("tnearestresampler");
    b.SetResamplerClassName("TNoSuchResampler");
    b.SetResamplerClassName("");
    EXPECT_EQ(b.Resampler(), original);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetResamplerClassName("TKernelResampler");
    EXPECT_EQ(b.ResamplerClassName(), "TKernelResampler");
    EXPECT_EQ(static_cast<TBitmap32Resampler*>(b.Resampler())->Bitmap(), &b);
    EXPECT_EQ(changes, 1);
    // The resampler's own changes reach the bitmap.
    static_cast<TKernelResampler*>(b.Resampler())->SetKernelClassName("TLanczosKernel");
    EXPECT_EQ(changes, 2);
}

TEST(Bitmap32, AssignCopiesPixelsAndProperties)
{
    TBitmap32 a;
    a.SetSize(3, 2);
    a.Clear(0x80112233);
    a.SetDrawMode(dmBlend);
    a.SetMasterAlpha(99);
    a.SetOuterColor(0x42);
    a.SetResamplerClassName("TKernelResampler");
    auto* ka = static_cast<TKernelResampler*>(a.Resampler());
    ka->SetKernelClassName("TCubicKernel");
    static_cast<TCubicKernel*>(ka->Kernel())->SetCoeff(-1);
    ka->SetTableSize(9);
    a.Font().SetHeight(-20);

    TBitmap32 b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Assign(&a);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Pixel(2, 1), 0x80112233u);
    EXPECT_EQ(b.DrawMode(), dmBlend);
    EXPECT_EQ(b.MasterAlpha(), 99u);
    EXPECT_EQ(b.OuterColor(), 0x42u);
    auto* kb = static_cast<TKernelResampler*>(b.Resampler());
    EXPECT_EQ(kb->KernelClassName(), "TCubicKernel");
    EXPECT_EQ(static_cast<TCubicKernel*>(kb->Kernel())->Coeff(), -1);
    EXPECT_EQ(kb->TableSize(), 9);
    EXPECT_EQ(b.Font().Height(), -20);

    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, AssignFromAnUnknownClassRaisesAfterNotifying)
{
    TBitmap32 b;
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    TFont font;
    EXPECT_THROW(b.Assign(&font), EConvertError);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.UpdateCount(), 0);
}
