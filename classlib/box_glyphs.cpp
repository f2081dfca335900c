// The box glyph source: exact, machine-independent text output for tests.

#include "classlib/glyph_source.h"

#include <algorithm>

namespace gdi {

namespace {

class TBoxFace final : public TGlyphFace {
public:
    explicit TBoxFace(const TLogFont& lf)
    {
        const int64_t h = lf.Height < 0 ? -static_cast<int64_t>(lf.Height) : lf.Height > 0 ? lf.Height : 16;
        const auto em = static_cast<int32_t>(std::min<int64_t>(h, 2048));
        FMetrics.EmHeight = em;
        FMetrics.Descent = em / 4;
        FMetrics.Ascent = em - FMetrics.Descent;
        FMetrics.AveCharWidth = em / 2;
        FMetrics.MaxCharWidth = em;
        FMetrics.UnderlinePosition = FMetrics.Descent / 2;
        FMetrics.StrikeOutPosition = FMetrics.Ascent / 3;
        FMetrics.FixedPitch = true;
        FEdge = lf.Quality == NONANTIALIASED_QUALITY ? 255 : 128;
    }
    const TFaceMetrics& Metrics() const override { return FMetrics; }
    void RenderGlyph(char32_t ch, TGlyphImage& out) override
    {
        const bool half = ch < 0x100 || (ch >= 0xFF61 && ch <= 0xFF9F);
        const int32_t em = FMetrics.EmHeight;
        out = TGlyphImage{};
        out.Advance = half ? em / 2 : em;
        if (ch == 0x20 || ch == 0x3000 || out.Advance == 0)
            return;
        out.Width = std::max(out.Advance - 1, 1);
        out.Height = em;
        out.Top = FMetrics.Ascent;
        out.Coverage.assign(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height), 255);
        if (FEdge != 255)
            for (int32_t y = 0; y < out.Height; ++y)
                out.Coverage[static_cast<size_t>(y) * out.Width + static_cast<size_t>(out.Width - 1)] = FEdge;
    }
    std::string FamilyName() const override { return "Box"; }

private:
    TFaceMetrics FMetrics;
    uint8_t FEdge = 255;
};

class TBoxSource final : public TGlyphSource {
public:
    std::unique_ptr<TGlyphFace> OpenFace(const TLogFont& logFont) override
    {
        return std::make_unique<TBoxFace>(logFont);
    }
};

} // namespace

std::unique_ptr<TGlyphSource> CreateBoxGlyphSource()
{
    return std::make_unique<TBoxSource>();
}

} // namespace gdi
