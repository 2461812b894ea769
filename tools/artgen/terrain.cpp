// Front-to-back column marching: each column keeps the highest row covered so far.
#include "terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "supersample.h"

namespace {

// One screen column of the fine image, filled from the bottom row upwards.
class ColumnPainter {
public:
    ColumnPainter(std::vector<Rgb>& pixels, int column, int width, int height)
        : pixels_(pixels), column_(column), width_(width), top_(float(height))
    {
    }

    float Top() const { return top_; }

    // Covers rows from the current top up to newTop with colourAt(row centre).
    template <class ColourAt>
    void CoverUpTo(float newTop, ColourAt colourAt)
    {
        newTop = std::max(newTop, 0.0f);
        while (top_ > newTop) {
            int row = int(std::ceil(top_)) - 1;
            float start = std::max(newTop, float(row));
            partial_ += colourAt(float(row) + 0.5f) * (top_ - start);
            top_ = start;
            if (top_ <= float(row)) {
                pixels_[size_t(row) * width_ + column_] = partial_;
                partial_ = Rgb{};
            }
        }
    }

private:
    std::vector<Rgb>& pixels_;
    int column_;
    int width_;
    float top_;
    Rgb partial_;  // light gathered so far in the row that holds top_
};

void MarchColumn(const TerrainScene& scene, std::vector<Rgb>& pixels, int column, int width, int height)
{
    const TerrainView& v = scene.view;
    const float focal = v.focal * float(width), horizon = v.horizon * float(height);
    const float right = (float(column) + 0.5f - 0.5f * float(width)) / focal;
    ColumnPainter painter(pixels, column, width, height);

    bool previousSeen = false;
    float previousRow = 0.0f;
    Rgb previousColour;
    for (float z = v.nearZ; z < v.farZ && painter.Top() > 0.0f; z += z * v.stepRatio) {
        float x = v.cameraX + right * z, worldZ = v.cameraZ + z;
        float footprint = z / focal;
        float h = scene.height(x, worldZ, footprint);
        float row = horizon - (h - v.cameraY) / z * focal;
        if (row >= painter.Top()) {
            previousSeen = false;
            continue;
        }
        // Slopes measured over less than a march step show finer relief but can flicker on
        // knife-edged crests; each scene picks its span.
        float e = std::max(z * v.slopeRatio, 1e-3f);
        float slopeX = (scene.height(x + e, worldZ, footprint) - h) / e;
        float slopeZ = (scene.height(x, worldZ + e, footprint) - h) / e;
        float norm = 1.0f / std::sqrt(slopeX * slopeX + 1.0f + slopeZ * slopeZ);
        float nx = -slopeX * norm, nz = -slopeZ * norm;
        float up = (horizon - row) / focal;
        float distance = z * std::sqrt(1.0f + right * right + up * up);
        SurfacePoint point{x, worldZ, h, nx, norm, nz, distance, footprint, right, up};
        Rgb colour = scene.shade(point);
        // Between this sample and the previous one the surface is blended, not stepped.
        painter.CoverUpTo(row, [&](float centre) {
            if (!previousSeen || previousRow <= row) return colour;
            return Mix(colour, previousColour, Clamp01((centre - row) / (previousRow - row)));
        });
        previousSeen = true;
        previousRow = row;
        previousColour = colour;
    }
    painter.CoverUpTo(0.0f, [&](float centre) { return scene.sky(right, (horizon - centre) / focal); });
}

}  // namespace

void RenderTerrain(Image& image, const TerrainScene& scene, int supersample)
{
    const int width = image.Width() * supersample, height = image.Height() * supersample;
    std::vector<Rgb> pixels(size_t(width) * height);
    for (int column = 0; column < width; ++column) MarchColumn(scene, pixels, column, width, height);

    // Each sample of the grid lies in its own fine pixel, so the average is a box filter.
    FillPixels(image, supersample, [&](float px, float py) {
        return pixels[size_t(py * supersample) * width + size_t(px * supersample)];
    });
}
