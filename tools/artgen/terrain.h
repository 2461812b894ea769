// Height-field landscapes seen from a level camera, marched column by column front to back.
#pragma once

#include <functional>

#include "image.h"

// Everything a scene needs to colour one visible point of its ground.
struct SurfacePoint {
    float x, z, height;               // world position (y is up)
    float normalX, normalY, normalZ;  // unit surface normal
    float distance;                   // from the camera
    float footprint;                  // world size of one sample there: detail below it cannot show
    float viewRight, viewUp;          // direction of the view ray as slopes
};

struct TerrainView {
    float cameraX, cameraY, cameraZ;  // the camera looks along +z
    float horizon;                    // screen row of the horizon, as a fraction of the height
    float focal;                      // focal length as a fraction of the width
    float nearZ, farZ;
    float stepRatio;   // march step as a fraction of the distance
    float slopeRatio;  // span slopes are measured over, as a fraction of the distance
};

struct TerrainScene {
    TerrainView view;
    std::function<float(float x, float z, float footprint)> height;
    std::function<Rgb(const SurfacePoint& point)> shade;    // lit colour including haze
    std::function<Rgb(float viewRight, float viewUp)> sky;  // seen where no ground is
};

// Renders at `supersample` times the resolution in both directions and box-filters down;
// vertical coverage within a row is exact, so ridge lines stay smooth.
void RenderTerrain(Image& image, const TerrainScene& scene, int supersample);
