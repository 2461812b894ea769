// Lattice noise built on an integer hash; rotation between octaves hides the grid.
#include "noise.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace noise {
namespace {

struct Direction {
    float x;
    float y;
};

std::array<Direction, 16> MakeDirections()
{
    std::array<Direction, 16> directions{};
    for (int i = 0; i < 16; ++i) {
        double angle = (i + 0.5) * 3.14159265358979323846 / 8.0;
        directions[i] = {float(std::cos(angle)), float(std::sin(angle))};
    }
    return directions;
}

const std::array<Direction, 16> kDirections = MakeDirections();

float Fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}
float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

// Each octave is turned by about 37 degrees so lattice lines never line up.
void NextOctave(float& x, float& y)
{
    float turnedX = 1.6f * x - 1.2f * y + 17.13f;
    float turnedY = 1.2f * x + 1.6f * y - 9.71f;
    x = turnedX * 1.01f;
    y = turnedY * 1.01f;
}

// Adds octave(x, y, i) over the octaves, each at half the amplitude of the one before and on a
// turned lattice; a fractional last octave counts in part.
template <class Octave>
float SumOctaves(float x, float y, float octaves, float amplitude, Octave octave)
{
    float sum = 0.0f;
    int whole = int(std::ceil(octaves));
    for (int i = 0; i < whole; ++i) {
        float weight = std::min(1.0f, octaves - float(i));
        sum += amplitude * weight * octave(x, y, i);
        amplitude *= 0.5f;
        NextOctave(x, y);
    }
    return sum;
}

}  // namespace

uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float HashUnit(int32_t x, int32_t y, uint32_t seed)
{
    return (Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float Value(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = int32_t(fx), iy = int32_t(fy);
    float u = Fade(x - fx), v = Fade(y - fy);
    float a = HashUnit(ix, iy, seed), b = HashUnit(ix + 1, iy, seed);
    float c = HashUnit(ix, iy + 1, seed), d = HashUnit(ix + 1, iy + 1, seed);
    return 2.0f * Lerp(Lerp(a, b, u), Lerp(c, d, u), v) - 1.0f;
}

float Gradient(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = int32_t(fx), iy = int32_t(fy);
    float dx = x - fx, dy = y - fy;
    auto corner = [&](int32_t cx, int32_t cy) {
        const Direction& g = kDirections[Hash(ix + cx, iy + cy, seed) & 15];
        return g.x * (dx - cx) + g.y * (dy - cy);
    };
    float u = Fade(dx), v = Fade(dy);
    float bottom = Lerp(corner(0, 0), corner(1, 0), u);
    float top = Lerp(corner(0, 1), corner(1, 1), u);
    return 1.4142f * Lerp(bottom, top, v);
}

float Fbm(float x, float y, float octaves, uint32_t seed)
{
    float sum = SumOctaves(x, y, octaves, 1.0f, [seed](float ox, float oy, int i) {
        return Gradient(ox, oy, seed + uint32_t(i) * 1013u);
    });
    return sum * (1.0f / 1.4f);
}

// Each crest is sharpened by the one before it, so ridges carry detail and valleys stay smooth.
float Ridged(float x, float y, float octaves, uint32_t seed)
{
    float feedback = 1.0f;
    return SumOctaves(x, y, octaves, 0.5f, [seed, &feedback](float ox, float oy, int i) {
        float crest = 1.0f - std::fabs(Gradient(ox, oy, seed + uint32_t(i) * 7919u));
        crest *= crest * feedback;
        feedback = std::min(1.0f, crest * 2.0f);
        return crest;
    });
}

float Curve(float x, float octaves, uint32_t seed)
{
    return Fbm(x, 0.371f * float(seed % 97u) + 0.5f, octaves, seed);
}

Cell Voronoi(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = int32_t(fx), iy = int32_t(fy);
    Cell cell{1e9f, 1e9f, 0u, 0.0f, 0.0f};
    for (int32_t oy = -1; oy <= 1; ++oy) {
        for (int32_t ox = -1; ox <= 1; ++ox) {
            uint32_t h = Hash(ix + ox, iy + oy, seed);
            float px = fx + float(ox) + 0.1f + 0.8f * ((h & 0xFFFF) / 65535.0f);
            float py = fy + float(oy) + 0.1f + 0.8f * ((h >> 16) / 65535.0f);
            float distance = std::hypot(px - x, py - y);
            if (distance < cell.nearest) {
                cell.second = cell.nearest;
                cell = {distance, cell.second, h, px, py};
            } else if (distance < cell.second) {
                cell.second = distance;
            }
        }
    }
    return cell;
}

}  // namespace noise

uint64_t Rng::Next()
{
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Rng::Unit()
{
    return float(Next() >> 40) * (1.0f / 16777216.0f);
}

float Rng::Range(float low, float high)
{
    return low + (high - low) * Unit();
}

int Rng::Below(int count)
{
    return int((Next() >> 33) % uint64_t(count));
}
