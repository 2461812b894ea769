// Layered landscapes painted in picture-height units: dawn ridges over mist, a forest lake.
#include <array>
#include <cmath>
#include <vector>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kSamples = 2;

// ---- Mountain ridges at dawn ------------------------------------------------------------

constexpr int kRidgeLayers = 7;

struct Dawn {
    float sunX;
    float sunY;
};

Rgb DawnSky(const Dawn& dawn, float x, float y)
{
    Rgb sky = Ramp({{0.00f, Hex(0x2a3461)},
                    {0.12f, Hex(0x4f5486)},
                    {0.22f, Hex(0x9a7fa8)},
                    {0.30f, Hex(0xe0a4a0)},
                    {0.36f, Hex(0xf6c394)},
                    {0.45f, Hex(0xfcdcaa)}},
                   y);
    float d = std::hypot(x - dawn.sunX, (y - dawn.sunY) * 1.4f);
    sky += Hex(0xffd9a6) * (0.35f * std::exp(-d * 7.0f) + 0.25f * std::exp(-d * 22.0f));
    float disc = Smoothstep(0.034f, 0.030f, std::hypot(x - dawn.sunX, y - dawn.sunY));
    sky = Mix(sky, Hex(0xfff4dc), disc);

    // Thin cirrus streaks catching the first light.
    float streak = noise::Fbm(x * 1.6f, y * 9.0f, 4.0f, 11u);
    float cirrus =
        Smoothstep(0.05f, 0.55f, streak) * Smoothstep(0.03f, 0.12f, y) * Smoothstep(0.30f, 0.18f, y);
    sky = Mix(sky, Mix(Hex(0xe8a7a8), Hex(0xffd7b0), Smoothstep(0.5f, 0.1f, d)), cirrus * 0.45f);
    return sky;
}

float RidgeHeight(int layer, float x)
{
    float frequency = 1.5f + 0.5f * layer;
    float offset = 13.7f * layer;
    float sharp = noise::Ridged(x * frequency + offset, 0.37f * layer, 5.0f, 100u + uint32_t(layer));
    float soft = 0.5f + 0.5f * noise::Curve(x * frequency * 0.5f + offset, 3.0f, 200u + uint32_t(layer));
    return 0.75f * sharp + 0.5f * soft;
}

float LayerBase(int layer)
{
    return 0.42f + 0.53f * std::pow(float(layer) / float(kRidgeLayers - 1), 1.2f);
}
float LayerAmplitude(int layer)
{
    return 0.17f - 0.013f * layer;
}

Rgb RidgeColour(const Dawn& dawn, int layer, float x, float y)
{
    float nearness = float(layer) / float(kRidgeLayers - 1);
    Rgb colour = Mix(Hex(0xcfa3b4), Hex(0x211a35), std::pow(nearness, 0.75f));
    float sunward = std::exp(-std::fabs(x - dawn.sunX) * 2.0f) * (1.0f - nearness);
    colour = Mix(colour, Hex(0xf7bb98), sunward * 0.5f);
    colour = colour * (0.96f + 0.04f * noise::Fbm(x * 40.0f, y * 40.0f, 2.0f, 300u));

    // Each valley holds a level sheet of mist, thicker far away and gently uneven.
    float level = LayerBase(layer) - 0.35f * LayerAmplitude(layer);
    float wisps = 0.7f + 0.6f * noise::Fbm(x * 3.0f + layer, y * 14.0f, 3.0f, 400u + uint32_t(layer));
    float mist = Smoothstep(level - 0.05f, level + 0.07f, y) * (0.7f - 0.45f * nearness) * wisps;
    Rgb mistColour = Mix(Hex(0xdcc4d2), Hex(0xffe2c6), sunward);
    return Mix(colour, mistColour, Clamp01(mist));
}

}  // namespace

