// A waterfall in a mossy gorge: rock face, falling curtain, pool with foam and mist, framing foliage.
#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kSamples = 2;
constexpr float kPoolLine = 0.77f;

struct Gorge {
    float width;
    float centre;  // of the fall, in picture heights
    float pixel;
    Profile cliffTop;
    Profile canopy;
    Profile boulders;
    int gridWidth;
    std::vector<float> rock;  // rock relief at every sample position
};

float CliffTopLine(float x)
{
    return 0.19f + 0.035f * noise::Curve(x * 2.5f, 4.0f, 60u);
}

float CanopyLine(float x)
{
    noise::Cell crown = noise::Voronoi(x * 14.0f, 0.5f, 79u);
    return CliffTopLine(x) - 0.07f - 0.08f * (0.5f + 0.5f * noise::Fbm(x * 5.0f, 0.3f, 4.0f, 61u)) +
           0.03f * crown.nearest * crown.nearest;
}

float RockRelief(float x, float y)
{
    float buttresses = 0.5f + 0.5f * noise::Fbm(x * 2.2f, y * 0.9f, 3.0f, 74u);
    float ledges = noise::Ridged(x * 2.5f + 0.4f * buttresses, y * 11.0f, 5.0f, 62u);
    float cracks = noise::Ridged(x * 9.0f, y * 1.6f, 3.0f, 80u);
    return 0.4f * buttresses + 0.35f * ledges + 0.1f * cracks +
           0.15f * (0.5f + 0.5f * noise::Fbm(x * 14.0f, y * 18.0f, 3.0f, 63u));
}

// Clumps of leaves: every cell of a jittered grid is shaded like a small lit dome.
Rgb Leafage(float x, float y, uint32_t seed)
{
    noise::Cell small = noise::Voronoi(x * 46.0f, y * 46.0f, seed);
    noise::Cell large = noise::Voronoi(x * 13.0f, y * 13.0f, seed + 1u);
    auto dome = [](const noise::Cell& cell, float cx, float cy) {
        float dx = cx - cell.centreX, dy = cy - cell.centreY;
        float nz = std::sqrt(std::max(0.0f, 1.0f - (dx * dx + dy * dy) * 1.6f));
        return Clamp01(-0.45f * dx - 0.6f * dy + 0.65f * nz);
    };
    float light = 0.55f * dome(small, x * 46.0f, y * 46.0f) + 0.45f * dome(large, x * 13.0f, y * 13.0f);
    float crevice = Smoothstep(0.0f, 0.12f, large.second - large.nearest);
    light *= 0.55f + 0.45f * crevice;
    light *= 0.8f + 0.2f * noise::Value(x * 160.0f, y * 160.0f, seed + 2u);
    float hue = 0.5f + 0.5f * noise::Fbm(x * 3.0f, y * 3.0f, 2.0f, seed + 3u);
    float shrub = noise::HashUnit(int32_t(large.id & 0xFFFF), 5, seed);  // each large clump its own green
    Rgb lit = Mix(Mix(Hex(0x6f9a3e), Hex(0xa6b857), hue), Hex(0x4f7d3a), shrub * 0.6f);
    return Ramp({{0.0f, Hex(0x0a160c)}, {0.45f, Mix(Hex(0x294622), Hex(0x1f3a26), shrub)}, {1.0f, lit}},
                light);
}

// Wet boulders along the far edge of the pool.
float BoulderLine(float x)
{
    noise::Cell cell = noise::Voronoi(x * 9.0f, 0.5f, 75u);
    return kPoolLine - 0.045f * std::max(0.0f, 1.0f - cell.nearest * 1.6f) - 0.006f;
}

float HalfWidth(const Gorge& g, float y)
{
    float t = Clamp01((y - g.cliffTop(g.centre)) / (kPoolLine - g.cliffTop(g.centre)));
    return 0.07f + 0.055f * t + 0.006f * noise::Curve(y * 9.0f, 3.0f, 64u);
}

Rgb Sky(float y)
{
    return Ramp({{0.0f, Hex(0x8fb4d6)}, {0.2f, Hex(0xd7e4ea)}}, y);
}

