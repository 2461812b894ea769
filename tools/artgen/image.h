// True-colour float pictures and the small colour arithmetic every drawing shares.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Display (sRGB-encoded) colour, nominally 0..1 per channel; light may overshoot before clamping.
struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

    Rgb operator+(Rgb y) const { return {r + y.r, g + y.g, b + y.b}; }
    Rgb operator-(Rgb y) const { return {r - y.r, g - y.g, b - y.b}; }
    Rgb operator*(Rgb y) const { return {r * y.r, g * y.g, b * y.b}; }
    Rgb operator*(float s) const { return {r * s, g * s, b * s}; }
    Rgb& operator+=(Rgb y) { return *this = *this + y; }
};

// 0xRRGGBB as written in a colour picker.
inline Rgb Hex(uint32_t rgb)
{
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
}

inline float Clamp01(float x)
{
    return std::min(1.0f, std::max(0.0f, x));
}
inline float Mix(float a, float b, float t)
{
    return a + (b - a) * t;
}
inline Rgb Mix(Rgb a, Rgb b, float t)
{
    return a + (b - a) * t;
}
inline float Fract(float x)
{
    return x - std::floor(x);
}

inline float Smoothstep(float edge0, float edge1, float x)
{
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// A display channel as a byte, rounded to the nearest of 0..255.
inline uint8_t ToByte(float display)
{
    return uint8_t(Clamp01(display) * 255.0f + 0.5f);
}

// Soft highlight roll-off so additive light never clips hard.
inline Rgb ToneMap(Rgb c, float exposure)
{
    return {1.0f - std::exp(-c.r * exposure), 1.0f - std::exp(-c.g * exposure),
            1.0f - std::exp(-c.b * exposure)};
}

struct ColourStop {
    float at;
    Rgb colour;
};

// Piecewise-linear gradient through stops sorted by position; clamps outside the range.
inline Rgb Ramp(std::initializer_list<ColourStop> stops, float t)
{
    const ColourStop* first = stops.begin();
    const ColourStop* last = stops.end() - 1;
    if (t <= first->at) return first->colour;
    if (t >= last->at) return last->colour;
    for (const ColourStop* s = first; s != last; ++s) {
        const ColourStop& next = *(s + 1);
        if (t <= next.at) return Mix(s->colour, next.colour, (t - s->at) / (next.at - s->at));
    }
    return last->colour;
}

// A rectangular picture, top row first.
class Image {
public:
    Image(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb& At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    const Rgb& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};