void PaintMountainDawn(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height, width = WidthInHeights(image);
    const Dawn dawn{0.68f * width, 0.255f};
    const int samples = int(image.Width()) * 4;
    std::vector<Profile> crests;
    for (int layer = 0; layer < kRidgeLayers; ++layer) {
        crests.emplace_back(0.0f, width, samples, [layer](float x) {
            return LayerBase(layer) - LayerAmplitude(layer) * RidgeHeight(layer, x);
        });
    }
    // Small spruces line the two nearest crests.
    const Treeline nearTrees{0.010f, 0.014f, 0.030f, 0.28f, 500u};
    const Treeline nearestTrees{0.016f, 0.030f, 0.060f, 0.26f, 501u};
    const SpruceRow nearRow(nearTrees, crests[kRidgeLayers - 2], 1.0f);
    const SpruceRow nearestRow(nearestTrees, crests[kRidgeLayers - 1], 1.0f);

    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        float crest[kRidgeLayers];
        for (int layer = 0; layer < kRidgeLayers; ++layer) crest[layer] = crests[size_t(layer)](x);
        int first = -1;  // the nearest layer that fully covers this point hides all behind it
        for (int layer = kRidgeLayers - 1; layer >= 0 && first < 0; --layer)
            if (y - crest[layer] > pixel) first = layer;
        Rgb colour = first < 0 ? DawnSky(dawn, x, y) : Rgb{};
        for (int layer = std::max(first, 0); layer < kRidgeLayers; ++layer) {
            float cover = Coverage(y - crest[layer], pixel * 0.5f);
            if (layer == kRidgeLayers - 2) cover = std::max(cover, nearRow.Coverage(x, y, pixel * 0.5f));
            if (layer == kRidgeLayers - 1) cover = std::max(cover, nearestRow.Coverage(x, y, pixel * 0.5f));
            if (cover > 0.0f) colour = Mix(colour, RidgeColour(dawn, layer, x, y), cover);
        }
        return colour;
    });
}

// ---- Forest lake --------------------------------------------------------------------------

namespace {

constexpr float kWaterline = 0.60f;

float MountainLine(float x)
{
    return 0.47f - 0.15f * (0.6f * noise::Ridged(x * 1.3f + 3.0f, 0.5f, 5.0f, 45u) +
                            0.4f * (0.5f + 0.5f * noise::Curve(x, 2.0f, 46u)));
}

float FarShoreGround(float x)
{
    return kWaterline - 0.010f - 0.02f * (0.5f + 0.5f * noise::Curve(x * 2.0f, 3.0f, 41u));
}

float LeftShoreGround(float x)
{
    return kWaterline + 0.012f -
           0.17f * std::exp(-x * 2.3f) * (1.0f + 0.25f * noise::Curve(x * 3.0f, 3.0f, 42u));
}

// The right shore rises towards the picture's right edge, `width` picture heights away.
auto RightShoreGround(float width)
{
    return [width](float x) {
        float rise = Smoothstep(width - 0.6f, width + 0.05f, x);
        return kWaterline + 0.01f - 0.10f * rise * (1.0f + 0.2f * noise::Curve(x * 3.0f, 3.0f, 43u));
    };
}

struct ForestLake {
    explicit ForestLake(const Image& image)
        : mountain(AcrossPicture(image, MountainLine)),
          farGround(AcrossPicture(image, FarShoreGround)),
          leftGround(AcrossPicture(image, LeftShoreGround)),
          rightGround(AcrossPicture(image, RightShoreGround(WidthInHeights(image)))),
          farTrees({0.011f, 0.022f, 0.048f, 0.26f, 31u}, farGround, 1.0f),
          leftTrees({0.026f, 0.11f, 0.22f, 0.24f, 32u}, leftGround, kWaterline - 0.004f),
          rightTrees({0.022f, 0.07f, 0.13f, 0.25f, 33u}, rightGround, kWaterline - 0.004f)
    {
    }

