// Height-field landscapes: wind-shaped dunes, farmland on rolling hills, an alpine peak.
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "scenes.h"
#include "terrain.h"

namespace {

constexpr int kSupersample = 2;

// Octaves of a fractal with base wavelength `wavelength` that are still larger than the footprint.
float OctavesFor(float wavelength, float footprint, float most)
{
    return std::clamp(std::log2(wavelength / (2.0f * footprint)), 1.0f, most);
}

float Lambert(const SurfacePoint& p, float lx, float ly, float lz)
{
    float n = 1.0f / std::sqrt(lx * lx + ly * ly + lz * lz);
    return std::max(0.0f, (p.normalX * lx + p.normalY * ly + p.normalZ * lz) * n);
}

Rgb Haze(Rgb surface, Rgb haze, float distance, float thickness)
{
    return Mix(surface, haze, 1.0f - std::exp(-distance / thickness));
}

// ---- Desert dunes ---------------------------------------------------------------------------

// Asymmetric dune profile: a long windward slope and a short steep slip face meeting at a brink
// that is rounded by `softness` (wider far away, where a sharp brink would only flicker).
float DuneProfile(float phase, float softness)
{
    float f = Fract(phase);
    float windward = std::pow(f / 0.72f, 1.3f), slipFace = std::pow((1.0f - f) / 0.28f, 1.1f);
    float low = std::min(windward, slipFace), high = std::max(windward, slipFace);
    return low - softness * std::log1p(std::exp((low - high) / softness));
}

float DuneHeight(float x, float z, float footprint)
{
    float warp = 60.0f * noise::Fbm(x * 0.0025f, z * 0.0025f, 3.0f, 90u);
    float amplitude = 19.0f * (0.55f + 0.45f * noise::Fbm(x * 0.005f + 5.0f, z * 0.005f, 2.0f, 91u));
    float main = amplitude * DuneProfile((x * 0.85f - z * 0.5f + warp) / 60.0f, 0.01f + footprint * 0.04f);
    float swell = 6.0f * noise::Fbm(x * 0.004f, z * 0.004f, 3.0f, 95u);
    float ripples =
        0.025f * std::sin((z * 2.3f + x * 0.8f + 4.0f * noise::Fbm(x * 0.08f, z * 0.08f, 2.0f, 92u)) * 6.0f);
    return main + swell + ripples * Smoothstep(0.12f, 0.03f, footprint);
}

Rgb DuneSky(float right, float up)
{
    Rgb sky = Ramp(
        {{0.0f, Hex(0xf3d7b0)}, {0.06f, Hex(0xd4cfc4)}, {0.25f, Hex(0x86a6c6)}, {0.5f, Hex(0x5a83b3)}}, up);
    float glow = std::exp(-std::hypot(right + 0.9f, (up - 0.12f) * 1.3f) * 2.5f);
    return sky + Hex(0xffe2b8) * (0.45f * glow);
}

Rgb DuneShade(const SurfacePoint& p)
{
    float sun = Lambert(p, -0.8f, 0.38f, 0.3f);
    float skyLight = 0.5f + 0.5f * p.normalY;
    float grain =
        1.0f + 0.04f * noise::Value(p.x * 3.0f, p.z * 3.0f, 93u) * Smoothstep(0.3f, 0.05f, p.footprint);
    Rgb albedo =
        Mix(Hex(0xe2a064), Hex(0xeab27a), 0.5f + 0.5f * noise::Fbm(p.x * 0.01f, p.z * 0.01f, 2.0f, 94u));
    Rgb light = Rgb{1.45f, 1.22f, 0.95f} * sun + Rgb{0.36f, 0.33f, 0.42f} * skyLight;
    return Haze(albedo * light * grain, Hex(0xf0d6b8), p.distance, 900.0f);
}

}  // namespace

void PaintDesertDunes(Image& image)
{
    const TerrainView view{0.0f, 28.0f, 0.0f, 0.36f, 0.85f, 1.0f, 3000.0f, 0.005f, 0.005f};
    RenderTerrain(image, {view, DuneHeight, DuneShade, DuneSky}, kSupersample);
}

// ---- Rolling hills with fields --------------------------------------------------------------

