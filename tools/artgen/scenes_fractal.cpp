// Fractals: a Mandelbrot set detail, a spiralling Julia set, a fern grown by an iterated function system.
#include <cmath>
#include <vector>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kSamples = 3;
constexpr float kEscapeRadiusSquared = 256.0f;

// Escape-time iteration with a continuous count (0 = never escaped), so colours flow without bands.
double SmoothEscape(double zx, double zy, double cx, double cy, int limit)
{
    for (int i = 0; i < limit; ++i) {
        double x2 = zx * zx, y2 = zy * zy;
        if (x2 + y2 > kEscapeRadiusSquared) return i + 1.0 - std::log2(std::log2(x2 + y2) * 0.5);
        zy = 2.0 * zx * zy + cy;
        zx = x2 - y2 + cx;
    }
    return 0.0;
}

bool InMainCardioidOrBulb(double x, double y)
{
    double q = (x - 0.25) * (x - 0.25) + y * y;
    return q * (q + (x - 0.25)) <= 0.25 * y * y || (x + 1.0) * (x + 1.0) + y * y <= 0.0625;
}

Rgb Cyclic(std::initializer_list<ColourStop> stops, float t)
{
    return Ramp(stops, Fract(t));
}

}  // namespace

void PaintMandelbrotDetail(Image& image)
{
    const double centreX = -0.74529, centreY = 0.11307,
                 span = 0.0036;  // a double spiral in seahorse valley
    const double scale = span / image.Height();
    FillPixels(image, kSamples, [&](float px, float py) {
        double cx = centreX + (px - 0.5 * image.Width()) * scale,
               cy = centreY - (py - 0.5 * image.Height()) * scale;
        if (InMainCardioidOrBulb(cx, cy)) return Hex(0x07091a);
        double n = SmoothEscape(0.0, 0.0, cx, cy, 1500);
        if (n <= 0.0) return Hex(0x07091a);
        float t = float(std::log(n) * 0.9);
        return Cyclic({{0.00f, Hex(0x0b1230)},
                       {0.18f, Hex(0x1f4a7a)},
                       {0.36f, Hex(0x68a6c0)},
                       {0.50f, Hex(0xf1e4bf)},
                       {0.64f, Hex(0xe19a4c)},
                       {0.82f, Hex(0x8a3a24)},
                       {1.00f, Hex(0x0b1230)}},
                      t);
    });
}

void PaintJuliaSpirals(Image& image)
{
    const double cx = -0.8, cy = 0.156;
    const double scale = 1.9 / image.Height();
    FillPixels(image, kSamples, [&](float px, float py) {
        double zx = (px - 0.5 * image.Width()) * scale, zy = (py - 0.5 * image.Height()) * scale;
        double n = SmoothEscape(zx, zy, cx, cy, 600);
        if (n <= 0.0) return Hex(0x100c26);
        // Dark far away, brightening towards the set, with a gentle cyclic shimmer.
        float t = float(std::log(n) / std::log(300.0));
        Rgb glow = Ramp({{0.0f, Hex(0x05071a)},
                         {0.35f, Hex(0x1a2454)},
                         {0.60f, Hex(0x46509c)},
                         {0.78f, Hex(0x9d94d8)},
                         {0.90f, Hex(0xf0e2c8)},
                         {1.00f, Hex(0xfff8ea)}},
                        t);
        float shimmer = 0.5f + 0.5f * std::cos(float(std::log(n)) * 5.0f);
        return glow * (0.88f + 0.12f * shimmer);
    });
}

// ---- Fern ------------------------------------------------------------------------------------

