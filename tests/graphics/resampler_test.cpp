#include <gtest/gtest.h>

#include <cmath>

#include "graphics/resamplers.h"
#include "graphics/transforms.h"

namespace {

void Ramp(TBitmap32& b, int32_t w, int32_t h)
{
    b.SetSize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, Color32(uint8_t(x * 20), uint8_t(y * 20), 7, 255));
}

} // namespace

TEST(NearestResampler, SamplesByAccessMode)
{
    TBitmap32 b;
    Ramp(b, 4, 3);
    b.SetOuterColor(0x12345678);
    auto* r = static_cast<TNearestResampler*>(b.Resampler());
    r->PrepareSampling();
    EXPECT_EQ(r->GetSampleInt(-1, 1), 0x12345678u); // pamSafe
    EXPECT_EQ(r->GetSampleFixed(0x18000, 0), b.Pixel(1, 0));
    EXPECT_EQ(r->GetSampleFixed(0x18001, 0), b.Pixel(2, 0));
    EXPECT_EQ(r->GetSampleFloat(2.5f, 0.5f), b.Pixel(2, 0)); // ties to even
    r->SetPixelAccessMode(pamTransparentEdge);
    r->PrepareSampling();
    EXPECT_EQ(r->GetSampleInt(-1, 1), b.Pixel(0, 1) & 0x00FFFFFF);
    EXPECT_EQ(r->GetSampleInt(3, 2), b.Pixel(3, 2));
    EXPECT_EQ(r->GetSampleBounds(), (TFloatRect{-1, -1, 5, 4}));
    r->SetPixelAccessMode(pamWrap);
    b.SetWrapMode(wmRepeat);
    r->PrepareSampling();
    EXPECT_EQ(r->GetSampleInt(5, 4), b.Pixel(1, 1));
    r->FinalizeSampling();
    EXPECT_EQ(r->GetWidth(), 1.0f);
}

