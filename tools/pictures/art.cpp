// The art of varnelo-pictures: the spot, the scene it lights and the icon, drawn in colours of
// doubles and handed out as bytes.
//
// Only integer arithmetic, + - * / and square roots are used, each rounded on its own (the build
// forbids fusing a * b + c into one step), so every IEEE machine draws the same bytes and the
// committed pictures can be checked against a fresh run.
#include "tools/pictures/art.h"

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
    double red;
    double green;
    double blue;
};

Colour Mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

Colour Scale(Colour c, double factor) { return {c.red * factor, c.green * factor, c.blue * factor}; }

double Clamp01(double t) { return std::clamp(t, 0.0, 1.0); }

// Cubic ease between edge0 and edge1, for soft borders.
double Smooth(double edge0, double edge1, double t) {
    const double s = Clamp01((t - edge0) / (edge1 - edge0));
    return s * s * (3.0 - 2.0 * s);
}

// A well-mixed 32-bit hash, for texture that looks random but never changes.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double Noise(uint32_t a, uint32_t b, uint32_t c = 0) { return double(Hash(a, b, c) & 0xFFFF) / 65535.0; }

struct Canvas {
    int width;
    int height;
    std::vector<Colour> pixels;

    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Colour{0, 0, 0}) {}
    Colour& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint8_t ToByte(double value) { return uint8_t(std::min(int(std::clamp(value, 0.0, 255.0) + 0.5), 255)); }

// A round spot: warm white in the middle, through amber and rose to black at the rim.
Canvas SpotCanvas() {
    constexpr int Size = 96;
    Canvas spot(Size, Size);
    const double centre = (Size - 1) / 2.0, radius = Size / 2.0;
    const Colour core{255, 252, 240}, amber{255, 196, 96}, rose{236, 84, 150}, violet{90, 40, 170};
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double dx = x - centre, dy = y - centre;
            const double r = std::sqrt(dx * dx + dy * dy) / radius;
            if (r >= 1.0) continue;
            Colour c = r < 0.45 ? Mix(core, amber, Smooth(0.1, 0.45, r))
                     : r < 0.75 ? Mix(amber, rose, Smooth(0.45, 0.75, r))
                                : Mix(rose, violet, Smooth(0.75, 1.0, r));
            const double fade = 1.0 - Smooth(0.3, 1.0, r);
            spot.At(x, y) = Scale(c, fade);
        }
    }
    return spot;
}

// Bricks with mortar, each brick its own shade of clay, lightly speckled.
Colour Brick(int x, int y) {
    constexpr int BrickWidth = 24, BrickHeight = 10;
    const int course = y / BrickHeight;
    const int shifted = x + (course % 2) * (BrickWidth / 2);
    const int column = shifted / BrickWidth;
    if (y % BrickHeight == 0 || shifted % BrickWidth == 0) return {186, 178, 160};
    const double shade = Noise(uint32_t(course), uint32_t(column), 1);
    const Colour clay = Mix(Colour{178, 64, 42}, Colour{214, 128, 60}, shade);
    const double speckle = 0.88 + 0.12 * Noise(uint32_t(x), uint32_t(y), 2);
    return Scale(clay, speckle);
}

// A round window of coloured glass in eight panes, with lead between them.
bool Window(int x, int y, Colour& colour) {
    const double cx = 160, cy = 78, outer = 46;
    const double dx = x - cx, dy = y - cy;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r > outer + 3) return false;
    if (r > outer) {
        colour = {120, 116, 110};  // stone frame
        return true;
    }
    const double ax = std::fabs(dx), ay = std::fabs(dy);
    const bool nearLead = std::fabs(ax - ay) < 1.5 || ax < 1.2 || ay < 1.2 || std::fabs(r - 16) < 1.2;
    if (nearLead) {
        colour = {40, 36, 44};
        return true;
    }
    static const Colour panes[8] = {{230, 40, 50}, {250, 150, 30}, {250, 230, 60}, {70, 200, 80},
                                    {40, 190, 210}, {50, 80, 230}, {150, 60, 220}, {230, 70, 170}};
    const int pane = (dy < 0 ? 4 : 0) + (dx < 0 ? 2 : 0) + (ax > ay ? 1 : 0);
    Colour glass = r < 16 ? Colour{255, 240, 200} : panes[pane];
    colour = Scale(glass, 0.8 + 0.2 * (1.0 - r / outer));
    return true;
}

