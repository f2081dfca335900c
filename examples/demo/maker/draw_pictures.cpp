// Draws the demo game's pictures into the folder given on the command line:
// a background for each place (the beach and the lighthouse as PNG, the
// cliff as JPEG), the glass float as a PNG with alpha, the
// pink shell as a bitmap keyed on pure blue, a wait animation of four cells
// with its mask, and a message-window skin with its mask. The pictures are
// checked in; run this again only to change them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <numbers>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "base/streams.h"
#include "classlib/bitmap.h"
#include "codec/zeb_png.h"

namespace {

struct TColor {
    double R = 0, G = 0, B = 0, A = 255;
};

TColor Mix(const TColor& a, const TColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

// A picture with straight alpha; shapes are laid over what is there.
class TPicture {
public:
    TPicture(int w, int h, TColor fill = {}) : W(w), H(h), Px(size_t(w * h), fill) {}

    TColor& At(int x, int y) { return Px[size_t(y * W + x)]; }

    // Covers the pixel by `cover` (0..1) of colour c, alpha included.
    void Lay(int x, int y, const TColor& c, double cover)
    {
        if (x < 0 || y < 0 || x >= W || y >= H || cover <= 0)
            return;
        TColor& p = At(x, y);
        const double a = c.A / 255 * std::min(cover, 1.0);
        const double outA = a + p.A / 255 * (1 - a);
        if (outA <= 0)
            return;
        const auto ch = [&](double top, double below) { return (top * a + below * p.A / 255 * (1 - a)) / outA; };
        p = {ch(c.R, p.R), ch(c.G, p.G), ch(c.B, p.B), outA * 255};
    }

    void Gradient(int y0, int y1, const TColor& top, const TColor& bottom)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, H); ++y)
            for (int x = 0; x < W; ++x)
                Lay(x, y, Mix(top, bottom, double(y - y0) / std::max(1, y1 - y0 - 1)), 1);
    }

    void Rect(int x0, int y0, int x1, int y1, const TColor& c)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Lay(x, y, c, 1);
    }

    // A disc with a soft one-pixel edge.
    void Disc(double cx, double cy, double r, const TColor& c)
    {
        for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y)
            for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x)
                Lay(x, y, c, r + 0.5 - std::hypot(x + 0.5 - cx, y + 0.5 - cy));
    }

    // A polygon filled by the even-odd rule at pixel centres.
    void Polygon(const std::vector<std::pair<double, double>>& pts, const TColor& c)
    {
        for (int y = 0; y < H; ++y) {
            const double py = y + 0.5;
            std::vector<double> xs;
            for (size_t i = 0; i < pts.size(); ++i) {
                const auto [x0, y0] = pts[i];
                const auto [x1, y1] = pts[(i + 1) % pts.size()];
                if ((y0 <= py) != (y1 <= py))
                    xs.push_back(x0 + (py - y0) * (x1 - x0) / (y1 - y0));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2)
                for (int x = int(std::ceil(xs[i] - 0.5)); x < int(std::ceil(xs[i + 1] - 0.5)); ++x)
                    Lay(x, y, c, 1);
        }
    }

    int W, H;
    std::vector<TColor> Px;
};

uint8_t Byte(double v)
{
    return uint8_t(std::lround(std::clamp(v, 0.0, 255.0)));
}

void Fill24(TBitmap& b, TPicture& p)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(p.W, p.H);
    for (int y = 0; y < p.H; ++y)
        for (int x = 0; x < p.W; ++x) {
            uint8_t* q = b.ScanLine(y) + 3 * x;
            const TColor& c = p.At(x, y);
            q[0] = Byte(c.B), q[1] = Byte(c.G), q[2] = Byte(c.R);
        }
}

void Save(TMemoryStream& s, const std::string& path)
{
    s.SaveToFile(path);
    std::printf("%s\n", path.c_str());
}

void WriteBmp(TPicture& p, const std::string& path)
{
    TBitmap b;
    Fill24(b, p);
    TMemoryStream s;
    b.SaveToStream(s);
    Save(s, path);
}

