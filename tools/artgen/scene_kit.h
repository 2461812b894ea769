// Drawing helpers the scenes share: soft edges, profiles, stars, spruce rows (and supersampling).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image.h"
#include "noise.h"
#include "supersample.h"

// Share of a pixel inside an edge, from the signed distance to it (positive inside).
inline float Coverage(float insideDistance, float pixel)
{
    return Clamp01(insideDistance / pixel + 0.5f);
}

// Two rounds of a horizontal and a vertical box blur, which come close to a Gaussian; the
// edges are held. at(x, y) is the index of grid point (x, y) in values.
template <class Index>
void BoxBlur(std::vector<float>& values, int width, int height, int radius, Index at)
{
    std::vector<float> source;
    for (int pass = 0; pass < 4; ++pass) {
        bool horizontal = pass % 2 == 0;
        source = values;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; ++k) {
                    int sx = horizontal ? std::clamp(x + k, 0, width - 1) : x;
                    int sy = horizontal ? y : std::clamp(y + k, 0, height - 1);
                    sum += source[at(sx, sy)];
                }
                values[at(x, y)] = sum / float(2 * radius + 1);
            }
        }
    }
}

// Adds a small Gaussian spot of light, e.g. a star; sigma in pixels.
inline void AddGlow(Image& image, float cx, float cy, float sigma, Rgb colour)
{
    int reach = int(std::ceil(sigma * 3.0f));
    int x0 = int(std::floor(cx)) - reach, y0 = int(std::floor(cy)) - reach;
    for (int y = y0; y <= y0 + 2 * reach + 1; ++y) {
        for (int x = x0; x <= x0 + 2 * reach + 1; ++x) {
            if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) continue;
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            image.At(x, y) += colour * std::exp(-(dx * dx + dy * dy) / (2.0f * sigma * sigma));
        }
    }
}

// A 1-D function sampled once on a fine grid and read back by linear interpolation;
// skylines and shorelines are costly fractal sums that every pixel in a column needs.
class Profile {
public:
    template <class Function>
    Profile(float from, float to, int count, Function function)
        : from_(from), to_(to), step_((to - from) / float(count - 1))
    {
        values_.reserve(size_t(count));
        for (int i = 0; i < count; ++i) values_.push_back(function(from + step_ * float(i)));
    }

    float operator()(float x) const
    {
        float position = (x - from_) / step_;
        int last = int(values_.size()) - 1;
        if (position <= 0.0f) return values_.front();
        if (position >= float(last)) return values_.back();
        int i = int(position);
        return Mix(values_[size_t(i)], values_[size_t(i) + 1], position - float(i));
    }

    float From() const { return from_; }
    float To() const { return to_; }

private:
    float from_;
    float to_;
    float step_;
    std::vector<float> values_;
};

// Scenes measure in picture heights: x right and y down, the picture 1 high and this wide.
inline float WidthInHeights(const Image& image)
{
    return image.Width() / float(image.Height());
}

// A line across the whole picture and a little beyond both edges, four samples a pixel.
template <class Function>
Profile AcrossPicture(const Image& image, Function function)
{
    return Profile(-0.1f, WidthInHeights(image) + 0.1f, image.Width() * 4, function);
}

// Scatters stars over the image; faint ones far outnumber bright ones, tints from red to blue.
void ScatterStars(Image& image, int count, float brightness, uint64_t seed);

// How a row of spruces looks; all lengths in picture heights.
struct Treeline {
    float spacing;
    float minHeight;
    float maxHeight;
    float widthRatio;  // half width of a spruce's lowest tier, relative to its height
    uint32_t seed;
    float presence = 1.0f;  // share of places that hold a tree
};

// Spruces standing along the whole of a ground line, but only where it lies above lowestFoot
// (a shore ends at the water).
class SpruceRow {
public:
    SpruceRow(const Treeline& line, const Profile& ground, float lowestFoot);

    // Share of the point covered by a spruce; pixel is the anti-aliasing width.
    float Coverage(float x, float y, float pixel) const;

private:
    struct Spruce {
        float centre;
        float foot;
        float height;
        float tiers;
        float tierShift;
    };

    Treeline line_;
    int firstIndex_;
    std::vector<Spruce> trees_;
};
