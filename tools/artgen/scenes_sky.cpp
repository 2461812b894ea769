// Skies: an aurora over a snowy forest, sunset clouds over dark hills, a spiral galaxy.
#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kSamples = 2;

// ---- Aurora ------------------------------------------------------------------------------------

struct Curtain {
    float base;
    float sway;
    float frequency;
    float height;
    float strength;
    uint32_t seed;
};

Rgb AuroraLight(float x, float y)
{
    static const Curtain curtains[] = {
        {0.60f, 0.20f, 0.6f, 0.24f, 1.15f, 120u},
        {0.36f, 0.10f, 1.1f, 0.10f, 0.35f, 121u},
    };
    Rgb light;
    for (const Curtain& c : curtains) {
        float edge = c.base - 0.08f * x + c.sway * noise::Curve(x * c.frequency, 3.0f, c.seed);
        float above = edge - y;
        if (above < -0.04f) continue;
        float folded = x + 0.04f * noise::Curve(x * 4.0f + y * 2.0f, 2.0f, c.seed + 10u);
        float rays = 0.5f + 0.5f * noise::Fbm(folded * 55.0f, y * 1.2f, 3.0f, c.seed + 20u);
        float along = Smoothstep(-0.5f, 0.6f, noise::Curve(x * 1.3f + 3.0f, 3.0f, c.seed + 30u));
        float lower = Smoothstep(-0.03f, 0.004f, above);
        float upper = std::exp(-std::max(above, 0.0f) / c.height);
        float hem = std::exp(-std::max(above, 0.0f) / 0.015f);  // the lower edge glows brightest
        float intensity = c.strength * lower * (upper + 0.8f * hem) * (0.25f + 0.75f * rays * rays) * along;
        Rgb colour = Mix(Hex(0x46d99a), Hex(0x7a5ad0), Smoothstep(0.03f, 0.26f, above));
        colour = Mix(colour, Hex(0xd06a9a), Smoothstep(0.004f, -0.02f, above) * 0.6f);  // rosy fringe below
        light += colour * intensity;
    }
    return light;
}

float SnowLine(float x)
{
    return 0.81f - 0.07f * (0.5f + 0.5f * noise::Curve(x * 1.1f, 4.0f, 123u));
}
float RidgeLine(float x)
{
    return 0.74f - 0.08f * noise::Ridged(x * 1.2f, 0.3f, 4.0f, 124u);
}

}  // namespace

void PaintAuroraNight(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height;
    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        Rgb sky = Ramp({{0.0f, Hex(0x02050d)}, {0.5f, Hex(0x071226)}, {0.8f, Hex(0x0e2335)}}, y);
        return sky + ToneMap(AuroraLight(x, y), 1.3f) * 0.95f;
    });
    ScatterStars(image, 900, 0.9f, 125u);

    const Profile snow = AcrossPicture(image, SnowLine);
    const Profile ridge = AcrossPicture(image, RidgeLine);
    const SpruceRow spruces({0.02f, 0.04f, 0.16f, 0.24f, 126u, 0.7f}, snow, 1.0f);
    BlendPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        float ridgeCover = Coverage(y - ridge(x), pixel);
        Rgb colour = Mix(Hex(0x0b1422), Hex(0x132334), Smoothstep(ridge(x), ridge(x) + 0.05f, y));
        // Snow glows faintly green under the aurora, darker towards the viewer.
        float drift = 0.5f + 0.5f * noise::Fbm(x * 6.0f, y * 20.0f, 3.0f, 127u);
        float glow = Smoothstep(snow(x) + 0.12f, snow(x), y);
        Rgb snowColour = Mix(Hex(0x15252f), Hex(0x2e5553), glow) * (0.8f + 0.35f * drift);
        float snowCover = Coverage(y - snow(x), pixel);
        colour = Mix(colour, snowColour, snowCover);
        float trees = spruces.Coverage(x, y, pixel);
        colour = Mix(colour, Hex(0x03070a), trees);
        return Layer{colour, std::max({ridgeCover, snowCover, trees})};
    });
}

