#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/blend.h"
#include "graphics/blend_routines.h"

namespace {

// Restores the fast formula whatever a test selected.
struct BlendVariantScope {
    explicit BlendVariantScope(TBlendVariant v) { SelectBlendVariant(v); }
    ~BlendVariantScope() { SelectBlendVariant(bvFast); }
};

uint32_t FastChannel(uint32_t f, uint32_t b, uint32_t w)
{
    return (f * w + b * (256 - w) + 128) >> 8;
}
uint32_t PlainChannel(uint32_t f, uint32_t b, uint32_t w)
{
    return ((f * w + 128) >> 8) + ((b * (255 - w) + 128) >> 8);
}

TColor32 Grey(uint32_t v, uint32_t a)
{
    return (a << 24) | (v << 16) | (v << 8) | v;
}

} // namespace

TEST(Blend, FormulasDifferByOneLevelAtTheDocumentedPoint)
{
    const TColor32 f = Color32(0, 0, 0, 128);
    const TColor32 b = Color32(255, 255, 255, 255);
    EXPECT_EQ(RedComponent(FastBlendRoutines.BlendPixel(f, b)), 128);
    EXPECT_EQ(RedComponent(PlainBlendRoutines.BlendPixel(f, b)), 127);
    // Alpha is blended by the same formula, not composited.
    EXPECT_EQ(AlphaComponent(FastBlendRoutines.BlendPixel(Color32(1, 2, 3, 128), 0xFF000000)), 192);
}

TEST(Blend, EveryChannelFollowsItsFormulaForAllWeights)
{
    for (const auto* routines : {&FastBlendRoutines, &PlainBlendRoutines}) {
        const bool fast = routines == &FastBlendRoutines;
        for (uint32_t w = 1; w < 255; ++w)
            for (uint32_t fc : {0u, 1u, 77u, 128u, 254u, 255u})
                for (uint32_t bc : {0u, 3u, 128u, 200u, 255u}) {
                    const TColor32 f = (w << 24) | (fc << 16) | (bc << 8) | fc;
                    const TColor32 b = (bc << 24) | (bc << 16) | (fc << 8) | 255;
                    const TColor32 r = routines->BlendPixel(f, b);
                    const auto expect = fast ? FastChannel : PlainChannel;
                    ASSERT_EQ(RedComponent(r), expect(fc, bc, w)) << w;
                    ASSERT_EQ(GreenComponent(r), expect(bc, fc, w)) << w;
                    ASSERT_EQ(BlueComponent(r), expect(fc, 255, w)) << w;
                    ASSERT_EQ(AlphaComponent(r), expect(w, bc, w)) << w;
                }
    }
}

TEST(Blend, ShortcutsAtWeightsZeroAndFull)
{
    const TColor32 b = 0x12345678;
    for (const auto* r : {&FastBlendRoutines, &PlainBlendRoutines}) {
        EXPECT_EQ(r->BlendPixel(0x00FFFFFF, b), b);
        EXPECT_EQ(r->BlendPixel(0xFFABCDEF, b), 0xFFABCDEFu);
        TColor32 d = b;
        r->BlendPixelInPlace(0x00FFFFFF, d);
        EXPECT_EQ(d, b);
        r->BlendPixelInPlace(0xFF010203, d);
        EXPECT_EQ(d, 0xFF010203u);
        EXPECT_EQ(r->CombinePixel(0xAABBCCDD, b, 0), b);
        EXPECT_EQ(r->CombinePixel(0xAABBCCDD, b, 255), 0xAABBCCDDu);
        // Mask 0 with an opaque foreground weighs (1 * 255) shr 8 = 0.
        EXPECT_EQ(r->BlendPixelMasked(0xFFFFFFFF, b, 0), b);
        EXPECT_EQ(r->BlendPixelMasked(0x00FFFFFF, b, 255), b);
    }
}

TEST(Blend, MaskedWeights)
{
    // Pixel forms: ((M + 1) * Fa) shr 8; the fast row: ((Fa + 1) * M) shr 8.
    const TColor32 f = Grey(255, 10);
    const TColor32 b = Grey(0, 255);
    const uint32_t m = 250;
    EXPECT_EQ(RedComponent(FastBlendRoutines.BlendPixelMasked(f, b, m)), FastChannel(255, 0, 9));
    TColor32 row = b;
    FastBlendRoutines.BlendRowMasked(&f, &row, 1, m);
    EXPECT_EQ(RedComponent(row), FastChannel(255, 0, 10));
    row = b;
    PlainBlendRoutines.BlendRowMasked(&f, &row, 1, m);
    EXPECT_EQ(RedComponent(row), PlainChannel(255, 0, 9));
    // A masked blend writes a computed alpha, never 0 by itself.
    EXPECT_EQ(AlphaComponent(FastBlendRoutines.BlendPixelMasked(Grey(9, 200), Grey(9, 255), 128)),
        FastChannel(200, 255, (129 * 200) >> 8));
}