namespace {

struct Affine {
    float a, b, c, d, e, f, weight;
};

// Stem, ever smaller copies of the frond, and the two lowest pinnae.
const Affine kFernMaps[] = {
    {0.00f, 0.00f, 0.00f, 0.16f, 0.0f, 0.00f, 0.01f},
    {0.85f, 0.035f, -0.035f, 0.85f, 0.0f, 1.60f, 0.85f},
    {0.20f, -0.26f, 0.23f, 0.22f, 0.0f, 1.60f, 0.07f},
    {-0.15f, 0.28f, 0.26f, 0.24f, 0.0f, 0.44f, 0.07f},
};

// Density of a fern's points on a fine grid; also the mean height along the frond per cell.
struct FernDensity {
    int width, height;
    std::vector<float> hits;
    std::vector<float> reach;
};

FernDensity GrowFern(int width, int height, float originX, float originY, float size, float angle,
                     int points, uint64_t seed)
{
    FernDensity fern{width, height, std::vector<float>(size_t(width) * height),
                     std::vector<float>(size_t(width) * height)};
    Rng rng(seed);
    float x = 0.0f, y = 0.0f;
    const float cosine = std::cos(angle), sine = std::sin(angle);
    for (int i = 0; i < points; ++i) {
        float pick = rng.Unit();
        const Affine* m = &kFernMaps[0];
        for (const Affine& candidate : kFernMaps) {
            m = &candidate;
            if (pick < candidate.weight) break;
            pick -= candidate.weight;
        }
        float nx = m->a * x + m->b * y + m->e, ny = m->c * x + m->d * y + m->f;
        x = nx;
        y = ny;
        if (i < 20) continue;  // let the point settle onto the attractor
        float sx = originX + size * (x * cosine - y * sine), sy = originY - size * (x * sine + y * cosine);
        int ix = int(sx), iy = int(sy);
        if (ix < 0 || iy < 0 || ix >= width || iy >= height) continue;
        fern.hits[size_t(iy) * width + ix] += 1.0f;
        fern.reach[size_t(iy) * width + ix] += y / 10.0f;
    }
    return fern;
}

Rgb WoodlandBackdrop(float x, float y)
{
    Rgb colour = Mix(Hex(0x1b2c1e), Hex(0x07100b), Smoothstep(0.0f, 1.0f, y * 0.8f + 0.2f * x));
    // Soft out-of-focus spots of light between leaves.
    for (int i = 0; i < 14; ++i) {
        float bx = noise::HashUnit(i, 1, 170u) * 1.8f, by = noise::HashUnit(i, 2, 170u) * 0.7f;
        float radius = 0.04f + 0.06f * noise::HashUnit(i, 3, 170u);
        float spot = Smoothstep(radius, radius * 0.85f, std::hypot(x - bx, y - by));
        colour += Mix(Hex(0x3f5a2a), Hex(0x8a8a4a), noise::HashUnit(i, 4, 170u)) * (spot * 0.18f);
    }
    return colour;
}

}  // namespace

void PaintFern(Image& image)
{
    constexpr int kFrontPoints = 5000000, kBackPoints = 1200000;
    const int fineWidth = image.Width() * 2, fineHeight = image.Height() * 2;
    const float h = float(fineHeight), cells = float(fineWidth) * float(fineHeight);
    FernDensity front =
        GrowFern(fineWidth, fineHeight, 0.2f * fineWidth, 1.04f * h, 0.118f * h, -0.55f, kFrontPoints, 171u);
    FernDensity back =
        GrowFern(fineWidth, fineHeight, 0.95f * fineWidth, 1.1f * h, 0.13f * h, 0.5f, kBackPoints, 172u);
    BoxBlur(back.hits, fineWidth, fineHeight, 9,  // out of focus
            [fineWidth](int x, int y) { return size_t(y) * fineWidth + x; });

    // Hits per cell relative to an even spread of all points: how opaque a frond looks.
    const float frontExposure = 0.67f * cells / kFrontPoints, backExposure = 0.27f * cells / kBackPoints;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            float hits = 0.0f, reach = 0.0f, haze = 0.0f;
            for (int sy = 0; sy < 2; ++sy) {
                for (int sx = 0; sx < 2; ++sx) {
                    size_t at = size_t(y * 2 + sy) * fineWidth + size_t(x * 2 + sx);
                    hits += front.hits[at];
                    reach += front.reach[at];
                    haze += back.hits[at];
                }
            }
            Rgb colour = WoodlandBackdrop((x + 0.5f) / image.Height(), (y + 0.5f) / image.Height());
            colour = Mix(colour, Hex(0x2f4a25), Clamp01(1.0f - std::exp(-haze * backExposure)) * 0.7f);
            float cover = Clamp01(1.0f - std::exp(-hits * frontExposure));
            float along = hits > 0.0f ? reach / hits : 0.0f;  // 0 at the stem's foot, 1 at the tip
            Rgb frond = Ramp({{0.0f, Hex(0x1f4a1f)}, {0.5f, Hex(0x4f8a2e)}, {1.0f, Hex(0xb4d46a)}}, along);
            image.At(x, y) = Mix(colour, frond * (0.75f + 0.35f * cover), cover);
        }
    }
}