// A floor of two-tone tiles that narrow toward the back.
Colour Floor(int x, int y) {
    const double depth = (y - 150) / 50.0 + 0.25;  // 0.25 at the back, 1.25 at the front
    const double u = (x - 160) / depth, v = 3.0 / depth;
    const int tileU = int(std::floor(u / 28.0)), tileV = int(std::floor(v));
    const bool pale = ((tileU + tileV) % 2 + 2) % 2 == 0;
    const Colour tile = pale ? Colour{236, 228, 206} : Colour{32, 132, 140};
    return Scale(tile, 0.6 + 0.4 * Clamp01(depth));
}

// A rainbow banner hung on the wall, with a wave along its lower edge.
bool Banner(int x, int y, Colour& colour) {
    if (x < 12 || x > 96) return false;
    const int wave = (x / 6) % 2 == 0 ? 0 : 3;
    if (y < 20 || y > 128 + wave) return false;
    static const Colour stripes[6] = {{228, 48, 48}, {244, 140, 36}, {244, 220, 60},
                                      {64, 180, 72}, {52, 110, 220}, {132, 64, 196}};
    colour = stripes[((x - 12) / 14) % 6];
    if ((x + y) % 16 < 2) colour = Scale(colour, 0.7);  // woven diagonal
    return true;
}

// A framed picture of concentric rings on the right side of the wall.
bool Rings(int x, int y, Colour& colour) {
    const int left = 226, top = 28, right = 304, bottom = 126;
    if (x < left || x > right || y < top || y > bottom) return false;
    if (x < left + 4 || x > right - 4 || y < top + 4 || y > bottom - 4) {
        colour = {196, 160, 48};  // gilt frame
        return true;
    }
    const double dx = x - (left + right) / 2.0, dy = y - (top + bottom) / 2.0;
    const int ring = int(std::sqrt(dx * dx + dy * dy) / 5.0);
    static const Colour inks[4] = {{20, 30, 90}, {240, 240, 230}, {200, 40, 60}, {40, 160, 170}};
    colour = inks[ring % 4];
    return true;
}

Canvas SceneCanvas() {
    Canvas scene(320, 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            Colour c;
            if (y >= 150) {
                c = Floor(x, y);
            } else if (!Window(x, y, c) && !Banner(x, y, c) && !Rings(x, y, c)) {
                c = Brick(x, y);
                if (y >= 140) c = Scale(c, 0.55 + 0.045 * (149 - y));  // skirting shadow
            }
            scene.At(x, y) = c;
        }
    }
    return scene;
}

Pixels ToPixels(const Canvas& canvas) {
    Pixels pixels{canvas.width, canvas.height, 3, {}};
    for (const Colour& c : canvas.pixels) pixels.bytes.insert(pixels.bytes.end(), {ToByte(c.red), ToByte(c.green), ToByte(c.blue)});
    return pixels;
}

}  // namespace

Pixels PaintSpotPicture() { return ToPixels(SpotCanvas()); }

Pixels PaintScenePicture() { return ToPixels(SceneCanvas()); }

// The icon: the round window as the demo shows it, lit by the spot, on a disc that fades out at
// its rim. Each pixel averages 4 x 4 samples, so that small sizes stay smooth.
Pixels PaintIcon(int size) {
    Canvas spot = SpotCanvas(), scene = SceneCanvas();
    Pixels icon{size, size, 4, {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour sum{0, 0, 0};
            double cover = 0;
            for (int sample = 0; sample < 16; ++sample) {
                const double u = (x + (sample % 4 + 0.5) / 4) / size, v = (y + (sample / 4 + 0.5) / 4) / size;
                const double r = std::sqrt((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2;
                if (r >= 1.0) continue;
                const Colour spotColour = spot.At(int(u * spot.width), int(v * spot.height));
                const Colour lit = scene.At(112 + int(u * 96), 30 + int(v * 96));
                const double weight = 1.0 - Smooth(0.9, 1.0, r);
                // Brighter than the demo's product, which would leave a small icon too dark.
                sum.red += weight * std::min(255.0, lit.red * spotColour.red / 160);
                sum.green += weight * std::min(255.0, lit.green * spotColour.green / 160);
                sum.blue += weight * std::min(255.0, lit.blue * spotColour.blue / 160);
                cover += weight;
            }
            const double keep = cover > 0 ? 1.0 / cover : 0;
            icon.bytes.insert(icon.bytes.end(), {ToByte(sum.red * keep), ToByte(sum.green * keep), ToByte(sum.blue * keep),
                                                 ToByte(cover * 255 / 16)});
        }
    }
    return icon;
}
