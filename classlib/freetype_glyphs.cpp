// Glyphs from FreeType over the fonts fontconfig knows, sized and hinted the
// way GDI sizes its fonts.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_OUTLINE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <tuple>

#include "base/sjis.h"
#include "classlib/font_substitution.h"
#include "classlib/glyph_source.h"

namespace gdi {

namespace {

// Larger requests are drawn at this em height; nobody reads text that size and
// each glyph's coverage grows with its square.
constexpr double MaxPixelsPerEm = 2048;
// The shear of simulated italics (about 12 degrees, as GDI slants).
constexpr FT_Fixed ItalicShear = 0x0366A;

class TLibrary {
public:
    TLibrary()
    {
        if (FT_Init_FreeType(&Handle) != 0)
            Handle = nullptr;
    }
    ~TLibrary()
    {
        if (Handle != nullptr)
            FT_Done_FreeType(Handle);
    }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;
    FT_Library Handle = nullptr;
};

struct TFontFile {
    std::string Path;
    int Index = 0;
    std::string Family;
    bool Bold = false;
    bool Italic = false;
};

bool SameAscii(const char* a, const std::string& b)
{
    const size_t n = std::char_traits<char>::length(a);
    if (n != b.size())
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Our own fontconfig configuration, loaded once and released at exit: what
// it allocates is partly referenced from its mapped cache files only, so a
// configuration that is never released shows up as a leak. Nothing asks
// fontconfig anything once the program ends (realised fonts keep only file
// names).
FcConfig*& ConfigSlot()
{
    static FcConfig* config = nullptr;
    return config;
}

FcConfig* FontConfig()
{
    static const bool loaded = [] {
        ConfigSlot() = FcInitLoadConfigAndFonts();
        std::atexit([] {
            if (ConfigSlot() != nullptr)
                FcConfigDestroy(ConfigSlot());
            ConfigSlot() = nullptr;
        });
        return true;
    }();
    (void)loaded;
    return ConfigSlot();
}

// The installed file of `family` in the style nearest to the one asked for;
// nothing when the family is not installed (fontconfig itself would answer
// with some other family), unless `anyFamily`.
std::optional<TFontFile> FindFamily(const std::string& family, bool bold, bool italic, bool anyFamily = false)
{
    FcConfig* config = FontConfig();
    FcPattern* pattern = config != nullptr ? FcPatternCreate() : nullptr;
    if (pattern == nullptr)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return std::nullopt;

    std::optional<TFontFile> file;
    FcChar8* name = nullptr;
    bool sameFamily = false;
    std::string firstFamily;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (i == 0)
            firstFamily = reinterpret_cast<const char*>(name);
        if (SameAscii(reinterpret_cast<const char*>(name), family))
            sameFamily = true;
    }
    FcChar8* path = nullptr;
    if ((sameFamily || anyFamily) && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        TFontFile f;
        f.Path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(match, FC_INDEX, 0, &f.Index);
        f.Family = sameFamily ? family : firstFamily;
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        f.Bold = weight >= FC_WEIGHT_DEMIBOLD;
        f.Italic = slant != FC_SLANT_ROMAN;
        file = std::move(f);
    }
    FcPatternDestroy(match);
    return file;
}

// A face with nothing to draw with: no usable font is installed at all.
class TNullFace final : public TGlyphFace {
public:
    explicit TNullFace(int32_t em)
    {
        FMetrics.EmHeight = em;
        FMetrics.Descent = em / 4;
        FMetrics.Ascent = em - FMetrics.Descent;
        FMetrics.AveCharWidth = FMetrics.MaxCharWidth = em / 2;
    }
    const TFaceMetrics& Metrics() const override { return FMetrics; }
    void RenderGlyph(char32_t, TGlyphImage& out) override { out = TGlyphImage{FMetrics.EmHeight / 2, 0, 0, 0, 0, {}}; }
    std::string FamilyName() const override { return {}; }

private:
    TFaceMetrics FMetrics;
};

class TFreeTypeFace final : public TGlyphFace {
public:
    TFreeTypeFace(
        std::shared_ptr<TLibrary> library, FT_Face face, std::string family, std::optional<TFontFile> fallback)
        : FLibrary(std::move(library)), FFace(face), FFamily(std::move(family)), FFallbackFile(std::move(fallback))
    {
    }
    ~TFreeTypeFace() override
    {
        if (FFallback != nullptr)
            FT_Done_Face(FFallback);
        FT_Done_Face(FFace);
    }
    TFreeTypeFace(const TFreeTypeFace&) = delete;
    TFreeTypeFace& operator=(const TFreeTypeFace&) = delete;

