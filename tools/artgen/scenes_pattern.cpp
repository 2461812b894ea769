// Patterns from nature: coral grown by a reaction-diffusion system, autumn leaves on the ground.
#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

// ---- Coral growth (Gray-Scott reaction-diffusion) -----------------------------------------------

constexpr int kCoralSteps = 2600;
constexpr int kCoralScale = 2;  // the chemistry runs at half resolution; the pattern is soft anyway

// Two chemicals on a grid with a one-cell border that mirrors the opposite edge (a torus).
struct Chemistry {
    int width, height;  // inner size
    std::vector<float> a, b;

    size_t At(int x, int y) const { return size_t(y + 1) * size_t(width + 2) + size_t(x + 1); }
};

Chemistry SeedChemistry(int width, int height)
{
    size_t cells = size_t(width + 2) * size_t(height + 2);
    Chemistry c{width, height, std::vector<float>(cells, 1.0f), std::vector<float>(cells, 0.0f)};
    Rng rng(180u);
    for (int seed = 0; seed < 260; ++seed) {
        int cx = rng.Below(width), cy = rng.Below(height), radius = 1 + rng.Below(2);
        for (int y = std::max(0, cy - radius); y <= std::min(height - 1, cy + radius); ++y)
            for (int x = std::max(0, cx - radius); x <= std::min(width - 1, cx + radius); ++x) {
                c.a[c.At(x, y)] = 0.5f;
                c.b[c.At(x, y)] = 0.25f + 0.05f * rng.Unit();
            }
    }
    return c;
}

void WrapBorder(Chemistry& c, std::vector<float>& v)
{
    for (int y = 0; y < c.height; ++y) {
        v[c.At(-1, y)] = v[c.At(c.width - 1, y)];
        v[c.At(c.width, y)] = v[c.At(0, y)];
    }
    for (int x = -1; x <= c.width; ++x) {
        v[c.At(x, -1)] = v[c.At(x, c.height - 1)];
        v[c.At(x, c.height)] = v[c.At(x, 0)];
    }
}

// One explicit step; the kill rate drifts across the grid, so stripes give way to spots in places.
void React(Chemistry& c, std::vector<float>& nextA, std::vector<float>& nextB,
           const std::vector<float>& kill)
{
    WrapBorder(c, c.a);
    WrapBorder(c, c.b);
    const size_t stride = size_t(c.width + 2);
    const float feed = 0.0545f;
    for (int y = 0; y < c.height; ++y) {
        for (size_t at = c.At(0, y), end = at + size_t(c.width); at < end; ++at) {
            auto laplace = [&](const std::vector<float>& v) {
                return 0.2f * (v[at - stride] + v[at + stride] + v[at - 1] + v[at + 1]) +
                       0.05f * (v[at - stride - 1] + v[at - stride + 1] + v[at + stride - 1] +
                                v[at + stride + 1]) -
                       v[at];
            };
            float a = c.a[at], b = c.b[at], reaction = a * b * b;
            nextA[at] = a + 0.55f * laplace(c.a) - reaction + feed * (1.0f - a);
            nextB[at] = b + 0.275f * laplace(c.b) + reaction - (kill[at] + feed) * b;
        }
    }
    c.a.swap(nextA);
    c.b.swap(nextB);
}

float Sample(const Chemistry& c, const std::vector<float>& field, float x, float y)
{
    x = std::clamp(x, 0.0f, float(c.width - 1) - 1e-3f);
    y = std::clamp(y, 0.0f, float(c.height - 1) - 1e-3f);
    int ix = int(x), iy = int(y);
    float fx = x - ix, fy = y - iy;
    auto at = [&](int px, int py) { return field[c.At(px, py)]; };
    return Mix(Mix(at(ix, iy), at(ix + 1, iy), fx), Mix(at(ix, iy + 1), at(ix + 1, iy + 1), fx), fy);
}

// The coral's surface: where the second chemical is, blurred so ridges come out rounded.
std::vector<float> RoundedRelief(const Chemistry& c)
{
    std::vector<float> relief(c.b.size());
    for (size_t i = 0; i < c.b.size(); ++i) relief[i] = Smoothstep(0.08f, 0.32f, c.b[i]);
    BoxBlur(relief, c.width, c.height, 2, [&c](int x, int y) { return c.At(x, y); });
    return relief;
}

Chemistry GrowCoral(int width, int height)
{
    Chemistry c = SeedChemistry(width, height);
    std::vector<float> kill(c.a.size()), nextA(c.a.size()), nextB(c.b.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            kill[c.At(x, y)] = 0.0618f + 0.0016f * noise::Fbm(x * 0.025f, y * 0.025f, 2.0f, 181u);
    for (int step = 0; step < kCoralSteps; ++step) React(c, nextA, nextB, kill);
    return c;
}

}  // namespace