// ---- Sunset clouds ----------------------------------------------------------------------------

namespace {

constexpr float kSunsetHorizon = 0.83f;

struct Sunset {
    float sunX;
    Profile hills;
};

float CloudDensity(float u, float w)
{
    float warp = 0.4f * noise::Fbm(u * 0.6f, w * 0.6f, 3.0f, 130u);
    return noise::Fbm(u + warp, w * 1.8f + warp, 6.0f, 131u);
}

Rgb SunsetSky(const Sunset& s, float x, float y)
{
    Rgb sky = Ramp({{0.0f, Hex(0x2b3968)},
                    {0.30f, Hex(0x6c5f94)},
                    {0.55f, Hex(0xc77c86)},
                    {0.72f, Hex(0xf2a274)},
                    {0.83f, Hex(0xffd592)}},
                   y);
    float d = std::hypot(x - s.sunX, (y - kSunsetHorizon + 0.035f) * 1.6f);
    sky += Hex(0xffd08a) * (0.5f * std::exp(-d * 6.0f) + 0.4f * std::exp(-d * 30.0f));
    sky = Mix(sky, Hex(0xfff1cf),
              Smoothstep(0.032f, 0.027f, std::hypot(x - s.sunX, y - kSunsetHorizon + 0.035f)));
    return sky;
}

// A cloud deck seen in perspective, lit from below by the sun that has just set.
Layer Clouds(const Sunset& s, float x, float y)
{
    float elevation = kSunsetHorizon - y;
    if (elevation <= 0.0f) return {};
    float depth = 0.3f / (elevation + 0.03f);
    float u = (x - s.sunX) * depth * 1.5f, w = depth * 2.0f;
    float density = CloudDensity(u, w) + 0.08f;
    float cover = Smoothstep(0.0f, 0.3f, density) * Smoothstep(0.0f, 0.04f, elevation);
    if (cover <= 0.0f) return {};
    float towardsSun = CloudDensity(u - (x - s.sunX) * 0.08f, w + 0.15f);
    float lit = Clamp01(0.45f + 2.5f * (density - towardsSun) - 0.5f * Smoothstep(0.15f, 0.7f, elevation));
    float nearSun = std::exp(-std::hypot(x - s.sunX, elevation) * 2.5f);
    Rgb shadow = Mix(Hex(0x4a3a62), Hex(0x7a4e6e), nearSun);
    Rgb bright = Mix(Hex(0xf08a6a), Hex(0xffd596), nearSun);
    Rgb colour = Mix(shadow, bright, lit);
    colour = Mix(colour, Hex(0x3f3f6e), Smoothstep(0.3f, 0.75f, elevation) * 0.5f);
    float rim = 1.0f - Smoothstep(0.0f, 0.12f, density);  // thin edges glow
    colour += Hex(0xffc890) * (rim * nearSun * 0.5f);
    return {colour, cover};
}

float SunsetHillLine(float x)
{
    return kSunsetHorizon + 0.04f - 0.07f * (0.5f + 0.5f * noise::Curve(x * 1.5f, 4.0f, 132u));
}

// Round-crowned trees standing on the hills, as a coverage.
float TreeCrowns(const Sunset& s, float x, float y, float pixel)
{
    float best = 0.0f;
    int first = int(std::floor(x / 0.09f)) - 2;
    for (int k = first; k <= first + 4; ++k) {
        uint32_t h = noise::Hash(k, 3, 133u);
        if ((h & 3u) != 0u) continue;  // most slots stay empty
        float cx = (float(k) + 0.5f + 0.4f * ((h >> 8 & 255) / 255.0f - 0.5f)) * 0.09f;
        float size = 0.015f + 0.035f * ((h >> 16 & 255) / 255.0f);
        float foot = s.hills(cx);
        float cy = foot - size * 1.6f;
        float dx = x - cx, dy = (y - cy) * 1.15f;
        float angle = std::atan2(dy, dx);
        float radius = size * (1.0f + 0.12f * noise::Curve(angle * 2.0f + float(k), 3.0f, 134u));
        float crown = radius - std::hypot(dx, dy);
        float trunk = std::min(size * 0.1f - std::fabs(dx), foot + 0.01f - y);
        trunk = std::min(trunk, y - cy);
        best = std::max({best, Coverage(crown, pixel), Coverage(trunk, pixel)});
    }
    return best;
}

}  // namespace