    // Sizes the face for the LOGFONT and fills the metrics.
    void Realise(const TLogFont& lf, bool faceBold, bool faceItalic);

    const TFaceMetrics& Metrics() const override { return FMetrics; }
    void RenderGlyph(char32_t ch, TGlyphImage& out) override;
    std::string FamilyName() const override { return FFamily; }

private:
    FT_Face Fallback();
    void Prepare(FT_Face face) const;

    std::shared_ptr<TLibrary> FLibrary;
    FT_Face FFace;
    std::string FFamily;
    std::optional<TFontFile> FFallbackFile;
    FT_Face FFallback = nullptr;
    TFaceMetrics FMetrics;
    FT_F26Dot6 FCharSize = 0;
    bool FMono = false;
    bool FShear = false;
};

void TFreeTypeFace::Prepare(FT_Face face) const
{
    FT_Set_Char_Size(face, 0, FCharSize, 72, 72);
    if (FShear) {
        FT_Matrix m{0x10000, ItalicShear, 0, 0x10000};
        FT_Set_Transform(face, &m, nullptr);
    }
}

void TFreeTypeFace::Realise(const TLogFont& lf, bool faceBold, bool faceItalic)
{
    FMono = lf.Quality == NONANTIALIASED_QUALITY;
    FShear = lf.Italic && !faceItalic;

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(FFace, FT_SFNT_OS2));
    const double upem = FFace->units_per_EM > 0 ? FFace->units_per_EM : 1000;
    double asc = FFace->ascender, desc = -FFace->descender;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
    }
    if (asc + desc <= 0) {
        asc = upem * 0.8;
        desc = upem * 0.2;
    }
    // Negative heights give the em size, positive ones the cell (ascent +
    // descent) size; 0 is the default 16-pixel cell.
    const int64_t height = lf.Height == 0 ? 16 : lf.Height;
    double ppem = height < 0 ? static_cast<double>(-height) : static_cast<double>(height) * upem / (asc + desc);
    ppem = std::clamp(ppem, 1.0, MaxPixelsPerEm);
    const double scale = ppem / upem;
    FMetrics.EmHeight = static_cast<int32_t>(std::lround(ppem));
    FMetrics.Ascent = static_cast<int32_t>(std::lround(asc * scale));
    if (height > 0 && ppem < MaxPixelsPerEm)
        FMetrics.Descent = static_cast<int32_t>(height) - FMetrics.Ascent;
    else
        FMetrics.Descent = static_cast<int32_t>(std::lround(desc * scale));
    FMetrics.Descent = std::max(FMetrics.Descent, 0);
    FMetrics.AveCharWidth = static_cast<int32_t>(std::lround(
        (os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2) * scale));
    FMetrics.MaxCharWidth = static_cast<int32_t>(std::lround(FFace->max_advance_width * scale));

    const double thickness = FFace->underline_thickness > 0 ? FFace->underline_thickness * scale : ppem / 14;
    FMetrics.UnderlineThickness = std::max(1, static_cast<int32_t>(std::lround(thickness)));
    FMetrics.UnderlinePosition =
        std::max(1, static_cast<int32_t>(std::lround(-FFace->underline_position * scale - thickness / 2)));
    if (FMetrics.UnderlinePosition + FMetrics.UnderlineThickness > FMetrics.Descent)
        FMetrics.UnderlinePosition = std::max(0, FMetrics.Descent - FMetrics.UnderlineThickness);
    if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        FMetrics.StrikeOutThickness = std::max(1, static_cast<int32_t>(std::lround(os2->yStrikeoutSize * scale)));
        FMetrics.StrikeOutPosition =
            static_cast<int32_t>(std::lround(os2->yStrikeoutPosition * scale)) + FMetrics.StrikeOutThickness / 2;
    } else {
        FMetrics.StrikeOutThickness = FMetrics.UnderlineThickness;
        FMetrics.StrikeOutPosition = static_cast<int32_t>(std::lround(ppem * 0.3));
    }
    FMetrics.Bold = faceBold;
    FMetrics.FixedPitch = FT_IS_FIXED_WIDTH(FFace);

    FCharSize = static_cast<FT_F26Dot6>(std::lround(ppem * 64));
    Prepare(FFace);
}

FT_Face TFreeTypeFace::Fallback()
{
    if (FFallback == nullptr && FFallbackFile) {
        if (FT_New_Face(FLibrary->Handle, FFallbackFile->Path.c_str(), FFallbackFile->Index, &FFallback) == 0)
            Prepare(FFallback);
        else
            FFallback = nullptr;
        FFallbackFile.reset(); // tried once
    }
    return FFallback;
}

