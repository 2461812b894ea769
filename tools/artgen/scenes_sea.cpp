// The sea: low sun glittering on open water, and a lighthouse on a headland at dusk.
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kSamples = 2;

struct Vec {
    float x, y, z;
};

Vec Normalized(Vec v)
{
    float n = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x * n, v.y * n, v.z * n};
}

float Dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// ---- Sun glitter on the sea ---------------------------------------------------------------

constexpr float kCameraHeight = 3.0f;
constexpr int kWaveOctaves = 6;
constexpr float kLongestWave = 7.0f;
constexpr float kWaveSlopeVariance = 0.008f;  // what each octave adds to the slope variance

const Vec kSun = Normalized({0.0f, 0.085f, 1.0f});

Rgb SeaSky(Vec d)
{
    float e = std::max(d.y, 0.0f);
    Rgb sky = Ramp({{0.0f, Hex(0xf2b985)},
                    {0.04f, Hex(0xe19a7c)},
                    {0.12f, Hex(0xa9849b)},
                    {0.25f, Hex(0x6b76a3)},
                    {0.45f, Hex(0x3b4f86)}},
                   e);
    float away = 1.0f - Dot(d, kSun);
    sky += Hex(0xffc878) * (0.6f * std::exp(-away * 400.0f) + 0.35f * std::exp(-away * 30.0f));
    sky = Mix(sky, Hex(0xfff4d8) * 1.6f, Smoothstep(0.00012f, 0.00008f, away));  // the disc
    // A thin bank of cloud lying across the sun, dark with glowing edges.
    if (e > 0.005f) {
        float band = Smoothstep(0.03f, 0.07f, e) * Smoothstep(0.2f, 0.1f, e);
        float density = noise::Fbm(d.x / e * 0.25f, 1.0f / e * 0.08f, 4.0f, 150u) + 0.1f;
        float cover = Smoothstep(0.05f, 0.35f, density) * band;
        Rgb cloud = Mix(Hex(0x8a6a7e), Hex(0xffd6a8),
                        std::exp(-away * 60.0f) * (1.0f - Smoothstep(0.05f, 0.4f, density)));
        sky = Mix(sky, cloud, cover * 0.85f);
    }
    return sky;
}

float WaveHeight(float x, float z, int octave)
{
    float scale = float(1 << octave) / kLongestWave;
    return (0.2f / float(1 << octave)) *
           noise::Gradient(x * scale * 0.8f, z * scale, 151u + uint32_t(octave));
}

// Sun light mirrored by wave facets (Beckmann facet distribution): facets that are too small to
// draw still widen the mirrored sun into the long glitter path.
float Glitter(Vec d, Vec n, float facing, float unresolvedVariance)
{
    Vec half = Normalized({kSun.x - d.x, kSun.y - d.y, kSun.z - d.z});
    float cosine = std::max(Dot(half, n), 1e-3f);
    float variance = 0.0006f + unresolvedVariance;
    float tan2 = (1.0f - cosine * cosine) / (cosine * cosine);
    float facets = std::exp(-tan2 / variance) / (3.14159f * variance * cosine * cosine * cosine * cosine);
    return 0.04f * facets / (4.0f * facing);
}

Rgb SeaSurface(Vec d, float focal)
{
    float t = kCameraHeight / -d.y;
    float x = d.x * t, z = d.z * t;
    // Waves finer than a sample are not drawn but roughen the mirror instead.
    float footprint = t * t / (kCameraHeight * focal);
    float resolved = std::clamp(std::log2(kLongestWave / (2.0f * footprint)), 0.0f, float(kWaveOctaves));
    float slopeX = 0.0f, slopeZ = 0.0f;
    const float e = 0.01f;
    for (int octave = 0; octave < kWaveOctaves; ++octave) {
        float weight = Clamp01(resolved - float(octave));
        if (weight <= 0.0f) break;
        float h = WaveHeight(x, z, octave);
        slopeX += weight * (WaveHeight(x + e, z, octave) - h) / e;
        slopeZ += weight * (WaveHeight(x, z + e, octave) - h) / e;
    }
    Vec n = Normalized({-slopeX, 1.0f, -slopeZ});
    float facing = std::max(-Dot(d, n), 0.05f);
    Vec r = {d.x + 2.0f * facing * n.x, d.y + 2.0f * facing * n.y, d.z + 2.0f * facing * n.z};
    r.y = std::max(r.y, 0.002f);
    float fresnel = 0.02f + 0.98f * std::pow(1.0f - facing, 5.0f);
    float glitter = Glitter(d, n, facing, kWaveSlopeVariance * (float(kWaveOctaves) - resolved));
    Rgb water = Mix(Hex(0x10283a), Hex(0x1c3c4c), Clamp01(facing));
    Rgb colour = Mix(water, SeaSky(Normalized(r)), fresnel) + Hex(0xffd498) * glitter;
    float haze = 1.0f - std::exp(-t / 1500.0f);
    return Mix(colour, Hex(0xf2b985), haze);
}

}  // namespace