namespace {

constexpr float kFieldScale = 0.022f;  // fields are about 45 world units across

// Patches of woodland, as a 0..1 share.
float Woodland(float x, float z)
{
    return Smoothstep(0.22f, 0.3f, noise::Fbm(x * 0.006f, z * 0.006f, 4.0f, 105u));
}

float HillHeight(float x, float z, float footprint)
{
    float ground = 60.0f * noise::Fbm(x * 0.0025f, z * 0.0025f, OctavesFor(400.0f, footprint, 5.0f), 100u);
    float wood = Woodland(x, z);
    if (wood > 0.0f) {
        noise::Cell crown = noise::Voronoi(x * 0.35f, z * 0.35f, 106u);
        float bump = Mix(0.6f, 1.0f - crown.nearest * crown.nearest, Smoothstep(2.0f, 0.5f, footprint));
        ground += wood * 7.0f * bump;
    }
    return ground + z * 0.015f;
}

Rgb FieldColour(uint32_t id)
{
    static const Rgb crops[] = {Hex(0xcfae58), Hex(0x86a64c), Hex(0x5b8a3a), Hex(0xa9c063),
                                Hex(0x8d6e4c), Hex(0xd8c25a), Hex(0x7a9e45), Hex(0xbf9e55)};
    return crops[(id >> 4) % 8u];
}

Rgb FieldAlbedo(const SurfacePoint& p)
{
    noise::Cell cell = noise::Voronoi(p.x * kFieldScale, p.z * kFieldScale, 101u);
    Rgb field = FieldColour(cell.id);
    // Drill rows in each field, running its own way; averaged out where too fine to show.
    float angle = float(cell.id & 15u) * 0.3927f;
    float rows = 0.5f + 0.5f * std::sin((p.x * std::cos(angle) + p.z * std::sin(angle)) * 4.0f);
    float rowContrast = (cell.id & 0x100u ? 0.06f : 0.0f) * Smoothstep(0.5f, 0.12f, p.footprint);
    field = field * (1.0f - rowContrast + 2.0f * rowContrast * rows);
    field = field * (0.92f + 0.08f * noise::Fbm(p.x * 0.08f, p.z * 0.08f, 2.0f, 102u));

    float border = (cell.second - cell.nearest) / kFieldScale;  // world units to the next field
    float hedgeWidth = 1.6f;
    float softness = std::max(p.footprint, 0.3f);
    float hedge =
        Clamp01((hedgeWidth - border) / softness + 0.5f) * std::min(1.0f, 2.0f * hedgeWidth / softness);
    Rgb hedgeColour =
        Mix(Hex(0x2b4322), Hex(0x48632f), 0.5f + 0.5f * noise::Value(p.x * 0.7f, p.z * 0.7f, 103u));
    Rgb colour = Mix(field, hedgeColour, Clamp01(hedge));
    float wood = Woodland(p.x, p.z);
    if (wood > 0.0f) {
        float leaves =
            0.5f + 0.5f * noise::Value(p.x * 0.9f, p.z * 0.9f, 107u) * Smoothstep(1.5f, 0.4f, p.footprint);
        colour = Mix(colour, Mix(Hex(0x22401f), Hex(0x3f6230), leaves), wood);
    }
    return colour;
}

Rgb HillSky(float right, float up)
{
    Rgb sky = Ramp(
        {{0.0f, Hex(0xdfe6ea)}, {0.08f, Hex(0xaecbe3)}, {0.35f, Hex(0x5e92c9)}, {0.6f, Hex(0x3f74b4)}}, up);
    if (up <= 0.005f) return sky;
    float t = 1.0f / up;  // distance to a cloud deck at unit height
    float cx = right * t * 0.7f, cz = t * 0.7f;
    float octaves = OctavesFor(2.0f, t * 0.002f, 5.0f);
    float density = noise::Fbm(cx, cz, octaves, 104u) + 0.2f;
    float cover = Smoothstep(0.15f, 0.4f, density) * Smoothstep(0.01f, 0.06f, up);
    // Sunlit tops, grey bellies: compare with the density a little towards the sun.
    float towardsSun = noise::Fbm(cx - 0.08f, cz + 0.05f, octaves, 104u) + 0.2f;
    float lit = Clamp01(0.6f + 2.5f * (density - towardsSun));
    Rgb cloud = Mix(Hex(0xaab6c6), Hex(0xffffff), lit);
    return Mix(sky, cloud, cover);
}

Rgb HillShade(const SurfacePoint& p)
{
    float cloudShadow = Smoothstep(0.1f, 0.35f, noise::Fbm(p.x * 0.003f + 4.0f, p.z * 0.003f, 3.0f, 108u));
    float sun = Lambert(p, -0.7f, 0.55f, 0.2f) * (1.0f - 0.6f * cloudShadow);
    Rgb light = Rgb{1.05f, 1.0f, 0.9f} * sun + Rgb{0.32f, 0.36f, 0.45f} * (0.5f + 0.5f * p.normalY);
    return Haze(FieldAlbedo(p) * light, Hex(0xc9d6e0), p.distance, 1400.0f);
}

}  // namespace