void WritePng(TPicture& p, const std::string& path, bool withAlpha)
{
    TZEBPNG png;
    Fill24(png.Image(), p);
    if (withAlpha) {
        TBitmap& a = png.Alpha();
        a.SetPixelFormat(pf8bit);
        TPalette grey(256);
        for (int i = 0; i < 256; ++i)
            grey[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        a.SetPalette(grey);
        a.SetSize(p.W, p.H);
        for (int y = 0; y < p.H; ++y)
            for (int x = 0; x < p.W; ++x)
                a.ScanLine(y)[x] = uint8_t(255 - Byte(p.At(x, y).A)); // the alpha bitmap holds 255 - alpha
        png.SetHasAlpha(true);
    }
    png.SetCompressionLevel(9);
    png.SetFilterMode(0);
    png.SetCurrentTime(false); // no tIME chunk: drawing again gives the same bytes
    png.TimeRecord() = TPNGTime{};
    TMemoryStream s;
    png.SaveToStream(s);
    Save(s, path);
}

void WriteJpeg(TPicture& p, const std::string& path)
{
    std::vector<uint8_t> rgb;
    for (const TColor& c : p.Px)
        rgb.insert(rgb.end(), {Byte(c.R), Byte(c.G), Byte(c.B)});
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(p.W);
    cinfo.image_height = JDIMENSION(p.H);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rgb.data() + size_t(cinfo.next_scanline) * size_t(p.W) * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    TMemoryStream s(buffer, size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    Save(s, path);
}

// The mask of a picture: its alpha as grey, which the engine reads back as
// intensity.
TPicture MaskOf(TPicture& p)
{
    TPicture m(p.W, p.H);
    for (size_t i = 0; i < p.Px.size(); ++i)
        m.Px[i] = {p.Px[i].A, p.Px[i].A, p.Px[i].A, 255};
    return m;
}

const TColor Night{40, 30, 90}, Dusk{250, 140, 80}, Sun{255, 210, 120}, Sea{30, 50, 110}, SeaDeep{15, 25, 60},
    Sand{225, 195, 150}, WetSand{170, 140, 110}, Rock{60, 45, 55}, Grass{70, 110, 60}, White{245, 240, 230},
    Red{190, 50, 45}, Wood{90, 55, 35};

void Beach(const std::string& dir)
{
    TPicture p(640, 480);
    p.Gradient(0, 270, Night, Dusk);
    p.Disc(430, 268, 46, Sun);
    p.Gradient(270, 350, Sea, SeaDeep);
    for (int i = 0; i < 14; ++i) { // the sun on the water
        const int y = 276 + i * 5, half = 40 - i * 2;
        p.Rect(430 - half + (i % 3) * 6, y, 430 + half - (i % 2) * 8, y + 2, {255, 190, 110, 200.0 - i * 10});
    }
    p.Gradient(350, 480, WetSand, Sand);
    p.Polygon({{0, 120}, {70, 100}, {130, 170}, {190, 240}, {210, 350}, {0, 360}}, Rock); // the cliffs to the north
    p.Polygon({{586, 180}, {598, 180}, {602, 272}, {582, 272}}, {50, 40, 60});            // the lighthouse far south
    p.Disc(592, 176, 5, {255, 230, 150});
    WritePng(p, dir + "beach.png", false);
}

void Cliff(const std::string& dir)
{
    TPicture p(640, 480);
    p.Gradient(0, 200, {70, 90, 160}, {240, 160, 150});
    p.Gradient(200, 480, {60, 90, 150}, SeaDeep);
    for (int i = 0; i < 30; ++i) // waves far below
        p.Rect((i * 137) % 600, 215 + (i * 53) % 250, (i * 137) % 600 + 30 + i % 20, 217 + (i * 53) % 250,
            {180, 200, 230, 120});
    p.Polygon({{0, 300}, {260, 330}, {380, 400}, {420, 480}, {0, 480}}, {95, 80, 60});
    p.Polygon({{0, 290}, {250, 318}, {330, 350}, {0, 360}}, Grass);
    for (int i = 0; i < 12; ++i) // tufts in the wind
        p.Polygon({{20.0 + i * 22, 312.0 + i * 2}, {30.0 + i * 22, 290.0 + i * 2}, {34.0 + i * 22, 314.0 + i * 2}},
            {90, 140, 70});
    WriteJpeg(p, dir + "cliff.jpg");
}

void Lighthouse(const std::string& dir)
{
    TPicture p(640, 480);
    p.Gradient(0, 380, {90, 70, 140}, Dusk);
    p.Gradient(380, 480, WetSand, Sand);
    p.Polygon({{270, 60}, {370, 60}, {400, 400}, {240, 400}}, White);
    for (int band = 0; band < 3; ++band) {
        const double y0 = 110 + band * 100, y1 = y0 + 40;
        const double l0 = 270 - 30 * (y0 - 60) / 340, l1 = 270 - 30 * (y1 - 60) / 340;
        p.Polygon({{l0, y0}, {640 - l0, y0}, {640 - l1, y1}, {l1, y1}}, Red);
    }
    p.Rect(250, 30, 390, 62, {60, 60, 70});
    p.Disc(320, 46, 12, {255, 230, 150});
    p.Rect(292, 300, 348, 400, Wood); // the door with its hollow
    p.Disc(320, 330, 9, {40, 25, 20});
    WritePng(p, dir + "lighthouse.png", false);
}

void Float(const std::string& dir)
{
    TPicture p(64, 64, {0, 0, 0, 0});
    p.Disc(32, 32, 28, {60, 170, 150, 170});
    for (int i = 0; i < 5; ++i) // the net around it
        p.Rect(4, 12 + i * 10, 60, 13 + i * 10, {80, 60, 40, 120});
    p.Disc(22, 20, 7, {255, 255, 255, 230});
    WritePng(p, dir + "float.png", true);
}

void Shell(const std::string& dir)
{
    TPicture p(48, 40, {0, 0, 255}); // pure blue: keyed out with load transparency
    std::vector<std::pair<double, double>> fan = {{24, 36}};
    for (int i = 0; i <= 16; ++i) {
        const double a = std::numbers::pi * (1.08 + 0.84 * i / 16);
        fan.push_back({24 + 22 * std::cos(a), 35 + 31 * std::sin(a)});
    }
    p.Polygon(fan, {250, 185, 200});
    for (int r = 1; r < 8; ++r) { // ridges
        const double a = std::numbers::pi * (1.08 + 0.84 * r / 8);
        for (double t = 0.15; t < 0.95; t += 0.02)
            p.Lay(int(24 + 21 * t * std::cos(a)), int(35 + 30 * t * std::sin(a)), {215, 130, 155}, 1);
    }
    p.Rect(19, 33, 29, 38, {230, 150, 170});
    WriteBmp(p, dir + "shell.bmp");
}

void Wait(const std::string& dir)
{
    TPicture p(96, 24, {0, 0, 0, 0});
    for (int f = 0; f < 4; ++f) {
        const double bob = std::sin(f * std::numbers::pi / 2) * 3; // the float rides a wave
        p.Disc(f * 24 + 12, 11 - bob, 6, {60, 190, 170});
        p.Disc(f * 24 + 10, 9 - bob, 2, {255, 255, 255});
        p.Rect(f * 24 + 2, 19, f * 24 + 22, 21, {200, 220, 255, 200});
    }
    TPicture mask = MaskOf(p);
    for (TColor& c : p.Px)
        c.A = 255;
    WriteBmp(p, dir + "wait.bmp");
    WriteBmp(mask, dir + "waitmask.bmp");
}

void MessageSkin(const std::string& dir)
{
    // 3 x 3 cells of 12: corners, edges and a centre that is tiled.
    TPicture p(36, 36, {0, 0, 0, 0});
    p.Rect(2, 2, 34, 34, {20, 30, 70, 190});
    p.Rect(2, 2, 34, 4, {230, 200, 140});
    p.Rect(2, 32, 34, 34, {230, 200, 140});
    p.Rect(2, 2, 4, 34, {230, 200, 140});
    p.Rect(32, 2, 34, 34, {230, 200, 140});
    for (auto [x, y] : {std::pair{6, 6}, {30, 6}, {6, 30}, {30, 30}})
        p.Disc(x, y, 2.5, {250, 230, 180});
    TPicture mask = MaskOf(p);
    for (TColor& c : p.Px)
        c.A = 255;
    WriteBmp(p, dir + "msgwin.bmp");
    WriteBmp(mask, dir + "msgwinmask.bmp");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <demo folder>\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    try {
        Beach(dir);
        Cliff(dir);
        Lighthouse(dir);
        Float(dir);
        Shell(dir);
        Wait(dir);
        MessageSkin(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
