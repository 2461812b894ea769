// Star fields and spruce rows: placed once from a hash or a seeded sequence, then drawn per point.
#include "scene_kit.h"

#include <algorithm>

SpruceRow::SpruceRow(const Treeline& line, const Profile& ground, float lowestFoot)
    : line_(line), firstIndex_(int(std::floor(ground.From() / line.spacing)) - 2)
{
    int lastIndex = int(std::floor(ground.To() / line.spacing)) + 2;
    for (int k = firstIndex_; k <= lastIndex; ++k) {
        uint32_t h = noise::Hash(k, 7, line.seed);
        float centre = (float(k) + 0.5f + 0.7f * ((h & 255) / 255.0f - 0.5f)) * line.spacing;
        float height = Mix(line.minHeight, line.maxHeight, ((h >> 8) & 255) / 255.0f);
        float foot = ground(centre);
        height *= Smoothstep(lowestFoot + 0.002f, lowestFoot - 0.03f, foot);  // shrink towards the water
        if ((h >> 24) / 255.0f >= line.presence) height = 0.0f;
        trees_.push_back(
            {centre, foot + 0.01f * height, height, 5.0f + float((h >> 16) & 3), ((h >> 20) & 15) / 15.0f});
    }
}

float SpruceRow::Coverage(float x, float y, float pixel) const
{
    float reach = line_.maxHeight * line_.widthRatio;
    int first = std::max(0, int(std::floor((x - reach) / line_.spacing)) - 1 - firstIndex_);
    int last =
        std::min(int(trees_.size()) - 1, int(std::floor((x + reach) / line_.spacing)) + 1 - firstIndex_);
    float best = 0.0f;
    for (int i = first; i <= last; ++i) {
        const Spruce& tree = trees_[size_t(i)];
        if (tree.height <= 0.0f) continue;
        float rise = (tree.foot - y) / tree.height;  // 0 at the foot, 1 at the tip
        if (rise < -0.2f || rise > 1.0f) continue;
        // Each tier of branches is widest at its bottom, which gives the saw-toothed outline.
        float tierPhase = Fract(std::max(rise, 0.0f) * tree.tiers + tree.tierShift);
        float halfWidth =
            tree.height * line_.widthRatio * (1.0f - rise) * (0.6f + 0.4f * (1.0f - tierPhase));
        float inside = std::min(halfWidth - std::fabs(x - tree.centre), (1.0f - rise) * tree.height);
        best = std::max(best, ::Coverage(inside, pixel));
        if (best >= 1.0f) break;
    }
    return best;
}

void ScatterStars(Image& image, int count, float brightness, uint64_t seed)
{
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = rng.Range(0.0f, float(image.Width())), y = rng.Range(0.0f, float(image.Height()));
        float magnitude = std::pow(rng.Unit(), 6.0f);
        float temperature = rng.Unit();
        Rgb tint = temperature < 0.5f ? Mix(Hex(0xffd2a8), Hex(0xffffff), temperature * 2.0f)
                                      : Mix(Hex(0xffffff), Hex(0xb8ccff), temperature * 2.0f - 1.0f);
        float sigma = 0.45f + 0.5f * magnitude;
        AddGlow(image, x, y, sigma, tint * (brightness * (0.08f + 1.4f * magnitude)));
    }
}
