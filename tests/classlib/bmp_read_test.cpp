// The bitmap file reader over files made for every header, depth and layout,
// and over damaged files.

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <memory>
#include <string>

#include "base/streams.h"
#include "bmp_builder.h"
#include "classlib/bitmap.h"

using namespace bmptest;

namespace {

constexpr int32_t W = 5; // odd, so rows carry padding at every depth
constexpr int32_t H = 3;

struct TRGBA {
    uint8_t R, G, B, A;
};

TRGBA Sample(int x, int y)
{
    static const uint8_t reds[] = {0, 128, 255};
    static const uint8_t blues[] = {255, 128, 0};
    static const uint8_t alphas[] = {255, 0, 128};
    return TRGBA{reds[(x + y) % 3], static_cast<uint8_t>(x % 2 ? 255 : 0), blues[y % 3], alphas[(x * y) % 3]};
}

uint32_t PackChannel(uint8_t v, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int bits = std::popcount(mask);
    const uint32_t q = bits >= 8 ? static_cast<uint32_t>(v) << (bits - 8) : static_cast<uint32_t>(v) >> (8 - bits);
    return q << std::countr_zero(mask);
}

// What a channel stored through `mask` reads back as.
uint8_t Through(uint8_t v, uint32_t mask)
{
    const int bits = std::popcount(mask);
    if (bits == 0)
        return 0;
    if (bits >= 8)
        return v;
    const uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>(((v >> (8 - bits)) * 255 + max / 2) / max);
}

TPalette TestPalette(int count)
{
    TPalette p;
    for (int i = 0; i < count; ++i)
        p.push_back(
            TRGBQuad{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3 + 1), 0});
    return p;
}

std::unique_ptr<TBitmap> Load(const std::vector<uint8_t>& file)
{
    TMemoryStream stream(file.data(), file.size());
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(stream);
    return bitmap;
}

struct TDirectCase {
    const char* Name;
    uint32_t HeaderSize;
    uint16_t BitCount;
    uint32_t Compression;
    bool TopDown;
    uint32_t Masks[4]; // as stored (bit fields) or as the layout implies (BI_RGB)
    TPixelFormat Expected;
    bool AlphaKept; // the format's top byte reaches the bitmap
};

const TDirectCase DirectCases[] = {
    {"core 24", 12, 24, BI_RGB, false, {0xFF0000, 0xFF00, 0xFF, 0}, pf24bit, false},
    {"info 16 (5-5-5)", 40, 16, BI_RGB, false, {0x7C00, 0x03E0, 0x001F, 0}, pf15bit, false},
    {"info 24", 40, 24, BI_RGB, false, {0xFF0000, 0xFF00, 0xFF, 0}, pf24bit, false},
    {"info 24 top-down", 40, 24, BI_RGB, true, {0xFF0000, 0xFF00, 0xFF, 0}, pf24bit, false},
    {"info 32 keeps its fourth byte", 40, 32, BI_RGB, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, pf32bit, true},
    {"info 32 top-down", 40, 32, BI_RGB, true, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, pf32bit, true},
    {"info fields 5-6-5", 40, 16, BI_BITFIELDS, false, {0xF800, 0x07E0, 0x001F, 0}, pf16bit, false},
    {"info fields 5-5-5", 40, 16, BI_BITFIELDS, false, {0x7C00, 0x03E0, 0x001F, 0}, pf15bit, false},
    {"info fields 32 standard", 40, 32, BI_BITFIELDS, false, {0xFF0000, 0xFF00, 0xFF, 0}, pf32bit, false},
    {"info fields 32 swapped red and blue", 40, 32, BI_BITFIELDS, false, {0xFF, 0xFF00, 0xFF0000, 0}, pf24bit, false},
    {"info alpha fields 4-4-4-4", 40, 16, BI_ALPHABITFIELDS, false, {0x0F00, 0x00F0, 0x000F, 0xF000}, pf32bit, true},
    {"v2 fields 5-6-5", 52, 16, BI_BITFIELDS, false, {0xF800, 0x07E0, 0x001F, 0}, pf16bit, false},
    {"v3 fields 32 with alpha", 56, 32, BI_BITFIELDS, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, pf32bit, true},
    {"v4 fields 10-10-10", 108, 32, BI_BITFIELDS, false, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, pf24bit, false},
    {"v4 24 top-down", 108, 24, BI_RGB, true, {0xFF0000, 0xFF00, 0xFF, 0}, pf24bit, false},
    {"v5 fields 4-4-4-4", 124, 16, BI_BITFIELDS, false, {0x0F00, 0x00F0, 0x000F, 0xF000}, pf32bit, true},
    {"v5 fields 32 top-down", 124, 32, BI_BITFIELDS, true, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, pf32bit, true},
    {"v5 16 (5-5-5)", 124, 16, BI_RGB, false, {0x7C00, 0x03E0, 0x001F, 0}, pf15bit, false},
};

} // namespace

