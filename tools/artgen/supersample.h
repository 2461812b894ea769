// Supersampling: a regular grid of samples inside every pixel, averaged or laid over the picture.
#pragma once

#include "image.h"

// A colour with how much of the pixel it covers.
struct Layer {
    Rgb colour;
    float alpha = 0.0f;
};

// Calls visit(px, py) at the centres of an n x n grid inside pixel (x, y), row by row
// (x right, y down, in pixels). The grid is regular, so the sample at px lies in sub-column
// int(px * n): scenes can cache per-column profiles.
template <class Visit>
void ForEachSample(int x, int y, int samples, Visit visit)
{
    for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) visit(x + (sx + 0.5f) / samples, y + (sy + 0.5f) / samples);
}

// The layers shade(px, py) over one pixel's samples, added up: premultiplied colour and cover.
template <class Shade>
Layer SumLayers(int x, int y, int samples, Shade shade)
{
    Layer sum;
    ForEachSample(x, y, samples, [&](float px, float py) {
        Layer layer = shade(px, py);
        sum.colour += layer.colour * layer.alpha;
        sum.alpha += layer.alpha;
    });
    return sum;
}

// Averages shade(px, py) over the samples of every pixel.
template <class Shade>
void FillPixels(Image& image, int samples, Shade shade)
{
    const float weight = 1.0f / float(samples * samples);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            Rgb sum;
            ForEachSample(x, y, samples, [&](float px, float py) { sum += shade(px, py); });
            image.At(x, y) = sum * weight;
        }
    }
}

// Like FillPixels, but lays the shaded layer over what the image already holds.
template <class Shade>
void BlendPixels(Image& image, int samples, Shade shade)
{
    const float weight = 1.0f / float(samples * samples);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            Layer sum = SumLayers(x, y, samples, shade);
            Rgb& pixel = image.At(x, y);
            pixel = pixel * (1.0f - sum.alpha * weight) + sum.colour * weight;
        }
    }
}