void PaintSunGlitterSea(Image& image)
{
    const float width = float(image.Width()), height = float(image.Height());
    const float focal = 0.9f * width, horizon = 0.47f * height;
    const float sampleFocal = focal * kSamples;  // footprints are per sample, not per pixel
    FillPixels(image, kSamples, [&](float px, float py) {
        Vec d = Normalized({(px - 0.5f * width) / focal, (horizon - py) / focal, 1.0f});
        Rgb colour = d.y > 0.0f ? SeaSky(d) : SeaSurface(d, sampleFocal);
        return ToneMap(colour, 1.2f) * 1.1f;
    });
}

// ---- Lighthouse on a headland at dusk ----------------------------------------------------------

namespace {

constexpr float kDuskHorizon = 0.64f;

struct Headland {
    float towerX;
    float towerFoot;
    float lanternY;
    Profile cliff;
};

Rgb DuskSky(float x, float y)
{
    Rgb sky = Ramp({{0.0f, Hex(0x161d3c)},
                    {0.28f, Hex(0x2f3160)},
                    {0.48f, Hex(0x6a4a74)},
                    {0.58f, Hex(0xc2706c)},
                    {0.64f, Hex(0xefa474)}},
                   y);
    float glow = std::exp(-std::hypot(x - 0.35f, (y - kDuskHorizon) * 2.5f) * 2.2f);
    return sky + Hex(0xffb070) * (0.35f * glow);
}

float CliffLine(float x)
{
    float rise = Smoothstep(0.95f, 1.25f, x + 0.02f * noise::Curve(x * 6.0f, 3.0f, 160u));
    return kDuskHorizon + 0.02f - 0.25f * rise + 0.02f * rise * noise::Curve(x * 4.0f, 4.0f, 161u);
}

// The headland's seaward face runs out towards the viewer.
float CliffFaceX(float y)
{
    return 0.98f - 0.7f * (y - kDuskHorizon) + 0.015f * noise::Curve(y * 20.0f, 3.0f, 162u);
}

// Signed distance (positive inside) to the lighthouse outline: tower, gallery, lantern, roof.
float LighthouseInside(const Headland& h, float x, float y)
{
    float dx = std::fabs(x - h.towerX);
    float top = h.lanternY + 0.02f;
    float along = Clamp01((h.towerFoot - y) / (h.towerFoot - top));
    float tower = std::min(Mix(0.024f, 0.016f, along) - dx, std::min(y - top, h.towerFoot + 0.01f - y));
    float gallery = std::min(0.026f - dx, std::min(y - (top - 0.007f), top + 0.001f - y));
    float roofBase = h.lanternY - 0.018f;
    float roof = std::min(y - (roofBase - 0.022f + dx * 1.3f), roofBase + 0.002f - y);
    roof = std::min(roof, 0.016f - dx);
    return std::max({tower, gallery, roof});
}

bool InsideLantern(const Headland& h, float x, float y)
{
    return std::fabs(x - h.towerX) < 0.012f && y > h.lanternY - 0.018f && y < h.lanternY + 0.013f;
}

// The keeper's cottage beside the tower, with one lit window.
float CottageInside(const Headland& h, float x, float y)
{
    float left = h.towerX + 0.05f, right = left + 0.10f, floor = h.cliff(left + 0.05f) + 0.01f;
    float walls = std::min({x - left, right - x, floor - y, y - (floor - 0.045f)});
    float ridge = floor - 0.045f - 0.03f;
    float roof = std::min(y - (ridge + std::fabs(x - (left + right) * 0.5f) * 0.6f), floor - 0.044f - y);
    roof = std::min(roof, std::min(x - left + 0.006f, right + 0.006f - x));
    return std::max(walls, roof);
}

Rgb LightBeams(const Headland& h, float x, float y)
{
    float dx = x - h.towerX, dy = y - h.lanternY;
    float distance = std::hypot(dx, dy);
    float angle = std::atan2(-dy, -dx);  // 0 points straight left
    float beam = std::exp(-std::pow((angle - 0.10f) / 0.055f, 2.0f)) / (1.0f + distance * 1.5f);
    float glow = std::exp(-distance * distance / 0.0009f);
    return Hex(0xffe6b0) * (0.3f * beam * Smoothstep(0.01f, 0.05f, distance) + 0.8f * glow);
}

Rgb DuskSea(float x, float y)
{
    float below = y - kDuskHorizon;
    float distance = 0.25f / (below + 0.01f);
    float wave = noise::Fbm(x * distance * 1.5f, distance * 6.0f, 3.0f, 163u);
    float mirrorY = std::max(kDuskHorizon - below * (1.0f + 0.5f * wave) - 0.005f, 0.0f);
    Rgb colour = DuskSky(x, mirrorY) * 0.62f;
    colour = Mix(colour, Hex(0x0f1428), Smoothstep(0.0f, 0.35f, below) * 0.6f);
    float crest = Smoothstep(0.5f, 0.9f, wave) * Smoothstep(0.25f, 0.0f, below);
    return colour + Hex(0xf0a070) * (crest * 0.12f * std::exp(-std::fabs(x - 0.35f) * 2.0f));
}

// Surf breaking along the foot of the headland.
Rgb SeaWithSurf(float x, float y)
{
    float foam = std::exp(-std::pow((x - CliffFaceX(y)) / 0.012f, 2.0f)) *
                 Smoothstep(-0.2f, 0.5f, noise::Fbm(x * 40.0f, y * 60.0f, 3.0f, 165u));
    return Mix(DuskSea(x, y), Hex(0x8a8aa6), foam * 0.5f);
}

// The dark headland with tower and cottage; only the lantern and one window are lit.
Layer Silhouettes(const Headland& h, float x, float y, float pixel)
{
    float cliff = h.cliff(x);
    float headland = std::min(Coverage(y - cliff, pixel), Coverage(x - CliffFaceX(y), pixel));
    float buildings =
        std::max(Coverage(LighthouseInside(h, x, y), pixel), Coverage(CottageInside(h, x, y), pixel));
    Rgb colour = Mix(Hex(0x1e1b2e), Hex(0x0a0c18), Smoothstep(cliff, cliff + 0.04f, y));
    if (InsideLantern(h, x, y)) colour = Hex(0xffe7a6);
    float windowX = h.towerX + 0.10f, windowY = h.cliff(h.towerX + 0.1f) - 0.02f;
    if (std::fabs(x - windowX) < 0.008f && std::fabs(y - windowY) < 0.007f) colour = Hex(0xf5c46a);
    return {colour, std::max(headland, buildings)};
}

}  // namespace

void PaintLighthouseCoast(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height;
    Headland h{1.42f, 0.0f, 0.0f, AcrossPicture(image, CliffLine)};
    h.towerFoot = h.cliff(h.towerX);
    h.lanternY = h.towerFoot - 0.20f;
    Image stars(image.Width(), image.Height());
    ScatterStars(stars, 300, 0.55f, 164u);

    FillPixels(image, kSamples, [&](float px, float py) {
        float x = px / height, y = py / height;
        if (y >= kDuskHorizon) return SeaWithSurf(x, y);
        float starFade = Smoothstep(0.5f, 0.1f, y);  // stars give way to the afterglow
        return DuskSky(x, y) + stars.At(int(px), int(py)) * starFade;
    });
    BlendPixels(image, 3,
                [&](float px, float py) { return Silhouettes(h, px / height, py / height, pixel); });
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.At(x, y) += LightBeams(h, (x + 0.5f) / height, (y + 0.5f) / height);
}