TEST(Kernels, FilterValuesAndProperties)
{
    struct Case {
        std::unique_ptr<TCustomKernel> kernel;
        float x, expected;
    };
    Case cases[] = {
        {std::make_unique<TBoxKernel>(), -0.5f, 1},
        {std::make_unique<TBoxKernel>(), 0.5f, 1},
        {std::make_unique<TBoxKernel>(), 0.51f, 0},
        {std::make_unique<TLinearKernel>(), 0.25f, 0.75f},
        {std::make_unique<TLinearKernel>(), 1, 0},
        {std::make_unique<TCosineKernel>(), 0.5f, 0.5f},
        {std::make_unique<TSplineKernel>(), 0, 2.0f / 3},
        {std::make_unique<TSplineKernel>(), 1, 1.0f / 6},
        {std::make_unique<TMitchellKernel>(), 0, 8.0f / 9},
        {std::make_unique<TCubicKernel>(), 0, 1},
        {std::make_unique<TCubicKernel>(), 1, 0},
        {std::make_unique<THermiteKernel>(), 0, 1},
        {std::make_unique<TLanczosKernel>(), 0, 1},
        {std::make_unique<TLanczosKernel>(), 1, 0},
        {std::make_unique<TLanczosKernel>(), 3, 0},
        {std::make_unique<TGaussianKernel>(), 0, 1},
        {std::make_unique<THannKernel>(), 0, 1},
        {std::make_unique<TSinshKernel>(), 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.kernel->Filter(c.x), c.expected, 1e-5) << c.kernel->ClassName() << " at " << c.x;

    TLanczosKernel lanczos;
    lanczos.SetWidth(5);
    EXPECT_EQ(lanczos.GetWidth(), 4);
    // Zero parameters give 0 instead of dividing by zero.
    TGaussianKernel gauss;
    gauss.SetSigma(0);
    EXPECT_EQ(gauss.Filter(0.5f), 0);
    gauss.SetSigma(2); // and can be changed again afterwards
    EXPECT_EQ(gauss.Sigma(), 2);
    TSinshKernel sinsh;
    sinsh.SetCoeff(0);
    EXPECT_EQ(sinsh.Filter(0.5f), 0);
    EXPECT_FALSE(std::isnan(sinsh.Filter(2.5f)));
}

TEST(KernelResampler, PropertiesAndRegistry)
{
    TBitmap32 b;
    b.SetResamplerClassName("TKernelResampler");
    auto* r = static_cast<TKernelResampler*>(b.Resampler());
    EXPECT_EQ(r->KernelClassName(), "TBoxKernel");
    EXPECT_EQ(r->TableSize(), 32);
    r->SetTableSize(1);
    EXPECT_EQ(r->TableSize(), 2);
    r->SetKernelClassName("TNoSuchKernel");
    r->SetKernelClassName("");
    EXPECT_EQ(r->KernelClassName(), "TBoxKernel");
    r->SetKernelClassName("THermiteKernel");
    EXPECT_EQ(r->GetWidth(), 2);
    for (const char* name : {"TBoxKernel", "TLinearKernel", "TCosineKernel", "TSplineKernel", "TCubicKernel",
             "TMitchellKernel", "TLanczosKernel", "TGaussianKernel", "TBlackmanKernel", "THannKernel", "THammingKernel",
             "TSinshKernel", "THermiteKernel"})
        EXPECT_NE(FindKernelClass(name), nullptr) << name;
}

TEST(KernelResampler, SamplesAgreeAcrossKernelModes)
{
    TBitmap32 b;
    Ramp(b, 8, 8);
    b.SetResamplerClassName("TKernelResampler");
    auto* r = static_cast<TKernelResampler*>(b.Resampler());
    r->SetKernelClassName("TLinearKernel");
    for (TKernelMode mode : {kmDynamic, kmTableNearest, kmTableLinear}) {
        r->SetKernelMode(mode);
        r->PrepareSampling();
        // At whole pixels every mode reads the pixel itself.
        EXPECT_EQ(r->GetSampleFloat(3, 4), b.Pixel(3, 4)) << mode;
        const TColor32 mid = r->GetSampleFloat(2.5f, 4);
        EXPECT_NEAR(RedComponent(mid), 50, 1) << mode;
        r->FinalizeSampling();
    }
    r->SetPixelAccessMode(pamSafe);
    b.SetOuterColor(0xABCDEF01);
    r->PrepareSampling();
    EXPECT_EQ(r->GetSampleFloat(-5, 1), 0xABCDEF01u);
}

TEST(Resamplers, StretchesKeepFlatColoursFlat)
{
    // Every resampler must reproduce a single colour exactly, enlarging and
    // reducing, in every draw mode that writes it.
    for (const char* name : {"TNearestResampler", "TLinearResampler", "TDraftResampler", "TKernelResampler"}) {
        for (TRect target : {TRect{0, 0, 37, 29}, TRect{3, 2, 9, 7}, TRect{0, 0, 1, 30}}) {
            TBitmap32 src, dst;
            src.SetSize(13, 11);
            src.Clear(0xFF336699);
            src.SetResamplerClassName(name);
            dst.SetSize(40, 30);
            dst.Draw(target, src.BoundsRect(), &src);
            for (int32_t y = target.Top; y < target.Bottom; ++y)
                for (int32_t x = target.Left; x < target.Right; ++x)
                    ASSERT_EQ(dst.Pixel(x, y), 0xFF336699u) << name << " " << x << "," << y;
            EXPECT_EQ(dst.Pixel(39, 0), 0u);
        }
    }
}

TEST(Resamplers, LinearEnlargingInterpolatesBetweenNeighbours)
{
    TBitmap32 src, dst;
    src.SetSize(2, 2);
    src.SetPixel(0, 0, 0xFF000000);
    src.SetPixel(0, 1, 0xFF000000);
    src.SetPixel(1, 0, 0xFFFF0000);
    src.SetPixel(1, 1, 0xFFFF0000);
    src.SetResamplerClassName("TLinearResampler");
    dst.SetSize(8, 8);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    EXPECT_EQ(RedComponent(dst.Pixel(0, 3)), 0);
    EXPECT_EQ(RedComponent(dst.Pixel(7, 3)), 255);
    for (int32_t x = 1; x < 8; ++x)
        EXPECT_LE(RedComponent(dst.Pixel(x - 1, 3)), RedComponent(dst.Pixel(x, 3)));
}

TEST(Resamplers, DraftReducingAveragesBlocks)
{
    TBitmap32 src, dst;
    src.SetSize(4, 2);
    src.Clear(0xFF000000);
    src.SetPixel(0, 0, 0xFFFFFFFF);
    src.SetPixel(1, 1, 0xFFFFFFFF);
    src.SetResamplerClassName("TDraftResampler");
    dst.SetSize(2, 1);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFF7F7F7Fu); // (510 * (2^24 div 4)) shr 24
    EXPECT_EQ(dst.Pixel(1, 0), 0xFF000000u);
}

