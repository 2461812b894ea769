// Conversions between display sRGB, linear light and Oklab, where distances match what eyes see.
#pragma once

#include <cmath>

#include "image.h"

struct Lab {
    float l = 0.0f;
    float a = 0.0f;
    float b = 0.0f;

    Lab operator+(Lab y) const { return {l + y.l, a + y.a, b + y.b}; }
    Lab operator-(Lab y) const { return {l - y.l, a - y.a, b - y.b}; }
    Lab operator*(float s) const { return {l * s, a * s, b * s}; }
};

inline float DistanceSquared(Lab x, Lab y)
{
    Lab d = x - y;
    return d.l * d.l + d.a * d.a + d.b * d.b;
}

inline float ToLinear(float display)
{
    float c = Clamp01(display);
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

inline float ToDisplay(float linear)
{
    float c = std::max(0.0f, linear);
    return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

inline float LinearLuminance(Rgb display)
{
    return 0.2126f * ToLinear(display.r) + 0.7152f * ToLinear(display.g) + 0.0722f * ToLinear(display.b);
}

inline Lab ToLab(Rgb display)
{
    float r = ToLinear(display.r), g = ToLinear(display.g), b = ToLinear(display.b);
    float l = std::cbrt(0.4122214708f * r + 0.5363325363f * g + 0.0514459929f * b);
    float m = std::cbrt(0.2119034982f * r + 0.6806995451f * g + 0.1073969566f * b);
    float s = std::cbrt(0.0883024619f * r + 0.2817188376f * g + 0.6299787005f * b);
    return {0.2104542553f * l + 0.7936177850f * m - 0.0040720468f * s,
            1.9779984951f * l - 2.4285922050f * m + 0.4505937099f * s,
            0.0259040371f * l + 0.7827717662f * m - 0.8086757660f * s};
}

inline Rgb FromLab(Lab c)
{
    float l = c.l + 0.3963377774f * c.a + 0.2158037573f * c.b;
    float m = c.l - 0.1055613458f * c.a - 0.0638541728f * c.b;
    float s = c.l - 0.0894841775f * c.a - 1.2914855480f * c.b;
    l = l * l * l;
    m = m * m * m;
    s = s * s * s;
    return {ToDisplay(4.0767416621f * l - 3.3077115913f * m + 0.2309699292f * s),
            ToDisplay(-1.2684380046f * l + 2.6097574011f * m - 0.3413193965f * s),
            ToDisplay(-0.0041960863f * l - 0.7034186147f * m + 1.7076147010f * s)};
}