TEST(BmpRead, DirectColourFilesOfEveryHeaderAndLayout)
{
    for (const TDirectCase& c : DirectCases) {
        SCOPED_TRACE(c.Name);
        TSpec s;
        s.HeaderSize = c.HeaderSize;
        s.Width = W;
        s.Height = H;
        s.TopDown = c.TopDown;
        s.BitCount = c.BitCount;
        s.Compression = c.Compression;
        std::copy(std::begin(c.Masks), std::end(c.Masks), s.Masks);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const TRGBA p = Sample(x, y);
                s.Pixels.push_back(PackChannel(p.R, c.Masks[0]) | PackChannel(p.G, c.Masks[1]) |
                                   PackChannel(p.B, c.Masks[2]) | PackChannel(p.A, c.Masks[3]));
            }
        const auto loaded = Load(Build(s));
        const TBitmap& b = *loaded;
        ASSERT_EQ(b.Width(), W);
        ASSERT_EQ(b.Height(), H);
        EXPECT_EQ(b.PixelFormat(), c.Expected);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const TRGBA p = Sample(x, y);
                EXPECT_EQ(b.PixelColor(x, y),
                    RGB(Through(p.R, c.Masks[0]), Through(p.G, c.Masks[1]), Through(p.B, c.Masks[2])))
                    << x << "," << y;
                if (c.AlphaKept) {
                    EXPECT_EQ(b.RawPixel(x, y) >> 24, Through(p.A, c.Masks[3])) << x << "," << y;
                }
            }
    }
}

TEST(BmpRead, PaletteFilesOfEveryDepth)
{
    struct TCase {
        uint32_t HeaderSize;
        uint16_t BitCount;
        uint32_t ClrUsed;
        bool TopDown;
        TPixelFormat Expected;
    };
    const TCase cases[] = {
        {12, 1, 0, false, pf1bit},
        {12, 4, 0, false, pf4bit},
        {12, 8, 0, false, pf8bit},
        {40, 1, 0, false, pf1bit},
        {40, 4, 0, false, pf4bit},
        {40, 8, 0, false, pf8bit},
        {40, 4, 6, false, pf4bit},
        {40, 8, 300, false, pf8bit},
        {40, 8, 0, true, pf8bit},
        {124, 8, 16, false, pf8bit},
        {108, 1, 2, true, pf1bit},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.HeaderSize) + "/" + std::to_string(c.BitCount) + "/" + std::to_string(c.ClrUsed) +
                     (c.TopDown ? " top-down" : ""));
        const int capacity = 1 << c.BitCount;
        const int entries = c.ClrUsed == 0 || c.HeaderSize == 12 ? capacity : std::min<int>(c.ClrUsed, capacity);
        TSpec s;
        s.HeaderSize = c.HeaderSize;
        s.Width = W;
        s.Height = H;
        s.TopDown = c.TopDown;
        s.BitCount = c.BitCount;
        s.ClrUsed = c.ClrUsed;
        s.Palette = TestPalette(entries);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                s.Pixels.push_back(static_cast<uint32_t>((x + 3 * y) % entries));
        const auto loaded = Load(Build(s));
        const TBitmap& b = *loaded;
        EXPECT_EQ(b.PixelFormat(), c.Expected);
        EXPECT_EQ(b.Palette(), s.Palette);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                EXPECT_EQ(b.RawPixel(x, y), static_cast<uint32_t>((x + 3 * y) % entries)) << x << "," << y;
    }
}