TEST(Blend, SSE2RowsMatchScalarRowsBitForBit)
{
    if (!blend_sse2::Available())
        GTEST_SKIP() << "no SSE2 on this target";
    std::mt19937 rng(7);
    std::vector<TColor32> src(1031), dstA(1031), dstB(1031);
    for (int round = 0; round < 40; ++round) {
        for (size_t i = 0; i < src.size(); ++i) {
            src[i] = rng();
            // Plenty of the shortcut alphas, too.
            if (i % 5 == 0)
                src[i] &= 0x00FFFFFF;
            if (i % 7 == 0)
                src[i] |= 0xFF000000;
            dstA[i] = dstB[i] = rng();
        }
        const int count = 1 + int(rng() % src.size());
        FastBlendRoutines.BlendRow(src.data(), dstA.data(), count);
        blend_sse2::BlendRow(src.data(), dstB.data(), count);
        ASSERT_EQ(dstA, dstB);
        const TColor32 m = rng() % 256;
        FastBlendRoutines.BlendRowMasked(src.data(), dstA.data(), count, m);
        blend_sse2::BlendRowMasked(src.data(), dstB.data(), count, m);
        ASSERT_EQ(dstA, dstB) << m;
        const TColor32 w = rng() % 256;
        FastBlendRoutines.CombineRow(src.data(), dstA.data(), count, w);
        blend_sse2::CombineRow(src.data(), dstB.data(), count, w);
        ASSERT_EQ(dstA, dstB) << w;
    }
}

TEST(Blend, DispatchInstallsTheSelectedFormulaInEveryTable)
{
    const TColor32 f = Color32(0, 0, 0, 128);
    const TColor32 b = 0xFFFFFFFF;
    {
        BlendVariantScope plain(bvPlain);
        EXPECT_EQ(RedComponent(BlendPixel(f, b)), 127);
        EXPECT_EQ(RedComponent(BlendPixelByMode[cmBlend](f, b)), 127);
        TColor32 d = b;
        BlendRowByMode[cmBlend](&f, &d, 1);
        EXPECT_EQ(RedComponent(d), 127);
        EXPECT_FALSE(BlendUsesSSE2());
    }
    EXPECT_EQ(CurrentBlendVariant(), bvFast);
    EXPECT_EQ(RedComponent(BlendPixel(f, b)), 128);
    TColor32 d = b;
    BlendRow(&f, &d, 1);
    EXPECT_EQ(RedComponent(d), 128);
    EXPECT_EQ(BlendPixelByMode[cmMerge], blend_merge::MergePixel);
}

TEST(Blend, RowFormsIgnoreNonPositiveCounts)
{
    TColor32 s = 0xFF112233, d = 0x44556677;
    BlendRow(&s, &d, 0);
    BlendRowMasked(&s, &d, -3, 100);
    CombineRow(&s, &d, -1, 100);
    EXPECT_EQ(d, 0x44556677u);
}

TEST(Merge, ShortcutsAndAlpha)
{
    const TColor32 f = Color32(200, 100, 50, 128);
    EXPECT_EQ(blend_merge::MergePixel(Color32(1, 2, 3, 0), 0x80FFFFFF), 0x80FFFFFFu);
    EXPECT_EQ(blend_merge::MergePixel(0xFF010203, 0x80FFFFFF), 0xFF010203u);
    EXPECT_EQ(blend_merge::MergePixel(f, 0x00FFFFFF), f);
    EXPECT_EQ(blend_merge::MergePixel(f, 0xFF000000), BlendPixel(f, 0xFF000000) | 0xFF000000);
    // 128 over 128: 128 + 128 - Round(128 * 128 / 255) = 192.
    const TColor32 r = blend_merge::MergePixel(f, Color32(0, 0, 0, 128));
    EXPECT_EQ(AlphaComponent(r), 192);
    // Merging keeps the foreground's colour stronger than a plain blend.
    EXPECT_GT(RedComponent(r), 128);
}

TEST(Merge, DivisionTablesRoundToEven)
{
    EXPECT_EQ(blend_merge::ProductTable(255, 255), 255);
    EXPECT_EQ(blend_merge::ProductTable(128, 128), 64); // 64.25
    EXPECT_EQ(blend_merge::ReciprocalTable(1, 2), 128); // 127.5 -> 128 (even)
    EXPECT_EQ(blend_merge::ReciprocalTable(3, 2), 126); // 382.5 -> 382, low byte
    EXPECT_EQ(blend_merge::ReciprocalTable(9, 0), 0);
}

TEST(ColorAlgebra, PerChannelOperations)
{
    const TColor32 a = 0x80FF1000;
    const TColor32 b = 0x40102030;
    EXPECT_EQ(ColorAdd(a, b), 0xC0FF3030u);
    EXPECT_EQ(ColorSub(a, b), 0x40EF0000u);
    EXPECT_EQ(ColorMax(a, b), 0x80FF2030u);
    EXPECT_EQ(ColorMin(a, b), 0x40101000u);
    EXPECT_EQ(ColorDifference(a, b), 0x40EF1030u);
    EXPECT_EQ(ColorAverage(a, b), 0x60871818u);
    EXPECT_EQ(ColorModulate(0xFFFF8000, 0x80808080), 0x7F7F4000u);
    EXPECT_EQ(ColorDiv(0x00000080, 0x00000040), 0xFFFFFF80u);
    EXPECT_EQ(ColorScale(0x80402010, 512), 0xFF804020u);
}
