// Hand-written hashing, lattice noise, fractal sums and a seeded generator for the drawings.
#pragma once

#include <cstdint>

namespace noise {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed);
float HashUnit(int32_t x, int32_t y, uint32_t seed);  // [0, 1)

float Value(float x, float y, uint32_t seed);     // smooth, about [-1, 1]
float Gradient(float x, float y, uint32_t seed);  // smooth, about [-1, 1]

// Sum of gradient octaves (lacunarity 2, gain 0.5), about [-1, 1]. A fractional octave count
// fades the last octave in, so distant detail can be dropped without popping.
float Fbm(float x, float y, float octaves, uint32_t seed);

// Sharp-crested octave sum for mountain ridges, about [0, 1].
float Ridged(float x, float y, float octaves, uint32_t seed);

// 1-D fractal curve for skylines and shorelines, about [-1, 1].
float Curve(float x, float octaves, uint32_t seed);

// Jittered-grid cells: distances to the nearest and second-nearest feature points.
struct Cell {
    float nearest;
    float second;
    uint32_t id;
    float centreX;
    float centreY;
};
Cell Voronoi(float x, float y, uint32_t seed);

}  // namespace noise

// Deterministic pseudo-random sequence (splitmix64); the same seed always draws the same picture.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    float Unit();  // [0, 1)
    float Range(float low, float high);
    int Below(int count);  // [0, count)

private:
    uint64_t state_;
};