TEST(BmpRead, Rle8RunsLiteralsDeltasAndLineEnds)
{
    TSpec s;
    s.Width = 6;
    s.Height = 4;
    s.BitCount = 8;
    s.Compression = BI_RLE8;
    s.Palette = TestPalette(8);
    s.Encoded = {
        3, 1, 0, 3, 2, 3, 4, 0, 0, 0, // bottom row: 1 1 1 2 3 4, literal padded
        0, 2, 2, 1,                   // delta: two right, one up (skips row 1)
        2, 5, 0, 0,                   // row 2: _ _ 5 5
        9, 6, 0, 1,                   // top row: a run longer than the row, then the end
    };
    const auto loaded = Load(Build(s));
    const TBitmap& b = *loaded;
    const uint32_t expected[4][6] = {{6, 6, 6, 6, 6, 6}, {0, 0, 5, 5, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(b.RawPixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpRead, Rle4AlternatesNibbles)
{
    TSpec s;
    s.Width = 5;
    s.Height = 2;
    s.BitCount = 4;
    s.Compression = BI_RLE4;
    s.Palette = TestPalette(16);
    s.Encoded = {
        5,
        0x12,
        0,
        0, // bottom row: 1 2 1 2 1
        0,
        3,
        0xAB,
        0xC0,
        0,
        0, // top row: literal A B C (two bytes, padded to a word)
        0,
        1,
    };
    const auto loaded = Load(Build(s));
    const TBitmap& b = *loaded;
    const uint32_t expected[2][5] = {{10, 11, 12, 0, 0}, {1, 2, 1, 2, 1}};
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(b.RawPixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpRead, RleDataEndingEarlyShowsWhatWasThere)
{
    TSpec s;
    s.Width = 4;
    s.Height = 2;
    s.BitCount = 8;
    s.Compression = BI_RLE8;
    s.Palette = TestPalette(4);
    s.Encoded = {4, 3, 0, 0, 0, 7, 1}; // literal of 7 cut short, no end mark
    const auto loaded = Load(Build(s));
    const TBitmap& b = *loaded;
    EXPECT_EQ(b.RawPixel(0, 1), 3u);
    EXPECT_EQ(b.RawPixel(0, 0), 1u);
    EXPECT_EQ(b.RawPixel(1, 0), 0u);
}

TEST(BmpRead, AcceptsMissingPaddingAfterTheLastRow)
{
    TSpec s;
    s.Width = 1;
    s.Height = 2;
    s.Pixels = {0x112233, 0x445566};
    std::vector<uint8_t> file = Build(s);
    file.resize(file.size() - 1); // the file's last byte is the bottom-up last row's padding
    const auto loaded = Load(file);
    const TBitmap& b = *loaded;
    EXPECT_EQ(b.RawPixel(0, 0), 0x112233u);
    EXPECT_EQ(b.RawPixel(0, 1), 0x445566u);
}

TEST(BmpRead, LeavesThePositionAfterThePixels)
{
    TSpec s;
    s.Width = 2;
    s.Height = 2;
    s.Pixels = {1, 2, 3, 4};
    std::vector<uint8_t> file = Build(s);
    const size_t size = file.size();
    file.insert(file.end(), {'t', 'a', 'i', 'l'});
    TMemoryStream stream(file.data(), file.size());
    TBitmap b;
    b.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(size));
}

namespace {

std::vector<uint8_t> ValidFile()
{
    TSpec s;
    s.Width = 4;
    s.Height = 3;
    s.BitCount = 8;
    s.Palette = TestPalette(4);
    s.Pixels.assign(12, 1);
    return Build(s);
}

void Set32(std::vector<uint8_t>& f, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

TEST(BmpRead, DamagedFilesRaiseAClearErrorAndKeepTheBitmap)
{
    struct TCase {
        const char* Name;
        std::vector<uint8_t> File;
        const char* Reason;
    };
    std::vector<TCase> cases;
    auto with = [&](const char* name, const char* reason, auto change) {
        std::vector<uint8_t> f = ValidFile();
        change(f);
        cases.push_back(TCase{name, std::move(f), reason});
    };
    cases.push_back(TCase{"empty", {}, "file header"});
    with("signature", "does not start with \"BM\"", [](auto& f) { f[0] = 'X'; });
    with("cut in the header", "bitmap header", [](auto& f) { f.resize(30); });
    with("header size 20", "unsupported header size 20", [](auto& f) { Set32(f, 14, 20); });
    with("header size huge", "unsupported header size", [](auto& f) { Set32(f, 14, 0xFFFFFFF0); });
    with("2 bits per pixel", "unsupported bit depth 2", [](auto& f) { f[28] = 2; });
    with("JPEG inside", "JPEG or PNG", [](auto& f) { Set32(f, 30, 4); });
    with("unknown compression", "unknown compression 9", [](auto& f) { Set32(f, 30, 9); });
    with("RLE4 with 8 bits", "RLE4 compression with 8", [](auto& f) { Set32(f, 30, 2); });
    with("bit fields with 8 bits", "bit fields with 8", [](auto& f) { Set32(f, 30, 3); });
    with("negative width", "negative width", [](auto& f) { Set32(f, 18, static_cast<uint32_t>(-4)); });
    with("wide", "too large", [](auto& f) { Set32(f, 18, 40000); });
    with("too many pixels", "too large", [](auto& f) { Set32(f, 18, 30000), Set32(f, 22, 30000); });
    with("height of INT_MIN", "too large", [](auto& f) { Set32(f, 22, 0x80000000u); });
    with("RLE top-down", "top-down", [](auto& f) { Set32(f, 30, 1), Set32(f, 22, static_cast<uint32_t>(-3)); });
    with("cut colour table", "colour table", [](auto& f) { Set32(f, 10, 0), f.resize(60); });
    with("cut pixels", "truncated", [](auto& f) { f.resize(f.size() - 5); });
    cases.push_back(TCase{"offset past the end",
        [] {
            TSpec s;
            s.Width = s.Height = 1;
            s.Pixels = {0};
            std::vector<uint8_t> f = Build(s);
            Set32(f, 10, 100000);
            return f;
        }(),
        "beyond the end"});
    with("offset into the header", "points into the header", [](auto& f) { Set32(f, 10, 20); });
    cases.push_back(TCase{"huge picture from a tiny RLE file",
        [] {
            TSpec s;
            s.Width = 30000;
            s.Height = 30000;
            s.BitCount = 8;
            s.Compression = BI_RLE8;
            s.Encoded = {0, 1};
            return Build(s);
        }(),
        "too large"});
    auto fields = [&](const char* name, const char* reason, uint16_t bits, uint32_t r, uint32_t g, uint32_t b) {
        TSpec s;
        s.Width = 2;
        s.Height = 2;
        s.BitCount = bits;
        s.Compression = BI_BITFIELDS;
        s.Masks[0] = r, s.Masks[1] = g, s.Masks[2] = b;
        s.Pixels.assign(4, 0);
        cases.push_back(TCase{name, Build(s), reason});
    };
    fields("gapped mask", "not contiguous", 32, 0xF0F000, 0xFF, 0xF00);
    fields("overlapping masks", "overlap", 32, 0xFF00, 0xFFF0, 0xF);
    fields("empty masks", "empty", 32, 0, 0, 0);
    fields("mask beyond 16 bits", "exceed", 16, 0xF8000, 0x7E0, 0x1F);

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(2, 1);
        b.ScanLine(0)[0] = 0x5A;
        TMemoryStream stream(c.File.data(), c.File.size());
        try {
            b.LoadFromStream(stream);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphic& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Bitmap image is not valid: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.Reason), std::string::npos) << message;
        }
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        EXPECT_EQ(b.ScanLine(0)[0], 0x5A);
    }
}