    Profile mountain, farGround, leftGround, rightGround;
    SpruceRow farTrees, leftTrees, rightTrees;
};

Rgb EveningSky(float x, float y)
{
    Rgb sky = Ramp(
        {{0.0f, Hex(0x52709a)}, {0.30f, Hex(0x8ea9c6)}, {0.50f, Hex(0xc9cfd2)}, {0.60f, Hex(0xf0dcc0)}}, y);
    sky += Hex(0xffd8a8) * (0.18f * std::exp(-std::hypot(x - 1.05f, (y - 0.52f) * 2.0f) * 4.0f));
    float clouds =
        Smoothstep(0.1f, 0.6f, noise::Fbm(x * 2.2f, y * 6.5f, 5.0f, 44u)) * Smoothstep(0.5f, 0.15f, y);
    return Mix(sky, Mix(Hex(0xf4e6dc), Hex(0x9aa3b8), Smoothstep(0.1f, 0.45f, y) * 0.6f), clouds * 0.55f);
}

Rgb Foliage(Rgb dark, Rgb light, float x, float y, uint32_t seed)
{
    return Mix(dark, light, 0.5f + 0.5f * noise::Value(x * 110.0f, y * 110.0f, seed));
}

// Everything above the waterline; the lake shows it mirrored.
Rgb AboveWater(const ForestLake& lake, float x, float y, float pixel)
{
    Rgb colour = EveningSky(x, y);
    float mountain = lake.mountain(x);
    float hazeDepth = Clamp01((y - mountain) / 0.12f);
    colour = Mix(colour, Mix(Hex(0x7d8cab), Hex(0xb7bccb), hazeDepth), Coverage(y - mountain, pixel));

    float farCover = std::max(Coverage(y - lake.farGround(x), pixel), lake.farTrees.Coverage(x, y, pixel));
    colour = Mix(colour, Hex(0x506673), farCover);

    float rightCover =
        std::max(Coverage(y - lake.rightGround(x), pixel), lake.rightTrees.Coverage(x, y, pixel));
    colour = Mix(colour, Foliage(Hex(0x2c4540), Hex(0x3d5650), x, y, 47u), rightCover);

    float leftCover =
        std::max(Coverage(y - lake.leftGround(x), pixel), lake.leftTrees.Coverage(x, y, pixel));
    colour = Mix(colour, Foliage(Hex(0x17292a), Hex(0x2a3f35), x, y, 48u), leftCover);

    // Mist lying on the water along the far shore.
    float mist =
        std::exp(-(kWaterline - y) / 0.025f) * (0.55f + 0.3f * noise::Fbm(x * 5.0f, y * 30.0f, 3.0f, 49u));
    return Mix(colour, Hex(0xdfe2e4), Clamp01(mist) * 0.6f);
}

Rgb LakeSurface(const ForestLake& lake, float x, float y, float pixel)
{
    float below = y - kWaterline;
    float distance = 0.3f / (below + 0.012f);  // perspective: far water is compressed
    float wave = noise::Fbm(x * distance * 1.2f, distance * 5.0f, 3.0f, 50u);
    float mirrorY = kWaterline - below + below * 0.035f * wave;
    float mirrorX = x + below * 0.01f * noise::Gradient(x * distance, distance * 4.0f, 51u);
    Rgb reflected = AboveWater(lake, mirrorX, std::min(mirrorY, kWaterline - 1e-4f), pixel) * Hex(0xd4dfe0);
    Rgb colour = Mix(reflected, Hex(0x1c2c30), Smoothstep(0.0f, 0.42f, below) * 0.55f);
    float glint = Smoothstep(0.55f, 0.95f, wave) * Smoothstep(0.3f, 0.0f, below);
    return colour + Hex(0xf0dcc0) * (glint * 0.10f);
}

}  // namespace

void PaintForestLake(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height;
    const ForestLake lake(image);
    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        return y < kWaterline ? AboveWater(lake, x, y, pixel) : LakeSurface(lake, x, y, pixel);
    });
}