// Sunlit rock with moss on the ledges, darker and wetter close to the fall.
Rgb RockFace(const Gorge& g, float px, float py, float x, float y)
{
    int gx = int(px * kSamples), gy = int(py * kSamples);
    auto at = [&](int ix, int iy) { return g.rock[size_t(iy) * g.gridWidth + ix]; };
    int left = std::max(gx - 3, 0), right = std::min(gx + 3, g.gridWidth - 1);
    int up = std::max(gy - 3, 0), down = std::min(gy + 3, int(g.rock.size()) / g.gridWidth - 1);
    float h = at(gx, gy);
    float step = g.pixel / kSamples;  // between grid samples, in picture heights
    float slopeX =
        ((at(gx + 1, gy) - h) + (at(right, gy) - at(left, gy)) / float(right - left)) / (2.0f * step);
    float slopeY = ((at(gx, gy + 1) - h) + (at(gx, down) - at(gx, up)) / float(down - up)) / (2.0f * step);
    float light = Clamp01(0.55f - 0.09f * (slopeX * 0.6f + slopeY * 0.8f));  // lit from the upper left
    float tint = 0.5f + 0.5f * noise::Fbm(x * 4.0f, y * 4.0f, 2.0f, 76u);
    Rgb stone = Mix(Mix(Hex(0x38342f), Hex(0x2f3336), tint), Mix(Hex(0x8a7d6a), Hex(0x747a78), tint),
                    Clamp01(h * 1.2f - 0.1f));
    Rgb colour = stone * (0.35f + 0.85f * light);
    float ledge = Clamp01(-slopeY * 0.08f);
    float patches = noise::Fbm(x * 6.0f, y * 8.0f, 4.0f, 65u);
    float moss = Smoothstep(0.35f, 0.8f, patches + ledge * 0.9f) *
                 (0.6f + 0.4f * noise::Value(x * 90.0f, y * 90.0f, 81u));
    colour = Mix(colour, Mix(Hex(0x263a1a), Hex(0x6a8236), light), moss * 0.8f);
    // Seeping water leaves dark streaks down the face.
    float streaks = Smoothstep(0.2f, 0.7f, noise::Fbm(x * 40.0f, y * 2.5f, 3.0f, 82u));
    colour = colour * (1.0f - 0.3f * streaks);
    float wet = std::exp(-std::fabs(x - g.centre) / 0.16f);
    colour = colour * (1.0f - 0.45f * wet);
    // Sun falls in from the upper left; the gorge darkens downwards.
    float sunlit = Smoothstep(1.4f, 0.2f, x + y * 1.2f);
    return colour * Mix(1.0f, 0.6f, Smoothstep(0.3f, kPoolLine, y)) * (0.85f + 0.35f * sunlit) *
           Mix(Rgb{1.0f, 1.0f, 1.0f}, Rgb{1.08f, 1.02f, 0.9f}, sunlit);
}

// The falling sheet: streaked white water over darker, thinner edges. Returns coverage in alpha.
Layer Curtain(const Gorge& g, float x, float y)
{
    float lip = g.cliffTop(g.centre);
    if (y < lip - 0.01f || y > kPoolLine + 0.02f) return {};
    float across = (x - g.centre) / HalfWidth(g, y);
    if (std::fabs(across) > 1.1f) return {};
    float fall = Clamp01((y - lip) / (kPoolLine - lip));
    float streak = noise::Fbm(across * 6.0f + 3.0f, y * 2.0f, 4.0f, 66u) +
                   0.5f * noise::Fbm(across * 16.0f, y * 4.0f - 2.0f, 3.0f, 67u);
    float body = Smoothstep(1.05f, 0.7f, std::fabs(across)) * Smoothstep(lip - 0.012f, lip + 0.004f, y);
    float thickness = body * (0.5f + 0.5f * Smoothstep(-0.5f, 0.4f, streak + 0.4f * fall));
    Rgb water = Mix(Hex(0x7f9aa5), Hex(0xf3f7f6), Smoothstep(-0.6f, 0.5f, streak + 0.5f * fall));
    water = water * (0.8f + 0.2f * (1.0f - std::fabs(across)));
    return {water, Clamp01(thickness)};
}