namespace {

class TShift : public TTransformation {
public:
    std::string ClassName() const override { return "TShift"; }
    int Prepared = 0;
    void PrepareTransform() override
    {
        ++Prepared;
        TransformValid = true;
    }
    void ReverseTransformFloat(float x, float y, float& u, float& v) override
    {
        u = x - 1.5f;
        v = y;
    }
};

} // namespace

TEST(Transformations, DefaultsAndErrors)
{
    TTransformation plain;
    try {
        plain.ReverseTransform(TPoint{1, 2});
        FAIL();
    } catch (const ETransformNotImplemented& e) {
        EXPECT_STREQ(e.what(), "Reverse transformation is not implemented in TTransformation.");
    }
    EXPECT_THROW(plain.Transform(TFloatPoint{1, 2}), ETransformNotImplemented);

    TShift shift;
    EXPECT_EQ(shift.ReverseTransform(TPoint{4, 2}), (TPoint{2, 2})); // 2.5 -> (v + $7FFF) sar 16 = 2
    EXPECT_EQ(shift.ReverseTransform(TFixedPoint{Fixed(4), 0}), (TFixedPoint{Fixed(2.5f), 0}));
    EXPECT_EQ(shift.Prepared, 1);
    shift.Changed();
    EXPECT_FALSE(shift.TransformValid);

    TBitmap32 b;
    Ramp(b, 4, 1);
    TNearestTransformer t(b.Resampler(), &shift);
    t.PrepareSampling();
    EXPECT_EQ(t.GetSampleFloat(3.0f, 0), b.Pixel(2, 0)); // Round(1.5) = 2
    EXPECT_TRUE(t.HasBounds());
    TNestedSampler nested;
    EXPECT_THROW(nested.PrepareSampling(), ENestedException);
}

TEST(InterpolatingReads, WeighNeighboursThroughTheGammaTable)
{
    TBitmap32 b;
    b.SetSize(2, 2);
    b.Clear(0xFF000000);
    b.SetPixel(1, 0, 0xFFFFFFFF);
    b.SetPixel(1, 1, 0xFFFFFFFF);
    b.SetOuterColor(0x00ABCDEF);
    EXPECT_EQ(GammaTable(255), 255);
    EXPECT_EQ(GammaTable(0), 0);
    EXPECT_EQ(b.PixelX(0, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel256S(256, 0), 0xFFFFFFFFu); // the last column: the outer colour weighs 0
    // Halfway: the left weight is gamma[127], so more than half comes from
    // the left (black) pixel.
    const TColor32 mid = b.PixelX(0x8000, 0);
    EXPECT_EQ(RedComponent(mid), RedComponent(CombinePixel(0xFF000000, 0xFFFFFFFF, GammaTable(127))));
    EXPECT_LT(RedComponent(mid), 128);
    // Outside the clip rectangle the outer colour takes part; wrapping reads
    // the other side.
    EXPECT_EQ(b.PixelXS(Fixed(5), Fixed(5)), 0x00ABCDEFu);
    b.SetWrapMode(wmRepeat);
    EXPECT_EQ(b.PixelXW(Fixed(3), 0), 0xFFFFFFFFu);
}
