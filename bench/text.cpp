// Drawing a 48-character Japanese message line, as the message window does on
// every redraw, against rasterising the same glyphs with FreeType on each call
// (what drawing would cost without the glyph cache).

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

#include "base/sjis.h"
#include "classlib/text_render.h"

namespace {

const std::string& Line()
{
    static const std::string line = sjis::FromUtf8(
        "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で泣");
    return line;
}

gdi::HFONT Gothic(int32_t height)
{
    gdi::TLogFont lf;
    lf.Height = height;
    lf.Quality = gdi::NONANTIALIASED_QUALITY;
    lf.FaceName = sjis::FromUtf8("ＭＳ ゴシック");
    return gdi::CreateFontIndirect(lf);
}

void ExtTextOutCached(benchmark::State& state)
{
    const auto height = static_cast<int32_t>(state.range(0));
    std::vector<uint32_t> pixels(static_cast<size_t>(48 * -height * 2 * -height), 0);
    const gdi::TDIB32 dib{reinterpret_cast<uint8_t*>(pixels.data()), 48 * -height, -height * 2, 48 * -height * 4};
    gdi::TTextContext dc;
    dc.Font = Gothic(height);
    dc.TextColor = clWhite;
    dc.TransparentBackground = true;
    for (auto _ : state) {
        gdi::ExtTextOut(dib, dc, 0, 0, 0, nullptr, Line());
        benchmark::DoNotOptimize(pixels.data());
    }
}

// Reference: the same characters loaded and rendered by FreeType every time.
void FreeTypeUncached(benchmark::State& state)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FT_Library library;
    FT_Init_FreeType(&library);
    FT_Face face;
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), 0, &face) != 0) {
        state.SkipWithError("IPAGothic not found");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(-state.range(0)));
    const std::string utf8 = sjis::ToUtf8(Line());
    std::u32string chars;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        chars.push_back(cp);
        i += static_cast<size_t>(n);
    }
    for (auto _ : state) {
        for (char32_t ch : chars) {
            FT_Load_Char(face, ch, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO);
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

} // namespace

BENCHMARK(ExtTextOutCached)->Arg(-12)->Arg(-24);
BENCHMARK(FreeTypeUncached)->Arg(-12)->Arg(-24);