void PaintCoralGrowth(Image& image)
{
    const Chemistry c = GrowCoral(image.Width() / kCoralScale + 1, image.Height() / kCoralScale + 1);
    const float height = float(image.Height());
    const std::vector<float> rounded = RoundedRelief(c);
    FillPixels(image, 2, [&](float px, float py) {
        float gx = px / kCoralScale, gy = py / kCoralScale;
        float v = Smoothstep(0.08f, 0.32f, Sample(c, c.b, gx, gy));
        auto relief = [&](float sx, float sy) { return Sample(c, rounded, sx, sy); };
        float slopeX = relief(gx + 0.5f, gy) - relief(gx - 0.5f, gy);
        float slopeY = relief(gx, gy + 0.5f) - relief(gx, gy - 0.5f);
        float light = Clamp01(0.6f - 2.2f * (slopeX * 0.6f + slopeY * 0.8f));  // from the upper left
        float hollow = Clamp01(0.45f + 0.7f * relief(gx, gy));                 // crevices stay dark

        float x = px / height, y = py / height;
        float caustic = 0.5f + 0.5f * noise::Fbm(x * 7.0f, y * 7.0f, 3.0f, 182u);
        Rgb water = Mix(Hex(0x08202e), Hex(0x134a5e), caustic * (1.0f - 0.4f * y));
        float hue = 0.5f + 0.5f * noise::Fbm(x * 1.6f, y * 1.6f, 3.0f, 183u);
        Rgb tint = Ramp(
            {{0.0f, Hex(0x9a5ab0)}, {0.35f, Hex(0xd65f72)}, {0.65f, Hex(0xe37a4a)}, {1.0f, Hex(0xe9b25a)}},
            hue);
        Rgb flesh = Mix(tint * 0.3f, Mix(tint, Hex(0xffe4c8), 0.3f), light) * hollow;
        flesh += Hex(0xfff0e0) * (std::pow(light, 6.0f) * 0.3f);
        Rgb colour = Mix(water * (0.75f + 0.4f * caustic), flesh, Smoothstep(0.0f, 0.5f, v));
        return colour * (1.0f - 0.3f * Smoothstep(0.5f, 1.2f, std::hypot(x - 0.83f, y - 0.5f)));
    });
}

// ---- Autumn leaves ---------------------------------------------------------------------------------

namespace {

enum class LeafKind { Oval, Maple, Oak };

struct Leaf {
    float x, y, size, cosine, sine;
    LeafKind kind;
    Rgb base, tip;
    uint32_t seed;
};

constexpr float kShadowX = 0.010f, kShadowY = 0.016f;
constexpr float kBinSize = 0.1f;

// Signed distance-like measure in leaf units (half length = 1), positive inside the blade or stem.
float LeafInside(const Leaf& leaf, float u, float v)
{
    float stem = std::min(0.03f - std::fabs(u), std::min(v + 1.35f, -0.9f - v));
    float blade;
    if (leaf.kind == LeafKind::Maple) {
        float dv = v + 0.15f, r = std::hypot(u, dv), angle = std::atan2(u, dv);
        const float lobes[5][2] = {
            {0.0f, 1.0f}, {1.15f, 0.85f}, {-1.15f, 0.85f}, {2.2f, 0.5f}, {-2.2f, 0.5f}};
        float reach = 0.3f;
        for (const auto& lobe : lobes) {
            float d = (angle - lobe[0]) / 0.3f;
            reach = std::max(reach, 0.3f + 0.72f * lobe[1] * std::exp(-d * d));
        }
        reach *= 1.0f + 0.05f * std::sin(angle * 26.0f);
        blade = reach - r;
    } else {
        float along = std::clamp(v, -1.0f, 1.0f);
        float width = 0.46f * std::pow(std::max(0.0f, 1.0f - along * along), 0.65f) * (1.0f - 0.2f * along);
        if (leaf.kind == LeafKind::Oak)
            width *= 0.72f + 0.28f * std::cos(along * 3.14159f * 3.5f);
        else
            width *= 1.0f + 0.03f * std::sin(along * 34.0f);
        blade = std::min(width - std::fabs(u), 1.0f - std::fabs(v));
    }
    return std::max(blade, stem);
}

Rgb LeafColour(const Leaf& leaf, float u, float v, float inside)
{
    Rgb colour = Mix(leaf.base, leaf.tip, Smoothstep(-0.8f, 1.0f, v));
    float midrib = Smoothstep(0.035f, 0.0f, std::fabs(u)) * Smoothstep(1.0f, 0.6f, v);
    float ribs = leaf.kind == LeafKind::Maple
                     ? 0.0f
                     : Smoothstep(0.45f, 0.49f, std::fabs(Fract((v - std::fabs(u) * 0.9f) * 4.0f) - 0.5f));
    colour = Mix(colour, colour * 1.3f + Rgb{0.05f, 0.04f, 0.0f}, std::max(midrib, ribs * 0.5f));
    float spots = Smoothstep(0.35f, 0.55f, noise::Fbm(u * 3.0f, v * 3.0f, 3.0f, leaf.seed));
    colour = Mix(colour, colour * Rgb{0.55f, 0.42f, 0.3f}, spots * 0.6f);
    colour = Mix(colour * Rgb{0.7f, 0.55f, 0.45f}, colour, Smoothstep(0.0f, 0.12f, inside));  // dry rims
    return colour * (0.85f + 0.18f * u);  // gently curled, lit from one side
}

std::vector<Leaf> ScatterLeaves(float width)
{
    static const uint32_t palette[] = {0xb5321e, 0xd2542a, 0xe28a2e, 0xe8b742,
                                       0x8c4a22, 0xa99a38, 0xc0402a, 0xdda04a};
    std::vector<Leaf> leaves;
    Rng rng(190u);
    for (int i = 0; i < 230; ++i) {
        Leaf leaf;
        leaf.x = rng.Range(-0.1f, width + 0.1f);
        leaf.y = rng.Range(-0.1f, 1.1f);
        leaf.size = rng.Range(0.05f, 0.11f);
        float angle = rng.Range(0.0f, 6.2832f);
        leaf.cosine = std::cos(angle);
        leaf.sine = std::sin(angle);
        int kind = rng.Below(5);
        leaf.kind = kind < 2 ? LeafKind::Maple : kind < 4 ? LeafKind::Oval : LeafKind::Oak;
        Rgb main = Hex(palette[rng.Below(8)]);
        leaf.base = main * rng.Range(0.8f, 1.05f);
        leaf.tip = Mix(main, Hex(palette[rng.Below(8)]), rng.Range(0.0f, 0.6f));
        leaf.seed = 191u + uint32_t(i);
        leaves.push_back(leaf);
    }
    return leaves;
}

// Leaves sorted into square bins, so a point only looks at the few leaves that can reach it.
class LeafGrid {
public:
    LeafGrid(const std::vector<Leaf>& leaves, float width)
        : columns_(int(width / kBinSize) + 1),
          rows_(int(1.0f / kBinSize) + 1),
          bins_(size_t(columns_ * rows_))
    {
        for (size_t i = 0; i < leaves.size(); ++i) {
            const Leaf& leaf = leaves[i];
            float reach = leaf.size * 1.4f + 0.03f;
            for (int row = Row(leaf.y - reach); row <= Row(leaf.y + reach + kShadowY); ++row)
                for (int column = Column(leaf.x - reach); column <= Column(leaf.x + reach + kShadowX);
                     ++column)
                    bins_[size_t(row * columns_ + column)].push_back(int(i));
        }
    }

