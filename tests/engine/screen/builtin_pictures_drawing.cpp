#include "builtin_pictures_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

struct TRgba {
    double R = 0, G = 0, B = 0, A = 0;
};

// A shape: the colour at a point, transparent outside.
using TShape = std::function<TRgba(double x, double y)>;

constexpr int Samples = 4;

// Each pixel is the average of Samples x Samples points, mixed with their
// alpha as weight so that edges keep their colour and only fade out.
std::vector<uint8_t> Render(int width, int height, const TShape& shape)
{
    std::vector<uint8_t> data;
    auto put32 = [&data](int32_t v) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(uint32_t(v) >> (8 * i)));
    };
    put32(width);
    put32(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const TRgba c = shape(x + (sx + 0.5) / Samples, y + (sy + 0.5) / Samples);
                    r += c.R * c.A;
                    g += c.G * c.A;
                    b += c.B * c.A;
                    a += c.A;
                }
            }
            auto byte = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
            if (a <= 0) {
                for (int i = 0; i < 4; ++i)
                    data.push_back(0);
                continue;
            }
            data.push_back(byte(b / a));
            data.push_back(byte(g / a));
            data.push_back(byte(r / a));
            data.push_back(byte(a / (Samples * Samples)));
        }
    }
    return data;
}

struct TPoint2 {
    double X, Y;
};

// Distance from a convex polygon given clockwise on screen (y down):
// negative inside. The largest edge distance, which gives mitred corners.
double PolygonDistance(const std::vector<TPoint2>& p, double x, double y)
{
    double d = -1e9;
    for (size_t i = 0; i < p.size(); ++i) {
        const TPoint2 a = p[i];
        const TPoint2 b = p[(i + 1) % p.size()];
        const double ex = b.X - a.X, ey = b.Y - a.Y;
        const double len = std::hypot(ex, ey);
        // Outward normal of a clockwise edge on a y-down screen.
        const double nx = ey / len, ny = -ex / len;
        d = std::max(d, (x - a.X) * nx + (y - a.Y) * ny);
    }
    return d;
}

// A light triangle with a dark rim, readable on dark and light pictures.
TShape Triangle(std::vector<TPoint2> points, TRgba fill)
{
    return [points = std::move(points), fill](double x, double y) -> TRgba {
        const double d = PolygonDistance(points, x, y);
        if (d < 0)
            return fill;
        if (d < 1.5)
            return TRgba{16, 20, 40, 210};
        return TRgba{};
    };
}

// Distance from a rectangle with round corners (negative inside).
double RoundRectDistance(double x, double y, double l, double t, double r, double b, double radius)
{
    const double cx = std::clamp(x, l + radius, r - radius);
    const double cy = std::clamp(y, t + radius, b - radius);
    return std::hypot(x - cx, y - cy) - radius;
}

// The message frame: a translucent dark pane with a light rim and a thin
// dark outline, inset 2 pixels, corners of radius 8. Corners lie wholly in
// the corner cells and the edges run straight through the edge cells, so the
// cells join up at any frame size.
TRgba Skin(double x, double y)
{
    const double d = RoundRectDistance(x, y, 2, 2, 34, 34, 8);
    if (d < -1.5)
        return TRgba{18, 26, 52, 200};
    if (d < 0)
        return TRgba{214, 222, 240, 245};
    if (d < 1)
        return TRgba{0, 0, 0, 120};
    return TRgba{};
}

constexpr TRgba WaitFill{255, 232, 150, 255};
constexpr TRgba MarkFill{250, 250, 255, 255};

// The wait mark bounces: the second frame lies 3 pixels lower.
std::vector<TPoint2> DownTriangle(double top)
{
    return {{5.5, top}, {18.5, top}, {12, top + 8}};
}
std::vector<TPoint2> UpTriangle(double bottom)
{
    return {{12, bottom - 8}, {18.5, bottom}, {5.5, bottom}};
}

const std::array<const char*, 5> ArrayNames = {
    "BuiltInWaitFrame0Data", "BuiltInWaitFrame1Data", "BuiltInMsgSkinData", "BuiltInUpMarkData", "BuiltInDownMarkData"};

const std::array<const char*, 5> PictureNotes = {
    "wait frame 0, 24 x 24: a pale yellow triangle pointing down",
    "wait frame 1, 24 x 24: the same triangle 3 pixels lower",
    "message skin, 36 x 36 (3 x 3 cells of 12): translucent dark pane with a light rim and round corners",
    "up mark, 24 x 24: a white triangle pointing up",
    "down mark, 24 x 24: a white triangle pointing down",
};

} // namespace

std::vector<uint8_t> DrawBuiltInPicture(int index)
{
    switch (index) {
    case 0: return Render(24, 24, Triangle(DownTriangle(7), WaitFill));
    case 1: return Render(24, 24, Triangle(DownTriangle(10), WaitFill));
    case 2: return Render(36, 36, Skin);
    case 3: return Render(24, 24, Triangle(UpTriangle(16), MarkFill));
    case 4: return Render(24, 24, Triangle(DownTriangle(8), MarkFill));
    default: return {};
    }
}

std::string BuiltInPictureSource(int first, int last)
{
    std::string s = "// Built-in pictures in the \"Data\" stream form of TBitmap32: width and\n"
                    "// height (32-bit little-endian), then B, G, R, A pixels row by row.\n"
                    "// Generated from their shapes; do not edit by hand.\n\n"
                    "#include \"engine/screen/builtin_pictures.h\"\n";
    for (int i = first; i <= last; ++i) {
        const std::vector<uint8_t> data = DrawBuiltInPicture(i);
        s += "\n// ";
        s += PictureNotes[static_cast<size_t>(i)];
        s += "\nconst uint8_t ";
        s += ArrayNames[static_cast<size_t>(i)];
        s += "[" + std::to_string(data.size()) + "] = {\n";
        for (size_t k = 0; k < data.size(); k += 16) {
            s += "   ";
            for (size_t j = k; j < std::min(data.size(), k + 16); ++j) {
                char buf[8];
                std::snprintf(buf, sizeof buf, " 0x%02X,", data[j]);
                s += buf;
            }
            s += "\n";
        }
        s += "};\n";
    }
    return s;
}