void TFreeTypeFace::RenderGlyph(char32_t ch, TGlyphImage& out)
{
    out = TGlyphImage{};
    FT_Face face = FFace;
    FT_UInt index = FT_Get_Char_Index(face, ch);
    if (index == 0 && ch >= 0x20) {
        if (FT_Face fallback = Fallback()) {
            const FT_UInt other = FT_Get_Char_Index(fallback, ch);
            if (other != 0) {
                face = fallback;
                index = other;
            }
        }
    }
    const FT_Int32 load = FT_LOAD_DEFAULT | (FMono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, load) != 0)
        return;
    FT_GlyphSlot slot = face->glyph;
    out.Advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, FMono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0 || (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO))
        return;
    out.Left = slot->bitmap_left;
    out.Top = slot->bitmap_top;
    out.Width = static_cast<int32_t>(bm.width);
    out.Height = static_cast<int32_t>(bm.rows);
    out.Coverage.resize(static_cast<size_t>(bm.width) * bm.rows);
    const int grays = bm.pixel_mode == FT_PIXEL_MODE_GRAY ? std::max<int>(bm.num_grays, 2) : 2;
    for (unsigned y = 0; y < bm.rows; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        uint8_t* dst = out.Coverage.data() + static_cast<size_t>(y) * bm.width;
        for (unsigned x = 0; x < bm.width; ++x) {
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                dst[x] = grays == 256 ? row[x] : static_cast<uint8_t>(row[x] * 255 / (grays - 1));
        }
    }
}

class TFreeTypeSource final : public TGlyphSource {
public:
    TFreeTypeSource() : FLibrary(std::make_shared<TLibrary>()) {}
    std::unique_ptr<TGlyphFace> OpenFace(const TLogFont& logFont) override;

private:
    std::optional<TFontFile> Find(const std::string& family, bool bold, bool italic);

    std::shared_ptr<TLibrary> FLibrary;
    std::map<std::tuple<std::string, bool, bool>, std::optional<TFontFile>> FFound;
};

std::optional<TFontFile> TFreeTypeSource::Find(const std::string& family, bool bold, bool italic)
{
    const auto key = std::make_tuple(family, bold, italic);
    auto it = FFound.find(key);
    if (it == FFound.end())
        it = FFound.emplace(key, family.empty() ? std::optional<TFontFile>{} : FindFamily(family, bold, italic)).first;
    return it->second;
}

std::unique_ptr<TGlyphFace> TFreeTypeSource::OpenFace(const TLogFont& lf)
{
    const bool bold = lf.Weight >= 600;
    const bool fixed = (lf.PitchAndFamily & 3) == FIXED_PITCH;
    const int32_t nullEm = lf.Height < 0 ? -lf.Height : lf.Height > 0 ? lf.Height : 16;
    if (FLibrary->Handle == nullptr)
        return std::make_unique<TNullFace>(std::min(nullEm, 2048));

    std::optional<TFontFile> file = Find(SubstituteFace(sjis::ToUtf8(lf.FaceName)), bold, lf.Italic);
    if (!file) {
        if (fixed)
            for (const char* f : DefaultFixedFamilies)
                if ((file = Find(f, bold, lf.Italic)))
                    break;
        if (!file)
            for (const char* f : DefaultFamilies)
                if ((file = Find(f, bold, lf.Italic)))
                    break;
        if (!file)
            file = FindFamily("sans-serif", bold, lf.Italic, true);
    }
    FT_Face face = nullptr;
    if (!file || FT_New_Face(FLibrary->Handle, file->Path.c_str(), file->Index, &face) != 0 || !FT_IS_SCALABLE(face)) {
        if (face != nullptr)
            FT_Done_Face(face);
        return std::make_unique<TNullFace>(std::min(nullEm, 2048));
    }
    std::optional<TFontFile> fallback;
    for (const char* f : FallbackFamilies) {
        if (SameAscii(f, file->Family))
            break; // the face is a Japanese face itself
        if ((fallback = Find(f, false, false)))
            break;
    }
    auto result = std::make_unique<TFreeTypeFace>(FLibrary, face, file->Family, std::move(fallback));
    result->Realise(lf, file->Bold, file->Italic);
    return result;
}

} // namespace

std::unique_ptr<TGlyphSource> CreateFreeTypeGlyphSource()
{
    return std::make_unique<TFreeTypeSource>();
}

} // namespace gdi