// Everything behind the pool surface and the mist, i.e. what the pool mirrors.
Rgb Backdrop(const Gorge& g, float px, float py, float x, float y)
{
    Rgb colour;
    float top = g.cliffTop(x), canopy = g.canopy(x);
    if (y < top + g.pixel) {
        Rgb trees = Leafage(x, y, 68u) * Mix(1.0f, 0.55f, Smoothstep(canopy + 0.02f, top, y));
        colour = Mix(Sky(y), trees, Coverage(y - canopy, g.pixel));
    }
    if (y > top - g.pixel) colour = Mix(colour, RockFace(g, px, py, x, y), Coverage(y - top, g.pixel));
    Layer water = Curtain(g, x, y);
    colour = Mix(colour, water.colour, water.alpha);
    float boulder = g.boulders(x);
    if (y > boulder - g.pixel) {
        float shade = 0.35f + 0.5f * Smoothstep(boulder + 0.03f, boulder, y);
        Rgb stone =
            Mix(Hex(0x23282a), Hex(0x5d6460), 0.5f + 0.5f * noise::Fbm(x * 30.0f, y * 30.0f, 3.0f, 77u));
        colour = Mix(colour, stone * shade,
                     Coverage(y - boulder, g.pixel) * Smoothstep(0.2f, 0.5f, std::fabs(x - g.centre)));
    }
    return colour;
}

Rgb Pool(const Gorge& g, float px, float py, float x, float y)
{
    float below = y - kPoolLine;
    float ripple = noise::Fbm(x * 14.0f, below * 60.0f / (below + 0.05f), 3.0f, 69u);
    float mirrorY = std::max(kPoolLine - below * (1.0f + 0.15f * ripple), g.cliffTop(x) + 0.01f);
    float mirrorPy = std::min(mirrorY / y * py, py);
    Rgb reflected = Backdrop(g, px, mirrorPy, x + 0.004f * ripple, mirrorY);
    Rgb colour = Mix(Hex(0x16302e), reflected, 0.45f);
    float foamReach = (x - g.centre) / (HalfWidth(g, kPoolLine) * 1.7f);
    float foam = std::exp(-foamReach * foamReach - below * below / 0.004f) *
                 Smoothstep(-0.3f, 0.4f, noise::Fbm(x * 20.0f, y * 40.0f, 4.0f, 70u));
    return Mix(colour, Hex(0xe8eeee), Clamp01(foam * 1.4f));
}

// Leafy masses that frame the picture in the lower corners.
Layer Foliage(const Gorge& g, float x, float y)
{
    float side = std::max(Smoothstep(0.5f, 0.0f, x), 0.92f * Smoothstep(g.width - 0.32f, g.width, x));
    noise::Cell clump = noise::Voronoi(x * 12.0f, y * 12.0f, 78u);
    float mass = side * 1.2f + 0.3f * noise::Fbm(x * 5.0f, y * 5.0f, 4.0f, 71u) + (y - 0.75f) * 0.9f +
                 0.08f * (0.6f - clump.nearest);
    float cover = Coverage(mass - 0.55f, 0.01f);
    if (cover <= 0.0f) return {};
    return {Leafage(x, y, 72u) * Mix(0.6f, 1.0f, Smoothstep(0.55f, 0.8f, mass)), cover};
}

}  // namespace

void PaintWaterfall(Image& image)
{
    const float height = float(image.Height()), width = WidthInHeights(image);
    Gorge g{width,
            0.52f * width,
            1.0f / height,
            AcrossPicture(image, CliffTopLine),
            AcrossPicture(image, CanopyLine),
            AcrossPicture(image, BoulderLine),
            image.Width() * kSamples + 1,
            {}};
    int gridHeight = image.Height() * kSamples + 1;
    g.rock.resize(size_t(g.gridWidth) * gridHeight);
    for (int gy = 0; gy < gridHeight; ++gy)
        for (int gx = 0; gx < g.gridWidth; ++gx)
            g.rock[size_t(gy) * g.gridWidth + gx] =
                RockRelief((gx + 0.5f) / kSamples / height, (gy + 0.5f) / kSamples / height);

    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        Rgb colour = y < kPoolLine ? Backdrop(g, px, py, x, y) : Pool(g, px, py, x, y);
        float base = std::hypot((x - g.centre) / 0.45f, (y - kPoolLine) / 0.13f);
        float mist = std::exp(-base * base) * (0.55f + 0.45f * noise::Fbm(x * 4.0f, y * 6.0f, 4.0f, 73u));
        colour = Mix(colour, Hex(0xe9eff0), Clamp01(mist) * 0.65f);
        colour = Mix(colour, Hex(0xd8e2e4), 0.18f * Smoothstep(0.45f, 0.95f, y));  // spray hangs low
        Layer leaves = Foliage(g, x, y);
        return Mix(colour, leaves.colour, leaves.alpha);
    });
}