void PaintRollingHills(Image& image)
{
    const float cameraY = HillHeight(0.0f, 0.0f, 1.0f) + 55.0f;
    const TerrainView view{0.0f, cameraY, 0.0f, 0.33f, 0.85f, 2.0f, 4000.0f, 0.005f, 0.005f};
    RenderTerrain(image, {view, HillHeight, HillShade, HillSky}, kSupersample);
}

// ---- Snowy peak ------------------------------------------------------------------------------

namespace {

float PeakHeight(float x, float z, float footprint)
{
    float wx = x + 120.0f * noise::Fbm(x * 0.0015f, z * 0.0015f, 2.0f, 115u);
    float wz = z + 120.0f * noise::Fbm(x * 0.0015f + 7.0f, z * 0.0015f, 2.0f, 116u);
    float dx = wx - 150.0f, dz = (wz - 1300.0f) * 0.85f;
    float reach = std::sqrt(dx * dx + dz * dz);
    float massif = 560.0f * std::exp(-std::pow(reach / 520.0f, 1.3f));
    float ridges =
        noise::Ridged(wx * 0.0028f, wz * 0.0028f, OctavesFor(360.0f, footprint * 3.0f, 7.0f), 110u);
    float hills = 40.0f * noise::Fbm(x * 0.003f, z * 0.003f, OctavesFor(333.0f, footprint, 5.0f), 111u);
    return massif + 240.0f * ridges * Smoothstep(1100.0f, 250.0f, reach) + hills;
}

Rgb PeakSky(float, float up)
{
    return Ramp(
        {{0.0f, Hex(0xc9dbea)}, {0.1f, Hex(0x8fb4da)}, {0.35f, Hex(0x3f72b0)}, {0.6f, Hex(0x2a558f)}}, up);
}

Rgb PeakShade(const SurfacePoint& p)
{
    float sun = Lambert(p, -0.65f, 0.55f, -0.1f);
    float snowLine = 260.0f + 70.0f * noise::Fbm(p.x * 0.01f, p.z * 0.01f, 3.0f, 112u);
    float steepness = 0.3f + 0.15f * noise::Fbm(p.x * 0.05f, p.z * 0.05f, 2.0f, 117u);
    float snow = Smoothstep(snowLine - 40.0f, snowLine + 40.0f, p.height) *
                 Smoothstep(steepness, steepness + 0.2f, p.normalY);
    float forest =
        Smoothstep(210.0f, 150.0f, p.height + 40.0f * noise::Fbm(p.x * 0.02f, p.z * 0.02f, 3.0f, 113u)) *
        Smoothstep(0.6f, 0.8f, p.normalY);
    Rgb rock =
        Mix(Hex(0x4f463f), Hex(0x756a5e), 0.5f + 0.5f * noise::Fbm(p.x * 0.05f, p.z * 0.05f, 2.0f, 114u));
    Rgb ground = Mix(rock, Mix(Hex(0x24381f), Hex(0x50633a), Smoothstep(0.85f, 0.97f, p.normalY)), forest);
    Rgb albedo = Mix(ground, Hex(0xf4f7fb), snow);
    Rgb light = Rgb{1.1f, 1.05f, 0.95f} * sun + Rgb{0.30f, 0.38f, 0.55f} * (0.55f + 0.45f * p.normalY);
    return Haze(albedo * light, Hex(0xb8cde2), p.distance, 2600.0f);
}

}  // namespace

void PaintSnowyPeak(Image& image)
{
    const float cameraY = PeakHeight(0.0f, 0.0f, 1.0f) + 140.0f;
    const TerrainView view{0.0f, cameraY, 0.0f, 0.70f, 0.85f, 2.0f, 6000.0f, 0.006f, 0.0025f};
    RenderTerrain(image, {view, PeakHeight, PeakShade, PeakSky}, kSupersample);
}