void PaintSunsetClouds(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height, width = WidthInHeights(image);
    const Sunset sunset{0.62f * width, AcrossPicture(image, SunsetHillLine)};
    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        Rgb colour = SunsetSky(sunset, x, y);
        Layer clouds = Clouds(sunset, x, y);
        colour = Mix(colour, clouds.colour, clouds.alpha);
        float land = std::max(Coverage(y - sunset.hills(x), pixel), TreeCrowns(sunset, x, y, pixel));
        Rgb hill = Mix(Hex(0x2a1c2c), Hex(0x140e1a), Smoothstep(sunset.hills(x), 1.0f, y));
        return Mix(colour, hill, land);
    });
}

// ---- Spiral galaxy ----------------------------------------------------------------------------

namespace {

// Light of a two-armed spiral seen at an angle; x, y centred on the core in picture heights.
Rgb GalaxyLight(float x, float y)
{
    const float tilt = 0.42f, turn = -0.35f;
    float rx = x * std::cos(turn) - y * std::sin(turn);
    float ry = (x * std::sin(turn) + y * std::cos(turn)) / tilt;
    float r = std::hypot(rx, ry), angle = std::atan2(ry, rx);

    float spiral = std::log(r + 0.015f) / 0.32f;  // logarithmic arms
    float armPhase = angle - spiral;
    float arm = 0.5f + 0.5f * std::cos(2.0f * armPhase);
    arm = std::pow(arm, 3.0f);
    float clumps = 0.5f + 0.5f * noise::Fbm(rx * 18.0f, ry * 18.0f, 4.0f, 140u);
    float dust = std::pow(0.5f + 0.5f * std::cos(2.0f * armPhase + 0.55f), 8.0f) *
                 Smoothstep(0.3f, 0.7f, noise::Fbm(rx * 10.0f, ry * 10.0f, 4.0f, 141u) + 0.5f);

    float disc = std::exp(-r / 0.14f);
    float bulge = std::exp(-r * r / 0.0016f) * 2.2f + std::exp(-r / 0.035f) * 0.8f;
    Rgb light = Hex(0xffe2b0) * bulge;
    light += Mix(Hex(0x8fb0ff), Hex(0xd8e4ff), clumps) * (disc * (0.25f + 1.6f * arm * clumps));
    float nebulae = Smoothstep(0.55f, 0.85f, clumps) * arm * disc;
    light += Hex(0xff6f9c) * (nebulae * 1.1f);
    return light * (1.0f - 0.75f * dust * Smoothstep(0.02f, 0.08f, r));
}

Rgb DeepSpace(float x, float y)
{
    float haze = 0.5f + 0.5f * noise::Fbm(x * 1.5f, y * 1.5f, 4.0f, 142u);
    return Mix(Hex(0x04050b), Hex(0x0d0b1e), haze) + Hex(0x1b1030) * Smoothstep(0.6f, 0.9f, haze) * 0.5f;
}

}  // namespace

void PaintSpiralGalaxy(Image& image)
{
    const float height = float(image.Height()), centreX = 0.5f * image.Width() / height;
    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        return DeepSpace(x, y) + ToneMap(GalaxyLight((x - centreX) * 0.5f, (y - 0.5f) * 0.5f), 1.2f);
    });
    ScatterStars(image, 700, 0.8f, 143u);
}