    // Indices of the leaves near the point, bottom-most first.
    const std::vector<int>& Near(float x, float y) const
    {
        return bins_[size_t(Row(y) * columns_ + Column(x))];
    }

private:
    int Column(float x) const { return std::clamp(int(std::floor(x / kBinSize)), 0, columns_ - 1); }
    int Row(float y) const { return std::clamp(int(std::floor(y / kBinSize)), 0, rows_ - 1); }

    int columns_;
    int rows_;
    std::vector<std::vector<int>> bins_;
};

struct LeafPoint {
    float u, v;
};

LeafPoint ToLeaf(const Leaf& leaf, float x, float y)
{
    float dx = (x - leaf.x) / leaf.size, dy = (y - leaf.y) / leaf.size;
    return {dx * leaf.cosine + dy * leaf.sine, -dx * leaf.sine + dy * leaf.cosine};
}

Rgb Soil(float x, float y)
{
    return Mix(Hex(0x1e1812), Hex(0x3d3222), 0.5f + 0.5f * noise::Fbm(x * 8.0f, y * 8.0f, 5.0f, 192u));
}

// Front to back: each leaf hides, and shades, whatever lies beneath it.
Rgb LeafLitter(const std::vector<Leaf>& leaves, const LeafGrid& grid, float x, float y, float pixel)
{
    const std::vector<int>& nearby = grid.Near(x, y);
    Rgb gathered;
    float through = 1.0f;
    for (auto it = nearby.rbegin(); it != nearby.rend() && through > 0.002f; ++it) {
        const Leaf& leaf = leaves[size_t(*it)];
        float reach = leaf.size * 1.4f + 0.03f;
        if (std::fabs(x - leaf.x) > reach || std::fabs(y - leaf.y) > reach) continue;
        LeafPoint p = ToLeaf(leaf, x, y);
        float inside = LeafInside(leaf, p.u, p.v);
        float cover = Coverage(inside, pixel / leaf.size);
        if (cover > 0.0f) {
            gathered += LeafColour(leaf, p.u, p.v, inside) * (through * cover);
            through *= 1.0f - cover;
        }
        LeafPoint shadow = ToLeaf(leaf, x - kShadowX, y - kShadowY);
        through *= 1.0f - 0.5f * Coverage(LeafInside(leaf, shadow.u, shadow.v), 0.25f);
    }
    return through > 0.002f ? gathered + Soil(x, y) * through : gathered;
}

}  // namespace

void PaintAutumnLeaves(Image& image)
{
    const float height = float(image.Height()), pixel = 1.0f / height, width = WidthInHeights(image);
    const std::vector<Leaf> leaves = ScatterLeaves(width);
    const LeafGrid grid(leaves, width);
    FillPixels(image, 2, [&](float px, float py) {
        return LeafLitter(leaves, grid, px / height, py / height, pixel);
    });
}
